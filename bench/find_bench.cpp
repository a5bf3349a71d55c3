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

#include "scan/find.h"
#include "bench/bench_util.h"

using bench::Remove;
using bench::Seconds;

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
    Remove(root);
    return 0;
}
