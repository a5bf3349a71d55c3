// Push buttons and check boxes: the find button and the attribute buttons.
#pragma once

#include <windows.h>

class CBtn {
  public:
    HWND hwnd = nullptr;

    HWND Create(HINSTANCE instance, HWND parent, DWORD style, int id) {
        hwnd = CreateWindowExA(0, "BUTTON", nullptr, style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                               parent, (HMENU)(INT_PTR)id, instance, nullptr);
        return hwnd;
    }
    LRESULT GetCheck() const { return SendMessageA(hwnd, BM_GETCHECK, 0, 0); }
    void SetCheck(int state) const {
        static const WPARAM states[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
        if (state >= 0 && state <= 2) SendMessageA(hwnd, BM_SETCHECK, states[state], 0);
    }
    HANDLE SetBitmap(HBITMAP bitmap) const {
        return (HANDLE)SendMessageA(hwnd, BM_SETIMAGE, IMAGE_BITMAP, (LPARAM)bitmap);
    }
    LRESULT SetText(const char* text) const {
        return SendMessageA(hwnd, WM_SETTEXT, 0, (LPARAM)text);
    }
};
