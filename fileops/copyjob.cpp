#include "fileops/copyjob.h"

#include <windows.h>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/handles.h"
#include "core/names.h"
#include "core/outcome.h"
#include "core/paths.h"

std::function<void(const std::wstring& destination)> copy_job_before_file;

namespace {

// The attributes a copy keeps; the rest (compression, sparseness, links) belong to the file
// system, not to the file.
const DWORD kKeptAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                              FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The size of each read and write. Measured under Wine on a 2 GB file: 256 KiB chunks copied
// it in 0.6-0.7 s where 1 MiB took 0.6-1.3 s and 2-16 MiB 1.4-3 s (a chunk that no longer
// fits the processor's cache is copied through memory twice), and CopyFileA 0.8-1.3 s. A stop
// asked within a file is seen after at most one chunk.
const DWORD kChunk = 256u << 10;

bool HandleIdentity(HANDLE h, FileId* id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) return false;
    id->volume = info.dwVolumeSerialNumber;
    id->high = info.nFileIndexHigh;
    id->low = info.nFileIndexLow;
    return true;
}

bool WideIdentity(const std::wstring& path, FileId* id) {
    Handle h(CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h && HandleIdentity(h.get(), id);
}

// The file's index on its volume. The volume's serial number, which the platform's full
// answer adds, costs ten times the copy of a small file to ask (under Wine it is asked of the
// mount manager each time); the files one job compares lie on the volume of the one folder
// they were found or made in, so the index alone tells them apart.
using IndexQuery = LONG(NTAPI*)(HANDLE, void* status, void* info, ULONG size, ULONG kind);
bool FileIndex(HANDLE h, unsigned long long* index) {
    static IndexQuery query =
        (IndexQuery)(void*)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile");
    if (query) {
        ULONG_PTR status[2] = {};
        LARGE_INTEGER number = {};
        const ULONG kFileInternalInformation = 6;
        if (query(h, status, &number, sizeof number, kFileInternalInformation) == 0) {
            *index = (unsigned long long)number.QuadPart;
            return true;
        }
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) return false;
    *index = ((unsigned long long)info.nFileIndexHigh << 32) | info.nFileIndexLow;
    return true;
}

std::tuple<DWORD, DWORD, DWORD> Key(const FileId& id) {
    return std::make_tuple(id.volume, id.high, id.low);
}

// Attributes and the time of the last write, set through the handle, so that they reach the
// file the handle proves and no other.
bool SetBasic(HANDLE h, DWORD attributes, const FILETIME* last_write) {
    FILE_BASIC_INFO basic = {};
    if (last_write) {
        basic.LastWriteTime.LowPart = last_write->dwLowDateTime;
        basic.LastWriteTime.HighPart = (LONG)last_write->dwHighDateTime;
    }
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(h, FileBasicInfo, &basic, sizeof basic) != 0;
}

// Removes the file of an open handle (opened with DELETE access) when the handle closes.
bool DeleteOnClose(HANDLE h) {
    FILE_DISPOSITION_INFO gone = {TRUE};
    return SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone) != 0;
}

