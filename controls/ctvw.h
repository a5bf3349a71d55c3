// The folder tree.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <string>

class CTvw {
  public:
    HWND hwnd = nullptr;
    // One item's text: a folder's name, at most 255 units of UTF-16, which UTF-8 spells in at
    // most 765 bytes.
    char item_text[1024] = {};
    std::string path;
    char separator = '\\';

    HWND Create(HINSTANCE instance, HWND parent, DWORD style, DWORD ex_style, int id) {
        hwnd = CreateWindowExA(ex_style, WC_TREEVIEWA, nullptr, style | WS_CHILD | WS_VISIBLE, 0, 0,
                               0, 0, parent, (HMENU)(INT_PTR)id, instance, nullptr);
        return hwnd;
    }
    // Inserts a child of `parent` (none: top level) after `after` (none: as the first child).
    HTREEITEM InsertItem(const char* text, int image, HTREEITEM parent, HTREEITEM after);
    // Mode 0 deletes every item, 1 the item, 2 all children of the item.
    int DeleteItems(HTREEITEM item, int mode);
    int Expand(HTREEITEM item, UINT action) const {
        SendMessageA(hwnd, TVM_EXPAND, action, (LPARAM)item);
        return 0;
    }
    HTREEITEM Caret() const { return Next(nullptr, TVGN_CARET); }
    HTREEITEM Root() const { return Next(nullptr, TVGN_ROOT); }
    HTREEITEM Parent(HTREEITEM item) const { return Next(item, TVGN_PARENT); }
    int Select(HTREEITEM item) const {
        SendMessageA(hwnd, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
        return 0;
    }
    HTREEITEM HitTest(int x, int y) const {
        TVHITTESTINFO hit = {};
        hit.pt.x = x;
        hit.pt.y = y;
        return (HTREEITEM)SendMessageA(hwnd, TVM_HITTEST, 0, (LPARAM)&hit);
    }
    int ItemHeight() const { return (int)SendMessageA(hwnd, TVM_GETITEMHEIGHT, 0, 0); }
    int SetItemHeight(int height) const {
        SendMessageA(hwnd, TVM_SETITEMHEIGHT, height, 0);
        return 0;
    }
    int SetImageList(HIMAGELIST list) const {
        SendMessageA(hwnd, TVM_SETIMAGELIST, TVSIL_NORMAL, (LPARAM)list);
        return 0;
    }
    // The text of an item into item_text ("" when it cannot be read).
    const char* ItemText(HTREEITEM item);

    // The child of `parent` (none: the root item) whose text is `text`: spelt exactly so, or
    // else the first one equal to it ignoring case.
    HTREEITEM FindChild(HTREEITEM parent, const char* text);
    // Selects the child of the selected item named `text`: 0 done, 1 no text, 2 no match.
    int SelectChild(const char* text);
    // Selects and returns the first visible item whose text rectangle holds the point.
    HTREEITEM SelectAt(int x, int y);
    // The item under a point of `window`'s client area (mapped into the tree), none when the
    // point is on no item.
    HTREEITEM ItemAt(HWND window, int x, int y) const;
    // Shows `item` as the target of a drop (none: no item).
    void DropHighlight(HTREEITEM item) const {
        SendMessageA(hwnd, TVM_SELECTITEM, TVGN_DROPHILITE, (LPARAM)item);
    }
    HTREEITEM DropTarget() const { return Next(nullptr, TVGN_DROPHILITE); }
    // The path of an item (none: the selected item) in `path`: the texts below the root
    // joined by backslashes. A path longer than the platform's longest gives "".
    const char* ItemPath(HTREEITEM item);
    // The item of path `p` when the tree holds it, each step spelt as the path spells it;
    // none otherwise.
    HTREEITEM FindPath(const char* p);
    // Finds or inserts the items of `p` and selects the last one.
    int SelectPath(const char* p, int image);

  private:
    HTREEITEM Next(HTREEITEM item, UINT how) const {
        return (HTREEITEM)SendMessageA(hwnd, TVM_GETNEXTITEM, how, (LPARAM)item);
    }
};
