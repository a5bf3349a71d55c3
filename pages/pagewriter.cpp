// Placeholder until the page writer is built.
#include "pages/pagewriter.h"

int PageWriter::WritePageHead(FILE* out, const char*) {
    stream = out;
    return 0;
}
void PageWriter::WriteScriptBegin() {}
void PageWriter::WriteShellObject() {}
void PageWriter::WriteScriptEnd() {}
void PageWriter::WritePageEnd() {}
