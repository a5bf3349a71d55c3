#include "core/texts.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/mcfg.h"
#include "core/paths.h"

int FindRow(const ViewSlot* view, const char* text, int start, bool partial, bool wrap) {
    int rows = (int)ViewCount(view);
    if (!text || rows <= 0) return -1;
    // No name is longer than the platform's 255 units, at most 765 bytes of UTF-8.
    int length = (int)strnlen(text, 1024);
    if (length == 0 || length == 1024) return -1;
    if (start < 0 || start >= rows) start = 0;
    for (int step = 0; step < rows; step++) {
        int row = start + step;
        if (row >= rows) {
            if (!wrap) break;
            row -= rows;
        }
        const FolderEntry* e = view[row].entry;
        if (!e) continue;
        // The name alone, also of a find result, whose folder is kept apart.
        const char* name = e->name();
        int have = (int)e->name_length();
        if (have < length || (!partial && have != length)) continue;
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name, length, text, length) ==
            CSTR_EQUAL)
            return row;
    }
    return -1;
}

namespace {

const char* const kUnitNames[5] = {"B", "KB", "MB", "GB", "TB"};

// Copies at most size - 1 bytes of `text`, cut on a character, and terminates the copy.
void CopyText(char* out, size_t size, const char* text) {
    if (!out || size == 0) return;
    size_t n = strnlen(text, size);
    if (n >= size) n = CharacterPrefix(text, n, size - 1);
    memcpy(out, text, n);
    out[n] = '\0';
}

}  // namespace

int FormatSizeWith(char* out, long long size, int unit, char sep) {
    // Any unit outside 0..4 other than the automatic -1 is taken as the nearest valid one, so
    // the unit name is always one of the table.
    if (unit < -1) unit = 0;
    if (unit > 4) unit = 4;
    if (unit == -1) {
        unit = 0;
        for (int u = 1; u <= 4; u++)
            if ((size >> (10 * u)) != 0) unit = u;
    }
    long long value = unit == 0 ? size : ((size >> (10 * (unit - 1))) + 512) >> 10;

    char digits[24];
    snprintf(digits, sizeof digits, "%lld", value);
    const char* d = digits;
    char grouped[40];
    size_t at = 0;
    if (*d == '-') grouped[at++] = *d++;
    size_t length = strlen(d);
    for (size_t i = 0; i < length; i++) {
        if (sep && i > 0 && (length - i) % 3 == 0) grouped[at++] = sep;
        grouped[at++] = d[i];
    }
    grouped[at] = '\0';
    snprintf(out, 32, "%s %s", grouped, kUnitNames[unit]);
    return 0;
}

int FormatSize(char* out, long long size, int unit) {
    return FormatSizeWith(out, size, unit, mcfg.sep);
}

void FormatDate(DateText& date, FILETIME time) {
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&time, &st)) {
        CopyText(date.text, sizeof date.text, "YYYY.MM.DD hh:mm");
        return;
    }
    date.year = st.wYear;
    date.month = st.wMonth;
    date.day = st.wDay;
    date.hour = st.wHour;
    date.minute = st.wMinute;
    date.second = st.wSecond;
    snprintf(date.text, sizeof date.text, "%4i.%02i.%02i %02i:%02i", date.year, date.month,
             date.day, date.hour, date.minute);
}

void TypeText(const char* name, char* out, size_t size) {
    if (!out || size == 0) return;
    out[0] = '\0';
    const char* dot = name ? strrchr(name, '.') : nullptr;
    if (!dot) return;
    size_t n = CharacterPrefix(dot, strlen(dot), size - 1);
    for (size_t i = 0; i < n; i++) {
        char c = dot[i];
        out[i] = c >= 'A' && c <= 'Z' ? (char)(c + ('a' - 'A')) : c;
    }
    out[n] = '\0';
}

void AttributeText(DWORD attributes, char* out, size_t size) {
    static const struct {
        DWORD bit;
        char letter;
    } kLetters[6] = {{0x20, 'A'}, {0x800, 'C'}, {0x2, 'H'}, {0x1, 'R'}, {0x200, 'P'}, {0x4, 'S'}};
    if (!out || size == 0) return;
    size_t n = 0;
    for (const auto& l : kLetters)
        if ((attributes & l.bit) && n + 1 < size) out[n++] = l.letter;
    out[n] = '\0';
}

bool CellText(const FolderEntry& e, int column, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    const char* name = e.name();
    switch (column) {
    case 0: {
        // Find results show their folder in front of their name. A text longer than the
        // list's buffer is cut there on a character.
        std::string text = mcfg.find_mode ? ShownName(e) : std::string(name, e.name_length());
        if (IsLinkedFolder(e)) text += "->";
        CopyText(out, size, text.c_str());
        return true;
    }
    case 1: {
        char text[32];
        FormatSize(text, (long long)EntrySize(e), mcfg.unit);
        CopyText(out, size, text);
        return true;
    }
    case 2: {
        DateText date;
        FormatDate(date, e.last_write_time);
        CopyText(out, size, date.text);
        return true;
    }
    case 3:
        if (!strchr(name, '.')) return false;
        TypeText(name, out, size);
        return true;
    case 4: AttributeText(e.attributes, out, size); return true;
    default: return false;
    }
}
