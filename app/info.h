// The Info dialog.
#pragma once

#include <windows.h>

void ShowInfo();
INT_PTR CALLBACK InfoProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
void InfoPaint(HWND dialog);
