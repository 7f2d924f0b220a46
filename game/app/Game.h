// The one game object: owns the display, screens, session and logs, holds the mode flags and the clocks.
#pragma once

#include "game/app/GameMessages.h"
#include "game/app/MessageLog.h"
#include "game/app/Modes.h"
#include "game/app/PlayInstant.h"
#include "game/app/Settings.h"
#include "game/app/Timer.h"
#include "core/world/WorldTypes.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CByteReader;
class CByteWriter;
class CDisplay;
struct CSaveHeader;
class CSurface;
class CMap2DLinked;
class CSpriteManager;
class CSoundManager;
class CPathData;
class CAreaMapData;
class CAStar;
class CNetGameSession;
class MPlayIF;
class RoleIF;
class BriefingIF;
class DeBriefIF;
class HUD;
class EOC;
class IAP_PhaseIF;
class CInfoBox;
class CMessageBox;
class CEOCUnitData;
class CMultiplayerMenuData;
class CRoleMenuData;
class CBriefingText;
class CIncidentWorld;
class IIncidentSound;
class CDeBriefText;
class CSquadGame;
class CScenarioData;
class CScenarioRuntime;
class CPopupMenuView;
class CSquad;
class CSprite;
class CPathTile;
class CGameCursors;
class CRulesGame;
class CZREvent;

namespace platform {
class IPresentTarget;
}

// What a test or the entry can replace in the game object.
struct CGameConfig {
    std::string strBaseFolder;                   // empty: the working folder
    std::function<void(int)> fnExit;             // ends the process (message 40); default std::exit
    std::function<void(int, float)> fnPlaySound; // sound id and volume; default the sound manager
    // Plays the looping sounds, and the others when fnPlaySound is empty; null: the process-wide one.
    CSoundManager* pSoundManager = nullptr;
    bool bOpenLogFile = true; // "ZR-Log.txt" in the base folder
    // Network play: the TCP and discovery ports (0 picks a free one when hosting) and the address to host on
    // ("" for the machine's own: its first non-loopback IPv4 address, else 127.0.0.1).
    int nTcpPort = 19710;
    int nUdpPort = 19711;
    std::string strBindAddress;
};

// The local player's record for single play (the session's record is used in a networked game).
struct CLocalPlayer {
    uint32_t uRoleFlags = 0;
    int32_t nPlayerId = 0;
    std::string strName = "Single Player";
};

// Counters a test reads to see which steps of the tick ran.
struct CTickStats {
    int nFrames = 0;
    int nLogicSteps = 0;
    int nAuthoritySteps = 0;
    int nMovementSteps = 0;
    int nPeriodicSteps = 0;
};

class CGame {
public:
    using MessageHandler = std::function<void(const uint8_t* payload, size_t length)>;

    explicit CGame(CGameConfig config = {});
    ~CGame();
    CGame(const CGame&) = delete;
    CGame& operator=(const CGame&) = delete;

    // Start-up.
    void LoadSettings();
    void SaveSettings();
    bool InitDisplay(platform::IPresentTarget* window);
    bool LoadFrontEnd();

    // The frame tick: draws a frame or runs the logic of the mode. False once the quit bit is set.
    bool Tick();
    // Milliseconds until the tick next has work (a frame, a clock of the mode, a network poll); 0 when it has
    // work now. The main loop sleeps that long unless input comes first.
    uint32_t TimeToNextTick();
    void LogicStep(uint32_t now);
    void CheckIAPReminders(int32_t timeOfDay);
    // At the end of the scenario (authority): a review or approval still owed costs its lateness.
    void ChargeOpenIAP();
    void BuildRoleTable();
    void SendDropNotices();
    void CheckAllPlayersReady();
    void RestoreSurfaces();

    // Drawing.
    void Draw();
    void DrawFrontEnd(CSurface* target);

