// Placeholder until the list's cell texts are built.
#include "browse/format.h"

int FormatSize(char* out, long long, int) {
    out[0] = '\0';
    return 0;
}
int FormatSizeWith(char* out, long long, int, char) {
    out[0] = '\0';
    return 0;
}
void FormatDate(DateText& date, FILETIME) { date.text[0] = '\0'; }
void TypeText(const char*, char* out, size_t) { out[0] = '\0'; }
void AttributeText(DWORD, char* out, size_t) { out[0] = '\0'; }
bool CellText(const FolderEntry&, int, char*, size_t) { return false; }
void ItemText(NMLVDISPINFOA*) {}
int get_iico(const char*) { return -1; }
