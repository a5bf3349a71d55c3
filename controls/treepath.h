// Splitting a typed path into the items of the folder tree.
#pragma once

#include <string>
#include <vector>

// Splits `path` into its drive ("C:", the first two characters) and the folder names
// below it. Empty components (a trailing or doubled backslash) and "." are dropped and
// ".." climbs one level, so "C:\Windows\" and "C:\Windows" name the same item. Returns
// false when the path names no drive (fewer than two characters, no letter and colon, or a
// network path) or when the joined result would pass the platform's longest path.
bool SplitTreePath(const char* path, std::vector<std::string>& parts);
