#include "core/outcome.h"

#include <windows.h>
#include <cstdio>
#include <cstring>

#include "core/handles.h"
#include "core/paths.h"
#include "core/texts.h"

namespace {

bool IsDots(const WCHAR* name) {
    return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

// Calls visit(path, record) for every entry below the folder, depth first, with the folders'
// own entries before their contents; linked folders are not entered.
template <typename Visit> void WalkTree(const std::wstring& root, Visit visit) {
    std::vector<std::wstring> folders{root};
    while (!folders.empty()) {
        std::wstring folder = std::move(folders.back());
        folders.pop_back();
        WIN32_FIND_DATAW fd;
        FindHandle find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &fd,
                                         FindExSearchNameMatch, nullptr,
                                         FIND_FIRST_EX_LARGE_FETCH));
        if (!find) continue;
        do {
            if (IsDots(fd.cFileName)) continue;
            std::wstring path = folder + L"\\" + fd.cFileName;
            visit(path, fd);
            if ((fd.dwFileAttributes & 0x410) == 0x10) folders.push_back(path);
        } while (FindNextFileW(find.get(), &fd));
    }
}

TreeSummary SummarizeWide(const std::wstring& path) {
    TreeSummary s;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (path.empty() || !GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return s;
    s.exists = true;
    s.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!s.folder) {
        s.files = 1;
        s.bytes = ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
        return s;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return s;
    WalkTree(path, [&s](const std::wstring&, const WIN32_FIND_DATAW& fd) {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            s.folders++;
        } else {
            s.files++;
            s.bytes += ((unsigned long long)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
        }
    });
    return s;
}

bool ExistsWide(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

TreeSummary Summarize(const std::string& path) { return SummarizeWide(LongPath(path)); }

TransferItem TransferItemOf(const std::string& from, const std::string& to) {
    TransferItem item;
    item.from = from;
    item.to = to;
    item.before = Summarize(from);
    item.has_id = IdentityOf(from, &item.id);
    return item;
}

bool StillThere(const std::string& path, const FileId& id) {
    FileId now;
    return IdentityOf(path, &now) && now == id;
}

TransferProgress::TransferProgress(const std::vector<TransferItem>& items) : items_(items) {
    for (const TransferItem& item : items)
        total_ += item.before.bytes;
}

unsigned long long TransferProgress::Read() {
    for (; whole_ < items_.size(); whole_++) {
        const TransferItem& item = items_[whole_];
        // A later item begun means this one has ended, whole or not (the check tells which).
        bool last = whole_ + 1 == items_.size();
        if (last || !ExistsWide(LongPath(items_[whole_ + 1].to))) {
            if (item.before.folder) return whole_bytes_;
            WIN32_FILE_ATTRIBUTE_DATA data = {};
            if (!GetFileAttributesExW(LongPath(item.to).c_str(), GetFileExInfoStandard, &data))
                return whole_bytes_;
            unsigned long long bytes =
                ((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow;
            if (bytes < item.before.bytes) return whole_bytes_ + bytes;
        }
        whole_bytes_ += item.before.bytes;
    }
    return whole_bytes_;
}

std::string ListedLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size() && i < 10; i++)
        text += lines[i] + "\n";
    if (lines.size() > 10) text += "... and " + std::to_string(lines.size() - 10) + " more.\n";
    return text;
}

std::string ErrorReason(unsigned long error) {
    char reason[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, reason, sizeof reason, nullptr);
    std::string text(reason, n < sizeof reason ? n : 0);
    // The system's text ends in a line break, and often in a full stop before it.
    while (!text.empty() &&
           (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(error) : text;
}

std::string NotDoneLine(const std::string& what, unsigned long error) {
    return what + ": " + ErrorReason(error) + ".";
}

std::string GroupedCount(unsigned long long n, char sep) {
    std::string digits = std::to_string(n), grouped;
    for (size_t i = 0; i < digits.size(); i++) {
        if (sep && i > 0 && (digits.size() - i) % 3 == 0) grouped += sep;
        grouped += digits[i];
    }
    return grouped;
}

std::string TransferStatusText(bool copy, unsigned long long items, unsigned long long items_total,
                               unsigned long long bytes, unsigned long long bytes_total, char sep) {
    char done[32], total[32];
    FormatSizeWith(done, (long long)bytes, -1, sep);
    FormatSizeWith(total, (long long)bytes_total, -1, sep);
    return std::string(copy ? "Copying " : "Moving ") + GroupedCount(items, sep) + " of " +
           GroupedCount(items_total, sep) + (items_total == 1 ? " item, " : " items, ") + done +
           " of " + total;
}
