#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <process.h>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/outcome.h"
#include "controls/msgbox.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "core/messages.h"
#include "core/paths.h"
#include "browse/navigate.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "core/handles.h"

namespace {

// Opens the clipboard, trying again for a tenth of a second while another thread (the
// watcher, another program) has it open for a moment.
bool OpenClipboardSoon(HWND owner) {
    for (int i = 0; i < 20; i++) {
        if (OpenClipboard(owner)) return true;
        Sleep(5);
    }
    return false;
}

}  // namespace

namespace {

std::string Unspelled(UINT index) {
    return "Name " + std::to_string(index + 1) +
           " of the list: the program's code page cannot spell it.";
}

}  // namespace

uint32_t DropBlockSize(uint32_t list_length) { return ((list_length + 22) & ~31u) + 32; }

std::string BuildDropBlock(const PathList& list) {
    // The list goes out wide, so that every program reads the real names, whatever its code
    // page; the program's own names convert from its code page exactly.
    std::vector<WCHAR> wide;
    wide.reserve(list.length());
    for (const char* p = list.data(); *p; p += strlen(p) + 1) {
        std::wstring name = WideText(p);
        if (name.empty()) continue;
        wide.insert(wide.end(), name.c_str(), name.c_str() + name.size() + 1);
    }
    wide.push_back(0);
    uint32_t length = (uint32_t)(wide.size() * sizeof(WCHAR));
    std::string block(DropBlockSize(length), '\0');
    DROPFILES header = {};
    header.pFiles = sizeof header;  // 20: the paths follow the header
    header.fWide = TRUE;
    memcpy(&block[0], &header, sizeof header);
    memcpy(&block[sizeof header], wide.data(), length);
    return block;
}

const FolderEntry* FirstSelectedEntry() {
    int row = mlvw.NextSelected(-1);
    return row >= 0 && (unsigned)row < ViewCount(panel.view) ? panel.view[row].entry : nullptr;
}

std::string RefusedRowsText(const std::vector<std::string>& lines) {
    return ListedLines(lines) + "\nNothing was done.";
}

bool SelectedPaths(const char* routine, Names names, PathList& into) {
    into.clear();
    unsigned rows = ViewCount(panel.view);
    int row = mlvw.NextSelected(-1);
    // With every row selected (Ctrl+A) the rows are taken in order without asking the list
    // for each next one, which costs more than the rest of the walk.
    int selected = row >= 0 ? mlvw.SelectedCount() : 0;
    bool all = selected > 0 && (unsigned)selected == rows;
    into.reserve((size_t)(selected > 0 ? selected : 1) * (panel.folder.size() + 24));
    std::vector<std::string> refused;
    std::string path;
    for (; row >= 0 && (unsigned)row < rows;
         row = all ? ((unsigned)row + 1 < rows ? row + 1 : -1) : mlvw.NextSelected(row)) {
        const FolderEntry* e = panel.view[row].entry;
        if (!e) continue;
        std::string why;
        // A row whose path cannot be composed whole is never cut into the name of another
        // file, and one the platform would not reach by its name never stands for another.
        if (!EntryPath(*e, &path, &why)) {
            refused.push_back(why.empty() ? UnreachableText(e->name()) : why);
            continue;
        }
        if (names == Names::kOwn && e->reach != kReachName) {
            refused.push_back("\"" + std::string(e->name()) +
                              "\" is reached only by its short name; a copy or a move would lose "
                              "its name.");
            continue;
        }
        if (refused.empty()) into.append(path.c_str());
    }
    if (!refused.empty()) {
        into.clear();
        into.close();
        log_line("%s\t%s () refused: %u rows cannot be reached by their names ...\n",
                 time_stamp(), routine, (unsigned)refused.size());
        MsgBox(RefusedRowsText(refused).c_str());
        return false;
    }
    into.close();
    return true;
}

bool GatherSelection(const char* routine, Names names, PathList& into) {
    if (mlvw.NextSelected(-1) >= 0) return SelectedPaths(routine, names, into);
    // The folder of the tree's selection; the root "Drives" shows no folder, and the one read
    // before it is not what the user sees selected.
    into.clear();
    if (TreeShowsFolderRead()) into.append(panel.folder.c_str());
    into.close();
    return true;
}

