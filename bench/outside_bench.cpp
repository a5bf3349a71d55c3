// Times what input from outside costs the window: a pasted list of 20,000 names parsed, the
// first opening of the File menu with 20 Send To shortcuts (three of them hostile), the
// attribute buttons following select-all over 100,000 rows and one change after it, and the
// preview of GIFs whose frames are larger or more numerous than their header says.
//   tests/harness/wine-run build/benchenv build/bin/outside_bench.exe
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "bench/bench_util.h"
#include "browse/entries.h"
#include "fileops/clnk.h"
#include "fileops/cshl.h"
#include "fileops/fileops.h"
#include "fileops/transfer.h"
#include "res/resource.h"
#include "scan/cimg.h"
#include "scan/view.h"
#include "tests/support/picture_file.h"

namespace {

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}
double Ms(LARGE_INTEGER a) { return bench::Seconds(a, Now()) * 1000; }

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// A CF_HDROP block of n ANSI names.
std::vector<char> DropBlock(int n) {
    std::vector<char> block(sizeof(DROPFILES));
    ((DROPFILES*)block.data())->pFiles = sizeof(DROPFILES);
    char name[64];
    for (int i = 0; i < n; i++) {
        int len = snprintf(name, sizeof name, "C:\\users\\someone\\pictures\\file%05d.jpg", i);
        block.insert(block.end(), name, name + len + 1);
    }
    block.push_back(0);
    return block;
}

void PasteList() {
    std::vector<char> block = DropBlock(20000);
    for (int round = 0; round < 3; round++) {
        PathList names;
        LARGE_INTEGER a = Now();
        int n = ParseDropBlock(block.data(), block.size(), names);
        printf("pasted list of 20,000 names: parsed %d in %.1f ms\n", n, Ms(a));
    }
    // The platform's own reader asked name by name, for scale (2,000 names only: it walks
    // the list from its start for every name).
    std::vector<char> small = DropBlock(2000);
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, small.size());
    memcpy(GlobalLock(g), small.data(), small.size());
    GlobalUnlock(g);
    LARGE_INTEGER a = Now();
    char name[MAX_PATH];
    UINT n = DragQueryFileA((HDROP)g, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < n; i++)
        DragQueryFileA((HDROP)g, i, name, sizeof name);
    printf("  for scale: DragQueryFileA name by name over 2,000 names %.1f ms\n", Ms(a));
    GlobalFree(g);
}

