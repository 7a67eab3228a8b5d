// Paths as the system sees them: a file's one true path, whether two paths
// name one file, and the way from a folder to a file.
#pragma once

#include <string>

// The path of an existing file with every link and "." or ".." resolved, so
// that two spellings of one file compare equal; empty when it cannot be
// resolved.
std::string CanonicalPath(const char* name);

// Whether the two paths name one existing file (links followed); false when
// either names nothing or cannot be examined.
bool SameFile(const char* first, const char* second);

// The path that leads from the folder `folder` (the current directory when
// empty) to `target`, parts parted by "/".  Both are taken from the current
// directory when relative, and their "." and ".." parts resolved by name (no
// link is followed).  `target` as a whole path when no relative one leads
// there.
std::string RelativePath(const std::string& folder, const std::string& target);
