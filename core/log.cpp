#include "core/log.h"

#include "core/mcfg.h"
#include "core/paths.h"
#include "core/tempfile.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void format_stamp(char* out, size_t size, const SYSTEMTIME& st) {
    snprintf(out, size, "%i-%2.2d-%2.2d %2.2d:%2.2d:%2.2d", st.wYear, st.wMonth, st.wDay, st.wHour,
             st.wMinute, st.wSecond);
}

const char* time_stamp() {
    static thread_local char stamp[32];
    SYSTEMTIME st;
    GetLocalTime(&st);
    format_stamp(stamp, sizeof stamp, st);
    return stamp;
}

void log_line(const char* format, ...) {
    FILE* log = mcfg.log;
    if (!log) return;
    char line[2048];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    // The log is UTF-8 whatever the program's code page.
    fputs(Utf8Text(line).c_str(), log);
    fflush(log);
}

void log_open(unsigned version) {
    mcfg.log = nullptr;
    const char* temp = getenv("TEMP");
    if (!temp || !*temp) return;
    char path[MAX_PATH];
    if (snprintf(path, sizeof path, "%s\\trelvista.log", temp) >= (int)sizeof path) return;
    FILE* log = CreateOutputFile(path);
    if (!log) return;
    fprintf(log, "Logfile created by trelvista.exe:\n");
    fprintf(log, "Windows Version: %d.%d\n\n", (int)(version & 0xFF), (int)((version >> 8) & 0xFF));
    fflush(log);
    mcfg.log = log;
}
