// The properties page and the settings page.
#pragma once

#include <windows.h>
#include <cstdint>
#include <cstdio>
#include <string>

#include "browse/entries.h"

// The text with & < > and " written as HTML character references.
std::string EscapeHtml(const char* text);
// What the properties page shows of one entry.
struct EntryProperties {
    std::string name;        // as the list shows it (a find result with its folder)
    std::string short_name;  // "" when there is none
    DWORD attributes = 0;
    FILETIME creation_time = {};
    FILETIME last_access_time = {};
    FILETIME last_write_time = {};
    uint64_t size = 0;
};
// The properties of the entry `e`, whose full path is `path`: what the listing gave, and the
// creation and last-access times, which the entries do not keep, read from the disk for this
// one entry. A time that cannot be read is set to one the platform cannot convert, and the
// page shows "YYYY.MM.DD hh:mm:ss" for it, as for any time it cannot convert.
EntryProperties PropertiesOf(const FolderEntry& e, const char* path);
// Writes the properties page of an entry, whose full path is `path`, to `out`.
void WritePropertiesPage(FILE* out, const EntryProperties& e, const char* path);

void Settings();
// Writes the settings page to `out` (which it closes).
void WriteSettingsPage(FILE* out);

// Opens the row `index` of the view: a folder by the navigation (Navigate), a file through the
// shell; with `properties` set, the entry's properties page instead.
void Open(unsigned index, int properties);
// The page file `name` in the temporary folder, created for writing (the path in `page`); none
// when it cannot be, which is then told (with the platform's reason) and logged as failed.
FILE* CreatePage(const char* routine, const char* name, std::string* page);
// Hands a written page to the shell to show; false when the shell refused, which is then told
// and logged as failed.
bool ShowPage(const char* routine, const char* page);
// The platform's error for a ShellExecute result of 32 or less, which is either one of the
// platform's own codes or one of the shell's (no association, a DDE failure, ...).
unsigned long ShellExecuteError(INT_PTR result);

// Hands a file to the shell, with its own folder as the working folder.
int ShellOpen(const char* path);
