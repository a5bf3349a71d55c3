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
// the contents must match; otherwise either suffices.
void SearchFolder(EntryList& list, const char* folder, const char* pattern, const char* text,
                  int both);

void Find();
