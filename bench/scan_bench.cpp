// Times FolderSize over a generated tree of 1,000 folders with 50 files each, beside the
// plain walk it replaces (FindFirstFileA and a std::string path per level), which is timed in
// a process of its own (this program started as `scan_bench.exe walk ROOT OUT`) between the
// rounds of the program's own walk.
//   scan_bench.exe [--quick] [--load]   (--quick: three rounds, else five; --load: busy cores)
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scan/scan.h"
#include "bench/bench_util.h"

namespace {

using bench::Remove;
using bench::Seconds;

long long PlainWalk(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    long long total = 0;
    do {
        if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
        if ((fd.dwFileAttributes & 0x410) == 0x10)
            total += PlainWalk(path + "\\" + fd.cFileName);
        else
            total += ((long long)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && !strcmp(argv[1], "walk")) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        PlainWalk(argv[2]);
        QueryPerformanceCounter(&b);
        if (FILE* f = fopen(argv[3], "w")) {
            fprintf(f, "%.6f\n", Seconds(a, b));
            fclose(f);
        }
        return 0;
    }
    bench::Options options = bench::ParseOptions(argc, argv);
    bench::BusyLoad busy(options.load);
    const char* temp = getenv("TEMP");
    std::string root = std::string(temp ? temp : "C:\\") + "\\scan-bench";
    Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    long long expected = 0;
    for (int d = 0; d < 1000; d++) {
        // Ten top folders of a hundred subfolders each.
        std::string top = root + "\\t" + std::to_string(d / 100);
        CreateDirectoryA(top.c_str(), nullptr);
        std::string folder = top + "\\f" + std::to_string(d);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (int f = 0; f < 50; f++) {
            std::string file = folder + "\\file" + std::to_string(f) + ".dat";
            HANDLE h =
                CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) continue;
            DWORD written = 0;
            WriteFile(h, "0123456789", (DWORD)(f % 10 + 1), &written, nullptr);
            expected += written;
            CloseHandle(h);
        }
    }

    bench::Ratios ratios(
        std::string("size of 1000 folders") + (busy.running() ? " busy" : "") + " / walk", "-");
    std::string out = bench::TempFolder() + "\\scan-bench-walk.txt";
    std::string walk_args = "walk \"" + root + "\" \"" + out + "\"";
    PlainWalk(root);  // the file system's caches warm for both
    for (int round = 0; round < (options.quick ? 3 : 5); round++) {
        double before = bench::SecondsInOwnProcess(walk_args, out);
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        long long fast = FolderSize(root.c_str());
        QueryPerformanceCounter(&b);
        double after = bench::SecondsInOwnProcess(walk_args, out);
        double walk = (before + after) / 2;
        printf("FolderSize %.3f s (%lld bytes, expected %lld), plain walk in its own process "
               "%.3f s (%.3f, %.3f)\n",
               Seconds(a, b), fast, expected, walk, before, after);
        if (before > 0 && after > 0) ratios.Add(Seconds(a, b) / walk);
    }
    ratios.Print();
    Remove(root);
    return 0;
}
