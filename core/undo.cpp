#include "core/undo.h"

#include "core/handles.h"
#include "core/paths.h"

std::string UndoLabel(UndoKind kind) {
    switch (kind) {
    case UndoKind::kCopy: return "Undo Copy";
    case UndoKind::kMove: return "Undo Move";
    case UndoKind::kRename: return "Undo Rename";
    case UndoKind::kNewItem: return "Undo New";
    case UndoKind::kAttributes: return "Undo Attributes";
    case UndoKind::kRecycle: return "Undo Delete";
    }
    return "Undo";
}

bool UndoItemOf(const std::string& path, UndoItem* item) {
    std::wstring wide = WideText(path.c_str());
    if (wide.empty()) return false;
    // The entry itself, not what a link in its place points to; opened without access so
    // that a device or a pipe is never read.
    Handle h(CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h) return false;
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(h.get(), &info)) return false;
    item->path = path;
    item->id.volume = info.dwVolumeSerialNumber;
    item->id.high = info.nFileIndexHigh;
    item->id.low = info.nFileIndexLow;
    item->folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    item->size = ((uint64_t)info.nFileSizeHigh << 32) | info.nFileSizeLow;
    item->written = info.ftLastWriteTime;
    return true;
}

bool UndoItemOn(const std::string& path, DWORD volume, UndoItem* item) {
    std::wstring wide = WideText(path.c_str());
    if (wide.empty()) return false;
    Handle h(CreateFileW(wide.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!h || !GetFileInformationByHandleEx(h.get(), FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(h.get(), FileStandardInfo, &standard, sizeof standard))
        return false;
    // The file's index alone, as the platform's full answer gives it.
    using IndexQuery = LONG(NTAPI*)(HANDLE, void* status, void* info, ULONG size, ULONG kind);
    static IndexQuery query =
        (IndexQuery)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile");
    ULONG_PTR status[2] = {};
    LARGE_INTEGER index = {};
    const ULONG kFileInternalInformation = 6;
    if (!query || query(h.get(), status, &index, sizeof index, kFileInternalInformation) != 0)
        return UndoItemOf(path, item);
    item->path = path;
    item->id.volume = volume;
    item->id.high = (DWORD)((unsigned long long)index.QuadPart >> 32);
    item->id.low = (DWORD)index.QuadPart;
    item->folder = standard.Directory != 0;
    item->size = (uint64_t)standard.EndOfFile.QuadPart;
    item->written.dwLowDateTime = basic.LastWriteTime.LowPart;
    item->written.dwHighDateTime = (DWORD)basic.LastWriteTime.HighPart;
    return true;
}

bool StillAsLeft(const UndoItem& item) {
    UndoItem now;
    if (!UndoItemOf(item.path, &now) || now.id != item.id || now.folder != item.folder)
        return false;
    // A folder's own write time changes with every entry made in it; its identity decides.
    if (item.folder) return true;
    return now.size == item.size && CompareFileTime(&now.written, &item.written) == 0;
}

bool EntryEmpty(const UndoItem& item) {
    if (!item.folder) return item.size == 0;
    std::wstring pattern = WideText(item.path.c_str());
    if (pattern.empty()) return false;
    pattern += L"\\*";
    WIN32_FIND_DATAW record;
    FindHandle find(FindFirstFileW(pattern.c_str(), &record));
    if (!find) return false;
    do {
        if (wcscmp(record.cFileName, L".") != 0 && wcscmp(record.cFileName, L"..") != 0)
            return false;
    } while (FindNextFileW(find.get(), &record));
    return true;
}

void UndoJournal::Push(UndoRecord record) {
    if (record.items.empty()) return;
    records_.push_back(std::move(record));
    if (records_.size() > kUndoDepth) records_.erase(records_.begin());
}

UndoRecord UndoJournal::Pop() {
    UndoRecord record = std::move(records_.back());
    records_.pop_back();
    return record;
}
