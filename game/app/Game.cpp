// The game object: construction and teardown, settings, the front end, scenario start and end, pause.
#include "game/app/Game.h"

#include "core/display/CDisplay.h"
#include "core/world/AStar.h"
#include "core/world/AreaMapData.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/SpriteManager.h"
#include "core/world/WorldContext.h"
#include "game/screens/boxes/Boxes.h"
#include "game/sim/IncidentWorld.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/debrief/DeBriefIF.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/role/RoleIF.h"
#include "game/app/OrderCursor.h"
#include "game/app/ScenarioLoad.h"
#include "game/app/ScenarioLoadRuntime.h"
#include "core/widgets/CPopupMenuView.h"
#include "core/world/ScenarioData.h"
#include "game/rules/RulesGame.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "net/session/NetGameSession.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <cstdlib>

CGame* g_pGame = nullptr;
std::string g_strBasePath;

CGame::CGame(CGameConfig config) : m_config(std::move(config))
{
    m_strBasePath = m_config.strBaseFolder.empty() ? platform::CurrentFolder() : m_config.strBaseFolder;
    g_strBasePath = m_strBasePath;
    WorldContext().m_strDataFolder = m_strBasePath;

    m_pEOCUnitData = std::make_unique<CEOCUnitData>();
    m_pEOCUnitData->Attach(this);
    m_pLobbyMenu = std::make_unique<CMultiplayerMenuData>();
    m_pRoleMenu = std::make_unique<CRoleMenuData>();
    m_pBriefingText = std::make_unique<CBriefingText>();
    m_pDebriefText = std::make_unique<CDeBriefText>();
    m_pAStar = std::make_unique<CAStar>();
    m_log.Clear();
    AddGameFont(true);

    if (m_config.bOpenLogFile)
        m_log.OpenNew(platform::JoinPath(m_strBasePath, "ZR-Log.txt"));
    m_timer.MakeCurrent();
    m_timer.SetInterval(0.05f);
    InstallHandlers();
    RegisterGameClasses();
    m_pSquadGame = std::make_unique<CSquadGame>(*this);
    m_pSquadGame->InstallHandlers();
    m_fnLoadScenario = &LoadScenarioForGame;
    m_pRules = std::make_unique<CRulesGame>(*this);
}

CGame::~CGame()
{
    // Screens and scenario objects first (they may point into the display), then the display.
    ReleaseScenario();
    m_pLobby.reset();
    m_pRole.reset();
    m_pBriefing.reset();
    m_pDebrief.reset();
    m_pInfoBox.reset();
    m_pMessageBox.reset();
    for (auto& art : m_apMenuArt)
        art.reset();
    m_pAStar.reset();
    m_pCursors.reset();
    if (WorldContext().m_pDisplay == m_pDisplay.get())
        WorldContext().m_pDisplay = nullptr;
    m_pDisplay.reset();
    if (m_pSession) {
        m_pSession->SendQuit();
        m_pSession.reset();
    }
    AddGameFont(false);
    m_log.CloseFile();
    if (g_pGame == this)
        g_pGame = nullptr;
}

void CGame::LoadSettings()
{
    CSettingsValues values;
    ReadSettingsFile(platform::JoinPath(m_strBasePath, "ZR.ini"), values);
    m_settings = values;
    m_strPlayerName = values.strName;
    m_bWindowed = values.bWindowed;
    if (!values.bSound)
        SwitchSoundObjectOff();
    if (values.bAStarLog)
        m_uMode |= kModeAStarLog;
    if (!values.bSound)
        m_uMode &= ~kModeSound;
    if (values.bIncidentOrders)
        m_uMode |= kModeIncidentOrders;
    m_strHostAddress = values.strHost;
    if (values.bSkipSplash)
        m_uMode |= kModeSkipSplash;
}

void CGame::SaveSettings()
{
    std::string name = m_pLobby ? m_pLobby->m_strPlayerName : m_strPlayerName;
    std::string error;
    m_strSettingsNotice.clear();
    if (!RewriteSettingsFile(platform::JoinPath(m_strBasePath, "ZR.ini"), name, m_strHostAddress, m_settings, &error)) {
        platform::DebugOutput(error);
        m_strSettingsNotice = "ZR.ini could not be written: " + platform::ReasonOf(error) + ".";
    }
}

