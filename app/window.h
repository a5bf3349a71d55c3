// The main window's controls and their layout.
#pragma once

#include <windows.h>

#include "core/dpi.h"

// Creates every child control, reads the stored settings and builds the drive tree.
// Returns 0, or the number of the first control that could not be created.
int CreateControls();

// Lays the controls out for a client area of width x height (0 in either: the current
// client rectangle).
int Size(int width, int height);

// One control's place.
struct Placement {
    int x, y, width, height;
};

// The places of all controls for a client size and the view modes, in the order toolbar,
// path box, search box, find button, list, tree, then the buttons "A", "H", "R", "S".
struct Layout {
    Placement toolbar, pathbox, searchbox, findbutton, list, tree, attr[4];
    int list_width;
    int chart_top;
};
// Every figure is given at 96 DPI and scaled to `dpi`; the tree width is in pixels at `dpi`.
Layout ComputeLayout(int width, int height, int tree_width, bool drives_mode, bool half_list,
                     int dpi = kBaseDpi);

// The window moved to a screen of another DPI (WM_DPICHANGED): the splitter's place, the fonts,
// the tree's rows, the toolbar's buttons and the list's columns are scaled to `dpi`, the window
// takes the rectangle the system suggests (none: it stays) and is laid out again.
void DpiChanged(int dpi, const RECT* suggested);
