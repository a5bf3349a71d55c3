#include "scan/scan.h"

#include <process.h>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "app/app.h"
#include "app/log.h"
#include "app/mcfg.h"
#include "app/ui.h"
#include "app/wndproc.h"

namespace {

// The handle of the one scan thread, from its start until a StopScan has joined it. Only
// the thread that runs Scan and StopScan (the UI thread) touches these two.
HANDLE scan_thread = nullptr;
DWORD scan_thread_id = 0;

std::atomic<unsigned> generation{0};

// Nesting of StopScan through the messages it dispatches, and a quit message taken from
// the queue meanwhile, which the outermost StopScan puts back when it is done.
int stop_depth = 0;
bool quit_seen = false;
int quit_code = 0;

// Adds up the sizes below the folder in path[0..length). `path` is one buffer of MAX_PATH
// bytes shared by the whole recursion, and `record` one find record: neither is needed again
// after a subfolder has been counted, so the recursion costs a handle and a few words per
// level.
long long SizeBelow(char* path, size_t length, WIN32_FIND_DATAA& record) {
    if (length + 4 > MAX_PATH - 1) return 0;
    memcpy(path + length, "\\*.*", 5);
    HANDLE find = FindFirstFileExA(path, FindExInfoBasic, &record, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        find = FindFirstFileA(path, &record);
    path[length] = '\0';
    if (find == INVALID_HANDLE_VALUE) return 0;
    long long total = 0;
    do {
        const char* name = record.cFileName;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        if ((record.dwFileAttributes & 0x410) == 0x10) {
            size_t name_length = strnlen(name, sizeof record.cFileName);
            if (length + 1 + name_length > MAX_PATH - 1) continue;
            path[length] = '\\';
            memcpy(path + length + 1, name, name_length + 1);
            total += SizeBelow(path, length + 1 + name_length, record);
            path[length] = '\0';
        } else {
            total += (long long)(((uint64_t)record.nFileSizeHigh << 32) | record.nFileSizeLow);
        }
    } while (FindNextFileA(find, &record));
    FindClose(find);
    return total;
}

// The scan's stop check: a StopScan clears mcfg.scanning.
bool StopRequested() { return mcfg.scanning == 0; }

unsigned __stdcall Thread(void* argument) {
    unsigned own_generation = (unsigned)(uintptr_t)argument;
    // mcfg.scanning was set by Scan before the thread started, so that a stop request made
    // before this line is not overwritten.
    mcfg.size = 0;
    mcfg.ticks = 0;
    log_line("%s\tThread () TOP: size:%I64i\n", time_stamp(), (long long)0);
    bool sort = false;
    if (ViewCount(mcfg.view) >= 1 && mcfg.size_mode) {
        // The path box answers through the UI thread; a text that does not fit the buffer
        // would name another folder, so it is taken as no path.
        char folder[MAX_PATH];
        mcbx.GetTextInto(folder, sizeof folder);
        if (!mcbx.TextFits()) folder[0] = '\0';
        if (folder[0]) {
            size_t folder_length = strnlen(folder, sizeof folder);
            for (unsigned i = 0;; i++) {
                // The view is taken afresh for each slot; the UI thread releases it only
                // after StopScan has joined this thread.
                ViewSlot* view = mcfg.view;
                if (!view || i >= view[0].count) break;
                if (StopRequested()) return 0;
                FolderEntry* entry = view[i].entry;
                if (!entry) continue;
                if ((entry->attributes & 0x410) == 0x10) {
                    size_t name_length = strnlen(entry->name, sizeof entry->name);
                    // A folder whose path does not fit keeps the size the listing gave it.
                    if (folder_length + 1 + name_length <= MAX_PATH - 1) {
                        char path[MAX_PATH];
                        memcpy(path, folder, folder_length);
                        path[folder_length] = '\\';
                        memcpy(path + folder_length + 1, entry->name, name_length + 1);
                        // The UI thread may read these halves for a cell text meanwhile.
                        // Each is one aligned 32-bit store, which is never torn, and no
                        // pointer is written: at worst a cell shows the new high half with
                        // the old low half until the repaint that follows the scan.
                        SetEntrySize(*entry, (uint64_t)FolderSize(path));
                    }
                }
                mcfg.size += (long long)EntrySize(*entry);
            }
        }
        log_line("%s\tThread () END: size:%I64i\n", time_stamp(), (long long)mcfg.size);
        sort = true;
    }
    log_line("%s\tThread () OK ...\n", time_stamp());
    // The flag is cleared before the post, so the handler's Paint sees the scan over and
    // draws the chart. StopScan waits for the thread's handle, not for the flag, so it
    // still waits out the rest of this function.
    mcfg.scanning = 0;
    mcfg.ticks = 0;
    if (mwin.hwnd) PostMessageA(mwin.hwnd, WM_APP_SCAN_DONE, own_generation, sort ? 1 : 0);
    return 0;
}

// Serves this thread's messages while StopScan waits. After a quit message only sent
// messages are served: the quit is put back later, and taking it again would spin.
void DispatchWaiting() {
    MSG msg;
    if (quit_seen) {
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        return;
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit_seen = true;
            quit_code = (int)msg.wParam;
            return;
        }
        LoopStep(msg);
        // A scan that the message started is stopped as well before it measures: the caller
        // waits for every scan to end before it goes on.
        mcfg.scanning = 0;
    }
}

// The process's end releases mcfg.entries in its static destructors; a scan still running
// then would read and write freed records. Registered after mcfg was built, this runs first.
void StopAtExit() { StopScan(); }

}  // namespace