namespace {

// The clipboard format in which a list's maker says whether it is to be copied or moved.
UINT DropEffectFormat() { return RegisterClipboardFormatA("Preferred DropEffect"); }

// Gathers the selected rows and puts them on the clipboard (marked as a move for a cut),
// logged under `routine`.
void SelectionToClipboard(const char* routine, bool cut) {
    PathList from;
    // Without a row, or with a row that cannot be reached, the user's clipboard keeps what it
    // holds.
    if (mlvw.NextSelected(-1) < 0) {
        log_line("%s\t%s () refused: nothing gathered ...\n", time_stamp(), routine);
        return;
    }
    if (!SelectedPaths(routine, Names::kOwn, from) || from.length() <= 1) return;
    std::string image = BuildDropBlock(from);
    GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, image.size()));
    GlobalBlock effect(cut ? GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DWORD)) : nullptr);
    if (block && (!cut || effect)) {
        if (void* bytes = GlobalLock(block.get())) {
            memcpy(bytes, image.data(), image.size());
            GlobalUnlock(block.get());
        }
        if (effect) {
            if (DWORD* value = (DWORD*)GlobalLock(effect.get())) {
                *value = DROPEFFECT_MOVE;
                GlobalUnlock(effect.get());
            }
        }
        if (OpenClipboardSoon(mwin.hwnd)) {
            EmptyClipboard();
            // From here on the clipboard owns each block it took.
            if (SetClipboardData(CF_HDROP, block.get())) block.release();
            // A cut whose list could not be set leaves no mark of a move behind.
            if (effect && !block && SetClipboardData(DropEffectFormat(), effect.get()))
                effect.release();
            CloseClipboard();
            // Paste is enabled at once for the program's own list, without waiting for the
            // watcher's answer.
            if (!block) PostMessageA(mwin.hwnd, WM_APP_CLIPBOARD, 1, 0);
        }
    }
    bool set = !block && !effect;
    if (!set) {
        log_line("%s\t%s () %s failed: the clipboard could not be had ...\n", time_stamp(),
                 routine, from.data());
        MsgBox("The clipboard is busy: another program holds it. Nothing was put on the "
               "clipboard.");
        return;
    }
    log_line("%s\t%s () %s OK ...\n", time_stamp(), routine, from.data());
}

}  // namespace

void Copy() { SelectionToClipboard("Copy", false); }

void Cut() { SelectionToClipboard("Cut", true); }

bool EffectMoves(DWORD effect) {
    return (effect & DROPEFFECT_MOVE) && !(effect & DROPEFFECT_COPY);
}

