// Placeholder until the properties page is built.
#include "pages/pages.h"

void Open(unsigned, int) {}
int ShellOpen(const char*) { return 1; }
void WritePropertiesPage(FILE*, const FolderEntry&, const char*) {}
