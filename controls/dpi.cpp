#include "controls/dpi.h"

#include "core/dpi.h"

int WindowDpi(HWND window) {
    typedef UINT(WINAPI * DpiForWindow)(HWND);
    static const DpiForWindow dpi_for_window =
        (DpiForWindow)(void*)GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow");
    if (dpi_for_window && window) {
        UINT dpi = dpi_for_window(window);
        if (dpi > 0) return (int)dpi;
    }
    int dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kBaseDpi;
}
