#include "browse/navigate.h"

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "controls/clvw.h"
#include "controls/msgbox.h"
#include "browse/entries.h"
#include "browse/format.h"
#include "core/paths.h"
#include "core/messages.h"
#include "controls/treepath.h"
#include "core/handles.h"
#include "core/keptrows.h"

#include <memory>
#include <new>
#include <process.h>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

// The tree's images, by drive type.
int DriveImage(UINT type) {
    switch (type) {
    case DRIVE_REMOTE: return 4;
    case DRIVE_REMOVABLE: return 3;
    case DRIVE_CDROM: return 2;
    default: return 1;
    }
}

// The start folder is opened by the first Init only: a later Init (Read on "Drives")
// rebuilds the drive list and stays in the drive view.
bool start_dir_pending = true;

// The start folder as a path: a command-line tail in double quotes names the folder
// between them.
std::string StartFolder() {
    const std::string& s = mcfg.start_dir;
    size_t n = s.size();
    if (n >= 2 && s[0] == '"' && s[n - 1] == '"') return s.substr(1, n - 2);
    return s;
}

// Whether the path names a folder that is there; a drive's root is asked as "C:\\", never as
// the drive's current folder.
bool FolderExists(const char* path) {
    std::string asked = path;
    if (asked.size() == 2 && asked[1] == ':') asked += '\\';
    // Through the "\\?\" form, so that a folder longer than the plain calls take is found too.
    DWORD attributes = GetFileAttributesW(LongPath(asked).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Puts the folder that was read back into the path box after a text that cannot be read,
// so that the box, the tree and the list never disagree.
void RestorePathBox() {
    // Before any folder was read the box shows the drive view's "C:", as at the start.
    mcbx.SetText(!panel.folder.empty() ? panel.folder.c_str() : "C:");
    MessageBeep(MB_ICONWARNING);
}

// The path box's whole text, however long: a text is never cut down to another path.
std::string PathBoxText() { return mcbx.GetText(); }

// A folder that cannot be listed whole: the list is emptied and no folder counts as read, so
// that no routine acts on the folder read before in its place, and none shows empty a folder
// whose real contents a Delete would remove.
void ShowUnreadable(const char* shown, const char* why) {
    GiveUpRead();
    SetMode(kShowFolder);
    UncheckAttributeButtons();
    panel.folder.clear();
    mcbx.SetText(shown);
    mlvw.DeleteAll();
    ReleaseEntries();
    Sort();
    log_line("%s\tRead () %s failed: %s ...\n", time_stamp(), shown, why);
}

// The text with its environment variables ("%USERPROFILE%") expanded, however long; "" when
// it does not expand.
std::string ExpandedText(const std::string& text) {
    DWORD n = ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (n == 0) return std::string();
    // The size asked for may count the platform's units, which the code page spells in up to
    // three bytes each: a buffer of the bytes alone would come back cut.
    std::string out(3 * (size_t)n + 1, '\0');
    DWORD m = ExpandEnvironmentStringsA(text.c_str(), &out[0], (DWORD)out.size());
    if (m == 0 || m > out.size()) return std::string();
    out.resize(strlen(out.c_str()));
    return out;
}

}  // namespace

namespace {

// Holds the tree's selection notifications off while the navigation brings the tree to the
// folder it reads.
class TreeQuiet {
  public:
    TreeQuiet() : was_(panel.tree_quiet) { panel.tree_quiet = true; }
    ~TreeQuiet() { panel.tree_quiet = was_; }
    TreeQuiet(const TreeQuiet&) = delete;
    TreeQuiet& operator=(const TreeQuiet&) = delete;

  private:
    bool was_;
};

}  // namespace

namespace {

// What a folder's own record says: the platform changes its write time whenever an entry
// is made, removed or renamed in it.
struct FolderStamp {
    bool there = false;
    DWORD attributes = 0;
    FILETIME written = {};
    bool operator!=(const FolderStamp& o) const {
        return there != o.there || attributes != o.attributes ||
               CompareFileTime(&written, &o.written) != 0;
    }
};

FolderStamp StampOf(const std::wstring& folder) {
    FolderStamp stamp;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExW(folder.c_str(), GetFileExInfoStandard, &data)) return stamp;
    stamp.there = true;
    stamp.attributes = data.dwFileAttributes;
    stamp.written = data.ftLastWriteTime;
    return stamp;
}

// The wide form of a folder to watch, in its "\\?\" form so that a long path is watched too;
// a drive's root is "C:\", never the drive's current folder.
std::wstring WatchedFolder(const char* folder) {
    return LongPath(folder);
}

}  // namespace

