#include "core/paths.h"

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

bool NarrowExact(const WCHAR* text, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!text) return false;
    BOOL lost = FALSE;
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, out, (int)size, nullptr,
                                &lost);
    if (n <= 0 || lost) {
        out[0] = '\0';
        return false;
    }
    return true;
}

namespace {

// One name of a find record, converted without best fit: '?' for every character without an
// exact counterpart; "?" when the result does not fit.
void NarrowName(const WCHAR* wide, size_t wide_size, char* out, size_t size) {
    size_t n = 0;
    bool ascii = true;
    while (n < wide_size && wide[n]) {
        if (wide[n] >= 0x80) ascii = false;
        n++;
    }
    if (n == 0) {
        out[0] = '\0';
        return;
    }
    // Most names are plain ASCII, which every ANSI code page spells the same: taken as they
    // are, without the converter's exact-fit check.
    if (ascii && n < size) {
        for (size_t i = 0; i < n; i++)
            out[i] = (char)wide[i];
        out[n] = '\0';
        return;
    }
    int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, (int)n, out,
                                      (int)size - 1, "?", nullptr);
    // A UTF-8 code page takes neither the flag nor a default character, and loses nothing.
    if (written <= 0 && GetLastError() == ERROR_INVALID_PARAMETER)
        written = WideCharToMultiByte(CP_ACP, 0, wide, (int)n, out, (int)size - 1, nullptr, nullptr);
    if (written <= 0) {
        lstrcpynA(out, "?", (int)size);
        return;
    }
    out[written] = '\0';
}

}  // namespace

void NarrowFindRecord(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA& record) {
    memset(&record, 0, sizeof record);
    record.dwFileAttributes = wide.dwFileAttributes;
    record.ftCreationTime = wide.ftCreationTime;
    record.ftLastAccessTime = wide.ftLastAccessTime;
    record.ftLastWriteTime = wide.ftLastWriteTime;
    record.nFileSizeHigh = wide.nFileSizeHigh;
    record.nFileSizeLow = wide.nFileSizeLow;
    record.dwReserved0 = wide.dwReserved0;
    record.dwReserved1 = wide.dwReserved1;
    NarrowName(wide.cFileName, sizeof wide.cFileName / sizeof(WCHAR), record.cFileName,
               sizeof record.cFileName);
    NarrowName(wide.cAlternateFileName, sizeof wide.cAlternateFileName / sizeof(WCHAR),
               record.cAlternateFileName, sizeof record.cAlternateFileName);
}
