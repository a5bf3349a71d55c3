// The main window's procedure and the command and notification tables.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "core/dpi.h"
#include "core/messages.h"

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
int Command(WPARAM wparam);
int Notify(NMHDR* header);
int ContextMenu(int x, int y);

// What a mouse move at (x, y) of the main window's client area does to the splitter.
// x and y are the unsigned 16-bit halves of the message's lParam, keys its wParam.
struct SplitterMove {
    bool size_cursor;  // the pointer is near the splitter: show the sizing cursor
    bool resize;       // the splitter follows the pointer: lay the window out again
    int tree_width;    // the tree width after the move
};
// The distances are given at 96 DPI and scaled to `dpi`.
SplitterMove MoveSplitter(int x, int y, WPARAM keys, bool splitting, int tree_width,
                          int client_right, int client_bottom, int dpi = kBaseDpi);

// A left press at x grabs the splitter when it is within 9 pixels (at 96 DPI) of it, at any
// height.
bool GrabsSplitter(int x, int tree_width, int dpi = kBaseDpi);

// The tooltip text of a toolbar button, by its command id; none for other ids.
const char* ToolbarTip(UINT_PTR id);

// Ends a drag of rows without moving anything (Esc, or the mouse taken by another window).
void CancelDrag();
