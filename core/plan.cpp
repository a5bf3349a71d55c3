#include "core/plan.h"

#include "core/handles.h"
#include "core/paths.h"

#include <windows.h>
#include <cctype>
#include <cstring>
#include <set>
#include <vector>

namespace {

struct NoCase {
    bool operator()(const std::string& a, const std::string& b) const {
        return _stricmp(a.c_str(), b.c_str()) < 0;
    }
};

// The folder of a path ("C:\a\b.txt" gives "C:\a", "C:\b.txt" gives "C:") and its name.
bool Split(const std::string& path, std::string* folder, std::string* name) {
    size_t cut = path.rfind('\\');
    if (cut == std::string::npos || cut + 1 >= path.size()) return false;
    *folder = path.substr(0, cut);
    *name = path.substr(cut + 1);
    return true;
}

// A path that names its file from the top: a drive's "X:\" or a share's "\\server\".
// Anything else would be read against a current folder, and name a file nobody chose.
bool FullPath(const std::string& path) {
    if (path.size() >= 3 && isalpha((unsigned char)path[0]) && path[1] == ':' && path[2] == '\\')
        return true;
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

std::string Trimmed(std::string folder) {
    while (folder.size() > 2 && folder.back() == '\\')
        folder.pop_back();
    if (folder.size() == 3 && folder[1] == ':' && folder[2] == '\\') folder.pop_back();
    return folder;
}

}  // namespace

const char* const kIntoItself = "a folder cannot go into itself";
const char* const kAlreadyThere = "already in that folder";

FolderChain::FolderChain(const std::string& folder) {
    std::string full = FullPathOf(folder);
    if (full.empty()) return;
    std::string step = Trimmed(full);
    for (;;) {
        FileId id;
        // A drive alone ("C:") would open its current folder: the root is opened as "C:\".
        std::string open = step.size() == 2 && step[1] == ':' ? step + "\\" : step;
        if (IdentityOf(open, &id)) ids_.push_back(id);
        size_t cut = step.rfind('\\');
        if (cut == std::string::npos || step.size() <= 2) break;
        step.resize(cut);
    }
}

bool FolderChain::Holds(const std::string& path) const {
    FileId id;
    if (ids_.empty() || !IdentityOf(path, &id)) return false;
    for (const FileId& step : ids_)
        if (step == id) return true;
    return false;
}

std::string FreeName(const std::string& name, bool copy, const NameTaken& taken) {
    if (!taken(name)) return name;
    size_t dot = name.rfind('.');
    if (dot == 0 || dot == std::string::npos) dot = name.size();
    std::string stem = name.substr(0, dot), ext = name.substr(dot);
    for (int n = copy ? 1 : 2; n < 1000; n++) {
        std::string candidate;
        if (copy)
            candidate = stem + (n == 1 ? " - Copy" : " - Copy (" + std::to_string(n) + ")") + ext;
        else
            candidate = stem + " (" + std::to_string(n) + ")" + ext;
        if (!taken(candidate)) return candidate;
    }
    return "";
}

bool PathWithin(const std::string& path, const std::string& folder) {
    std::string p = Trimmed(path), f = Trimmed(folder);
    if (_stricmp(p.c_str(), f.c_str()) == 0) return true;
    return p.size() > f.size() && p[f.size()] == '\\' &&
           _strnicmp(p.c_str(), f.c_str(), f.size()) == 0;
}

TransferPlan PlanTransfer(const std::vector<std::string>& sources, const std::string& folder,
                          bool copy, const std::function<bool(const std::string&)>& exists,
                          const Within& within, const NameTaken& taken,
                          const std::function<bool()>& stopped) {
    TransferPlan plan;
    std::string target = Trimmed(folder);
    std::set<std::string, NoCase> given;
    for (size_t i = 0; i < sources.size(); i++) {
        const std::string& source = sources[i];
        // A name that is not there costs a search of its whole folder: a long list of them
        // takes seconds, and a stop asked meanwhile ends the plan.
        if (stopped && stopped()) {
            plan.not_planned = sources.size() - i;
            break;
        }
        std::string from_folder, name;
        if (source.find_first_of("?*") != std::string::npos) {
            plan.left_out.push_back({source, "wildcard characters"});
            continue;
        }
        if (!FullPath(source)) {
            plan.left_out.push_back({source, "not a full path"});
            continue;
        }
        // "x." would copy "x", "folder\..." the folder itself, "aux.c" a device.
        if (PathHasRewrittenStep(source.c_str())) {
            plan.left_out.push_back({source, "the platform would read another name"});
            continue;
        }
        if (!Split(source, &from_folder, &name) || !exists(source)) {
            plan.left_out.push_back({source, "no such file"});
            continue;
        }
        if (PathWithin(target, source) || (within && within(target, source))) {
            plan.left_out.push_back({source, kIntoItself});
            continue;
        }
        if (!copy && _stricmp(Trimmed(from_folder).c_str(), target.c_str()) == 0) {
            plan.left_out.push_back({source, kAlreadyThere});
            continue;
        }
        std::string chosen = FreeName(name, copy, [&](const std::string& n) {
            return given.count(n) > 0 || (taken ? taken(n) : exists(target + "\\" + n));
        });
        std::string destination = target + "\\" + chosen;
        if (chosen.empty() || PathUnits(destination) > kLongestPathUnits) {
            plan.left_out.push_back({source, "no destination name fits"});
            continue;
        }
        given.insert(chosen);
        plan.from.push_back(source);
        plan.to.push_back(destination);
    }
    return plan;
}

std::wstring FoldedName(const std::wstring& name) {
    std::wstring folded = name;
    if (!folded.empty()) CharUpperBuffW(&folded[0], (DWORD)folded.size());
    return folded;
}

FolderNames::FolderNames(const std::string& folder) {
    // Through the "\\?\" form, so that a folder of any length is listed.
    std::wstring pattern = LongPath(folder);
    if (pattern.empty()) return;
    if (pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW fd;
    FindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return;
    do {
        names_.insert(FoldedName(fd.cFileName));
    } while (FindNextFileW(find.get(), &fd));
}

bool FolderNames::Holds(const std::string& name) const {
    return names_.count(FoldedName(WideText(name.c_str()))) > 0;
}

void FolderNames::Add(const std::string& name) {
    names_.insert(FoldedName(WideText(name.c_str())));
}
