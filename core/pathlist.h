// The path list: the form in which every file operation passes its paths.
#pragma once

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
