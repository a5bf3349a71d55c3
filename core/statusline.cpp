#include "core/statusline.h"

#include <cstdio>

#include "core/texts.h"

namespace {
// The dots that move on with each tick while something runs.
const char* const dots[4] = {"", " .", " ..", " ..."};
}  // namespace

StatusTexts ComposeStatus(const StatusInput& in) {
    StatusTexts texts;
    // A long file operation has the whole line: its text names a folder and how far it is.
    if (in.busy && in.busy[0]) {
        texts.left = in.busy;
        return texts;
    }
    if (in.reading && in.reading[0]) {
        char count[48];
        snprintf(count, sizeof count, " (%lld entries)", in.read_count);
        texts.left = std::string("Reading: ") + in.reading + count + dots[in.ticks & 3];
    } else if (in.scanning) {
        texts.left = "Reading size: ";
        texts.left += in.path ? in.path : "";
        texts.left += dots[in.ticks & 3];
    } else if (in.finding) {
        char count[48];
        snprintf(count, sizeof count, " (%lld found)", in.found);
        texts.left = "Searching: ";
        texts.left += in.searching ? in.searching : "";
        texts.left += count;
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
                               bool scanning, unsigned ticks, int dpi, bool busy) {
    StatusAreas areas;
    areas.strip = {0, height - Scale(32, dpi), width, height};
    areas.pane = {tree_width, preview ? chart_top : 0, width, height};
    // During a scan the whole right pane is cleared only on every tenth tick, so that the
    // chart the scan grows does not flicker once a second.
    if (busy || (scanning && ticks % 10 != 0)) areas.pane.top = height - Scale(16, dpi);
    return areas;
}
