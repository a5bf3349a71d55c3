#include "core/longtree.h"

#include <windows.h>

#include "core/handles.h"
#include "core/paths.h"

namespace {

bool IsDots(const WCHAR* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// `units`: the length of the path without its "\\?\" prefix.
bool HoldsLongWide(std::wstring& path, size_t units, size_t limit) {
    if (units > limit) return true;
    WIN32_FIND_DATAW record;
    FindHandle find(FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &record,
                                     FindExSearchNameMatch, nullptr, 0));
    if (!find) return false;
    const size_t length = path.size();
    do {
        if (IsDots(record.cFileName)) continue;
        size_t name_units = wcslen(record.cFileName);
        if (units + 1 + name_units > limit) return true;
        if ((record.dwFileAttributes & 0x410) != 0x10) continue;
        path += L'\\';
        path += record.cFileName;
        bool found = HoldsLongWide(path, units + 1 + name_units, limit);
        path.resize(length);
        if (found) return true;
    } while (FindNextFileW(find.get(), &record));
    return false;
}

DWORD DeleteWide(std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return DeleteFileW(path.c_str()) ? 0 : GetLastError();
    DWORD first = 0;
    // A linked folder goes as the link itself: what it leads to is not the user's pick.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW record;
        const size_t length = path.size();
        FindHandle find(FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &record,
                                         FindExSearchNameMatch, nullptr, 0));
        if (find) {
            do {
                if (IsDots(record.cFileName)) continue;
                path += L'\\';
                path += record.cFileName;
                DWORD error = DeleteWide(path);
                path.resize(length);
                if (error && !first) first = error;
            } while (FindNextFileW(find.get(), &record));
        }
    }
    if (!RemoveDirectoryW(path.c_str()) && !first) first = GetLastError();
    return first;
}

}  // namespace

bool HoldsLongPath(const std::string& path, size_t limit) {
    std::wstring wide = LongPath(path);
    if (wide.empty()) return false;
    size_t units = PathUnits(path);
    if (units > limit) return true;
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & 0x410) != 0x10) return false;
    return HoldsLongWide(wide, units, limit);
}

unsigned long DeleteTree(const std::string& path) {
    // A drive's root is never deleted, nor is an empty or relative path.
    if (path.size() < 3 || path[1] != ':' || IsDriveRoot(path.c_str())) return ERROR_INVALID_NAME;
    std::wstring wide = LongPath(path);
    if (wide.empty()) return ERROR_INVALID_NAME;
    return DeleteWide(wide);
}
