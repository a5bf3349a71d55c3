// The status line along the bottom of the main window: what it shows, from plain inputs.
#pragma once

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

#include "core/dpi.h"

// What the status line shows, from plain inputs.
struct StatusInput {
    bool scanning;
    unsigned ticks;
    const char* path;  // the path box text
    bool preview;
    bool drives_mode;
    int image_w, image_h;
    int folders, count, selected;
    long long size;
    char sep;
    // A search that runs: the folder it searches and the count found so far.
    bool finding = false;
    const char* searching = nullptr;
    long long found = 0;
    // What a long file operation is doing ("" or none when nothing runs): the whole line.
    const char* busy = nullptr;
    // A folder being read and the count of its entries listed so far (none when none).
    const char* reading = nullptr;
    long long read_count = 0;
};
struct StatusTexts {
    std::string left;                 // the note: what runs now ("" when nothing does)
    std::string right;                // the counts whole: the fields joined by two blanks
    std::vector<std::string> fields;  // the counts' fields, the most wanted first
};
StatusTexts ComposeStatus(const StatusInput& in);

// The two areas that one paint clears: the bottom strip and the right pane, for a client
// area of width x height; the strip's height is given at 96 DPI and scaled to `dpi`. While a
// long operation runs (`busy`) only its text changes, and the pane is its line alone.
struct StatusAreas {
    RECT strip;
    RECT pane;
};
StatusAreas ComputeStatusAreas(int width, int height, int tree_width, int chart_top, bool preview,
                               bool scanning, unsigned ticks, int dpi = kBaseDpi,
                               bool busy = false);

// Where the status line's texts stand in a client area of width x height: from beside the
// search box (from the left edge while the find controls are hidden) to the right edge, less
// a margin at each end, on one baseline. The note begins at `left`, the counts end at `right`.
struct StatusLine {
    int left, right, baseline;
};
StatusLine PlaceStatusLine(int width, int height, int tree_width, bool find_controls,
                           int dpi = kBaseDpi);

// The width a text takes when painted.
using TextWidth = std::function<int(const std::string&)>;

// The counts that fit `room` pixels: the longest leading run of `fields`, joined by two blanks,
// whose width is at most `room`. Fields are left out whole from the end, never cut; "" when
// not even the first fits.
std::string FitFields(const std::vector<std::string>& fields, int room, const TextWidth& width);

// What the status line paints: the note and the counts with the room each gets. The note comes
// first; the counts take what is left beside it, fields left out as FitFields does. A note
// wider than the whole line takes it all (and is shortened when painted) and no counts show.
struct StatusFit {
    std::string counts;
    int note_right;  // where the note must end, beside the counts
};
StatusFit FitStatus(const StatusTexts& texts, const StatusLine& line, int gap,
                    const TextWidth& width);
