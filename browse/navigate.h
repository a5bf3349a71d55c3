// Reading folders, navigation and the drive tree.
#pragma once

#include <string>
#include <vector>

struct DriveInfo;

void Init();
// True when the tree's selected item shows the folder that was read: not the root "Drives",
// not find results, and its path is panel.folder. Only then may a routine take that item's
// folder as the one the user sees.
bool TreeShowsFolderRead();
// True when the tree's selected item is its root "Drives". A tree without a selection
// shows the drive view as well and counts as the root being selected.
bool TreeRootSelected();
// Re-reads the folder that was read (panel.folder); with the root "Drives" selected it
// rebuilds the drive list instead.
void Read();
// What a read keeps of the rows of the list, or chooses for the folder it reads: the names to
// select, the one to focus, the row on top.
struct KeptRows {
    std::vector<std::string> selected;
    std::string focused;
    int top = -1;
};
// The list's rows as they are now, by name (none in find mode).
KeptRows KeepRows();

// Reads `path` as the folder on show and makes it the folder that was read. A text that
// names no folder by a full path reads nothing and puts the folder that was read back into
// the path box. The folder is listed on a thread of its own: a read that ends within a tenth
// of a second is shown at once; a longer one leaves the folder shown before as it is (and the
// folder that was read) until it has ended, while the window answers and the status line counts
// the entries listed so far.
void ReadPath(const char* path);
// The same, with the rows to select and focus once the folder is shown.
void ReadPathKeeping(const char* path, const KeptRows& kept);
// Reads the folder that was read again with the entries of these names selected (the first
// focused): the entries a paste made, the entry a rename named.
void ReadSelecting(const std::vector<std::string>& names);

// Whether a read is still listing its folder; every operation on files waits for it.
bool ReadRunning();
// The folder being read and the count listed so far.
std::string ReadProgress(size_t* count);
// The read of generation `generation` has listed its folder (WM_APP_READ_DONE).
void ReadFinished(unsigned generation);
// Gives a running read up (Esc): the folder shown before stays as it was.
void GiveUpRead();

// Stops watching the folder that was read, before a shell job that changes it; the read that
// follows the job watches it again.
void StopWatchingFolder();
// The watcher of the folder that was read saw a change (WM_APP_FOLDER_CHANGED).
void FolderChanged(unsigned generation);
// Reads the folder that was read again when it changed since its last read, at most once a
// second, keeping its rows; not while `busy` (an operation, a rename edit, a drag, a search).
// True when it read.
bool RereadIfChanged(bool busy);

// The one way to another folder: the tree's item for `path` is selected (missing items made)
// with the tree's selection notifications held off, then the folder is read under the item's
// spelling, which brings the list, the path box and the item's subfolders, so that no read
// depends on a notification firing. False, with nothing changed, when the tree has no drive
// item for the path.
bool Navigate(const char* path);
// Whether the path box holds text the user typed and has not entered.
bool PathBoxEdited();
void Back();
void SelectionChanged();
void PathEntered();


// Appends `text` to mcfg.history unless an equal text (case counts) is there; returns
// true when it was added.
bool AddHistory(const char* text);

// A drive to list in the tree: its root name ("C:") and its image.
struct DriveItem {
    std::string name;
    int image;
};
// Fills the 26 entries of `drives` from C: to Z: as the platform reports them, with an
// empty name after the last drive, and lists the drives for the tree in `items`.
void FillDriveTable(DriveInfo* drives, std::vector<DriveItem>* items);
