// Times the recursive find over a generated tree: names only, and a text that no file
// holds (every file read to its end), beside a plain fgets reading of the same files.
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

// Runs the window's loop until `done` holds.
void PumpUntil(const std::function<bool()>& done) {
    MSG msg;
    while (!done()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            LoopStep(msg);
    }
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
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        return longest;
    }
};

// The floor of a content search: each folder listed, each file opened, read once and closed.
void BareContentWalk(const std::string& root, std::vector<char>& block) {
    for (int d = 0; d < 100; d++) {
        std::string folder = root + "\\folder" + std::to_string(d);
        WIN32_FIND_DATAA fd;
        HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &fd);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            std::string path = folder + "\\" + fd.cFileName;
            HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            DWORD got = 0;
            ReadFile(h, block.data(), (DWORD)block.size(), &got, nullptr);
            CloseHandle(h);
        } while (FindNextFileA(find, &fd));
        FindClose(find);
    }
}

// The content search as the user starts it in the real window: the time from the find
// command to its results shown (the job's end handled by the window), how long the window
// waits for an answer meanwhile, and how fast each way of stopping it ends it.
void InWindow(const std::string& root) {
    AppStart(GetModuleHandleA(nullptr), root.c_str(), SW_SHOW);
    if (!mwin.hwnd) return;
    PumpUntil([] { return true; });
    mcby.SetText("{absent}");
    // The machine's other load moves a run by a fifth or more, so each round times the
    // search between two bare walks and compares it with their mean: the median of the
    // rounds' ratios is the throughput the user gets beside the floor. The first round also
    // asks the window questions meanwhile (its answers' waits); those questions cost the
    // search time of their own, so that round stays out of the median.
    std::vector<char> block(65536);
    std::vector<double> window_share, process_share;
    for (int round = 0; round < 6; round++) {
        LARGE_INTEGER t0 = Now();
        BareContentWalk(root, block);
        double before = Seconds(t0, Now());
        panel.folder = root.c_str();
        Asker asker;
        if (round == 0) asker.Start();
        t0 = Now();
        SendMessageA(mwin.hwnd, WM_COMMAND, MAKEWPARAM(202, 0), 0);
        double held = Seconds(t0, Now()) * 1000;
        PumpUntil([] { return !FindRunning(); });
        double whole = Seconds(t0, Now());
        double longest = round == 0 ? asker.Finish() : 0;
        t0 = Now();
        {
            EntryList found;
            SearchFolder(found, root.c_str(), nullptr, "absent", 0);
        }
        double in_process = Seconds(t0, Now());
        t0 = Now();
        BareContentWalk(root, block);
        double floor = (before + Seconds(t0, Now())) / 2;
        if (round > 0) {
            window_share.push_back(floor / whole);
            process_share.push_back(floor / in_process);
        }
        printf("window: content search to its results %.3f s, %.0f%% of the bare walk's "
               "throughput (%.3f s); in-process %.3f s, %.0f%% (the command held the window "
               "%.1f ms",
               whole, 100 * floor / whole, floor, in_process, 100 * floor / in_process, held);
        if (round == 0)
            printf("; longest answer meanwhile %.1f ms, out of the median)\n", longest);
        else
            printf(")\n");
    }
    std::sort(window_share.begin(), window_share.end());
    std::sort(process_share.begin(), process_share.end());
    printf("median throughput beside the bare walk: in the window %.0f%%, in-process %.0f%%\n",
           100 * window_share[2], 100 * process_share[2]);
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
        printf("window: a search stopped by %s in %.1f ms%s\n",
               way == 0 ? "the find button (its results shown)" : "navigation", stop,
               way == 1 ? " (then the folder is read)" : "");
    }
    DestroyWindow(mwin.hwnd);
}

}  // namespace

int main() {
    const char* temp = getenv("TEMP");
    std::string root = std::string(temp ? temp : "C:\\") + "\\find-bench";
    Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    std::string line(70, 'x');
    line += "\r\n";
    std::string content;
    while (content.size() < 16384)
        content += line;
    std::vector<std::string> files;
    for (int d = 0; d < 100; d++) {
        std::string folder = root + "\\folder" + std::to_string(d);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int f = 0; f < 100; f++) {
            std::string path = folder + "\\file" + std::to_string(f) + ".txt";
            FILE* out = fopen(path.c_str(), "wb");
            fwrite(content.data(), 1, content.size(), out);
            fclose(out);
            files.push_back(path);
        }
    }
    printf("%zu files of %zu bytes in 100 folders\n", files.size(), content.size());

    // Each figure is the best of three runs: the machine's other load only adds to a run.
    auto best = [](const std::function<void()>& run) {
        double least = 1e9;
        for (int i = 0; i < 3; i++) {
            LARGE_INTEGER t0, t1;
            QueryPerformanceCounter(&t0);
            run();
            QueryPerformanceCounter(&t1);
            least = std::min(least, Seconds(t0, t1));
        }
        return least;
    };
    EntryList list;
    double s = best([&] {
        list.clear();
        SearchFolder(list, root.c_str(), "file5", nullptr, 0);
    });
    printf("names only:        %7.3f s, %zu results\n", s, list.size());
    s = best([&] {
        list.clear();
        SearchFolder(list, root.c_str(), nullptr, "absent", 0);
    });
    printf("text, read all:    %7.3f s, %zu results\n", s, list.size());
    size_t hits = 0;
    s = best([&] {
        for (const std::string& path : files) {
            FILE* in = fopen(path.c_str(), "rt");
            char piece[MAX_PATH];
            while (in && fgets(piece, sizeof piece, in))
                if (strstr(piece, "absent")) hits++;
            if (in) fclose(in);
        }
    });
    printf("fgets reference:   %7.3f s, %zu hits\n", s, hits);
    // The floor: opening and closing each file, and one read of it.
    std::vector<char> block(65536);
    s = best([&] {
        for (const std::string& path : files) {
            HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
            DWORD got = 0;
            ReadFile(h, block.data(), (DWORD)block.size(), &got, nullptr);
            CloseHandle(h);
        }
    });
    printf("open, read, close: %7.3f s\n", s);
    // The same with the folders listed, as any search must.
    s = best([&] { BareContentWalk(root, block); });
    printf("list, open, read, close: %7.3f s\n", s);

    // One large file: the cost of the scan itself beside a plain read.
    std::string big = root + "\\big.txt";
    FILE* out = fopen(big.c_str(), "wb");
    for (int i = 0; i < 4096; i++)
        fwrite(content.data(), 1, content.size(), out);
    fclose(out);
    bool found = false;
    s = best([&] { found = FileContains(big.c_str(), "absent"); });
    printf("64 MiB file, scan: %7.3f s, found %d\n", s, (int)found);
    s = best([&] {
        HANDLE h = CreateFileA(big.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        DWORD got = 0;
        while (ReadFile(h, block.data(), (DWORD)block.size(), &got, nullptr) && got > 0) {
        }
        CloseHandle(h);
    });
    printf("64 MiB file, read: %7.3f s\n", s);
    DeleteFileA(big.c_str());
    InWindow(root);
    Remove(root);
    return 0;
}
