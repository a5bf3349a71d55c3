#include <windows.h>

#include "app/ui.h"
#include "fileops/fileops.h"

HANDLE clipboard_files() {
    // The clipboard is held only for the look-up; the handle stays the clipboard's own and
    // is never released here.
    if (!OpenClipboard(mwin.hwnd)) return nullptr;
    HANDLE files = GetClipboardData(CF_HDROP);
    CloseClipboard();
    return files;
}
