// The main window's procedure and the command and notification tables.
#pragma once

#include <windows.h>
#include <commctrl.h>

// Posted by the folder-size thread when its scan has ended (wParam its generation, lParam
// 1 when it measured a view): the UI thread then takes the total, re-sorts the view and
// repaints, so that neither runs on the scan's own thread.
constexpr UINT WM_APP_SCAN_DONE = WM_APP + 1;
// Posted by the folder-size thread for each folder it has measured (wParam its generation,
// lParam the folder's place in the scan's job): the UI thread writes the total into the
// folder's entry.
constexpr UINT WM_APP_SCAN_SIZE = WM_APP + 2;

// Posted by the clipboard watcher with 1 when the clipboard holds a file list, else 0
// (wParam): Paste is enabled by it.
constexpr UINT WM_APP_CLIPBOARD = WM_APP + 3;

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
SplitterMove MoveSplitter(int x, int y, WPARAM keys, bool splitting, int tree_width,
                          int client_right, int client_bottom);

// A left press at x grabs the splitter when it is within 9 pixels of it, at any height.
bool GrabsSplitter(int x, int tree_width);

// The tooltip text of a toolbar button, by its command id; none for other ids.
const char* ToolbarTip(UINT_PTR id);

// Ends a drag of rows without moving anything (Esc, or the mouse taken by another window).
void CancelDrag();
