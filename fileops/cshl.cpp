#include "fileops/cshl.h"

#include <shellapi.h>
#include <shlobj.h>

#include "core/log.h"
#include "core/handles.h"
#include "core/paths.h"

int ShellJobFlags(int mode) {
    switch (mode) {
    case 0: return FOF_SILENT | FOF_NOCONFIRMATION;
    case 1: return FOF_SIMPLEPROGRESS | FOF_RENAMEONCOLLISION;
    case 2: return FOF_SIMPLEPROGRESS | FOF_ALLOWUNDO | FOF_RENAMEONCOLLISION;
    }
    return -1;
}

UINT ShellJobFunction(int code) {
    switch (code) {
    case 1: return FO_DELETE;
    case 2: return FO_COPY;
    case 3: return FO_MOVE;
    case 4: return FO_RENAME;
    }
    return 0;
}

int CSHL::shell_job(int code, int mode, FILE* log) {
    UINT function = ShellJobFunction(code);
    int flags = ShellJobFlags(mode);
    // The shell expands wildcards in its sources: a '?' or '*' would act on files nobody
    // named. The program's own paths never hold one; this is the last guard.
    bool wildcard = false;
    for (const std::string& p : from.paths())
        if (p.find_first_of("?*") != std::string::npos) wildcard = true;
    if (!function || flags < 0 || wildcard || from.empty()) {
        if (log)
            log_line("%s\tCSHL::shell_job () refused: code %d mode %d ...\n", time_stamp(), code,
                     mode);
        return ERROR_INVALID_PARAMETER;
    }
    SHFILEOPSTRUCTA job = {};
    job.hwnd = owner;
    job.wFunc = function;
    job.pFrom = from.data();
    job.pTo = to.empty() ? "" : to.data();
    job.fFlags = (FILEOP_FLAGS)(flags | (each_destination ? FOF_MULTIDESTFILES : 0));
    int result = SHFileOperationA(&job);
    if (result == 0) return job.fAnyOperationsAborted ? 2 : 0;
    if (log) log_line("%s\tCSHL::shell_job () returned 0x%08x\n", time_stamp(), (unsigned)result);
    return result;
}

std::string CSHL::special_folder(int csidl) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return std::string();
    // The wide call takes a buffer of the platform's longest path; the ANSI one only 260 bytes.
    std::wstring wide(32768, L'\0');
    BOOL ok = SHGetPathFromIDListEx(list, &wide[0], (DWORD)wide.size(), GPFIDL_DEFAULT);
    CoTaskMemFree(list);
    if (!ok) return std::string();
    wide.resize(wcslen(wide.c_str()));
    return NarrowText(wide);
}

HICON CSHL::small_icon(const char* path) {
    // A program's own first icon is taken straight from its file, which costs a fraction of
    // the shell's lookup; files without one (documents, folders) get their type's icon from
    // the shell.
    HICON own = nullptr;
    if (ExtractIconExA(path, 0, nullptr, &own, 1) > 0 && own) return own;
    Module shell(LoadLibraryA("shell32.dll"));
    if (!shell) return nullptr;
    typedef DWORD_PTR(WINAPI * GetInfo)(LPCSTR, DWORD, SHFILEINFOA*, UINT, UINT);
    GetInfo get_info = (GetInfo)(void*)GetProcAddress(shell.get(), "SHGetFileInfoA");
    HICON icon = nullptr;
    if (get_info) {
        SHFILEINFOA info = {};
        // A failed call leaves garbage in the record: its icon is taken only on success.
        if (get_info(path, 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON)) icon = info.hIcon;
    }
    return icon;
}
