// Reading text files one bounded line at a time.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// One line without its end ("\n" or "\r\n"), cut to `maxLength` characters; false at the end of the file.
bool ReadBoundedLine(FILE* file, std::string& line, size_t maxLength);

// Reads a whole file as text, keeping at most `limit` bytes; `whole` (when given) tells whether the file ended
// within the limit. False when the file cannot be opened.
bool ReadTextFile(const std::string& path, std::string& text, size_t limit, bool* whole = nullptr);
