#include "app/paint.h"

#include <windows.h>
#include <string>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/dpi.h"
#include "controls/gdi.h"
#include "controls/painttext.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "browse/status.h"
#include "scan/find.h"
#include "scan/view.h"

namespace {

void DrawStatusText(HDC dc, UINT align, int x, int y, const std::string& text) {
    if (text.empty()) return;
    SetTextAlign(dc, align | TA_BASELINE);
    PaintText(dc, x, y, text.c_str(), (int)text.size());
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
                                           scanning, ticks, mcfg.dpi, !panel.busy_text.empty());
    InvalidateRect(window, &areas.strip, TRUE);
    InvalidateRect(window, &areas.pane, TRUE);

    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    FillRect(dc, &areas.strip, face);
    FillRect(dc, &areas.pane, face);
    if (!scanning && (mcfg.drives_mode || mcfg.preview || mcfg.size_mode)) View(dc);

    LOGFONTA lf = mcfg.logfont;
    lf.lfHeight = Scale(16, mcfg.dpi);
    GdiObject font(MakeFont(lf));
    if (font.get()) {
        // The progress names the folder being measured: the folder that was read.
        const char* path = scanning ? panel.folder.c_str() : "";
        StatusInput in = {
            scanning,     ticks,        path,         mcfg.preview != 0, mcfg.drives_mode != 0,
            mcfg.image_w, mcfg.image_h, panel.folders, panel.count,        panel.selected,
            mcfg.size,    mcfg.sep};
        long long found = 0;
        std::string searching = FindProgress(&found);
        in.finding = FindRunning();
        in.searching = searching.c_str();
        in.found = found;
        in.busy = panel.busy_text.c_str();
        size_t read_count = 0;
        std::string reading = ReadProgress(&read_count);
        in.reading = reading.c_str();
        in.read_count = (long long)read_count;
        StatusTexts texts = ComposeStatus(in);
        // A scan or a long operation takes the whole line, and the find controls go meanwhile;
        // otherwise the line begins beside the search box.
        bool find_controls = !scanning && panel.busy_text.empty();
        ShowFindControls(find_controls);

        Selection status_font(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        // The chart painter may have left its own colour in the target.
        SetTextColor(dc, RGB(0, 0, 0));
        StatusLine line = PlaceStatusLine(W, H, mcfg.tree_width, find_controls, mcfg.dpi);
        auto width = [dc](const std::string& text) {
            return (int)PaintedSize(dc, text.c_str(), (int)text.size()).cx;
        };
        StatusFit fit = FitStatus(texts, line, Scale(12, mcfg.dpi), width);
        if (!texts.left.empty()) {
            // A note longer than its room loses the middle of its path, never its count.
            TEXTMETRICA metrics = {};
            GetTextMetricsA(dc, &metrics);
            RECT note = {line.left, line.baseline - metrics.tmAscent, fit.note_right,
                         line.baseline + metrics.tmDescent};
            SetTextAlign(dc, TA_LEFT | TA_TOP);
            PaintTextIn(dc, texts.left.c_str(), &note,
                        DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_PATH_ELLIPSIS);
        }
        DrawStatusText(dc, TA_RIGHT, line.right, line.baseline, fit.counts);
    }
    EndPaint(window, &ps);
    log_line("%s\tPaint () OK ...\n", time_stamp());
}
