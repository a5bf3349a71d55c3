#include "browse/format.h"

#include "core/handles.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "core/paths.h"

#include <shellapi.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

int FindRowAsked(const NMHDR* request) {
    if (!request) return -1;
    // The two records differ only in the text's character set.
    const NMLVFINDITEMA* asked = (const NMLVFINDITEMA*)request;
    const LVFINDINFOA& find = asked->lvfi;
    // Only a search by text is answered; a search by item data or position has nothing here.
    if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || (find.flags & LVFI_PARAM) || !find.psz)
        return -1;
    // A typed text longer than any name matches no row.
    char text[1024];
    if (request->code == LVN_ODFINDITEMW) {
        if (!NarrowExact((LPCWSTR)find.psz, text, sizeof text)) return -1;
    } else {
        lstrcpynA(text, find.psz, sizeof text);
    }
    return FindRow(panel.view, text, asked->iStart, (find.flags & LVFI_PARTIAL) != 0,
                   (find.flags & LVFI_WRAP) != 0);
}

void ItemText(NMLVDISPINFOA* request) {
    if (!request) return;
    LVITEMA& item = request->item;
    unsigned rows = ViewCount(panel.view);
    if (item.iItem < 0 || (unsigned)item.iItem >= rows) return;
    const FolderEntry* e = panel.view[item.iItem].entry;
    if (!e) return;

    if (item.mask & LVIF_IMAGE) {
        std::string path;
        item.iImage = EntryPath(*e, &path) ? get_iico(path.c_str(), e->attributes) : -1;
    }
    if (!(item.mask & LVIF_TEXT)) return;
    // The list copies the text after the handler has returned, so it goes into the list's
    // own buffer; a request without one is pointed at a buffer that outlives the call.
    static char fallback[1024];
    if (!item.pszText || item.cchTextMax <= 0) {
        item.pszText = fallback;
        item.cchTextMax = sizeof fallback;
    }
    if (!CellText(*e, item.iSubItem, item.pszText, (size_t)item.cchTextMax))
        item.pszText[0] = '\0';
}

namespace {

int SystemIconIndex(const char* path, DWORD attributes, UINT flags) {
    typedef DWORD_PTR(WINAPI * GetFileInfo)(LPCSTR, DWORD, SHFILEINFOA*, UINT, UINT);
    Module shell(LoadLibraryA("shell32.dll"));
    if (!shell) return -1;
    int index = -1;
    GetFileInfo get = (GetFileInfo)(void*)GetProcAddress(shell.get(), "SHGetFileInfoA");
    if (get && path) {
        SHFILEINFOA info;
        memset(&info, 0, sizeof info);
        info.iIcon = -1;
        // A failed call may leave the record's fields as garbage, so only a successful one
        // gives an index.
        if (get(path, attributes, &info, sizeof info, flags)) index = info.iIcon;
    }
    return index;
}

}  // namespace

int get_iico(const char* path) { return SystemIconIndex(path, 0, SHGFI_SYSICONINDEX); }

namespace {

// The extension of the last step of a name or path, from its dot on; none without one.
const char* ExtensionOf(const char* name) {
    const char* dot = name ? strrchr(name, '.') : nullptr;
    return dot && !strchr(dot, '\\') ? dot : nullptr;
}

}  // namespace

bool HasOwnIcon(const char* name) {
    static const char* const kOwnIcon[] = {".exe", ".ico", ".cur", ".ani", ".lnk",
                                           ".url", ".pif", ".scr", ".cpl"};
    const char* dot = ExtensionOf(name);
    if (!dot) return false;
    for (const char* type : kOwnIcon)
        if (lstrcmpiA(dot, type) == 0) return true;
    return false;
}

namespace {

// The icons of types, looked up once each: a painted page of rows asks for every row's icon,
// and each lookup of a type reads the registry (about a millisecond under Wine). Keyed by the
// kind (folder or file) and the name's extension in ASCII lower case, which is what a lookup
// by name and attributes alone depends on. Only the window's thread asks.
std::unordered_map<std::string, int>& TypeIcons() {
    static std::unordered_map<std::string, int> icons;
    return icons;
}

// A folder holding names of ever new extensions cannot grow the table past this.
constexpr size_t kMostTypeIcons = 4096;

std::string TypeKey(const char* name, bool folder) {
    std::string key(folder ? "d" : "f");
    const char* dot = folder ? nullptr : ExtensionOf(name);
    if (!dot) return key;
    for (const char* c = dot; *c; c++)
        key += (*c >= 'A' && *c <= 'Z') ? (char)(*c - 'A' + 'a') : *c;
    return key;
}

}  // namespace

void ForgetTypeIcons() { TypeIcons().clear(); }

int get_iico(const char* path, DWORD attributes) {
    // Under Wine a lookup on the disk reads through the whole folder: 0.3 ms in a small
    // folder, over 80 ms in one of 100,000 entries, for every visible row.
    // The shell takes no path longer than 259 characters: such a file gets its type's icon,
    // which the name alone gives.
    bool reachable = path && PathUnits(path) <= kShortPathUnits;
    if (reachable && !(attributes & FILE_ATTRIBUTE_DIRECTORY) && HasOwnIcon(path))
        return get_iico(path);
    DWORD kind =
        attributes & FILE_ATTRIBUTE_DIRECTORY ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
    const char* name = path && !reachable && strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
    if (!name) return -1;
    std::string key = TypeKey(name, kind == FILE_ATTRIBUTE_DIRECTORY);
    auto& icons = TypeIcons();
    auto known = icons.find(key);
    if (known != icons.end()) return known->second;
    int index = SystemIconIndex(name, kind, SHGFI_SYSICONINDEX | SHGFI_USEFILEATTRIBUTES);
    if (index >= 0) {
        if (icons.size() >= kMostTypeIcons) icons.clear();
        icons.emplace(std::move(key), index);
    }
    return index;
}
