// Times what the user waits for when opening a folder of 100,000, 300,000 and 1,000,000
// entries by Enter in the path box of the real window: from the key to its log line and to the
// list shown and painted, beside the bare walk of the folder (in a process of its own, and in
// this one) and the program's own read; and the longest the window takes meanwhile to answer
// a ping from another thread, beside the memory the entries hold.
//   tests/harness/wine-run build/benchenv build/bin/read_bench.exe [--quick] [--load] [entries ...]
// --quick reads 100,000 and 300,000 entries in three rounds each; --load keeps every core
// busy with a loop of another process beside both the walks and the program.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/app.h"
#include "bench/bench_util.h"
#include "browse/entries.h"
#include "browse/navigate.h"
#include "controls/ui.h"
#include "core/mcfg.h"
#include "core/panel.h"

namespace {


LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

// Makes the files from the Linux side, where a new name costs microseconds, not a listing.
bool MakeFolder(const std::string& unix_folder, int entries) {
    return bench::RunLinuxAndWait("mkdir -p '" + unix_folder + "' && cd '" + unix_folder +
                                  "' && seq -f 'file%07g.dat' 1 " + std::to_string(entries) +
                                  " | xargs touch");
}

// Runs the program's loop until `done` holds, asking after every message; the time it first
// held goes to *at when given. Then runs the messages still waiting.
void PumpUntil(const std::function<bool()>& done, LARGE_INTEGER* at = nullptr) {
    MSG msg;
    bool held = done();
    while (!held) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (!held && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            LoopStep(msg);
            held = done();
        }
    }
    if (at) *at = Now();
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        LoopStep(msg);
}


// The bare walk of the folder in a process of its own (this program started with "--walk"),
// where nothing of the window's is loaded: its seconds, -1 when it could not be run.
double WalkInOwnProcess(const std::string& folder) {
    std::string out = bench::TempFolder() + "\\read-bench-walk.txt";
    return bench::SecondsInOwnProcess("--walk \"" + folder + "\" \"" + out + "\"", out);
}

// Pings the window from a thread of its own while it lives and keeps the longest answer.
class Pinger {
  public:
    Pinger() : thread_(CreateThread(nullptr, 0, Run, this, 0, nullptr)) {}
    ~Pinger() {
        stop_ = true;
        if (thread_) {
            WaitForSingleObject(thread_, 10000);
            CloseHandle(thread_);
        }
    }
    double longest() const { return longest_ms_; }

  private:
    static DWORD WINAPI Run(LPVOID arg) {
        Pinger* p = (Pinger*)arg;
        while (!p->stop_) {
            LARGE_INTEGER a = Now();
            DWORD_PTR answer = 0;
            SendMessageTimeoutA(mwin.hwnd, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &answer);
            double ms = bench::Seconds(a, Now()) * 1000;
            if (ms > p->longest_ms_) p->longest_ms_ = ms;
            Sleep(10);
        }
        return 0;
    }
    volatile bool stop_ = false;
    volatile double longest_ms_ = 0;
    HANDLE thread_;
};

double Median(const std::vector<double>& v) { return bench::MedianOf(v); }

void Summary(const char* what, const std::vector<double>& v, const char* unit) {
    if (v.empty()) return;
    printf("  %s: median %.3f%s (%.3f-%.3f)\n", what, Median(v), unit,
           *std::min_element(v.begin(), v.end()), *std::max_element(v.begin(), v.end()));
}

// One folder size: each round times the Enter between two bare walks in a process of their
// own, since the machine's other load moves a run by as much as a third.
void RunSize(const std::string& parent, int entries, int rounds, bool busy) {
    std::string folder = parent + "\\big-" + std::to_string(entries);
    if (bench::BareWalk(folder) != entries) MakeFolder(bench::UnixPath(folder), entries);
    printf("folder %s: %d entries\n", folder.c_str(), bench::BareWalk(folder));
    HWND edit = GetWindow(mcbx.hwnd, GW_CHILD);
    std::vector<double> own_walks, log_ratios, window_ratios, in_walk_ratios, pings, bytes;
    std::string name = "open " + std::to_string(entries) + (busy ? " busy" : "");
    bench::Ratios opened(name + " / walk", "<=1.05"), answered(name + " answer / 100 ms", "<=1.0");
    for (int round = 0; round < rounds; round++) {
        ReadPath(parent.c_str());
        PumpUntil([] { return !ReadRunning(); });
        double before = WalkInOwnProcess(folder);
        LARGE_INTEGER a = Now();
        bench::BareWalk(folder);
        double in_walk = bench::Seconds(a, Now());
        size_t held = bench::CommittedPrivateBytes();
        mcbx.SetText(folder.c_str());
        double to_log = 0, window = 0, ping = 0;
        {
            Pinger pinger;
            a = Now();
            PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
            PostMessageA(edit, WM_KEYUP, VK_RETURN, (LPARAM)0xC0000001);
            LARGE_INTEGER logged;
            PumpUntil([&] { return !ReadRunning() && ViewCount(panel.view) == (unsigned)entries; },
                      &logged);
            to_log = bench::Seconds(a, logged);
            UpdateWindow(mwin.hwnd);
            UpdateWindow(mlvw.hwnd);
            window = bench::Seconds(a, Now());
            ping = pinger.longest();
        }
        double per_entry = ((double)bench::CommittedPrivateBytes() - (double)held) / entries;
        double after = WalkInOwnProcess(folder);
        double walk = (before + after) / 2;
        printf("  walk in its own process %.3f s (%.3f, %.3f), in this one %.3f s; Enter to its log "
               "line %.3f s (%.2fx), to the painted list %.3f s (%.2fx); longest ping %.0f ms; "
               "%.0f bytes an entry\n",
               walk, before, after, in_walk, to_log, to_log / walk, window, window / walk, ping,
               per_entry);
        own_walks.push_back(walk);
        log_ratios.push_back(to_log / walk);
        window_ratios.push_back(window / walk);
        in_walk_ratios.push_back(to_log / in_walk);
        pings.push_back(ping);
        bytes.push_back(per_entry);
        opened.Add(window / walk);
        answered.Add(ping / 100);
    }
    printf("%d entries, %d rounds:\n", entries, rounds);
    Summary("bare walk in its own process", own_walks, " s");
    Summary("Enter to its log line / that walk", log_ratios, "x");
    Summary("Enter to the painted list / that walk", window_ratios, "x");
    Summary("Enter to its log line / the walk in this process", in_walk_ratios, "x");
    Summary("longest answer to a ping during the read", pings, " ms");
    Summary("committed bytes an entry after the read", bytes, "");
    opened.Print();
    answered.Print();
}

