// Placeholder until the status line is built.
#include "browse/status.h"

#include "app/ui.h"

StatusTexts ComposeStatus(const StatusInput&) { return {}; }
void Paint() {
    PAINTSTRUCT ps;
    BeginPaint(mwin.hwnd, &ps);
    EndPaint(mwin.hwnd, &ps);
}