bool CGame::InitDisplay(platform::IPresentTarget* window)
{
    m_pWindow = window;
    CreateDisplay();
    const uint32_t now = platform::GetTickCount();
    m_uLastDraw = m_uLogicClock = m_uRoleClock = m_uMovementClock = m_uAuthorityClock = now;
    m_pInfoBox = std::make_unique<CInfoBox>(m_strBasePath, m_pDisplay.get());
    m_pMessageBox = std::make_unique<CMessageBox>(m_strBasePath, m_pDisplay.get());
    LoadCursors();
    return true;
}

bool CGame::LoadFrontEnd()
{
    m_uMode |= kModeFrontEnd;
    m_uMode |= (m_uMode & kModeSkipSplash) ? kModeLobby : kModeTitle;

    LoadMenuArt(kArtTitle, "Art/ZR_Title.bmp");
    LoadMenuArt(kArtSponsor, "Art/Halvet_Splash.bmp");
    LoadMenuArt(kArtMaker, "Art/QuillfenSplash.bmp");
    LoadMenuArt(kArtLobby, "GUI/EOC/MPScreen2.bmp");
    LoadMenuArt(kArtCredits, "Art/Credits.bmp");

    m_pLobbyMenu->Load(m_strBasePath, "Multiplayer_Menu_Data.csv");
    m_pLobby = std::make_unique<MPlayIF>();
    m_pLobby->AttachGame(this);
    m_pLobby->LoadArt(m_pDisplay.get(), m_strBasePath, &m_uMode);
    m_pLobby->Init(m_pLobbyMenu.get());
    m_pLobby->m_strPlayerName = m_strPlayerName.substr(0, MPlayIF::kNameMax);
    m_pLobby->m_bNameOffered = !m_pLobby->m_strPlayerName.empty();
    if (m_strHostAddress.find_first_not_of("0123456789.") == std::string::npos)
        m_pLobby->m_strHostAddress = m_strHostAddress.substr(0, MPlayIF::kAddressMax);

    LoadMenuArt(kArtBriefing, "GUI/EOC/Briefing.bmp");
    m_pBriefing = std::make_unique<BriefingIF>();
    m_pBriefing->LoadArt(m_pDisplay.get(), m_strBasePath, &m_uMode);
    m_pBriefing->Init(m_pBriefingText.get());

    LoadMenuArt(kArtRole, "GUI/EOC/Role_Selection.bmp");
    m_pRoleMenu->Load(m_strBasePath, "Role_Menu.csv");
    m_pRole = std::make_unique<RoleIF>();
    m_pRole->AttachGame(this);
    m_pRole->LoadArt(m_pDisplay.get(), m_strBasePath, &m_uMode);
    m_pRole->Init(m_pRoleMenu.get());

    m_pDebrief = std::make_unique<DeBriefIF>();
    m_pDebrief->LoadArt(m_pDisplay.get(), m_strBasePath, &m_uMode);
    m_pDebrief->Init(m_pDebriefText.get());
    LoadMenuArt(kArtDebrief, "GUI/EOC/AAR.bmp");

    m_uLogicClock = platform::GetTickCount();
    return true;
}

void CGame::AdvanceSplash()
{
    if (m_uMode & kModeTitle) {
        m_uMode = (m_uMode & ~kModeTitle) | kModeSponsorSplash;
    } else if (m_uMode & kModeSponsorSplash) {
        m_uMode = (m_uMode & ~kModeSponsorSplash) | kModeMakerSplash;
    } else if (m_uMode & kModeMakerSplash) {
        m_uMode = (m_uMode & ~kModeMakerSplash) | kModeLobby;
    } else if (m_uMode & kModeCredits) {
        m_uMode |= kModeQuit;
    }
}

