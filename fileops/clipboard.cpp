#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>

#include "app/log.h"
#include "app/mcfg.h"
#include "app/ui.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"

uint32_t DropBlockSize(uint32_t list_length) { return ((list_length + 22) & ~31u) + 32; }

std::string BuildDropBlock(const PathList& list) {
    uint32_t length = (uint32_t)list.length();
    std::string block(DropBlockSize(length), '\0');
    DROPFILES header = {};
    header.pFiles = sizeof header;  // 20: the paths follow the header
    header.fWide = FALSE;
    memcpy(&block[0], &header, sizeof header);
    if (length) memcpy(&block[sizeof header], list.data(), length);
    return block;
}

const FolderEntry* FirstSelectedEntry() {
    int row = mlvw.NextSelected(-1);
    return row >= 0 && (unsigned)row < ViewCount(mcfg.view) ? mcfg.view[row].entry : nullptr;
}

void ForEachSelectedPath(const char* routine, const std::function<void(const char*)>& visit) {
    unsigned rows = ViewCount(mcfg.view);
    int row = mlvw.NextSelected(-1);
    // With every row selected (Ctrl+A) the rows are taken in order without asking the list
    // for each next one, which costs more than the rest of the walk.
    int selected = row >= 0 ? mlvw.SelectedCount() : 0;
    bool all = selected > 0 && (unsigned)selected == rows;
    for (; row >= 0 && (unsigned)row < rows;
         row = all ? ((unsigned)row + 1 < rows ? row + 1 : -1) : mlvw.NextSelected(row)) {
        const FolderEntry* e = mcfg.view[row].entry;
        if (!e) continue;
        char path[MAX_PATH];
        // A row whose path cannot be composed whole is left out, never cut into the name of
        // another file.
        if (!EntryPath(*e, path, sizeof path)) {
            log_line("%s\t%s () %s left out: no usable path ...\n", time_stamp(), routine, e->name);
            continue;
        }
        visit(path);
    }
}

void GatherSelection() {
    mcfg.paths.clear(0);
    int row = mlvw.NextSelected(-1);
    if (row < 0) {
        // The folder of the tree's selection; the root "Drives" shows no folder, and the one
        // read before it is not what the user sees selected.
        if (TreeShowsFolderRead()) mcfg.paths.add_from(mcfg.folder);
        return;
    }
    int selected = mlvw.SelectedCount();
    mcfg.paths.from.reserve((size_t)(selected > 0 ? selected : 1) * (strlen(mcfg.folder) + 24));
    ForEachSelectedPath("Copy", [](const char* path) { mcfg.paths.from.append(path); });
    mcfg.paths.from.close();
}

void Copy(bool to_clipboard) {
    GatherSelection();
    if (!to_clipboard) return;
    // Without a row, or with no row whose path could be composed, the user's clipboard keeps
    // what it holds.
    if (mlvw.NextSelected(-1) < 0 || mcfg.paths.from.length() <= 1) {
        log_line("%s\tCopy () refused: nothing gathered ...\n", time_stamp());
        mcfg.paths.clear(1);
        return;
    }
    std::string image = BuildDropBlock(mcfg.paths.from);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, image.size());
    if (block) {
        if (void* bytes = GlobalLock(block)) {
            memcpy(bytes, image.data(), image.size());
            GlobalUnlock(block);
        }
        if (OpenClipboard(mwin.hwnd)) {
            EmptyClipboard();
            // From here on the clipboard owns the block.
            if (SetClipboardData(CF_HDROP, block)) block = nullptr;
            CloseClipboard();
        }
        if (block) GlobalFree(block);
    }
    log_line("%s\tCopy () %s OK ...\n", time_stamp(), mcfg.paths.from.data());
    mcfg.paths.clear(1);
}

int ReadDropList(HDROP drop, PathList& list) {
    list.clear();
    UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    int taken = 0;
    for (UINT i = 0; i < count; i++) {
        // A name of 260 characters or more would come back cut to 259: another file's name.
        UINT length = DragQueryFileA(drop, i, nullptr, 0);
        if (length == 0) continue;  // an empty name names nothing
        char name[MAX_PATH] = {};
        if (length > MAX_PATH - 1 || DragQueryFileA(drop, i, name, sizeof name) != length) {
            log_line("%s\tPaste () name %u left out: longer than 259 characters ...\n",
                     time_stamp(), i);
            continue;
        }
        list.append(name);
        taken++;
    }
    list.close();
    return taken;
}

namespace {

// Copies the names in mcfg.paths.from into the folder that was read, under names that
// replace nothing, and reads the folder again.
void PasteList() {
    if (mcfg.paths.from.length() <= 2) return;
    char folder[MAX_PATH];
    lstrcpynA(folder, mcfg.folder, sizeof folder);
    if (!folder[0] || mcfg.drives_mode) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    mcfg.paths.clear(2);
    mcfg.paths.add_to(folder);
    log_line("%s\tPaste () %s %s OK ...\n", time_stamp(), mcfg.paths.from.data(), folder);
    RunTransfer("Paste", true);
    Read();
}

}  // namespace

void Paste(HANDLE drop) {
    if (!drop) {
        // Nothing to paste: what an earlier operation left in the list is not run again.
        log_line("  Paste (NULL)\n");
        return;
    }
    mcfg.paths.clear(1);
    ReadDropList((HDROP)drop, mcfg.paths.from);
    PasteList();
}

void PasteClipboard() {
    // The names are read while the clipboard is open, and the clipboard is closed before the
    // copy runs: the shell's dialogs must not keep it from other programs.
    mcfg.paths.clear(1);
    bool have = false;
    if (OpenClipboard(mwin.hwnd)) {
        if (HANDLE files = GetClipboardData(CF_HDROP)) {
            ReadDropList((HDROP)files, mcfg.paths.from);
            have = true;
        }
        CloseClipboard();
    }
    if (!have) {
        log_line("  Paste (NULL)\n");
        return;
    }
    PasteList();
}

HANDLE clipboard_files() {
    // The handle stays the clipboard's own and is never released here.
    if (!OpenClipboard(mwin.hwnd)) return nullptr;
    HANDLE files = GetClipboardData(CF_HDROP);
    CloseClipboard();
    return files;
}

UINT clipboard_file_count() {
    // Counted while the clipboard is open: once it is closed, its data may go at any time.
    if (!OpenClipboard(mwin.hwnd)) return 0;
    HANDLE files = GetClipboardData(CF_HDROP);
    UINT count = files ? DragQueryFileA((HDROP)files, 0xFFFFFFFF, nullptr, 0) : 0;
    // Some platforms count the empty text of an empty list as one name: a list names files
    // only when one of its names is not empty. The walk ends at the first such name.
    UINT named = 0;
    for (UINT i = 0; i < count && !named; i++)
        if (DragQueryFileA((HDROP)files, i, nullptr, 0) > 0) named = count;
    CloseClipboard();
    return named;
}

LRESULT CALLBACK Drop(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC own = (WNDPROC)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if (message == WM_DROPFILES) {
        log_line("%s\tDrop () OK ...\n", time_stamp());
        HDROP drop = (HDROP)wparam;
        Paste(drop);
        // The drop's names are in the list; the handle is the program's to release, and
        // the list view's own procedure must not see it released.
        DragFinish(drop);
        return 0;
    }
    return own ? CallWindowProcA(own, hwnd, message, wparam, lparam) : 0;
}
