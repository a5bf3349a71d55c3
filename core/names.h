// Which file a name reaches. The platform's path rules read some listed names as other
// names (a trailing dot or blank is dropped, "..." is the folder itself, "aux.c" is a device),
// a code page may lose characters of a name, and a short name may be shared: such an entry is
// reached by its short name only once that short name is proved to open the very entry, and
// otherwise not at all.
#pragma once

#include <windows.h>
#include <cstddef>
#include <string>
#include <vector>

#include "core/handles.h"

// A file's or folder's identity on its volume: the volume's serial number and the file index.
struct FileId {
    DWORD volume = 0;
    DWORD high = 0, low = 0;
    bool operator==(const FileId& o) const {
        return volume == o.volume && high == o.high && low == o.low;
    }
    bool operator!=(const FileId& o) const { return !(*this == o); }
};

// The identity of what `path` opens (a linked folder gives its target's); false when it
// cannot be opened. Nothing is read: devices and pipes are opened without access.
bool IdentityOf(const std::string& path, FileId* id);
// The identity of the entry of that exact wide name in `folder`, opened through a "\\?\"
// path, which the path rules leave as it is; false when it cannot be opened.
bool ExactIdentityOf(const char* folder, const WCHAR* name, FileId* id);

// Opens `path` for reading when it names a plain file on a disk; a device or a pipe behind
// the name (a device name, a link to one, a named pipe) is closed again unread, since a read of
// it may wait for good. An empty holder otherwise.
Handle OpenDiskFile(const char* path, DWORD flags = 0);
// Whether `path` names a plain file on a disk (opened and closed unread).
bool IsDiskFile(const char* path);
// Whether `path` opens something that is no file on a disk (a device, a pipe); it is opened
// without access and closed, and a path that does not open is not.
bool OpensNoDiskFile(const char* path);

// A device name, alone or with any extension: CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with
// a superscript 1, 2 or 3), CONIN$ and CONOUT$, whatever their letter case.
bool IsDeviceName(const char* name);
// Whether the path rules read the name as another: it ends in a dot or a blank, it is only
// dots (other than "." and ".."), or it is a device name.
bool NameRewritten(const char* name);
// Whether a name holds a character no name may hold: a path character (\ / : * ? " < > |,
// '?' also standing for a character the code page lacks) or a control character.
bool NameHasPathCharacter(const char* name);
// Whether a listed name is reached as it is spelled: it holds no path character and no rule
// rewrites it.
bool NameReachable(const char* name);
// Whether a full path holds a step that the path rules would read as another name (see
// NameRewritten); "." and ".." steps are the caller's to resolve.
bool PathHasRewrittenStep(const char* path);

// How the program reaches a listed entry.
enum : unsigned char {
    kReachName = 0,   // by its own name
    kReachShort = 1,  // by its short name, which was proved to open this entry
    kReachNone = 2,   // not at all: every operation on it is refused
};

// How one listed entry is reached, as the folder walker decides it.
struct Reach {
    unsigned char how = kReachName;
    FileId id;                   // the entry's identity: as listed, or with kReachShort the
                                 // one its short name was proved to open
    const char* name = nullptr;  // the name to put into paths; none with kReachNone
};

// The longest name the platform's wide find record holds is 259 UTF-16 units; in the
// program's code page a unit takes at most three bytes (UTF-8; a pair of surrogates takes four
// for two units, and a double-byte code page two for one). The ANSI find record's 260 bytes
// hold no more than 86 characters of Chinese: the program's own record holds every name the
// wide one does, whole.
constexpr size_t kNameBytes = 3 * MAX_PATH;
constexpr size_t kShortNameBytes = 3 * 14;

// A find record in the program's code page, with the fields of the platform's own records
// under their names, and room for every name whole.
struct FindFields {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
};
struct FindRecord : FindFields {
    char cFileName[kNameBytes];
    char cAlternateFileName[kShortNameBytes];
};

// The entries of one listing that are not reached as they are spelled, decided together once
// the listing is complete: names the platform gives only in part (characters it or the code
// page cannot hold come back as U+FFFD or '?') may stand for several entries at once, and a
// short name may be shared. An entry is reached by its short name when its exact name is
// unique among them, its short name is shared with none of them, and both open the same
// identity; otherwise it is not reached.
class OddNames {
  public:
    // Keeps the entry; `exact` tells whether its name was converted without loss.
    void Add(const WIN32_FIND_DATAW& wide, const FindRecord& narrow, bool exact);
    // Decides every kept entry for the folder (ANSI, the folder the names were listed in).
    void Decide(const char* folder);
    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }
    // Writes the kept record `i` into `out`.
    void record(size_t i, FindRecord& out) const;
    Reach reach(size_t i) const;

  private:
    struct Item {
        std::wstring name;
        std::wstring short_name;
        // The record without its names, and the names as the code page spells them: a folder
        // may hold many such entries, and a whole record is mostly room for a long name.
        FindFields fields;
        std::string narrow_name, narrow_short;
        bool exact;
        unsigned char how;
        FileId id;
    };
    std::vector<Item> items_;
};

// Whether `short_name` in `folder` still opens the entry of identity `id`: a short name proved
// when the folder was listed is proved again before each use, since the folder may have
// changed since.
bool ShortNameStillReaches(const char* folder, const char* short_name, const FileId& id);

// The message that tells the user a row is refused: "\"name\" cannot be reached by its name."
std::string UnreachableText(const char* name);
