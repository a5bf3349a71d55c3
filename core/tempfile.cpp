#include "core/tempfile.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/handles.h"

bool TempFilePath(const char* name, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    char folder[MAX_PATH];
    const char* temp = getenv("TEMP");
    if (temp && *temp) {
        lstrcpynA(folder, temp, sizeof folder);
        if (strlen(temp) >= sizeof folder) return false;
    } else {
        DWORD n = GetTempPathA(sizeof folder, folder);
        if (n == 0 || n >= sizeof folder) return false;
        // The platform's folder ends in a backslash; the name is joined with one of its own.
        while (n > 0 && folder[n - 1] == '\\')
            folder[--n] = '\0';
        if (n == 0) return false;
    }
    int n = snprintf(out, size, "%s\\%s", folder, name);
    if (n < 0 || (size_t)n >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

FILE* CreateOutputFile(const char* path) {
    if (!path || !path[0]) return nullptr;
    Handle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return nullptr;
    // The descriptor owns the handle from here on.
    int fd = _open_osfhandle((intptr_t)file.get(), _O_TEXT | _O_WRONLY);
    if (fd < 0) return nullptr;
    file.release();
    FILE* out = _fdopen(fd, "wt");
    if (!out) _close(fd);
    return out;
}
