// "GameInfo.txt" as the scenario editor reads it: the core's positional reader, and the lines the editor needs.
#pragma once

#include <string>
#include <vector>

namespace tacmap {

// Reads "<data folder>/GameInfo.txt" and gives the names of its first `lines` lines. Opening a scenario (17
// lines) needs the tile art, the tile types and the pop-up menu list; a new scenario (8 lines) the three
// sprite lists as well. When the file cannot be read: a message box "Failed to open the game info file."
// captioned with its path (also to the debugger output), and false. When it is no text or a needed line names
// no file: a message box with the reason, which names "GameInfo.txt", captioned with the path, and false.
bool ReadGameInfo(const std::string& dataFolder, int lines, std::vector<std::string>* names);

} // namespace tacmap
