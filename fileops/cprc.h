// Starting programs: the process runner and the command window.
#pragma once

#include <cstdio>

class CPrc {
  public:
    // Starts `command` (the command line alone names the program) in `folder`, then waits up
    // to `waits` seconds for it to end. Returns 0 when started without waits (or ended with
    // 0), 1 when it could not be started, 259 when it still runs after the waits, else its
    // exit code.
    int new_prc(const char* command, const char* folder, int waits, FILE* log);
};
