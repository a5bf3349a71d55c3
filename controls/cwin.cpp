#include "controls/cwin.h"

#include "core/dpi.h"

WindowGeometry DefaultWindowGeometry(const RECT& work, int dpi) {
    int work_width = work.right - work.left, work_height = work.bottom - work.top;
    auto first = [dpi](int work_size) {
        int size = Scale(2 * work_size / 3, dpi);
        return size < work_size ? size : work_size;
    };
    WindowGeometry g;
    g.width = first(work_width);
    g.height = first(work_height);
    g.x = work.left + (work_width - g.width) / 2;
    g.y = work.top + (work_height - g.height) / 2;
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
