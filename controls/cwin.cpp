#include "controls/cwin.h"

WindowGeometry DefaultWindowGeometry(int full_width, int full_height) {
    WindowGeometry g;
    g.width = 2 * full_width / 3;
    g.height = 2 * full_height / 3;
    g.x = (full_width - g.width) / 2;
    g.y = (full_height - g.height) / 2;
    return g;
}

HWND CWin::create(int show) {
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hIcon = icon;
    window_class.hCursor = cursor;
    window_class.hbrBackground = (HBRUSH)(COLOR_MENU + 1);
    window_class.lpszClassName = "CWin";
    RegisterClassA(&window_class);
    hwnd = CreateWindowExA(0, "CWin", caption, style, x, y, width, height, nullptr, menu,
                           window_class.hInstance, nullptr);
    if (hwnd) ShowWindow(hwnd, show);
    return hwnd;
}
