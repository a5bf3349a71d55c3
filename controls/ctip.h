// The tooltip of the find button.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CTip {
  public:
    HWND hwnd = nullptr;
    char text[MAX_PATH] = {};

    HWND Create(HINSTANCE instance, HWND owner, DWORD style) {
        hwnd = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, style, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, instance, nullptr);
        return hwnd;
    }
    void SetText(const char* s) { lstrcpynA(text, s, sizeof text); }
    // Gives the tool a new text while it is attached.
    void Update(HWND tool, const char* s) {
        SetText(s);
        if (!hwnd) return;
        TOOLINFOA ti = {};
        ti.cbSize = sizeof ti;
        ti.hwnd = hwnd;
        ti.uId = (UINT_PTR)tool;
        ti.hinst = GetModuleHandleA(nullptr);
        ti.lpszText = text;
        SendMessageA(hwnd, TTM_UPDATETIPTEXTA, 0, (LPARAM)&ti);
    }
    // Attaches the tooltip to `tool`, a window identified by its handle, over its client area.
    void AddTool(HWND tool) {
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
        TOOLINFOA ti = {};
        ti.cbSize = sizeof ti;
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = hwnd;
        ti.uId = (UINT_PTR)tool;
        GetClientRect(tool, &ti.rect);
        ti.hinst = GetModuleHandleA(nullptr);
        ti.lpszText = text;
        SendMessageA(hwnd, TTM_ADDTOOLA, 0, (LPARAM)&ti);
    }
};