// Removes the file at `path` when it is still the file of index `index`: the proof and the
// removal go through one handle. A read-only file loses that attribute first.
bool RemoveFileOf(const std::wstring& path, unsigned long long index) {
    Handle h(CreateFileW(path.c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                         kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    unsigned long long now = 0;
    if (!h || !FileIndex(h.get(), &now) || now != index) return false;
    SetBasic(h.get(), FILE_ATTRIBUTE_NORMAL, nullptr);
    return DeleteOnClose(h.get());
}

// Removes the folder at `path` when it is still the folder of identity `id` and is empty.
bool RemoveFolderOf(const std::wstring& path, const FileId& id) {
    FileId now;
    return WideIdentity(path, &now) && now == id && RemoveDirectoryW(path.c_str());
}

std::string ErrorText(DWORD error) {
    char text[256] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             error, 0, text, sizeof text, nullptr);
    std::string s(text, n);
    while (!s.empty() &&
           (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    if (s.empty()) s = "error " + std::to_string(error);
    if (!s.empty() && s[0] >= 'A' && s[0] <= 'Z') s[0] = (char)(s[0] - 'A' + 'a');
    return s;
}

std::string NameOf(const std::string& path) {
    size_t cut = path.rfind('\\');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string Count(unsigned long long n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

enum Result { kDone, kTaken, kFailed, kStopped };

// Something the job made, or (for a move across volumes) a source it copied, with the
// identity that proves it: a folder's whole identity, a file's index.
struct Entry {
    std::wstring path;
    FileId id;
    bool folder;
    unsigned long long index = 0;
};

// One source of the job, copied file by file.
class ItemCopy {
  public:
    ItemCopy(CopyCounts& counts, std::vector<char>& buffer,
             std::set<std::tuple<DWORD, DWORD, DWORD>>& forbidden)
        : counts_(counts), buffer_(buffer), forbidden_(forbidden) {}

    // Copies one file to a new file `to`; `source` records it for removal after a move.
    Result File(const std::wstring& from, const std::wstring& to, bool source) {
        if (counts_.stop) return kStopped;
        // No FILE_FLAG_SEQUENTIAL_SCAN: under Wine it made a 2 GB copy 1.5-3x slower (the
        // larger read-ahead it asks of the system) and saved nothing measurable on small files.
        Handle in(
            CreateFileW(from.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
        FILE_BASIC_INFO info;
        if (!in || !GetFileInformationByHandleEx(in.get(), FileBasicInfo, &info, sizeof info))
            return Fail(GetLastError());
        if (copy_job_before_file) copy_job_before_file(to);
        // Made only where no entry of that name exists: a name taken meanwhile is never written.
        Handle out(CreateFileW(
            to.c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0,
            nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out) {
            DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) return kTaken;
            return Fail(error);
        }
        // From here on the file is the job's own, and this handle proves it: whatever goes
        // wrong, the file goes through it.
        unsigned long long written = 0;
        Result result = kDone;
        for (;;) {
            if (counts_.stop) {
                result = kStopped;
                break;
            }
            DWORD got = 0, put = 0;
            if (!ReadFile(in.get(), buffer_.data(), kChunk, &got, nullptr)) {
                result = Fail(GetLastError());
                break;
            }
            if (got == 0) break;
            if (!WriteFile(out.get(), buffer_.data(), got, &put, nullptr) || put != got) {
                result = Fail(GetLastError());
                break;
            }
            written += got;
            counts_.bytes += got;
            // A read short of the chunk has reached the end of a file on a disk.
            if (got < kChunk) break;
        }
        unsigned long long index = 0, from_index = 0;
        if (result == kDone &&
            (!FileIndex(out.get(), &index) || (source && !FileIndex(in.get(), &from_index))))
            result = Fail(GetLastError());
        if (result == kDone) {
            // A file that keeps no attribute is "normal"; read-only is set last, through the
            // handle that still writes.
            DWORD attributes = info.FileAttributes & kKeptAttributes;
            FILETIME last_write = {(DWORD)info.LastWriteTime.LowPart,
                                   (DWORD)info.LastWriteTime.HighPart};
            last_.index = index;
            last_.size = written;
            last_.timed = SetBasic(out.get(), attributes, &last_write);
            if (!last_.timed) SetBasic(out.get(), attributes, nullptr);
            last_.written = last_write;
            made_.push_back({to, FileId(), false, index});
            if (source) sources_.push_back({from, FileId(), false, from_index});
            files_++;
            bytes_ += written;
            counts_.items++;
            return kDone;
        }
        if (!DeleteOnClose(out.get())) {
            // The platform takes no removal through the handle: the file goes by its name once
            // the name is proved to open it still.
            unsigned long long mine = 0;
            bool known = FileIndex(out.get(), &mine);
            out.reset();
            if (known) RemoveFileOf(to, mine);
        }
        out.reset();
        partial_ = written;
        counts_.bytes -= written;
        return result;
    }

    // Makes the folder `to` and fills it with what `from` holds, file by file. A linked folder
    // is copied as what it links to; its own contents are never removed after a move.
    Result Folder(const std::wstring& from, const std::wstring& to, bool source, bool linked) {
        if (counts_.stop) return kStopped;
        FileId from_id;
        bool known = WideIdentity(from, &from_id);
        // A folder that is the destination, or one this job made, or one it is inside of,
        // reached again through a link: copying it would go on for ever.
        if (known && forbidden_.count(Key(from_id))) {
            note_ = "it holds a link to a folder that it would go into";
            return Fail(ERROR_CIRCULAR_DEPENDENCY);
        }
        if (!CreateDirectoryW(to.c_str(), nullptr)) {
            DWORD error = GetLastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return kTaken;
            return Fail(error);
        }
        FileId made_id;
        if (WideIdentity(to, &made_id)) {
            made_.push_back({to, made_id, true, 0});
            forbidden_.insert(Key(made_id));
        }
        counts_.items++;
        if (known) forbidden_.insert(Key(from_id));
        if (source && known) sources_.push_back({from, from_id, true, 0});

        struct Child {
            std::wstring name;
            DWORD attributes;
        };
        std::vector<Child> children;
        {
            WIN32_FIND_DATAW fd;
            FindHandle find(FindFirstFileExW((from + L"\\*").c_str(), FindExInfoBasic, &fd,
                                             FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
            if (!find) return Fail(GetLastError());
            do {
                const WCHAR* n = fd.cFileName;
                if (n[0] == L'.' && (n[1] == 0 || (n[1] == L'.' && n[2] == 0))) continue;
                children.push_back({n, fd.dwFileAttributes});
            } while (FindNextFileW(find.get(), &fd));
        }
        Result result = kDone;
        for (const Child& child : children) {
            std::wstring child_from = from + L"\\" + child.name, child_to = to + L"\\" + child.name;
            bool link = (child.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (child.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (link && source && !linked) {
                    FileId link_id;
                    if (WideIdentity(child_from, &link_id))
                        links_.push_back({child_from, link_id, true, 0});
                }
                result = Folder(child_from, child_to, source && !linked && !link, linked || link);
            } else {
                result = File(child_from, child_to, source && !linked);
            }
            if (result == kTaken) {
                // Another program made this name in the folder the job has just made.
                note_ = "another program made an entry of a name it holds meanwhile";
                result = Fail(ERROR_FILE_EXISTS);
            }
            if (result != kDone) break;
        }
        if (known) forbidden_.erase(Key(from_id));
        return result;
    }

    // Removes what this source's copy made, the deepest first; only what still is what the
    // job made, and no folder that holds anything else.
    void RemoveMade() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            if (it->folder) {
                forbidden_.erase(Key(it->id));
                RemoveFolderOf(it->path, it->id);
            } else {
                RemoveFileOf(it->path, it->index);
            }
        }
        made_.clear();
    }

    // Removes a moved source once all of it has arrived: each file and folder only while it
    // is still what was copied. True when all of it went.
    bool RemoveSources() {
        bool all = true;
        for (const Entry& link : links_)
            all = RemoveFolderOf(link.path, link.id) && all;
        for (auto it = sources_.rbegin(); it != sources_.rend(); ++it)
            all = (it->folder ? RemoveFolderOf(it->path, it->id)
                              : RemoveFileOf(it->path, it->index)) &&
                  all;
        return all;
    }

    Result Fail(DWORD error) {
        if (!error_) error_ = error;
        return kFailed;
    }
    std::string Reason() const { return note_.empty() ? ErrorText(error_) : note_; }
    bool MadeAny() const { return !made_.empty() || partial_ > 0; }
    // The entry this source's copy made at `path` (on the volume `volume`), as it was left.
    bool Made(const std::string& path, DWORD volume, UndoItem* item) const {
        if (made_.empty()) return false;
        const Entry& top = made_.front();
        item->path = path;
        if (top.folder) {
            item->id = top.id;
            item->folder = true;
            return true;
        }
        if (!last_.timed) return UndoItemOn(path, volume, item);
        item->id.volume = volume;
        item->id.high = (DWORD)(top.index >> 32);
        item->id.low = (DWORD)top.index;
        item->size = last_.size;
        item->written = last_.written;
        return true;
    }
    unsigned long long files() const { return files_; }
    unsigned long long bytes() const { return bytes_ + partial_; }

  private:
    CopyCounts& counts_;
    std::vector<char>& buffer_;
    std::set<std::tuple<DWORD, DWORD, DWORD>>& forbidden_;
    std::vector<Entry> made_, sources_, links_;
    unsigned long long files_ = 0, bytes_ = 0, partial_ = 0;
    // The last file made whole: its index, size and the write time it was given.
    struct {
        unsigned long long index = 0, size = 0;
        FILETIME written = {};
        bool timed = false;
    } last_;
    DWORD error_ = 0;
    std::string note_;
};

std::string Missing(const ItemCopy& item, const TreeSummary& before) {
    if (!before.folder)
        return std::to_string(item.bytes()) + " of " + Count(before.bytes, "byte", "bytes") +
               " arrived";
    return std::to_string(item.files()) + " of " + Count(before.files, "file", "files") + ", " +
           std::to_string(item.bytes()) + " of " + Count(before.bytes, "byte", "bytes") +
           " arrived";
}

}  // namespace

void CopyInto(const std::vector<std::string>& sources, const std::string& folder, bool copy,
              CopyCounts& counts, CopyReport& report, const std::string& only_name) {
    counts.phase = 1;
    counts.names = sources.size();
    // "Inside" is decided on the folders themselves, so that no other name of a folder (a
    // linked folder, "..", a short name) lets it go into its own tree.
    FolderChain chain(folder);
    // What the plan read of each source, so that "inside" and the summary of a file ask the
    // platform nothing more: of three reads per file, two are saved.
    std::unordered_map<std::string, WIN32_FILE_ATTRIBUTE_DATA> seen;
    auto within = [&chain, &seen](const std::string&, const std::string& source) {
        auto it = seen.find(source);
        DWORD attributes = it != seen.end() ? it->second.dwFileAttributes : PathAttributes(source);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
               chain.Holds(source);
    };
    // Through the "\\?\" forms, so that sources past 259 characters are found; the plan has
    // refused every step the path rules would read as another name before it asks.
    auto exists = [&seen](const std::string& path) {
        std::wstring wide = LongPath(path);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (wide.empty() || !GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
            return false;
        seen[path] = data;
        return true;
    };
    // No listing of the destination: the planned name is tried first, by a create-new that
    // pays for a name that is not there once, as a plain copy does; only a name found taken
    // sends the item on to the next free name, and a taken name costs microseconds to learn.
    TransferPlan plan = PlanTransfer(
        sources, folder, copy, exists, within, [](const std::string&) { return false; },
        [&counts] { return counts.stop.load(); });
    report.left_out = std::move(plan.left_out);
    report.planned = plan.from.size() + plan.not_planned;
    if (plan.not_planned) {
        // Stopped while planning: nothing is begun.
        report.stopped = true;
        report.not_begun = report.planned;
        return;
    }
    if (plan.from.empty()) return;
    if (!only_name.empty()) {
        if (plan.from.size() != 1) return;
        plan.to[0] = plan.to[0].substr(0, plan.to[0].rfind('\\') + 1) + only_name;
    }

    std::vector<TreeSummary> before;
    before.reserve(plan.from.size());
    unsigned long long items = 0, bytes = 0;
    for (const std::string& from : plan.from) {
        if (counts.stop) break;
        auto it = seen.find(from);
        if (it != seen.end() && !(it->second.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            TreeSummary file;
            file.exists = true;
            file.files = 1;
            file.bytes =
                ((unsigned long long)it->second.nFileSizeHigh << 32) | it->second.nFileSizeLow;
            before.push_back(file);
        } else {
            before.push_back(Summarize(from));
        }
        items += before.back().folder ? before.back().files + before.back().folders + 1 : 1;
        bytes += before.back().bytes;
    }
    counts.items_total = items;
    counts.bytes_total = bytes;
    counts.phase = 2;

    // The names given to the sources of the plan, and every name found taken meanwhile: a
    // source that needs another name takes none of these.
    std::unordered_set<std::wstring> reserved;
    auto fold = [](const std::string& n) { return FoldedName(WideText(n.c_str())); };
    for (const std::string& to : plan.to)
        reserved.insert(fold(NameOf(to)));
    std::string target = plan.to[0].substr(0, plan.to[0].rfind('\\'));
    auto taken = [&](const std::string& n) { return reserved.count(fold(n)) > 0; };
    std::vector<char> buffer(kChunk);
    std::set<std::tuple<DWORD, DWORD, DWORD>> forbidden;
    FileId target_id;
    if (WideIdentity(LongPath(target), &target_id)) forbidden.insert(Key(target_id));

    for (size_t i = 0; i < plan.from.size(); i++) {
        if (counts.stop || i >= before.size()) {
            report.stopped = true;
            report.not_begun = plan.from.size() - i;
            break;
        }
        const std::string& from = plan.from[i];
        std::wstring wide_from = LongPath(from);
        std::string name = NameOf(plan.to[i]);
        ItemCopy item(counts, buffer, forbidden);
        Result result = kFailed;
        bool renamed = false;
        // Each taken name costs one failed create; FreeName gives up after as many.
        for (int attempt = 0; attempt < 1000; attempt++) {
            std::wstring to = LongPath(target + "\\" + name);
            result = kFailed;
            bool across = copy;
            if (!copy) {
                if (copy_job_before_file) copy_job_before_file(to);
                // A rename never replaces: without MOVEFILE_REPLACE_EXISTING a taken name fails.
                if (MoveFileExW(wide_from.c_str(), to.c_str(), 0)) {
                    result = kDone;
                    renamed = true;
                } else {
                    DWORD error = GetLastError();
                    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
                        result = kTaken;
                    else if (error == ERROR_NOT_SAME_DEVICE)
                        across = true;
                    else
                        item.Fail(error);
                }
            }
            if (across)
                result = before[i].folder ? item.Folder(wide_from, to, !copy, false)
                                          : item.File(wide_from, to, !copy);
            if (result != kTaken || !only_name.empty()) break;
            reserved.insert(fold(name));
            name = FreeName(NameOf(from), copy, taken);
            if (name.empty()) {
                item.Fail(ERROR_FILE_EXISTS);
                result = kFailed;
                break;
            }
        }
        reserved.insert(fold(name));
        if (result == kTaken) result = item.Fail(ERROR_FILE_EXISTS);
        const std::string quoted = "\"" + NameOf(from) + "\"";
        UndoItem left;
        if (result == kDone && renamed) {
            counts.items += before[i].folder ? before[i].files + before[i].folders + 1 : 1;
            counts.bytes += before[i].bytes;
            report.arrived.push_back(name);
            report.moved.emplace_back(from, target + "\\" + name);
            if (UndoItemOn(target + "\\" + name, target_id.volume, &left)) {
                left.back = from;
                report.made.push_back(std::move(left));
            }
            continue;
        }
        if (result == kDone) {
            report.arrived.push_back(name);
            report.moved.emplace_back(from, target + "\\" + name);
            if (item.Made(target + "\\" + name, target_id.volume, &left)) {
                left.back = from;
                report.made.push_back(std::move(left));
            }
            if (!copy && !item.RemoveSources())
                report.short_of.push_back(quoted + " was copied to \"" + target +
                                          "\", but the original is still there, in whole or in "
                                          "part.");
            continue;
        }
        if (result == kStopped) {
            report.stopped = true;
            report.not_begun = plan.from.size() - i - 1;
            // A copy keeps the files that arrived whole; a move takes its part copy back, so
            // that the source stays the one whole place of the files.
            if (copy && before[i].folder && item.files() > 0) {
                report.arrived.push_back(name);
                report.short_of.push_back(quoted + " was copied in part (" +
                                          Missing(item, before[i]) +
                                          ") when the copy was stopped.");
            } else {
                item.RemoveMade();
                report.short_of.push_back(quoted + (copy ? " was not copied" : " was not moved") +
                                          ": the job was stopped.");
            }
            break;
        }
        std::string line = quoted + (copy ? " was not copied" : " was not moved");
        if (item.MadeAny()) {
            item.RemoveMade();
            line += (copy ? " whole (" : " (") + Missing(item, before[i]) + "; " + item.Reason() +
                    "); the partial copy was removed.";
        } else {
            line += ": " + item.Reason() + ".";
        }
        report.short_of.push_back(line);
    }
}
