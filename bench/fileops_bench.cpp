// Times the gathering of 100,000 selected rows into the path list; Paste of 1,000 and of
// 10,000 small files, of 50 files into a folder of 100,000 entries, and of one 2 GB file, each
// in the real window beside the floor (a plain CopyFileA loop over the same files, timed in a
// process of its own), in interleaved rounds, with the longest time the window took meanwhile
// to answer a ping from another thread and the machine's load.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <algorithm>
#include <atomic>
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
#include "fileops/fileops.h"
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
    panel.folder = "C:\\Some\\Folder With Files";
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
                if (bench::Seconds(a, b) > longest_) {
                    longest_ = bench::Seconds(a, b);
                    longest_at_ = a;
                }
                sent_.push_back({a, bench::Seconds(a, b)});
                pings_++;
            } while (WaitForSingleObject(stop_, 5) == WAIT_TIMEOUT);
            done_ = true;
        });
    }
    // Stops the pings; the figures are read after it.
    void stop() {
        SetEvent(stop_);
        // Called on the window's thread: a ping sent just before the stop is answered, not
        // left to wait out its timeout while this thread waits for the pinger.
        MSG msg;
        while (thread_.joinable() && !done_) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        if (thread_.joinable()) thread_.join();
    }
    ~Pinger() {
        stop();
        CloseHandle(stop_);
    }
    double longest() const { return longest_; }
    // When the longest ping was sent.
    LARGE_INTEGER longest_at() const { return longest_at_; }
    int pings() const { return pings_; }
    // The longest answer to a ping sent before `end` (during the job), and to one sent at or
    // after it (the read that shows the copies).
    double longest_before(LARGE_INTEGER end) const {
        double most = 0;
        for (const auto& [at, seconds] : sent_)
            if (at.QuadPart < end.QuadPart) most = std::max(most, seconds);
        return most;
    }
    double longest_after(LARGE_INTEGER end) const {
        double most = 0;
        for (const auto& [at, seconds] : sent_)
            if (at.QuadPart >= end.QuadPart) most = std::max(most, seconds);
        return most;
    }

  private:
    std::vector<std::pair<LARGE_INTEGER, double>> sent_;
    HANDLE stop_;
    std::atomic<bool> done_{false};
    double longest_ = 0;
    LARGE_INTEGER longest_at_ = {};
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

// The machine's load as Linux tells it: the other helpers' builds move every figure.
std::string Load() {
    char text[128] = {};
    if (FILE* f = fopen("Z:\\proc\\loadavg", "r")) {
        if (!fgets(text, sizeof text, f)) text[0] = 0;
        fclose(f);
    }
    std::string load = text;
    while (!load.empty() && (load.back() == '\n' || load.back() == '\r'))
        load.pop_back();
    return "load " + load;
}

// The floor in a process of its own (this program started with "--floor"): CopyFileA of the
// files "f0.txt" .. of `from` (or, with count -1, of "big.bin") into `to`, each only where no
// file of that name exists. Its seconds; -1 when it could not be run or a copy failed.
double FloorInOwnProcess(const std::string& from, const std::string& to, int count) {
    std::string out = bench::TempFolder() + "\\fileops-bench-floor.txt";
    return bench::SecondsInOwnProcess("--floor \"" + from + "\" \"" + to + "\" " +
                                          std::to_string(count) + " \"" + out + "\"",
                                      out);
}

int FloorMain(const char* from, const char* to, int count, const char* out) {
    LARGE_INTEGER a, b;
    bool ok = true;
    QueryPerformanceCounter(&a);
    if (count < 0) {
        ok = CopyFileA((std::string(from) + "\\big.bin").c_str(),
                       (std::string(to) + "\\big.bin").c_str(), TRUE);
    } else {
        for (int i = 0; i < count && ok; i++) {
            std::string name = "\\f" + std::to_string(i) + ".txt";
            ok = CopyFileA((from + name).c_str(), (to + name).c_str(), TRUE);
        }
    }
    QueryPerformanceCounter(&b);
    if (FILE* f = fopen(out, "w")) {
        fprintf(f, "%.6f\n", ok ? bench::Seconds(a, b) : -1.0);
        fclose(f);
    }
    return ok ? 0 : 1;
}

// Watches the job from a thread of its own and keeps the moment it ends.
class JobEnd {
  public:
    JobEnd() {
        thread_ = std::thread([this] {
            while (!ShellJobRunning() && !stop_)
                Sleep(1);
            while (ShellJobRunning() && !stop_)
                Sleep(1);
            QueryPerformanceCounter(&end_);
        });
    }
    LARGE_INTEGER end() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        return end_;
    }
    ~JobEnd() { end(); }

  private:
    std::atomic<bool> stop_{false};
    LARGE_INTEGER end_ = {};
    std::thread thread_;
};

