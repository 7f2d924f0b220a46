// File names taken from files and packets before they become paths.
#pragma once

#include <string>

// True for a plain file name: not empty, no folder separators, no drive, not "." or "..", printable.
bool IsBareFileName(const std::string& name);
