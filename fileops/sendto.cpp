#include <windows.h>
#include <shlobj.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/outcome.h"
#include "controls/msgbox.h"
#include "controls/gdi.h"
#include "controls/ui.h"
#include "browse/entries.h"
#include "core/paths.h"
#include "fileops/clnk.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "res/resource.h"
#include "core/handles.h"

namespace {

// The menu bitmaps live as long as the menu, that is until the program ends.
std::vector<Bitmap> menu_bitmaps;

// The user's Send To folder, or the value of TEMP when there is none.
std::string SendToFolder() {
    CSHL shell;
    std::string folder = shell.special_folder(CSIDL_SENDTO);
    if (folder.empty()) {
        const char* temp = getenv("TEMP");
        folder = temp ? temp : "";
    }
    return folder;
}

// Writes the Notepad shortcut, unless a file of that name is there already: that one is
// the user's and is left alone.
void MakeNotepadLink(CLnk& link) {
    std::string folder = SendToFolder();
    std::string shortcut = folder + "\\Notepad.lnk";
    mcfg.make_notepad_link = 0;
    if (folder.empty() || PathUnits(shortcut) > kShortPathUnits) return;
    if (GetFileAttributesA(shortcut.c_str()) != INVALID_FILE_ATTRIBUTES) {
        log_line("%s\tSendTo () %s kept: it is there already ...\n", time_stamp(),
                 shortcut.c_str());
        return;
    }
    std::string windows = WindowsFolder();
    if (windows.empty()) return;
    link.clear();
    link.path = windows + (shortcut[0] == 'X' ? "\\system32\\notepad.exe" : "\\notepad.exe");
    link.set_link(shortcut.c_str());
}

void BuildSubmenu(HMENU submenu, CLnk& link) {
    std::string folder = SendToFolder();
    EntryList entries;
    ListFolder(entries, folder.c_str());
    log_line("%s\tSendTo () %s OK ...\n", time_stamp(), folder.c_str());
    mcfg.sendto_targets.clear();
    int id = CMD_SENDTO_FIRST;
    CSHL shell;
    for (size_t i = 0; i < entries.size(); i++) {
        const FolderEntry& e = *entries[i];
        const char* found = strstr(e.name(), ".lnk");
        if (!found) continue;
        if (id > CMD_SENDTO_LAST) {
            log_line("%s\tSendTo () %s not listed: the menu is full ...\n", time_stamp(), e.name());
            continue;
        }
        std::string text(e.name(), (size_t)(found - e.name()));
        // The texts are emptied first: a shortcut that cannot be read must not take the
        // target of the one before it.
        link.clear();
        std::string joined = JoinPath(folder, e.name());
        const char* shortcut = joined.c_str();
        // The shell's shortcut object takes no longer path.
        bool read = !joined.empty() && PathUnits(joined) <= kShortPathUnits;
        // A shortcut is any file from anywhere: one that breaks its format is never loaded.
        const char* problem = read ? ShortcutFileProblem(shortcut) : nullptr;
        if (problem)
            log_line("%s\tSendTo () %s refused: %s ...\n", time_stamp(), e.name(), problem);
        read = read && !problem && link.get_link(shortcut) == 0 && !link.path.empty();
        // An entry whose shortcut names no target is listed, greyed, and runs nothing.
        InsertMenuA(submenu, 0, MF_STRING | (read ? 0 : MF_GRAYED), (UINT_PTR)id, text.c_str());
        mcfg.sendto_targets.emplace_back(read ? link.path : "");
        if (read) {
            // The bitmap keeps what it needs; the icon goes at once.
            Icon icon(shell.small_icon(link.path.c_str()));
            if (icon) {
                Bitmap bitmap(icon_bitmap(icon.get()));
                if (bitmap) {
                    SetMenuItemBitmaps(submenu, id, MF_BYCOMMAND, bitmap.get(), bitmap.get());
                    menu_bitmaps.push_back(std::move(bitmap));
                }
            }
        }
        id++;
    }
}

// Starts a Send To entry's target with the selected path as its one argument. The target is
// the program itself, never part of a command line the interpreter could read as two: it must
// be an existing file whose path holds no double quote.
void RunEntry(int index) {
    std::string line;
    const FolderEntry* e = FirstSelectedEntry();
    bool known = index >= 0 && (size_t)index < mcfg.sendto_targets.size() &&
                 !mcfg.sendto_targets[index].empty();
    std::string path;
    if (e && known && OperandPath(*e, &path)) {
        const std::string& target = mcfg.sendto_targets[index];
        std::string not_started = "\"" + target + "\" was not started";
        DWORD attributes = GetFileAttributesA(target.c_str());
        line = "\"" + target + "\" \"" + path + "\"";
        // The platform's command line holds at most 32,767 characters with its closing zero.
        const size_t kLongestLine = 32766;
        if (PathUnits(line) > kLongestLine) {
            // A command line that does not fit starts nothing: a cut one would name another file.
            log_line("%s\tSendTo () %d failed: the command line is too long ...\n", time_stamp(),
                     index);
            MsgBox((not_started + ": the command line would be longer than " +
                    std::to_string(kLongestLine) + " characters.")
                       .c_str());
            return;
        }
        if (target.find('"') != std::string::npos || attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            log_line("%s\tSendTo () %d failed: the target is no program file ...\n", time_stamp(),
                     index);
            MsgBox((not_started + ": it is no program file.").c_str());
            return;
        }
        STARTUPINFOA start = {};
        start.cb = sizeof start;
        start.dwFlags = STARTF_USESHOWWINDOW;
        start.wShowWindow = SW_SHOW;
        PROCESS_INFORMATION process = {};
        if (!CreateProcessA(target.c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &start, &process)) {
            DWORD error = GetLastError();
            TellNotDone("SendTo", std::to_string(index), error, {NotDoneLine(not_started, error)});
            return;
        }
        Handle thread(process.hThread), owned(process.hProcess);
    }
    log_line("%s\tSendTo () %d %s OK ...\n", time_stamp(), index, line.c_str());
}

}  // namespace

HBITMAP icon_bitmap(HICON icon) {
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info)) return nullptr;
    // The icon's two bitmaps are this routine's: the mask goes, the colour one is handed out.
    Bitmap mask_bitmap(info.hbmMask), colour_bitmap(info.hbmColor);
    BITMAP colour = {};
    if (!colour_bitmap || !GetObjectA(colour_bitmap.get(), sizeof colour, &colour)) return nullptr;
    {
        MemoryDC mask_dc(nullptr), colour_dc(nullptr);
        Selection mask(mask_dc.get(), mask_bitmap.get());
        Selection colour_in(colour_dc.get(), colour_bitmap.get());
        // Where the mask is white (the icon's transparent part, black in the colour bitmap)
        // the menu bitmap turns white; elsewhere the colour stays.
        BitBlt(colour_dc.get(), 0, 0, colour.bmWidth, colour.bmHeight, mask_dc.get(), 0, 0,
               SRCINVERT);
    }
    return colour_bitmap.release();
}

void SendTo(HMENU submenu, int index) {
    CLnk link(mcfg.log);
    if (mcfg.make_notepad_link) MakeNotepadLink(link);
    if (submenu)
        BuildSubmenu(submenu, link);
    else
        RunEntry(index);
}
