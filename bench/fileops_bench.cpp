// Times the gathering of 100,000 selected rows into the path list, and one copy job of
// 1,000 small files through the program (names planned so nothing is replaced) beside a
// bare SHFileOperationA of the same list.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/mcfg.h"
#include "controls/ui.h"
#include "bench/bench_util.h"
#include "fileops/transfer.h"

namespace {

// Gathers 100,000 selected rows: every row of a list of 100,000 (Ctrl+A), the middle half
// of a list of 200,000 (a Shift+click range), and every other row of 200,000 rows (a
// hundred thousand ranges of one row: the worst case for the list's own walk).
void GatherBench(int rows, int step, int first) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    mlvw.hwnd = CreateWindowExA(0, WC_LISTVIEWA, "", WS_POPUP | LVS_REPORT | LVS_OWNERDATA, 0, 0,
                                400, 400, nullptr, nullptr, nullptr, nullptr);
    std::vector<FolderEntry> entries(rows);
    std::vector<ViewSlot> view(rows);
    for (int i = 0; i < rows; i++) {
        FolderEntry& e = entries[i];
        memset(&e, 0, sizeof e);
        snprintf(e.name, sizeof e.name, "file-%06d.dat", i);
        view[i] = {&e, 0, 0, 0};
    }
    view[0].count = rows;
    mcfg.view = view.data();
    lstrcpynA(mcfg.folder, "C:\\Some\\Folder With Files", sizeof mcfg.folder);
    SendMessageA(mlvw.hwnd, LVM_SETITEMCOUNT, rows, 0);
    LVITEMA state = {};
    state.stateMask = LVIS_SELECTED;
    state.state = LVIS_SELECTED;
    if (step == 1) {
        SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&state);
    } else if (step == 0) {
        for (int i = rows / 4; i < rows / 4 + 100000; i++)
            SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)i, (LPARAM)&state);
    } else {
        for (int i = first; i < rows && i < first + 100000 * step; i += step)
            SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)i, (LPARAM)&state);
    }
    int selected = (int)SendMessageA(mlvw.hwnd, LVM_GETSELECTEDCOUNT, 0, 0);
    for (int round = 0; round < 3; round++) {
        LARGE_INTEGER a, b;
        PathList gathered;
        QueryPerformanceCounter(&a);
        GatherSelection(gathered);
        QueryPerformanceCounter(&b);
        LARGE_INTEGER c;
        int walked = 0;
        for (int row = mlvw.NextSelected(-1); row >= 0; row = mlvw.NextSelected(row))
            walked++;
        QueryPerformanceCounter(&c);
        printf("gather %d selected of %d rows: %.1f ms, list %zu bytes (the list's own walk of "
               "%d rows: %.1f ms)\n",
               selected, rows, bench::Seconds(a, b) * 1000, gathered.length(), walked,
               bench::Seconds(b, c) * 1000);
    }
    mcfg.view = nullptr;
    DestroyWindow(mlvw.hwnd);
    mlvw.hwnd = nullptr;
}

void CopyBench() {
    const char* temp = getenv("TEMP");
    std::string root = std::string(temp ? temp : "C:\\") + "\\fileops-bench";
    bench::Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    std::string source = root + "\\from";
    CreateDirectoryA(source.c_str(), nullptr);
    PathList list;
    for (int i = 0; i < 1000; i++) {
        std::string file = source + "\\f" + std::to_string(i) + ".txt";
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (h != INVALID_HANDLE_VALUE) {
            WriteFile(h, "small file\r\n", 12, &written, nullptr);
            CloseHandle(h);
        }
        list.append(file.c_str());
    }
    list.close();
    for (int round = 0; round < 3; round++) {
        std::string bare_to = root + "\\bare" + std::to_string(round);
        std::string ours_to = root + "\\ours" + std::to_string(round);
        CreateDirectoryA(bare_to.c_str(), nullptr);
        CreateDirectoryA(ours_to.c_str(), nullptr);
        LARGE_INTEGER a, b, c;
        QueryPerformanceCounter(&a);
        SHFILEOPSTRUCTA job = {};
        job.wFunc = FO_COPY;
        job.pFrom = list.data();
        std::string to = bare_to + '\0';
        job.pTo = to.c_str();
        job.fFlags = FOF_SILENT | FOF_NOCONFIRMATION;
        SHFileOperationA(&job);
        QueryPerformanceCounter(&b);
        RunTransfer("Paste", true, list, ours_to);
        QueryPerformanceCounter(&c);
        double bare = bench::Seconds(a, b), ours = bench::Seconds(b, c);
        printf("copy 1,000 files: bare SHFileOperationA %.3f s, Paste's job %.3f s, ratio %.2f\n",
               bare, ours, ours / bare);
    }
    bench::Remove(root);
}

}  // namespace

int main(int argc, char** argv) {
    GatherBench(100000, 1, 0);
    GatherBench(200000, 0, 0);
    GatherBench(200000, 2, 0);
    if (argc > 1 && !strcmp(argv[1], "gather")) return 0;
    CopyBench();
    return 0;
}