    // Game flow.
    bool StartOrJoinGame();
    // Network start (GameSession.cpp): 3 started, 2 the host cannot be joined, 1 its scenario runs already,
    // 0 another version (its text in `hostVersion`).
    int StartSession(std::string& hostVersion);
    // The client asks the host for the scenario's and the saved game's names; false when none came.
    bool RequestFilesFromHost();
    // The client asks for one file and writes it to `target`; false (nothing written) on failure or time-out.
    bool ReceiveFileFromHost(int16_t request, int16_t reply, const std::string& target);
    // The host keeps a file compressed for the clients; false when it cannot be read or is too large.
    bool KeepFileForClients(int slot, const std::string& path);
    // The address this machine hosts on, as text.
    std::string OwnAddressText() const;
    // The compressed files a host sends (by the slots of FileTransfer.h).
    std::array<std::vector<uint8_t>, 6> m_aSendFiles;
    // The lobby's "Single Player" quick start: the chosen scenario, else the first ".zri" of the base folder.
    bool PrepareQuickStart();
    // Loads the lobby's chosen scenario (installed by the scenario loader; none yet: false).
    bool LoadScenario();
    bool StartScenario();
    // Saved games: a folder "Saves/<name>" with the scenario's files and "SaveData.zrd" (SavedGame.cpp).
    bool SaveGame(const std::string& name);
    bool LoadSavedGame(const std::string& name);
    // The instant of play a save keeps (PlayInstant.cpp): taken when saving; its clocks given back when the
    // restored game starts.
    CPlayInstant CapturePlayInstant() const;
    void ResumePlayClocks(const CPlayInstant& instant);
    // "SaveData.zrd" of the running game: the header, the eight state blocks and what follows them.
    bool WriteSaveState(CByteWriter& out);
    // The state blocks after the header, read into the scenario just loaded, then the start-of-play pass; false
    // when any is damaged (the scenario is then half-restored and must go).
    bool RestoreSaveState(CByteReader& in, const CSaveHeader& header);
    bool CreateGameScreens();
    void ReleaseScenario();
    void ReleaseScreens();
    void EndGame();
    void TogglePause();
    void SetPaused(bool wanted);

    // Input from the window.
    uint8_t OnMouse(uint32_t message, uint32_t wParam, int32_t lParam, int kind);
    bool OnKeyDown(uint32_t code, int kind);
    void OnChar(uint32_t character);
    void OnChatKey(uint32_t character);
    void OnMove(int x, int y);
    void SetWindowActive(bool active) { m_bWindowActive = active; }
    void SetMouseCursor(int id, bool warning = false, bool prohibited = false);
    void LoadCursors();

    // In play (InputPlay.cpp): the input state machine over the tactical map, the order menu and targets.
    // Kinds: 0 move, 1 button down, 2 button up, 3 key (the code in x).
    void RouteInputState(int kind, int x, int y, uint32_t buttons);
    bool OnPlayKey(uint32_t code);
    bool OnTacticalMapInput(int kind, int x, int y, uint32_t buttons);
    bool OnOrderMenuChoice(int order);
    // Panels, area map and placements (InputPanels.cpp).
    bool OnPanelInput(int kind, int x, int y, uint32_t buttons);
    bool OnAreaMapInput(int kind, int x, int y, uint32_t buttons);
    bool OnPlaceFacility(int state, int kind, int x, int y, uint32_t buttons);
    void OnPlaceIncidentObject(int kind, int x, int y, uint32_t buttons);
    bool HoldsCommandRole() const;
    CSprite* SelectedStation() const;
    void OpenOrderMenu(CSquad* squad, int x, int y);
    bool PickViewCentre(int kind, int x, int y, uint32_t buttons);
    void IssueOrderAt(int x, int y);
    void CancelOrderTargeting();
    void SelectSquad(CSquad* squad);
    void UpdateOrderCursor(int x, int y, CSquad* hovered);
    void UpdateTargetCursor(int x, int y);
    void SelectZoom(int zoom);
    void ScrollMap(int dx, int dy);
    void RefreshView();
    CSquad* SelectedSquad() const;
    CSquad* OrderSquad() const;
    CSquad* SquadAtScreen(int x, int y) const;
    bool ScreenToWorld(int x, int y, int& wx, int& wy) const;
    bool IsPassableFor(const CSquad* squad, int wx, int wy) const;
    void DrawPlay(CSurface* back);
    void DrawStatusLine(CSurface* back);
    int m_nPendingOrder = 0;
    // The station chosen on the area map, and the area-map view the area sprites' screen rectangles follow.
    CSprite* m_pSelectedStation = nullptr;
    RECT m_rcAreaView{0, 0, 800, 448};
    int GetCursorId() const { return m_nCursorId; }
    int GetCursorSet() const { return m_nCursorSet; }

