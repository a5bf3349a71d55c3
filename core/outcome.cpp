#include "core/outcome.h"

#include <windows.h>
#include <cstdio>
#include <cstring>

#include "core/handles.h"
#include "core/paths.h"
#include "core/texts.h"

std::wstring LongPath(const std::string& path) {
    std::wstring wide = WideText(path.c_str());
    if (wide.empty()) return wide;
    while (wide.size() > 3 && wide.back() == L'\\')
        wide.pop_back();
    if (wide.size() >= 2 && wide[0] == L'\\' && wide[1] == L'\\')
        return L"\\\\?\\UNC\\" + wide.substr(2);
    if (wide.size() == 2 && wide[1] == L':') wide += L'\\';
    return L"\\\\?\\" + wide;
}

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

// Removes a file, or a folder with everything below it.
void RemoveWhole(const std::wstring& path, bool folder) {
    if (!folder) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return;
    }
    std::vector<std::wstring> folders{path};
    WalkTree(path, [&folders](const std::wstring& p, const WIN32_FIND_DATAW& fd) {
        if ((fd.dwFileAttributes & 0x410) == 0x10) {
            folders.push_back(p);
        } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveDirectoryW(p.c_str());  // a linked folder: the link alone goes
        } else {
            SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(p.c_str());
        }
    });
    // Parents were listed before their children: the deepest go first.
    for (auto it = folders.rbegin(); it != folders.rend(); ++it)
        RemoveDirectoryW(it->c_str());
}

bool ExistsWide(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string NameOf(const std::string& path) {
    size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string FolderOf(const std::string& path) {
    size_t cut = path.rfind('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string Count(unsigned long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// Whether `after` holds at least what `before` did. A destination may hold more than its
// source counted (the shell follows a linked folder that the count did not enter).
bool Holds(const TreeSummary& after, const TreeSummary& before) {
    if (!after.exists || after.folder != before.folder) return false;
    // A file may have grown while it was copied; one cut short is smaller.
    if (!before.folder) return after.bytes >= before.bytes;
    return after.files >= before.files && after.folders >= before.folders &&
           after.bytes >= before.bytes;
}

std::string Missing(const TreeSummary& after, const TreeSummary& before) {
    if (!before.folder)
        return std::to_string(after.bytes) + " of " + Count(before.bytes, "byte", "bytes");
    return std::to_string(after.files) + " of " + Count(before.files, "file", "files") + ", " +
           std::to_string(after.bytes) + " of " + Count(before.bytes, "byte", "bytes");
}

bool SameSummary(const TreeSummary& a, const TreeSummary& b) {
    return a.exists == b.exists && a.folder == b.folder && a.files == b.files &&
           a.folders == b.folders && a.bytes == b.bytes;
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

std::vector<Shortfall> CheckTransfer(const std::vector<TransferItem>& items, bool copy) {
    std::vector<Shortfall> out;
    for (const TransferItem& item : items) {
        std::wstring to = LongPath(item.to);
        TreeSummary after = SummarizeWide(to);
        // A moved source is gone when its name no longer opens the entry it was.
        TreeSummary source;
        if (!copy && (!item.has_id || StillThere(item.from, item.id)))
            source = Summarize(item.from);
        const std::string name = "\"" + NameOf(item.from) + "\"";
        bool arrived = Holds(after, item.before);
        if (copy) {
            if (arrived) continue;
            std::string line = name + " was not copied";
            if (after.exists) {
                // The destination's name was free when the job began: what is there now is
                // the job's own partial copy, and the source is untouched.
                RemoveWhole(to, after.folder);
                line += " whole (" + Missing(after, item.before) +
                        " arrived); the partial copy was removed";
            }
            out.push_back({item.from, item.to, line + "."});
            continue;
        }
        if (arrived && !source.exists) continue;
        std::string line;
        if (arrived) {
            line = name + " was copied to \"" + FolderOf(item.to) +
                   "\", but the original is still there";
        } else if (!after.exists) {
            line = name + " was not moved";
        } else if (!item.before.folder && SameSummary(source, item.before)) {
            RemoveWhole(to, false);
            line = name + " was not moved (" + Missing(after, item.before) +
                   " arrived); the partial copy was removed";
        } else {
            // Part of a folder has moved: nothing is removed, the user is told where it is.
            line = name + " was moved in part: some of it is still in \"" + FolderOf(item.from) +
                   "\", the rest is in \"" + FolderOf(item.to) + "\"";
        }
        out.push_back({item.from, item.to, line + "."});
    }
    return out;
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

std::string ShortfallText(const std::vector<Shortfall>& shortfalls, bool copy) {
    std::vector<std::string> lines;
    for (const Shortfall& s : shortfalls)
        lines.push_back(s.line);
    return (copy ? "Not everything was copied:\n\n" : "Not everything was moved:\n\n") +
           ListedLines(lines);
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
