// The texts of the list's cells: the one size format and the one date format.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <cstdint>

#include "browse/entries.h"

// The size text "%s %s": units of 1024 (unit -1 chooses one), digit groups with
// mcfg.sep. `out` holds at least 32 bytes.
int FormatSize(char* out, long long size, int unit);
// The same with the separator given.
int FormatSizeWith(char* out, long long size, int unit, char sep);

struct DateText {
    char text[MAX_PATH] = {};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
// The date text "%4i.%02i.%02i %02i:%02i" of a file time, in UTC.
void FormatDate(DateText& date, FILETIME time);

// The Type cell: "." and the lower-cased text after the name's last dot; "" without a dot.
void TypeText(const char* name, char* out, size_t size);
// The Attribute cell: the letters A C H R P S of the set bits, in that order.
void AttributeText(DWORD attributes, char* out, size_t size);
// The text of one cell of an entry (column 0..4); false when the column supplies none.
bool CellText(const FolderEntry& e, int column, char* out, size_t size);

// Answers the list's request for a cell's text and icon.
void ItemText(NMLVDISPINFOA* request);

// The row of `view` whose name begins with `text` (equals it, unless `partial`), case ignored,
// looked for from row `start` to the end and then, with `wrap`, from the top; -1 when none.
// With `paths` (find results) the name is the part after the path's last backslash.
int FindRow(const ViewSlot* view, const char* text, int start, bool partial, bool wrap,
            bool paths);

// Answers the list's request to find a row (typing in the list), LVN_ODFINDITEMA or the wide
// LVN_ODFINDITEMW that the control may send whatever its parent's character set: the row, or
// -1. A wide text the code page cannot spell exactly finds nothing.
int FindRowAsked(const NMHDR* request);

// The index of the path's icon in the system image list, -1 when it cannot be had.
int get_iico(const char* path);
// The same for an entry of the list, whose attributes are known. Only files whose icon is
// their own (programs, icons, cursors, shortcuts) are looked up on the disk; every other
// entry gets the icon of its type and kind from the name and attributes alone, which costs
// the same in a folder of any size.
int get_iico(const char* path, DWORD attributes);
// True when a file of this name carries an icon of its own rather than one of its type.
bool HasOwnIcon(const char* name);
