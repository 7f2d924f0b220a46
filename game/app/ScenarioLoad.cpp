// Loading a scenario's archives into the game object's live objects.
#include "game/app/ScenarioLoad.h"

#include "core/display/CDisplay.h"
#include "core/events/ZREventsData.h"
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/widgets/CPopupMenuView.h"
#include "core/world/AreaMapData.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "game/app/FileTransfer.h"
#include "game/app/Game.h"
#include "game/app/ScenarioLoadRuntime.h"
#include "game/screens/eoc/EOC.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/IncidentWorldGame.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/sim/SquadGame.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;
#include <vector>
#include <cstdio>

namespace {

bool EndsWithNoCase(const std::string& text, const std::string& tail)
{
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i) {
        const unsigned char a = static_cast<unsigned char>(text[text.size() - tail.size() + i]);
        if (std::tolower(a) != std::tolower(static_cast<unsigned char>(tail[i])))
            return false;
    }
    return true;
}

template <class T> T* ReadObject(QFArchive& archive, const std::string& name)
{
    T* object = nullptr;
    QFSerializePointer(&archive, &object, name);
    return object;
}

// Reports a load failure the way the game reports its file problems.
bool Fail(const std::string& text)
{
    platform::DebugOutput(text);
    platform::ShowMessageBox(text, "Failed to load the scenario.", platform::MessageIcon::Error);
    return false;
}

} // namespace

bool DeriveScenarioNames(const std::string& scenario, CScenarioNames& names)
{
    // The old loader cut four characters off any name; a short one underflowed.
    if (scenario.size() <= 4 || !EndsWithNoCase(scenario, ".zri"))
        return false;
    names.strScenario = scenario;
    names.strStem = scenario.substr(0, scenario.size() - 4);
    names.strAreaMap = scenario.substr(0, scenario.size() - 1) + "a";
    names.strAgencyCsv = names.strStem + ".csv";
    const std::string normal = platform::NormalizeSeparators(scenario);
    const size_t slash = normal.rfind('/');
    names.strFileName = slash == std::string::npos ? normal : normal.substr(slash + 1);
    return true;
}

namespace {

// A client's copies of the scenario archive, the area-map archive and the agency list, into their folder.
bool ReceiveScenarioFiles(CGame& game, const std::string& base, const CScenarioNames& names)
{
    std::error_code ec;
    const fs::path folder = fs::path(platform::JoinPath(base, names.strScenario)).parent_path();
    fs::create_directories(folder, ec);
    if (!(game.m_uMode & kModeFromSave))
        fs::create_directories(folder / "Maps", ec);
    if (ec) {
        platform::DebugOutput("Could not make " + folder.string() + ": " + ec.message());
        return false;
    }
    return game.ReceiveFileFromHost(10, 9, platform::JoinPath(base, names.strScenario)) &&
           game.ReceiveFileFromHost(12, 11, platform::JoinPath(base, names.strAreaMap)) &&
           game.ReceiveFileFromHost(20, 19, platform::JoinPath(base, names.strAgencyCsv));
}

} // namespace

