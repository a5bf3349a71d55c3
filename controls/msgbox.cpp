#include "controls/msgbox.h"

#include <windows.h>
#include <vector>

#include "core/mcfg.h"
#include "controls/ui.h"
#include "core/log.h"
#include "core/outcome.h"

void MsgBox(const char* text) {
    ModalScope modal;
    MessageBoxA(mwin.hwnd, text, "Trelvista", MB_OK);
}

bool AskYesNo(const char* text) {
    ModalScope modal;
    return MessageBoxA(mwin.hwnd, text, "Trelvista", MB_YESNO | MB_ICONWARNING) == IDYES;
}

void TellNotDone(const char* routine, const std::string& subject, unsigned long error,
                 const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    log_line("%s\t%s () %s failed: %lu ...\n", time_stamp(), routine, subject.c_str(), error);
    MsgBox(ListedLines(lines).c_str());
}

ModalScope::ModalScope() { mcfg.modal.depth++; }

ModalScope::~ModalScope() { End(); }

bool ModalScope::Active() { return mcfg.modal.depth > 0; }

void ModalScope::EnterMenu() { mcfg.modal.depth++; }

void ModalScope::LeaveMenu() {
    if (mcfg.modal.depth > 0) End();
}

void ModalScope::CloseWhenDone() { mcfg.modal.close_asked = true; }

void ModalScope::Hold(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    MSG held = {};
    held.hwnd = window;
    held.message = message;
    held.wParam = wparam;
    held.lParam = lparam;
    mcfg.modal.held.push_back(held);
}

void ModalScope::End() {
    if (--mcfg.modal.depth > 0) return;
    // Posted in the order they came, after whatever the loop's own end posted.
    std::vector<MSG> due;
    due.swap(mcfg.modal.held);
    for (const MSG& m : due)
        PostMessageA(m.hwnd, m.message, m.wParam, m.lParam);
    if (!mcfg.modal.close_asked) return;
    mcfg.modal.close_asked = false;
    if (mwin.hwnd) PostMessageA(mwin.hwnd, WM_CLOSE, 0, 0);
}
