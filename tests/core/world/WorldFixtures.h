// A data folder for sprite tests: the reference lists of tests/data/world and small magenta-keyed bitmaps.
#pragma once

#include "core/display/CDisplay.h"
#include "core/world/WorldTestSupport.h"
#include "support/DisplayFixtures.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace worldtest {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

inline std::string WorldDataDir()
{
#ifdef ZR_WORLD_DATA
    return ZR_WORLD_DATA;
#else
    const char* dir = std::getenv("ZR_SOURCE_DIR");
    return std::string(dir ? dir : ".") + "/tests/data/world";
#endif
}

// A w x h bitmap: magenta border, `inside` elsewhere.
inline void WriteSpriteBmp(const std::string& path, int w, int h, COLORREF inside)
{
    fixtures::WriteFile(path, fixtures::MakeBmp24(w, h, [=](int x, int y) {
                            return (x == 0 || y == 0 || x == w - 1 || y == h - 1) ? kMagenta : inside;
                        }));
}

class WorldDataFolder {
public:
    explicit WorldDataFolder(bool bitmaps = true)
    {
        for (const auto& e : std::filesystem::directory_iterator(WorldDataDir()))
            std::filesystem::copy_file(e.path(), m_folder.File(e.path().filename().string()));
        std::filesystem::create_directories(m_folder.File("Sprites"));
        if (bitmaps)
            WriteBitmaps();
    }
    std::string Path() const { return m_folder.Path(); }
    std::string File(const std::string& name) const { return m_folder.File(name); }
    const TempFolder& Folder() const { return m_folder; }
    void Remove(const std::string& name) const { std::filesystem::remove(m_folder.File(name)); }

private:
    void WriteBitmaps() const
    {
        for (const char* agency : {"Police", "Fire", "EMS"})
            WriteSpriteBmp(File(std::string("Sprites/") + agency + "_P.bmp"), 8, 8, kRed);
        for (const char* agency : {"Police", "Fire"})
            WriteSpriteBmp(File(std::string("Sprites/") + agency + "_V.bmp"), 12, 6, kRed);
        for (const char* name : {"tree", "building", "rubble", "car", "marker", "waypoint", "station", "site"}) {
            WriteSpriteBmp(File(std::string("Sprites/") + name + "_32.bmp"), 16, 16, kRed);
            WriteSpriteBmp(File(std::string("Sprites/") + name + "_8.bmp"), 4, 4, kRed);
        }
        for (int m = 0; m < 10; ++m) {
            for (const char* zoom : {"32", "8"}) {
                fixtures::WriteFile(File("Sprites/mod" + std::to_string(m) + "_" + zoom + ".bmp"),
                                    fixtures::MakeBmp24(8, 8, [m](int x, int y) {
                                        return x == 1 + m % 6 && y == 2 ? kBlue : kMagenta;
                                    }));
            }
        }
    }
    TempFolder m_folder;
};

// A headless display of the game's size.
inline std::unique_ptr<CDisplay> MakeDisplay(int width = 800, int height = 600)
{
    return std::make_unique<CDisplay>(nullptr, width, height, 16, RGB(0, 0, 0), true);
}

inline COLORREF PixelAt(CSurface* surface, int x, int y)
{
    return platform::Rgb565ToColorRef(surface->GetPixels()->GetPixel(x, y));
}

} // namespace worldtest
