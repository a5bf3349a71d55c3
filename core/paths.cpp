#include "core/paths.h"

#include <climits>
#include <cstdlib>
#include <cstddef>
#include <cstdio>
#include <cwchar>
#include <new>
#include <vector>

size_t CharacterPrefix(const char* text, size_t length, size_t limit) {
    if (length <= limit) return length;
    UINT cp = GetACP();
    if (cp == CP_UTF8) {
        // A UTF-8 character's later bytes are 10xxxxxx: the cut backs off to its first byte.
        size_t n = limit;
        while (n > 0 && ((unsigned char)text[n] & 0xC0) == 0x80)
            n--;
        return n;
    }
    CPINFO info = {};
    if (!GetCPInfo(cp, &info) || info.MaxCharSize < 2) return limit;
    // A double-byte code page: the characters are walked from the start, since a trail byte
    // may look like a lead byte.
    size_t n = 0;
    while (n < limit) {
        size_t step = IsDBCSLeadByteEx(cp, (BYTE)text[n]) ? 2 : 1;
        if (n + step > limit) break;
        n += step;
    }
    return n;
}

size_t PathUnits(const char* text, size_t length) {
    if (!text || length == 0) return 0;
    size_t ascii = 0;
    while (ascii < length && (unsigned char)text[ascii] < 0x80)
        ascii++;
    if (ascii == length) return length;
    if (length > INT_MAX) return length;
    int n = MultiByteToWideChar(CP_ACP, 0, text, (int)length, nullptr, 0);
    return n > 0 ? (size_t)n : length;
}

std::string LongPathText(const std::string& path, size_t limit, const char* where) {
    char counts[64], most[64];
    snprintf(counts, sizeof counts, "\" has %zu characters: too long for ", PathUnits(path));
    snprintf(most, sizeof most, ", which takes at most %zu.", limit);
    return "The path \"" + path + counts + (where ? where : "the platform") + most;
}

std::wstring LongPath(const std::string& path) {
    std::wstring wide = WideText(path.c_str());
    if (wide.empty()) return wide;
    while (wide.size() > 3 && wide.back() == L'\\')
        wide.pop_back();
    if (wide.size() >= 2 && wide[0] == L'\\' && wide[1] == L'\\')
        return L"\\\\?\\UNC\\" + wide.substr(2);
    if (wide.size() == 2 && wide[1] == L':') wide += L'\\';
    return L"\\\\?\\" + wide;
}

DWORD PathAttributes(const std::string& path) {
    std::wstring wide = LongPath(path);
    return wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
}

std::string WindowsFolder() {
    const char* windir = getenv("WinDir");
    if (windir && *windir) return windir;
    UINT n = GetWindowsDirectoryA(nullptr, 0);
    if (n == 0) return std::string();
    std::string folder(n, '\0');
    UINT m = GetWindowsDirectoryA(&folder[0], n);
    if (m == 0 || m >= n) return std::string();
    folder.resize(m);
    return folder;
}

std::string FullPathOf(const std::string& path) {
    std::wstring wide = WideText(path.c_str());
    if (wide.empty()) return std::string();
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0) return std::string();
    std::wstring full(n, L'\0');
    DWORD m = GetFullPathNameW(wide.c_str(), n, &full[0], nullptr);
    if (m == 0 || m >= n) return std::string();
    full.resize(m);
    return NarrowText(full);
}

std::string NarrowText(const std::wstring& text) {
    // Three bytes a unit hold every character in UTF-8 and any other code page.
    std::string out(3 * text.size() + 1, '\0');
    if (!NarrowExact(text.c_str(), &out[0], out.size())) return std::string();
    out.resize(strlen(out.c_str()));
    return out;
}

bool JoinPath(const char* folder, const char* name, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!folder || !name) return false;
    size_t lf = strlen(folder), ln = strlen(name);
    size_t total = lf + 1 + ln;
    if (total >= size || PathUnits(folder, lf) + 1 + PathUnits(name, ln) > kLongestPathUnits)
        return false;
    memcpy(out, folder, lf);
    out[lf] = '\\';
    memcpy(out + lf + 1, name, ln + 1);
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || name.empty() ||
        PathUnits(folder) + 1 + PathUnits(name) > kLongestPathUnits)
        return std::string();
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path += folder;
    path += '\\';
    path += name;
    return path;
}

