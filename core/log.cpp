#include "core/log.h"

#include "core/mcfg.h"
#include "core/paths.h"
#include "core/tempfile.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

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
    // A line holds whole paths, however long: one too long for the buffer on the stack is
    // formatted again into one of its own size.
    char line[2048];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0) return;
    std::string text;
    if ((size_t)n >= sizeof line) {
        text.assign((size_t)n + 1, '\0');
        va_start(args, format);
        vsnprintf(&text[0], text.size(), format, args);
        va_end(args);
        text.resize((size_t)n);
    } else {
        text = line;
    }
    // The log is UTF-8 whatever the program's code page.
    fputs(Utf8Text(text.c_str()).c_str(), log);
    fflush(log);
}

void log_open(unsigned version) {
    mcfg.log = nullptr;
    const char* temp = getenv("TEMP");
    if (!temp || !*temp) return;
    std::string path = std::string(temp) + "\\trelvista.log";
    FILE* log = CreateOutputFile(path.c_str());
    if (!log) return;
    fprintf(log, "Logfile created by trelvista.exe:\n");
    fprintf(log, "Windows Version: %d.%d\n\n", (int)(version & 0xFF), (int)((version >> 8) & 0xFF));
    fflush(log);
    mcfg.log = log;
}
