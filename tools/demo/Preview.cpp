// Loading a data folder's scenario through the core, and drawing it as the game's views would.
#include "tools/demo/Preview.h"

#include "tools/demo/DemoData.h"

#include "core/display/CDisplay.h"
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/world/AreaMapData.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <fstream>

namespace demo {

LoadedScenario::~LoadedScenario()
{
    grid.reset();
    sprites.reset();
    if (GetCurrentMap() == map.get())
        SetCurrentMap(nullptr);
    map.reset();
    areaMap.reset();
    scenario.reset();
}

namespace {

template <class T> bool ReadObject(QFArchive& archive, std::unique_ptr<T>& into, const std::string& name)
{
    T* object = nullptr;
    QFSerializePointer(&archive, &object, name);
    into.reset(object);
    return !archive.Failed() && object != nullptr;
}

} // namespace

std::unique_ptr<LoadedScenario> LoadScenarioFolder(const std::string& folder, const std::string& scenario,
                                                   CDisplay* display)
{
    auto loaded = std::make_unique<LoadedScenario>();
    RegisterCoreClasses();
    WorldContext().m_strDataFolder = folder;
    WorldContext().m_strScenarioName = scenario;
    WorldContext().m_pDisplay = display;
    {
        QFFileStream stream;
        if (!stream.Open(platform::JoinPath(folder, scenario), QFFileStream::kBinary, QFFileStream::kRead)) {
            loaded->failure = "cannot open " + scenario;
            return loaded;
        }
        QFArchive archive;
        archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
        bool ok = ReadObject(archive, loaded->map, "Map");
        if (ok)
            SetCurrentMap(loaded->map.get());
        ok = ok && ReadObject(archive, loaded->sprites, "Sprites");
        ok = ok && ReadObject(archive, loaded->grid, "PathData");
        ok = ok && ReadObject(archive, loaded->scenario, "CScenarioData");
        if (!ok)
            loaded->failure = scenario + ": " + (archive.Failed() ? archive.FailReason() : "an object is missing");
        archive.EndDocument();
        stream.Close();
    }
    if (!loaded->failure.empty())
        return loaded;
    std::string area = scenario;
    area.back() = 'a';
    QFFileStream stream;
    if (!stream.Open(platform::JoinPath(folder, area), QFFileStream::kBinary, QFFileStream::kRead)) {
        loaded->failure = "cannot open " + area;
        return loaded;
    }
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
    if (!ReadObject(archive, loaded->areaMap, "CAreaMapData") || !loaded->areaMap->m_pSpriteManager)
        loaded->failure = area + ": " + (archive.Failed() ? archive.FailReason() : "no area map or stations");
    archive.EndDocument();
    stream.Close();
    return loaded;
}

namespace {

Canvas FromSurface(const platform::PixelSurface& s)
{
    Canvas c(s.Width(), s.Height());
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            c.Set(x, y, platform::Rgb565ToColorRef(s.GetPixel(x, y)));
    return c;
}

// The first word of each of the first three lines of "GameInfo.txt": the tile art and tile-type files.
bool TileFiles(const std::string& folder, std::string names[3])
{
    std::ifstream in(platform::ResolvePathCase(platform::JoinPath(folder, "GameInfo.txt")));
    for (int i = 0; i < 3; ++i)
        if (!(in >> names[i]) || !in.ignore(1 << 20, '\n'))
            return false;
    return true;
}

} // namespace

Canvas RenderTacticalMap(LoadedScenario& loaded, const std::string& folder, CDisplay& display, int zoom)
{
    std::string files[3];
    if (!loaded.map || !loaded.sprites || !TileFiles(folder, files))
        return Canvas();
    static CModeRecord mode; // read by the map and the sprites while they draw
    mode = CModeRecord();
    mode.m_nZoom = zoom;
    CMap2DLinked& map = *loaded.map;
    map.SetModeRecord(&mode);
    map.Initialize(800, 448, files[0], files[1], files[2], &display, folder);
    RECT view{};
    map.SetZoom(&view);
    loaded.sprites->CreateViewSurface(&display);
    loaded.sprites->SetDrawFilter(nullptr, nullptr, &display);
    loaded.sprites->SetZoom(zoom);
    const int tile = zoom == 0 ? 32 : 8;
    const int width = map.GetColumns() * tile, height = map.GetRows() * tile;
    Canvas out(width, height, RGB(0, 0, 0));
    CSurface* target = display.GetBackBuffer();
    for (int top = 0; top < height; top += 448)
        for (int left = 0; left < width; left += 800) {
            map.CenterViewAt(&view, left + 400, top + 224);
            target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &display.GetFillRecord());
            map.Draw(view, target);
            loaded.sprites->UpdateScreenRects(view);
            loaded.sprites->Draw(view, target);
            Canvas part = FromSurface(*target->GetPixels());
            for (int y = 0; y < std::min(448, view.bottom - view.top); ++y)
                for (int x = 0; x < std::min(800, view.right - view.left); ++x)
                    out.Set(view.left + x, view.top + y, part.At(x, y));
        }
    map.SetModeRecord(nullptr);
    return out;
}

Canvas RenderAreaMap(LoadedScenario& loaded, const std::string& folder, CDisplay& display)
{
    if (!loaded.map || !loaded.areaMap || !loaded.areaMap->m_pSpriteManager)
        return Canvas();
    CMap2DLinked& map = *loaded.map;
    if (!map.LoadAreaMapBitmap(folder, loaded.areaMap->m_szMapBitmap, false))
        return Canvas();
    CSurface* target = display.GetBackBuffer();
    target->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &display.GetFillRecord());
    map.DrawAreaMapBitmap(target);
    CSpriteManager& stations = *loaded.areaMap->m_pSpriteManager;
    const RECT view{0, 0, 800, 448};
    stations.CreateViewSurface(&display);
    stations.SetDrawFilter(nullptr, nullptr, &display);
    stations.SetZoom(0);
    stations.UpdateScreenRects(view);
    stations.Draw(view, target);
    Canvas all = FromSurface(*target->GetPixels());
    Canvas out(800, 448);
    out.Blit(all, 0, 0);
    return out;
}

} // namespace demo