// One read of a folder on a thread of its own: the pending navigation. The window's thread
// makes it (the folder, what to keep of the rows, a generation) and takes its entries when it
// has ended; the thread writes only its own list and count. A read that ends within kQuick is
// shown at once, as a read on the window's thread would be; a longer one leaves the folder
// shown before as it is until it has ended, and the window answers meanwhile.
struct ReadJob {
    std::string folder;
    KeptRows kept;
    unsigned generation = 0;
    HWND window = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<size_t> count{0};
    EntryList list;
    FolderStamp stamp;  // the folder's own record, taken before its listing
    // The rows of the list in the order by name of direction `dir` (mcfg.sort_dir when the
    // read began), made on the read's own thread so that the window only installs them.
    int dir = 1;
    std::unique_ptr<ViewSlot[]> view;
    ViewOrder made;
};

namespace {

// How long a read may take and still be shown as if the window had read it itself.
const DWORD kQuick = 80;
// How long a read that is given up is waited for; one held by a drive that stopped answering
// goes on with a job of its own and changes nothing when it ends.
const DWORD kStopBound = 250;

unsigned __stdcall ReadThread(void* arg) {
    std::unique_ptr<std::shared_ptr<ReadJob>> share((std::shared_ptr<ReadJob>*)arg);
    ReadJob& job = **share;
    ListControl control;
    control.stop = &job.stop;
    control.count = &job.count;
    job.stamp = StampOf(WatchedFolder(job.folder.c_str()));
    // A folder that is gone is not listed: what an empty listing would show is not there.
    if (job.stamp.there && ListFolder(job.list, job.folder.c_str(), &control) == 0 &&
        !job.list.empty()) {
        job.view.reset(new (std::nothrow) ViewSlot[job.list.size()]);
        if (job.view) OrderEntries(job.list, 0, job.dir, false, job.view.get(), &job.made);
    }
    PostMessageA(job.window, WM_APP_READ_DONE, job.generation, 0);
    return 0;
}

// The watcher of the folder that was read: a thread that looks at the folder's own record
// once a second and posts each change to the window. It holds no handle of the folder, so
// that the folder can be removed or renamed by anyone meanwhile (a folder held open stays
// until it is let go). The record is taken before the folder is listed, so a change made
// while it is listed is seen too; a new read starts a new watch, so that the program's own
// changes, which the read that follows them shows, are not read a second time.
struct WatchArgs {
    std::wstring folder;
    FolderStamp stamp;
    HANDLE stop;
    HWND window;
    unsigned generation;
};

unsigned __stdcall WatchThread(void* arg) {
    std::unique_ptr<WatchArgs> args((WatchArgs*)arg);
    while (WaitForSingleObject(args->stop, 1000) == WAIT_TIMEOUT) {
        FolderStamp now = StampOf(args->folder);
        if (now != args->stamp) {
            args->stamp = now;
            PostMessageA(args->window, WM_APP_FOLDER_CHANGED, args->generation, 0);
        }
    }
    return 0;
}

void StopWatch() {
    FolderWatch& watch = panel.watch;
    watch.generation = panel.NextGeneration();
    if (!watch.thread) return;
    SetEvent(watch.stop.get());
    // The thread may be in a look at a drive that stopped answering: it is let go, and its
    // late message is of a generation that has passed. The event stays with a thread that did
    // not end in time, which may still wait on it.
    if (WaitForSingleObject(watch.thread.get(), kStopBound) == WAIT_OBJECT_0)
        watch.stop.reset();
    else
        watch.stop.release();
    watch.thread.reset();
}

void Watch(const std::wstring& folder, const FolderStamp& stamp) {
    StopWatch();
    FolderWatch& watch = panel.watch;
    watch.changed = false;
    watch.last_read = GetTickCount();
    if (folder.empty() || !mwin.hwnd) return;
    auto args = std::make_unique<WatchArgs>();
    args->folder = folder;
    args->stamp = stamp;
    args->window = mwin.hwnd;
    args->generation = watch.generation;
    watch.stop.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!watch.stop) return;
    args->stop = watch.stop.get();
    WatchArgs* raw = args.release();
    watch.thread.reset((HANDLE)_beginthreadex(nullptr, 0, WatchThread, raw, 0, nullptr));
    if (!watch.thread) {
        delete raw;
        watch.stop.reset();
    }
}

