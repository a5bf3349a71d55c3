#include "controls/msgbox.h"

#include <windows.h>

void MsgBox(const char* text) { MessageBoxA(nullptr, text, "Trelvista", MB_OK); }
