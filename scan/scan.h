// The folder-size scan on its own thread.
#pragma once

#include <windows.h>

void Scan();
// Asks a running scan to stop and waits until its thread has ended, dispatching messages
// meanwhile so that the scan's own calls into the window never wait on the caller.
void StopScan();
long long FolderSize(const char* path);
