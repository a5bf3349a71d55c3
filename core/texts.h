// The texts of the list's cells: the one size format and the one date format, and the row
// a typed name finds.
#pragma once

#include <windows.h>
#include <cstddef>

#include "core/entry.h"

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

// The row of `view` whose name begins with `text` (equals it, unless `partial`), case ignored,
// looked for from row `start` to the end and then, with `wrap`, from the top; -1 when none.
// Find results are matched on their name, not their folder.
int FindRow(const ViewSlot* view, const char* text, int start, bool partial, bool wrap);
