// Small pieces the benchmarks share: the clock and the removal of a generated tree.
#pragma once

#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "core/entry.h"

namespace bench {

// An entry of the given name, held by `names`, for a benchmark's view of its own.
inline FolderEntry NamedEntry(EntryList& names, const char* name) {
    WIN32_FIND_DATAA record = {};
    lstrcpynA(record.cFileName, name, sizeof record.cFileName);
    return names.append(record) ? *names[names.size() - 1] : FolderEntry();
}

inline double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

// The number of entries of a folder by a bare FindFirstFileA/FindNextFileA walk, the floor
// that reading a folder is measured against.
inline int BareWalk(const std::string& folder) {
    WIN32_FIND_DATAA record;
    HANDLE h = FindFirstFileA((folder + "\\*.*").c_str(), &record);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do {
        if (strcmp(record.cFileName, ".") && strcmp(record.cFileName, "..")) n++;
    } while (FindNextFileA(h, &record));
    FindClose(h);
    return n;
}

// The Linux path of a Windows path, from Wine's own mapping; "" elsewhere.
inline std::string UnixPath(const std::string& path) {
    typedef char*(CDECL * ToUnix)(LPCWSTR);
    ToUnix to_unix =
        (ToUnix)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (!to_unix || !MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH)) return "";
    char* unix_path = to_unix(wide);
    if (!unix_path) return "";
    std::string result = unix_path;
    HeapFree(GetProcessHeap(), 0, unix_path);
    return result;
}

// Runs a Linux shell command line and waits for its end, through Wine's own way to start a
// Linux program: files made there cost microseconds each, not a listing of the folder.
inline bool RunLinuxAndWait(const std::string& command) {
    typedef LONG(__cdecl * Spawn)(char* const argv[], int wait);
    Spawn spawn =
        (Spawn)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
    if (!spawn) return false;
    std::string line = command;
    char* argv[] = {(char*)"/bin/sh", (char*)"-c", &line[0], nullptr};
    return spawn(argv, 1) == 0;
}

// Committed private memory of the whole address space: what the process really holds.
inline size_t CommittedPrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = (char*)info.BaseAddress + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if ((char*)info.BaseAddress + info.RegionSize <= at) break;
    }
    return total;
}

// The working set of the process: what a user sees in the task manager (under Wine, the
// resident memory of the Linux process, the platform's own memory included).
inline size_t WorkingSetBytes() {
    PROCESS_MEMORY_COUNTERS counters = {};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

// The folder of TEMP (the prefix's own under Wine), without a trailing backslash.
inline std::string TempFolder() {
    char temp[MAX_PATH] = {};
    const char* env = getenv("TEMP");
    if (env && *env)
        lstrcpynA(temp, env, sizeof temp);
    else
        GetTempPathA(sizeof temp, temp);
    std::string folder = temp;
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder;
}

// Removes a folder and everything below it.
inline void Remove(const std::string& path) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((path + "\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, "..")) continue;
            std::string child = path + "\\" + fd.cFileName;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                Remove(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(path.c_str());
}

// Runs this program again with `arguments` (a floor timed in a process of its own, which
// writes its seconds into the file `out`) and reads the seconds back; -1 when it could not be
// run, did not end within ten minutes, or wrote no figure.
inline double SecondsInOwnProcess(const std::string& arguments, const std::string& out) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    DeleteFileA(out.c_str());
    std::string line = "\"" + std::string(exe) + "\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    bool ended = WaitForSingleObject(pi.hProcess, 600000) == WAIT_OBJECT_0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    double seconds = -1;
    if (!ended) return seconds;
    if (FILE* f = fopen(out.c_str(), "r")) {
        if (fscanf(f, "%lf", &seconds) != 1) seconds = -1;
        fclose(f);
    }
    return seconds;
}

// The machine's load average over the last minute, as the Linux side counts it (its /proc is
// on drive Z: under Wine); -1 where there is none.
inline double Load() {
    double load = -1;
    if (FILE* f = fopen("Z:\\proc\\loadavg", "r")) {
        if (fscanf(f, "%lf", &load) != 1) load = -1;
        fclose(f);
    }
    return load;
}

// What every benchmark is told on its command line: --quick for fewer rounds and smaller
// sizes (the whole table in reasonable time), --load for a busy loop on every core beside
// both the floor and the program. The other arguments stay in `rest`.
struct Options {
    bool quick = false;
    bool load = false;
    std::vector<std::string> rest;
};

inline Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; i++) {
        if (!strcmp(argv[i], "--quick"))
            o.quick = true;
        else if (!strcmp(argv[i], "--load"))
            o.load = true;
        else
            o.rest.push_back(argv[i]);
    }
    return o;
}

