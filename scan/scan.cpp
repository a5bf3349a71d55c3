#include "scan/scan.h"

#include <process.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "controls/ui.h"
#include "core/messages.h"
#include "core/paths.h"
#include "browse/entries.h"
#include "browse/status.h"
#include "core/handles.h"

// What one scan measures, made on the UI thread before the thread starts. The thread reads
// the folder and the names and writes only the totals; the entries are for the UI thread,
// which writes a total into its entry when the generation says the entries are still the
// ones measured. The thread holds a share of the job, so that a thread given up by StopScan
// (held by a drive that stopped answering) goes on with a job of its own.
struct ScanJob {
    std::atomic<int> go{1};  // cleared to ask the thread to stop
    unsigned generation = 0;
    HWND window = nullptr;
    bool measure = false;
    std::string folder;
    long long unmeasured = 0;  // the sizes of every entry that is not measured
    std::vector<FolderEntry*> entries;
    std::vector<std::string> names;
    std::unique_ptr<std::atomic<long long>[]> totals;
    std::atomic<long long> sum{0};
};

namespace {

// How long a stop waits for the scan's thread, which asks for its stop between any two
// records; one that does not answer is given up.
const DWORD kStopBound = 250;


// Adds the sizes below the folder in `path` to *total. `path` is one string shared by the
// whole recursion, which grows by a name for each step down and is as it was after it, and
// `record` one find record. The request to stop is read before every record, so a stop takes
// effect within one record whatever the size of the folder; false then.
bool SizeBelow(std::string& path, FindRecord& record, const std::atomic<int>& go,
               long long* total) {
    bool stopped = false;
    const size_t length = path.size();
    WalkFolder(&path[0], length, record, [&](const FindRecord& r, const Reach& reach) {
        if (go.load(std::memory_order_relaxed) == 0) {
            stopped = true;
            return false;
        }
        if (!IsRealFolder(r.dwFileAttributes)) {
            *total += (long long)(((uint64_t)r.nFileSizeHigh << 32) | r.nFileSizeLow);
            return true;
        }
        // A folder that cannot be reached by its name is not measured.
        const char* name = reach.name;
        if (!name) return true;
        path += '\\';
        path += name;
        // The record is shared down the recursion: nothing of it is needed after this. A
        // folder past the platform's longest path is not listed and counts nothing.
        if (!SizeBelow(path, record, go, total)) stopped = true;
        path.resize(length);
        return !stopped;
    }, false);
    return !stopped;
}

unsigned __stdcall Thread(void* argument) {
    std::unique_ptr<std::shared_ptr<ScanJob>> share((std::shared_ptr<ScanJob>*)argument);
    ScanJob& j = **share;
    log_line("%s\tThread () TOP: size:%I64i\n", time_stamp(), (long long)0);
    if (j.measure) {
        long long sum = j.unmeasured;
        if (!j.folder.empty()) {
            for (size_t i = 0; i < j.names.size(); i++) {
                if (j.go == 0) return 0;
                // A folder whose path does not fit keeps the size the listing gave it (0).
                std::string path = JoinPath(j.folder, j.names[i]);
                if (path.empty()) continue;
                long long total = 0;
                // A folder cut short by a stop writes no total: the thread just ends.
                if (!FolderSizeWhile(path.c_str(), j.go, &total)) return 0;
                j.totals[i] = total;
                sum += total;
                PostMessageA(j.window, WM_APP_SCAN_SIZE, j.generation, (LPARAM)i);
            }
        }
        j.sum = sum;
        log_line("%s\tThread () END: size:%I64i\n", time_stamp(), sum);
    }
    log_line("%s\tThread () OK ...\n", time_stamp());
    // The window's thread marks the scan over when it takes this message.
    PostMessageA(j.window, WM_APP_SCAN_DONE, j.generation, j.measure ? 1 : 0);
    return 0;
}

// The process's end releases panel.entries in its static destructors; a scan still running
// then would go on writing into a job that is gone. Registered after mcfg was built, this
// runs first.
void StopAtExit() { StopScan(); }

// Copies what the thread needs: the folder, and every folder entry of the view in view
// order, by the name its path is built from.
std::shared_ptr<ScanJob> MakeJob(unsigned own_generation) {
    auto j = std::make_shared<ScanJob>();
    j->generation = own_generation;
    j->window = mwin.hwnd;
    unsigned rows = ViewCount(panel.view);
    // The drive view shows no folder: the rows behind it belong to the folder left behind.
    j->measure = rows >= 1 && mcfg.size_mode && !mcfg.drives_mode;
    if (!j->measure) return j;
    j->folder = mcfg.find_mode ? std::string() : panel.folder;
    for (unsigned i = 0; i < rows; i++) {
        FolderEntry* e = panel.view[i].entry;
        if (!e) continue;
        const char* name = IsFolder(*e) ? ReachName(*e) : nullptr;
        if (name && j->folder[0]) {
            j->entries.push_back(e);
            j->names.emplace_back(name);
        } else {
            j->unmeasured += (long long)EntrySize(*e);
        }
    }
    j->totals = std::make_unique<std::atomic<long long>[]>(j->names.size());
    return j;
}

}  // namespace

