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


// Two thirds of the usable screen, centred: the window's place before any setting.
WindowGeometry DefaultWindowGeometry(int full_width, int full_height);
