// Builds the real main window in the test's own process.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/app.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "browse/entries.h"
#include "fileops/clnk.h"
#include "fileops/cshl.h"
#include "fileops/fileops.h"
#include "res/resource.h"
#include "scan/find.h"
#include "tests/support/testenv.h"

namespace tv {

// The number of log entries that start with `prefix`.
inline int CountEntries(const std::string& prefix) {
    int n = 0;
    for (const std::string& e : LogEntries())
        if (e.compare(0, prefix.size(), prefix) == 0) n++;
    return n;
}

// The texts of a tree item's children, top to bottom.
inline std::vector<std::string> Children(HTREEITEM parent) {
    std::vector<std::string> names;
    for (HTREEITEM c = TreeView_GetChild(mtvw.hwnd, parent); c;
         c = TreeView_GetNextSibling(mtvw.hwnd, c))
        names.push_back(mtvw.ItemText(c));
    return names;
}

// The view row of the entry named `name`, or -1.
inline int RowOf(const char* name) {
    for (unsigned i = 0; i < ViewCount(panel.view); i++)
        if (!strcmp(panel.view[i].entry->name(), name)) return (int)i;
    return -1;
}

// Selects exactly the given rows of the list (the first one also takes the focus).
inline void SelectRows(std::initializer_list<int> rows) {
    ListView_SetItemState(mlvw.hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    bool first = true;
    for (int row : rows) {
        UINT state = LVIS_SELECTED | (first ? LVIS_FOCUSED : 0);
        ListView_SetItemState(mlvw.hwnd, row, state, state);
        first = false;
    }
}

// Selects exactly the rows of the entries with these names (none focused).
inline void SelectNames(std::initializer_list<const char*> names) {
    ListView_SetItemState(mlvw.hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    for (const char* name : names) {
        int row = RowOf(name);
        ASSERT_GE(row, 0) << name;
        ListView_SetItemState(mlvw.hwnd, row, LVIS_SELECTED, LVIS_SELECTED);
    }
}

// The release of a drag over a tree item's text, in the main window's coordinates.
inline void ReleaseOverTreeItem(HTREEITEM item) {
    RECT r = {};
    TreeView_GetItemRect(mtvw.hwnd, item, &r, TRUE);
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    MapWindowPoints(mtvw.hwnd, mwin.hwnd, &at, 1);
    SendMessageA(mwin.hwnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

// The list's notification that the user began to drag the selected rows.
inline void BeginRowDrag() {
    NMLISTVIEW begin = {};
    begin.hdr.hwndFrom = mlvw.hwnd;
    begin.hdr.idFrom = GetDlgCtrlID(mlvw.hwnd);
    begin.hdr.code = LVN_BEGINDRAG;
    SendMessageA(mwin.hwnd, WM_NOTIFY, begin.hdr.idFrom, (LPARAM)&begin);
}

// Runs Find and waits, with a bound, until its search has ended and its results are shown.
inline bool FindAndWait(DWORD timeout_ms = 20000) {
    Find();
    return WaitUntil([] { return !FindRunning(); }, timeout_ms, true);
}

// One key press as the program's message loop sees it: key down, character, key up.
inline void PressThroughLoop(HWND target, WPARAM key) {
    MSG msgs[3] = {{target, WM_KEYDOWN, key, 1, 0, {}},
                   {target, WM_CHAR, key, 1, 0, {}},
                   {target, WM_KEYUP, key, (LPARAM)0xC0000001, 0, {}}};
    for (MSG& m : msgs)
        LoopStep(m);
}

// Writes the shortcut `name` to the test's helper program into the Send To folder (its path
// into *shortcut, for the test to remove), builds the Send To menu, and gives the command of
// the helper's entry; 0 when it is not listed.
inline int HelperSendToCommand(const char* name, std::string* shortcut) {
    std::string helper = HelperExe();
    CSHL shell;
    *shortcut = shell.special_folder(CSIDL_SENDTO) + "\\" + name;
    {
        CLnk link(nullptr);
        link.path = helper;
        if (link.set_link(shortcut->c_str()) != 0) return 0;
    }
    HMENU menu = CreatePopupMenu();
    SendTo(menu, 0);
    DestroyMenu(menu);
    auto target = std::find(mcfg.sendto_targets.begin(), mcfg.sendto_targets.end(), helper);
    if (target == mcfg.sendto_targets.end()) return 0;
    return CMD_SENDTO_FIRST + (int)(target - mcfg.sendto_targets.begin());
}

// Each test builds the window once per process (CTest runs every test in a process of its
// own); the settings come from a registry key of the test's own.
class AppTest : public ::testing::Test {
  protected:
    void StartApp(const char* command_line = "") {
        static bool started = false;
        if (started) GTEST_SKIP() << "the main window can be built once per process";
        started = true;
        settings_key = reg_.key();
        AppStart(GetModuleHandleA(nullptr), command_line, SW_SHOW);
        ASSERT_NE(mwin.hwnd, nullptr);
        // A popup menu stays open only while its owner is the foreground window.
        SetForegroundWindow(mwin.hwnd);
        PumpMessages(true);
    }
    // Runs the program's loop step over this thread's messages until `condition` holds.
    bool Until(const std::function<bool()>& condition, DWORD timeout_ms = 10000) {
        return WaitUntil(condition, timeout_ms, true);
    }
    void SendCommand(int id, int code = 0) {
        SendMessageA(mwin.hwnd, WM_COMMAND, MAKEWPARAM(id, code), 0);
    }

    TestRegKey reg_{"window"};
};

}  // namespace tv
