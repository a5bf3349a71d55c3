// The entries of a folder as listed, the rows of their sorted view, their order and paths.
#pragma once

#include <windows.h>
#include <cstddef>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/names.h"

// One entry of a folder: a byte-for-byte copy of the platform's find record, and how the
// entry is reached.
struct FolderEntry {
    DWORD attributes;
    FILETIME creation_time;
    FILETIME last_access_time;
    FILETIME last_write_time;
    DWORD size_high;
    DWORD size_low;
    DWORD reserved0;
    DWORD reserved1;
    char name[MAX_PATH];
    char short_name[14];
    // kReachName, kReachShort or kReachNone, as the listing decided; with kReachShort the
    // identity that the short name was proved to open.
    unsigned char reach;
    FileId id;
};

// The kinds of entries every routine distinguishes, by the directory (0x10) and
// reparse-point (0x400) bits.
inline bool IsFolder(const FolderEntry& e) { return (e.attributes & 0x410) == 0x10; }
inline bool IsLinkedFolder(const FolderEntry& e) { return (e.attributes & 0x410) == 0x410; }
inline uint64_t EntrySize(const FolderEntry& e) {
    return ((uint64_t)e.size_high << 32) | e.size_low;
}
inline void SetEntrySize(FolderEntry& e, uint64_t size) {
    e.size_high = (DWORD)(size >> 32);
    e.size_low = (DWORD)(size & 0xFFFFFFFFu);
}

// The entry list owns its records, in the order of enumeration.
// depth and depth_limit belong to the recursive find.
class EntryList {
  public:
    EntryList() = default;
    EntryList(const EntryList&) = delete;
    EntryList& operator=(const EntryList&) = delete;
    ~EntryList() { release(); }

    // Releases every record and resets the depth. Callers that may race a size scan
    // stop it first (ReleaseEntries below does both for mcfg.entries).
    void clear() {
        release();
        depth = 0;
    }
    // Appends a copy of the record with how it is reached; returns false (and adds nothing)
    // when out of memory.
    bool append(const WIN32_FIND_DATAA& record, const Reach& reach = Reach());
    bool append(const FolderEntry& entry);
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    FolderEntry* operator[](size_t i) const { return items_[i]; }
    // Find results keep their folder apart from their name: the list holds a table of the
    // folders, and a result's `reserved1` field is its folder's place in it.
    unsigned AddFolder(const char* folder);
    // The folder at `index` of the table; "" when there is none.
    const char* Folder(unsigned index) const {
        return index < folders_.size() ? folders_[index].c_str() : "";
    }
    unsigned FolderCount() const { return (unsigned)folders_.size(); }
    // Exchanges the records of two lists, which keep their addresses.
    void swap(EntryList& other) {
        items_.swap(other.items_);
        chunks_.swap(other.chunks_);
        std::swap(used_, other.used_);
        folders_.swap(other.folders_);
        std::swap(depth, other.depth);
        std::swap(depth_limit, other.depth_limit);
    }

    unsigned depth = 0;
    unsigned depth_limit = 100;

  private:
    void release();
    // A place for one more record at the end; none when out of memory.
    FolderEntry* Slot();
    // The records live in chunks of kChunk, filled in order: one allocation per chunk, not
    // per record, and their addresses never move while the list holds them.
    static constexpr size_t kChunk = 512;
    std::vector<FolderEntry*> items_;
    std::vector<std::unique_ptr<FolderEntry[]>> chunks_;
    size_t used_ = 0;
    std::vector<std::string> folders_;
};

// One row of the sorted view. The first slot carries the row count.
struct ViewSlot {
    FolderEntry* entry;
    unsigned count;
    double start;
    double sweep;
};

// Number of rows of a view array (none counts as zero rows).
inline unsigned ViewCount(const ViewSlot* view) { return view ? view[0].count : 0; }

// The longest folder path that can be listed: its pattern "\*.*" still fits 259 characters.
constexpr size_t kLongestListedFolder = MAX_PATH - 5;

// What a listing run as a job is told and tells: a flag that asks it to stop (read between
// records) and the count of entries listed so far.
struct ListControl {
    const std::atomic<bool>* stop = nullptr;
    std::atomic<size_t>* count = nullptr;
};

// Fills `list` with the entries of `path`. Returns 1 (list empty) when the path is longer
// than 255 characters, 2 when `control` asked it to stop (the list holds part of the folder),
// else 0; a folder that cannot be opened gives an empty list.
int ListFolder(EntryList& list, const char* path, const ListControl* control = nullptr);

// Orders two slots by mcfg.sort_column and mcfg.sort_dir; negative puts a first.
int CompareEntries(const ViewSlot* a, const ViewSlot* b);

// The same ordering with the column and direction given, for the sort itself.
int CompareEntriesBy(const FolderEntry* a, const FolderEntry* b, int column, int dir);

// Orders the n slots of `view` by CompareEntriesBy with the column and direction given;
// the first slot's count is n afterwards. The part of Sort that tests and benchmarks time.
void OrderView(ViewSlot* view, size_t n, int column, int dir);


// The name that goes into an entry's paths: its own, or its short name when that was proved
// to open it; none when the entry is not reached.
const char* ReachName(const FolderEntry& e);

// The full path of an entry: in find mode its folder (from mcfg.entries' table), else the
// folder that was read (mcfg.folder), a backslash and its name as ReachName gives it; a short
// name is proved again to open the entry. Returns false (out empty) when the entry is not
// reached, or when the result would not fit `size` bytes or 259 characters; `why` (when
// given) then gets the message that tells the user.
bool EntryPath(const FolderEntry& e, char* out, size_t size, std::string* why = nullptr);

// The name of an entry as the list shows it: in find mode its folder (from mcfg.entries'
// table), a backslash and its name; else its name. False (out empty) when it does not fit.
bool ShownName(const FolderEntry& e, char* out, size_t size);

// A job that writes into the entries (the size scan, whose totals go into its folders'
// entries) gives the routine that stops it; ReleaseEntries runs it before the entries go. A
// new order of the view leaves the entries as they are, and the job goes on. None: nothing to
// stop.
void SetEntriesWriterStop(void (*stop)());

// A job that fills the list from another thread (a search) gives the routine that gives it
// up; ReleaseEntries and every other change of what the list shows run it first.
void SetListJobStop(void (*stop)());
void StopListJobs();

// mcfg.view becomes `view` (made by Sort from mcfg.entries; none held before).
void InstallView(ViewSlot* view);

// Releases mcfg.view.
void ReleaseView();

// Clears mcfg.entries (and the view that refers to them), after stopping a size scan.
void ReleaseEntries();