// Makes `count` files of 12 bytes, "f0.txt" .., in `folder`.
void SmallFiles(const std::string& folder, int count) {
    CreateDirectoryA(folder.c_str(), nullptr);
    for (int i = 0; i < count; i++) {
        std::string file = folder + "\\f" + std::to_string(i) + ".txt";
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (h != INVALID_HANDLE_VALUE) {
            WriteFile(h, "small file\r\n", 12, &written, nullptr);
            CloseHandle(h);
        }
    }
}

// Removes the copies "f0.txt" .. from a folder that holds other files too.
void RemoveCopies(const std::string& folder, int count) {
    for (int i = 0; i < count; i++)
        DeleteFileA((folder + "\\f" + std::to_string(i) + ".txt").c_str());
}

// Paste in the window of `count` small files (or, with `crowd`, into a folder that holds that
// many entries already) and of one 2 GB file (`count` -1), in rounds beside the floor: the
// floor, Paste, the floor. Paste is timed to the job's end and to the list showing the copies.
void PasteBench(int count, int crowd, int rounds, const std::string& tag, double goal) {
    std::string root = bench::TempFolder() + "\\fileops-bench";
    bench::Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    std::string source = root + "\\from", crowded = root + "\\crowd";
    const char* what = "";
    std::string label;
    if (count < 0) {
        CreateDirectoryA(source.c_str(), nullptr);
        HANDLE h = CreateFileA((source + "\\big.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER size;
        size.QuadPart = 2LL << 30;
        bool made = h != INVALID_HANDLE_VALUE && SetFilePointerEx(h, size, nullptr, FILE_BEGIN) &&
                    SetEndOfFile(h);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        if (!made) {
            printf("paste 2 GB: the source could not be made\n");
            return;
        }
        label = "one 2 GB file";
    } else {
        SmallFiles(source, count);
        label = std::to_string(count) + " files of 12 bytes";
        if (crowd > 0) {
            CreateDirectoryA(crowded.c_str(), nullptr);
            // Made on the Linux side: a file costs microseconds there.
            bench::RunLinuxAndWait("cd '" + bench::UnixPath(crowded) + "' && seq 1 " +
                                   std::to_string(crowd) + " | sed 's/^/e/' | xargs touch");
            label += " into a folder of " + std::to_string(crowd) + " entries";
        }
    }
    what = label.c_str();
    int expected = count < 0 ? 1 : count + (crowd > 0 ? bench::BareWalk(crowded) : 0);
    printf("paste %s (%s)\n", what, Load().c_str());
    fflush(stdout);

    ShowFolder(source);
    // Every row of the source is read before all are selected and copied: a loaded machine
    // left the read of 10,000 rows unfinished, and the copy took the rows read so far.
    PumpUntil([&] {
        return (int)ViewCount(panel.view) == (count < 0 ? 1 : count) &&
               _stricmp(panel.folder.c_str(), source.c_str()) == 0 && !ReadRunning();
    });
    mlvw.SetAllRows(LVIS_SELECTED, LVIS_SELECTED);
    SendMessageA(mwin.hwnd, WM_COMMAND, CMD_COPY, 0);
    PumpUntil([] { return true; });

    auto floor = [&](int round, const char* tag) {
        std::string to = crowd > 0 ? crowded : root + "\\floor-" + tag + std::to_string(round);
        CreateDirectoryA(to.c_str(), nullptr);
        // What the copy before wrote goes to the disk first, so that no copy pays for
        // another's writes.
        bench::RunLinuxAndWait("sync");
        double seconds = FloorInOwnProcess(source, to, count);
        if (crowd > 0)
            RemoveCopies(to, count);
        else
            bench::Remove(to);
        return seconds;
    };
    std::vector<double> floors, jobs, lists, ratios, longest, during, after_job;
    for (int round = 0; round < rounds; round++) {
        double before = floor(round, "a");
        std::string to = crowd > 0 ? crowded : root + "\\paste" + std::to_string(round);
        CreateDirectoryA(to.c_str(), nullptr);
        Navigate(to.c_str());
        int already = crowd > 0 ? expected - count : 0;
        PumpUntil([&] {
            return (int)ViewCount(panel.view) == already &&
                   _stricmp(panel.folder.c_str(), to.c_str()) == 0 && !ReadRunning();
        });
        bench::RunLinuxAndWait("sync");
        LARGE_INTEGER a, b;
        Pinger pinger(mwin.hwnd);
        JobEnd job;
        QueryPerformanceCounter(&a);
        PostMessageA(mwin.hwnd, WM_COMMAND, CMD_PASTE, 0);
        PumpUntil([&] {
            return (int)ViewCount(panel.view) == expected &&
                   _stricmp(panel.folder.c_str(), to.c_str()) == 0;
        });
        QueryPerformanceCounter(&b);
        LARGE_INTEGER end = job.end();
        pinger.stop();
        double paste = bench::Seconds(a, b), to_end = bench::Seconds(a, end);
        if (crowd > 0)
            RemoveCopies(to, count);
        else
            bench::Remove(to);
        double after = floor(round, "b");
        if (before < 0 || after < 0) {
            printf("  the floor's CopyFileA failed\n");
            break;
        }
        double bare = (before + after) / 2;
        floors.push_back(bare);
        jobs.push_back(to_end);
        lists.push_back(paste);
        ratios.push_back(to_end / bare);
        longest.push_back(pinger.longest());
        during.push_back(pinger.longest_before(end));
        after_job.push_back(pinger.longest_after(end));
        printf("  round %d: CopyFileA loop %.3f s; Paste to the job's end %.3f s (%.2fx), to the "
               "list of copies %.3f s (%.2fx); longest answer to %d pings %.1f ms, sent at "
               "%.3f s (during the job %.1f ms, in the read after it %.1f ms) (%s)\n",
               round + 1, bare, to_end, to_end / bare, paste, paste / bare, pinger.pings(),
               pinger.longest() * 1000, bench::Seconds(a, pinger.longest_at()),
               during.back() * 1000, after_job.back() * 1000, Load().c_str());
        fflush(stdout);
    }
    if (!floors.empty()) {
        std::vector<double> list_ratios;
        for (size_t i = 0; i < floors.size(); i++)
            list_ratios.push_back(lists[i] / floors[i]);
        printf("  median (min-max) of %zu rounds: CopyFileA loop %s s, Paste to the job's end %s s "
               "= %sx, to the list %sx; longest answer to a ping %s ms\n",
               floors.size(), Spread(floors, 1, "%.3f").c_str(), Spread(jobs, 1, "%.3f").c_str(),
               Spread(ratios, 1, "%.2f").c_str(), Spread(list_ratios, 1, "%.2f").c_str(),
               Spread(longest, 1000, "%.1f").c_str());
        printf("  longest answer to a ping during the job %s ms, in the read after it %s ms\n",
               Spread(during, 1000, "%.1f").c_str(), Spread(after_job, 1000, "%.1f").c_str());
        // One line per case for scripts/bench.sh: the ratio to the floor, and the window's
        // longest answer to a ping during the job in milliseconds.
        char bound[16];
        snprintf(bound, sizeof bound, "<=%.2g", goal);
        bench::Ratios ratio_line(tag, bound), ping_line("ms to a ping during " + tag, "<=100");
        for (size_t i = 0; i < ratios.size(); i++) {
            ratio_line.Add(ratios[i]);
            ping_line.Add(during[i] * 1000);
        }
        ratio_line.Print();
        ping_line.Print();
    }
    ShowFolder(bench::TempFolder());
    bench::Remove(root);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 6 && !strcmp(argv[1], "--floor"))
        return FloorMain(argv[2], argv[3], atoi(argv[4]), argv[5]);
    // "gather": the gatherings alone; "paste N": Paste of N small files (N = -1: one 2 GB
    // file); "crowd N M": N small files into a folder of M entries; "rounds R" first sets the
    // rounds (5; 3 with --quick). Without arguments: everything at the sizes of the issue.
    // --load keeps every core busy beside both the floors and the program.
    bench::Options options = bench::ParseOptions(argc, argv);
    bench::BusyLoad busy(options.load);
    const std::string load_case = busy.running() ? " busy" : "";
    std::vector<std::string>& rest = options.rest;
    int rounds = options.quick ? 3 : 5;
    size_t at = 0;
    if (rest.size() > 1 && rest[0] == "rounds") {
        rounds = atoi(rest[1].c_str());
        at = 2;
    }
    std::string only = rest.size() > at ? rest[at] : "";
    auto arg = [&](size_t i) { return rest.size() > at + i ? atoi(rest[at + i].c_str()) : 0; };
    printf("%s%s\n", Load().c_str(), busy.running() ? ", a busy loop on every core" : "");
    if (only == "gather" || only.empty()) {
        GatherBench(100000, 1, 0);
        GatherBench(200000, 0, 0);
        GatherBench(200000, 2, 0);
    }
    if (only == "paste" && rest.size() > at + 1)
        PasteBench(arg(1), 0, rounds,
                   (arg(1) < 0 ? "paste one 2 GB file"
                               : "paste " + std::to_string(arg(1)) + " small files") +
                       load_case,
                   arg(1) < 0 ? 1.1 : 1.3);
    if (only == "crowd" && rest.size() > at + 2)
        PasteBench(arg(1), arg(2), rounds,
                   "paste " + std::to_string(arg(1)) + " files into " + std::to_string(arg(2)) +
                       " entries" + load_case,
                   1.5);
    if (only.empty()) {
        PasteBench(1000, 0, rounds, "paste 1000 small files" + load_case, 1.3);
        PasteBench(10000, 0, rounds, "paste 10000 small files" + load_case, 1.3);
        PasteBench(50, 100000, rounds, "paste 50 files into 100000 entries" + load_case, 1.5);
        PasteBench(-1, 0, rounds, "paste one 2 GB file" + load_case, 1.1);
    }
    if (mwin.hwnd) DestroyWindow(mwin.hwnd);
    PumpUntil([] { return true; });
    return 0;
}
