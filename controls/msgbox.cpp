#include "controls/msgbox.h"

#include <windows.h>

#include "controls/ui.h"

void MsgBox(const char* text) {
    ModalScope modal;
    MessageBoxA(mwin.hwnd, text, "Trelvista", MB_OK);
}
