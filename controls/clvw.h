// The file list: a virtual report list view.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "controls/imagelist.h"

// Holds a list's drawing off while the control changes the state of many rows, then asks
// for one repaint. The control otherwise invalidates each row it changes on its own, which
// costs a round trip to the window system per row (seconds for 100,000 rows under Wine).
// A hold inside another hold of the same list (a read that sorts, a sort that restores the
// selection) leaves the drawing to the outer one, which repaints once at its end.
class HeldRedraw {
  public:
    explicit HeldRedraw(HWND list, bool hold = true)
        : list_(hold && list && list != held_ ? list : nullptr) {
        if (!list_) return;
        held_ = list_;
        SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    }
    ~HeldRedraw() {
        if (!list_) return;
        held_ = nullptr;
        SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, FALSE);
    }
    HeldRedraw(const HeldRedraw&) = delete;
    HeldRedraw& operator=(const HeldRedraw&) = delete;

  private:
    HWND list_;
    // The list whose drawing this thread holds now.
    static inline thread_local HWND held_ = nullptr;
};

class CLvw {
  public:
    HWND hwnd = nullptr;
    ImageList drag_list;
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
    int ColumnWidth(int index) const {
        return (int)SendMessageA(hwnd, LVM_GETCOLUMNWIDTH, index, 0);
    }
    void SetColumnWidth(int index, int width) const {
        SendMessageA(hwnd, LVM_SETCOLUMNWIDTH, index, MAKELPARAM(width, 0));
    }
    int SetItemCount(int count) const {
        SendMessageA(hwnd, LVM_SETITEMCOUNT, count, 0);
        return 0;
    }
    int ItemCount() const { return (int)SendMessageA(hwnd, LVM_GETITEMCOUNT, 0, 0); }
    int NextSelected(int start) const {
        return (int)SendMessageA(hwnd, LVM_GETNEXTITEM, start, LVNI_SELECTED);
    }
    int SelectedCount() const { return (int)SendMessageA(hwnd, LVM_GETSELECTEDCOUNT, 0, 0); }
    // Sets `state` (within `mask`) on every row at once: one change report with row -1.
    void SetAllRows(UINT state, UINT mask) const {
        HeldRedraw held(hwnd);
        LVITEMA item = {};
        item.stateMask = mask;
        item.state = state;
        SendMessageA(hwnd, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    }
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
