// The program's log file: "%TEMP%\trelvista.log", replaced at every start.
#pragma once

#include <windows.h>
#include <cstddef>

// The stamp that begins every log line, "2026-12-07 06:52:10", from the local time.
// Each thread has a buffer of its own, so the scan thread and the UI thread never
// overwrite each other's stamp between making it and writing the line.
const char* time_stamp();

// Writes the stamp of `st` into `out` (at least 20 bytes); the plain half of time_stamp.
void format_stamp(char* out, size_t size, const SYSTEMTIME& st);

// Writes one formatted line when the log is open, and flushes it at once. One fprintf
// per line, so lines of two threads never interleave inside a line.
void log_line(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Opens "%s\trelvista.log" in the folder named by TEMP (mode "wt") and writes the header
// with the system's major and minor version. Leaves mcfg.log none when TEMP is unset or
// the file cannot be opened.
void log_open(unsigned version);