bool CGame::StartOrJoinGame()
{
    if (m_uMode & kModeNetworked)
        return StartNetworkGame();
    m_uMode |= kModeSingle;
    std::string name = m_pLobby ? m_pLobby->m_strPlayerName : m_strPlayerName;
    m_localPlayer.strName = name.empty() ? "Single Player" : name;
    SaveSettings();
    m_uMode &= ~(kModeLobby | kModeRoleSelect | kModeBriefing);
    m_uMode |= kModeBriefing;
    const std::string chosen = m_pLobby ? m_pLobby->m_strChosenName : std::string();
    bool loaded = false;
    if (m_uMode & kModeFromSave) {
        m_strSavedGameName = chosen;
        loaded = LoadSavedGame(chosen);
    } else {
        if (!chosen.empty())
            m_strScenarioName = chosen;
        loaded = LoadScenario();
    }
    if (loaded) {
        if (m_pRole)
            m_pRole->RefreshPlayers();
        if (m_pScenario) {
            m_pBriefingText->Build(*m_pScenario);
            if (m_pBriefing)
                m_pBriefing->Init(m_pBriefingText.get());
        }
        return true;
    }
    m_uMode &= ~kModeFromSave;
    // The lobby's "please wait" would otherwise stay up over a load that failed.
    if (m_pLobby && m_pLobby->m_strNotice == "Please wait while briefing loads")
        m_pLobby->SetStatus("The game could not be loaded.");
    // Nothing loaded: back to the lobby, running again.
    m_uMode = (m_uMode & ~kModeBriefing) | kModeLobby;
    SetPaused(false);
    return false;
}

bool CGame::LoadScenario()
{
    // What an earlier scenario left goes first, so nothing keeps pointing at freed objects.
    ReleaseScenario();
    return m_fnLoadScenario ? m_fnLoadScenario(*this) : false;
}

void CGame::ReleaseScenario()
{
    // In dependency order: screens that point at the scenario's objects go first, then the path grid over
    // the tile map, the sprites drawn on it, the tile map (no longer the current map), the area-map document.
    ReleaseScreens();
    m_pRuntime.reset();
    m_pPopupView.reset();
    if (m_pRules)
        m_pRules->Release();
    if (m_pSquadGame)
        m_pSquadGame->Release();
    m_pIncidentWorld.reset();
    m_pScenario.reset();
    m_pPathData.reset();
    m_pSprites.reset();
    if (GetCurrentMap() == m_pMap.get())
        SetCurrentMap(nullptr);
    m_pMap.reset();
    m_pAreaSprites = nullptr;
    m_pAreaMap.reset();
}

void CGame::ReleaseScreens()
{
    m_pHUD.reset();
    m_pEOC.reset();
    m_pIAP.reset();
}

bool CGame::CreateGameScreens()
{
    ReleaseScreens();
    m_pHUD = std::make_unique<HUD>();
    m_pHUD->AttachGameData(this, m_pEOCUnitData.get());
    // The unit page of the info panel reads the unit lists of the EOC data.
    m_pHUD->m_fnUnitInfo = [this](int section, int unit, CHudUnitInfo& out) {
        if (!m_pEOCUnitData || section < 0 || section >= kSections || unit < 0 || unit >= kUnitsPerSection)
            return false;
        const CEOCUnit& u = m_pEOCUnitData->Unit(section, unit);
        if (!u.szName[0])
            return false;
        const CEOCSection& s = m_pEOCUnitData->m_aSections[static_cast<size_t>(section)];
        out.strName = u.szName;
        out.nCost = u.nCost;
        out.nActivationMinutes = u.nActivationMinutes;
        out.nDescription = u.nDescription;
        out.nOrderTime = u.nOrderTime;
        out.bActivated = (s.uActivated >> unit) & 1u;
        out.bOrdered = (s.uOrdered >> unit) & 1u;
        return true;
    };
    m_pHUD->LoadArt(m_pDisplay.get(), m_strBasePath, &m_uMode);
    m_pHUD->LoadInfoTexts(m_strBasePath);
    m_pEOC = std::make_unique<EOC>();
    m_pEOC->LoadArt(m_pDisplay.get(), m_strBasePath, this);
    m_pIAP = std::make_unique<IAP_PhaseIF>();
    m_pIAP->LoadArt(m_pDisplay.get(), m_strBasePath, this);
    return true;
}

