// The multiplayer lobby: single play or a network game, host or join, a new scenario or a saved game.
#pragma once

#include "game/screens/art/ArtList.h"
#include "game/screens/art/ScreenKit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CSurface;
class CGame;

// One row of "Multiplayer_Menu_Data.csv".
struct CMultiplayerMenuRow {
    std::string strName; // at most 259 characters
    std::string strText; // at most 99 characters
    int32_t nX = 0;
    int32_t nY = 0;
    int32_t nLink = 0; // a button index (the file counts it 4 higher); 0 or less: none
    int32_t nValue = 0;
};

// The lobby's layout table: three header lines, then rows "name,text,x,y,link,value" up to a row with an
// empty name (kept) or 40 rows.
class CMultiplayerMenuData {
public:
    static constexpr int kMaxRows = 40;

    // Reads "<base>/<file>". A missing file shows "Failed to open file" with the path; false, table empty.
    bool Load(const std::string& base, const std::string& file);
    // Reads the table from an open file. A row placed beyond 800 x 600 ends the table, with a message box
    // naming `where`; false then.
    bool Read(FILE* file, const std::string& where);

    const CMultiplayerMenuRow* Row(int index) const
    {
        return index >= 0 && index < static_cast<int>(m_aRows.size()) ? &m_aRows[static_cast<size_t>(index)] : nullptr;
    }
    int Count() const { return static_cast<int>(m_aRows.size()); }

    std::vector<CMultiplayerMenuRow> m_aRows;
};

class MPlayIF {
public:
    static constexpr int kButtons = 10;
    static constexpr int kArtRows = 26;
    static constexpr size_t kAddressMax = 15;
    static constexpr size_t kNameMax = 18;
    static constexpr size_t kListMax = 100;
    static constexpr size_t kListNameMax = 49;
    static constexpr uint32_t kJoinFailedMs = 4000;
    static constexpr uint32_t kBlinkMs = 500;

    MPlayIF();
    ~MPlayIF();
    MPlayIF(const MPlayIF&) = delete;
    MPlayIF& operator=(const MPlayIF&) = delete;

    // The game object the lobby plays sounds through and whose mode word it changes (none: silent).
    void AttachGame(CGame* game) { m_pGame = game; }
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    // Builds the faces from the menu table; enables buttons 0 and 1 and shows the lobby.
    void Init(CMultiplayerMenuData* menu);
    void Show(bool shown);
    void Draw(CSurface* target);
    // True while shown.
    bool OnMouseMove(int x, int y, uint32_t buttons);
    // True when a game is to be started or joined.
    bool OnClick(int x, int y, uint32_t buttons);
    void OnChar(uint32_t character);
    void OnKey(uint32_t code);

    void ShowJoinFailed();
    void ShowScenarioStarted();
    void ShowVersionMismatch(const std::string& own, const std::string& host);
    void ShowPleaseWait();
    // The selected list entry (the first when none is selected); empty when the list is empty or hidden.
    std::string GetSelectedName() const;
    // Sets the status line (shown until replaced or reset).
    void SetStatus(const std::string& text);

    // ".zri" files of the folder that have a ".zra" of the same name (case-blind), without extension, sorted.
    static std::vector<std::string> ListScenarios(const std::string& folder);
    // Folders of "<base>/Saves" (names without a dot) that hold a readable "SaveData.zrd", sorted; the folders
    // that hold none are counted in `unreadable`. What killed saves left there is cleared first.
    static std::vector<std::string> ListSavedGames(const std::string& base, int* unreadable = nullptr);
    // The machine's own IPv4 address as text ("127.0.0.1" when it has none).
    static std::string OwnAddress();

    // Menu-button bits.
    static constexpr uint32_t Bit(int button) { return 1u << button; }

    bool m_bShown = false;
    std::string m_strHostAddress; // digits and '.', at most 15 characters
    std::string m_strPlayerName;  // at most 18 characters
    bool m_bNameOffered = false;  // the name is the settings' one, not typed yet: the first key replaces it
    bool m_bAddressOffered = false; // the address was there when joining was chosen: the first key replaces it
    std::string m_strChosenName;  // the scenario file (".zri") or the saved game chosen
    std::string m_strNotice;      // the status line
    bool m_bNoticeShown = false;
    uint32_t m_uNoticeSetAt = 0;
    bool m_bNoticeExpires = false;

    int m_nPageState = 0;
    uint32_t m_uChosen = 0;
    uint32_t m_uEnabled = Bit(0) | Bit(1) | Bit(4);
    int m_nFocus = 0; // 0 name, 1 address
    bool m_bEntriesUnlocked = false;
    int m_nHoverButton = -1;
    int m_nHoverArrow = -1;
    int m_nHoverCommand = -1;
    std::vector<std::string> m_aList;
    int m_nSelected = -1;
    bool m_bListShown = false;
    bool m_bListIsSaves = false;
    bool m_bHosting = false;
    bool m_bNetworked = false;
    bool m_bQuickStart = false;

    // Hit areas, laid out by Init.
    std::array<CScreenRect, kButtons> m_rcButtons{};
    CScreenRect m_rcAddress, m_rcName, m_rcList, m_rcStatus, m_rcArrowUp, m_rcArrowDown;
    CScreenRect m_rcNext, m_rcExit, m_rcReset;

private:
    void PlaySound(int id, float volume = 1.0f);
    uint32_t* Mode() { return m_pModeFlags ? m_pModeFlags : &m_uLocalMode; }
    void Reset();
    void Confirm();
    void ChooseScenarioOrSave(int button, bool hosting);
    void FillList(bool saves);
    void QuickStart(uint32_t chosen, bool ownAddress, const char* name);
    bool OnMenuButton(int button);
    bool OnNext();
    void OnExit();
    void MoveSelection(int step);
    bool CanShowNext() const { return m_nPageState == 5; }
    bool ShowsReset() const { return m_nPageState != 0; }
    void FollowAddress();
    static bool IsLabel(int button) { return button == 4 || button == 7 || button == 8 || button == 9; }
    bool AddressShown() const { return (m_uEnabled & (Bit(8) | Bit(9))) != 0; }
    int ButtonAt(int x, int y) const;
    int CommandAt(int x, int y) const;
    void BuildFaces();
    void DrawEntry(CSurface* target, const CScreenRect& rc, CSurface* face, const std::string& text, bool focused);
    const CArtRow& ArtRow(int row) const;

    CGame* m_pGame = nullptr;
    CDisplay* m_pDisplay = nullptr;
    std::string m_strBase;
    uint32_t* m_pModeFlags = nullptr;
    uint32_t m_uLocalMode = 0;
    CMultiplayerMenuData* m_pMenu = nullptr;
    CArtList m_art;
    std::unique_ptr<platform::gdi::Font> m_pFont16;
    std::unique_ptr<platform::gdi::Font> m_pFont18;
    // Per button: [look: 0 chosen, 1 enabled, 2 alternate][0 normal, 1 hover].
    std::array<std::array<std::array<SurfacePtr, 2>, 3>, kButtons> m_aFaces{};
    std::array<std::array<SurfacePtr, 2>, 3> m_aCommandFaces{}; // Next, Exit, Reset
    // Saved on Show: page state, host and networked flags and chosen buttons, restored by Exit.
    int m_nSavedState = 0;
    bool m_bSavedHosting = false;
    bool m_bSavedNetworked = false;
    uint32_t m_uSavedChosen = 0;
    uint32_t m_uBlinkAt = 0;
    bool m_bBlink = false;
};
