#include "pages/pages.h"

#include <windows.h>
#include <shellapi.h>
#include <cstring>

#include "app/log.h"
#include "app/mcfg.h"
#include "app/msgbox.h"
#include "app/ui.h"
#include "browse/format.h"
#include "pages/pagewriter.h"

namespace {

// The letters of the page, in this order; the list's Attribute cell also shows P, the page
// does not.
void PageAttributes(DWORD attributes, char* out) {
    static const struct {
        DWORD bit;
        char letter;
    } letters[] = {{FILE_ATTRIBUTE_ARCHIVE, 'A'},
                   {FILE_ATTRIBUTE_COMPRESSED, 'C'},
                   {FILE_ATTRIBUTE_HIDDEN, 'H'},
                   {FILE_ATTRIBUTE_READONLY, 'R'},
                   {FILE_ATTRIBUTE_SYSTEM, 'S'}};
    int n = 0;
    for (const auto& l : letters)
        if (attributes & l.bit) out[n++] = l.letter;
    out[n] = '\0';
}

// A time row's text with seconds. Each row converts with a fresh record: a time the platform
// cannot convert leaves the record's fields untouched, and with a shared record the row would
// show the previous row's time instead.
void PageTime(FILETIME time, char* out, size_t size) {
    DateText date;
    FormatDate(date, time);
    if (date.year == 0) {
        snprintf(out, size, "YYYY.MM.DD hh:mm:ss");
        return;
    }
    snprintf(out, size, "%4i.%02i.%02i %02i:%02i:%02i", date.year, date.month, date.day, date.hour,
             date.minute, date.second);
}

void Row(FILE* out, const char* label, const char* value) {
    fprintf(out, "<tr><td><code>%s</code></td>", label);
    fprintf(out, "<td><code>%s</code></td></tr>\n", value);
}

}  // namespace

void WritePropertiesPage(FILE* out, const FolderEntry& e, const char* path) {
    if (!out) return;
    char text[MAX_PATH];
    fprintf(out, "<html>\n");
    fprintf(out, "<body>\n");
    fprintf(out, "<b><code>Properties: %s</code></b><br>\n<p>\n", path);
    fprintf(out, "<table>\n");
    Row(out, "Name:", e.name);
    Row(out, "Name (short):", e.short_name);
    PageAttributes(e.attributes, text);
    Row(out, "Attributes:", text);
    PageTime(e.creation_time, text, sizeof text);
    Row(out, "CreationTime:", text);
    PageTime(e.last_access_time, text, sizeof text);
    Row(out, "LastAccessTime:", text);
    PageTime(e.last_write_time, text, sizeof text);
    Row(out, "LastWriteTime:", text);
    FormatSize(text, (long long)EntrySize(e), mcfg.unit);
    Row(out, "File size:", text);
    fprintf(out, "</table>\n");
    fprintf(out, "</body>\n");
    fprintf(out, "</html>\n");
}

void Open(unsigned index, int properties) {
    const ViewSlot* view = mcfg.view;
    const FolderEntry* e = index < ViewCount(view) ? view[index].entry : nullptr;
    if (e) {
        char path[MAX_PATH];
        // A path that does not fit 259 characters names no file that can be opened here:
        // neither page nor shell call then, only the log line.
        bool have_path = EntryPath(*e, path, sizeof path);
        if (properties) {
            char page[MAX_PATH];
            FILE* out = nullptr;
            if (have_path && TempFilePath("file-properties.htm", page, sizeof page))
                out = fopen(page, "wt");
            if (out) {
                WritePropertiesPage(out, *e, path);
                fclose(out);
                ShellExecuteA(nullptr, nullptr, page, nullptr, nullptr, SW_SHOW);
            }
        } else if (IsFolder(*e)) {
            mtvw.SelectChild(e->name);
        } else if (have_path) {
            ShellOpen(path);
        }
    }
    log_line("%s\tOpen () OK ...\n", time_stamp());
}

int ShellOpen(const char* path) {
    if (!path) return 1;
    char folder[MAX_PATH];
    // A path that does not fit is handed to the shell as it stands, without the folder step.
    if (strlen(path) < sizeof folder) {
        lstrcpynA(folder, path, sizeof folder);
        if (char* last = strrchr(folder, '\\')) {
            // "C:\file": the folder is the drive's root "C:\"; "C:" alone would name the
            // drive's current folder instead.
            size_t cut = (size_t)(last - folder);
            if (cut == 2 && folder[1] == ':') cut = 3;
            folder[cut] = '\0';
            SetCurrentDirectoryA(folder);
        }
    }
    INT_PTR result = (INT_PTR)ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOW);
    if (result > 30) return 0;
    char text[64];
    snprintf(text, sizeof text, "ShellExecute () error: %d", (int)result);
    MsgBox(text);
    return 1;
}
