// Times the gathering of 100,000 selected rows into the path list, and one copy job of
// 1,000 small files through the program (names planned so nothing is replaced), both by
// Paste in the real window and as the job alone, beside a bare SHFileOperationA of the list;
// then the Paste of one 2 GB file beside a bare CopyFileA of it, with the longest time the
// window took meanwhile to answer a ping from another thread.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "browse/navigate.h"
#include "core/mcfg.h"
#include "core/panel.h"
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
    panel.view = view.data();
    lstrcpynA(panel.folder, "C:\\Some\\Folder With Files", sizeof panel.folder);
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
    panel.view = nullptr;
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

// The window is built once for the process: the first call starts it on `folder`, later ones
// open the folder in it.
void ShowFolder(const std::string& folder) {
    if (!mwin.hwnd)
        AppStart(GetModuleHandleA(nullptr), folder.c_str(), SW_SHOW);
    else
        Navigate(folder.c_str());
    PumpUntil([] { return true; });
}

// Pings the window from a thread of its own, as another program would, from its start to
// its end, and keeps the longest time the window took to answer.
class Pinger {
  public:
    explicit Pinger(HWND window) : stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
        thread_ = std::thread([this, window] {
            do {
                LARGE_INTEGER a, b;
                DWORD_PTR result = 0;
                QueryPerformanceCounter(&a);
                SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
                QueryPerformanceCounter(&b);
                longest_ = std::max(longest_, bench::Seconds(a, b));
                pings_++;
            } while (WaitForSingleObject(stop_, 5) == WAIT_TIMEOUT);
        });
    }
    // Stops the pings; the figures are read after it.
    void stop() {
        SetEvent(stop_);
        if (thread_.joinable()) thread_.join();
    }
    ~Pinger() {
        stop();
        CloseHandle(stop_);
    }
    double longest() const { return longest_; }
    int pings() const { return pings_; }

  private:
    HANDLE stop_;
    double longest_ = 0;
    int pings_ = 0;
    std::thread thread_;
};

// The median and the range of a set of figures, as "median (min-max)".
std::string Spread(std::vector<double> v, double scale, const char* format) {
    std::sort(v.begin(), v.end());
    char text[96];
    std::string f = std::string(format) + " (" + format + "-" + format + ")";
    snprintf(text, sizeof text, f.c_str(), v[v.size() / 2] * scale, v.front() * scale,
             v.back() * scale);
    return text;
}

// One file of 2 GB (sparse at its source, written whole by each copy): each round a bare
// CopyFileA of it, Paste in the window with another thread pinging the window throughout,
// and a bare CopyFileA again; the copies go before the next one.
void BigPasteBench() {
    const char* temp = getenv("TEMP");
    std::string root = std::string(temp ? temp : "C:\\") + "\\fileops-big-bench";
    bench::Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    std::string source = root + "\\from", file = source + "\\big.bin";
    CreateDirectoryA(source.c_str(), nullptr);
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 2LL << 30;
    if (h == INVALID_HANDLE_VALUE || !SetFilePointerEx(h, size, nullptr, FILE_BEGIN) ||
        !SetEndOfFile(h)) {
        printf("big paste: the 2 GB source could not be made\n");
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        return;
    }
    CloseHandle(h);
    auto bare_copy = [&](const std::string& to) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        BOOL ok = CopyFileA(file.c_str(), to.c_str(), TRUE);
        QueryPerformanceCounter(&b);
        DeleteFileA(to.c_str());
        return ok ? bench::Seconds(a, b) : -1.0;
    };
    ShowFolder(source);
    mlvw.SetAllRows(LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(mwin.hwnd, WM_COMMAND, CMD_COPY, 0);
    PumpUntil([] { return true; });

    std::vector<double> bares, pastes, ratios, longest;
    for (int round = 0; round < 5; round++) {
        double before = bare_copy(root + "\\bare.bin");
        std::string pasted = root + "\\pasted" + std::to_string(round);
        CreateDirectoryA(pasted.c_str(), nullptr);
        ShowFolder(pasted);
        LARGE_INTEGER a, b;
        Pinger pinger(mwin.hwnd);
        QueryPerformanceCounter(&a);
        PostMessageA(mwin.hwnd, WM_COMMAND, CMD_PASTE, 0);
        PumpUntil([&] {
            return ViewCount(panel.view) == 1 && _stricmp(panel.folder, pasted.c_str()) == 0;
        });
        QueryPerformanceCounter(&b);
        pinger.stop();
        double paste = bench::Seconds(a, b);
        double after = bare_copy(root + "\\bare.bin");
        DeleteFileA((pasted + "\\big.bin").c_str());
        if (before < 0 || after < 0) {
            printf("big paste: the bare CopyFileA failed\n");
            break;
        }
        double bare = (before + after) / 2;
        bares.push_back(bare);
        pastes.push_back(paste);
        ratios.push_back(paste / bare);
        longest.push_back(pinger.longest());
        printf("paste 2 GB: bare CopyFileA %.2f s, Paste in the window %.2f s (%.2fx); longest "
               "answer to %d pings %.1f ms\n",
               bare, paste, paste / bare, pinger.pings(), pinger.longest() * 1000);
    }
    if (!bares.empty())
        printf("median (min-max) of %zu rounds: bare CopyFileA %s s, Paste %s s, %sx; the "
               "window's longest answer to a ping during the Paste %s ms\n",
               bares.size(), Spread(bares, 1, "%.2f").c_str(), Spread(pastes, 1, "%.2f").c_str(),
               Spread(ratios, 1, "%.2f").c_str(), Spread(longest, 1000, "%.1f").c_str());
    ShowFolder(root);
    bench::Remove(root);
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
    ShowFolder(source);
    if (!mwin.hwnd) return;
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
            return ViewCount(panel.view) == 1000 && _stricmp(panel.folder, pasted.c_str()) == 0;
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
    ShowFolder(root);
    bench::Remove(root);
}

}  // namespace

int main(int argc, char** argv) {
    // "gather": the gatherings alone; "paste": the 2 GB Paste alone.
    const char* only = argc > 1 ? argv[1] : "";
    if (strcmp(only, "paste")) {
        GatherBench(100000, 1, 0);
        GatherBench(200000, 0, 0);
        GatherBench(200000, 2, 0);
        if (!strcmp(only, "gather")) return 0;
        CopyBench();
    }
    BigPasteBench();
    if (mwin.hwnd) DestroyWindow(mwin.hwnd);
    PumpUntil([] { return true; });
    return 0;
}
