// The file list: a virtual report list view.
#pragma once

#include <windows.h>
#include <commctrl.h>

class CLvw {
  public:
    HWND hwnd = nullptr;
    HIMAGELIST drag_list = nullptr;
    char text[MAX_PATH] = {};
    int columns = 0;

    HWND Create(HINSTANCE instance, HWND parent, DWORD style, DWORD ex_style, int id) {
        hwnd = CreateWindowExA(ex_style, WC_LISTVIEWA, nullptr, style | WS_CHILD | WS_VISIBLE, 0, 0,
                               0, 0, parent, (HMENU)(INT_PTR)id, instance, nullptr);
        return hwnd;
    }
    // Alignment 0 left, 1 centred, 2 right (anything else: left).
    int InsertColumn(const char* title, int index, int width, int alignment);
    // The title of a column into the object's buffer, or none when it does not exist.
    const char* ColumnText(int index);
    int SetItemCount(int count) const {
        SendMessageA(hwnd, LVM_SETITEMCOUNT, count, 0);
        return 0;
    }
    int NextSelected(int start) const {
        return (int)SendMessageA(hwnd, LVM_GETNEXTITEM, start, LVNI_SELECTED);
    }
    int SelectedCount() const { return (int)SendMessageA(hwnd, LVM_GETSELECTEDCOUNT, 0, 0); }
    LRESULT DeleteAll() const { return SendMessageA(hwnd, LVM_DELETEALLITEMS, 0, 0); }
    HWND EditLabel(int row) const { return (HWND)SendMessageA(hwnd, LVM_EDITLABELA, row, 0); }
    int SetImageList(HIMAGELIST list) const {
        SendMessageA(hwnd, LVM_SETIMAGELIST, LVSIL_SMALL, (LPARAM)list);
        return 0;
    }
    // Builds the drag image of the selected rows, stacked top to bottom, and starts the
    // drag. Returns 1 when no row is selected (nothing starts), else 0.
    int BeginDrag();
    int EndDrag();
};
