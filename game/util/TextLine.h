// Reading text files one bounded line at a time.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// One line without its end ("\n" or "\r\n"), cut to `maxLength` characters; false at the end of the file.
bool ReadBoundedLine(FILE* file, std::string& line, size_t maxLength);
