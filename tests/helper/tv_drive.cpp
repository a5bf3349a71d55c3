// Drives a running trelvista.exe from another process, one step per run, as a user's clicks
// would: the screenshot script uses it to bring the window to each state it shows.
//   tv_drive.exe open <folder>   types the folder into the path box and presses Enter
//   tv_drive.exe select <name>   selects the list row of that name, alone
//   tv_drive.exe command <id>    chooses a menu command (209 Read Folder Size, 214 Preview)
//   tv_drive.exe drives          selects the tree's root, the drive view
//   tv_drive.exe find <query>    types the query into the search box and clicks Find
// Ends with 0 when the step was handed to the window, 1 when the window or control is missing.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "res/resource.h"

namespace {

HWND main_window;

HWND Child(HWND parent, int id) { return parent ? GetDlgItem(parent, id) : nullptr; }

// The row whose first cell reads `name`, read through a buffer in the program's memory.
int RowNamed(HWND list, const char* name) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return -1;
    char* remote = (char*)VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT, PAGE_READWRITE);
    int found = -1;
    int rows = (int)SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (int row = 0; remote && row < rows && found < 0; row++) {
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = remote + sizeof item;
        item.cchTextMax = MAX_PATH;
        char text[MAX_PATH] = {};
        SIZE_T n = 0;
        if (!WriteProcessMemory(process, remote, &item, sizeof item, &n)) break;
        SendMessageA(list, LVM_GETITEMTEXTA, row, (LPARAM)remote);
        if (ReadProcessMemory(process, remote + sizeof item, text, sizeof text - 1, &n) &&
            strcmp(text, name) == 0)
            found = row;
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return found;
}

bool SetRowState(HWND list, int row, UINT state, UINT mask) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMA), MEM_COMMIT, PAGE_READWRITE);
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    SIZE_T n = 0;
    bool ok = remote && WriteProcessMemory(process, remote, &item, sizeof item, &n) &&
              SendMessageA(list, LVM_SETITEMSTATE, (WPARAM)row, (LPARAM)remote);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    std::string step = argv[1];
    const char* arg = argc > 2 ? argv[2] : "";
    main_window = FindWindowA("CWin", "Trelvista");
    if (!main_window) return 1;
    HWND list = Child(main_window, ID_LIST), tree = Child(main_window, ID_TREE);
    if (step == "open") {
        HWND box = Child(Child(main_window, ID_TOOLBAR), ID_PATHBOX);
        HWND edit = box ? GetWindow(box, GW_CHILD) : nullptr;
        if (!edit) return 1;
        SendMessageA(box, WM_SETTEXT, 0, (LPARAM)arg);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(edit, WM_CHAR, VK_RETURN, 1);
        return 0;
    }
    if (step == "select") {
        int row = list ? RowNamed(list, arg) : -1;
        if (row < 0) return 1;
        SetRowState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
        return SetRowState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED)
                   ? 0
                   : 1;
    }
    if (step == "command") {
        PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(atoi(arg), 0), 0);
        return 0;
    }
    if (step == "drives") {
        HTREEITEM root = tree ? (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0) : nullptr;
        if (!root) return 1;
        PostMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)root);
        return 0;
    }
    if (step == "find") {
        HWND box = Child(main_window, ID_SEARCHBOX), button = Child(main_window, ID_FINDBUTTON);
        if (!box || !button) return 1;
        SendMessageA(box, WM_SETTEXT, 0, (LPARAM)arg);
        PostMessageA(button, BM_CLICK, 0, 0);
        return 0;
    }
    return 1;
}
