// Path lists and the shell's file operations over them.
#pragma once

#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/pathlist.h"

class CSHL {
  public:
    PathList from;
    PathList to;
    // Set when `to` holds one destination path per source (FOF_MULTIDESTFILES) rather than
    // one destination folder: the copies and moves then get exactly the names given.
    bool each_destination = false;
    // The window that owns the shell's dialogs (the main window), which RunShellJob keeps
    // disabled for as long as the job runs.
    HWND owner = nullptr;

    // 0 empties both lists, 1 the from list, 2 the to list; other values do nothing.
    void clear(int which) {
        if (which == 0 || which == 1) from.clear();
        if (which == 0 || which == 2) {
            to.clear();
            each_destination = false;
        }
    }
    // Appends the path and two NUL bytes: a one-path list made of an emptied one.
    void add_from(const char* path) {
        from.append(path);
        from.close();
    }
    void add_to(const char* path) {
        to.append(path);
        to.close();
    }
    // Runs the shell's file operation: code 1 delete, 2 copy, 3 move, 4 rename; mode 0..2.
    // It touches nothing but the object's own lists, so it may run on a thread of its own.
    // Returns 0 done, 2 when the user cancelled part of it, else the shell's nonzero result
    // (logged). A code or mode outside those ranges, or a from list holding a wildcard,
    // runs nothing and returns ERROR_INVALID_PARAMETER.
    int shell_job(int code, int mode, FILE* log);
    // The path of a special folder (CSIDL value), however long; "" when there is none.
    std::string special_folder(int csidl);
    // The small icon of a file, or none.
    HICON small_icon(const char* path);
};

// The fFlags of a shell job mode (0, 1, 2), or -1 for another mode.
int ShellJobFlags(int mode);
// The wFunc of a shell job code (1 delete, 2 copy, 3 move, 4 rename), or 0 for another code.
UINT ShellJobFunction(int code);