// The rows of the listed entries as the kept rows ask (see KeptRowMatches): the same entries
// selected, one focused, the same row on top.
void RestoreRows(const KeptRows& kept) {
    unsigned rows = ViewCount(panel.view);
    if (!rows || !mlvw.hwnd) return;
    if (!kept.selected.empty() || !kept.focused.name.empty()) {
        HeldRedraw held(mlvw.hwnd);
        KeptRowMatch match(kept);
        for (unsigned i = 0; i < rows; i++) {
            const FolderEntry* e = panel.view[i].entry;
            if (!e) continue;
            UINT state = match.Selected(*e) ? LVIS_SELECTED : 0;
            if (match.Focused(*e)) state |= LVIS_FOCUSED;
            if (!state) continue;
            LVITEMA item = {};
            item.stateMask = state;
            item.state = state;
            SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, i, (LPARAM)&item);
        }
    }
    if (kept.top > 0 && (unsigned)kept.top < rows) {
        int page = (int)SendMessageA(mlvw.hwnd, LVM_GETCOUNTPERPAGE, 0, 0);
        int last = kept.top + (page > 0 ? page - 1 : 0);
        SendMessageA(mlvw.hwnd, LVM_ENSUREVISIBLE, (unsigned)last < rows ? last : rows - 1, FALSE);
        SendMessageA(mlvw.hwnd, LVM_ENSUREVISIBLE, kept.top, FALSE);
    }
}

// The folder read is gone: it is said once, its tree item goes, and the nearest folder above
// it that is there is read instead.
}  // namespace

void FolderGone(const std::string& folder) {
    log_line("%s\tRead () %s failed: the folder is no longer there ...\n", time_stamp(),
             folder.c_str());
    std::string above = folder;
    while (!above.empty() && !FolderExists(above.c_str())) {
        size_t cut = above.rfind('\\');
        above = cut == std::string::npos ? std::string() : above.substr(0, cut);
    }
    // The tree's item of the gone folder goes first, quietly, so that no later step finds it.
    {
        TreeQuiet quiet;
        HTREEITEM item = mtvw.FindPath(folder.c_str());
        if (item && item != mtvw.Root()) {
            HTREEITEM parent = mtvw.Parent(item);
            if (parent) mtvw.Select(parent);
            mtvw.DeleteItems(item, 1);
        }
    }
    if (panel.folder == folder) {
        // What the list showed is not there any more: nothing acts on it.
        panel.folder.clear();
        mlvw.DeleteAll();
        ReleaseEntries();
        Sort();
        StopWatch();
    }
    MsgBox(("The folder \"" + folder + "\" is no longer there.").c_str());
    if (above.empty() || !Navigate(above.c_str())) {
        TreeQuiet quiet;
        mtvw.Select(mtvw.Root());
        SetMode(kShowDrives);
        mcbx.SetText("C:");
        AskLayout();
        InvalidateRect(mwin.hwnd, nullptr, TRUE);
    }
}

