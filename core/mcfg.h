// The one application state record: the window, its layout and its modes. The folder shown,
// its entries and view and the jobs that act on it belong to the panel (core/panel.h); the
// control wrappers are in controls/ui.h.
#pragma once

#include <windows.h>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "core/dpi.h"
#include "core/entry.h"
#include "core/geometry.h"
#include "core/handles.h"

struct DriveInfo {
    long long total;
    long long free;
    unsigned used;
    char name[12];
};

// The one application state record, written on the window's thread only. Start-up (app/app.cpp) gives it its start values (start_dir, window, font,
// sort_dir, unit, tree_width, make_notepad_link); after that each field has one file that
// writes it, and every other file only reads it:
//   log                                  core/log.cpp
//   window, logfont, font, font_height, dpi, sep, list_width, chart_top
//                                        app/window.cpp (the settings, the layout and a
//                                        change of DPI)
//   unit, tree_width, splitting, size_cursor, clipboard_names
//                                        app/wndproc.cpp (tree_width also app/window.cpp,
//                                        which scales it when the DPI changes)
//   modal                                controls/msgbox.cpp (ModalScope)
//   history, drives                      browse/navigate.cpp
//   drives_mode, find_mode, preview, size_mode
//                                        core/mcfg.cpp (SetMode)
//   sort_column, sort_dir                browse/entries.cpp (SetOrder)
//   the view's chart angles              scan/view.cpp (browse/entries.cpp clears them when
//                                        a sort keeps the rows)
//   scanning, ticks, size                scan/scan.cpp
//   image_w, image_h                     scan/preview.cpp
//   chart_x, chart_y, chart_radius       scan/view.cpp
//   make_notepad_link, sendto_targets    fileops/sendto.cpp
//   product_line, info_link, link_cursor app/info.cpp
// The modal loops of the program's own that run now (message boxes, menus, dialogs, a job's
// wait), the job results held until they have ended, and a close asked meanwhile.
struct ModalState {
    int depth = 0;
    bool close_asked = false;
    std::vector<MSG> held;
};

struct Mcfg {
    FILE* log = nullptr;
    std::string start_dir;
    WindowGeometry window = {};
    LOGFONTA logfont = {};
    Font font;
    // The UI font's height as the settings give it, at 96 DPI; logfont holds it scaled.
    int font_height = 16;
    // The DPI the window is shown at: every pixel figure of the window is scaled by it.
    int dpi = kBaseDpi;
    char sep = '.';
    int unit = 1;
    int tree_width = 300;
    int list_width = 0;
    int chart_top = 0;

    // The view's modes: written by SetMode alone.
    int drives_mode = 1;
    int find_mode = 0;
    int preview = 0;
    int size_mode = 0;
    // Written by the size-scan thread and read by the UI thread.
    std::atomic<int> scanning{0};
    std::atomic<unsigned> ticks{0};
    std::atomic<long long> size{0};

    int sort_column = 0;
    int sort_dir = 1;

    std::vector<std::string> history;
    DriveInfo drives[26] = {};

    int image_w = -1;
    int image_h = -1;
    int chart_x = 0, chart_y = 0, chart_radius = 0;

    int splitting = 0;
    HCURSOR size_cursor = nullptr;
    ModalState modal;

    // Whether the clipboard holds a file list, as the clipboard watcher last answered.
    unsigned clipboard_names = 0;
    int make_notepad_link = 1;
    std::vector<std::string> sendto_targets;

    char product_line[MAX_PATH] = {};
    char info_link[MAX_PATH] = {};
    HCURSOR link_cursor = nullptr;
};

extern Mcfg mcfg;

// The changes of the view's modes, each with its rules, in the one routine that writes them:
//   kShowFolder   a folder is read: neither the drives nor find results;
//   kShowDrives   the tree's root: the drive view, which shows no preview;
//   kStartFind    a search begins: no drive view and no size mode;
//   kShowFound    the list holds find results;
//   kToggleSize   Read Folder Size: size mode on or off, the preview off;
//   kTogglePreview Image Preview: size mode off, the preview on or off (never in the drive view).
enum ModeChange { kShowFolder, kShowDrives, kStartFind, kShowFound, kToggleSize, kTogglePreview };
void SetMode(ModeChange change);

// The registry key of the stored settings under HKEY_CURRENT_USER. Tests point it at a
// key of their own before the window is built; the program never changes it.
extern const char* settings_key;
extern const char* const kDefaultSettingsKey;
