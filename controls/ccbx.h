// Combo boxes: the path box and the search box.
#pragma once

#include <windows.h>
#include <cstring>
#include <string>

// The whole text of a window (an edit, a combo box), however long. The platform counts the
// length in its own units, which the code page may spell in up to three bytes each.
inline std::string WholeWindowText(HWND window) {
    int length = window ? GetWindowTextLengthA(window) : 0;
    if (length <= 0) return std::string();
    std::string text(3 * (size_t)length + 1, '\0');
    SendMessageA(window, WM_GETTEXT, (WPARAM)text.size(), (LPARAM)&text[0]);
    text.resize(strlen(text.c_str()));
    return text;
}

class CCbx {
  public:
    HWND hwnd = nullptr;
    std::string text;

    HWND Create(HINSTANCE instance, HWND parent, DWORD style, int id) {
        hwnd = CreateWindowExA(0, "COMBOBOX", nullptr, style | WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                               parent, (HMENU)(INT_PTR)id, instance, nullptr);
        return hwnd;
    }
    LRESULT AddString(const char* s) const {
        return SendMessageA(hwnd, CB_ADDSTRING, 0, (LPARAM)s);
    }
    // Reads the whole text, however long, into the object's string (UI thread only).
    const char* GetText() {
        text = WholeWindowText(hwnd);
        return text.c_str();
    }
    // Reads the text into the caller's buffer, leaving the object's buffer alone: the
    // size-scan thread uses this while the UI thread may be reading `text`.
    const char* GetTextInto(char* out, int size) const {
        out[0] = '\0';
        SendMessageA(hwnd, WM_GETTEXT, size, (LPARAM)out);
        return out;
    }
    LRESULT SetText(const char* s) const { return SendMessageA(hwnd, WM_SETTEXT, 0, (LPARAM)s); }
};
