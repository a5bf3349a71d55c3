#include "controls/clvw.h"

#include <utility>

int CLvw::InsertColumn(const char* title, int index, int width, int alignment) {
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = alignment == 1 ? LVCFMT_CENTER : alignment == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
    column.cx = width;
    column.pszText = const_cast<char*>(title);
    column.cchTextMax = lstrlenA(title);
    column.iSubItem = index;
    SendMessageA(hwnd, LVM_INSERTCOLUMNA, index, (LPARAM)&column);
    columns++;
    return 0;
}

const char* CLvw::ColumnText(int index) {
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_SUBITEM;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    text[0] = '\0';
    if (!SendMessageA(hwnd, LVM_GETCOLUMNA, index, (LPARAM)&column)) return nullptr;
    return text;
}

int CLvw::BeginDrag() {
    int row = NextSelected(-1);
    if (row < 0) return 1;
    POINT origin = {};
    drag_list.reset((HIMAGELIST)SendMessageA(hwnd, LVM_CREATEDRAGIMAGE, row, (LPARAM)&origin));
    while (drag_list && (row = NextSelected(row)) >= 0) {
        POINT ignored;
        ImageList next((HIMAGELIST)SendMessageA(hwnd, LVM_CREATEDRAGIMAGE, row, (LPARAM)&ignored));
        if (!next) continue;
        IMAGEINFO info = {};
        ImageList_GetImageInfo(drag_list.get(), 0, &info);
        ImageList merged(
            ImageList_Merge(drag_list.get(), 0, next.get(), 0, 0, info.rcImage.bottom));
        if (!merged) continue;  // keep the image built so far
        drag_list = std::move(merged);
    }
    if (!drag_list) return 0;
    ImageList_BeginDrag(drag_list.get(), 0, 0, 0);
    ImageList_DragEnter(GetDesktopWindow(), origin.x, origin.y);
    return 0;
}

int CLvw::EndDrag() {
    // The image was shown over the desktop, and leaves from the same window.
    ImageList_DragLeave(GetDesktopWindow());
    ImageList_EndDrag();
    drag_list.reset();
    return 0;
}