bool IsFullFolderPath(const char* path) {
    if (!path) return false;
    char d = path[0];
    bool letter = (d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z');
    if (!letter || path[1] != ':') return false;
    if (path[2] != '\0' && path[2] != '\\') return false;
    // A step the path rules would read as another name ("x.", "...", "aux") would list
    // another folder than the one typed.
    return PathUnits(path) <= kLongestPathUnits && !strpbrk(path, "?*\"<>|") && !strchr(path + 2, ':') &&
           !PathHasRewrittenStep(path);
}

bool IsDriveRoot(const char* path) {
    if (!path || !path[0] || path[1] != ':') return false;
    return path[2] == '\0' || (path[2] == '\\' && path[3] == '\0');
}

std::wstring WideText(const char* text) {
    int n = text ? MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0) : 0;
    if (n <= 1) return std::wstring();
    std::wstring wide((size_t)n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], n);
    wide.resize((size_t)n - 1);
    return wide;
}

std::string Utf8Text(const char* text) {
    if (!text) return std::string();
    bool ascii = true;
    for (const unsigned char* p = (const unsigned char*)text; *p && ascii; p++)
        ascii = *p < 0x80;
    if (ascii || GetACP() == CP_UTF8) return text;
    std::wstring wide = WideText(text);
    if (wide.empty()) return text;
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (m <= 0) return text;
    std::string out((size_t)m, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, &out[0], m, nullptr, nullptr);
    out.resize((size_t)m - 1);
    return out;
}

UINT SystemAnsiCodePage() {
    DWORD cp = 0;
    if (!GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                        (LPWSTR)&cp, sizeof cp / sizeof(WCHAR)) ||
        cp == 0)
        return GetACP();
    return (UINT)cp;
}

bool NarrowFromSystem(const char* text, size_t length, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!text || length >= size) return false;
    UINT system = SystemAnsiCodePage();
    if (system == GetACP()) {
        memcpy(out, text, length);
        out[length] = '\0';
        return true;
    }
    if (length == 0) return true;
    std::vector<WCHAR> wide(length + 1, 0);
    int n = MultiByteToWideChar(system, MB_ERR_INVALID_CHARS, text, (int)length, wide.data(),
                                (int)length);
    if (n <= 0) return false;
    wide[(size_t)n] = 0;
    return NarrowExact(wide.data(), out, size);
}

bool NarrowExact(const WCHAR* text, char* out, size_t size) {
    if (!out || size == 0) return false;
    out[0] = '\0';
    if (!text) return false;
    BOOL lost = FALSE;
    // UTF-8 spells every character but a lone surrogate, which the strict conversion refuses;
    // it takes neither the best-fit flag nor the question whether a default was used.
    bool utf8 = GetACP() == CP_UTF8;
    int n = WideCharToMultiByte(CP_ACP, utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS, text,
                                -1, out, (int)size, nullptr, utf8 ? nullptr : &lost);
    if (n <= 0 || lost) {
        out[0] = '\0';
        return false;
    }
    return true;
}

