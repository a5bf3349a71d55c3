#include "controls/msgbox.h"

#include <windows.h>
#include <vector>

#include "controls/ui.h"

void MsgBox(const char* text) {
    ModalScope modal;
    MessageBoxA(mwin.hwnd, text, "Trelvista", MB_OK);
}

namespace {

struct HeldMessage {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};
std::vector<HeldMessage> held;

}  // namespace

void ModalScope::Hold(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    held.push_back({window, message, wparam, lparam});
}

ModalScope::~ModalScope() { End(); }

void ModalScope::End() {
    if (--depth_ > 0) return;
    // Posted in the order they came, after whatever the loop's own end posted.
    std::vector<HeldMessage> due;
    due.swap(held);
    for (const HeldMessage& m : due)
        PostMessageA(m.window, m.message, m.wparam, m.lparam);
    if (!close_asked_) return;
    close_asked_ = false;
    if (mwin.hwnd) PostMessageA(mwin.hwnd, WM_CLOSE, 0, 0);
}