bool CGame::StartScenario()
{
    m_uMode &= ~(kModeTitle | kModeBriefing | kModeRoleSelect | kModeLobby | kModeFrontEnd);
    if (m_uMode & kModeSingle)
        m_uMode |= kModeRunning;
    // The front-end art is freed here, once: the owning handles are empty afterwards.
    m_apMenuArt[kArtTitle].reset();
    m_apMenuArt[kArtLobby].reset();
    m_apMenuArt[kArtSponsor].reset();
    m_apMenuArt[kArtMaker].reset();
    if (!(m_uMode & kModeFromSave)) {
        m_log.Clear();
    }
    if (!CreateGameScreens())
        return false;
    // Told once the log of this game is in place.
    if (!m_strSettingsNotice.empty()) {
        AddMessage(m_strSettingsNotice, -1, kMsgChat, 0, kSenderNotice);
        m_strSettingsNotice.clear();
    }
    m_pEOC->Init(m_pEOCUnitData.get());
    m_pIAP->Init(m_pEOCUnitData.get());
    m_pIAP->m_nPenaltyTotal = m_nIAPPenaltySaved;
    m_nIAPPenaltySaved = 0;
    if (m_bAuthority)
        PostGameSignal(kGmStarted);
    // The "ZR.ini" switch: the path finder writes "AStarLog.txt" in the base folder.
    if ((m_uMode & kModeAStarLog) && m_pAStar)
        m_pAStar->OpenLog(m_strBasePath);
    m_nInputState = 0;
    m_nHudSubState = 0;
    if (m_uMode & kModeSingle) {
        m_pEOCUnitData->SetSectionChief(0, m_localPlayer.nPlayerId);
    } else if (m_pSession) {
        for (int i = 0; i < m_pSession->SlotCount(); ++i) {
            CSessionPlayer& p = m_pSession->Slot(i);
            if (p.m_nPlayerId != -1 && (p.m_uRoleFlags & kRoleCommand)) {
                m_pEOCUnitData->SetSectionChief(0, p.m_nPlayerId);
                break;
            }
        }
    }
    if (m_uMode & kModeFromSave) {
        m_uMode &= ~kModeFromSave;
        m_bFirstIAP = false;
        // Play goes on from the saved instant: no step that the saved game had not yet run comes sooner.
        ResumePlayClocks(m_resumeInstant);
        m_resumeInstant = CPlayInstant();
        if (m_uMode & kModePaused)
            TogglePause();
    }
    return true;
}

void CGame::EndGame()
{
    m_uMessageState &= ~1u;
    m_uMode |= kModeDebrief;
    m_log.m_nChatScroll = std::min(m_log.m_messages.nScroll, kChatPage);
    if (m_log.m_nReviewScroll >= 4)
        m_log.m_nReviewScroll = 3;
    if (m_pDebrief) {
        m_pDebrief->CollectResults(m_pScenario.get());
        m_pDebrief->Activate(true);
    }
}

void CGame::TogglePause()
{
    const bool wasPaused = (m_uMode & kModePaused) != 0;
    m_uMode ^= kModePaused;
    PostGameSignal(wasPaused ? kGmResume : kGmPause);
}

void CGame::SetPaused(bool wanted)
{
    if (((m_uMode & kModePaused) != 0) != wanted)
        TogglePause();
}

void CGame::Exit(int code)
{
    if (m_config.fnExit)
        m_config.fnExit(code);
    else
        std::exit(code);
}

void CGame::PlaySound(int id, float volume)
{
    if (!(m_uMode & kModeSound))
        return;
    if (m_config.fnPlaySound)
        m_config.fnPlaySound(id, volume);
    else
        PlaySoundEffect(id, volume);
}

uint32_t CGame::GetLocalRoleFlags() const
{
    if (m_pSession) {
        if (CSessionPlayer* p = m_pSession->GetLocalPlayer())
            return p->m_uRoleFlags;
    }
    return m_localPlayer.uRoleFlags;
}

std::string CGame::GetLocalPlayerName() const
{
    if (m_pSession) {
        if (CSessionPlayer* p = m_pSession->GetLocalPlayer())
            return p->m_strName;
    }
    return m_localPlayer.strName;
}

int32_t CGame::GetTimeOfDay() const
{
    return m_nTimeOfDay;
}

int32_t CGame::GetTimeSinceIAPMark() const
{
    int32_t now = GetTimeOfDay();
    int32_t minutes = (now / 100) * 60 + now % 100 - ((m_nIAPMark / 100) * 60 + m_nIAPMark % 100);
    if (minutes < 0)
        return 0;
    return (minutes / 60) * 100 + minutes % 60;
}
