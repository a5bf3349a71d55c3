// Files the program writes into the temporary folder: the pages and the find list.
#pragma once

#include <cstddef>

// The path "%s\<name>" of a generated file in the temporary folder: the folder named by
// TEMP, or the platform's temporary folder when TEMP is unset or empty. False (out empty)
// when the path would not fit `size` bytes or no folder is known.
bool TempFilePath(const char* name, char* out, size_t size);
