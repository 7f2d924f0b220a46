// "GameInfo.txt" as the scenario editor reads it: the first word of each line is a file name.
#pragma once

#include <string>
#include <vector>

namespace tacmap {

// Longest file read (the real one is a few hundred bytes).
constexpr size_t kMaxGameInfoBytes = 64 * 1024;

// The first word of each of the first `lines` non-blank lines (empty names for lines the text lacks); a word is
// cut to 259 characters.
std::vector<std::string> ParseGameInfo(const std::string& text, int lines);

// Reads "<data folder>/GameInfo.txt". When it cannot be read: a message box "Failed to open the game info file."
// captioned with its path (also to the debugger output), and false.
bool ReadGameInfo(const std::string& dataFolder, int lines, std::vector<std::string>* names);

} // namespace tacmap
