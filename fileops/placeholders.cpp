// Placeholders for the Send To menu, the command window and the wallpaper, which are not
// built yet: each does nothing.
#include "fileops/fileops.h"

void SendTo(HMENU, int) {}
void NewCmd() {}
void Wallpaper() {}