std::string SendToFolder() {
    CSHL shell;
    return shell.special_folder(CSIDL_SENDTO);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// A shortcut header with no item list whose LinkInfo claims 0xFFFFFFF0 bytes, and one with a
// relative path of 1,205 characters.
std::string HostileShortcut(bool link_info) {
    std::string b(0x4C, '\0');
    b[0] = 0x4C;
    const unsigned char link_class[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    memcpy(&b[4], link_class, 16);
    if (link_info) {
        b[0x14] = 0x02;  // HasLinkInfo
        b += std::string("\xF0\xFF\xFF\xFF", 4) + std::string(64, '\0');
    } else {
        b[0x14] = 0x08;  // HasRelativePath
        b += (char)(1205 & 0xFF);
        b += (char)(1205 >> 8);
        b += std::string(1205, 'r');
    }
    return b;
}

void FirstFileMenu() {
    std::string folder = SendToFolder();
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    for (int i = 0; i < 17; i++) {
        CLnk link(nullptr);
        link.path = std::string(system) + "\\notepad.exe";
        link.set_link((folder + "\\tool" + std::to_string(i) + ".lnk").c_str());
    }
    WriteBytes(folder + "\\hostile-info.lnk", HostileShortcut(true));
    WriteBytes(folder + "\\hostile-path.lnk", HostileShortcut(false));
    WriteBytes(folder + "\\hostile-none.lnk", std::string(300, 'x'));
    HMENU file = GetSubMenu(GetMenu(mwin.hwnd), 0);
    LARGE_INTEGER a = Now();
    SendMessageA(mwin.hwnd, WM_INITMENUPOPUP, (WPARAM)file, 0);
    printf("first opening of the File menu, 20 shortcuts (3 hostile): %.1f ms, %d items\n", Ms(a),
           GetMenuItemCount(file));
    HMENU again = CreatePopupMenu();
    a = Now();
    SendTo(again, 0);
    printf("  the submenu built again: %.1f ms\n", Ms(a));
    DestroyMenu(again);
    for (int i = 0; i < 17; i++)
        DeleteFileA((folder + "\\tool" + std::to_string(i) + ".lnk").c_str());
    DeleteFileA((folder + "\\hostile-info.lnk").c_str());
    DeleteFileA((folder + "\\hostile-path.lnk").c_str());
    DeleteFileA((folder + "\\hostile-none.lnk").c_str());
}

// 100,000 entries of the folder on show, a third of them hidden and a tenth read-only, as
// a read would list them.
void SelectAll() {
    ReleaseEntries();
    WIN32_FIND_DATAA record = {};
    for (int i = 0; i < 100000; i++) {
        snprintf(record.cFileName, sizeof record.cFileName, "file%06d.dat", i);
        record.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE | (i % 3 ? 0 : FILE_ATTRIBUTE_HIDDEN) |
                                  (i % 10 ? 0 : FILE_ATTRIBUTE_READONLY);
        record.nFileSizeLow = (DWORD)i;
        panel.entries.append(record);
    }
    Sort();
    Pump();
    // Ctrl+A's command; one row unselected; then a click on a row, which leaves it alone
    // selected (the control unselects every other row itself).
    RECT row = {};
    ListView_GetItemRect(mlvw.hwnd, 2, &row, LVIR_LABEL);
    LPARAM at = MAKELPARAM(row.left + 4, row.top + 2);
    for (int round = 0; round < 3; round++) {
        LARGE_INTEGER a = Now();
        SendMessageA(mwin.hwnd, WM_COMMAND, CMD_SELECT_ALL, 0);
        double all = Ms(a);
        int selected = mlvw.SelectedCount();
        a = Now();
        ListView_SetItemState(mlvw.hwnd, 5000 + round, 0, LVIS_SELECTED);
        double one = Ms(a);
        a = Now();
        SendMessageA(mlvw.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(mlvw.hwnd, WM_LBUTTONUP, 0, at);
        double click = Ms(a);
        printf("select-all over %u rows %.1f ms (%d selected); one row unselected %.2f ms; "
               "a click back to one row %.1f ms (%d selected)\n",
               ViewCount(panel.view), all, selected, one, click, mlvw.SelectedCount());
        Pump();
    }
    ListView_SetItemState(mlvw.hwnd, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ReleaseEntries();
}

void WriteVector(const std::string& path, const std::vector<unsigned char>& bytes) {
    WriteBytes(path, std::string(bytes.begin(), bytes.end()));
}

// The preview paints the selected GIF; its floor is the platform's decode and scale of a GIF
// holding the first frame alone.
void Gifs(int rounds, const std::string& load_case) {
    bench::Ratios ratios("preview GIF 60 frames" + load_case + " / first frame alone", "-");
    const char* temp = getenv("TEMP");
    std::string root = std::string(temp ? temp : "C:\\") + "\\outside-bench";
    bench::Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    WriteVector(root + "\\huge-frame.gif", tv::CraftedGif(10, 10, {{20000, 20000}}));
    WriteVector(root + "\\sixty.gif",
                tv::CraftedGif(4000, 4000, std::vector<std::pair<int, int>>(60, {4000, 4000}), true));
    WriteVector(root + "\\one.gif", tv::CraftedGif(4000, 4000, {{4000, 4000}}, true));
    mcfg.preview = 1;
    mcfg.tree_width = 300;
    mcfg.list_width = 300;
    mcfg.chart_top = 300;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 1280, 1024);
    HGDIOBJ old = SelectObject(dc, target);
    EntryList names;
    FolderEntry entry = {};
    ViewSlot slot = {&entry, 1, 0, 0};
    ViewSlot* kept = panel.view;
    panel.view = &slot;
    panel.folder = root.c_str();
    // The imaging codecs' first use loads them; it is left out of both figures.
    HRESULT hr;
    DeleteObject(DecodeFitted((root + "\\one.gif").c_str(), 280, 280, &hr));
    for (int round = 0; round < rounds; round++) {
        LARGE_INTEGER a = Now();
        HBITMAP bare = DecodeFitted((root + "\\one.gif").c_str(), 280, 280, &hr);
        double floor = Ms(a);
        DeleteObject(bare);
        // Another spelling each round: a new selection, so nothing is kept from the last one.
        const char* spellings[2] = {round % 2 ? "SIXTY.GIF" : "sixty.gif",
                                    round % 2 ? "HUGE-FRAME.GIF" : "huge-frame.gif"};
        double took[2];
        for (int i = 0; i < 2; i++) {
            entry = bench::NamedEntry(names, spellings[i]);
            a = Now();
            Preview(dc);
            took[i] = Ms(a);
        }
        printf("GIF 4000x4000, 60 frames: preview %.0f ms, floor (first frame alone) %.0f ms, "
               "beyond it %.0f ms; 10x10 screen with a 20000x20000 frame: refused in %.1f ms\n",
               took[0], floor, took[0] - floor, took[1]);
        ratios.Add(took[0] / floor);
    }
    ratios.Print();
    panel.view = kept;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
    ReleaseDC(nullptr, screen);
    bench::Remove(root);
}

}  // namespace

int main(int argc, char** argv) {
    bench::Options options = bench::ParseOptions(argc, argv);
    bench::BusyLoad busy(options.load);
    PasteList();
    AppStart(GetModuleHandleA(nullptr), "C:\\", SW_SHOW);
    if (!mwin.hwnd) {
        printf("the window was not made\n");
        return 1;
    }
    Pump();
    FirstFileMenu();
    SelectAll();
    Gifs(options.quick ? 2 : 3, busy.running() ? " busy" : "");
    DestroyWindow(mwin.hwnd);
    return 0;
}
