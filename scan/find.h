// Finding files by name and contents below the current folder.
#pragma once

#include <string>

#include "browse/entries.h"

// The query of the search box: a name pattern and an optional {text}.
struct FindQuery {
    std::string pattern;
    std::string text;
};
FindQuery SplitQuery(const char* input);

// Appends every file below `folder` that matches to `list`. With `both` set, the name and
// the contents must match; otherwise either suffices. A null pattern or text is none; an
// empty pattern matches every name.
void SearchFolder(EntryList& list, const char* folder, const char* pattern, const char* text,
                  int both);

// The content test: true when `text` lies within one piece of the file read in text mode,
// a piece being a line or a 259-character part of a longer line, cut at its first zero byte.
bool FileContains(const char* path, const char* text);

// Writes the name of each entry of `view`, in view order, one per line in text mode.
// Returns 0, or 1 when the file cannot be created.
int WriteFindFile(const char* path, const ViewSlot* view);

void Find();
