#include "core/tempfile.h"

#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