unsigned ScanGeneration() { return generation; }

void StopScan() {
    // A WM_APP_SCAN_DONE already posted by the scan being stopped now reads as stale.
    generation++;
    mcfg.scanning = 0;
    if (!scan_thread || GetCurrentThreadId() == scan_thread_id) return;
    stop_depth++;
    // The handle is read afresh on every round: a nested StopScan may have joined it, and a
    // nested Scan may have started another thread, which must end too before the caller
    // goes on to release what it reads.
    while (scan_thread) {
        HANDLE thread = scan_thread;
        mcfg.scanning = 0;
        generation++;
        DWORD mask = quit_seen ? QS_SENDMESSAGE : QS_ALLINPUT;
        // Input that arrived before this call counts as well, so a message the scan thread
        // sent earlier still wakes the wait.
        DWORD woken = MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, mask, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0 + 1) {
            DispatchWaiting();
            continue;
        }
        // Ended, or the handle cannot be waited on (which no retry would mend).
        CloseHandle(thread);
        scan_thread = nullptr;
        scan_thread_id = 0;
    }
    generation++;
    stop_depth--;
    if (stop_depth == 0 && quit_seen) {
        quit_seen = false;
        PostQuitMessage(quit_code);
    }
}

void Scan() {
    static bool stop_at_exit = atexit(StopAtExit) == 0;
    (void)stop_at_exit;
    StopScan();
    unsigned own_generation = ++generation;
    mcfg.scanning = 1;
    // Written before the thread starts, so that the thread's own lines always follow it.
    log_line("%s\tScan () OK ...\n", time_stamp());
    unsigned id = 0;
    uintptr_t thread = _beginthreadex(nullptr, 0, Thread, (void*)(uintptr_t)own_generation, 0, &id);
    if (thread) {
        scan_thread = (HANDLE)thread;
        scan_thread_id = id;
    } else {
        mcfg.scanning = 0;
    }
}

long long FolderSize(const char* path) {
    // An empty path would list the root of the current drive.
    if (!path || !path[0]) return 0;
    size_t length = strnlen(path, MAX_PATH);
    if (length > MAX_PATH - 1) return 0;
    char buffer[MAX_PATH];
    memcpy(buffer, path, length + 1);
    WIN32_FIND_DATAA record;
    return SizeBelow(buffer, length, record);
}
