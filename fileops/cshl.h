// Path lists and the shell's file operations over them.
#pragma once

#include <cstdio>
#include <string>

// ANSI paths, each followed by a NUL byte, with one more NUL after the last. The length
// counts every byte up to and including that final NUL; data() always has one further NUL
// after the content, so it can be handed on as a double-NUL-terminated string.
class PathList {
  public:
    void clear() { bytes_.clear(); }
    // Appends the path and one NUL (the list is closed with close()).
    void append(const char* path) {
        bytes_.append(path);
        bytes_.push_back('\0');
    }
    void close() { bytes_.push_back('\0'); }
    size_t length() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    const char* data() const { return bytes_.c_str(); }

  private:
    std::string bytes_;
};

class CSHL {
  public:
    PathList from;
    PathList to;

    // 0 empties both lists, 1 the from list, 2 the to list; other values do nothing.
    void clear(int which) {
        if (which == 0 || which == 1) from.clear();
        if (which == 0 || which == 2) to.clear();
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
    int shell_job(int code, int mode, FILE* log);
};
