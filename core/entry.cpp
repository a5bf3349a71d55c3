#include "core/entry.h"

#include "core/log.h"
#include "core/mcfg.h"
#include "core/paths.h"

#include <cstddef>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

// Every record of the platform is copied whole into the start of a FolderEntry, so the two
// must agree in the place of every field.
static_assert(sizeof(FolderEntry) > sizeof(WIN32_FIND_DATAA), "FolderEntry size");
static_assert(offsetof(FolderEntry, attributes) == offsetof(WIN32_FIND_DATAA, dwFileAttributes),
              "attributes");
static_assert(offsetof(FolderEntry, creation_time) == offsetof(WIN32_FIND_DATAA, ftCreationTime),
              "creation_time");
static_assert(offsetof(FolderEntry, last_access_time) ==
                  offsetof(WIN32_FIND_DATAA, ftLastAccessTime),
              "last_access_time");
static_assert(offsetof(FolderEntry, last_write_time) == offsetof(WIN32_FIND_DATAA, ftLastWriteTime),
              "last_write_time");
static_assert(offsetof(FolderEntry, size_high) == offsetof(WIN32_FIND_DATAA, nFileSizeHigh),
              "size_high");
static_assert(offsetof(FolderEntry, size_low) == offsetof(WIN32_FIND_DATAA, nFileSizeLow),
              "size_low");
static_assert(offsetof(FolderEntry, reserved0) == offsetof(WIN32_FIND_DATAA, dwReserved0),
              "reserved0");
static_assert(offsetof(FolderEntry, reserved1) == offsetof(WIN32_FIND_DATAA, dwReserved1),
              "reserved1");
static_assert(offsetof(FolderEntry, name) == offsetof(WIN32_FIND_DATAA, cFileName), "name");
static_assert(sizeof(FolderEntry::name) == sizeof(WIN32_FIND_DATAA::cFileName), "name size");
static_assert(offsetof(FolderEntry, short_name) == offsetof(WIN32_FIND_DATAA, cAlternateFileName),
              "short_name");
static_assert(sizeof(FolderEntry::short_name) == sizeof(WIN32_FIND_DATAA::cAlternateFileName),
              "short_name size");

