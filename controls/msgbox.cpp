#include "controls/msgbox.h"

#include <windows.h>

#include "controls/ui.h"
#include "core/log.h"
#include "core/outcome.h"

void MsgBox(const char* text) {
    ModalScope modal;
    MessageBoxA(mwin.hwnd, text, "Trelvista", MB_OK);
}

void TellNotDone(const char* routine, const std::string& subject, unsigned long error,
                 const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    log_line("%s\t%s () %s failed: %lu ...\n", time_stamp(), routine, subject.c_str(), error);
    MsgBox(ListedLines(lines).c_str());
}

ModalScope::~ModalScope() {
    if (--depth_ > 0 || !close_asked_) return;
    close_asked_ = false;
    if (mwin.hwnd) PostMessageA(mwin.hwnd, WM_CLOSE, 0, 0);
}
