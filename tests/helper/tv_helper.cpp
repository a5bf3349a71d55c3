// A small program of the tests' own, started by the code under test in place of a real
// target (a Send To shortcut's program, the command interpreter). It writes its command line
// and its working folder to the file named by TV_HELPER_OUT, then waits TV_HELPER_SLEEP
// milliseconds and ends with the exit code TV_HELPER_EXIT (both optional).
// With TV_HELPER_LATE_CLIPBOARD set it is instead a clipboard owner that stops answering: it
// promises a file list (delayed rendering), writes "set" to TV_HELPER_OUT and sleeps that many
// milliseconds without ever rendering it.
#include <windows.h>
#include <cstdio>
#include <cstdlib>

int main() {
    if (const char* late = getenv("TV_HELPER_LATE_CLIPBOARD")) {
        HWND owner = CreateWindowA("STATIC", "late owner", 0, 0, 0, 0, 0, nullptr, nullptr,
                                   nullptr, nullptr);
        if (owner && OpenClipboard(owner)) {
            EmptyClipboard();
            SetClipboardData(CF_HDROP, nullptr);
            CloseClipboard();
            if (const char* out = getenv("TV_HELPER_OUT"))
                if (FILE* f = fopen(out, "wb")) {
                    fputs("set\n", f);
                    fclose(f);
                }
        }
        Sleep((DWORD)atoi(late));
        return 0;
    }
    if (const char* out = getenv("TV_HELPER_OUT")) {
        char folder[MAX_PATH] = {};
        GetCurrentDirectoryA(sizeof folder, folder);
        // Written under another name first, so a reader never sees half a file.
        char part[MAX_PATH + 8];
        snprintf(part, sizeof part, "%s.part", out);
        if (FILE* f = fopen(part, "wb")) {
            fprintf(f, "%s\n%s\n", GetCommandLineA(), folder);
            fclose(f);
            MoveFileExA(part, out, MOVEFILE_REPLACE_EXISTING);
        }
    }
    if (const char* ms = getenv("TV_HELPER_SLEEP")) Sleep((DWORD)atoi(ms));
    const char* code = getenv("TV_HELPER_EXIT");
    return code ? atoi(code) : 0;
}
