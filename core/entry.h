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
#include "core/paths.h"

// Every entry's texts are followed by at least this many readable bytes (zeros at the end of
// a store), so that the order's keys read a name a word at a time.
constexpr size_t kTextSlack = 16;
extern const char kNoText[kTextSlack + 2];

// One entry of a folder as listed: what the list, its orders and the operations use, and how
// the entry is reached. Its name and short name live in the text store of the list that made
// it (see EntryList); a copy of the entry refers to the same texts and stays good while that
// list holds them. The creation and last-access times are not kept: the properties page, the
// only place that shows them, reads them from the disk.
struct FolderEntry {
  private:
    friend class EntryList;
    // The name, a zero byte, the short name and a zero byte.
    const char* text_ = kNoText;

  public:
    // The name as listed (for a find result without its folder), NUL-terminated.
    const char* name() const { return text_; }
    size_t name_length() const { return name_length_; }
    // The 8.3 name, "" when the platform gave none or the listing did not keep it (a folder's
    // read keeps it only for entries that are not reached by their own names).
    const char* short_name() const { return text_ + name_length_ + 1; }
    size_t short_name_length() const { return short_length_; }

    uint64_t size = 0;
    FILETIME last_write_time = {};
    DWORD attributes = 0;
    // For a find result, the place of its folder in its list's table of folders.
    DWORD folder = 0;
    // The entry's identity as listed (all zeros when the file system gave none); with
    // kReachShort, the identity that the short name was proved to open.
    FileId id;
    // kReachName, kReachShort or kReachNone, as the listing decided.
    unsigned char reach = kReachName;

  private:
    unsigned char short_length_ = 0;
    uint16_t name_length_ = 0;
};

// The kinds of entries every routine distinguishes, by the directory (0x10) and
// reparse-point (0x400) bits.
inline bool IsFolder(const FolderEntry& e) { return (e.attributes & 0x410) == 0x10; }
inline bool IsLinkedFolder(const FolderEntry& e) { return (e.attributes & 0x410) == 0x410; }
inline uint64_t EntrySize(const FolderEntry& e) { return e.size; }
inline void SetEntrySize(FolderEntry& e, uint64_t size) { e.size = size; }

// What an order made of a list depends on besides the entries' keys: it changes with every
// append, clear, swap and new folder of the list, and never comes back to a value it had.
struct EntryStamp {
    uint64_t epoch = 0;
    uint64_t changes = 0;
    bool operator==(const EntryStamp& o) const { return epoch == o.epoch && changes == o.changes; }
    bool operator!=(const EntryStamp& o) const { return !(*this == o); }
};

// The entry list owns its records, in the order of enumeration, and one store of their names:
// both grow in chunks, one allocation per chunk and none per entry, and nothing in them moves
// while the list holds it, so references to entries and names stay good until the list is
// cleared. depth and depth_limit belong to the recursive find.
class EntryList {
  public:
    EntryList();
    EntryList(const EntryList&) = delete;
    EntryList& operator=(const EntryList&) = delete;
    // A move or a swap hands over the whole list, its texts and its table of folders, without
    // copying an entry; references to the entries go with them. A list read elsewhere goes
    // into panel.entries after ReleaseEntries, since the view and a scan refer to its entries.
    EntryList(EntryList&& other) noexcept;
    EntryList& operator=(EntryList&& other) noexcept;
    void swap(EntryList& other) noexcept;
    ~EntryList() = default;

    // Releases every record and resets the depth. Callers that may race a size scan
    // stop it first (ReleaseEntries below does both for panel.entries).
    void clear();
    // Appends the record's entry (its folder place from dwReserved1) with how it is reached,
    // and its short name unless told not to; returns false (and adds nothing) when out of
    // memory.
    // The record is the program's own (FindRecord) or the platform's ANSI one, whose fields
    // have the same names.
    template <typename Record>
    bool append(const Record& record, const Reach& reach = Reach(), bool short_name = true) {
        FolderEntry* e = Add(
            record.cFileName, strnlen(record.cFileName, sizeof record.cFileName),
            record.cAlternateFileName,
            short_name ? strnlen(record.cAlternateFileName, sizeof record.cAlternateFileName) : 0);
        if (!e) return false;
        e->size = ((uint64_t)record.nFileSizeHigh << 32) | record.nFileSizeLow;
        e->last_write_time = record.ftLastWriteTime;
        e->attributes = record.dwFileAttributes;
        e->folder = record.dwReserved1;
        e->reach = reach.how;
        e->id = reach.id;
        return true;
    }
    // Appends a copy of an entry of any list, its texts copied into this list's store.
    bool append(const FolderEntry& entry);
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    FolderEntry* operator[](size_t i) const { return &chunks_[i / kChunk][i % kChunk]; }
    // Find results keep their folder apart from their name: the list holds a table of the
    // folders, and a result's `folder` field is its folder's place in it.
    unsigned AddFolder(const char* folder);
    // The folder at `index` of the table; "" when there is none.
    const char* Folder(unsigned index) const {
        return index < folders_.size() ? folders_[index].c_str() : "";
    }
    unsigned FolderCount() const { return (unsigned)folders_.size(); }
    EntryStamp stamp() const { return stamp_; }

