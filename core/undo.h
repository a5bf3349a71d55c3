// What Ctrl+Z can take back: the last operations of the session, each with the entries it made,
// moved, renamed or changed, as it left them. An undo acts only on an entry that is provably
// still the one the operation left (its identity, size and write time unchanged).
#pragma once

#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

#include "core/names.h"

enum class UndoKind {
    kCopy,        // the copies made go to the recycle bin
    kMove,        // the entries go back to their folder under their old names
    kRename,      // the old name comes back
    kNewItem,     // the new folder or file goes to the recycle bin while it is empty
    kAttributes,  // the old attributes come back
    kRecycle,     // the entries deleted to the recycle bin
};

// One entry as the operation left it.
struct UndoItem {
    std::string path;  // where the entry is now
    std::string back;  // where it goes back to (a move's or a rename's old path)
    FileId id;
    uint64_t size = 0;
    FILETIME written = {};
    bool folder = false;
    DWORD old_attributes = 0;  // kAttributes: the attributes before the change
};

struct UndoRecord {
    UndoKind kind = UndoKind::kCopy;
    std::vector<UndoItem> items;
};

// The text of the File menu's item for an operation: "Undo Copy", "Undo Rename" ...
std::string UndoLabel(UndoKind kind);

// The entry at `path` as it is now; false when it cannot be opened.
bool UndoItemOf(const std::string& path, UndoItem* item);

// The same for an entry on the volume of serial number `volume`, known already: asking the
// platform for a volume's serial number costs more than the copy of a small file, and every
// entry an operation made lies on the volume of the one folder it made them in.
bool UndoItemOn(const std::string& path, DWORD volume, UndoItem* item);

// Whether the entry at item.path is still the one the operation left: the same identity, and
// for a file the same size and write time.
bool StillAsLeft(const UndoItem& item);

// Whether a folder holds no entry (a file is empty when its size is 0).
bool EntryEmpty(const UndoItem& item);

// The last operations, most recent last; the oldest go beyond kUndoDepth.
class UndoJournal {
  public:
    static constexpr size_t kUndoDepth = 50;
    void Push(UndoRecord record);
    bool empty() const { return records_.empty(); }
    const UndoRecord& top() const { return records_.back(); }
    UndoRecord Pop();
    size_t size() const { return records_.size(); }

  private:
    std::vector<UndoRecord> records_;
};
