#include "browse/paths.h"

#include <cstdio>

bool NameIsLossy(const char* name) { return name && strpbrk(name, "?\\/:*\"<>|") != nullptr; }

const char* PathName(const char* name, const char* short_name) {
    if (!name || !name[0]) return nullptr;
    if (!NameIsLossy(name)) return name;
    if (short_name && short_name[0] && !NameIsLossy(short_name)) return short_name;
    return nullptr;
}

bool JoinPath(const char* folder, const char* name, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!folder || !name) return false;
    size_t lf = strlen(folder), ln = strlen(name);
    size_t total = lf + 1 + ln;
    if (total > MAX_PATH - 1 || total >= size) return false;
    memcpy(out, folder, lf);
    out[lf] = '\\';
    memcpy(out + lf + 1, name, ln + 1);
    return true;
}

bool IsFullFolderPath(const char* path) {
    if (!path) return false;
    char d = path[0];
    bool letter = (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
    if (!letter || path[1] != ':') return false;
    if (path[2] != '\0' && path[2] != '\\') return false;
    return strlen(path) <= MAX_PATH - 1 && !strpbrk(path, "?*\"<>|") && !strchr(path + 2, ':');
}

bool IsDriveRoot(const char* path) {
    if (!path || !path[0] || path[1] != ':') return false;
    return path[2] == '\0' || (path[2] == '\\' && path[3] == '\0');
}
