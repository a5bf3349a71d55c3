#include "controls/ctvw.h"

#include "controls/treepath.h"

#include "core/paths.h"

#include <cctype>
#include <cstring>

bool SplitTreePath(const char* path, std::vector<std::string>& parts) {
    parts.clear();
    if (!path || !isalpha((unsigned char)path[0]) || path[1] != ':') return false;
    parts.emplace_back(path, 2);
    const char* p = path + 2;
    while (*p) {
        const char* end = strchr(p, '\\');
        size_t n = end ? (size_t)(end - p) : strlen(p);
        std::string part(p, n);
        if (part == "..") {
            if (parts.size() > 1) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        p += n;
        if (*p == '\\') p++;
    }
    // The parts are joined by one backslash each: their lengths count in UTF-16 units.
    size_t units = 0;
    for (const std::string& part : parts)
        units += PathUnits(part) + 1;
    return units - 1 <= kLongestPathUnits;
}

HTREEITEM CTvw::InsertItem(const char* text, int image, HTREEITEM parent, HTREEITEM after) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent ? parent : TVI_ROOT;
    insert.hInsertAfter = after ? after : TVI_FIRST;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    return (HTREEITEM)SendMessageA(hwnd, TVM_INSERTITEMA, 0, (LPARAM)&insert);
}

int CTvw::DeleteItems(HTREEITEM item, int mode) {
    if (mode == 0) {
        SendMessageA(hwnd, TVM_DELETEITEM, 0, (LPARAM)TVI_ROOT);
    } else if (mode == 1) {
        SendMessageA(hwnd, TVM_DELETEITEM, 0, (LPARAM)item);
    } else if (mode == 2) {
        // Deleting the first child until there is none; the redraw is held back meanwhile so a
        // folder with thousands of subfolders does not repaint the tree after each one.
        SendMessageA(hwnd, WM_SETREDRAW, FALSE, 0);
        while (HTREEITEM child = Next(item, TVGN_CHILD))
            SendMessageA(hwnd, TVM_DELETEITEM, 0, (LPARAM)child);
        SendMessageA(hwnd, WM_SETREDRAW, TRUE, 0);
    }
    return 0;
}

const char* CTvw::ItemText(HTREEITEM item) {
    TVITEMA tv = {};
    tv.mask = TVIF_TEXT;
    tv.hItem = item;
    tv.pszText = item_text;
    tv.cchTextMax = sizeof item_text;
    item_text[0] = '\0';
    if (!item || !SendMessageA(hwnd, TVM_GETITEMA, 0, (LPARAM)&tv)) item_text[0] = '\0';
    // A text that fills the buffer may have been cut, and a cut name is another folder's: it
    // reads as none. A folder's name (255 characters at most) always fits.
    if (strlen(item_text) >= sizeof item_text - 1) item_text[0] = '\0';
    return item_text;
}

HTREEITEM CTvw::FindChild(HTREEITEM parent, const char* text) {
    if (!text) return nullptr;
    if (!parent) parent = Root();
    // The exact spelling first: where "Foo" and "foo" stand side by side (a file system that
    // tells case apart), each is reached by its own name. Letter case is ignored only when no
    // child is spelt so.
    HTREEITEM folded = nullptr;
    for (HTREEITEM child = Next(parent, TVGN_CHILD); child; child = Next(child, TVGN_NEXT)) {
        const char* item = ItemText(child);
        if (strcmp(item, text) == 0) return child;
        if (!folded && lstrcmpiA(item, text) == 0) folded = child;
    }
    return folded;
}

int CTvw::SelectChild(const char* text) {
    if (!text) return 1;
    HTREEITEM selected = Caret();
    if (!selected) return 2;
    HTREEITEM child = FindChild(selected, text);
    if (!child) return 2;
    Select(child);
    return 0;
}

HTREEITEM CTvw::SelectAt(int x, int y) {
    for (HTREEITEM item = Root(); item; item = Next(item, TVGN_NEXTVISIBLE)) {
        // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
        RECT rect = {};
        memcpy(&rect, &item, sizeof item);
        if (!SendMessageA(hwnd, TVM_GETITEMRECT, TRUE, (LPARAM)&rect)) continue;
        if (rect.left <= x && x <= rect.right && rect.top <= y && y <= rect.bottom) {
            Select(item);
            return item;
        }
    }
    return nullptr;
}

HTREEITEM CTvw::ItemAt(HWND window, int x, int y) const {
    POINT at = {x, y};
    MapWindowPoints(window, hwnd, &at, 1);
    RECT client = {};
    GetClientRect(hwnd, &client);
    if (!PtInRect(&client, at)) return nullptr;
    TVHITTESTINFO hit = {};
    hit.pt = at;
    HTREEITEM item = (HTREEITEM)SendMessageA(hwnd, TVM_HITTEST, 0, (LPARAM)&hit);
    return item && (hit.flags & TVHT_ONITEM) ? item : nullptr;
}

const char* CTvw::ItemPath(HTREEITEM item) {
    path.clear();
    if (!item) item = Caret();
    HTREEITEM root = Root();
    // The texts from the item up to (not including) the root, joined back to front; a path
    // longer than the platform's longest is not returned at all.
    std::vector<std::string> texts;
    size_t units = 0;
    for (HTREEITEM it = item; it && it != root; it = Parent(it)) {
        texts.emplace_back(ItemText(it));
        if (texts.back().empty()) return path.c_str();
        units += PathUnits(texts.back()) + 1;
        if (units - 1 > kLongestPathUnits) return path.c_str();
    }
    for (size_t i = texts.size(); i-- > 0;) {
        path += texts[i];
        if (i > 0) path += separator;
    }
    return path.c_str();
}

HTREEITEM CTvw::FindPath(const char* p) {
    std::vector<std::string> parts;
    if (!SplitTreePath(p, parts)) return nullptr;
    HTREEITEM item = FindChild(nullptr, parts[0].c_str());
    for (size_t i = 1; item && i < parts.size(); i++) {
        item = FindChild(item, parts[i].c_str());
        if (item && strcmp(ItemText(item), parts[i].c_str()) != 0) return nullptr;
    }
    return item;
}

int CTvw::SelectPath(const char* p, int image) {
    std::vector<std::string> parts;
    if (!SplitTreePath(p, parts)) return 1;
    HTREEITEM item = FindChild(nullptr, parts[0].c_str());
    if (!item) return 1;
    for (size_t i = 1; i < parts.size(); i++) {
        HTREEITEM child = FindChild(item, parts[i].c_str());
        if (!child) child = InsertItem(parts[i].c_str(), image, item, nullptr);
        if (!child) return 1;
        item = child;
    }
    Select(item);
    return 0;
}