    // Game messages.
    void PostGameMessage(uint16_t id, const void* payload, size_t length);
    void PostGameSignal(uint16_t id);
    // Takes what the session queued, at most kPollMostEntries entries or kPollMostMs milliseconds' work; the
    // rest waits, in order, for the next poll.
    static constexpr size_t kPollMostEntries = 256;
    static constexpr uint32_t kPollMostMs = 20;
    void PollNetwork();
    // `message` is {uint16 id; uint16 chunk number; uint16 length; payload}, `size` the bytes received.
    void DispatchGameMessage(int sender, const uint8_t* message, size_t size);
    // Applies one whole message by its id; `received` marks a copy that came from the network.
    void ApplyGameMessage(uint16_t id, const uint8_t* payload, size_t length, bool received);
    // Later subsystems (squads, incident world) install their appliers here.
    void SetMessageHandler(uint16_t id, MessageHandler handler);
    void SendNotice(const std::string& text, int32_t kind, uint32_t colour, int32_t roleMask);
    // A fired event to the players: its text, review entry and score change (message 54).
    void SendEventMessage(const CZREvent& event, const int32_t scores[3], int32_t cost);

    // Message log.
    int AddMessage(const std::string& text, int32_t roleMask, int32_t kind, uint32_t colour, int32_t sender);
    std::string FormatSenderPrefix(int32_t kind, int32_t sender);
    std::vector<std::string> WrapText(const std::string& line) const;
    void ApplyScoreChange(const uint8_t* payload, size_t length);
    bool LoadAAREvents(const std::string& path);
    int FillMessageLogView();
    int FillChatView();
    int FillChatViewFrom(int index);
    const std::vector<CLogLine>& GetViewLines() const { return m_aView; }
    // Text colour of line n of the page: the stored one, made dark on the light panels of play and bright on the
    // dark ones of the front end.
    uint32_t GetLogEntryColour(int n) const;
    // Background of line n of the page by its message number's parity: style 2 is opaque with `colour`.
    void GetLogEntryStyle(int n, uint32_t& colour, int& style) const;
    // Takes the HUD's message-filter mask: events only, hidden events shown.
    void SetMessageFilters(int32_t mask);
    int GetMessagePageSize() const;
    bool IsMessagePanelOpen() const;
    void SetMessageScroll(int position);
    float ScrollMessageLog(int kind);
    void ScrollChatView(int kind);
    // A pixel measure that replaces the panels' own when wrapping log lines (tests).
    void SetTextMeasure(std::function<int(const std::string&)> measure, int panelWidth);

    // Roles and players.
    void SetPlayerRoleFlags(int32_t playerId, uint32_t flags);
    void ApplyRoleTableUpdate(const uint8_t* payload, size_t length);
    CLocalPlayer* GetLocalPlayerInfo() { return &m_localPlayer; }
    uint32_t GetLocalRoleFlags() const;
    std::string GetLocalPlayerName() const;
    int32_t GetTimeSinceIAPMark() const;
    int32_t GetTimeOfDay() const;

    void PlaySound(int id, float volume = 1.0f);
    // A looping sound: its channel, or -1 while sound is off or every channel is taken.
    int PlayLoopSound(int id, float volume);
    // Stops and frees a looping channel (-1: nothing).
    void StopLoopSound(int channel);
    // Switches the sound object on or off (its looping sounds halt or resume).
    void EnableSoundObject(bool on);
    const std::string& GetBasePath() const { return m_strBasePath; }

    // Mode flags and state other code reads.
    uint32_t m_uMode = kModeSound;
    bool m_bAuthority = true;
    bool m_bWindowed = false;
    int m_nClientWidth = 800;
    int m_nClientHeight = 600;
    std::string m_strPlayerName;
    std::string m_strHostAddress;
    std::string m_strProductVersion = "1.0";
    std::string m_strScenarioName;
    std::string m_strSavedGameName;
    int32_t m_nZoomLevel = 0;
    int32_t m_nView = 0;
    uint8_t m_bMessagePanelOpen = 0;
    uint32_t m_uMessageState = 0;
    bool m_bShowHidden = false;
    bool m_bEventsOnly = false;
    int m_nInputState = 2;
    int m_nHudSubState = 0;
    int32_t m_nTimeOfDay = 0; // the scoring clock's time of day (HHMM)
    int32_t m_nStartTime = 0; // the scenario's start time (HHMM)
    CMessageLog m_log;
    CTickStats m_stats;
    std::function<bool(CGame&)> m_fnLoadScenario;
    // Sees every line added to the message log, with its sender prefix (the headless player prints them).
    std::function<void(const std::string&)> m_fnLogObserver;
    // Runs while a network start waits for the host (a test drives an in-process host from it).
    std::function<void()> m_fnWhileWaiting;
    // Sees every posted message (tests, and the network layer's tracing).
    std::function<void(uint16_t, const uint8_t*, size_t)> m_fnPostObserver;