unsigned ScanGeneration() { return panel.scan_generation; }

void StopScan() {
    // A message already posted by the scan being stopped now reads as stale.
    panel.scan_generation = panel.NextGeneration();
    mcfg.scanning = 0;
    if (!panel.scan_thread) return;
    if (panel.scan) panel.scan->go = 0;
    if (WaitForSingleObject(panel.scan_thread.get(), kStopBound) != WAIT_OBJECT_0)
        log_line("%s\tScan () given up: the scan does not answer ...\n", time_stamp());
    panel.scan_thread.reset();
    panel.scan.reset();
    panel.scan_generation = panel.NextGeneration();
}

void ScanTick() { mcfg.ticks++; }

void Scan() {
    static bool stop_at_exit = atexit(StopAtExit) == 0;
    (void)stop_at_exit;
    StopScan();
    // The entries go only after this scan, whose totals go into them, has stopped.
    SetEntriesWriterStop(StopScan);
    unsigned own_generation = panel.scan_generation = panel.NextGeneration();
    panel.scan = MakeJob(own_generation);
    mcfg.size = 0;
    mcfg.ticks = 0;
    mcfg.scanning = 1;
    // Written before the thread starts, so that the thread's own lines always follow it.
    log_line("%s\tScan () OK ...\n", time_stamp());
    auto* share = new std::shared_ptr<ScanJob>(panel.scan);
    uintptr_t thread = _beginthreadex(nullptr, 0, Thread, share, 0, nullptr);
    if (thread) {
        panel.scan_thread.reset((HANDLE)thread);
    } else {
        delete share;
        mcfg.scanning = 0;
        panel.scan.reset();
    }
}

void ScanFolderMeasured(unsigned own_generation, size_t index) {
    if (own_generation != panel.scan_generation || !panel.scan || index >= panel.scan->entries.size()) return;
    SetEntrySize(*panel.scan->entries[index], (uint64_t)panel.scan->totals[index].load());
    if (mlvw.hwnd) InvalidateRect(mlvw.hwnd, nullptr, FALSE);
}

void ScanFinished(unsigned own_generation, bool measured) {
    if (own_generation != panel.scan_generation) return;
    // Marked over before the paint below, so that it draws the chart.
    mcfg.scanning = 0;
    mcfg.ticks = 0;
    if (panel.scan) mcfg.size = panel.scan->sum.load();
    // With the tree's root selected the list shows no rows, and the order must not bring
    // them back. The sort stops (joins) the finished thread and lets the job go.
    if (measured && !mcfg.drives_mode) {
        SetOrder(1, 1);
        Sort();
    }
    AskPaint();
}

bool FolderSizeWhile(const char* path, const std::atomic<int>& go, long long* total) {
    *total = 0;
    // An empty path would list the root of the current drive.
    if (!path || !path[0]) return true;
    std::string buffer = path;
    FindRecord record;
    return SizeBelow(buffer, record, go, total);
}

long long FolderSize(const char* path) {
    static const std::atomic<int> always{1};
    long long total = 0;
    FolderSizeWhile(path, always, &total);
    return total;
}
