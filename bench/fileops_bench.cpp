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

#include "app/mcfg.h"
#include "app/ui.h"
#include "bench/bench_util.h"
#include "fileops/transfer.h"

namespace {

void GatherBench() {
    const int rows = 100000;
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
    LVITEMA all = {};
    all.stateMask = LVIS_SELECTED;
    all.state = LVIS_SELECTED;
    SendMessageA(mlvw.hwnd, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&all);
    for (int round = 0; round < 3; round++) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        GatherSelection();
        QueryPerformanceCounter(&b);
        LARGE_INTEGER c;
        int walked = 0;
        for (int row = mlvw.NextSelected(-1); row >= 0; row = mlvw.NextSelected(row))
            walked++;
        QueryPerformanceCounter(&c);
        printf("gather %d selected rows: %.1f ms, list %zu bytes (the list's own walk of %d "
               "rows: %.1f ms)\n",
               rows, bench::Seconds(a, b) * 1000, mcfg.paths.from.length(), walked,
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
        mcfg.paths.clear(0);
        mcfg.paths.from = list;
        mcfg.paths.add_to(ours_to.c_str());
        RunTransfer("Paste", true);
        QueryPerformanceCounter(&c);
        double bare = bench::Seconds(a, b), ours = bench::Seconds(b, c);
        printf("copy 1,000 files: bare SHFileOperationA %.3f s, Paste's job %.3f s, ratio %.2f\n",
               bare, ours, ours / bare);
    }
    bench::Remove(root);
}

}  // namespace

int main(int argc, char** argv) {
    GatherBench();
    if (argc > 1 && !strcmp(argv[1], "gather")) return 0;
    CopyBench();
    return 0;
}
