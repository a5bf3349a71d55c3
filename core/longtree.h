// Trees whose paths may pass what the shell takes: looked at and deleted by the program's own
// calls, through "\\?\" paths.
#pragma once

#include <string>

// Whether `path`, or any entry below it, has a path longer than `limit` units of UTF-16.
// Linked folders are not entered. The walk ends at the first such path.
bool HoldsLongPath(const std::string& path, size_t limit);

// Deletes `path` for good: a file, a linked folder (the link itself, never what it leads to)
// or a folder with everything below it, read-only entries included. Each entry is reached
// through its "\\?\" path, so a tree of any depth the platform allows goes whole. Returns 0
// when everything went, else the platform's first error; what could not be deleted stays.
unsigned long DeleteTree(const std::string& path);
