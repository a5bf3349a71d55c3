// Placeholder until navigation is built.
#include "browse/navigate.h"

#include "app/log.h"
#include "app/window.h"

void Init() {
    Size(0, 0);
    log_line("%s\tInit () OK ...\n", time_stamp());
}
void Read() { log_line("%s\tRead () OK ...\n", time_stamp()); }
void Back() {}
void SelectionChanged() {}
void PathEntered() {}
bool AddHistory(const char*) { return false; }
