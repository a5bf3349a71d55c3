// Placeholder until the settings page is built.
#include "pages/pages.h"

void Settings() {}
void WriteSettingsPage(FILE* out) {
    if (out) fclose(out);
}
