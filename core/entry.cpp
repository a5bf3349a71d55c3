#include "core/entry.h"

#include "core/log.h"
#include "core/mcfg.h"
#include "core/panel.h"
#include "core/paths.h"

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <unordered_map>

// An entry stays small: a folder of a million entries holds each in about a tenth of a
// find record.
static_assert(sizeof(FolderEntry) <= 48, "FolderEntry size");

const char kNoText[kTextSlack + 2] = {};

namespace {

std::atomic<uint64_t> next_epoch{1};

}  // namespace

EntryList::EntryList() { stamp_.epoch = next_epoch++; }

EntryList::EntryList(EntryList&& other) noexcept : EntryList() { swap(other); }

EntryList& EntryList::operator=(EntryList&& other) noexcept {
    if (this != &other) {
        clear();
        swap(other);
    }
    return *this;
}

void EntryList::swap(EntryList& other) noexcept {
    chunks_.swap(other.chunks_);
    std::swap(size_, other.size_);
    texts_.swap(other.texts_);
    std::swap(text_used_, other.text_used_);
    folders_.swap(other.folders_);
    std::swap(depth, other.depth);
    std::swap(depth_limit, other.depth_limit);
    // Both lists now hold what neither held before.
    stamp_ = {next_epoch++, 0};
    other.stamp_ = {next_epoch++, 0};
}

void EntryList::clear() {
    chunks_.clear();
    size_ = 0;
    texts_.clear();
    text_used_ = kTextChunk;
    folders_.clear();
    depth = 0;
    stamp_ = {next_epoch++, 0};
}