namespace {

// An open rename edit ends before the rows under it go: the name typed is kept for the
// window's loop, which carries it out (or tells why not), and never dropped.
void EndRenameEdit() {
    HWND edit = panel.rename_edit;
    if (!edit || !IsWindow(edit)) return;
    std::string text = WholeWindowText(edit);
    std::string old_path = panel.rename_old_path;
    // The list reports the cancelled edit, which forgets the rename; it is taken up again.
    SendMessageA(mlvw.hwnd, LVM_CANCELEDITLABEL, 0, 0);
    panel.rename_edit = nullptr;
    if (old_path.empty() || text.empty()) return;
    panel.rename_old_path = old_path;
    panel.rename_text = text;
    panel.rename_pending = true;
    PostMessageA(mwin.hwnd, WM_NULL, 0, 0);
}

// The folder shown so far goes on the way back when another one is shown, unless a step back
// or forward shows it.
void RememberWayBack(const char* folder) {
    bool step = panel.history_step == folder;
    panel.history_step.clear();
    if (step || panel.folder.empty() || panel.folder == folder) return;
    panel.back_folders.emplace_back(panel.folder);
    // A long session keeps the last few hundred folders.
    if (panel.back_folders.size() > 500) panel.back_folders.erase(panel.back_folders.begin());
    panel.forward_folders.clear();
}

// The listed folder becomes the folder that was read: the list, the path box, the history,
// the tree item's subfolders and the rows kept.
void ShowRead(ReadJob& job) {
    if (!job.stamp.there) {
        FolderGone(job.folder);
        return;
    }
    EndRenameEdit();
    SetMode(kShowFolder);
    UncheckAttributeButtons();
    ForgetTypeIcons();
    const char* folder = job.folder.c_str();
    RememberWayBack(folder);
    panel.folder = folder;
    mcbx.SetText(folder);
    if (AddHistory(folder)) mcbx.AddString(folder);
    {
        // The list is emptied and filled again without drawing in between: each change of its
        // row count would otherwise lay out its scroll bars anew, a round trip to the window
        // system each time.
        HeldRedraw held(mlvw.hwnd);
        mlvw.DeleteAll();
        // The old entries go first, after any scan that writes into them has stopped.
        ReleaseEntries();
        panel.entries.swap(job.list);
        SetOrder(0, mcfg.sort_dir);
        if (job.view && job.dir == mcfg.sort_dir && !mcfg.find_mode) {
            // The rows were ordered from these very entries, which changed only their list.
            ViewOrder made = job.made;
            made.stamp = panel.entries.stamp();
            ShowOrdered(job.view.release(), made);
        } else {
            Sort();
        }
        RestoreRows(job.kept);
    }
    Watch(WatchedFolder(folder), job.stamp);
    // What follows a read (the size scan in size mode, rows dropped onto the folder while it
    // was read) is the window's to start. The scan takes its own copy of the folder and the
    // names, so nothing here waits for it.
    SendMessageA(mwin.hwnd, WM_APP_FOLDER_READ, 0, 0);
    log_line("%s\tRead () OK ...\n", time_stamp());
}

void CloseReadThread(DWORD wait_ms) {
    if (!panel.read_thread) return;
    WaitForSingleObject(panel.read_thread.get(), wait_ms);
    panel.read_thread.reset();
}

void StopReadAtExit() {
    if (panel.read) panel.read->stop = true;
    CloseReadThread(kStopBound);
    StopWatch();
}

// Rows dropped onto a folder whose read is given up go nowhere.
void DropPendingMove() {
    if (panel.move_target.empty()) return;
    log_line("%s\tMoveDragged () %s given up: the folder was not read ...\n", time_stamp(),
             panel.move_target.c_str());
    panel.move_target.clear();
    panel.move_after_read.clear();
}

// Ends a read that runs, with nothing of it shown: waits a moment for its thread, which is
// let go with a job of its own when it does not end.
std::shared_ptr<ReadJob> AbandonRead() {
    std::shared_ptr<ReadJob> job = std::move(panel.read);
    if (!job) return job;
    job->stop = true;
    CloseReadThread(kStopBound);
    log_line("%s\tRead () %s given up ...\n", time_stamp(), job->folder.c_str());
    return job;
}

void StartRead(const char* folder, const KeptRows& kept) {
    static bool stop_at_exit = atexit(StopReadAtExit) == 0;
    (void)stop_at_exit;
    // A read of another folder replaces one that runs; the tree is at the new one already.
    if (panel.read) AbandonRead();
    if (!panel.move_target.empty() && panel.move_target != folder) DropPendingMove();
    auto job = std::make_shared<ReadJob>();
    job->folder = folder;
    job->kept = kept;
    job->generation = panel.NextGeneration();
    job->window = mwin.hwnd;
    job->dir = mcfg.sort_dir;
    auto* share = new std::shared_ptr<ReadJob>(job);
    uintptr_t thread = _beginthreadex(nullptr, 0, ReadThread, share, 0, nullptr);
    if (!thread) {
        // No thread to be had: the folder is read here.
        ReadThread(share);
        ShowRead(*job);
        return;
    }
    // The window's thread waits for a quick read without serving any message, so nothing runs
    // in between; the read's late message then finds no job of its generation.
    Handle owned((HANDLE)thread);
    if (WaitForSingleObject(owned.get(), kQuick) == WAIT_OBJECT_0) {
        ShowRead(*job);
        return;
    }
    panel.read_thread = std::move(owned);
    panel.read = job;
    mcbx.SetText(folder);
    log_line("%s\tRead () %s GO ...\n", time_stamp(), folder);
    InvalidateRect(mwin.hwnd, nullptr, FALSE);
}

}  // namespace

