#include "browse/navigate.h"

#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "core/mcfg.h"
#include "controls/ui.h"
#include "controls/clvw.h"
#include "browse/entries.h"
#include "core/paths.h"
#include "core/messages.h"
#include "controls/treepath.h"

#include <string>
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
void StartFolder(char* out, size_t size) {
    const char* s = mcfg.start_dir;
    size_t n = strlen(s);
    if (n >= 2 && s[0] == '"' && s[n - 1] == '"') {
        snprintf(out, size, "%.*s", (int)(n - 2), s + 1);
    } else {
        snprintf(out, size, "%s", s);
    }
}

// Puts the folder that was read back into the path box after a text that cannot be read,
// so that the box, the tree and the list never disagree.
void RestorePathBox() {
    // Before any folder was read the box shows the drive view's "C:", as at the start.
    mcbx.SetText(mcfg.folder[0] ? mcfg.folder : "C:");
    MessageBeep(MB_ICONWARNING);
}

// The path box's text, when it fits 259 characters; a longer typed text is no path of
// the tree's and is never cut down to one.
bool PathBoxText(char* out, size_t size) {
    out[0] = '\0';
    if (!mcbx.TextFits()) return false;
    lstrcpynA(out, mcbx.GetText(), (int)size);
    return true;
}

// A folder that cannot be listed whole: the list is emptied and no folder counts as read, so
// that no routine acts on the folder read before in its place, and none shows empty a folder
// whose real contents a Delete would remove.
void ShowUnreadable(const char* shown, const char* why) {
    SetMode(kShowFolder);
    UncheckAttributeButtons();
    mcfg.folder[0] = '\0';
    mcbx.SetText(shown);
    mlvw.DeleteAll();
    ReleaseEntries();
    Sort();
    log_line("%s\tRead () %s failed: %s ...\n", time_stamp(), shown, why);
}

}  // namespace

namespace {

// Set while the navigation brings the tree to the folder it has read: the tree's selection
// change then reads nothing.
bool tree_quiet = false;

class TreeQuiet {
  public:
    TreeQuiet() : was_(tree_quiet) { tree_quiet = true; }
    ~TreeQuiet() { tree_quiet = was_; }
    TreeQuiet(const TreeQuiet&) = delete;
    TreeQuiet& operator=(const TreeQuiet&) = delete;

  private:
    bool was_;
};

}  // namespace

bool Navigate(const char* to) {
    // The path may live in a buffer that the read fills again (the tree's path): it is
    // copied first, and one too long for the copy is refused whole.
    if (!to || strlen(to) >= MAX_PATH) return false;
    char path[MAX_PATH];
    lstrcpynA(path, to, sizeof path);
    std::vector<std::string> parts;
    if (!SplitTreePath(path, parts) || !mtvw.FindChild(nullptr, parts[0].c_str())) return false;
    // The tree takes the path first, quietly: its items (made where missing) give the folder
    // the spelling every later path is built from, as a click on them would.
    {
        TreeQuiet quiet;
        if (mtvw.SelectPath(path, 5) != 0) return false;
    }
    const char* shown = mtvw.ItemPath(mtvw.Caret());
    if (!shown[0]) {
        ShowUnreadable("", "the tree item's path passes 259 characters");
        return true;
    }
    // The read gives the list, the path box and the tree item's subfolders.
    ReadPath(shown);
    return true;
}

