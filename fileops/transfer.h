// The pieces the clipboard and the shell operations share.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <cstdint>
#include <functional>
#include <string>

#include "browse/entries.h"
#include "fileops/cshl.h"

// The size of the CF_HDROP block for a path list of `list_length` bytes: the smallest
// multiple of 32 that is at least list_length + 23.
uint32_t DropBlockSize(uint32_t list_length);
// The block's bytes: the 20-byte DROPFILES header (pFiles 20, ANSI), the list, zeros.
std::string BuildDropBlock(const PathList& list);

// The entry of the first selected row, or none when no row of the view is selected.
const FolderEntry* FirstSelectedEntry();

// Calls visit with the path of every selected row of the view, in ascending row order. Rows
// whose path cannot be composed whole are left out with a log line naming `routine`.
void ForEachSelectedPath(const char* routine, const std::function<void(const char*)>& visit);

// Fills `into` with the selected rows in ascending order (their composed paths), or with the
// folder that was read when no row is selected and the tree has a selection. Rows whose path
// cannot be composed whole are left out with a log line.
void GatherSelection(PathList& into);

// Reads the names of a CF_HDROP block of `size` bytes into `list` (closed with its final NUL)
// in one walk. The header must fit, the names must start inside the block after it, and
// every name and the empty name that ends the list must end inside it; a block that fails
// gives -1 and an empty list. Wide names (fWide) are taken only when the code page spells them
// exactly. Names of 260 characters or more are left out with a log line. Returns the number
// of names taken.
int ParseDropBlock(const void* block, size_t size, PathList& list);
// The same for the block of a drop handle.
int ReadDropList(HDROP drop, PathList& list);

// Whether the folder is still there as a folder; when it is not, says so in a message box
// and logs it under `routine`. Nothing is ever created in its place.
bool FolderStillThere(const char* routine, const char* folder);

// Copies (copy set, mode 1) or moves (mode 2) the paths of `from` into `folder`, each under a
// name that replaces nothing; sources that cannot go are left out with a log line naming
// `routine`. Stops a running size scan first. Returns the job's result, or -1 when nothing
// ran; *left_out (when given) counts the sources left out.
int RunTransfer(const char* routine, bool copy, const PathList& from, const std::string& folder,
                size_t* left_out = nullptr);