// One busy loop on every core, as Linux processes beside this one (and beside every floor it
// starts), for as long as the object lives. Each loop checks now and then for a file that
// this object removes at its end, and gives up by itself after an hour.
class BusyLoad {
  public:
    explicit BusyLoad(bool on) {
        if (!on) return;
        SYSTEM_INFO info = {};
        GetSystemInfo(&info);
        char flag[64];
        snprintf(flag, sizeof flag, "/tmp/trelvista-busy-%lu", GetCurrentProcessId());
        flag_ = flag;
        std::string loop =
            "while [ -e " + flag_ + " ]; do i=0; while [ $i -lt 20000 ]; do i=$((i+1)); done; done";
        std::string line = "touch " + flag_ + " && for c in $(seq 1 " +
                           std::to_string(info.dwNumberOfProcessors) +
                           "); do (timeout 3600 sh -c '" + loop + "' >/dev/null 2>&1 &) ; done";
        typedef LONG(__cdecl * Spawn)(char* const argv[], int wait);
        Spawn spawn =
            (Spawn)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
        if (!spawn) return;
        char* argv[] = {(char*)"/bin/sh", (char*)"-c", &line[0], nullptr};
        running_ = spawn(argv, 1) == 0;
        cores_ = (int)info.dwNumberOfProcessors;
    }
    ~BusyLoad() {
        if (flag_.empty()) return;
        std::string line = "rm -f " + flag_;
        typedef LONG(__cdecl * Spawn)(char* const argv[], int wait);
        Spawn spawn =
            (Spawn)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "__wine_unix_spawnvp");
        if (!spawn) return;
        char* argv[] = {(char*)"/bin/sh", (char*)"-c", &line[0], nullptr};
        spawn(argv, 1);
    }
    BusyLoad(const BusyLoad&) = delete;
    BusyLoad& operator=(const BusyLoad&) = delete;
    bool running() const { return running_; }
    int cores() const { return cores_; }

  private:
    std::string flag_;
    bool running_ = false;
    int cores_ = 0;
};

inline double MedianOf(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Gathers the ratios of one case of a benchmark, round by round (each against the floor
// timed beside it), with the machine's load at each round.
class Ratios {
  public:
    Ratios(std::string name, std::string goal) : name_(std::move(name)), goal_(std::move(goal)) {}
    void Add(double ratio) {
        ratios_.push_back(ratio);
        double load = Load();
        if (load >= 0) loads_.push_back(load);
    }
    // The line scripts/bench.sh gathers from every benchmark into its table:
    //   ratio|<case>|<median ratio>|<min ratio>|<max ratio>|<goal>|<load>
    // the goal as "<=1.05" or "-" where the case has none, the load as the median of the
    // rounds' loads.
    void Print() const {
        if (ratios_.empty()) return;
        printf("ratio|%s|%.3f|%.3f|%.3f|%s|%.2f\n", name_.c_str(), MedianOf(ratios_),
               *std::min_element(ratios_.begin(), ratios_.end()),
               *std::max_element(ratios_.begin(), ratios_.end()), goal_.c_str(),
               loads_.empty() ? -1.0 : MedianOf(loads_));
        fflush(stdout);
    }
    size_t size() const { return ratios_.size(); }

  private:
    std::string name_, goal_;
    std::vector<double> ratios_, loads_;
};

}  // namespace bench
