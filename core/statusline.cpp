#include "core/statusline.h"

#include <cstdio>

#include "core/texts.h"

namespace {
// The dots that move on with each tick while something runs.
const char* const dots[4] = {"", " .", " ..", " ..."};

std::string JoinFields(const std::vector<std::string>& fields, size_t n) {
    std::string text;
    for (size_t i = 0; i < n && i < fields.size(); i++)
        text += (i ? "  " : "") + fields[i];
    return text;
}
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
        snprintf(line, sizeof line, "Folders: %d", in.folders);
        texts.fields.push_back(line);
        snprintf(line, sizeof line, "Files: %d", in.count - in.folders);
        texts.fields.push_back(line);
        texts.fields.push_back(std::string("Size: ") + size);
        snprintf(line, sizeof line, "Selected: %d", in.selected);
        texts.fields.push_back(line);
        texts.right = JoinFields(texts.fields, texts.fields.size());
    }
    if (texts.fields.empty() && !texts.right.empty()) texts.fields.push_back(texts.right);
    return texts;
}

StatusLine PlaceStatusLine(int width, int height, int tree_width, bool find_controls, int dpi) {
    int margin = Scale(5, dpi);
    // The search box ends at the splitter, and the list begins 3 pixels (at 96 DPI) beyond it.
    int left = find_controls ? tree_width + Scale(3, dpi) + margin : margin;
    return {left, width - margin, height - Scale(3, dpi)};
}

std::string FitFields(const std::vector<std::string>& fields, int room, const TextWidth& width) {
    for (size_t n = fields.size(); n > 0; n--) {
        std::string text = JoinFields(fields, n);
        if (width(text) <= room) return text;
    }
    return "";
}

StatusFit FitStatus(const StatusTexts& texts, const StatusLine& line, int gap,
                    const TextWidth& width) {
    int room = line.right - line.left;
    if (texts.left.empty()) return {FitFields(texts.fields, room, width), line.right};
    int note = width(texts.left);
    if (note >= room) return {"", line.right};
    StatusFit paint;
    paint.counts = FitFields(texts.fields, room - note - gap, width);
    paint.note_right = paint.counts.empty() ? line.right : line.right - width(paint.counts) - gap;
    return paint;
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