bool TreeShowsFolderRead() {
    HTREEITEM caret = mtvw.Caret();
    if (!caret || caret == mtvw.Root() || mcfg.drives_mode || mcfg.find_mode || !mcfg.folder[0])
        return false;
    const char* path = mtvw.ItemPath(caret);
    // Spelt exactly so: a case twin of the folder that was read is another folder.
    return path[0] && strcmp(path, mcfg.folder) == 0;
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
    if (mcfg.start_dir[0] && start_dir_pending) {
        start_dir_pending = false;
        char folder[MAX_PATH];
        StartFolder(folder, sizeof folder);
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

void ReadPath(const char* path) {
    char folder[MAX_PATH];
    // The text may live in a buffer that the steps below fill again (the tree's path). One
    // too long for it is refused whole, never cut into the path of another folder.
    if (path && strlen(path) >= sizeof folder) {
        log_line("%s\tRead () refused: a path longer than 259 characters ...\n", time_stamp());
        RestorePathBox();
        return;
    }
    lstrcpynA(folder, path ? path : "", sizeof folder);
    if (folder[0] && !IsFullFolderPath(folder)) {
        // "docs" or "C:docs" would be read relative to a current folder, and every path
        // composed from it would name files the user never saw.
        log_line("%s\tRead () %s refused: no full folder path ...\n", time_stamp(), folder);
        RestorePathBox();
        return;
    }
    SetMode(kShowFolder);
    UncheckAttributeButtons();
    if (strlen(folder) > kLongestListedFolder) {
        ShowUnreadable(folder, "too long to list");
        return;
    }
    if (folder[0]) {
        lstrcpynA(mcfg.folder, folder, sizeof mcfg.folder);
        mcbx.SetText(folder);
        if (AddHistory(folder)) mcbx.AddString(folder);
        {
            // The list is emptied and filled again without drawing in between: each change
            // of its row count would otherwise lay out its scroll bars anew, a round trip to
            // the window system each time.
            HeldRedraw held(mlvw.hwnd);
            mlvw.DeleteAll();
            // The old entries go first, after any scan that reads them has stopped.
            ReleaseEntries();
            ListFolder(mcfg.entries, folder);
            SetOrder(0, mcfg.sort_dir);
            Sort();
        }
        // What follows a read (the size scan in size mode) is the window's to start. The scan
        // takes its own copy of the folder and the names, so nothing here waits for it.
        SendMessageA(mwin.hwnd, WM_APP_FOLDER_READ, 0, 0);
    }
    log_line("%s\tRead () OK ...\n", time_stamp());
}

void Read() {
    // With the root "Drives" selected there is no folder on show: the drive list is built
    // again instead, and the tree keeps its drives.
    if (TreeRootSelected()) {
        Init();
        return;
    }
    char folder[MAX_PATH];
    lstrcpynA(folder, mcfg.folder, sizeof folder);
    if (!folder[0]) {
        HTREEITEM caret = mtvw.Caret();
        if (caret) lstrcpynA(folder, mtvw.ItemPath(caret), sizeof folder);
    }
    ReadPath(folder);
}

bool PathBoxEdited() {
    char typed[MAX_PATH];
    if (!PathBoxText(typed, sizeof typed)) return true;
    return typed[0] && strcmp(typed, mcfg.folder) != 0;
}

void Back() {
    char path[MAX_PATH];
    lstrcpynA(path, mcfg.folder, sizeof path);
    HTREEITEM shown = mtvw.Caret();
    if (!path[0] && shown && shown != mtvw.Root() && !mcfg.drives_mode) {
        // An unreadable folder has no path of its own: its tree item's parent is read.
        mtvw.Select(mtvw.Parent(shown));
        log_line("%s\tBack () OK ...\n", time_stamp());
        return;
    }
    char* cut = strrchr(path, '\\');
    // A path without a parent ("C:") leaves everything as it is, the view's modes too; a path
    // the tree cannot show changes nothing either.
    if (path[0] && cut) {
        *cut = '\0';
        Navigate(path);
    }
    log_line("%s\tBack () OK ...\n", time_stamp());
}

void SelectionChanged() {
    // The navigation itself moved the tree to the folder it has read.
    if (tree_quiet) return;
    HTREEITEM caret = mtvw.Caret();
    if (!caret) return;
    if (caret == mtvw.Root()) {
        StopListJobs();
        mlvw.DeleteAll();
        SetMode(kShowDrives);
        AskLayout();
        InvalidateRect(mwin.hwnd, nullptr, TRUE);
        return;
    }
    const char* path = mtvw.ItemPath(caret);
    if (!path[0]) {
        ShowUnreadable("", "the tree item's path passes 259 characters");
        return;
    }
    // The user's own selection: the tree is at the folder already.
    if (!Navigate(path)) ReadPath(path);
}

void PathEntered() {
    SetFocus(mtvw.hwnd);
    char typed[MAX_PATH], expanded[MAX_PATH];
    if (!PathBoxText(typed, sizeof typed)) {
        RestorePathBox();
        return;
    }
    DWORD n = ExpandEnvironmentStringsA(typed, expanded, sizeof expanded);
    if (n == 0 || n > sizeof expanded || !IsFullFolderPath(expanded)) {
        RestorePathBox();
        return;
    }
    // Enter reads the folder again also when it is the one shown.
    if (!Navigate(expanded)) RestorePathBox();
}