bool ReadRunning() { return panel.read != nullptr; }

bool RefusedWhileReading(const char* routine) {
    if (!panel.read) return false;
    log_line("%s\t%s refused: a folder is being read ...\n", time_stamp(), routine);
    MessageBeep(MB_ICONWARNING);
    return true;
}

std::string ReadProgress(size_t* count) {
    if (count) *count = panel.read ? panel.read->count.load() : 0;
    return panel.read ? panel.read->folder : std::string();
}

void ReadFinished(unsigned generation) {
    if (!panel.read || panel.read->generation != generation) return;
    std::shared_ptr<ReadJob> job = std::move(panel.read);
    CloseReadThread(INFINITE);
    ShowRead(*job);
    InvalidateRect(mwin.hwnd, nullptr, FALSE);
}

void GiveUpRead() {
    if (!AbandonRead()) return;
    DropPendingMove();
    // The folder shown before stays the folder that was read: the tree and the path box go
    // back to it.
    if (!panel.folder.empty()) {
        TreeQuiet quiet;
        mtvw.SelectPath(panel.folder.c_str(), 5);
    }
    mcbx.SetText(!panel.folder.empty() ? panel.folder.c_str() : "C:");
    InvalidateRect(mwin.hwnd, nullptr, FALSE);
}

KeptRows KeepRows() {
    KeptRows kept;
    unsigned rows = ViewCount(panel.view);
    if (!rows || !mlvw.hwnd || mcfg.find_mode) return kept;
    auto row_of = [](const FolderEntry& e) { return KeptRow{e.name(), e.id}; };
    int focused = (int)SendMessageA(mlvw.hwnd, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_FOCUSED);
    if (focused >= 0 && (unsigned)focused < rows && panel.view[focused].entry)
        kept.focused = row_of(*panel.view[focused].entry);
    for (int row = mlvw.NextSelected(-1); row >= 0 && (unsigned)row < rows;
         row = mlvw.NextSelected(row))
        if (panel.view[row].entry) kept.selected.push_back(row_of(*panel.view[row].entry));
    kept.top = (int)SendMessageA(mlvw.hwnd, LVM_GETTOPINDEX, 0, 0);
    return kept;
}

void StopWatchingFolder() { StopWatch(); }

void FolderChanged(unsigned generation) {
    if (generation == panel.watch.generation) panel.watch.changed = true;
}

bool RereadIfChanged(bool busy) {
    FolderWatch& watch = panel.watch;
    if (!watch.changed || busy || panel.read || panel.rename_edit || panel.dragging ||
        GetTickCount() - watch.last_read < 1000)
        return false;
    watch.changed = false;
    Read();
    return true;
}

void ReadSelecting(const std::vector<std::string>& names) {
    ReadPathKeeping(panel.folder.c_str(), KeptNames(names));
}

bool Navigate(const char* to) {
    // The path may live in a buffer that the read fills again (the tree's path): it is
    // copied first.
    if (!to) return false;
    const std::string copied = to;
    const char* path = copied.c_str();
    std::vector<std::string> parts;
    if (!SplitTreePath(path, parts) || !mtvw.FindChild(nullptr, parts[0].c_str())) return false;
    if (!FolderExists(path)) {
        // A folder that is not there makes no item: the tree holds what is on the disk.
        log_line("%s\tNavigate () %s refused: no such folder ...\n", time_stamp(), path);
        return false;
    }
    // The tree takes the path first, quietly: its items (made where missing) give the folder
    // the spelling every later path is built from, as a click on them would.
    {
        TreeQuiet quiet;
        if (mtvw.SelectPath(path, 5) != 0) return false;
    }
    const char* shown = mtvw.ItemPath(mtvw.Caret());
    if (!shown[0]) {
        ShowUnreadable("", "the tree item's path passes the platform's longest path");
        return true;
    }
    // The read gives the list, the path box and the tree item's subfolders.
    ReadPath(shown);
    return true;
}

