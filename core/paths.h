// The rules every routine follows when it turns a folder and a name into a path, and the one
// folder walker that the listing, the size scan and the search share.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/names.h"

// "." and "..", which a listing reports and no routine visits.
inline bool IsDotName(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// A real folder: directory bit set, reparse-point bit clear. Linked folders are not followed.
inline bool IsRealFolder(DWORD attributes) { return (attributes & 0x410) == 0x10; }

// The length of the longest start of text[0, length) that fits `limit` bytes and ends on a
// character of the code page: a text cut to fit a buffer or a column never ends in half a
// character.
size_t CharacterPrefix(const char* text, size_t length, size_t limit);

// The longest path the platform's plain calls take, the shell's and the recycle bin's
// included: 259 units of UTF-16, whatever their length in the code page.
constexpr size_t kShortPathUnits = MAX_PATH - 1;
// The longest path the program's own calls reach through "\\?\" paths: the platform's
// 32,767 units hold the prefix and the closing zero too.
constexpr size_t kLongestPathUnits = 32767 - 5;

// The length of a text in the platform's own units (UTF-16), as its path limits count them:
// a character of Chinese is three bytes of UTF-8 and one unit. A text that does not convert
// counts its bytes.
size_t PathUnits(const char* text, size_t length);
inline size_t PathUnits(const char* text) { return text ? PathUnits(text, strlen(text)) : 0; }
inline size_t PathUnits(const std::string& text) { return PathUnits(text.data(), text.size()); }

// The message that refuses `path` for being longer than `limit` units, with its own length:
// "The path "…" has 330 characters: too long for the recycle bin, which takes at most 259."
// (`where` names the piece; without it, "the platform").
std::string LongPathText(const std::string& path, size_t limit, const char* where = nullptr);

// The "\\?\" form of a full path, which the path rules leave as it is and which may be as
// long as the file system allows; empty when the path does not convert. The program's own
// file calls (the W functions) take it.
std::wstring LongPath(const std::string& path);

// The attributes of `path`, asked through its "\\?\" form so that a path of any length is
// reached; INVALID_FILE_ATTRIBUTES when there is no such entry.
DWORD PathAttributes(const std::string& path);

// The Windows folder: %WinDir% when it is set, else the platform's answer; "" when neither
// gives one.
std::string WindowsFolder();

// The full path of `path` as the path rules make it (".." and "." steps taken), however long;
// "" when it cannot be had.
std::string FullPathOf(const std::string& path);

// Joins folder and name with one backslash into out. False (out empty) when the result
// would pass the platform's longest path or `size`, or when either part is missing.
bool JoinPath(const char* folder, const char* name, char* out, size_t size);
// The same into a string: "" when either part is missing or the result is too long.
std::string JoinPath(const std::string& folder, const std::string& name);

// A text that names a folder by a full path: a drive letter, a colon, and either nothing
// more (the drive's root) or a backslash and the rest. "docs", "C:docs" (relative to the
// drive's current folder) and "\\server\share" are not, and nor is a text holding a
// wildcard, which a listing would expand, or a step that the path rules would read as another
// name ("x.", "...", "aux").
bool IsFullFolderPath(const char* path);

// Whether a path names a drive or its root ("C:", "C:\"), which no file operation may take.
bool IsDriveRoot(const char* path);

// Turns the platform's wide find record into the record the program keeps. Names are
// converted without best fit: a character the code page cannot hold exactly becomes '?', so
// "a-macron.txt" (U+0101) lists as "?.txt" under a code page without it, and never as
// "a.txt", which would name another file. A name too long for the record is cut on a
// character and ends in "...". True when both names came over exactly, which they do not when
// a character was lost or stood for (U+FFFD, a lone surrogate) or a name was cut.
bool NarrowFindRecord(const WIN32_FIND_DATAW& wide, FindRecord& record);

// The system's ANSI code page (of its locale), which programs without a code page of their
// own speak; it differs from the program's when the program's manifest gives it UTF-8.
UINT SystemAnsiCodePage();
// Converts `length` bytes of an 8-bit text in the system's code page into the program's code
// page exactly (as they are when the two are one); false (out empty) when a character has no
// exact counterpart, a byte is no character, or the result does not fit `size` bytes.
bool NarrowFromSystem(const char* text, size_t length, char* out, size_t size);

// The text, in the program's code page, as UTF-8 (the same bytes when the code page is UTF-8
// or the text is plain ASCII): the log, find.txt and the pages are UTF-8.
std::string Utf8Text(const char* text);

// The text, in the program's code page, as wide characters; empty when it does not convert.
std::wstring WideText(const char* text);

// Converts a wide name or path into the code page exactly; false (out empty) when a
// character has no exact counterpart or the result does not fit `size` bytes.
bool NarrowExact(const WCHAR* text, char* out, size_t size);
// The same for a text of any length: "" when a character has no exact counterpart.
std::string NarrowText(const std::wstring& text);

// The records of one folder with each entry's identity, as the file system lists them in one
// walk. Where the file system gives no identities the folder is listed by its find records,
// and every identity is left empty (all zeros).
class FolderListing {
  public:
    // `folder`: the wide folder path ("C:" is the drive's root). Without `with_ids` the folder
    // is listed by its find records and no identity is read: asking a folder for its volume
    // costs more than listing a small one, which a walk through many folders feels.
    explicit FolderListing(std::wstring folder, bool with_ids = true);
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;
    ~FolderListing();
    bool ok() const { return ok_; }
    // The next record and its identity; false at the end of the folder.
    bool Next(WIN32_FIND_DATAW& record, FileId* id);

  private:
    bool Fill();
    void Remember(const WIN32_FIND_DATAW& record);
    std::wstring path_;
    std::wstring probe_;  // a name of the folder as listed, to release the platform's copy
    // Whether the platform's copy is let go at the end: a walk through many folders (no
    // identities asked) lets each go by listing the next, and one look per folder would cost
    // more than the listing of a small one.
    bool release_ = true;
    Handle folder_;
    FindHandle find_;
    bool ok_ = false;
    bool first_ = true;   // the first record of the find records is pending
    WIN32_FIND_DATAW first_record_ = {};
    DWORD volume_ = 0;
    std::unique_ptr<LONGLONG[]> buffer_;  // 8-byte aligned, as the records are
    size_t at_ = 0;       // the offset of the next record in the buffer
    bool more_ = false;   // the buffer holds a record at at_
};

// Lists the folder held in path[0, length) (the caller's buffer, which must hold a zero at
// `length`) and calls visit(record, reach) for every record but "." and "..". `reach` says how
// the entry is reached and which name goes into its paths, and holds the entry's identity as
// listed: entries reached as they are spelled are visited as they come, the others (see
// OddNames) once the listing is complete. visit returns false to end the walk early. Returns
// false when the folder could not be listed or passes the platform's longest path. The folder
// is listed through its "\\?\" form by its wide names, so a folder of any length the platform
// allows is listed, and each record converted by NarrowFindRecord. Without `with_ids` every
// identity is left empty but those that prove a short name (for walks through many folders,
// the search and the size scan, whose results no identity follows).
template <typename Visit>
bool WalkFolder(char* path, size_t length, FindRecord& record, Visit visit, bool with_ids = true) {
    path[length] = '\0';
    if (PathUnits(path, length) + 2 > kLongestPathUnits) return false;
    // The folder's own copy: the caller's buffer may grow (and move) within a visit.
    const std::string folder_path(path, length);
    std::wstring folder = LongPath(folder_path);
    if (folder.empty()) return false;
    FolderListing listing(std::move(folder), with_ids);
    if (!listing.ok()) return false;
    WIN32_FIND_DATAW wide;
    FileId id;
    OddNames odd;
    std::vector<FileId> odd_ids;
    bool going = true;
    while (going && listing.Next(wide, &id)) {
        bool exact = NarrowFindRecord(wide, record);
        if (!record.cFileName[0] || IsDotName(record.cFileName)) continue;
        if (exact && NameReachable(record.cFileName)) {
            Reach reach;
            reach.name = record.cFileName;
            reach.id = id;
            going = visit(record, reach);
        } else {
            odd.Add(wide, record, exact);
            odd_ids.push_back(id);
        }
    }
    if (going && !odd.empty()) {
        odd.Decide(folder_path.c_str());
        for (size_t i = 0; i < odd.size(); i++) {
            odd.record(i, record);
            Reach reach = odd.reach(i);
            // The record is the caller's from here on: the name points into it.
            if (reach.how == kReachShort) reach.name = record.cAlternateFileName;
            else reach.id = odd_ids[i];
            if (!visit(record, reach)) break;
        }
    }
    return true;
}