    // Clocks of the tick.
    uint32_t m_uLastDraw = 0;
    uint32_t m_uHostSilenceBase = 0;
    bool m_bSilenceWarned = false;
    uint32_t m_uLogicClock = 0;
    uint32_t m_uRoleClock = 0;
    uint32_t m_uLobbyEntered = 0;
    uint32_t m_uAuthorityClock = 0;
    uint32_t m_uMovementClock = 0;
    uint32_t m_uPeriodicClock = 0;
    int32_t m_nIAPMark = 0;
    bool m_bFirstIAP = true;
    bool m_bMovementEnabled = true;
    bool m_bFirstTick = true;

    // Owned objects.
    std::unique_ptr<CDisplay> m_pDisplay;
    // The running scenario's world: tile map, its sprites, the path grid over it, the area-map document
    // (which owns the area-map sprites), and the path finder that lives for the whole run.
    std::unique_ptr<CMap2DLinked> m_pMap;
    std::unique_ptr<CSpriteManager> m_pSprites;
    std::unique_ptr<CPathData> m_pPathData;
    std::unique_ptr<CAreaMapData> m_pAreaMap;
    CSpriteManager* m_pAreaSprites = nullptr; // belongs to the area-map document
    std::unique_ptr<CAStar> m_pAStar;
    // The incident on the tactical map (over the sprites and the path grid, freed before them).
    std::unique_ptr<CIncidentWorld> m_pIncidentWorld;
    // The incident's sounds: through the configured sound manager when there is one.
    IIncidentSound* IncidentSound();
    std::unique_ptr<CNetGameSession> m_pSession;
    std::unique_ptr<MPlayIF> m_pLobby;
    std::unique_ptr<RoleIF> m_pRole;
    std::unique_ptr<BriefingIF> m_pBriefing;
    std::unique_ptr<DeBriefIF> m_pDebrief;
    std::unique_ptr<HUD> m_pHUD;
    std::unique_ptr<EOC> m_pEOC;
    std::unique_ptr<IAP_PhaseIF> m_pIAP;
    std::unique_ptr<CInfoBox> m_pInfoBox;
    std::unique_ptr<CMessageBox> m_pMessageBox;
    std::unique_ptr<CEOCUnitData> m_pEOCUnitData;
    std::unique_ptr<CMultiplayerMenuData> m_pLobbyMenu;
    std::unique_ptr<CRoleMenuData> m_pRoleMenu;
    std::unique_ptr<CBriefingText> m_pBriefingText;
    std::unique_ptr<CDeBriefText> m_pDebriefText;
    // The two squad managers and what they share.
    std::unique_ptr<CSquadGame> m_pSquadGame;
    // The scenario description (with its events data), its clock, scoring and event trigger engine, and the
    // pop-up menu view of the order menus.
    std::unique_ptr<CScenarioData> m_pScenario;
    std::unique_ptr<CScenarioRuntime> m_pRuntime;
    std::unique_ptr<CPopupMenuView> m_pPopupView;
    std::unique_ptr<CGameCursors> m_pCursors;
    // The scoring clock and the event trigger engine (after the squads: it goes first).
    std::unique_ptr<CRulesGame> m_pRules;

