#include <windows.h>
#include <shellapi.h>
#include <cstdio>
#include <cstring>

#include "core/log.h"
#include "core/outcome.h"
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
            FILE* out =
                have_path ? CreatePage("Open", "file-properties.htm", page, sizeof page) : nullptr;
            if (have_path && !out) return;
            if (out) {
                // The page names the entry as the list shows it (a find result with its folder).
                WritePropertiesPage(out, PropertiesOf(*e, path), path);
                bool written = !ferror(out);
                if (fclose(out) != 0 || !written) {
                    TellNotDone(
                        "Open", page, ERROR_WRITE_FAULT,
                        {NotDoneLine("The page \"" + std::string(page) + "\" was not written whole",
                                     ERROR_WRITE_FAULT)});
                    return;
                }
                if (!ShowPage("Open", page)) return;
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

FILE* CreatePage(const char* routine, const char* name, char* page, size_t size) {
    DWORD error = ERROR_PATH_NOT_FOUND;
    if (TempFilePath(name, page, size)) {
        SetLastError(0);
        if (FILE* out = CreateOutputFile(page)) return out;
        error = GetLastError();
        // A name that leads to no file on a disk is refused with no error of the platform's.
        if (!error) error = ERROR_BAD_FILE_TYPE;
    }
    std::string what = page[0] ? "The page \"" + std::string(page) + "\" was not written"
                               : "The page " + std::string(name) +
                                     " was not written: the temporary folder is not known";
    TellNotDone(routine, page[0] ? page : name, error,
                {page[0] ? NotDoneLine(what, error) : what + "."});
    return nullptr;
}

unsigned long ShellExecuteError(INT_PTR result) {
    switch (result) {
    case 0: return ERROR_OUTOFMEMORY;
    case SE_ERR_SHARE: return ERROR_SHARING_VIOLATION;
    case SE_ERR_ASSOCINCOMPLETE:
    case SE_ERR_NOASSOC: return ERROR_NO_ASSOCIATION;
    case SE_ERR_DDETIMEOUT:
    case SE_ERR_DDEFAIL:
    case SE_ERR_DDEBUSY: return ERROR_DDE_FAIL;
    case SE_ERR_DLLNOTFOUND: return ERROR_DLL_NOT_FOUND;
    }
    return (unsigned long)result;
}

bool ShowPage(const char* routine, const char* page) {
    INT_PTR result = (INT_PTR)ShellExecuteA(nullptr, nullptr, page, nullptr, nullptr, SW_SHOW);
    if (result > 32) return true;
    unsigned long error = ShellExecuteError(result);
    TellNotDone(routine, page, error,
                {NotDoneLine("The page \"" + std::string(page) + "\" was not shown", error)});
    return false;
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
