// Placeholders for the file operations that are not built yet. Each does nothing, except
// RenameEnd, whose "no rename in progress" branch re-reads the folder.
#include "fileops/fileops.h"

#include "app/mcfg.h"
#include "browse/navigate.h"

void Copy(bool) {}
void Paste(HANDLE) {}
LRESULT CALLBACK Drop(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC own = (WNDPROC)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    return own ? CallWindowProcA(own, hwnd, message, wparam, lparam) : 0;
}
void Delete(bool) {}
void Rename() {}
void RenameEnd() {
    if (!mcfg.rename_edit) Read();
}
void SetAttr(int) {}
void NewFolder() {}
void NewFile() {}
void MoveDragged() {}
void SendTo(HMENU, int) {}
void NewCmd() {}
void Wallpaper() {}
