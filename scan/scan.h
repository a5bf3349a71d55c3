// The folder-size scan on its own thread.
#pragma once

#include <windows.h>
#include <atomic>

// Stops any running scan, then hands a new scan thread its own copy of what it measures
// (the folder that was read, the names of its folders, the generation) and starts it. The
// thread posts WM_APP_SCAN_SIZE for every folder it has measured and WM_APP_SCAN_DONE at
// its end; it never reads a control and never sends to a window.
void Scan();
// One more second of the timer: the scan's progress dots move on.
void ScanTick();
// Asks a running scan to stop and waits until its thread has ended, at most a quarter of a
// second: a thread held longer (by a drive that stopped answering) is given up with a job of
// its own, and its late messages change nothing. It dispatches nothing: the thread never waits
// on this one, so the join is short (the walk checks the request between any two records) and
// no message is served inside the caller.
void StopScan();
// The total size in bytes of all files below `path`, recursively; linked folders count by
// their own record and are not followed. Folders past the platform's longest path are not
// listed and count 0.
long long FolderSize(const char* path);
// The same, given up as soon as `go` reads 0: then false, and *total holds nothing of use.
bool FolderSizeWhile(const char* path, const std::atomic<int>& go, long long* total);

// The generation of the latest scan. Every Scan and every StopScan moves it on, so a
// message whose wParam differs comes from a scan that has been replaced since.
unsigned ScanGeneration();

// The handlers of the scan thread's two messages, run on the UI thread. Each acts only when
// `generation` is current: the entries it writes into are then still those it measured.
void ScanFolderMeasured(unsigned generation, size_t index);
void ScanFinished(unsigned generation, bool measured);
