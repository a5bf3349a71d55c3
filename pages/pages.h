// The properties page, opening entries, and the settings page.
#pragma once

#include <cstdio>

#include "browse/entries.h"

void Open(unsigned index, int properties);
int ShellOpen(const char* path);
// Writes the properties page of `e`, whose full path is `path`, to `out`.
void WritePropertiesPage(FILE* out, const FolderEntry& e, const char* path);

void Settings();
// Writes the settings page to `out` (which it closes).
void WriteSettingsPage(FILE* out);
