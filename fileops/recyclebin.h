// Entries brought back from the shell's recycle bin to where they were deleted from. Runs on
// any thread and touches no window.
#pragma once

#include <string>
#include <vector>

#include "core/undo.h"

// What a restore did: how many came back, and a line for each entry left where it is.
struct BinRestore {
    size_t restored = 0;
    std::vector<std::string> left;
};

// Brings back from the recycle bin each of `items` (entries this program deleted, as they were
// before the delete) to its old path, and only when what comes back is provably that entry:
// the same identity, and for a file the same size and write time. A bin item of the same name
// and place that proves to be another (deleted earlier, or by another program) goes back to
// the bin at once. An old path that is taken meanwhile is never replaced: the entry stays in
// the bin and is told. Where the platform's recycle bin offers no restore, every entry is told
// and left there.
BinRestore RestoreFromBin(const std::vector<UndoItem>& items);
