// The Info dialog.
#pragma once

#include <windows.h>

#include "core/dpi.h"

void ShowInfo();
INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void InfoPaint(HWND dialog);

// The web address the dialog shows: the organisation's when the domain (the value of
// "USERDOMAIN", none when it is not set) is exactly its short name, else the maker's.
const char* InfoAddress(const char* user_domain);

// True when a mouse message's position (lParam) lies in the band of the link line,
// y 61 to 79 at any x (at 96 DPI; scaled to `dpi`).
bool InLinkBand(LPARAM lparam, int dpi = kBaseDpi);
