// Writer of the fixed pieces of generated HTML Application pages.
#pragma once

#include <cstddef>
#include <cstdio>

class PageWriter {
  public:
    FILE* stream = nullptr;
    unsigned background = 0xF0F0F0;

    int WritePageHead(FILE* out, const char* title);
    void WriteScriptBegin();
    void WriteShellObject();
    void WriteScriptEnd();
    void WritePageEnd();
};

// The path "%s\<name>" of a generated file in the temporary folder: the folder named by
// TEMP, or the platform's temporary folder when TEMP is unset or empty. False (out empty)
// when the path would not fit `size` bytes or no folder is known.
bool TempFilePath(const char* name, char* out, size_t size);
