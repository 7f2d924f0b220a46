// The editor world: construction, the display, new and opened scenarios, view arithmetic and drawing.
#include "editors/tacmap/model/EditorWorld.h"

#include "core/display/CDisplay.h"
#include "core/events/ConditionHooks.h"
#include "core/events/ZREventsData.h"
#include "core/widgets/CPopupMenuView.h"
#include "core/world/Map2DLinked.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "editors/tacmap/model/GameInfo.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <ctime>
#include <filesystem>

namespace tacmap {

namespace {
std::string CurrentFolder()
{
    std::error_code ec;
    std::string folder = std::filesystem::current_path(ec).string();
    return folder.substr(0, 259);
}
} // namespace

CEditorWorld::CEditorWorld() : CEditorWorld(CurrentFolder()) {}

CEditorWorld::CEditorWorld(const std::string& dataFolder) : m_strDataFolder(dataFolder)
{
    m_settings.m_nModeFlags = 0x200004;
    CWorldContext& context = WorldContext();
    context.m_strDataFolder = m_strDataFolder;
    context.m_strScenarioName.clear();
    InstallHooks();
}

CEditorWorld::~CEditorWorld()
{
    m_pPathData.reset();
    m_pMap.reset();
    m_pPopupView.reset();
    if (WorldContext().m_pDisplay == m_pDisplay.get())
        WorldContext().m_pDisplay = nullptr;
    m_pDisplay.reset();
    m_pScenario.reset();
    m_pSprites.reset();
    ResetConditionHooks();
}

void CEditorWorld::InstallHooks()
{
    ConditionHooks hooks;
    hooks.unitName = [](int32_t, int32_t) { return std::string("STUB"); };
    hooks.eventName = [](int32_t) { return std::string(); };
    hooks.scenarioZones = [this]() -> const ZoneVector& {
        static const ZoneVector none;
        return m_pScenario && m_pScenario->m_pEvents ? m_pScenario->m_pEvents->m_vZones : none;
    };
    SetConditionHooks(hooks);
}

void CEditorWorld::SetWindowedDefaults()
{
    m_bWindowed = 1;
    m_nWidth = 800;
    m_nHeight = 600;
}

bool CEditorWorld::CreateDisplay(platform::IPresentTarget* window)
{
    m_pDisplay = std::make_unique<CDisplay>(window, m_nWidth, m_nHeight, 16, 0, m_bWindowed != 0);
    WorldContext().m_pDisplay = m_pDisplay.get();
    m_bRedrawClear = m_bRedrawMap = m_bRedrawSprites = 1;
    return true;
}

void CEditorWorld::FreeScenario()
{
    if (GetCurrentMap() == m_pMap.get())
        SetCurrentMap(nullptr);
    m_pMap.reset();
    m_pSprites.reset();
    m_pPathData.reset();
    m_pScenario.reset();
    m_pPopupView.reset();
}

std::string CEditorWorld::FullPath(const std::string& name) const
{
    return platform::JoinPath(m_strDataFolder, name);
}

void CEditorWorld::InitialiseMap(CMap2DLinked& map, const std::vector<std::string>& lines)
{
    map.SetModeRecord(&m_settings);
    map.Initialize(800, 576, lines[0], lines[1], lines[2], m_pDisplay.get(), m_strDataFolder);
}

namespace {
// One message for the sprite records an open left out: the next save would lose them for good.
void ReportSkippedSprites(const std::string& path, const CSpriteManager::LoadSkips& skips)
{
    if (skips.Total() == 0)
        return;
    auto line = [](int n, const char* one, const char* many) {
        return "\n" + std::to_string(n) + " " + (n == 1 ? one : many);
    };
    std::string text = std::to_string(skips.Total()) + (skips.Total() == 1 ? " sprite record" : " sprite records") +
                       " of\n" + path + "\ncould not be placed and " + (skips.Total() == 1 ? "was" : "were") +
                       " skipped:";
    if (skips.unknownTemplate > 0)
        text += line(skips.unknownTemplate, "names a template that does not exist", "name templates that do not exist");
    if (skips.badKind > 0)
        text += line(skips.badKind, "has a kind outside 1 to 4", "have kinds outside 1 to 4");
    text += "\n\nSaving the scenario leaves them out for good.";
    platform::DebugOutput(text);
    platform::ShowMessageBox(text, "Tarnwick", platform::MessageIcon::Warning);
}
} // namespace

bool CEditorWorld::OpenScenario(const std::string& name)
{
    std::vector<std::string> lines;
    if (!ReadGameInfo(m_strDataFolder, 17, &lines))
        return false;
    // The sprites read the agency list named after the scenario, and the path grid binds to the map read first.
    CWorldContext& context = WorldContext();
    const std::string oldName = context.m_strScenarioName;
    CMap2DLinked* oldMap = GetCurrentMap();
    context.m_strScenarioName = name;
    context.m_strDataFolder = m_strDataFolder;
    context.m_pDisplay = m_pDisplay.get();
    const std::string path = FullPath(name);
    ScenarioObjects read;
    std::string reason;
    if (!ReadScenarioObjects(path, &read, &reason)) {
        context.m_strScenarioName = oldName;
        SetCurrentMap(oldMap);
        platform::DebugOutput("Failed to open file: " + path + " (" + reason + ")");
        platform::ShowMessageBox("Failed to open file:\n" + path, "Tarnwick", platform::MessageIcon::Warning);
        return false;
    }
    FreeScenario();
    m_pMap = std::move(read.map);
    m_pSprites = std::move(read.sprites);
    m_pPathData = std::move(read.grid);
    m_pScenario = std::move(read.scenario);
    SetCurrentMap(m_pMap.get());
    m_pPathData->SetTileMap(m_pMap.get());
    m_strScenarioFile = name;
    InitialiseMap(*m_pMap, lines);
    SetZoom(1);
    m_pPopupView = std::make_unique<CPopupMenuView>(lines[5].c_str(), m_pDisplay.get(), m_strDataFolder.c_str());
    m_pSprites->CreateViewSurface(m_pDisplay.get());
    // Mended: with the agency mask of 0 no squad or vehicle of an opened scenario was drawn, so none could be
    // seen, picked, moved or deleted. Without a mask every sprite is drawn, as in a new scenario.
    m_pSprites->SetDrawFilter(&m_settings, nullptr, m_pDisplay.get());
    ReportSkippedSprites(path, m_pSprites->GetLoadSkips());
    return true;
}

bool CEditorWorld::NewScenario()
{
    return NewScenario(static_cast<uint32_t>(std::time(nullptr)));
}

bool CEditorWorld::NewScenario(uint32_t seed)
{
    std::vector<std::string> lines;
    if (!ReadGameInfo(m_strDataFolder, 8, &lines))
        return false;
    FreeScenario();
    CWorldContext& context = WorldContext();
    context.m_strDataFolder = m_strDataFolder;
    context.m_strScenarioName.clear();
    context.m_pDisplay = m_pDisplay.get();
    m_strScenarioFile.clear();

    m_pMap = std::make_unique<CMap2DLinked>();
    InitialiseMap(*m_pMap, lines);
    m_pMap->CreateGrid(kDefaultColumns, kDefaultRows, seed);
    SetCurrentMap(m_pMap.get());

    m_pSprites = std::make_unique<CSpriteManager>();
    m_pSprites->LoadLists(lines[3], lines[4], lines[6], "ZR_Vehicle-Task_List.csv", "Agency.csv");
    m_pSprites->CreateViewSurface(m_pDisplay.get());

    m_pPathData = std::make_unique<CPathData>();
    m_pPathData->Bind(m_pMap.get());
    m_pPathData->RecomputeAll();

    m_pScenario = std::make_unique<CScenarioData>();
    m_pScenario->CreateEventsData();

    m_pSprites->UpdateScreenRects(m_rcView);
    SetZoom(1);
    m_pPopupView = std::make_unique<CPopupMenuView>(lines[5].c_str(), m_pDisplay.get(), m_strDataFolder.c_str());
    return true;
}

// ---- view ----

void CEditorWorld::SetZoom(int zoom)
{
    m_settings.m_nZoom = zoom;
    if (m_pMap)
        m_pMap->SetZoom(&m_rcView);
    if (m_pSprites) {
        m_pSprites->SetZoom(zoom);
        m_pSprites->UpdateScreenRects(m_rcView);
    }
}

void CEditorWorld::ScrollByTiles(int dx, int dy)
{
    if (m_pMap)
        m_pMap->ScrollByTiles(&m_rcView, dx, dy);
    if (m_pSprites)
        m_pSprites->UpdateScreenRects(m_rcView);
}

void CEditorWorld::CenterViewAt(int worldX, int worldY)
{
    if (m_pMap)
        m_pMap->CenterViewAt(&m_rcView, worldX, worldY);
    if (m_pSprites)
        m_pSprites->UpdateScreenRects(m_rcView);
}

void CEditorWorld::MarkTerrainRedraw(bool clear)
{
    m_bRedrawClear = clear ? 1 : 0;
    m_bRedrawMap = 1;
    m_bRedrawSprites = 0;
}

void CEditorWorld::MarkUnitsRedraw(bool clear)
{
    m_bRedrawClear = clear ? 1 : 0;
    m_bRedrawMap = 0;
    m_bRedrawSprites = 1;
}

bool CEditorWorld::Draw()
{
    if ((m_settings.m_nModeFlags & kNoDrawFlags) || !m_pDisplay || !m_pDisplay->IsUsable()) {
        m_bRedrawClear = m_bRedrawMap = m_bRedrawSprites = 1;
        return true;
    }
    CSurface* target = m_pDisplay->GetBackBuffer();
    HRESULT result = m_pDisplay->Clear(m_bRedrawClear != 0);
    if (m_pMap) {
        if (m_settings.m_nViewMode == 1) {
            result = m_pMap->DrawAreaMapBitmap(target);
        } else if (m_bRedrawMap) {
            result = m_pMap->Draw(m_rcView, target);
        }
        if (result == DD_OK && m_bRedrawSprites && m_pSprites)
            result = m_pSprites->Draw(m_rcView, target);
        if (result != DD_OK)
            m_errorLog.LogError(result, m_pDisplay->GetWindow(), "MapDrawFailed");
    }
    m_bRedrawClear = m_bRedrawMap = m_bRedrawSprites = 1;
    return true;
}

} // namespace tacmap
