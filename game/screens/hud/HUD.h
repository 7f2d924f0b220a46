// The in-game HUD: the control bar with its buttons and pop-up menus, the info panel, the message and chat
// panel, the paused/saving banner and the save dialog.
#pragma once

#include "core/display/DDrawTypes.h"
#include "core/world/WorldTypes.h"
#include "game/screens/art/ArtList.h"
#include "game/screens/hud/HUDText.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CSurface;
class CPopupMenu;
class CPopupMenuView;
class CGame;
class CEOCUnitData;
class EOC;

namespace platform::gdi {
class Font;
class DeviceContext;
} // namespace platform::gdi

// What the info panel's unit page shows of an EOC unit.
struct CHudUnitInfo {
    std::string strName;
    int32_t nCost = 0;              // Resource Points
    int32_t nActivationMinutes = 0; // from the order to activation
    int32_t nDescription = 0;       // 1-based number of its "IAP Screen Info.txt" text; 0 none
    int32_t nOrderTime = 0;         // HHMM of the order
    bool bActivated = false;        // its bit in the section's activated mask
    bool bOrdered = false;          // its bit in the section's ordered mask
};

// A surface the HUD draws on, with the clean copy it is restored from and its place on the screen.
struct CHudPart {
    std::unique_ptr<CSurface> pSurface;
    std::unique_ptr<CSurface> pClean;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool Ready() const { return pSurface && pClean; }
};

class HUD {
public:
    static constexpr int kArtRows = 67;
    static constexpr int kUnitTexts = 140;
    static constexpr int kCueCardTexts = 100;
    static constexpr int kSaveSlots = 100;
    static constexpr int kTypingSlot = 99;
    static constexpr int kSaveNameSize = 50;

    HUD();
    ~HUD();
    HUD(const HUD&) = delete;
    HUD& operator=(const HUD&) = delete;

    // Links to the game (mode word, display options, squads, incident world, clock, posting) and its EOC data.
    void AttachGameData(CGame* game, CEOCUnitData* eoc);
    // Reads "GUI/HUD_Art.csv" and "GUI/HUDPopupMenus.txt" below the base folder and builds the derived
    // surfaces. The mode-flags pointer is not used (the game link carries the mode word).
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags = nullptr);
    // Reads "IAP Screen Info.txt" and "Terrain Feature CueCard Text.txt" from the folder.
    bool LoadInfoTexts(const std::string& folder);

    // ---- frame, buttons and menus ----
    void Draw(CSurface* target);
    // 1 when the pointer is on the HUD (the band from y 448 down), else 0.
    int OnMouseMove(int x, int y, uint32_t buttons);
    // The command code of the click (0 nothing; 1-4 buttons 6-9; 5, 6 second switch; 7, 8 map switch; 9, 10
    // Command and Options menus; 11, 12 Filters and Overlays; 13-15 message buttons).
    int OnLeftClick(int x, int y, uint32_t buttons, CPopupMenuView* view = nullptr);
    int OnRightClick(int x, int y, uint32_t buttons, CPopupMenuView* view = nullptr);
    int OnMouseUp(int x, int y, uint32_t buttons);
    // A choice in the open HUD menu: 1 the EOC screen acts on it, 5-10 facility placement, 11 marking, else 0.
    int OnPopupChoice(int value, EOC* eoc);
    // Why Command item `item` is disabled now, for the notice when it is clicked; "" when it is not.
    std::string CommandItemRefusal(int item) const;
    void RestoreOverlays();
    CPopupMenu* GetMenu(int slot) const;

    // ---- info panel and messages ----
    enum EInfoKind { kInfoNone = -1, kInfoSquad = 0, kInfoUnit = 1, kInfoStation = 2, kInfoSprite = 3 };
    // The game's selection for the info panel: a squad (kind 0), station sprite (2) or feature sprite (3).
    void ShowInfo(int kind, const void* object);
    // An EOC unit by section and row (kind 1).
    void ShowUnitInfo(int section, int unit);
    // Redraws the info panel; kind -1 keeps the stored kind.
    void DrawInfoPanel(CDisplay* display, int kind);
    // Redraws the message panel from the game's visible log page; the number of lines drawn.
    int DrawMessages();
    void DrawChatEntry();
    // Lends the current layout's surface with the normal font for measuring log lines; rectangle
    // (10, 5, width - 34, 19). Null when the panel has no surface.
    platform::gdi::DeviceContext* BeginMessageText(RECT* rect);
    void EndMessageText(platform::gdi::DeviceContext* dc);
    // Width in pixels of the message text rectangle, and of a text in the message font.
    int MessagePanelWidth() const;
    int MeasureMessageText(const std::string& text);

    // ---- save dialog ----
    void OpenSaveDialog();
    bool OnSaveDialogMouse(int x, int y, int kind);
    bool OnSaveDialogChar(uint32_t character);
    void DrawSaveDialog(CSurface* target);

    // Fills the unit page's record for a section and row; set by whoever owns the unit lists.
    std::function<bool(int section, int unit, CHudUnitInfo& out)> m_fnUnitInfo;

    // ---- state the game reads or sets ----
    std::string m_strChat; // the chat entry line, at most 420 characters
    int m_nInfoKind = kInfoNone;
    const void* m_pInfoObject = nullptr; // the selection shown
    int m_nInfoSection = -1;
    int m_nInfoUnit = -1;
    int m_nHoverControl = 0; // the game's last answer of OnMouseMove
    int m_nMessageRedraws = 0;
    std::vector<std::string> m_aMessageRows; // the rows the message panel last drew

    // ---- state of the bar (read by tests) ----
    int m_nHover = -1;
    uint8_t m_bPressed = 0;
    int m_nOpenMenu = -1;
    std::array<uint32_t, 16> m_aHotSpotColours{};
    int32_t m_nSavedOverlayMask = 0;
    uint8_t m_bSavedOverlaysOn = 0;
    bool m_bOverlaySaved = false; // a placement forced the overlays
    int32_t m_nMsgFilterMask = 0;
    bool m_bBlink = false;
    uint32_t m_uLastBlink = 0;
    std::vector<std::string> m_aUnitTexts;    // 140 entries
    std::vector<std::string> m_aCueCardTexts; // 100 entries

    // ---- save dialog state ----
    uint8_t m_bSaveOpen = 0;
    std::array<std::string, kSaveSlots> m_aSaveNames;
    int32_t m_nSaveCount = 0;
    int32_t m_nSaveSelected = 0;
    int32_t m_nSaveRemembered = 0;
    int32_t m_nSaveHighlight = 0; // 0 none, 1 name field, 2 previous, 3 next, 4 Save, 5 Cancel

    // The display options in the game (the sprite draw filter), or the HUD's own without a game.
    CModeRecord& Options();
    const CModeRecord& Options() const { return const_cast<HUD*>(this)->Options(); }
    int32_t MapView() const;
    void SetMapView(int32_t view);

