// Placeholder until the Info dialog is built.
#include "app/info.h"

void ShowInfo() {}
INT_PTR CALLBACK InfoProc(HWND, UINT, WPARAM, LPARAM) { return 0; }
void InfoPaint(HWND) {}
