// Placeholder until the folder entries are built.
#include "browse/entries.h"

#include "app/mcfg.h"

#include <cstring>
#include <new>

bool EntryList::append(const WIN32_FIND_DATAA& record) {
    FolderEntry* e = new (std::nothrow) FolderEntry;
    if (!e) return false;
    memcpy(e, &record, sizeof *e);
    items_.push_back(e);
    return true;
}
void EntryList::release() {
    for (FolderEntry* e : items_) delete e;
    items_.clear();
}
int ListFolder(EntryList& list, const char*) {
    list.clear();
    return 0;
}
int CompareEntries(const ViewSlot*, const ViewSlot*) { return 0; }
int CompareEntriesBy(const FolderEntry*, const FolderEntry*, int, int) { return 0; }
void Sort() {}
void Show() {}
void ReleaseView() {}
void ReleaseEntries() { mcfg.entries.clear(); }
bool EntryPath(const FolderEntry&, char* out, size_t) {
    out[0] = '\0';
    return false;
}
