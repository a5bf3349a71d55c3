#include "fileops/recyclebin.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <cwchar>

#include "core/com.h"
#include "core/log.h"
#include "core/names.h"
#include "core/paths.h"

namespace {

// The shell's "displaced" properties: where a deleted entry was (2), when it went (3).
const SHCOLUMNID kDisplacedFrom = {
    {0x9B174B33, 0x40FF, 0x11D2, {0xA2, 0x7E, 0x00, 0xC0, 0x4F, 0xC3, 0x08, 0x71}}, 2};
// The recycle bin's column of the original folder, for a shell that answers no property.
const UINT kOriginalColumn = 1;

// An item of the recycle bin: the path it was deleted from and, where the shell names the
// item by a path of its own, that path (which proves the item before it is restored).
struct BinItem {
    LPITEMIDLIST pidl = nullptr;
    std::wstring was;
    std::wstring own_path;
    bool taken = false;
};

// The recycle bin's items, each freed with the list.
class BinItems {
  public:
    ~BinItems() {
        for (BinItem& item : items_)
            CoTaskMemFree(item.pidl);
    }
    std::vector<BinItem>& items() { return items_; }

  private:
    std::vector<BinItem> items_;
};

std::wstring StrRetText(STRRET* ret, LPCITEMIDLIST pidl) {
    LPWSTR text = nullptr;
    if (FAILED(StrRetToStrW(ret, pidl, &text)) || !text) return L"";
    std::wstring s = text;
    CoTaskMemFree(text);
    return s;
}

std::wstring Name(IShellFolder* bin, LPCITEMIDLIST pidl, DWORD flags) {
    STRRET ret = {};
    if (FAILED(bin->GetDisplayNameOf(pidl, flags, &ret))) return L"";
    return StrRetText(&ret, pidl);
}

bool FullWidePath(const std::wstring& p) {
    return p.size() > 3 && ((p[1] == L':' && p[2] == L'\\') || (p[0] == L'\\' && p[1] == L'\\'));
}

// The folder an item was deleted from: the property where the shell answers it, else the
// bin's column of the original location.
std::wstring OriginalFolder(IShellFolder2* details, LPCITEMIDLIST pidl) {
    if (!details) return L"";
    VARIANT value;
    VariantInit(&value);
    if (SUCCEEDED(details->GetDetailsEx(pidl, &kDisplacedFrom, &value))) {
        std::wstring folder = value.vt == VT_BSTR && value.bstrVal ? value.bstrVal : L"";
        VariantClear(&value);
        if (!folder.empty()) return folder;
    }
    SHELLDETAILS column = {};
    if (FAILED(details->GetDetailsOf(pidl, kOriginalColumn, &column))) return L"";
    return StrRetText(&column.str, pidl);
}

bool ListBin(IShellFolder* bin, std::vector<BinItem>& into) {
    ComPtr<IShellFolder2> details;
    if (FAILED(bin->QueryInterface(IID_IShellFolder2, (void**)details.out()))) details.reset();
    ComPtr<IEnumIDList> list;
    HRESULT hr = bin->EnumObjects(
        nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS | SHCONTF_INCLUDEHIDDEN, list.out());
    if (FAILED(hr)) return false;
    if (!list.get()) return true;  // S_FALSE: an empty bin
    LPITEMIDLIST pidl = nullptr;
    ULONG got = 0;
    while (list->Next(1, &pidl, &got) == S_OK && got == 1) {
        BinItem item;
        item.pidl = pidl;
        std::wstring parsing = Name(bin, pidl, SHGDN_FORPARSING);
        std::wstring name = Name(bin, pidl, SHGDN_INFOLDER | SHGDN_FORPARSING);
        std::wstring folder = OriginalFolder(details.get(), pidl);
        if (FullWidePath(parsing)) {
            item.own_path = parsing;
            // A shell that names the item by its own path keeps that name in the bin; the
            // name it had is the original column's last step then.
            size_t cut = folder.rfind(L'\\');
            if (!folder.empty() && FullWidePath(folder) && cut != std::wstring::npos &&
                _wcsicmp(folder.c_str() + cut + 1, name.c_str()) == 0)
                name.clear();
        }
        while (!folder.empty() && folder.back() == L'\\')
            folder.pop_back();
        item.was = name.empty() ? folder : folder + L"\\" + name;
        into.push_back(std::move(item));
    }
    return true;
}

// Runs the item's own "restore" command. Only a command that names itself so (the verb
// "undelete", or a shell that names no verbs, the item "Restore") is run: the bin's other
// commands delete for good.
bool InvokeRestore(IShellFolder* bin, LPCITEMIDLIST pidl) {
    ComPtr<IContextMenu> menu;
    if (FAILED(
            bin->GetUIObjectOf(nullptr, 1, &pidl, IID_IContextMenu, nullptr, (void**)menu.out())))
        return false;
    HMENU popup = CreatePopupMenu();
    if (!popup) return false;
    const UINT first = 1;
    UINT command = UINT_MAX;
    if (SUCCEEDED(menu->QueryContextMenu(popup, 0, first, 0x7FFF, CMF_NORMAL))) {
        int count = GetMenuItemCount(popup);
        for (int i = 0; i < count && command == UINT_MAX; i++) {
            UINT id = GetMenuItemID(popup, i);
            if (id == (UINT)-1 || id < first) continue;
            char verb[64] = {};
            if (SUCCEEDED(
                    menu->GetCommandString(id - first, GCS_VERBA, nullptr, verb, sizeof verb))) {
                if (_stricmp(verb, "undelete") == 0) command = id - first;
                continue;
            }
            char text[64] = {}, plain[64] = {};
            GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
            size_t n = 0;
            for (const char* c = text; *c && n + 1 < sizeof plain; c++)
                if (*c != '&') plain[n++] = *c;
            if (_stricmp(plain, "Restore") == 0) command = id - first;
        }
    }
    DestroyMenu(popup);
    if (command == UINT_MAX) return false;
    CMINVOKECOMMANDINFO invoke = {};
    invoke.cbSize = sizeof invoke;
    invoke.fMask = CMIC_MASK_FLAG_NO_UI;
    invoke.lpVerb = MAKEINTRESOURCEA(command);
    invoke.nShow = SW_SHOWNORMAL;
    return SUCCEEDED(menu->InvokeCommand(&invoke));
}

bool ExistsWide(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Sends an entry that came back but is not the one this program deleted back to the bin.
bool SendBack(const std::string& path) {
    if (path.find_first_of("?*") != std::string::npos) return false;
    std::string from = path + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationA(&op) == 0 && !op.fAnyOperationsAborted;
}

}  // namespace

BinRestore RestoreFromBin(const std::vector<UndoItem>& items) {
    BinRestore out;
    auto leave_all = [&](const char* why) {
        for (const UndoItem& item : items)
            out.left.push_back("\"" + item.path + "\" " + why);
    };
    ComScope com;
    ComPtr<IShellFolder> desktop, bin;
    LPITEMIDLIST where = nullptr;
    if (FAILED(SHGetDesktopFolder(desktop.out())) ||
        FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &where))) {
        leave_all("is in the recycle bin, which cannot be reached here: restore it from there.");
        return out;
    }
    HRESULT hr = desktop->BindToObject(where, nullptr, IID_IShellFolder, (void**)bin.out());
    CoTaskMemFree(where);
    BinItems listed;
    if (FAILED(hr) || !bin.get() || !ListBin(bin.get(), listed.items())) {
        log_line("%s\tUndo () the recycle bin cannot be listed (%08lx) ...\n", time_stamp(),
                 (unsigned long)hr);
        leave_all("is in the recycle bin, which cannot be listed here: restore it from there.");
        return out;
    }
    for (const UndoItem& item : items) {
        std::wstring want = WideText(item.path.c_str());
        const char* why = "is not in the recycle bin any more; left alone.";
        if (want.empty()) {
            out.left.push_back("\"" + item.path + "\" cannot be spelled; left in the recycle bin.");
            continue;
        }
        if (ExistsWide(want)) {
            out.left.push_back("\"" + item.path +
                               "\" stays in the recycle bin: its old name is taken.");
            continue;
        }
        bool back = false;
        for (BinItem& candidate : listed.items()) {
            if (candidate.taken || _wcsicmp(candidate.was.c_str(), want.c_str()) != 0) continue;
            // Where the item has a path of its own, it is proved before anything is done.
            if (!candidate.own_path.empty()) {
                FileId id;
                Handle h(CreateFileW(
                    candidate.own_path.c_str(), 0,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
                BY_HANDLE_FILE_INFORMATION info;
                if (!h || !GetFileInformationByHandle(h.get(), &info)) continue;
                id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
                if (id != item.id) continue;
            }
            // The old name is checked again just before: a restore onto a taken name asks.
            if (ExistsWide(want)) {
                why = "stays in the recycle bin: its old name is taken.";
                break;
            }
            if (!InvokeRestore(bin.get(), candidate.pidl)) {
                why = "is in the recycle bin, which offers no restore here: restore it from there.";
                break;
            }
            candidate.taken = true;
            if (StillAsLeft(item)) {
                back = true;
                break;
            }
            // Another entry of that name and place came back: it goes back where it was.
            if (ExistsWide(want) && !SendBack(item.path)) {
                why = "was not found in the recycle bin; another entry of its name came back "
                      "from there and could not be sent back.";
                break;
            }
            why = "was not found in the recycle bin as it was deleted; left alone.";
        }
        if (back)
            out.restored++;
        else
            out.left.push_back("\"" + item.path + "\" " + why);
    }
    return out;
}
