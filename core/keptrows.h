// What a read of the folder shown keeps of the list's rows: the entries selected and focused,
// by identity first and name second, and the row on top.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_set>
#include <string_view>
#include <vector>

#include "core/entry.h"

// One row kept: the entry's name and its identity as listed (all zeros when the listing gave
// none).
struct KeptRow {
    std::string name;
    FileId id;
};

// The rows to select, the one to focus, the row on top (-1: as it comes).
struct KeptRows {
    std::vector<KeptRow> selected;
    KeptRow focused;
    int top = -1;
};

// Rows kept by names alone, for the entries an operation made or named (the first focused).
KeptRows KeptNames(const std::vector<std::string>& names);

// Finds the kept rows among the entries of a new listing. An entry is the kept one when both
// have an identity and the identities are equal (a file renamed by another program is still
// the one picked, and a name given to another file does not take the pick); when either has
// none, the names decide.
class KeptRowMatch {
  public:
    explicit KeptRowMatch(const KeptRows& kept);
    bool Selected(const FolderEntry& e) const;
    bool Focused(const FolderEntry& e) const;

  private:
    static bool Known(const FileId& id) { return id.volume || id.high || id.low; }
    static uint64_t IdKey(const FileId& id);
    static bool Matches(const FolderEntry& e, const KeptRow& row);
    const KeptRows& kept_;
    std::unordered_set<uint64_t> ids_;
    // The names kept without an identity.
    std::unordered_set<std::string_view> bare_names_;
};
