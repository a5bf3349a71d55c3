// Reading folders, navigation and the drive tree.
#pragma once

#include <string>
#include <vector>

struct DriveInfo;

void Init();
// True when the tree's selected item shows the folder that was read: not the root "Drives",
// not find results, and its path is mcfg.folder. Only then may a routine take that item's
// folder as the one the user sees.
bool TreeShowsFolderRead();
// True when the tree's selected item is its root "Drives". A tree without a selection
// shows the drive view as well and counts as the root being selected.
bool TreeRootSelected();
// Re-reads the folder that was read (mcfg.folder); with the root "Drives" selected it
// rebuilds the drive list instead.
void Read();
// Reads `path` as the folder on show and makes it the folder that was read. A text that
// names no folder by a full path reads nothing and puts the folder that was read back into
// the path box.
void ReadPath(const char* path);

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