private:
    enum ESavePart { kSavePanel, kSaveName, kSavePrev, kSaveNext, kSaveButton, kSaveCancel, kSaveParts };

    uint32_t Mode() const;
    uint32_t RoleFlags() const;
    bool HoldsZoranth() const { return (RoleFlags() & 0x400) != 0; }
    void Sound(int id, float volume = 1.0f);
    const CArtRow* Row(int index) const;
    bool BuildParts();
    bool MakePart(CHudPart& part, int row, int x, int y);
    bool HitRow(int row, int x, int y) const;
    int HotSpotAt(int x, int y) const;
    void SetHover(int hover);
    int OpenMenu(int slot, int x, int y, CPopupMenuView* view);
    void RefreshCommandItems();
    // Why facility item 2 to 7 cannot be chosen now; "" when it can.
    std::string FacilityRefusal(int item) const;
    void RefreshOptionItems();
    bool UnitActive(int section, int unit) const;
    void BlitRow(CSurface* target, int row, const char* failure);
    void DrawMessageArea(CSurface* target);
    int Layout() const;
    CHudPart& LayoutPart();
    void DrawDefaultPage(platform::gdi::DeviceContext* dc, int width, int height);
    void DrawSquadPage(platform::gdi::DeviceContext* dc, CSurface* panel, int width, int height, bool vehicle);
    void DrawUnitPage(platform::gdi::DeviceContext* dc, int width, int height);
    void DrawStationPage(platform::gdi::DeviceContext* dc, int width, int height);
    bool DrawCueCardPage(platform::gdi::DeviceContext* dc, int width, int height);
    void DrawBar(CSurface* panel, int frameX, int frameY, float value, int pieceRow, bool health);
    // Save dialog.
    void ListSavedGames();
    void CommitTypedName();
    void SaveSelected();
    void CloseSaveDialog();
    void RedrawSaveParts();
    bool HitSavePart(int part, int x, int y) const;

    CGame* m_pGame = nullptr;
    CEOCUnitData* m_pEOC = nullptr;
    CDisplay* m_pDisplay = nullptr;
    std::string m_strBase;
    CArtList m_art;
    CModeRecord m_ownOptions;
    std::unique_ptr<platform::gdi::Font> m_pFont;
    std::unique_ptr<platform::gdi::Font> m_pBoldFont;
    std::unique_ptr<platform::gdi::Font> m_pBannerFont;
    std::array<std::unique_ptr<CPopupMenu>, kHudMenuSlots> m_apMenus;
    CPopupMenuView* m_pView = nullptr; // the view the last menu opened in
    bool m_bArtLoaded = false;

    // Derived surfaces: info panel, banner, message layouts 1-3, chat entry, scroll buttons, message button.
    CHudPart m_info;
    CHudPart m_banner;
    std::array<CHudPart, 3> m_aLayouts;
    CHudPart m_chat;
    bool m_bInfoDirty = true;
    std::array<CHudPart, kSaveParts> m_aSaveParts;
};