    unsigned depth = 0;
    unsigned depth_limit = 100;

  private:
    // Adds an entry with these texts (name_length below kNameBytes, short_length below
    // kShortNameBytes); none when out of memory.
    FolderEntry* Add(const char* name, size_t name_length, const char* short_name,
                     size_t short_length);
    static constexpr size_t kChunk = 1024;
    static constexpr size_t kTextChunk = 64 * 1024;
    std::vector<std::unique_ptr<FolderEntry[]>> chunks_;
    size_t size_ = 0;
    std::vector<std::unique_ptr<char[]>> texts_;
    size_t text_used_ = kTextChunk;
    std::vector<std::string> folders_;
    EntryStamp stamp_;
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

// The longest folder path (in UTF-16 units) that can be listed: its pattern "\*" still fits
// the platform's longest path.
constexpr size_t kLongestListedFolder = kLongestPathUnits - 2;

// What a listing run as a job is told and tells: a flag that asks it to stop (read between
// records) and the count of entries listed so far.
struct ListControl {
    const std::atomic<bool>* stop = nullptr;
    std::atomic<size_t>* count = nullptr;
};

// Fills `list` with the entries of `path`. Returns 1 (list empty) when the path is longer
// than kLongestListedFolder, 2 when `control` asked it to stop (the list holds part of the folder),
// else 0; a folder that cannot be opened gives an empty list.
int ListFolder(EntryList& list, const char* path, const ListControl* control = nullptr);

// Orders two slots by mcfg.sort_column and mcfg.sort_dir; negative puts a first.
int CompareEntries(const ViewSlot* a, const ViewSlot* b);

// The same ordering with the column and direction given, for the sort itself.
int CompareEntriesBy(const FolderEntry* a, const FolderEntry* b, int column, int dir);

// What a view of a list was ordered by: the list's stamp, the column, the direction, the find
// mode, and a digest of every entry's kind and key in the list's order. While the list's stamp
// stays, an equal digest means an equal order: the names, the only keys longer than the digest
// takes in, change only with the stamp.
struct ViewOrder {
    EntryStamp stamp;
    int column = 0, dir = 0, find_mode = 0;
    uint64_t digest = 0;
    bool operator==(const ViewOrder& o) const {
        return stamp == o.stamp && column == o.column && dir == o.dir && find_mode == o.find_mode &&
               digest == o.digest;
    }
};

// Writes the entries of `list` into view[0, n) (n the list's size) in the order of
// CompareEntriesBy with the column and direction given; entries of equal keys keep the list's
// order. Each entry's key is taken once and held beside its reference in the view's own
// memory, so the sort compares keys in place and reads an entry again only where two texts
// share a whole key. The first slot's count is n, every other field of the slots 0; *made
// (when given) gets what the view was ordered by.
void OrderEntries(const EntryList& list, int column, int dir, ViewSlot* view,
                  ViewOrder* made = nullptr);
// The same for a list that is not panel.entries and on any thread: `find` says whether the
// names order as find results (their folder from panel.entries' table) or as a folder's own;
// nothing of the program's state is read.
void OrderEntries(const EntryList& list, int column, int dir, bool find, ViewSlot* view,
                  ViewOrder* made = nullptr);

// What a view of `list` in the order of the column and direction would be ordered by: one
// pass over the entries, which needs no memory.
ViewOrder OrderOf(const EntryList& list, int column, int dir);

// The name that goes into an entry's paths: its own, or its short name when that was proved
// to open it; none when the entry is not reached.
const char* ReachName(const FolderEntry& e);

// The full path of an entry: in find mode its folder (from panel.entries' table), else the
// folder that was read (panel.folder), a backslash and its name as ReachName gives it; a short
// name is proved again to open the entry. Returns false (out empty) when the entry is not
// reached, or when the result would pass the platform's longest path; `why` (when given) then
// gets the message that tells the user.
bool EntryPath(const FolderEntry& e, std::string* out, std::string* why = nullptr);

// The name of an entry as the list shows it: in find mode its folder (from panel.entries'
// table), a backslash and its name; else its name. "" for an entry without a name.
std::string ShownName(const FolderEntry& e);

// A job that writes into the entries (the size scan, whose totals go into its folders'
// entries) gives the routine that stops it; ReleaseEntries runs it before the entries go. A
// new order of the view leaves the entries as they are, and the job goes on. None: nothing to
// stop.
void SetEntriesWriterStop(void (*stop)());

// A job that fills the list from another thread (a search) gives the routine that gives it
// up; ReleaseEntries and every other change of what the list shows run it first.
void SetListJobStop(void (*stop)());
void StopListJobs();

// panel.view becomes `view` (made by Sort from panel.entries; none held before), with what it
// was ordered by when that is given.
void InstallView(ViewSlot* view, const ViewOrder* made = nullptr);

// Whether panel.view is in the order of the column and direction for panel.entries as they are
// now: it was ordered so, and no key has changed since; a sort would give the same rows.
bool ViewInOrder(int column, int dir);

// Releases panel.view.
void ReleaseView();

// Hands panel.view over to the caller, who owns it from then on; panel.view is none.
ViewSlot* TakeView();

// Clears panel.entries (and the view that refers to them), after stopping a size scan.
void ReleaseEntries();