int ParseDropBlock(const void* block, size_t size, PathList& list,
                   std::vector<std::string>* refused) {
    list.clear();
    const unsigned char* bytes = (const unsigned char*)block;
    DROPFILES header;
    if (!bytes || size < sizeof header) {
        log_line("%s\tPaste () refused: the block is smaller than its header ...\n", time_stamp());
        return -1;
    }
    memcpy(&header, bytes, sizeof header);
    if (header.pFiles < sizeof header || header.pFiles >= size) {
        log_line("%s\tPaste () refused: the names lie outside the block ...\n", time_stamp());
        return -1;
    }
    // One walk from the first name to the empty one that ends the list; every name must end
    // inside the block, and so must the list.
    size_t unit = header.fWide ? sizeof(WCHAR) : 1;
    size_t at = header.pFiles;
    int taken = 0;
    UINT index = 0;
    std::vector<WCHAR> wide;
    std::string name;
    for (;; index++) {
        size_t start = at, length = 0;
        bool ended = false;
        for (; at + unit <= size; at += unit) {
            WCHAR c = 0;
            memcpy(&c, bytes + at, unit);
            if (c == 0) {
                ended = true;
                break;
            }
            length++;
        }
        if (!ended) {
            list.clear();
            log_line("%s\tPaste () refused: a name or the list does not end inside the block ...\n",
                     time_stamp());
            return -1;
        }
        at += unit;
        if (length == 0) break;
        // A name of the list may be as long as the platform's longest path, in its own units
        // (an 8-bit list's bytes are at least as many as its units); in UTF-8 every unit
        // takes at most three bytes.
        bool fits = length <= kLongestPathUnits;
        name.assign(fits ? 3 * length + 1 : 1, '\0');
        if (fits && header.fWide) {
            wide.assign(length + 1, 0);
            memcpy(wide.data(), bytes + start, length * sizeof(WCHAR));
            // A wide name is taken only when the code page spells it exactly: a best-fit
            // spelling would name another file.
            if (!NarrowExact(wide.data(), &name[0], name.size())) {
                log_line("%s\tPaste () name %u left out: the code page cannot spell it ...\n",
                         time_stamp(), index);
                if (refused) refused->push_back(Unspelled(index));
                continue;
            }
        } else if (fits && !NarrowFromSystem((const char*)bytes + start, length, &name[0],
                                             name.size())) {
            // An 8-bit list is in its maker's code page, the system's, which need not be the
            // program's: a name that does not convert exactly would name another file.
            log_line("%s\tPaste () name %u left out: the code page cannot spell it ...\n",
                     time_stamp(), index);
            if (refused) refused->push_back(Unspelled(index));
            continue;
        }
        if (!fits) {
            log_line("%s\tPaste () name %u left out: %zu characters, longer than %zu ...\n",
                     time_stamp(), index, length, kLongestPathUnits);
            if (refused)
                refused->push_back("Name " + std::to_string(index + 1) + " of the list: " +
                                   std::to_string(length) + " characters, longer than the " +
                                   std::to_string(kLongestPathUnits) + " a path can have.");
            continue;
        }
        list.append(name.c_str());
        taken++;
    }
    list.close();
    return taken;
}

int ReadDropList(HDROP drop, PathList& list, std::vector<std::string>* refused) {
    list.clear();
    SIZE_T size = drop ? GlobalSize((HGLOBAL)drop) : 0;
    const void* bytes = size ? GlobalLock((HGLOBAL)drop) : nullptr;
    if (!bytes) {
        list.close();
        return 0;
    }
    int taken = ParseDropBlock(bytes, size, list, refused);
    GlobalUnlock((HGLOBAL)drop);
    if (taken < 0) {
        list.clear();
        list.close();
        return 0;
    }
    return taken;
}

namespace {

// The most bytes a clipboard list may take: far more than any list of paths needs.
const size_t kLargestBlock = 256u << 20;

// A copy of the clipboard's file list block, taken on a thread of its own so that an owner
// that renders late, or never, holds that thread and not the window's. The copy is shared
// between the reader and the thread, and the last of them lets it go.
struct ClipboardRead {
    std::atomic<int> users{2};
    ClipboardList list;
    bool have = false;
    void Leave() {
        if (--users == 0) delete this;
    }
};

unsigned __stdcall ReadClipboardThread(void* arg) {
    ClipboardRead* read = (ClipboardRead*)arg;
    if (OpenClipboardSoon(nullptr)) {
        read->list.sequence = GetClipboardSequenceNumber();
        if (HGLOBAL h = GetClipboardData(CF_HDROP)) {
            SIZE_T size = GlobalSize(h);
            const char* p = size && size <= kLargestBlock ? (const char*)GlobalLock(h) : nullptr;
            if (p) {
                read->list.block.assign(p, size);
                read->have = true;
                GlobalUnlock(h);
            }
        }
        UINT format = DropEffectFormat();
        if (read->have && format && IsClipboardFormatAvailable(format)) {
            HGLOBAL h = GetClipboardData(format);
            const DWORD* p = h && GlobalSize(h) >= sizeof(DWORD) ? (const DWORD*)GlobalLock(h) : nullptr;
            if (p) {
                read->list.effect = *p;
                GlobalUnlock(h);
            }
        }
        CloseClipboard();
    }
    read->Leave();
    return 0;
}

}  // namespace

namespace {

// A reader given up because the clipboard's owner did not answer: it holds the clipboard open
// until the owner renders or goes, and no other reader is started meanwhile.
Handle given_up_reader;

}  // namespace

