// Times the gathering of 100,000 selected rows into the path list, and one copy job of
// 1,000 small files through the program (names planned so nothing is replaced), both by
// Paste in the real window and as the job alone, beside a bare SHFileOperationA of the list.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "browse/navigate.h"
#include "core/mcfg.h"
#include "res/resource.h"
#include "controls/ui.h"
#include "bench/bench_util.h"
#include "fileops/cshl.h"
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
    EntryList entries;
    std::vector<ViewSlot> view(rows);
    for (int i = 0; i < rows; i++) {
        char name[32];
        snprintf(name, sizeof name, "file-%06d.dat", i);
        bench::NamedEntry(entries, name);
        view[i] = {entries[i], 0, 0, 0};
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
        GatherSelection("Copy", Names::kOwn, gathered);
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

// Runs the program's loop until `done` holds, then the messages still waiting.
void PumpUntil(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (!done() && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            LoopStep(msg);
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        LoopStep(msg);
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
    // A bare copy of the list: silent into one folder (`as_program` false), or with the
    // program's own flags (progress, rename on collision) and one destination per name, as
    // Paste's job hands it to the shell.
    auto bare_copy = [&](const std::string& into, bool as_program) {
        CreateDirectoryA(into.c_str(), nullptr);
        PathList dests;
        for (const std::string& from : list.paths())
            dests.append((into + from.substr(from.rfind('\\'))).c_str());
        dests.close();
        LARGE_INTEGER a;
        QueryPerformanceCounter(&a);
        SHFILEOPSTRUCTA job = {};
        job.wFunc = FO_COPY;
        job.pFrom = list.data();
        std::string to = into + '\0';
        job.pTo = as_program ? dests.data() : to.c_str();
        job.fFlags = as_program ? (FILEOP_FLAGS)(ShellJobFlags(1) | FOF_MULTIDESTFILES)
                                : (FILEOP_FLAGS)(FOF_SILENT | FOF_NOCONFIRMATION);
        SHFileOperationA(&job);
        LARGE_INTEGER b;
        QueryPerformanceCounter(&b);
        return bench::Seconds(a, b);
    };

    // The program's own list on the clipboard, as Copy leaves it for every selected row.
    AppStart(GetModuleHandleA(nullptr), source.c_str(), SW_SHOW);
    if (!mwin.hwnd) return;
    PumpUntil([] { return true; });
    mlvw.SetAllRows(LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(mwin.hwnd, WM_COMMAND, CMD_COPY, 0);
    PumpUntil([] { return true; });

    // Each round times Paste in the window (from the command to the list showing the copies)
    // and the program's job in-process, between two bare copies of the same list; the
    // median of the rounds' ratios to the bare copies' mean is what the user gets.
    std::vector<double> window_ratios, job_ratios, same_window_ratios, same_job_ratios;
    for (int round = 0; round < 5; round++) {
        std::string tag = std::to_string(round);
        double before = bare_copy(root + "\\bare-a" + tag, false);
        double same_before = bare_copy(root + "\\same-a" + tag, true);

        std::string pasted = root + "\\pasted" + tag;
        CreateDirectoryA(pasted.c_str(), nullptr);
        Navigate(pasted.c_str());
        PumpUntil([] { return true; });
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        PostMessageA(mwin.hwnd, WM_COMMAND, CMD_PASTE, 0);
        PumpUntil([&] {
            return ViewCount(mcfg.view) == 1000 && _stricmp(mcfg.folder, pasted.c_str()) == 0;
        });
        QueryPerformanceCounter(&b);
        double window = bench::Seconds(a, b);

        std::string ours_to = root + "\\ours" + tag;
        CreateDirectoryA(ours_to.c_str(), nullptr);
        QueryPerformanceCounter(&a);
        (void)RunTransfer("Paste", true, list, ours_to);
        QueryPerformanceCounter(&b);
        double ours = bench::Seconds(a, b);

        double same = (same_before + bare_copy(root + "\\same-b" + tag, true)) / 2;
        double bare = (before + bare_copy(root + "\\bare-b" + tag, false)) / 2;
        window_ratios.push_back(window / bare);
        job_ratios.push_back(ours / bare);
        same_window_ratios.push_back(window / same);
        same_job_ratios.push_back(ours / same);
        printf("copy 1,000 files: bare SHFileOperationA %.3f s, with the program's flags and "
               "destinations %.3f s; Paste in the window to the list of copies %.3f s (%.2fx, "
               "%.2fx); Paste's job %.3f s (%.2fx, %.2fx)\n",
               bare, same, window, window / bare, window / same, ours, ours / bare, ours / same);
    }
    for (auto* v : {&window_ratios, &job_ratios, &same_window_ratios, &same_job_ratios})
        std::sort(v->begin(), v->end());
    printf("median of 5 rounds beside the bare copy: Paste in the window %.2fx, Paste's job "
           "%.2fx; beside the same shell job: %.2fx and %.2fx\n",
           window_ratios[2], job_ratios[2], same_window_ratios[2], same_job_ratios[2]);
    Navigate(root.c_str());
    DestroyWindow(mwin.hwnd);
    PumpUntil([] { return true; });
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
