// Times the reading, ordering and showing of a folder of 100,000 entries, and the memory
// each entry costs. Creates the folder under %TEMP% on its first run and reuses it after.
//   tests/harness/wine-run build/testenv build/bin/entries_bench.exe
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_util.h"
#include "core/mcfg.h"
#include "controls/ui.h"
#include "browse/entries.h"
#include "browse/format.h"

namespace {

const int kEntries = 100000;

double Now() {
    static LARGE_INTEGER frequency = {};
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return (double)t.QuadPart / (double)frequency.QuadPart;
}

// Bytes in use in every heap of the process (the C runtime keeps one of its own), block
// overheads included.
size_t HeapBytesInUse() {
    HANDLE heaps[64];
    DWORD count = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; i++) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData + entry.cbOverhead;
        HeapUnlock(heaps[i]);
    }
    return total;
}

// Committed private memory of the whole address space: what the process really holds.
size_t CommittedPrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = (char*)info.BaseAddress + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if ((char*)info.BaseAddress + info.RegionSize <= at) break;
    }
    return total;
}

int BareWalk(const char* folder) { return bench::BareWalk(folder); }

bool EnsureFolder(const char* folder) {
    if (BareWalk(folder) == kEntries) return true;
    CreateDirectoryA(folder, nullptr);
    // Under Wine every create of a new name reads the whole folder for a name that differs
    // only in case, so the first run takes long (tens of minutes); later runs reuse it.
    printf("creating %d files in %s ...\n", kEntries, folder);
    fflush(stdout);
    for (int i = 0; i < kEntries; i++) {
        char path[MAX_PATH];
        // Names of mixed case and a handful of types, so that Name and Type have work to do.
        static const char* const kTypes[6] = {"txt", "JPG", "cpp", "h", "Log", "dat"};
        snprintf(path, sizeof path, "%s\\%c%06d_file.%s", folder, "aBcDeF"[i % 6],
                 (i * 7919) % kEntries, kTypes[i % 6]);
        HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            printf("cannot create %s (%lu)\n", path, GetLastError());
            return false;
        }
        CloseHandle(h);
    }
    return BareWalk(folder) == kEntries;
}

// Gives the entries varied sizes, times and attribute words, as a real folder has; the
// files on disk are all empty and alike.
void VaryEntries() {
    for (size_t i = 0; i < mcfg.entries.size(); i++) {
        FolderEntry* e = mcfg.entries[i];
        uint64_t k = (uint64_t)(i * 2654435761u) % 1000003u;
        SetEntrySize(*e, k * 4099);
        e->last_write_time.dwLowDateTime = (DWORD)(k * 977);
        e->last_write_time.dwHighDateTime = 0x01D00000u + (DWORD)(k % 5000);
        e->attributes = 0x20 | (DWORD)(k % 8);
    }
}

int display_requests = 0;

LRESULT CALLBACK BenchProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NOTIFY && ((NMHDR*)lparam)->code == LVN_GETDISPINFOA) {
        display_requests++;
        ItemText((NMLVDISPINFOA*)lparam);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wparam, lparam);
}

// Shows the view in a real virtual list of 800 x 600 pixels and scrolls it page by page,
// painting each page at once, as the user's scrolling does.
void ScrollTheList(const char* folder) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BenchProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "EntriesBench";
    RegisterClassA(&wc);
    HWND top = CreateWindowExA(0, "EntriesBench", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               840, 660, nullptr, nullptr, wc.hInstance, nullptr);
    mlvw.Create(wc.hInstance, top, 0x50201241, WS_EX_CLIENTEDGE, 114);
    MoveWindow(mlvw.hwnd, 0, 0, 800, 600, TRUE);
    mcbx.Create(wc.hInstance, top, 0x40800002, 111);
    mcbx.SetText(folder);
    SHFILEINFOA info = {};
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    mlvw.SetImageList((HIMAGELIST)SHGetFileInfoA(windows, 0, &info, sizeof info,
                                                 SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    Show();
    UpdateWindow(mlvw.hwnd);
    int per_page = (int)SendMessageA(mlvw.hwnd, LVM_GETCOUNTPERPAGE, 0, 0);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageA(mlvw.hwnd, LVM_GETITEMRECT, 0, (LPARAM)&row);
    int page = per_page * (row.bottom - row.top);
    display_requests = 0;
    const int kPages = 20;
    double t0 = Now();
    for (int i = 0; i < kPages; i++) {
        SendMessageA(mlvw.hwnd, LVM_SCROLL, 0, page);
        UpdateWindow(mlvw.hwnd);
    }
    double t1 = Now();
    printf("scrolling the list (%d rows a page): %.1f ms per page, %d cell requests a page\n",
           per_page, (t1 - t0) * 1000 / kPages, display_requests / kPages);
    DestroyWindow(top);
    mlvw.hwnd = nullptr;
    mcbx.hwnd = nullptr;
}

double Best(const std::vector<double>& t) { return *std::min_element(t.begin(), t.end()); }

}  // namespace