bool ClipboardHeldByAGivenUpReader() {
    if (!given_up_reader) return false;
    if (WaitForSingleObject(given_up_reader.get(), 0) == WAIT_TIMEOUT) return true;
    given_up_reader.reset();
    return false;
}

bool ReadClipboardBlock(ClipboardList* list, DWORD timeout_ms) {
    *list = ClipboardList{};
    if (ClipboardHeldByAGivenUpReader()) return false;
    ClipboardRead* read = new ClipboardRead;
    if (mwin.hwnd && GetClipboardOwner() == mwin.hwnd) {
        // The program's own list, set whole by Copy or Cut: nothing is rendered late, and it
        // is read here without a thread.
        ReadClipboardThread(read);
        if (read->have) *list = std::move(read->list);
        read->Leave();
        return !list->block.empty();
    }
    Handle thread((HANDLE)_beginthreadex(nullptr, 0, ReadClipboardThread, read, 0, nullptr));
    if (!thread) {
        delete read;
        return false;
    }
    bool done = WaitForSingleObject(thread.get(), timeout_ms) == WAIT_OBJECT_0;
    if (!done) given_up_reader = std::move(thread);
    if (done && read->have) *list = std::move(read->list);
    bool have = done && !list->block.empty();
    if (!done)
        log_line("%s\tPaste () failed: the clipboard's owner did not answer ...\n", time_stamp());
    read->Leave();
    return have;
}

namespace {

// The watcher of the clipboard: a thread that, when asked, looks whether the clipboard holds a
// file list and posts the answer to the window, which greys or enables Paste by it. The look
// is asked on every change of the clipboard, and it may wait: after a program that stopped
// answering has set the clipboard, the first clipboard call of a thread waits seconds for the
// platform's clipboard manager. The window's thread, which must go on answering, therefore
// never makes it. The look does not open the clipboard, so it never keeps the clipboard from
// the program's own Copy and Cut (which open it on the window's thread for as long as setting
// their list takes) or from another program.
struct ClipboardWatch {
    Handle thread;
    Handle ask;
    HWND window = nullptr;
    std::atomic<bool> stop{false};

    static unsigned __stdcall Run(void* arg) {
        ClipboardWatch* w = (ClipboardWatch*)arg;
        DWORD seen = 0;
        bool first = true;
        while (WaitForSingleObject(w->ask.get(), INFINITE) == WAIT_OBJECT_0 && !w->stop) {
            DWORD sequence = GetClipboardSequenceNumber();
            if (!first && sequence == seen) continue;
            first = false;
            seen = sequence;
            UINT files = IsClipboardFormatAvailable(CF_HDROP) ? 1 : 0;
            if (!w->stop) PostMessageA(w->window, WM_APP_CLIPBOARD, files, 0);
        }
        return 0;
    }
    // Asks, then waits a moment for the thread; one held by an owner that does not answer
    // ends with the process.
    ~ClipboardWatch() {
        if (!thread) return;
        stop = true;
        SetEvent(ask.get());
        // A thread still waiting keeps the event: it is not closed under it.
        if (WaitForSingleObject(thread.get(), 500) != WAIT_OBJECT_0) ask.release();
    }
};
ClipboardWatch watch;

}  // namespace

void AskClipboard(HWND window) {
    if (!watch.thread) {
        watch.window = window;
        watch.ask.reset(CreateEventA(nullptr, FALSE, FALSE, nullptr));
        if (!watch.ask) return;
        watch.thread.reset(
            (HANDLE)_beginthreadex(nullptr, 0, ClipboardWatch::Run, &watch, 0, nullptr));
        if (!watch.thread) {
            watch.ask.reset();
            return;
        }
    }
    SetEvent(watch.ask.get());
}