namespace {

// One name of a find record, converted without best fit: '?' for every character without an
// exact counterpart. A name too long for `size` is cut on a character and ends in "...".
// True when it came over exactly.
bool NarrowName(const WCHAR* wide, size_t wide_size, char* out, size_t size) {
    size_t n = 0;
    bool ascii = true;
    while (n < wide_size && wide[n]) {
        if (wide[n] >= 0x80) ascii = false;
        n++;
    }
    out[0] = '\0';
    if (n == 0) return true;
    // Most names are plain ASCII, which every ANSI code page spells the same: taken as they
    // are, without the converter's exact-fit check.
    if (ascii && n < size) {
        for (size_t i = 0; i < n; i++)
            out[i] = (char)wide[i];
        out[n] = '\0';
        return true;
    }
    // U+FFFD stands for characters the platform could not give; the name is not the entry's.
    bool exact = true;
    for (size_t i = 0; i < n; i++)
        if (wide[i] == 0xFFFD) exact = false;
    char whole[4 * MAX_PATH];
    int written = 0;
    if (GetACP() == CP_UTF8) {
        // UTF-8 holds every character; only a lone surrogate has no spelling, and the strict
        // conversion refuses it. The name is then shown with U+FFFD in its place.
        written = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide, (int)n, whole,
                                      (int)sizeof whole, nullptr, nullptr);
        if (written <= 0) {
            exact = false;
            written = WideCharToMultiByte(CP_UTF8, 0, wide, (int)n, whole, (int)sizeof whole,
                                          nullptr, nullptr);
        }
    } else {
        BOOL lost = FALSE;
        written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, (int)n, whole,
                                      (int)sizeof whole, "?", &lost);
        if (lost) exact = false;
    }
    if (written <= 0) {
        lstrcpynA(out, "?", (int)size);
        return false;
    }
    size_t length = (size_t)written;
    if (length >= size) {
        // Cut on a character, with room for the dots that tell it was cut.
        length = CharacterPrefix(whole, length, size > 4 ? size - 4 : 0);
        memcpy(out, whole, length);
        memcpy(out + length, "...", size > 4 ? 4 : 1);
        if (size <= 4) out[0] = '\0';
        return false;
    }
    memcpy(out, whole, length);
    out[length] = '\0';
    return exact;
}

}  // namespace

bool NarrowFindRecord(const WIN32_FIND_DATAW& wide, FindRecord& record) {
    // The fields one by one: the names are written and ended by their conversion, and a record
    // is mostly room for them.
    record.dwFileAttributes = wide.dwFileAttributes;
    record.ftCreationTime = wide.ftCreationTime;
    record.ftLastAccessTime = wide.ftLastAccessTime;
    record.ftLastWriteTime = wide.ftLastWriteTime;
    record.nFileSizeHigh = wide.nFileSizeHigh;
    record.nFileSizeLow = wide.nFileSizeLow;
    record.dwReserved0 = wide.dwReserved0;
    record.dwReserved1 = wide.dwReserved1;
    bool name = NarrowName(wide.cFileName, sizeof wide.cFileName / sizeof(WCHAR),
                           record.cFileName, sizeof record.cFileName);
    bool short_name =
        NarrowName(wide.cAlternateFileName, sizeof wide.cAlternateFileName / sizeof(WCHAR),
                   record.cAlternateFileName, sizeof record.cAlternateFileName);
    return name && short_name;
}

namespace {

// How many bytes of records one call of the file system hands over.
constexpr size_t kListingBytes = 64 * 1024;

FILETIME FileTimeOf(const LARGE_INTEGER& t) {
    FILETIME f;
    f.dwLowDateTime = t.LowPart;
    f.dwHighDateTime = (DWORD)t.HighPart;
    return f;
}

// Copies `bytes` of a wide text into a field of `capacity` characters. A text that does not
// fit is cut and marked with U+FFFD, so that it is never taken for a name of its own.
void CopyName(WCHAR* field, size_t capacity, const WCHAR* text, size_t bytes) {
    size_t n = bytes / sizeof(WCHAR);
    if (n >= capacity) {
        n = capacity - 1;
        memcpy(field, text, (n - 1) * sizeof(WCHAR));
        field[n - 1] = 0xFFFD;
    } else {
        memcpy(field, text, n * sizeof(WCHAR));
    }
    field[n] = 0;
}

}  // namespace

