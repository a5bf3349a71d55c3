// Shortcut files, read and written through the shell's link object.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <cstdio>
#include <string>

#include "core/com.h"

class CLnk {
  public:
    explicit CLnk(FILE* log);
    ~CLnk();
    CLnk(const CLnk&) = delete;
    CLnk& operator=(const CLnk&) = delete;

    // 0 read, 1 the file cannot be loaded, 2 no link object, 3 the target passes 259
    // characters (path is then empty). The texts are read through the wide interface, so a
    // text of 259 characters of any script comes whole.
    int get_link(const char* path);
    // 0 written, 1 it cannot be saved, 2 no link object.
    int set_link(const char* path);
    // Empties the five texts and the icon index, as a new object has them.
    void clear();

    HRESULT hr = S_OK;
    std::string arguments;
    std::string description;
    std::string icon_location;
    std::string path;
    std::string working_dir;
    int icon_index = 0;

  private:
    ComScope com_;
    FILE* log_;
    ComPtr<IShellLinkW> link_;
    ComPtr<IPersistFile> file_;
};

// Why the bytes of a shortcut file break the shell link binary format, or none when they keep
// it: the header (size 0x4C and the link class), the item list, the link information and the
// strings each lie inside the file, every string ends and holds at most 259 characters, and
// the file is at most 64 KB. A file that breaks it is never handed to the shell's loader.
const char* ShortcutProblem(const unsigned char* data, size_t size);
// The same for a file on disk (read whole, up to the 64 KB limit).
const char* ShortcutFileProblem(const char* path);
