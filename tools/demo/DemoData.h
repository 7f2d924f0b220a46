// The demo data generator: where it writes, what it wrote, and the steps that make each part of the set.
#pragma once

#include "tools/demo/Canvas.h"

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

// The output folder and the record of every file written (relative paths, in order) and of failures.
class Output {
public:
    explicit Output(std::string root) : m_strRoot(std::move(root)) {}

    const std::string& Root() const { return m_strRoot; }
    std::string Path(const std::string& relative) const;
    void Bitmap(const std::string& relative, const Canvas& picture);
    void Bytes(const std::string& relative, const std::vector<uint8_t>& bytes);
    void Text(const std::string& relative, const std::string& text);
    // Records a file some other writer made (the archives).
    void Made(const std::string& relative) { m_vFiles.push_back(relative); }
    void Fail(const std::string& why) { m_vErrors.push_back(why); }
    bool Ok() const { return m_vErrors.empty(); }
    const std::vector<std::string>& Errors() const { return m_vErrors; }
    const std::vector<std::string>& Files() const { return m_vFiles; }

private:
    std::string m_strRoot;
    std::vector<std::string> m_vFiles;
    std::vector<std::string> m_vErrors;
};

// A small deterministic hash for textures and scatter (no global random state).
uint32_t Hash(uint32_t a, uint32_t b = 0, uint32_t c = 0);

// The name of the demo scenario file and the names the set's files are known by.
constexpr const char* kScenarioFile = "Millbrook.zri";
constexpr const char* kAreaMapBitmap = "Millbrook_Area.bmp";
constexpr const char* kTileArt32 = "Tiles_32.bmp";
constexpr const char* kTileArt8 = "Tiles_8.bmp";
constexpr const char* kTileTypes = "Tile_Types.csv";

// The steps, in the order the generator runs them.
void CopyTextSources(const std::string& sourceFolder, Output& out);
void MakeTileArt(const std::string& tileTypeFile, Output& out);
void MakeSpriteArt(Output& out);
void MakeScreenArt(Output& out);
void MakeScreenLists(Output& out);
void MakeAreaMapArt(Output& out);
// The ESRI shapefiles the area map is drawn from, in "Maps/ESRI".
void MakeShapefiles(Output& out);
void MakeSounds(Output& out);
void MakeCursors(Output& out);
void MakeFont(Output& out);
void MakeArchives(Output& out);
// The folders the game expects to find: the network copies and the saved games.
void MakeFolders(Output& out);

// Runs every step into `outputFolder`; the hand-written sources come from `sourceFolder`.
// False (with the reasons in the output's errors) when anything failed.
bool MakeDemoData(const std::string& sourceFolder, const std::string& outputFolder, Output* record = nullptr);

} // namespace demo