bool StepThroughHistory(bool back) {
    std::vector<std::string>& from = back ? panel.back_folders : panel.forward_folders;
    std::vector<std::string>& to = back ? panel.forward_folders : panel.back_folders;
    const char* routine = back ? "GoBack ()" : "GoForward ()";
    // A folder removed since it was read is passed over.
    while (!from.empty()) {
        std::string folder = std::move(from.back());
        from.pop_back();
        if (!FolderExists(folder.c_str())) continue;
        std::string shown = panel.folder;
        panel.history_step = folder;
        if (!Navigate(folder.c_str())) {
            panel.history_step.clear();
            continue;
        }
        if (!shown.empty() && shown != folder) to.push_back(shown);
        log_line("%s\t%s %s OK ...\n", time_stamp(), routine, folder.c_str());
        return true;
    }
    log_line("%s\t%s refused: no folder that way ...\n", time_stamp(), routine);
    MessageBeep(MB_ICONWARNING);
    return false;
}

bool TreeShowsFolderRead() {
    HTREEITEM caret = mtvw.Caret();
    if (!caret || caret == mtvw.Root() || mcfg.drives_mode || mcfg.find_mode || panel.folder.empty())
        return false;
    const char* path = mtvw.ItemPath(caret);
    // Spelt exactly so: a case twin of the folder that was read is another folder.
    return path[0] && panel.folder == path;
}

bool TreeRootSelected() { return mtvw.Caret() == mtvw.Root(); }

bool AddHistory(const char* text) {
    for (const std::string& h : mcfg.history)
        if (h == text) return false;
    mcfg.history.emplace_back(text);
    return true;
}

void FillDriveTable(DriveInfo* drives, std::vector<DriveItem>* items) {
    int next = 0;
    for (char letter = 'C'; letter <= 'Z'; letter++) {
        char name[4] = {letter, ':', '\0', '\0'};
        char root[4] = {letter, ':', '\\', '\0'};
        UINT type = GetDriveTypeA(root);
        ULARGE_INTEGER available, total, total_free;
        bool ok = GetDiskFreeSpaceExA(root, &available, &total, &total_free) != 0;
        DriveInfo& d = drives[next];
        d = DriveInfo{};
        if (ok) {
            if (total.QuadPart > 0) {
                d.total = (long long)total.QuadPart;
                d.free = (long long)available.QuadPart;
                d.used = (unsigned)(100 - (unsigned long long)d.free * 100 / total.QuadPart);
            }
            lstrcpynA(d.name, name, sizeof d.name);
        } else if (type == DRIVE_CDROM) {
            // A CD-ROM drive without a disc fails the query and is listed all the same.
            lstrcpynA(d.name, name, sizeof d.name);
        }
        if (ok || type == DRIVE_CDROM) {
            if (items) items->push_back({name, DriveImage(type)});
            next++;
        }
    }
    for (int i = next; i < 26; i++)
        drives[i] = DriveInfo{};
}

void Init() {
    mtvw.DeleteItems(nullptr, 0);
    UncheckAttributeButtons();
    HTREEITEM root = mtvw.InsertItem("Drives", 0, nullptr, nullptr);
    std::vector<DriveItem> items;
    FillDriveTable(mcfg.drives, &items);
    HTREEITEM after = nullptr;
    for (const DriveItem& item : items)
        after = mtvw.InsertItem(item.name.c_str(), item.image, root, after);
    mtvw.Expand(root, TVE_EXPAND);

    bool opened = false;
    if (!mcfg.start_dir.empty() && start_dir_pending) {
        start_dir_pending = false;
        std::string start = StartFolder();
        const char* folder = start.c_str();
        mcbx.SetText(folder);
        opened = IsFullFolderPath(folder) && Navigate(folder);
        if (!opened) mcbx.SetText("C:");
    }
    if (!opened) {
        // Without a start folder the root is the selected item: the drive view.
        mtvw.Select(root);
        AskLayout();
    }
    log_line("%s\tInit () OK ...\n", time_stamp());
}

