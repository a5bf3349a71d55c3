// Reading folders, navigation and the drive tree.
#pragma once

#include <string>
#include <vector>

struct DriveInfo;

void Init();
void Read();
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
