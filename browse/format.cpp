// Placeholder until the list's cell texts are built. FormatSizeWith, FormatSize and
// FormatDate are a temporary stand-in so that the generated pages can be tested; the real
// ones replace this file.
#include "browse/format.h"

#include <cstdio>
#include <cstring>

#include "app/mcfg.h"

int FormatSizeWith(char* out, long long size, int unit, char sep) {
    static const char* const names[5] = {"B", "KB", "MB", "GB", "TB"};
    if (unit < 0 || unit > 4) {
        unit = 0;
        for (int u = 1; u <= 4; u++)
            if ((size >> (10 * u)) != 0) unit = u;
    }
    long long v = unit == 0 ? size : ((size >> (10 * (unit - 1))) + 512) >> 10;
    char digits[32];
    int n = snprintf(digits, sizeof digits, "%lld", v);
    char grouped[48];
    int g = 0;
    for (int i = 0; i < n; i++) {
        if (i > 0 && (n - i) % 3 == 0) grouped[g++] = sep;
        grouped[g++] = digits[i];
    }
    grouped[g] = '\0';
    snprintf(out, 32, "%s %s", grouped, names[unit]);
    return 0;
}
int FormatSize(char* out, long long size, int unit) {
    return FormatSizeWith(out, size, unit, mcfg.sep);
}
void FormatDate(DateText& date, FILETIME time) {
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&time, &st)) {
        snprintf(date.text, sizeof date.text, "YYYY.MM.DD hh:mm");
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
void TypeText(const char*, char* out, size_t) { out[0] = '\0'; }
void AttributeText(DWORD, char* out, size_t) { out[0] = '\0'; }
bool CellText(const FolderEntry&, int, char*, size_t) { return false; }
void ItemText(NMLVDISPINFOA*) {}
int get_iico(const char*) { return -1; }
