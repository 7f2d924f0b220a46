// The names an area map goes by: its bitmap name from a file name, and the ".zra" path and title from a new
// bitmap.
#pragma once

#include <string>
#include <vector>

namespace vellisk {

// Longest bitmap name the document keeps (259 characters and a terminator).
constexpr size_t kMaxBitmapName = 259;

// The bitmap name for a file name: cut at the first ".zra" (lower case only), ".bmp" appended. False when the
// result does not fit.
bool MakeBitmapName(const std::string& name, std::string* bitmapName);

// The file's name without its folder and without its last extension.
std::string FileTitle(const std::string& path);

// The name a map picture goes by in an area map: its file name, when the file lies in "<data>/Maps" (any letter
// case of "Maps") and the name is a plain file name that fits. False (nothing set) otherwise.
bool MapsPictureName(const std::string& picturePath, const std::string& dataFolder, std::string* bitmapName);

// The ".zra" of a new bitmap "<...>/Maps/Town.bmp": "<data>/TOWN.ZRA", title "Town", bitmap name "Town.bmp" (the
// picture's own file name).
struct CAreaMapNames {
    std::string pathName;
    std::string fileTitle;
    std::string bitmapName;
};
// False (nothing set) for a path without a folder, without ".bmp" (any case) exactly once, or without a title.
bool NamesFromBitmap(const std::string& bitmapPath, const std::string& dataFolder, CAreaMapNames* names);

} // namespace vellisk
