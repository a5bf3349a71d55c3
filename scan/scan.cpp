#include "scan/scan.h"

#include "app/log.h"
#include "app/mcfg.h"

// Placeholder until the folder-size scan is built: no thread is started, so there is
// never a scan to stop.
void Scan() {
    mcfg.scanning = 0;
    log_line("%s\tScan () OK ...\n", time_stamp());
}

void StopScan() { mcfg.scanning = 0; }

// Placeholder until the folder-size scan is built.
long long FolderSize(const char*) { return 0; }
