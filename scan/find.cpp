// Placeholder until find is built.
#include "scan/find.h"

FindQuery SplitQuery(const char*) { return {}; }
void SearchFolder(EntryList&, const char*, const char*, const char*, int) {}
void Find() {}