bool LoadScenarioForGame(CGame& game)
{
    const std::string base = game.GetBasePath();
    auto runtime = std::make_unique<CScenarioRuntime>(game);

    // 1-2. "GameInfo.txt".
    const std::string infoPath = platform::JoinPath(base, "GameInfo.txt");
    std::string why;
    if (!ReadGameInfo(infoPath, runtime->m_info, &why)) {
        platform::DebugOutput(infoPath);
        platform::ShowMessageBox(why.empty() ? infoPath : why, "Failed to open the game info file.");
        return false;
    }
    const CGameInfo& info = runtime->m_info;

    // 4. A client loads its copies of the host's files, received into their folder first (the agency list
    // too: the sprites read it while they load).
    const bool networked = game.m_pSession && (game.m_uMode & kModeNetworked);
    const bool client = networked && !game.m_bAuthority;
    if (client) {
        const std::string bare = platform::NormalizeSeparators(game.m_strScenarioName);
        const std::string file = bare.substr(bare.rfind('/') == std::string::npos ? 0 : bare.rfind('/') + 1);
        game.m_strScenarioName =
            std::string((game.m_uMode & kModeFromSave) ? "GameFromHost" : "ScenarioFromHost") + "/" + file;
    }

    // 3. The names; a name that is not a ".zri" file is refused here.
    const std::string normal = platform::NormalizeSeparators(game.m_strScenarioName);
    if (!DeriveScenarioNames(normal, runtime->m_names))
        return Fail("Not a scenario file (.zri): " + game.m_strScenarioName);
    const CScenarioNames& names = runtime->m_names;
    WorldContext().m_strDataFolder = base;
    WorldContext().m_strScenarioName = names.strScenario;
    const std::string folder =
        platform::JoinPath(base, names.strScenario.substr(0, names.strScenario.size() - names.strFileName.size()));
    if (client && !ReceiveScenarioFiles(game, base, names))
        return false;

    // 5. The scenario archive: "Map", "Sprites", "PathData", "CScenarioData"; the tile map is the current
    // map before the path grid is read.
    {
        const std::string path = platform::ResolvePathCase(platform::JoinPath(base, names.strScenario));
        QFFileStream stream;
        if (!stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead))
            return Fail("Failed to open file: " + path);
        QFArchive archive;
        archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
        game.m_pMap.reset(ReadObject<CMap2DLinked>(archive, "Map"));
        if (game.m_pMap)
            SetCurrentMap(game.m_pMap.get());
        if (!archive.Failed())
            game.m_pSprites.reset(ReadObject<CSpriteManager>(archive, "Sprites"));
        if (!archive.Failed() && game.m_pMap)
            game.m_pPathData.reset(ReadObject<CPathData>(archive, "PathData"));
        if (!archive.Failed())
            game.m_pScenario.reset(ReadObject<CScenarioData>(archive, "CScenarioData"));
        const bool failed = archive.Failed();
        const std::string reason = failed ? archive.FailReason() : std::string();
        archive.EndDocument();
        stream.Close();
        // A missing or broken archive used to leave a null tile map that the start then drew.
        if (failed || !game.m_pMap || !game.m_pSprites || !game.m_pPathData) {
            game.ReleaseScenario();
            return Fail(path + (reason.empty() ? ": the map, sprites or path grid are missing" : ": " + reason));
        }
        if (!game.m_pScenario)
            game.m_pScenario = std::make_unique<CScenarioData>();
        if (!game.m_pScenario->m_pEvents)
            game.m_pScenario->m_pEvents = new CZREventsData();
    }
    {
        const std::string path = platform::ResolvePathCase(platform::JoinPath(base, names.strAreaMap));
        QFFileStream stream;
        if (!stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead)) {
            game.ReleaseScenario();
            return Fail("Failed to open file: " + path);
        }
        QFArchive archive;
        archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
        game.m_pAreaMap.reset(ReadObject<CAreaMapData>(archive, "CAreaMapData"));
        const bool failed = archive.Failed();
        const std::string reason = failed ? archive.FailReason() : std::string();
        archive.EndDocument();
        stream.Close();
        if (failed || !game.m_pAreaMap || !game.m_pAreaMap->m_pSpriteManager) {
            game.ReleaseScenario();
            return Fail(path + (reason.empty() ? ": no area map or stations" : ": " + reason));
        }
        // The name becomes a path in the save folder and on clients: a folder, drive or ".." is refused.
        const char* bitmap = game.m_pAreaMap->m_szMapBitmap;
        if (bitmap[0] && !IsBareFileName(bitmap)) {
            const std::string name = bitmap;
            game.ReleaseScenario();
            return Fail(path + ": the map bitmap name \"" + name + "\" is not a plain file name");
        }
        game.m_pAreaSprites = game.m_pAreaMap->m_pSpriteManager;
    }
    // The map bitmap: beside a saved game's files, else in the "Maps" folder beside the scenario.
    const std::string bitmapName = game.m_pAreaMap->m_szMapBitmap[0] ? game.m_pAreaMap->m_szMapBitmap : "AreaMap.bmp";
    const std::string bitmapPath = (game.m_uMode & kModeFromSave)
                                       ? platform::JoinPath(folder, bitmapName)
                                       : platform::JoinPath(platform::JoinPath(folder, "Maps"), bitmapName);
    if (client && (!IsBareFileName(bitmapName) || !game.ReceiveFileFromHost(14, 13, bitmapPath))) {
        game.ReleaseScenario();
        platform::DebugOutput("The map bitmap \"" + bitmapName + "\" did not come from the host");
        return false;
    }
    // A host keeps its files compressed for the clients; a file too large to send refuses the game.
    if (networked && game.m_bAuthority &&
        !(game.KeepFileForClients(kFileScenario, platform::JoinPath(base, names.strScenario)) &&
          game.KeepFileForClients(kFileAreaMap, platform::JoinPath(base, names.strAreaMap)) &&
          game.KeepFileForClients(kFileBitmap, bitmapPath) &&
          game.KeepFileForClients(kFileAgencies, platform::JoinPath(base, names.strAgencyCsv)))) {
        game.ReleaseScenario();
        return false;
    }

    // 6. The agencies a player commands: every agency but civilians (5) and threats (6).
    uint32_t mask = 0;
    for (const auto& [index, agency] : game.m_pSprites->GetAgencies())
        if (agency.m_nKind != 5 && agency.m_nKind != 6)
            mask |= 1u << (static_cast<uint32_t>(index) % 32);
    game.GetLocalPlayerInfo()->uRoleFlags = mask;

    // 8-9. The tile map's art and view, the map bitmap, the sprites over it.
    CSquadGame& squads = *game.m_pSquadGame;
    CMap2DLinked& map = *game.m_pMap;
    CDisplay* display = game.m_pDisplay.get();
    squads.m_drawFilter.m_nModeFlags = static_cast<int32_t>(game.m_uMode);
    squads.m_drawFilter.m_nZoom = 0;
    map.SetModeRecord(&squads.m_drawFilter);
    map.Initialize(800, 448, info.aNames[CGameInfo::kTileArtSmall], info.aNames[CGameInfo::kTileArtLarge],
                   info.aNames[CGameInfo::kTileTypeList], display, base);
    // The map draws without its picture; the loss is told once.
    if (!map.LoadAreaMapBitmap(bitmapPath, "", true) && display && display->IsUsable())
        platform::ReportUnloadableFile(bitmapPath, "LoadAreaMapBitmap");
    squads.m_rcView = RECT{0, 0, 800, 448};
    map.SetZoom(&squads.m_rcView);
    game.m_pSprites->SetZoom(0);
    game.m_pSprites->UpdateScreenRects(squads.m_rcView);
    game.m_pSprites->UpdateFeatureOverlaps(&map);

    // 10-11. The pop-up menu view and the sprites' draw filter.
    if (display && !info.aNames[CGameInfo::kPopupMenuList].empty())
        game.m_pPopupView =
            std::make_unique<CPopupMenuView>(info.aNames[CGameInfo::kPopupMenuList].c_str(), display, base.c_str());
    if (display) {
        game.m_pSprites->CreateViewSurface(display);
        game.m_pAreaSprites->CreateViewSurface(display);
    }
    game.m_pSprites->SetDrawFilter(&squads.m_drawFilter, nullptr, display);
    game.m_pAreaSprites->SetDrawFilter(&squads.m_drawFilter, nullptr, display);

    // The ICS organisation afresh, with the scenario's unit lists and unit factors.
    game.m_pEOCUnitData->Reset();
    for (int section = 0; section < kSections; ++section) {
        const std::string& list = info.aNames[CGameInfo::kSectionUnitList + section];
        if (!list.empty())
            game.m_pEOCUnitData->LoadUnitList(base, list, section);
    }
    if (!info.aNames[CGameInfo::kUnitFactorList].empty())
        game.m_pEOCUnitData->LoadUnitFactors(base, info.aNames[CGameInfo::kUnitFactorList]);

    // 14. The incident world over the sprites and the path grid, then the squads that join it.
    game.m_pIncidentWorld = std::make_unique<CIncidentWorld>();
    game.m_pIncidentWorld->Attach(game.m_pSprites.get(), game.m_pPathData.get(), game.m_pScenario->m_nWindDirection,
                                  game.m_pScenario->m_nWindSpeed);
    game.m_pIncidentWorld->LoadParameters(base, info.aNames[CGameInfo::kIncidentParameterList]);
    game.m_pIncidentWorld->SetupObstructions();
    ConnectIncidentWorld(game, *game.m_pIncidentWorld);
    squads.AttachScenario();

    // 15. The clock, scoring and event trigger engine.
    game.m_pRuntime = std::move(runtime);
    game.m_pRuntime->Start();
    return true;
}

bool CGame::PrepareQuickStart()
{
    if (!m_pLobby)
        return false;
    m_uMode &= ~kModeFromSave;
    CScenarioNames chosen;
    if (!DeriveScenarioNames(m_pLobby->m_strChosenName, chosen)) {
        // No scenario chosen: the first ".zri" of the base folder, by name.
        std::vector<std::string> found;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(m_strBasePath, ec)) {
            CScenarioNames names;
            const std::string name = entry.path().filename().string();
            if (entry.is_regular_file(ec) && DeriveScenarioNames(name, names))
                found.push_back(name);
        }
        if (found.empty())
            return false;
        std::sort(found.begin(), found.end());
        m_pLobby->m_strChosenName = found.front();
    }
    return true;
}
