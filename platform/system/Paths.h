// Path helpers: joining data-folder paths with '/', and finding files whose names differ only in letter case.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

// Joins two path pieces with one '/' (the data files' "folder\name" forms). Backslashes in either piece become '/'.
std::string JoinPath(const std::string& folder, const std::string& name);

// Turns every backslash into '/'.
std::string NormalizeSeparators(const std::string& path);

// The existing path that matches `path` when letter case is ignored component by component
// (data made on a case-blind system still loads). Returns `path` itself, normalised, when it exists
// as given or when no match is found.
std::string ResolvePathCase(const std::string& path);

// The path a write of `path` goes to: an existing file of the same name in other case, else the name as
// given in its folder found in any case.
std::string ResolveWritePath(const std::string& path);

// fopen with ResolvePathCase applied to the path for read modes; write modes reuse an existing
// file of the same name in other case, else create the name as given.
FILE* OpenFile(const std::string& path, const char* mode);

// The current working folder, without a trailing '/'.
std::string CurrentFolder();

} // namespace platform