FolderEntry* EntryList::Add(const char* name, size_t name_length, const char* short_name,
                            size_t short_length) {
    size_t bytes = name_length + short_length + 2;
    try {
        if (text_used_ + bytes > kTextChunk) {
            std::unique_ptr<char[]> chunk(new (std::nothrow) char[kTextChunk + kTextSlack]);
            if (!chunk) return nullptr;
            memset(chunk.get() + kTextChunk, 0, kTextSlack);
            texts_.push_back(std::move(chunk));
            text_used_ = 0;
        }
        if (size_ == chunks_.size() * kChunk) {
            std::unique_ptr<FolderEntry[]> chunk(new (std::nothrow) FolderEntry[kChunk]);
            if (!chunk) return nullptr;
            chunks_.push_back(std::move(chunk));
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    char* text = texts_.back().get() + text_used_;
    memcpy(text, name, name_length);
    text[name_length] = '\0';
    memcpy(text + name_length + 1, short_name, short_length);
    text[name_length + 1 + short_length] = '\0';
    text_used_ += bytes;
    FolderEntry* e = &chunks_[size_ / kChunk][size_ % kChunk];
    *e = FolderEntry();
    e->text_ = text;
    e->name_length_ = (uint16_t)name_length;
    e->short_length_ = (unsigned char)short_length;
    size_++;
    stamp_.changes++;
    return e;
}

bool EntryList::append(const FolderEntry& entry) {
    FolderEntry* e =
        Add(entry.name(), entry.name_length(), entry.short_name(), entry.short_name_length());
    if (!e) return false;
    const char* text = e->text_;
    uint16_t name_length = e->name_length_;
    unsigned char short_length = e->short_length_;
    *e = entry;
    e->text_ = text;
    e->name_length_ = name_length;
    e->short_length_ = short_length;
    return true;
}

unsigned EntryList::AddFolder(const char* folder) {
    folders_.emplace_back(folder ? folder : "");
    stamp_.changes++;
    return (unsigned)(folders_.size() - 1);
}

namespace {

// A short name that another entry of the listing has too, as its name or its short name,
// may open that other entry: it is never used.
void RefuseSharedShortNames(EntryList& list) {
    auto folded = [](const char* text, size_t length) {
        std::string key(text, length);
        for (char& c : key)
            if (c >= 'a' && c <= 'z') c = (char)(c - 'a' + 'A');
        return key;
    };
    std::unordered_map<std::string, size_t> proved;
    for (size_t i = 0; i < list.size(); i++)
        if (list[i]->reach == kReachShort)
            proved.emplace(folded(list[i]->short_name(), list[i]->short_name_length()), i);
    auto refuse_other = [&](const std::string& key, size_t owner) {
        auto found = proved.find(key);
        if (found != proved.end() && found->second != owner) list[found->second]->reach = kReachNone;
    };
    for (size_t i = 0; i < list.size(); i++) {
        const FolderEntry& e = *list[i];
        refuse_other(folded(e.name(), e.name_length()), i);
        if (e.short_name_length()) refuse_other(folded(e.short_name(), e.short_name_length()), i);
    }
}

}  // namespace

int ListFolder(EntryList& list, const char* path, const ListControl* control) {
    if (&list == &panel.entries)
        ReleaseEntries();
    else
        list.clear();
    if (!path || PathUnits(path) > kLongestListedFolder) return 1;

    std::string buffer = path;
    size_t length = buffer.size();
    FindRecord record;
    // A record that cannot be stored is left out; the others still are.
    size_t by_short = 0;
    bool stopped = false;
    // An entry reached by its own name keeps no short name: nothing of the program uses it.
    // Once an entry is reached by its short name, though, every other entry's short name is
    // needed to tell whether that short name may open the other entry: the folder is then
    // listed once more with all of them (only folders with such names pay for it).
    bool every_short = false;
    for (;;) {
        WalkFolder(&buffer[0], length, record, [&](const FindRecord& r, const Reach& reach) {
            if (control && control->stop && control->stop->load(std::memory_order_relaxed)) {
                stopped = true;
                return false;
            }
            if (list.append(r, reach, every_short || reach.how != kReachName) &&
                reach.how == kReachShort)
                by_short++;
            if (control && control->count)
                control->count->store(list.size(), std::memory_order_relaxed);
            return true;
        });
        if (every_short || !by_short || stopped) break;
        list.clear();
        by_short = 0;
        every_short = true;
    }
    if (by_short && !every_short) {
        // Stopped before the other short names were known: no short name is used.
        for (size_t i = 0; i < list.size(); i++)
            if (list[i]->reach == kReachShort) list[i]->reach = kReachNone;
    } else if (by_short) {
        RefuseSharedShortNames(list);
    }
    return stopped ? 2 : 0;
}

std::string ShownName(const FolderEntry& e) {
    // A name that fills the record's whole field has no end within it: it is no name.
    if (e.name_length() >= kNameBytes) return std::string();
    if (!mcfg.find_mode) return std::string(e.name(), e.name_length());
    std::string shown = panel.entries.Folder(e.folder);
    shown += '\\';
    shown.append(e.name(), e.name_length());
    return shown;
}

const char* ReachName(const FolderEntry& e) {
    if (e.name_length() >= kNameBytes) return nullptr;
    switch (e.reach) {
    case kReachName: return NameReachable(e.name()) ? e.name() : nullptr;
    case kReachShort:
        return e.short_name_length() < kShortNameBytes && NameReachable(e.short_name())
                   ? e.short_name()
                   : nullptr;
    default: return nullptr;
    }
}

bool EntryPath(const FolderEntry& e, std::string* out, std::string* why) {
    if (why) why->clear();
    if (!out) return false;
    out->clear();
    if (e.name_length() >= kNameBytes || e.name_length() == 0) return false;
    // A find result's folder (made of names that reach their folders) is in the list's table.
    const char* folder = mcfg.find_mode ? panel.entries.Folder(e.folder) : panel.folder.c_str();
    if (!folder[0]) return false;
    const char* name = ReachName(e);
    if (name && e.reach == kReachShort && !ShortNameStillReaches(folder, name, e.id)) name = nullptr;
    if (!name) {
        log_line("%s\tEntryPath () %s refused: the entry cannot be reached by its name ...\n",
                 time_stamp(), e.name());
        if (why) *why = UnreachableText(e.name());
        return false;
    }
    *out = JoinPath(folder, name);
    if (!out->empty()) return true;
    if (why) *why = LongPathText(std::string(folder) + "\\" + name, kLongestPathUnits);
    return false;
}

void SetEntriesWriterStop(void (*stop)()) { panel.entries_writer_stop = stop; }

void SetListJobStop(void (*stop)()) { panel.list_job_stop = stop; }

void StopListJobs() {
    if (panel.list_job_stop) panel.list_job_stop();
}

namespace {

// What the installed view was ordered by, when Sort gave it.
const ViewSlot* ordered_view = nullptr;
ViewOrder view_order;

}  // namespace

void ReleaseView() {
    delete[] panel.view;
    panel.view = nullptr;
    ordered_view = nullptr;
}

ViewSlot* TakeView() {
    ViewSlot* view = panel.view;
    panel.view = nullptr;
    ordered_view = nullptr;
    return view;
}

void InstallView(ViewSlot* view, const ViewOrder* made) {
    if (panel.view) ReleaseView();
    panel.view = view;
    if (view && made) {
        ordered_view = view;
        view_order = *made;
    }
}

bool ViewInOrder(int column, int dir) {
    size_t n = panel.entries.size();
    // The cheap tests first: the keys are read only when nothing else has changed.
    if (!panel.view || panel.view != ordered_view || ViewCount(panel.view) != n || n == 0 ||
        view_order.stamp != panel.entries.stamp() || view_order.column != column ||
        view_order.dir != dir || view_order.find_mode != mcfg.find_mode)
        return false;
    return OrderOf(panel.entries, column, dir) == view_order;
}

void ReleaseEntries() {
    // A search about to fill the list gives up, a scan that writes into the entries stops,
    // and the view goes before the entries it refers to.
    StopListJobs();
    if (panel.entries_writer_stop) panel.entries_writer_stop();
    ReleaseView();
    panel.entries.clear();
}
