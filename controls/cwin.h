// The main window.
#pragma once

#include <windows.h>

#include "core/geometry.h"

class CWin {
  public:
    HINSTANCE instance = nullptr;
    HWND hwnd = nullptr;
    WNDCLASSA window_class = {};
    WNDPROC procedure = nullptr;
    HCURSOR cursor = LoadCursorA(nullptr, IDC_ARROW);
    HICON icon = nullptr;
    HMENU menu = nullptr;
    DWORD style = WS_OVERLAPPEDWINDOW;
    char caption[MAX_PATH] = {};
    int x = 0, y = 0, width = 0, height = 0;

    // Registers the class "CWin" and creates and shows the window.
    HWND create(int show);
};

// The window's place before any setting, centred in the screen's work area: two thirds of the
// work area at 96 DPI, and as many more pixels at another DPI as every figure of the window
// takes there (half as many again at 144), so that the window shows the same columns; never
// more than the work area.
WindowGeometry DefaultWindowGeometry(const RECT& work, int dpi);
