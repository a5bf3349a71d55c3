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
        std::string whole;
        // An entry without a path (one not reached, or longer than the platform allows) is
        // opened nowhere: neither page nor shell call then, only the log line.
        bool have_path = OperandPath(*e, &whole);
        const char* path = whole.c_str();
        if (properties) {
            std::string whole_page;
            FILE* out =
                have_path ? CreatePage("Open", "file-properties.htm", &whole_page) : nullptr;
            const char* page = whole_page.c_str();
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

FILE* CreatePage(const char* routine, const char* name, std::string* whole) {
    DWORD error = ERROR_PATH_NOT_FOUND;
    *whole = TempFilePath(name);
    const char* page = whole->c_str();
    if (page[0]) {
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
    // The shell takes no path longer than 259 characters; a shortened one would show another
    // file.
    if (PathUnits(page) > kShortPathUnits) {
        TellNotDone(routine, page, ERROR_FILENAME_EXCED_RANGE,
                    {LongPathText(page, kShortPathUnits, "showing a page with the shell") +
                     " Set TEMP to a folder with a shorter path."});
        return false;
    }
    INT_PTR result = (INT_PTR)ShellExecuteA(nullptr, nullptr, page, nullptr, nullptr, SW_SHOW);
    if (result > 32) return true;
    unsigned long error = ShellExecuteError(result);
    TellNotDone(routine, page, error,
                {NotDoneLine("The page \"" + std::string(page) + "\" was not shown", error)});
    return false;
}

int ShellOpen(const char* path) {
    if (!path) return 1;
    // The shell takes no path longer than 259 characters, and a shortened one would open
    // another file.
    if (PathUnits(path) > kShortPathUnits) {
        log_line("%s\tShellOpen () %s refused: %zu characters ...\n", time_stamp(), path,
                 PathUnits(path));
        MsgBox((LongPathText(path, kShortPathUnits, "opening with the shell") +
                "\n\nCopy the file into a folder with a shorter path and open it there.")
                   .c_str());
        return 1;
    }
    // The file's own folder is its working folder; the program's current folder stays as it
    // is.
    std::string folder;
    if (const char* last = strrchr(path, '\\')) {
        // "C:\file": the folder is the drive's root "C:\"; "C:" alone would name the
        // drive's current folder instead.
        size_t cut = (size_t)(last - path);
        if (cut == 2 && path[1] == ':') cut = 3;
        folder.assign(path, cut);
    }
    INT_PTR result = (INT_PTR)ShellExecuteA(nullptr, nullptr, path, nullptr,
                                            !folder.empty() ? folder.c_str() : nullptr, SW_SHOW);
    if (result > 30) return 0;
    char text[64];
    snprintf(text, sizeof text, "ShellExecute () error: %d", (int)result);
    MsgBox(text);
    return 1;
}
