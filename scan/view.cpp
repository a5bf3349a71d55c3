#include "scan/view.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/gdi.h"
#include "controls/painttext.h"
#include "controls/ui.h"
#include "browse/format.h"
#include "browse/navigate.h"
#include "core/paths.h"
#include "browse/status.h"
#include "core/chart.h"

namespace {

HBRUSH SolidBrush(COLORREF colour) {
    LOGBRUSH lb = {BS_SOLID, colour, 0};
    return CreateBrushIndirect(&lb);
}

void DrawText(HDC dc, int x, int y, const char* text, size_t limit) {
    PaintText(dc, x, y, text, (int)strnlen(text, limit));
}

void DrawDriveBars(HDC dc, int lv_w, int cw, int ch) {
    GdiObject fill(SolidBrush(kBarFill));
    GdiObject grey(SolidBrush(kGrey));
    int x0 = mcfg.tree_width + Scale(kMargin, mcfg.dpi);
    int barmax = lv_w - 3 * cw;
    int y = Scale(kFirstBarY, mcfg.dpi);
    for (const DriveInfo& drive : mcfg.drives) {
        if (drive.name[0] == '\0') break;
        SetTextAlign(dc, TA_LEFT | TA_TOP);
        DrawText(dc, x0, y, drive.name, sizeof drive.name);
        SetTextAlign(dc, TA_RIGHT | TA_TOP);
        char size[64] = {};
        FormatSize(size, drive.total, -1);
        DriveBar bar = PlaceDriveBar(mcfg.tree_width, barmax, cw, ch, y, drive.used, mcfg.dpi);
        if (bar.drawn) {
            if (fill.get()) FillRect(dc, &bar.fill, (HBRUSH)fill.get());
            if (grey.get()) FrameRect(dc, &bar.frame, (HBRUSH)grey.get());
            DrawText(dc, bar.text_x, y, size, sizeof size);
        }
        y += ch + Scale(kBarGap, mcfg.dpi);
    }
    SetTextAlign(dc, TA_LEFT | TA_TOP);
}

// Draws the chart; false when the area is too small for one, which ends the paint.
bool DrawChart(HDC dc, const RECT& client, int lv_w, int lv_h) {
    ChartPlace place = PlaceChart(client, lv_w, lv_h, mcfg.dpi);
    mcfg.chart_x = place.cx;
    mcfg.chart_y = place.cy;
    ViewSlot* view = panel.view;
    unsigned count = ViewCount(view);
    // Slots keep no range from an earlier paint: only the slices of this one can be hit.
    for (unsigned i = 0; i < count; i++)
        view[i].start = view[i].sweep = 0;
    if (!place.drawn) {
        // No chart is on screen, so no click may hit one an earlier paint left behind.
        mcfg.chart_radius = 0;
        return false;
    }
    int cx = place.cx, cy = place.cy, r = place.r;
    mcfg.chart_radius = r;

    GdiObject grey_brush(SolidBrush(kGrey));
    GdiObject grey_pen(CreatePen(PS_SOLID, 1, kGrey));
    Selection brush_back(dc, GetStockObject(NULL_BRUSH));
    Selection pen_back(dc, GetCurrentObject(dc, OBJ_PEN));
    if (grey_brush.get()) SelectObject(dc, grey_brush.get());
    Ellipse(dc, cx - r, cy - r, cx + r, cy + r);

    long long total = mcfg.size;
    std::vector<long long> sizes(count, 0);
    for (unsigned i = 0; i < count; i++)
        if (view[i].entry) sizes[i] = (long long)EntrySize(*view[i].entry);
    std::vector<SlicePlan> plan = PlanSlices(sizes.data(), count, total);

    POINT S = {cx + r, cy};
    RECT B = {0, 0, 0, 0};
    for (unsigned i = 0; i < count; i++) {
        const SlicePlan& slice = plan[i];
        if (!slice.logged) continue;
        log_line("    mcfg.size: %I64i, size: %I64i, th: %0.2f, ph: %0.2f\n", total, sizes[i],
                 slice.th, slice.start);
        if (!slice.drawn) continue;
        const FolderEntry& e = *view[i].entry;
        double a1 = slice.th + slice.start;
        POINT E = CirclePoint(cx, cy, r, a1, -1);

        int name_length = (int)e.name_length();
        SIZE text = PaintedSize(dc, e.name(), name_length);
        LabelPlace label = PlaceLabel(cx, cy, r, slice.th * 0.5 + slice.start, (int)text.cx,
                                      (int)text.cy, mcfg.dpi);
        HGDIOBJ pen = grey_pen.get() ? SelectObject(dc, grey_pen.get()) : nullptr;
        if (!BoxesOverlap(label.box, B)) {
            MoveToEx(dc, label.leader.x, label.leader.y, nullptr);
            LineTo(dc, label.rim.x, label.rim.y);
            PaintText(dc, label.text_x, label.top, e.name(), name_length);
            if (grey_brush.get()) FrameRect(dc, &label.box, (HBRUSH)grey_brush.get());
            B = label.box;
        }
        if (pen) SelectObject(dc, pen);

        {
            GdiObject slice_brush(SolidBrush(SliceColors[i % 12]));
            if (slice_brush.get()) SelectObject(dc, slice_brush.get());
            if (count == 1 || SliceWraps(cx, cy, S, E, slice.th))
                Ellipse(dc, cx - r, cy - r, cx + r, cy + r);
            else
                Pie(dc, cx - r, cy - r, cx + r, cy + r, S.x, S.y, E.x, E.y);
            SelectObject(dc, GetStockObject(NULL_BRUSH));
        }

        view[i].start = slice.start;
        view[i].sweep = slice.th;
        S = E;
    }
    return true;
}

}  // namespace
void View(HDC dc) {
    RECT client = {};
    GetClientRect(mwin.hwnd, &client);
    RECT list = {};
    if (mlvw.hwnd) GetWindowRect(mlvw.hwnd, &list);
    int lv_w = list.right - list.left, lv_h = list.bottom - list.top;

    Selection font_back(dc, mcfg.font.get());
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    SIZE unit = PaintedSize(dc, "C: ", 3);

    if (mcfg.drives_mode) DrawDriveBars(dc, lv_w, (int)unit.cx, (int)unit.cy);
    bool has_rows = ViewCount(panel.view) > 0;
    if (mcfg.size_mode && has_rows && !DrawChart(dc, client, lv_w, lv_h)) return;
    if (mcfg.preview && has_rows) Preview(dc);
    log_line("%s\tView () OK ...\n", time_stamp());
}

void ChartHit(int x, int y) {
    int cx = mcfg.chart_x, cy = mcfg.chart_y;
    if (!InChartSquare(cx, cy, mcfg.chart_radius, x, y)) return;
    int slot = HitSlot(panel.view, ClickAngle(cx, cy, x, y));
    if (slot < 0 || mcfg.find_mode) return;
    const FolderEntry& e = *panel.view[slot].entry;
    std::string path;
    // A folder that is not reached, or whose path would pass the platform's longest path,
    // could not be read: nothing is opened.
    if (!EntryPath(e, &path)) return;
    // The slice's folder is opened as its row would be; the read starts its scan in size mode.
    if (!Navigate(path.c_str())) return;
    log_line("%s\tOpen () OK ...\n", time_stamp());
}

