#include "core/names.h"
#include "core/paths.h"

#include <algorithm>
#include <cstring>
#include <cwctype>

namespace {

HANDLE OpenForIdentity(const WCHAR* path, bool follow) {
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (follow ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    return CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

bool IdentityOfHandle(HANDLE h, FileId* id) {
    if (h == INVALID_HANDLE_VALUE) return false;
    Handle held(h);
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(held.get(), &info)) return false;
    id->volume = info.dwVolumeSerialNumber;
    id->high = info.nFileIndexHigh;
    id->low = info.nFileIndexLow;
    return true;
}

// The identity of `path` (ANSI) opened as the path rules read it.
bool PlainIdentityOf(const std::string& path, bool follow, FileId* id) {
    *id = FileId{};
    // A path longer than the plain calls take is opened through its "\\?\" form.
    std::wstring wide = PathUnits(path) > kShortPathUnits ? LongPath(path) : WideText(path.c_str());
    return !wide.empty() && IdentityOfHandle(OpenForIdentity(wide.c_str(), follow), id);
}

// folder\name, with one backslash between them.
std::string Joined(const char* folder, const char* name) {
    std::string path = folder;
    if (path.empty() || path.back() != '\\') path += '\\';
    return path + name;
}

bool EqualFolded(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n; i++) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = (char)(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = (char)(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

// The case-folded form of a wide name, for comparing names as the file system does.
std::wstring Folded(const std::wstring& s) {
    std::wstring out = s;
    for (WCHAR& c : out)
        c = (WCHAR)towupper(c);
    return out;
}

// Marks, among the items whose `key` is not empty, every one whose folded key another holds too.
template <typename Key> void MarkShared(size_t n, Key key, std::vector<bool>& shared) {
    std::vector<std::wstring> folded(n);
    std::vector<size_t> order;
    for (size_t i = 0; i < n; i++) {
        const std::wstring* k = key(i);
        if (!k || k->empty()) continue;
        folded[i] = Folded(*k);
        order.push_back(i);
    }
    std::sort(order.begin(), order.end(),
              [&folded](size_t a, size_t b) { return folded[a] < folded[b]; });
    for (size_t j = 1; j < order.size(); j++) {
        if (folded[order[j]] != folded[order[j - 1]]) continue;
        shared[order[j]] = true;
        shared[order[j - 1]] = true;
    }
}

bool HoldsReplacement(const std::wstring& name) {
    return name.find(L'\xFFFD') != std::wstring::npos;
}

}  // namespace

bool IdentityOf(const std::string& path, FileId* id) { return PlainIdentityOf(path, true, id); }

bool ExactIdentityOf(const char* folder, const WCHAR* name, FileId* id) {
    *id = FileId{};
    if (!folder || !folder[0] || !name || !name[0]) return false;
    std::wstring path = L"\\\\?\\" + WideText(folder);
    if (path.size() <= 4) return false;
    if (path.back() != L'\\') path += L'\\';
    path += name;
    return IdentityOfHandle(OpenForIdentity(path.c_str(), false), id);
}

Handle OpenDiskFile(const char* path, DWORD flags) {
    if (!path || !path[0]) return Handle();
    // A path longer than the plain calls take is opened through its "\\?\" form; a shorter
    // one as the path rules read it.
    Handle file(PathUnits(path) > kShortPathUnits
                    ? CreateFileW(LongPath(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                                  nullptr)
                    : CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, flags, nullptr));
    if (file && GetFileType(file.get()) != FILE_TYPE_DISK) {
        file.reset();
        SetLastError(ERROR_BAD_FILE_TYPE);
    }
    return file;
}

bool IsDiskFile(const char* path) { return (bool)OpenDiskFile(path); }

bool OpensNoDiskFile(const char* path) {
    if (!path || !path[0]) return false;
    Handle h(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h && GetFileType(h.get()) != FILE_TYPE_DISK;
}

bool IsDeviceName(const char* name) {
    if (!name) return false;
    // The device is the part before the first dot, without the blanks that end it.
    size_t n = strcspn(name, ".");
    while (n > 0 && name[n - 1] == ' ')
        n--;
    if (n < 3 || n > 7) return false;
    static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kPlain)
        if (strlen(device) == n && EqualFolded(name, device, n)) return true;
    if (!EqualFolded(name, "COM", 3) && !EqualFolded(name, "LPT", 3)) return false;
    const char* rest = name + 3;
    size_t tail = n - 3;
    if (tail == 1 && rest[0] >= '0' && rest[0] <= '9') return true;
    // The superscript digits one to three, in UTF-8 and in the Western code pages.
    if (tail == 2 && (unsigned char)rest[0] == 0xC2) {
        unsigned char c = (unsigned char)rest[1];
        return c == 0xB9 || c == 0xB2 || c == 0xB3;
    }
    if (tail == 1 && GetACP() != CP_UTF8) {
        unsigned char c = (unsigned char)rest[0];
        return c == 0xB9 || c == 0xB2 || c == 0xB3;
    }
    return false;
}

bool NameRewritten(const char* name) {
    if (!name || !name[0]) return false;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) return false;
    size_t n = strlen(name);
    char last = name[n - 1];
    if (last == '.' || last == ' ') return true;
    return IsDeviceName(name);
}

bool NameHasPathCharacter(const char* name) {
    if (!name) return false;
    for (const unsigned char* p = (const unsigned char*)name; *p; p++) {
        unsigned char c = *p;
        if (c < 0x20 || c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' ||
            c == '<' || c == '>' || c == '|')
            return true;
    }
    return false;
}

bool NameReachable(const char* name) {
    return name && name[0] && !NameHasPathCharacter(name) && !NameRewritten(name);
}

bool PathHasRewrittenStep(const char* path) {
    if (!path) return false;
    std::string step;
    for (const char* p = path;; p++) {
        if (*p == '\\' || *p == '/' || *p == '\0') {
            // "C:" and "\\server" begin a path; only the names after them are steps.
            bool drive = step.size() == 2 && step[1] == ':';
            if (!step.empty() && !drive && NameRewritten(step.c_str())) return true;
            step.clear();
            if (*p == '\0') return false;
        } else {
            step += *p;
        }
    }
}

void OddNames::Add(const WIN32_FIND_DATAW& wide, const FindRecord& narrow, bool exact) {
    Item item;
    size_t n = wcsnlen(wide.cFileName, MAX_PATH);
    item.name.assign(wide.cFileName, n);
    n = wcsnlen(wide.cAlternateFileName, 14);
    item.short_name.assign(wide.cAlternateFileName, n);
    item.fields = narrow;
    item.narrow_name.assign(narrow.cFileName, strnlen(narrow.cFileName, sizeof narrow.cFileName));
    item.narrow_short.assign(narrow.cAlternateFileName,
                             strnlen(narrow.cAlternateFileName, sizeof narrow.cAlternateFileName));
    item.exact = exact;
    item.how = kReachNone;
    items_.push_back(std::move(item));
}

void OddNames::Decide(const char* folder) {
    size_t n = items_.size();
    // A name that holds U+FFFD is not the entry's own (the platform could not give its
    // characters), and the platform reaches every entry of that name through the first one:
    // such a name proves nothing when another entry has it too.
    std::vector<bool> ambiguous(n, false), shared(n, false);
    MarkShared(
        n,
        [this](size_t i) { return HoldsReplacement(items_[i].name) ? &items_[i].name : nullptr; },
        ambiguous);
    MarkShared(
        n, [this](size_t i) { return &items_[i].short_name; }, shared);
    for (size_t i = 0; i < n; i++) {
        Item& it = items_[i];
        it.how = kReachNone;
        const char* short_name = it.narrow_short.c_str();
        if (ambiguous[i] || shared[i] || !NameReachable(short_name)) continue;
        FileId exact, by_short;
        if (!ExactIdentityOf(folder, it.name.c_str(), &exact)) continue;
        std::string path = Joined(folder, short_name);
        if (!PlainIdentityOf(path, false, &by_short) || by_short != exact) continue;
        it.how = kReachShort;
        it.id = exact;
    }
}

Reach OddNames::reach(size_t i) const {
    Reach r;
    const Item& it = items_[i];
    r.how = it.how;
    r.id = it.id;
    r.name = it.how == kReachShort ? it.narrow_short.c_str() : nullptr;
    return r;
}

void OddNames::record(size_t i, FindRecord& out) const {
    const Item& it = items_[i];
    static_cast<FindFields&>(out) = it.fields;
    size_t n = std::min(it.narrow_name.size(), sizeof out.cFileName - 1);
    memcpy(out.cFileName, it.narrow_name.data(), n);
    out.cFileName[n] = '\0';
    n = std::min(it.narrow_short.size(), sizeof out.cAlternateFileName - 1);
    memcpy(out.cAlternateFileName, it.narrow_short.data(), n);
    out.cAlternateFileName[n] = '\0';
}

bool ShortNameStillReaches(const char* folder, const char* short_name, const FileId& id) {
    FileId now;
    if (!folder || !short_name || !NameReachable(short_name)) return false;
    return PlainIdentityOf(Joined(folder, short_name), false, &now) && now == id;
}

std::string UnreachableText(const char* name) {
    return "\"" + std::string(name ? name : "") + "\" cannot be reached by its name.";
}
