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

// Turns the platform's wide find record into the ANSI record the program keeps. Names are
// converted without best fit: a character the code page cannot hold exactly becomes '?', so
// "a-macron.txt" (U+0101) lists as "?.txt" (a lost name, reached by its short name) and never as
// "a.txt", which would name another file. A name that does not fit becomes "?" as well.
void NarrowFindRecord(const WIN32_FIND_DATAW& wide, WIN32_FIND_DATAA& record);

// Converts a wide name or path into the code page exactly; false (out empty) when a
// character has no exact counterpart or the result does not fit `size` bytes.
bool NarrowExact(const WCHAR* text, char* out, size_t size);

// Lists the folder held in path[0, length) (a buffer of MAX_PATH bytes: the pattern "\*.*"
// is appended for the listing and cut off again) and calls visit(record) for every record
// but "." and "..". visit returns false to end the walk early. Returns false when the
// folder could not be listed, or its pattern would not fit. The folder is listed by its
// wide names and each record converted by NarrowFindRecord.
template <typename Visit>
bool WalkFolder(char* path, size_t length, WIN32_FIND_DATAA& record, Visit visit) {
    if (length + 4 > MAX_PATH - 1) return false;
    memcpy(path + length, "\\*.*", 5);
    WCHAR pattern[MAX_PATH];
    int converted = MultiByteToWideChar(CP_ACP, 0, path, -1, pattern, MAX_PATH);
    path[length] = '\0';
    if (converted <= 0) return false;
    WIN32_FIND_DATAW wide;
    memset(&wide, 0, sizeof wide);
    HANDLE find = FindFirstFileExW(pattern, FindExInfoStandard, &wide, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    // Systems before Windows 7 refuse the large fetch.
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        find = FindFirstFileW(pattern, &wide);
    if (find == INVALID_HANDLE_VALUE) return false;
    do {
        NarrowFindRecord(wide, record);
        if (record.cFileName[0] && !IsDotName(record.cFileName) && !visit(record)) break;
        memset(&wide, 0, sizeof wide);
    } while (FindNextFileW(find, &wide));
    FindClose(find);
    return true;
}
