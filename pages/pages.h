// The properties page and the settings page.
#pragma once

#include <cstdio>
#include <string>

#include "browse/entries.h"

// The text with & < > and " written as HTML character references.
std::string EscapeHtml(const char* text);
// Writes the properties page of `e`, whose full path is `path`, to `out`.
void WritePropertiesPage(FILE* out, const FolderEntry& e, const char* path);

void Settings();
// Writes the settings page to `out` (which it closes).
void WriteSettingsPage(FILE* out);

// Opens the row `index` of the view: a folder by the navigation (Navigate), a file through the
// shell; with `properties` set, the entry's properties page instead.
void Open(unsigned index, int properties);
// Hands a file to the shell, with its own folder as the working folder.
int ShellOpen(const char* path);
