// Times the find as the user starts it in the real window, from the find command to its
// results shown, beside its floor timed in a process of its own: with a text that no file
// holds (every file read to its end) beside a single-thread listing of the tree with every
// file opened, read and closed; by name alone beside the bare listing of the tree. Rounds
// are interleaved (floor, search, floor, search, ...) and each search is compared with the
// mean of the floors on either side of it. Also: the longest the window took to answer
// meanwhile, and how fast each way of stopping a search ends it.
//   tests/harness/wine-run build/testenv build/bin/find_bench.exe [--quick] [--load]
//       [--rounds N] [--probe N]
// --load keeps every core busy (bench::BusyLoad) beside both the floors and the searches;
// --quick runs 3 rounds instead of 7. Each case ends in one line
//   ratio|<case>|<median>|<min>|<max>|<goal>|<load>
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <process.h>

#include "app/app.h"
#include "browse/navigate.h"
#include "controls/ui.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "scan/find.h"
#include "bench/bench_util.h"

using bench::Remove;
using bench::Seconds;

namespace {

LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

struct Spread {
    double median, least, most;
};

Spread SpreadOf(std::vector<double> v) {
    if (v.empty()) return {-1, -1, -1};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

// Runs the window's loop until `done` holds, then the messages still waiting (the paint).
void PumpUntil(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            LoopStep(msg);
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        LoopStep(msg);
}

// Another thread asks the window a question every 20 ms while it searches; the longest wait
// for an answer is what the user would feel.
struct Asker {
    HANDLE thread = nullptr;
    volatile bool stop = false;
    double longest = 0;
    static unsigned __stdcall Run(void* arg) {
        Asker* a = (Asker*)arg;
        while (!a->stop) {
            LARGE_INTEGER t0 = Now();
            DWORD_PTR result = 0;
            SendMessageTimeoutA(mwin.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
            double waited = Seconds(t0, Now()) * 1000;
            if (waited > a->longest) a->longest = waited;
            Sleep(20);
        }
        return 0;
    }
    void Start() { thread = (HANDLE)_beginthreadex(nullptr, 0, Run, this, 0, nullptr); }
    double Finish() {
        stop = true;
        // A question sent just before the stop is answered while this thread, the window's,
        // waits: otherwise it would wait out its timeout and show as the longest answer.
        MSG msg;
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) ==
               WAIT_OBJECT_0 + 1)
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        CloseHandle(thread);
        return longest;
    }
};

// The floor: the tree listed by FindFirstFileA/FindNextFileA on one thread, and with `read`
// each file opened, read to its end in 64 KiB blocks and closed, as any content search must.
void BareTree(const std::string& folder, bool read, std::vector<char>& block) {
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
        std::string path = folder + "\\" + fd.cFileName;
        if ((fd.dwFileAttributes & 0x410) == 0x10) {
            BareTree(path, read, block);
            continue;
        }
        if (!read) continue;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        DWORD got = 0;
        while (ReadFile(h, block.data(), (DWORD)block.size(), &got, nullptr) &&
               got == block.size()) {
        }
        CloseHandle(h);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
}

// The floor in a process of its own (this program started with "--floor").
double FloorInOwnProcess(const std::string& root, bool read) {
    std::string out = bench::TempFolder() + "\\find-bench-floor.txt";
    return bench::SecondsInOwnProcess(std::string("--floor ") + (read ? "read" : "list") + " \"" +
                                          root + "\" \"" + out + "\"",
                                      out);
}

int FloorMain(const char* kind, const char* root, const char* out) {
    std::vector<char> block(65536);
    LARGE_INTEGER t0 = Now();
    BareTree(root, !strcmp(kind, "read"), block);
    double s = Seconds(t0, Now());
    if (FILE* f = fopen(out, "w")) {
        fprintf(f, "%.6f\n", s);
        fclose(f);
    }
    return 0;
}

struct Case {
    const char* name;
    const char* input;  // the search box's text
    bool read;          // the floor reads every file
    double goal;
};

// Rounds of one case: floor, search, floor, search, ..., floor. Prints each round, a summary
// and the case's ratio line; with `answer` also the line of the window's longest answer
// beside 100 ms.
void RunCase(const std::string& root, const Case& c, int rounds, bool answer) {
    mcby.SetText(c.input);
    std::vector<double> ratios, answers, loads, floors, searches;
    double floor_before = FloorInOwnProcess(root, c.read);
    size_t results = 0;
    for (int round = 0; round < rounds; round++) {
        panel.folder = root;
        Asker asker;
        asker.Start();
        LARGE_INTEGER t0 = Now();
        SendMessageA(mwin.hwnd, WM_COMMAND, MAKEWPARAM(202, 0), 0);
        PumpUntil([] { return !FindRunning(); });
        double search = Seconds(t0, Now());
        double longest = asker.Finish();
        results = panel.entries.size();
        double floor_after = FloorInOwnProcess(root, c.read);
        double floor = (floor_before + floor_after) / 2;
        floor_before = floor_after;
        double load = bench::Load();
        ratios.push_back(search / floor);
        answers.push_back(longest / 100);
        loads.push_back(load);
        floors.push_back(floor);
        searches.push_back(search);
        printf("%s round %d: search %.3f s, floor %.3f s, %.2fx; longest answer %.1f ms; load "
               "%.2f\n",
               c.name, round + 1, search, floor, search / floor, longest, load);
    }
    Spread r = SpreadOf(ratios), a = SpreadOf(answers), l = SpreadOf(loads), f = SpreadOf(floors),
           s = SpreadOf(searches);
    printf("%s: %zu results; search %.3f s (%.3f-%.3f), floor %.3f s (%.3f-%.3f), ratio %.2f "
           "(%.2f-%.2f), goal %.2f; load %.2f (%.2f-%.2f)\n",
           c.name, results, s.median, s.least, s.most, f.median, f.least, f.most, r.median, r.least,
           r.most, c.goal, l.median, l.least, l.most);
    printf("ratio|%s|%.3f|%.3f|%.3f|<=%.2f|%.2f\n", c.name, r.median, r.least, r.most, c.goal,
           l.median);
    if (answer)
        printf("ratio|%s-answer-per-100ms|%.3f|%.3f|%.3f|<=1.00|%.2f\n", c.name, a.median, a.least,
               a.most, l.median);
}

// How fast each way of stopping a running search ends it.
void Stops(const std::string& root) {
    mcby.SetText("{absent}");
    for (int way = 0; way < 2; way++) {
        panel.folder = root.c_str();
        SendMessageA(mwin.hwnd, WM_COMMAND, MAKEWPARAM(202, 0), 0);
        PumpUntil([] {
            long long found = 0;
            return !FindProgress(&found).empty();
        });
        LARGE_INTEGER t0 = Now();
        if (way == 0)
            SendMessageA(mwin.hwnd, WM_COMMAND, MAKEWPARAM(202, 0), 0);  // the button again
        else
            StopListJobs();  // what every navigation does first
        double stop = Seconds(t0, Now()) * 1000;
        if (way == 1) ReadPath(root.c_str());
        printf("a search stopped by %s in %.1f ms\n",
               way == 0 ? "the find button (its results shown)" : "navigation", stop);
    }
}

// With --probe N: N rounds of in-process figures, interleaved: the search by name beside the
// bare listing, and the content search with 0 to 3 reader threads beside the bare reading.
void Probe(const std::string& root, int rounds) {
    std::vector<char> block(65536);
    auto time = [](const std::function<void()>& run) {
        LARGE_INTEGER t0 = Now();
        run();
        return Seconds(t0, Now());
    };
    for (int round = 0; round < rounds; round++) {
        double list = time([&] { BareTree(root, false, block); });
        double names = time([&] {
            EntryList l;
            SearchFolder(l, root.c_str(), "file5", nullptr, 0);
        });
        double read = time([&] { BareTree(root, true, block); });
        double r[4];
        for (unsigned n = 0; n < 4; n++)
            r[n] = time([&] {
                EntryList l;
                SearchControl control;
                control.readers = n;
                SearchFolder(l, root.c_str(), nullptr, "absent", 0, &control);
            });
        printf("probe: list %.3f names %.3f (%.2fx) | read %.3f, readers 0 %.3f (%.2fx) 1 %.3f "
               "(%.2fx) 2 %.3f (%.2fx) 3 %.3f (%.2fx); load %.2f\n",
               list, names, names / list, read, r[0], r[0] / read, r[1], r[1] / read, r[2],
               r[2] / read, r[3], r[3] / read, bench::Load());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && !strcmp(argv[1], "--floor")) return FloorMain(argv[2], argv[3], argv[4]);
    bench::Options options = bench::ParseOptions(argc, argv);
    int rounds = options.quick ? 3 : 7;
    int probe = 0;
    const std::vector<std::string>& rest = options.rest;
    for (size_t i = 0; i < rest.size(); i++) {
        if (rest[i] == "--rounds" && i + 1 < rest.size())
            rounds = std::max(1, atoi(rest[++i].c_str()));
        else if (rest[i] == "--probe" && i + 1 < rest.size())
            probe = std::max(1, atoi(rest[++i].c_str()));
    }

    std::string root = bench::TempFolder() + "\\find-bench";
    Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    std::string line(70, 'x');
    line += "\r\n";
    std::string content;
    while (content.size() < 16384)
        content += line;
    for (int d = 0; d < 100; d++) {
        std::string folder = root + "\\folder" + std::to_string(d);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int f = 0; f < 100; f++) {
            std::string path = folder + "\\file" + std::to_string(f) + ".txt";
            FILE* out = fopen(path.c_str(), "wb");
            fwrite(content.data(), 1, content.size(), out);
            fclose(out);
        }
    }
    printf("10000 files of %zu bytes in 100 folders; %d rounds%s\n", content.size(), rounds,
           options.load ? "; a busy loop on every core" : "");

    if (probe) {
        Probe(root, probe);
        Remove(root);
        return 0;
    }
    bench::BusyLoad busy(options.load);
    if (options.load && !busy.running()) printf("the busy loops could not be started\n");
    AppStart(GetModuleHandleA(nullptr), root.c_str(), SW_SHOW);
    if (mwin.hwnd) {
        PumpUntil([] { return true; });
        RunCase(root, {"find-content", "{absent}", true, 1.0}, rounds, true);
        RunCase(root, {"find-names", "file5", false, 1.05}, rounds, false);
        // The same walk with no result to show: what the search costs apart from the list.
        RunCase(root, {"find-names-none", "no such name", false, 1.05}, rounds, false);
        Stops(root);
        DestroyWindow(mwin.hwnd);
    }
    Remove(root);
    return 0;
}
