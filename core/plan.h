// Where each file of a copy or a move goes: names are chosen here, never left to the
// shell, so that no file is replaced that the user did not name.
#pragma once

#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include <windows.h>

#include "core/names.h"

// Whether a name is in use in the destination folder (compared as the file system does,
// ignoring case).
using NameTaken = std::function<bool(const std::string& name)>;

// The name an item called `name` gets in a folder where `taken` says which names are in
// use: the name itself when it is free; else, for a copy, "stem - Copy.ext", then
// "stem - Copy (2).ext" and so on, and for a move "stem (2).ext", "stem (3).ext" and so on.
// The extension is the part from the last dot on (none for a name without a dot or a name
// that starts with its only dot). "" when no free name is found.
std::string FreeName(const std::string& name, bool copy, const NameTaken& taken);

// One source left out of a plan, and why.
struct LeftOut {
    std::string path;
    const char* reason;
};

// Plans the copy (copy set) or the move of `sources` into `folder`: every source gets
// folder\name, or a free name when that one is in use in the folder or was given to an
// earlier source of the same plan. Sources are left out when they hold a wildcard, are no
// full path (a drive's "X:\..." or a share's "\\server\..."), hold a step the platform
// would read as another name (a trailing dot or blank, "...", a device name), or name no file, when a folder would
// go into itself or below itself, when a move would leave the file where it is, or when the
// destination would pass the platform's longest path. `exists` says whether a path names a file or folder (the
// file system's answer in the program).
struct TransferPlan {
    std::vector<std::string> from;
    std::vector<std::string> to;
    std::vector<LeftOut> left_out;
    // The sources a stop left unplanned, the last ones of the list.
    size_t not_planned = 0;
};
// `within(path, folder)` says whether path is folder or lies below it; PathWithin compares the
// texts, FolderChain below the folders themselves.
using Within = std::function<bool(const std::string& path, const std::string& folder)>;
// `taken`, when given, says which names are in use in the folder (see FolderNames); without
// it each destination name is asked of `exists`. `stopped`, when given, is asked before each
// source: once it holds, the plan ends and counts the sources left unplanned.
TransferPlan PlanTransfer(const std::vector<std::string>& sources, const std::string& folder,
                          bool copy, const std::function<bool(const std::string&)>& exists,
                          const Within& within = nullptr, const NameTaken& taken = nullptr,
                          const std::function<bool()>& stopped = nullptr);

// The names of one folder, from one listing, folded to one letter case as the file system
// compares them. Asking the platform whether a name is free costs a search of the whole
// folder when it is (tens of milliseconds in a folder of 100,000 entries); one listing
// answers every name of a plan.
class FolderNames {
  public:
    // Lists `folder`; a folder that cannot be listed holds no names.
    explicit FolderNames(const std::string& folder);
    bool Holds(const std::string& name) const;
    void Add(const std::string& name);
    size_t size() const { return names_.size(); }

  private:
    std::unordered_set<std::wstring> names_;
};
// The letter case that names are compared in: each character in its upper case.
std::wstring FoldedName(const std::wstring& name);

// The reason a plan gives for a folder that would go into itself.
extern const char* const kIntoItself;
// The reason a plan gives for a move into the folder the source is in already.
extern const char* const kAlreadyThere;

// Whether `path` is `folder` itself or lies below it (ignoring case).
bool PathWithin(const std::string& path, const std::string& folder);

// The identities of a folder and of each of its parents up to the drive's root, after "."
// and ".." are resolved; a step that cannot be opened is left out. A folder is inside the
// destination's own tree, whatever name reaches it (a linked folder, "..", a short name),
// exactly when its identity is one of these.
class FolderChain {
  public:
    explicit FolderChain(const std::string& folder);
    // Whether `path`, a folder, is the chain's folder or one of its parents: the chain's
    // folder then lies inside it. A path that cannot be opened is not.
    bool Holds(const std::string& path) const;
    bool empty() const { return ids_.empty(); }

  private:
    std::vector<FileId> ids_;
};