void ReadPath(const char* path) { ReadPathKeeping(path, KeptRows()); }

void ReadPathKeeping(const char* path, const KeptRows& kept) {
    // The text may live in a buffer that the steps below fill again (the tree's path).
    const std::string copied = path ? path : "";
    const char* folder = copied.c_str();
    if (folder[0] && !IsFullFolderPath(folder)) {
        // "docs" or "C:docs" would be read relative to a current folder, and every path
        // composed from it would name files the user never saw.
        log_line("%s\tRead () %s refused: no full folder path ...\n", time_stamp(), folder);
        RestorePathBox();
        return;
    }
    if (PathUnits(folder) > kLongestListedFolder) {
        ShowUnreadable(folder, "too long to list");
        return;
    }
    // The modes change when the folder is shown: until then the list still shows what it
    // showed, and its rows' paths are composed as before.
    if (folder[0]) {
        StartRead(folder, kept);
        return;
    }
    SetMode(kShowFolder);
    UncheckAttributeButtons();
    log_line("%s\tRead () OK ...\n", time_stamp());
}

void Read() {
    // The pending navigation is the folder the user asked for last: reading the folder shown
    // again would give it up.
    if (RefusedWhileReading("Read ()")) return;
    // With the root "Drives" selected there is no folder on show: the drive list is built
    // again instead, and the tree keeps its drives.
    if (TreeRootSelected()) {
        Init();
        return;
    }
    std::string folder = panel.folder;
    if (folder.empty()) {
        HTREEITEM caret = mtvw.Caret();
        if (caret) folder = mtvw.ItemPath(caret);
    }
    // The same folder read again keeps its rows selected and focused, and its scroll.
    ReadPathKeeping(folder.c_str(), folder == panel.folder ? KeepRows() : KeptRows());
}

bool PathBoxEdited() {
    std::string typed = PathBoxText();
    return !typed.empty() && typed != panel.folder;
}

void Back() {
    std::string path = panel.folder;
    HTREEITEM shown = mtvw.Caret();
    if (path.empty() && shown && shown != mtvw.Root() && !mcfg.drives_mode) {
        // An unreadable folder has no path of its own: its tree item's parent is read.
        mtvw.Select(mtvw.Parent(shown));
        log_line("%s\tBack () OK ...\n", time_stamp());
        return;
    }
    size_t cut = path.rfind('\\');
    // A path without a parent ("C:") leaves everything as it is, the view's modes too; a path
    // the tree cannot show changes nothing either.
    if (!path.empty() && cut != std::string::npos) Navigate(path.substr(0, cut).c_str());
    log_line("%s\tBack () OK ...\n", time_stamp());
}

void SelectionChanged() {
    // The navigation itself moved the tree to the folder it has read.
    if (panel.tree_quiet) return;
    HTREEITEM caret = mtvw.Caret();
    if (!caret) return;
    if (caret == mtvw.Root()) {
        // The user left the folder being read for the drive view.
        if (AbandonRead()) DropPendingMove();
        StopListJobs();
        mlvw.DeleteAll();
        SetMode(kShowDrives);
        AskLayout();
        InvalidateRect(mwin.hwnd, nullptr, TRUE);
        return;
    }
    const char* path = mtvw.ItemPath(caret);
    if (!path[0]) {
        ShowUnreadable("", "the tree item's path passes the platform's longest path");
        return;
    }
    // The user's own selection: the tree is at the folder already.
    if (!Navigate(path)) ReadPath(path);
}

void PathEntered() {
    SetFocus(mtvw.hwnd);
    std::string typed = PathBoxText();
    std::string expanded = ExpandedText(typed);
    if (expanded.empty() || !IsFullFolderPath(expanded.c_str())) {
        RestorePathBox();
        return;
    }
    // Enter reads the folder again also when it is the one shown. A folder that is not there
    // is said so, and nothing changes.
    if (Navigate(expanded.c_str())) return;
    RestorePathBox();
    if (!FolderExists(expanded.c_str()))
        MsgBox(("The folder \"" + expanded + "\" does not exist.").c_str());
}
