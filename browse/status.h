// The status line along the bottom of the main window.
#pragma once

#include <windows.h>

#include "core/statusline.h"

// Shows the search box and the find button, or hides them while a scan shows its progress.
void ShowFindControls(bool show);
