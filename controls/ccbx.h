// Combo boxes: the path box and the search box.
#pragma once

#include <windows.h>

class CCbx {
  public:
    HWND hwnd = nullptr;
    char text[MAX_PATH] = {};

    HWND Create(HINSTANCE instance, HWND parent, DWORD style, int id) {
        hwnd = CreateWindowExA(0, "COMBOBOX", nullptr, style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                               parent, (HMENU)(INT_PTR)id, instance, nullptr);
        return hwnd;
    }
    LRESULT AddString(const char* s) const {
        return SendMessageA(hwnd, CB_ADDSTRING, 0, (LPARAM)s);
    }
    // Reads the text into the object's buffer (UI thread only).
    const char* GetText() {
        text[0] = '\0';
        SendMessageA(hwnd, WM_GETTEXT, sizeof text, (LPARAM)text);
        return text;
    }
    // Reads the text into the caller's buffer, leaving the object's buffer alone: the
    // size-scan thread uses this while the UI thread may be reading `text`.
    const char* GetTextInto(char* out, int size) const {
        out[0] = '\0';
        SendMessageA(hwnd, WM_GETTEXT, size, (LPARAM)out);
        return out;
    }
    // Whether the whole text fits a 260-byte buffer: a longer one would be read cut short.
    bool TextFits() const { return GetWindowTextLengthA(hwnd) <= MAX_PATH - 1; }
    LRESULT SetText(const char* s) const { return SendMessageA(hwnd, WM_SETTEXT, 0, (LPARAM)s); }
};
