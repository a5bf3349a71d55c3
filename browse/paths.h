// The rules every routine follows when it turns a folder and a name into a path, and the one
// folder walker that the listing, the size scan and the search share.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstring>

// "." and "..", which a listing reports and no routine visits.
inline bool IsDotName(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A real folder: directory bit set, reparse-point bit clear. Linked folders are not followed.
inline bool IsRealFolder(DWORD attributes) { return (attributes & 0x410) == 0x10; }

// Whether a name that the platform listed lost characters on its way into the ANSI code
// page: '?' stands for a character the code page lacks, and the other path characters can
// only come from best-fitting one. Such a name would be read as a wildcard or as another
// path, so it never goes into a composed path.
bool NameIsLossy(const char* name);

// The name to put into a path for a listed record: its own name, or its 8.3 short name when
// the name is lossy. Null when the name is lossy and there is no usable short name.
const char* PathName(const char* name, const char* short_name);

// Joins folder and name with one backslash into out. False (out empty) when the result
// would pass 259 characters or `size`, or when either part is missing.
bool JoinPath(const char* folder, const char* name, char* out, size_t size);

// A text that names a folder by a full path: a drive letter, a colon, and either nothing
// more (the drive's root) or a backslash and the rest. "docs", "C:docs" (relative to the
// drive's current folder) and "\\server\share" are not, and nor is a text holding a
// wildcard, which a listing would expand.
bool IsFullFolderPath(const char* path);

// Whether a path names a drive or its root ("C:", "C:\"), which no file operation may take.
bool IsDriveRoot(const char* path);

// Lists the folder held in path[0, length) (a buffer of MAX_PATH bytes: the pattern "\*.*"
// is appended for the listing and cut off again) and calls visit(record) for every record
// but "." and "..". visit returns false to end the walk early. Returns false when the
// folder could not be listed, or its pattern would not fit.
template <typename Visit>
bool WalkFolder(char* path, size_t length, WIN32_FIND_DATAA& record, Visit visit) {
    if (length + 4 > MAX_PATH - 1) return false;
    memcpy(path + length, "\\*.*", 5);
    memset(&record, 0, sizeof record);
    HANDLE find = FindFirstFileExA(path, FindExInfoStandard, &record, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    // Systems before Windows 7 refuse the large fetch.
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        find = FindFirstFileA(path, &record);
    path[length] = '\0';
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        if (record.cFileName[0] && !IsDotName(record.cFileName) && !visit(record)) break;
        memset(&record, 0, sizeof record);
    } while (FindNextFileA(find, &record));
    FindClose(find);
    return true;
}
