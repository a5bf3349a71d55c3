#include "core/tempfile.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/handles.h"
#include "core/paths.h"

std::string TempFilePath(const char* name) {
    if (!name) return std::string();
    std::string folder;
    const char* temp = getenv("TEMP");
    if (temp && *temp) {
        folder = temp;
    } else {
        DWORD n = GetTempPathA(0, nullptr);
        if (n == 0) return std::string();
        folder.assign(n, '\0');
        DWORD m = GetTempPathA(n, &folder[0]);
        if (m == 0 || m >= n) return std::string();
        folder.resize(m);
        // The platform's folder ends in a backslash; the name is joined with one of its own.
        while (!folder.empty() && folder.back() == '\\')
            folder.pop_back();
        if (folder.empty()) return std::string();
    }
    return folder + "\\" + name;
}

bool TempFilePath(const char* name, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    std::string path = TempFilePath(name);
    if (path.empty() || path.size() >= size) return false;
    memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

FILE* CreateOutputFile(const char* path) {
    if (!path || !path[0]) return nullptr;
    // A path past what the plain call takes goes through its "\\?\" form.
    Handle file;
    if (PathUnits(path) > kShortPathUnits) {
        std::wstring wide = LongPath(path);
        if (!wide.empty())
            file.reset(CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    } else {
        file.reset(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return nullptr;
    // The descriptor owns the handle from here on.
    int fd = _open_osfhandle((intptr_t)file.get(), _O_TEXT | _O_WRONLY);
    if (fd < 0) return nullptr;
    file.release();
    FILE* out = _fdopen(fd, "wt");
    if (!out) _close(fd);
    return out;
}