int main() {
    char temp[MAX_PATH] = {};
    const char* env = getenv("TEMP");
    if (env && *env)
        lstrcpynA(temp, env, sizeof temp);
    else
        GetTempPathA(sizeof temp, temp);
    size_t tl = strlen(temp);
    if (tl && temp[tl - 1] == '\\') temp[tl - 1] = '\0';
    char folder[MAX_PATH];
    snprintf(folder, sizeof folder, "%s\\tv-bench-100k", temp);
    if (!EnsureFolder(folder)) return 1;
    printf("folder %s: %d entries\n", folder, kEntries);

    BareWalk(folder);  // warm the caches of the file system and of the platform

    const int kRounds = 5;
    std::vector<double> walk, list, sort, both;
    size_t heap_before = 0, heap_after = 0, private_before = 0, private_after = 0;
    for (int r = 0; r < kRounds; r++) {
        double t0 = Now();
        int n = BareWalk(folder);
        double t1 = Now();
        walk.push_back(t1 - t0);
        if (n != kEntries) printf("walk counted %d\n", n);

        ReleaseEntries();
        // The first round draws fresh memory from the system; later ones reuse what the
        // previous round released.
        if (r == 0) {
            heap_before = HeapBytesInUse();
            private_before = CommittedPrivateBytes();
        }
        mcfg.sort_column = 0;
        mcfg.sort_dir = 1;
        double t2 = Now();
        ListFolder(mcfg.entries, folder);
        double t3 = Now();
        // With no window the controls' handles are none: Show and Size send to nothing.
        Sort();
        double t4 = Now();
        if (r == 0) {
            heap_after = HeapBytesInUse();
            private_after = CommittedPrivateBytes();
        }
        list.push_back(t3 - t2);
        sort.push_back(t4 - t3);
        both.push_back(t4 - t2);
        if ((int)mcfg.entries.size() != kEntries || ViewCount(mcfg.view) != (unsigned)kEntries)
            printf("read %u entries, view %u\n", (unsigned)mcfg.entries.size(),
                   ViewCount(mcfg.view));
    }
    printf("bare FindFirstFileA/FindNextFileA walk: best %.3f s\n", Best(walk));
    printf("ListFolder:                              best %.3f s\n", Best(list));
    printf("Sort (build, order by Name, Show, Size): best %.3f s\n", Best(sort));
    printf("ListFolder + Sort + Show:                best %.3f s  (%.2f x the walk)\n", Best(both),
           Best(both) / Best(walk));

    size_t n = mcfg.entries.size();
    printf("memory per entry (record + reference + view slot), heap in use: %.1f bytes\n",
           (double)(heap_after - heap_before) / (double)n);
    printf("memory per entry, committed private memory of the process:      %.1f bytes\n",
           (double)(private_after - private_before) / (double)n);
    printf("  (sizeof FolderEntry %u, ViewSlot %u, reference %u)\n", (unsigned)sizeof(FolderEntry),
           (unsigned)sizeof(ViewSlot), (unsigned)sizeof(FolderEntry*));

    VaryEntries();
    std::vector<ViewSlot> view(n);
    static const char* const kNames[5] = {"Name", "Size", "Modified", "Type", "Attribute"};
    for (int column = 0; column < 5; column++) {
        for (int dir = 1; dir >= 0; dir--) {
            std::vector<double> t;
            for (int r = 0; r < 3; r++) {
                for (size_t i = 0; i < n; i++)
                    view[i] = {mcfg.entries[i], 0, 0.0, 0.0};
                double t0 = Now();
                OrderView(view.data(), n, column, dir);
                t.push_back(Now() - t0);
            }
            // Ordering an already ordered view again, as a second click on a header does
            // after a scan has changed nothing.
            double t0 = Now();
            OrderView(view.data(), n, column, dir);
            double again = Now() - t0;
            printf("order by %-9s dir %d: best %.3f s (ordered input %.3f s)\n", kNames[column],
                   dir, Best(t), again);
        }
    }

    // The texts of one screen of rows, as the list asks for them while it scrolls.
    char text[MAX_PATH];
    double t0 = Now();
    int cells = 0;
    for (int row = 50000; row < 50040; row++)
        for (int column = 0; column < 5; column++) {
            NMLVDISPINFOA request = {};
            request.item.mask = LVIF_TEXT;
            request.item.iItem = row;
            request.item.iSubItem = column;
            request.item.pszText = text;
            request.item.cchTextMax = sizeof text;
            ItemText(&request);
            cells++;
        }
    double t1 = Now();
    printf("texts of %d cells: %.3f ms\n", cells, (t1 - t0) * 1000);
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\%s", folder, mcfg.view[50000].entry->name());
    t0 = Now();
    for (int i = 0; i < 20; i++)
        get_iico(path);
    t1 = Now();
    printf("get_iico in the folder of %d entries: %.2f ms per call\n", kEntries,
           (t1 - t0) * 1000 / 20);
    t0 = Now();
    for (int i = 0; i < 20; i++)
        get_iico(path, mcfg.view[50000].entry->attributes);
    t1 = Now();
    printf("get_iico by type and kind, as the list asks for it: %.2f ms per call\n",
           (t1 - t0) * 1000 / 20);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    snprintf(path, sizeof path, "%s\\win.ini", windows);
    t0 = Now();
    for (int i = 0; i < 20; i++)
        get_iico(path);
    t1 = Now();
    printf("get_iico in a small folder: %.2f ms per call\n", (t1 - t0) * 1000 / 20);

    mcfg.sort_column = 0;
    mcfg.sort_dir = 1;
    Sort();
    ScrollTheList(folder);

    ReleaseEntries();
    return 0;
}
