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
