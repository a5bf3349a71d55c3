#include "browse/status.h"

#include "controls/ui.h"

void ShowFindControls(bool show) {
    int how = show ? SW_SHOW : SW_HIDE;
    if (mcby.hwnd) ShowWindow(mcby.hwnd, how);
    if (mbtn.hwnd) ShowWindow(mbtn.hwnd, how);
}


