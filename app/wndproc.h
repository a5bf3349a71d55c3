// The main window's procedure and the command and notification tables.
#pragma once

#include <windows.h>
#include <commctrl.h>

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
int Command(WPARAM wparam);
int Notify(NMHDR* header);
int ContextMenu(int x, int y);
