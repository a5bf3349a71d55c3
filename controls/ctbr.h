// The toolbar.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CTbr {
  public:
    HWND hwnd = nullptr;

    HWND Create(HINSTANCE instance, HWND parent, DWORD style, int id) {
        hwnd = CreateWindowExA(0, "ToolbarWindow32", nullptr, style | WS_CHILD | WS_VISIBLE, 0, 0,
                               0, 0, parent, (HMENU)(INT_PTR)id, instance, nullptr);
        if (hwnd) SendMessageA(hwnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        return hwnd;
    }
    int SetImageList(HIMAGELIST list) const {
        SendMessageA(hwnd, TB_SETIMAGELIST, 0, (LPARAM)list);
        return 0;
    }
};