    // Menu bitmaps: title, sponsor splash, maker splash, lobby, credits, briefing, role selection, de-briefing.
    enum EMenuArt {
        kArtTitle,
        kArtSponsor,
        kArtMaker,
        kArtLobby,
        kArtCredits,
        kArtBriefing,
        kArtRole,
        kArtDebrief,
        kArtCount
    };
    std::array<std::unique_ptr<CSurface>, kArtCount> m_apMenuArt;

private:
    void CreateDisplay();
    // Presents the back buffer; false when a surface was lost.
    bool PresentFrame();
    CSoundManager& SoundManager();
    std::shared_ptr<IIncidentSound> m_pIncidentSound;
    void PlaySoundEffect(int id, float volume);
    void SwitchSoundObjectOff();
    // Adds (or removes) the game's font "Art/accid___.ttf" of the base folder.
    void AddGameFont(bool add);
    void LoadMenuArt(EMenuArt art, const std::string& relative);
    void AdvanceSplash();
    bool IsFrontEndMode() const;
    void TickFrontEnd(uint32_t now);
    void TickEnd();
    // A system line saying why a choice was refused (nothing for an empty reason).
    void SayWhyRefused(const std::string& why);
    // Why the clicked line of a station's dispatch menu is disabled.
    void SayWhyNotDispatched();
    // Message 64: minutes of IAP delay for the score.
    void PostIAPPenalty(int32_t minutes);
    void TickPlay(uint32_t now);
    void AuthorityStep();
    void MovementStep(uint32_t now);
    void PeriodicStep(uint32_t now);
    void ApplyClockState(const uint8_t* payload, size_t length);
    void Exit(int code);
    void InstallHandlers();
    bool StartNetworkGame();
    void HookSession();
    void AnswerRequest(int kind, int32_t sender);
    void OnPlayerLeft(int32_t id);
    // Takes the next queued packet within `waitMs`, handling leaves on the way; false when none came.
    bool WaitPacket(std::vector<uint8_t>& packet, int waitMs);
    void Relay(uint16_t id, const uint8_t* payload, size_t length, bool received);

    CGameConfig m_config;
    std::string m_strBasePath;
    CTimer m_timer;
    CLocalPlayer m_localPlayer;
    bool m_bWindowActive = true;
    platform::IPresentTarget* m_pWindow = nullptr;
    CMessageReassembler m_reassembler;
    std::array<MessageHandler, kGameMessageLast - kGameMessageFirst + 1> m_aHandlers;
    std::vector<CLogLine> m_aView;
    std::function<int(const std::string&)> m_fnMeasure;
    int m_nPanelWidth = 0;
    bool m_bFontAdded = false;
    bool m_bQuickStart = false;
    int32_t m_nIAPPenaltySaved = 0;
    CPlayInstant m_resumeInstant; // of the saved game being restored, until its start
    CSquad* m_pDirected = nullptr;
    // Which menu the pop-up view shows on the area map: 0 none, 1 the selected station's, 2 the order squad's.
    int m_nAreaMenu = 0;
    void GiveOrderTo(CSquad* squad, int order, int wx, int wy, CSquad* target);
    bool OnAreaMenuChoice(int choice);
    bool OnMapClick(int x, int y, uint32_t buttons);
    void RouteKey(uint32_t code);
    bool OnTargetClick(int x, int y, uint32_t buttons);
    void ShowSquadInfo(const CSquad* squad);
    void AfterPanelInput(int x, int y);
    void ShowHoverInfo(int x, int y);
    bool TileDanger(const CSquad* squad, CPathTile* tile) const;
    CSquad* UnitAtWorld(int wx, int wy, const CSquad* squad, bool (*test)(const CSquad*, const CSquad*)) const;
    int32_t LocalOrderPlayer() const; // the IAP block of a loaded game, for the IAP screen made at start
    int m_nCursorId = 1;
    int m_nCursorSet = 0;
    uint32_t m_uLastAutoRepeat = 0;
    uint32_t m_uLastPanelState = 0;
    uint32_t m_uLastRoleOr = 0;
    int m_nLastRoleCount = 0;
    std::array<uint8_t, 32> m_aClockState{};
    int32_t m_nIAPPenalty = 0;
    std::array<uint8_t, 152> m_aFinalScore{};
    CSettingsValues m_settings;
    // Why "ZR.ini" could not be written at the last lobby start; told in the message log when play begins.
    std::string m_strSettingsNotice;

    friend class CGameTestAccess;
};

// The one game object of the process (null outside a run).
extern CGame* g_pGame;
// The base folder, for code that has no game object at hand.
extern std::string g_strBasePath;
