#include "core/keptrows.h"

KeptRows KeptNames(const std::vector<std::string>& names) {
    KeptRows kept;
    for (const std::string& name : names)
        kept.selected.push_back(KeptRow{name, FileId{}});
    if (!names.empty()) kept.focused = KeptRow{names.front(), FileId{}};
    return kept;
}

KeptRowMatch::KeptRowMatch(const KeptRows& kept) : kept_(kept) {
    for (const KeptRow& row : kept.selected) {
        if (Known(row.id))
            ids_.insert(IdKey(row.id));
        else
            bare_names_.insert(row.name);
    }
}

uint64_t KeptRowMatch::IdKey(const FileId& id) {
    return (((uint64_t)id.high << 32) | id.low) * 0x9E3779B97F4A7C15ull ^ id.volume;
}

bool KeptRowMatch::Matches(const FolderEntry& e, const KeptRow& row) {
    if (Known(e.id) && Known(row.id)) return e.id == row.id;
    return row.name == std::string_view(e.name(), e.name_length());
}

bool KeptRowMatch::Selected(const FolderEntry& e) const {
    std::string_view name(e.name(), e.name_length());
    if (bare_names_.count(name)) return true;
    if (Known(e.id)) {
        if (!ids_.count(IdKey(e.id))) return false;
        // Two identities may share a key: the kept rows decide.
        for (const KeptRow& row : kept_.selected)
            if (row.id == e.id) return true;
        return false;
    }
    // An entry listed without an identity is taken by its name.
    for (const KeptRow& row : kept_.selected)
        if (row.name == name) return true;
    return false;
}

bool KeptRowMatch::Focused(const FolderEntry& e) const {
    return !kept_.focused.name.empty() && Matches(e, kept_.focused);
}
