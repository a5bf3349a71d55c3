// Times how long a stop request takes to end the size walk of a folder of 200,000 files,
// beside the time the whole walk of that folder takes (what a stop had to wait for when
// the scan checked for it only between two folders of the view).
//   scanstop_bench.exe [--quick] [--load]   (--quick: two rounds, else three; --load: busy cores)
#include <windows.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "bench/bench_util.h"
#include "scan/scan.h"

int main(int argc, char** argv) {
    bench::Options options = bench::ParseOptions(argc, argv);
    bench::BusyLoad busy(options.load);
    bench::Ratios ratios(
        std::string("size walk stop") + (busy.running() ? " busy" : "") + " / whole walk", "-");
    const char* temp = getenv("TEMP");
    std::string root = std::string(temp ? temp : "C:\\") + "\\scanstop-bench";
    bench::Remove(root);
    CreateDirectoryA(root.c_str(), nullptr);
    // Under Wine every create of a new name reads the whole folder (for a name that differs
    // only in case), so 200,000 creates would take very long: the Linux side makes them.
    typedef char*(CDECL * ToUnix)(const WCHAR*);
    ToUnix to_unix =
        (ToUnix)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, root.c_str(), -1, wide, MAX_PATH);
    if (char* unix_root = to_unix ? to_unix(wide) : nullptr) {
        std::string command =
            "/bin/sh -c \"cd '" + std::string(unix_root) + "' && seq 1 200000 | xargs touch\"";
        HeapFree(GetProcessHeap(), 0, unix_root);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        // The Linux process's handle may signal before it is done: wait for the count.
        for (int tries = 0; tries < 600; tries++) {
            WIN32_FIND_DATAA fd;
            int n = 0;
            HANDLE h = FindFirstFileA((root + "\\*").c_str(), &fd);
            if (h != INVALID_HANDLE_VALUE) {
                while (FindNextFileA(h, &fd))
                    n++;
                FindClose(h);
            }
            if (n >= 200001) break;
            Sleep(500);
        }
    }
    for (int i = 0; to_unix == nullptr && i < 200000; i++) {
        std::string file = root + "\\f" + std::to_string(i);
        HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    for (int round = 0; round < (options.quick ? 2 : 3); round++) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        long long whole = FolderSize(root.c_str());
        QueryPerformanceCounter(&b);
        double walk = bench::Seconds(a, b);

        std::atomic<int> go{1};
        long long total = 0;
        bool finished = false;
        std::thread walker([&] { finished = FolderSizeWhile(root.c_str(), go, &total); });
        // Let the walk get going before the stop, as a user's click would.
        Sleep((DWORD)(walk * 1000 / 3));
        LARGE_INTEGER c, d;
        QueryPerformanceCounter(&c);
        go = 0;
        walker.join();
        QueryPerformanceCounter(&d);
        printf("whole walk of 200,000 files %.3f s (%lld bytes); stop took %.4f s (%s)\n", walk,
               whole, bench::Seconds(c, d), finished ? "walk had finished" : "walk cut short");
        ratios.Add(bench::Seconds(c, d) / walk);
    }
    ratios.Print();
    bench::Remove(root);
    return 0;
}