namespace {

// Empties the clipboard after a cut list was moved, as the desktop shell does, unless
// something else was put on it meanwhile. On a thread of its own: emptying tells the list's
// owner, which may be another program slow to answer.
unsigned __stdcall EmptyClipboardThread(void* arg) {
    DWORD sequence = (DWORD)(uintptr_t)arg;
    if (OpenClipboardSoon(nullptr)) {
        if (GetClipboardSequenceNumber() == sequence) EmptyClipboard();
        CloseClipboard();
    }
    return 0;
}

// Copies (or, for a cut list, moves) the names that `source` gives into the folder that was
// read, under names that replace nothing, and reads the folder again. True when a move ran
// whole: every name moved.
bool PasteList(const NameSource& source) {
    std::string folder = panel.folder;
    if (folder.empty() || mcfg.drives_mode) {
        MessageBeep(MB_ICONWARNING);
        return false;
    }
    TransferOutcome outcome = RunTransfer("Paste", source, folder);
    if (!outcome.read) return false;
    // The folder shows the pasted entries selected, as the desktop shell does.
    ReadSelecting(outcome.arrived);
    return !outcome.copy && outcome.all_done();
}

}  // namespace

void Paste(HANDLE drop) {
    if (!drop) {
        // Nothing to paste: what an earlier operation left in the list is not run again.
        log_line("  Paste (NULL)\n");
        return;
    }
    // The drop's block is read here, before the handle is released; the names are looked at on
    // the job's thread.
    PathList from;
    std::vector<std::string> refused;
    ReadDropList((HDROP)drop, from, &refused);
    std::vector<std::string> paths = from.paths();
    PasteList([&](TransferNames* names) {
        names->paths = std::move(paths);
        names->refused = std::move(refused);
        return true;
    });
}

void PasteClipboard() {
    if (ClipboardHeldByAGivenUpReader()) {
        log_line("%s\tPaste () refused: the clipboard is busy ...\n", time_stamp());
        MsgBox("The clipboard is busy: the program that put the list there does not answer. "
               "Nothing was pasted.");
        return;
    }
    // The block is copied on a thread of its own, given up after a second, and read only
    // after its checks; all of that waits on the job's thread, not the window's.
    DWORD sequence = 0;
    bool pasted_whole = PasteList([&sequence](TransferNames* names) {
        ClipboardList list;
        PathList from;
        if (!ReadClipboardBlock(&list, 1000)) {
            log_line("  Paste (NULL)\n");
            // A list whose owner did not render it within the second is told; an empty
            // clipboard (Paste is greyed then) is not.
            if (ClipboardHeldByAGivenUpReader())
                names->told = "The program that put the list on the clipboard does not answer. "
                              "Nothing was pasted.";
            return false;
        }
        if (ParseDropBlock(list.block.data(), list.block.size(), from, &names->refused) < 0) {
            log_line("  Paste (NULL)\n");
            return false;
        }
        names->paths = from.paths();
        names->copy = !EffectMoves(list.effect);
        sequence = list.sequence;
        return true;
    });
    // A cut list is moved, and once every name has moved the cut is spent.
    if (pasted_whole) {
        Handle thread((HANDLE)_beginthreadex(nullptr, 0, EmptyClipboardThread,
                                             (void*)(uintptr_t)sequence, 0, nullptr));
    }
}

LRESULT CALLBACK Drop(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    WNDPROC own = (WNDPROC)GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if (message == WM_DROPFILES) {
        HDROP drop = (HDROP)wparam;
        if (ModalScope::Active()) {
            // A drop onto the window while a job or a message box holds it takes nothing.
            log_line("%s\tDrop () refused: a job or a dialog is open ...\n", time_stamp());
            MessageBeep(MB_ICONWARNING);
            DragFinish(drop);
            return 0;
        }
        // A drop onto the list while another folder is being read would land in the folder
        // the user is leaving.
        if (RefusedWhileReading("Drop ()")) {
            DragFinish(drop);
            return 0;
        }
        log_line("%s\tDrop () OK ...\n", time_stamp());
        Paste(drop);
        // The drop's names are in the list; the handle is the program's to release, and
        // the list view's own procedure must not see it released.
        DragFinish(drop);
        return 0;
    }
    // A click or a key that clears a large selection makes the control unselect each row on
    // its own; its drawing is held meanwhile and the list repainted once. (Not for the right
    // button: the control tracks it in a loop of its own, which opens the context menu.)
    bool clears = message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_KEYDOWN;
    HeldRedraw held(hwnd, clears && SendMessageA(hwnd, LVM_GETSELECTEDCOUNT, 0, 0) > 64);
    return own ? CallWindowProcA(own, hwnd, message, wparam, lparam) : 0;
}
