// The status line along the bottom of the main window: what it shows, from plain inputs.
#pragma once

#include <windows.h>
#include <string>

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
    std::string left;
    std::string right;
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
