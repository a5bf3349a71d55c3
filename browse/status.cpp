#include "browse/status.h"

#include <cstdio>

#include "app/log.h"
#include "app/mcfg.h"
#include "app/ui.h"
#include "browse/format.h"
#include "scan/view.h"

StatusTexts ComposeStatus(const StatusInput& in) {
    StatusTexts texts;
    if (in.scanning) {
        static const char* const dots[4] = {"", " .", " ..", " ..."};
        texts.left = "Reading size: ";
        texts.left += in.path ? in.path : "";
        texts.left += dots[in.ticks & 3];
    }
    char line[160];
    if (in.preview) {
        if (in.image_w >= 0 && in.image_h >= 0) {
            snprintf(line, sizeof line, "%d x %d", in.image_w, in.image_h);
            texts.right = line;
        }
    } else if (!in.drives_mode) {
        char size[64] = {};
        FormatSizeWith(size, in.size, -1, in.sep);
        snprintf(line, sizeof line, "Folders: %d  Files: %d  Size: %s  Selected: %d", in.folders,
                 in.count - in.folders, size, in.selected);
        texts.right = line;
    }
    return texts;
}

StatusAreas ComputeStatusAreas(int width, int height, int tree_width, int chart_top, bool preview,
                               bool scanning, unsigned ticks) {
    StatusAreas areas;
    areas.strip = {0, height - 32, width, height};
    areas.pane = {tree_width, preview ? chart_top : 0, width, height};
    // During a scan the whole right pane is cleared only on every tenth tick, so that the
    // chart the scan grows does not flicker once a second.
    if (scanning && ticks % 10 != 0) areas.pane.top = height - 16;
    return areas;
}

namespace {

void ShowFindControls(bool show) {
    int how = show ? SW_SHOW : SW_HIDE;
    if (mcby.hwnd) ShowWindow(mcby.hwnd, how);
    if (mbtn.hwnd) ShowWindow(mbtn.hwnd, how);
}

void DrawStatusText(HDC dc, UINT align, int x, int y, const std::string& text) {
    if (text.empty()) return;
    SetTextAlign(dc, align | TA_BASELINE);
    TextOutA(dc, x, y, text.c_str(), (int)text.size());
}

}  // namespace

void Paint() {
    HWND window = mwin.hwnd;
    if (!window) return;
    RECT client = {};
    GetClientRect(window, &client);
    int W = client.right, H = client.bottom;
    bool scanning = mcfg.scanning != 0;
    unsigned ticks = mcfg.ticks;
    StatusAreas areas = ComputeStatusAreas(W, H, mcfg.tree_width, mcfg.chart_top, mcfg.preview != 0,
                                           scanning, ticks);
    InvalidateRect(window, &areas.strip, TRUE);
    InvalidateRect(window, &areas.pane, TRUE);

    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &areas.strip, face);
    FillRect(dc, &areas.pane, face);
    if (!scanning && (mcfg.drives_mode || mcfg.preview || mcfg.size_mode)) View(dc);

    LOGFONTA lf = mcfg.logfont;
    lf.lfHeight = 16;
    HFONT font = CreateFontIndirectA(&lf);
    if (font) {
        // The progress names the folder being measured: the folder that was read.
        char path[MAX_PATH] = {};
        if (scanning) lstrcpynA(path, mcfg.folder, sizeof path);
        StatusInput in = {
            scanning,     ticks,        path,         mcfg.preview != 0, mcfg.drives_mode != 0,
            mcfg.image_w, mcfg.image_h, mcfg.folders, mcfg.count,        mcfg.selected,
            mcfg.size,    mcfg.sep};
        StatusTexts texts = ComposeStatus(in);
        ShowFindControls(!scanning);

        HGDIOBJ old_font = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        // The chart painter may have left its own colour in the target.
        SetTextColor(dc, RGB(0, 0, 0));
        DrawStatusText(dc, TA_LEFT, 5, H - 3, texts.left);
        DrawStatusText(dc, TA_RIGHT, W - 5, H - 3, texts.right);
        SelectObject(dc, old_font);
        DeleteObject(font);
    }
    EndPaint(window, &ps);
    log_line("%s\tPaint () OK ...\n", time_stamp());
}
