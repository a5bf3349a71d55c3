// Path lists and the shell's file operations over them.
#pragma once

#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// ANSI paths, each followed by a NUL byte, with one more NUL after the last. The length
// counts every byte up to and including that final NUL; data() always has one further NUL
// after the content, so it can be handed on as a double-NUL-terminated string.
class PathList {
  public:
    void clear() { bytes_.clear(); }
    // Appends the path and one NUL (the list is closed with close()). Appends are amortised:
    // gathering n paths costs O(total bytes).
    void append(const char* path) {
        bytes_.append(path);
        bytes_.push_back('\0');
    }
    void close() { bytes_.push_back('\0'); }
    // Makes room for `bytes` in all, so that a long gathering grows the store once.
    void reserve(size_t bytes) { bytes_.reserve(bytes); }
    size_t length() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    const char* data() const { return bytes_.c_str(); }
    // The paths of the list, in order (the empty text after the last one ends the walk).
    std::vector<std::string> paths() const {
        std::vector<std::string> out;
        for (const char* p = bytes_.c_str(); *p; p += strlen(p) + 1)
            out.emplace_back(p);
        return out;
    }

  private:
    std::string bytes_;
};

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
    // The path of a special folder (CSIDL value) into out (MAX_PATH bytes): 0 found, 1 not.
    int special_folder(char* out, int csidl);
    // The small icon of a file, or none.
    HICON small_icon(const char* path);
};

// The fFlags of a shell job mode (0, 1, 2), or -1 for another mode.
int ShellJobFlags(int mode);
// The wFunc of a shell job code (1 delete, 2 copy, 3 move, 4 rename), or 0 for another code.
UINT ShellJobFunction(int code);