// In a process of its own (this program started with "--memory"): the window is started on
// `parent`, the folder opened by Enter, and the growth of the working set and of the
// committed bytes an entry written to `out`.
int MemoryOfRead(const std::string& parent, const std::string& folder, int entries,
                 const char* out) {
    AppStart(GetModuleHandleA(nullptr), parent.c_str(), SW_SHOW);
    if (!mwin.hwnd) return 1;
    PumpUntil([] { return !ReadRunning(); });
    UpdateWindow(mwin.hwnd);
    size_t set = bench::WorkingSetBytes(), committed = bench::CommittedPrivateBytes();
    mcbx.SetText(folder.c_str());
    HWND edit = GetWindow(mcbx.hwnd, GW_CHILD);
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageA(edit, WM_KEYUP, VK_RETURN, (LPARAM)0xC0000001);
    PumpUntil([&] { return !ReadRunning() && ViewCount(panel.view) == (unsigned)entries; });
    UpdateWindow(mwin.hwnd);
    UpdateWindow(mlvw.hwnd);
    double per_set = ((double)bench::WorkingSetBytes() - (double)set) / entries;
    double per_committed = ((double)bench::CommittedPrivateBytes() - (double)committed) / entries;
    if (FILE* f = fopen(out, "w")) {
        fprintf(f, "%.3f %.3f\n", per_set, per_committed);
        fclose(f);
    }
    DestroyWindow(mwin.hwnd);
    return 0;
}

// The memory of `rounds` opening of the folder, each in a new process of this program.
void MemoryRounds(const std::string& parent, int entries, int rounds, bool busy) {
    std::string folder = parent + "\\big-" + std::to_string(entries);
    if (bench::BareWalk(folder) != entries) MakeFolder(bench::UnixPath(folder), entries);
    std::string name = std::to_string(entries) + (busy ? " busy" : "") + " / 120 B an entry";
    bench::Ratios set("working set after opening " + name, entries == 300000 ? "<=1.0" : "-");
    bench::Ratios committed("committed after opening " + name, "-");
    std::string out = bench::TempFolder() + "\\read-bench-memory.txt";
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    for (int round = 0; round < rounds; round++) {
        DeleteFileA(out.c_str());
        std::string line = "\"" + std::string(exe) + "\" --memory \"" + parent + "\" " +
                           std::to_string(entries) + " \"" + out + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi))
            continue;
        WaitForSingleObject(pi.hProcess, 600000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        double per_set = 0, per_committed = 0;
        FILE* f = fopen(out.c_str(), "r");
        if (!f) continue;
        bool read = fscanf(f, "%lf %lf", &per_set, &per_committed) == 2;
        fclose(f);
        if (!read) continue;
        printf("  opening %d entries in a new process: working set %.1f, committed %.1f bytes an "
               "entry\n",
               entries, per_set, per_committed);
        set.Add(per_set / 120);
        committed.Add(per_committed / 120);
    }
    set.Print();
    committed.Print();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && strcmp(argv[1], "--memory") == 0)
        return MemoryOfRead(argv[2], std::string(argv[2]) + "\\big-" + argv[3], atoi(argv[3]),
                            argv[4]);
    if (argc == 4 && strcmp(argv[1], "--walk") == 0) {
        LARGE_INTEGER a = Now();
        bench::BareWalk(argv[2]);
        double seconds = bench::Seconds(a, Now());
        if (FILE* f = fopen(argv[3], "w")) {
            fprintf(f, "%.6f\n", seconds);
            fclose(f);
        }
        return 0;
    }
    char temp[MAX_PATH];
    GetEnvironmentVariableA("TEMP", temp, sizeof temp);
    std::string parent = std::string(temp) + "\\read-bench";
    CreateDirectoryA(parent.c_str(), nullptr);
    AppStart(GetModuleHandleA(nullptr), parent.c_str(), SW_SHOW);
    if (!mwin.hwnd) return 1;
    PumpUntil([] { return true; });
    bench::Options options = bench::ParseOptions(argc, argv);
    std::vector<int> sizes;
    for (const std::string& size : options.rest)
        sizes.push_back(atoi(size.c_str()));
    if (sizes.empty())
        sizes = options.quick ? std::vector<int>{100000, 300000}
                              : std::vector<int>{100000, 300000, 1000000};
    bench::BusyLoad busy(options.load);
    printf("load %.2f%s\n", bench::Load(),
           busy.running()
               ? (", a busy loop on each of " + std::to_string(busy.cores()) + " cores").c_str()
               : "");
    for (int entries : sizes)
        RunSize(parent, entries, options.quick ? 3 : entries >= 1000000 ? 3 : 5, busy.running());
    MemoryRounds(parent, 300000, 3, busy.running());
    DestroyWindow(mwin.hwnd);
    return 0;
}
