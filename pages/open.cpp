#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/msgbox.h"
#include "core/tempfile.h"
#include "controls/ui.h"
#include "browse/navigate.h"
#include "core/paths.h"
#include "pages/pages.h"

void Open(unsigned index, int properties) {
    const ViewSlot* view = panel.view;
    const FolderEntry* e = index < ViewCount(view) ? view[index].entry : nullptr;
    if (e) {
        char path[MAX_PATH];
        // A path that does not fit 259 characters names no file that can be opened here:
        // neither page nor shell call then, only the log line.
        bool have_path = OperandPath(*e, path, sizeof path);
        if (properties) {
            char page[MAX_PATH];
            FILE* out = nullptr;
            if (have_path && TempFilePath("file-properties.htm", page, sizeof page))
                out = CreateOutputFile(page);
            if (out) {
                // The page names the entry as the list shows it (a find result with its folder).
                WritePropertiesPage(out, PropertiesOf(*e, path), path);
                fclose(out);
                ShellExecuteA(nullptr, nullptr, page, nullptr, nullptr, SW_SHOW);
            }
        } else if (IsFolder(*e) && !mcfg.find_mode) {
            // The folder is read, and the tree and the path box follow it.
            if (have_path) Navigate(path);
        } else if (have_path) {
            ShellOpen(path);
        }
    }
    log_line("%s\tOpen () OK ...\n", time_stamp());
}

int ShellOpen(const char* path) {
    if (!path) return 1;
    char folder[MAX_PATH] = {};
    // The file's own folder is its working folder; the program's current folder stays as it
    // is. A path that does not fit is handed to the shell as it stands, without one.
    if (strlen(path) < sizeof folder) {
        lstrcpynA(folder, path, sizeof folder);
        if (char* last = strrchr(folder, '\\')) {
            // "C:\file": the folder is the drive's root "C:\"; "C:" alone would name the
            // drive's current folder instead.
            size_t cut = (size_t)(last - folder);
            if (cut == 2 && folder[1] == ':') cut = 3;
            folder[cut] = '\0';
        } else {
            folder[0] = '\0';
        }
    }
    INT_PTR result = (INT_PTR)ShellExecuteA(nullptr, nullptr, path, nullptr,
                                            folder[0] ? folder : nullptr, SW_SHOW);
    if (result > 30) return 0;
    char text[64];
    snprintf(text, sizeof text, "ShellExecute () error: %d", (int)result);
    MsgBox(text);
    return 1;
}
