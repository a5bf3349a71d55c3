#include "pages/pagewriter.h"

#include <windows.h>
#include <cstdlib>
#include <cstring>

int PageWriter::WritePageHead(FILE* out, const char* title) {
    stream = out;
    if (!stream) return 0;
    fprintf(stream, "<html>\n");
    fprintf(stream, "<head>\n");
    fprintf(stream, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n");
    fprintf(stream, "<title>%s</title>\n", title);
    fprintf(stream, "<style>\n");
    fprintf(stream, "<!--\n");
    fprintf(stream, "body {background-color:#%08x;}\n", background);
    fprintf(stream, "body {color:#%06x; font-family:Verdana, Arial, Helvetica; font-size: 60%%;}\n",
            0);
    fprintf(stream, "input{color:#%06x; font-family:Verdana, Arial, Helvetica; font-size: 90%%;}\n",
            0);
    fprintf(stream, "  th {color:#%06x; font-family:Verdana, Arial, Helvetica; font-size: 60%%;}\n",
            0);
    fprintf(stream, "  td {color:#%06x; font-family:Verdana, Arial, Helvetica; font-size: 60%%;}\n",
            0);
    fprintf(stream, "-->\n");
    fprintf(stream, "</style>\n\n");
    fprintf(stream, "<HTA:APPLICATION ID='1'\n");
    fprintf(stream, "     APPLICATIONNAME='%s'\n", title);
    fprintf(stream, "     BORDER='thin'\n");
    fprintf(stream, "     SCROLL='no'\n");
    fprintf(stream, "     SINGLEINSTANCE='yes'\n");
    fprintf(stream, "     SYSMENU = 'yes'\n");
    fprintf(stream, ">\n");
    fprintf(stream, "</head>\n");
    return fflush(stream);
}

void PageWriter::WriteScriptBegin() {
    if (!stream) return;
    fprintf(stream, "<SCRIPT Language='VBScript'>\n");
    fflush(stream);
}

void PageWriter::WriteShellObject() {
    if (!stream) return;
    fprintf(stream, "    set WS = CreateObject (\"WScript.Shell\")\n");
    fflush(stream);
}

void PageWriter::WriteScriptEnd() {
    if (!stream) return;
    fprintf(stream, "</SCRIPT>\n\n");
    fflush(stream);
}

void PageWriter::WritePageEnd() {
    if (!stream) return;
    fprintf(stream, "</body>\n");
    fprintf(stream, "</html>\n");
    fclose(stream);
    // The stream is gone: a later call must find no stream rather than a closed one.
    stream = nullptr;
}
