#include "controls/msgbox.h"

#include <windows.h>

#include "controls/ui.h"

void MsgBox(const char* text) {
    ModalScope modal;
    MessageBoxA(mwin.hwnd, text, "Trelvista", MB_OK);
}

ModalScope::~ModalScope() {
    if (--depth_ > 0 || !close_asked_) return;
    close_asked_ = false;
    if (mwin.hwnd) PostMessageA(mwin.hwnd, WM_CLOSE, 0, 0);
}
