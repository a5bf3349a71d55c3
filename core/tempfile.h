// Files the program writes into the temporary folder: the pages and the find list.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// The path "%s\<name>" of a generated file in the temporary folder: the folder named by
// TEMP, or the platform's temporary folder when TEMP is unset or empty; "" when no folder is
// known.
std::string TempFilePath(const char* name);
// The same into `out`: false (out empty) when the path would not fit `size` bytes or no
// folder is known.
bool TempFilePath(const char* name, char* out, size_t size);

// Creates (or empties) the file at `path` (of any length the platform allows) and opens it for
// writing in text mode; none when it cannot be created, or when the name leads to no file on
// a disk (a device, a pipe, which a write could wait on for good).
FILE* CreateOutputFile(const char* path);
