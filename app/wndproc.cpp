// Placeholder until the full window procedure is built: it serves Exit, the layout and
// the window's destruction.
#include "app/wndproc.h"

#include "app/mcfg.h"
#include "app/window.h"
#include "browse/status.h"
#include "res/resource.h"

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CREATE: mcfg.size_cursor = LoadCursorA(nullptr, IDC_SIZEWE); break;
    case WM_DESTROY: PostQuitMessage(0); break;
    case WM_SIZE: Size(LOWORD(lparam), HIWORD(lparam)); break;
    case WM_COMMAND: Command(wparam); break;
    case WM_NOTIFY: Notify((NMHDR*)lparam); break;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}
int Command(WPARAM wparam) {
    if (LOWORD(wparam) == CMD_EXIT) PostQuitMessage(0);
    return 0;
}
int Notify(NMHDR*) { return 0; }
int ContextMenu(int, int) { return 0; }