namespace {

template <typename T> int Order(T a, T b) { return a < b ? -1 : a > b ? 1 : 0; }

inline unsigned char Fold(unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; }

// Byte-by-byte comparison with the ASCII capitals folded to lower case. Names are bounded by
// their record, so the walk stops at the record's end even without a terminating zero.
int CompareFolded(const char* a, const char* b, size_t limit) {
    for (size_t i = 0; i < limit; i++) {
        unsigned char x = Fold((unsigned char)a[i]), y = Fold((unsigned char)b[i]);
        if (x != y) return x < y ? -1 : 1;
        if (!x) return 0;
    }
    return 0;
}

// The same over two texts of known lengths; the shorter one first when one is the start of
// the other.
int CompareFoldedN(const char* a, size_t la, const char* b, size_t lb) {
    size_t n = std::min(la, lb);
    for (size_t i = 0; i < n; i++) {
        unsigned char x = Fold((unsigned char)a[i]), y = Fold((unsigned char)b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return Order(la, lb);
}

// The type key of a name: from its last dot on, or "" when it has none. A name without a dot
// thus has the empty type, which orders before every other type.
const char* TypeKey(const FolderEntry& e, size_t* limit) {
    size_t n = strnlen(e.name, sizeof e.name);
    for (size_t i = n; i-- > 0;) {
        if (e.name[i] == '.') {
            *limit = n - i;
            return e.name + i;
        }
    }
    *limit = 0;
    return "";
}

// The characters of a find result's shown text, folder, backslash and name, one at a time,
// without composing it: the order of find results compares them as one text.
class ShownText {
  public:
    explicit ShownText(const FolderEntry& e) : e_(e), at_(mcfg.entries.Folder(e.reserved1)) {}
    unsigned char Next() {
        if (stage_ == 0) {
            if (*at_) return (unsigned char)*at_++;
            stage_ = 1;
            return '\\';
        }
        if (stage_ == 1) {
            stage_ = 2;
            at_ = e_.name;
            end_ = e_.name + sizeof e_.name;
        }
        return at_ < end_ && *at_ ? (unsigned char)*at_++ : 0;
    }

  private:
    const FolderEntry& e_;
    const char* at_;
    const char* end_ = nullptr;
    int stage_ = 0;
};

// CompareFolded over two find results' shown texts.
int CompareShownFolded(const FolderEntry& a, const FolderEntry& b) {
    ShownText x(a), y(b);
    for (;;) {
        unsigned char p = Fold(x.Next()), q = Fold(y.Next());
        if (p != q) return p < q ? -1 : 1;
        if (!p) return 0;
    }
}

uint64_t FileTimeValue(const FILETIME& t) {
    return ((uint64_t)t.dwHighDateTime << 32) | t.dwLowDateTime;
}

}  // namespace

bool EntryList::append(const WIN32_FIND_DATAA& record, const Reach& reach) {
    FolderEntry* e = Slot();
    if (!e) return false;
    memcpy((void*)e, &record, sizeof record);
    e->reach = reach.how;
    e->id = reach.how == kReachShort ? reach.id : FileId{};
    return true;
}

bool EntryList::append(const FolderEntry& entry) {
    FolderEntry* e = Slot();
    if (!e) return false;
    *e = entry;
    return true;
}

FolderEntry* EntryList::Slot() {
    if (chunks_.empty() || used_ == kChunk) {
        std::unique_ptr<FolderEntry[]> chunk(new (std::nothrow) FolderEntry[kChunk]);
        if (!chunk) return nullptr;
        try {
            chunks_.push_back(std::move(chunk));
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        used_ = 0;
    }
    FolderEntry* e = &chunks_.back()[used_];
    try {
        items_.push_back(e);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    used_++;
    return e;
}

unsigned EntryList::AddFolder(const char* folder) {
    folders_.emplace_back(folder ? folder : "");
    return (unsigned)(folders_.size() - 1);
}

void EntryList::release() {
    items_.clear();
    folders_.clear();
    chunks_.clear();
    used_ = 0;
}

namespace {

// A short name that another entry of the listing has too, as its name or its short name,
// may open that other entry: it is never used.
void RefuseSharedShortNames(EntryList& list) {
    auto folded = [](const char* text, size_t limit) {
        std::string key(text, strnlen(text, limit));
        for (char& c : key)
            if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
        return key;
    };
    std::unordered_map<std::string, size_t> proved;
    for (size_t i = 0; i < list.size(); i++)
        if (list[i]->reach == kReachShort)
            proved.emplace(folded(list[i]->short_name, sizeof list[i]->short_name), i);
    auto refuse_other = [&](const std::string& key, size_t owner) {
        auto found = proved.find(key);
        if (found != proved.end() && found->second != owner) list[found->second]->reach = kReachNone;
    };
    for (size_t i = 0; i < list.size(); i++) {
        const FolderEntry& e = *list[i];
        refuse_other(folded(e.name, sizeof e.name), i);
        if (e.short_name[0]) refuse_other(folded(e.short_name, sizeof e.short_name), i);
    }
}

}  // namespace

int ListFolder(EntryList& list, const char* path, const ListControl* control) {
    if (&list == &mcfg.entries)
        ReleaseEntries();
    else
        list.clear();
    // The pattern "\*.*" of a 255-character folder still fits 259 characters.
    if (!path || strlen(path) > kLongestListedFolder) return 1;

    char buffer[MAX_PATH];
    size_t length = strlen(path);
    memcpy(buffer, path, length + 1);
    WIN32_FIND_DATAA record;
    // A record that cannot be stored is left out; the others still are.
    size_t by_short = 0;
    bool stopped = false;
    WalkFolder(buffer, length, record, [&](const WIN32_FIND_DATAA& r, const Reach& reach) {
        if (control && control->stop && control->stop->load(std::memory_order_relaxed)) {
            stopped = true;
            return false;
        }
        if (list.append(r, reach) && reach.how == kReachShort) by_short++;
        if (control && control->count) control->count->store(list.size(), std::memory_order_relaxed);
        return true;
    });
    if (by_short) RefuseSharedShortNames(list);
    return stopped ? 2 : 0;
}

int CompareEntriesBy(const FolderEntry* a, const FolderEntry* b, int column, int dir) {
    if (!a || !b) return 0;
    // Folders first in both directions; the reparse-point bit plays no part.
    bool folder_a = (a->attributes & 0x10) != 0, folder_b = (b->attributes & 0x10) != 0;
    if (folder_a != folder_b) return folder_a ? -1 : 1;

    int r = 0;
    switch (column) {
    case 0:
        r = mcfg.find_mode ? CompareShownFolded(*a, *b)
                           : CompareFolded(a->name, b->name, sizeof a->name);
        return dir ? r : -r;
    case 1: r = Order(EntrySize(*a), EntrySize(*b)); return dir ? -r : r;
    case 2:
        r = Order(FileTimeValue(a->last_write_time), FileTimeValue(b->last_write_time));
        return dir ? -r : r;
    case 3: {
        size_t la, lb;
        const char* ta = TypeKey(*a, &la);
        const char* tb = TypeKey(*b, &lb);
        r = CompareFoldedN(ta, la, tb, lb);
        return dir ? r : -r;
    }
    case 4: r = Order(a->attributes, b->attributes); return dir ? -r : r;
    default: return 0;
    }
}

int CompareEntries(const ViewSlot* a, const ViewSlot* b) {
    if (!a || !b) return 0;
    return CompareEntriesBy(a->entry, b->entry, mcfg.sort_column, mcfg.sort_dir);
}

void OrderView(ViewSlot* view, size_t n, int column, int dir) {
    if (!view || n == 0) return;
    auto before = [column, dir](const ViewSlot& x, const ViewSlot& y) {
        return CompareEntriesBy(x.entry, y.entry, column, dir) < 0;
    };
    // A listing often comes in the order asked for already (by name): one pass tells.
    if (!std::is_sorted(view, view + n, before)) std::sort(view, view + n, before);
    for (size_t i = 0; i < n; i++)
        view[i].count = 0;
    view[0].count = (unsigned)n;
}

bool ShownName(const FolderEntry& e, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    size_t n = strnlen(e.name, sizeof e.name);
    if (n == sizeof e.name) return false;
    int written = mcfg.find_mode ? snprintf(out, size, "%s\\%s", mcfg.entries.Folder(e.reserved1), e.name)
                                 : snprintf(out, size, "%s", e.name);
    if (written < 0 || (size_t)written >= size) {
        out[0] = '\0';
        return false;
    }
    return true;
}

const char* ReachName(const FolderEntry& e) {
    if (strnlen(e.name, sizeof e.name) == sizeof e.name) return nullptr;
    switch (e.reach) {
    case kReachName: return NameReachable(e.name) ? e.name : nullptr;
    case kReachShort:
        return strnlen(e.short_name, sizeof e.short_name) < sizeof e.short_name &&
                       NameReachable(e.short_name)
                   ? e.short_name
                   : nullptr;
    default: return nullptr;
    }
}

bool EntryPath(const FolderEntry& e, char* out, size_t size, std::string* why) {
    if (why) why->clear();
    if (!out || size == 0) return false;
    out[0] = '\0';
    size_t name_length = strnlen(e.name, sizeof e.name);
    if (name_length == sizeof e.name || name_length == 0) return false;
    // A find result's folder (made of names that reach their folders) is in the list's table.
    const char* folder = mcfg.find_mode ? mcfg.entries.Folder(e.reserved1) : mcfg.folder;
    if (!folder[0]) return false;
    const char* name = ReachName(e);
    if (name && e.reach == kReachShort && !ShortNameStillReaches(folder, name, e.id)) name = nullptr;
    if (!name) {
        log_line("%s\tEntryPath () %s refused: the entry cannot be reached by its name ...\n",
                 time_stamp(), e.name);
        if (why) *why = UnreachableText(e.name);
        return false;
    }
    if (JoinPath(folder, name, out, size)) return true;
    if (why) *why = "The path of \"" + std::string(e.name) + "\" is longer than 259 characters.";
    return false;
}

namespace {
void (*entries_writer_stop)() = nullptr;
void (*list_job_stop)() = nullptr;
}  // namespace

void SetEntriesWriterStop(void (*stop)()) { entries_writer_stop = stop; }

void SetListJobStop(void (*stop)()) { list_job_stop = stop; }

void StopListJobs() {
    if (list_job_stop) list_job_stop();
}

void ReleaseView() {
    delete[] mcfg.view;
    mcfg.view = nullptr;
}

void InstallView(ViewSlot* view) {
    if (mcfg.view) ReleaseView();
    mcfg.view = view;
}

void ReleaseEntries() {
    // A search about to fill the list gives up, a scan that writes into the entries stops,
    // and the view goes before the entries it refers to.
    StopListJobs();
    if (entries_writer_stop) entries_writer_stop();
    ReleaseView();
    mcfg.entries.clear();
}
