#include "pages/pages.h"

#include <windows.h>
#include <cstring>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/handles.h"
#include "core/paths.h"
#include "controls/msgbox.h"
#include "controls/ui.h"
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
    fprintf(out, "<td><code>%s</code></td></tr>\n", EscapeHtml(value).c_str());
}

}  // namespace

std::string EscapeHtml(const char* text) {
    std::string out;
    // The pages are UTF-8, as they declare.
    std::string utf8 = Utf8Text(text ? text : "");
    for (const char* p = utf8.c_str(); *p; p++) {
        switch (*p) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += *p; break;
        }
    }
    return out;
}

EntryProperties PropertiesOf(const FolderEntry& e, const char* path) {
    EntryProperties p;
    p.name = ShownName(e);
    if (p.name.empty()) p.name = e.name();
    p.short_name = e.short_name();
    // A folder's read keeps no short name for an entry reached by its own name: the disk
    // gives it, asked for that one name.
    // The look goes through the path's "\\?\" form, which reaches a path of any length.
    WIN32_FIND_DATAW found;
    std::wstring wide = p.short_name.empty() && path ? LongPath(path) : std::wstring();
    FindHandle look(!wide.empty() ? FindFirstFileExW(wide.c_str(), FindExInfoStandard, &found,
                                                     FindExSearchNameMatch, nullptr, 0)
                                  : INVALID_HANDLE_VALUE);
    if (look)
        p.short_name = NarrowText(
            std::wstring(found.cAlternateFileName, wcsnlen(found.cAlternateFileName, 14)));
    p.attributes = e.attributes;
    p.last_write_time = e.last_write_time;
    p.size = EntrySize(e);
    // The platform converts no time of 2^63 or more: the page shows "YYYY.MM.DD hh:mm:ss".
    const FILETIME unknown = {0xFFFFFFFFu, 0xFFFFFFFFu};
    p.creation_time = p.last_access_time = unknown;
    // The times of the entry itself, a linked folder's own and not its target's, as the
    // listing had them.
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path && GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
        p.creation_time = data.ftCreationTime;
        p.last_access_time = data.ftLastAccessTime;
    }
    return p;
}

void WritePropertiesPage(FILE* out, const EntryProperties& e, const char* path) {
    if (!out) return;
    char text[128];
    fprintf(out, "<html>\n");
    fprintf(out, "<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\"></head>\n");
    fprintf(out, "<body>\n");
    // A file's name may hold & and < (not " on this platform, but a path from elsewhere
    // might): each is written as text, never as markup.
    fprintf(out, "<b><code>Properties: %s</code></b><br>\n<p>\n", EscapeHtml(path).c_str());
    fprintf(out, "<table>\n");
    Row(out, "Name:", e.name.c_str());
    Row(out, "Name (short):", e.short_name.c_str());
    PageAttributes(e.attributes, text);
    Row(out, "Attributes:", text);
    PageTime(e.creation_time, text, sizeof text);
    Row(out, "CreationTime:", text);
    PageTime(e.last_access_time, text, sizeof text);
    Row(out, "LastAccessTime:", text);
    PageTime(e.last_write_time, text, sizeof text);
    Row(out, "LastWriteTime:", text);
    FormatSize(text, (long long)e.size, mcfg.unit);
    Row(out, "File size:", text);
    fprintf(out, "</table>\n");
    fprintf(out, "</body>\n");
    fprintf(out, "</html>\n");
}
