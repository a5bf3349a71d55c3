// The folder-size scan on its own thread.
#pragma once

#include <windows.h>

// Stops any running scan, then starts a new scan thread that measures the folders of the
// view and posts WM_APP_SCAN_DONE to the main window at its end.
void Scan();
// Asks a running scan to stop and waits until its thread has ended, dispatching messages
// meanwhile so that the scan's own calls into the window never wait on the caller. Safe to
// call again from a message dispatched during the wait; on the scan thread itself it only
// asks for the stop.
void StopScan();
// The total size in bytes of all files below `path`, recursively; linked folders count by
// their own record and are not followed. Folders whose path would not fit 259 characters
// are not listed and count 0.
long long FolderSize(const char* path);

// The generation of the latest scan. Every Scan and every StopScan moves it on, so a
// WM_APP_SCAN_DONE whose wParam differs comes from a scan that has been replaced since.
unsigned ScanGeneration();
