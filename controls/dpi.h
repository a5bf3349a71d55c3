// The DPI a window is shown at.
#pragma once

#include <windows.h>

// The window's own DPI (GetDpiForWindow, Windows 10 version 1607 and later, looked up when
// the program runs); on older systems, or without a window, the system's DPI. 96 when
// neither can be had.
int WindowDpi(HWND window);