FolderListing::FolderListing(std::wstring folder, bool with_ids) {
    // "C:" alone names the drive's current folder; its root is meant.
    if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
    path_ = folder;
    release_ = with_ids;
    if (with_ids)
        folder_.reset(CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (folder_) {
        BY_HANDLE_FILE_INFORMATION info = {};
        buffer_.reset(new (std::nothrow) LONGLONG[kListingBytes / sizeof(LONGLONG)]);
        if (buffer_ && GetFileInformationByHandle(folder_.get(), &info)) {
            volume_ = info.dwVolumeSerialNumber;
            if (Fill()) {
                ok_ = true;
                return;
            }
            // An empty folder has no records at all on some file systems.
            if (GetLastError() == ERROR_NO_MORE_FILES) {
                ok_ = true;
                return;
            }
        }
        folder_.reset();
        buffer_.reset();
    }
    // A file system without identities in its listing (or none asked for): the find records.
    std::wstring pattern = folder;
    if (pattern.empty() || pattern.back() != L'\\') pattern += L'\\';
    pattern += L"*";
    first_ = true;
    find_.reset(FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &first_record_,
                                 FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    ok_ = (bool)find_;
}

FolderListing::~FolderListing() {
    folder_.reset();
    find_.reset();
    // Wine keeps its own copy of a listed folder (about a hundred bytes an entry, outside the
    // program's heap) after the handle is closed, until the process lists a folder again. One
    // look for a single name that is there, which costs microseconds, lets that copy go now
    // instead of with the next read. A name with wildcard characters would list the folder;
    // the path goes as "\\?\" so that no device name or trailing dot is read into it.
    if (probe_.empty() || probe_.find_first_of(L"*?<>\"") != std::wstring::npos) return;
    bool drive = path_.size() >= 3 && path_[1] == L':' && path_[2] == L'\\';
    bool long_form = path_.compare(0, 4, L"\\\\?\\") == 0;
    if (!drive && !long_form) return;
    std::wstring one = drive ? L"\\\\?\\" + path_ : path_;
    if (one.back() != L'\\') one += L'\\';
    one += probe_;
    WIN32_FIND_DATAW record;
    FindHandle look(
        FindFirstFileExW(one.c_str(), FindExInfoBasic, &record, FindExSearchNameMatch, nullptr, 0));
}

void FolderListing::Remember(const WIN32_FIND_DATAW& record) {
    if (probe_.empty() && record.cFileName[0] && wcscmp(record.cFileName, L".") != 0 &&
        wcscmp(record.cFileName, L"..") != 0)
        probe_ = record.cFileName;
}

bool FolderListing::Fill() {
    at_ = 0;
    more_ = GetFileInformationByHandleEx(folder_.get(), FileIdBothDirectoryInfo, buffer_.get(),
                                         kListingBytes) != 0;
    return more_;
}

bool FolderListing::Next(WIN32_FIND_DATAW& record, FileId* id) {
    memset(&record, 0, sizeof record);
    *id = FileId{};
    if (!ok_) return false;
    if (find_) {
        if (first_) {
            first_ = false;
            record = first_record_;
        } else if (!FindNextFileW(find_.get(), &record)) {
            return false;
        }
        if (release_ && probe_.empty()) Remember(record);
        return true;
    }
    if (!more_ && !Fill()) return false;
    const BYTE* base = (const BYTE*)buffer_.get();
    if (at_ + sizeof(FILE_ID_BOTH_DIR_INFO) > kListingBytes) return false;
    const FILE_ID_BOTH_DIR_INFO* info = (const FILE_ID_BOTH_DIR_INFO*)(base + at_);
    size_t name_end = at_ + offsetof(FILE_ID_BOTH_DIR_INFO, FileName) + info->FileNameLength;
    if (name_end > kListingBytes) return false;
    record.dwFileAttributes = info->FileAttributes;
    record.ftCreationTime = FileTimeOf(info->CreationTime);
    record.ftLastAccessTime = FileTimeOf(info->LastAccessTime);
    record.ftLastWriteTime = FileTimeOf(info->LastWriteTime);
    record.nFileSizeHigh = (DWORD)((ULONGLONG)info->EndOfFile.QuadPart >> 32);
    record.nFileSizeLow = (DWORD)info->EndOfFile.QuadPart;
    if (info->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) record.dwReserved0 = info->EaSize;
    CopyName(record.cFileName, MAX_PATH, info->FileName, info->FileNameLength);
    size_t short_bytes = info->ShortNameLength;
    if (short_bytes > sizeof info->ShortName) short_bytes = sizeof info->ShortName;
    CopyName(record.cAlternateFileName, 14, info->ShortName, short_bytes);
    id->volume = volume_;
    id->high = (DWORD)((ULONGLONG)info->FileId.QuadPart >> 32);
    id->low = (DWORD)info->FileId.QuadPart;
    if (release_ && probe_.empty()) Remember(record);
    if (info->NextEntryOffset == 0 || at_ + info->NextEntryOffset >= kListingBytes)
        more_ = false;
    else
        at_ += info->NextEntryOffset;
    return true;
}
