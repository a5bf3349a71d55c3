// The list's cells as the control asks for them, its find-by-typing, and the icons.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <cstdint>

#include "browse/entries.h"
#include "core/texts.h"

// Answers the list's request for a cell's text and icon.
void ItemText(NMLVDISPINFOA* request);

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
// Forgets the icons of types looked up so far: each folder read asks again, so that a type
// whose program changed gets its new icon.
void ForgetTypeIcons();
// True when a file of this name carries an icon of its own rather than one of its type.
bool HasOwnIcon(const char* name);
