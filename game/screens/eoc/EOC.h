// The EOC screen: ordering ICS units and section chiefs with Resource Points, committed as message 43.
#pragma once

#include "game/screens/art/ArtList.h"
#include "game/screens/eoc/EOCUnitData.h"
#include "game/screens/art/ScreenKit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CDisplay;
class CSurface;
class CGame;
class CMessageBox;
class CPopupMenu;
class CPopupMenuView;

namespace platform::gdi {
class Font;
}

class EOC {
public:
    // What an order or a chief request came to.
    enum EOrderResult { kRefused, kChanged, kNoChange, kAsked };

    static constexpr int kArtRows = 40;
    static constexpr const char* kDoubleCostText =
        "You may activate this Unit without first activating its REQUIRED predecessor in the ICS organization.  "
        "This will cost double the normal cost in Resource Points.";

    EOC();
    ~EOC();
    EOC(const EOC&) = delete;
    EOC& operator=(const EOC&) = delete;

    // Reads "<base>/GUI/EOC_Art.csv" (40 rows); `game` gives the players, sounds, clock and messages.
    bool LoadArt(CDisplay* display, const std::string& base, CGame* game = nullptr);
    // At scenario start: the section panels and the factors of all active units.
    bool Init(CEOCUnitData* data);
    void Open();
    // Escape: resumes a game the opening paused, hides.
    void Close();
    void Draw(CSurface* target);
    // True while shown (the screen takes the pointer).
    bool OnMouseMove(int x, int y, uint32_t buttons);
    // Button bit 0x1 left, 0x2 right; false when hidden. The pop-up view shows the player list for chiefs.
    bool OnClick(int x, int y, uint32_t buttons, CPopupMenuView* popup = nullptr);
    void OnPopupChoice(int playerId);
    void DrawResourcePoints();
    void ResetSectionPanel(int section);
    void MarkActivatedUnits(int section, int unit);
    void ApplyUnitUpdate(const uint8_t* record, size_t length);
    // Message 51 reached the unit data: both copies follow (never below 0).
    void AddResourcePoints(int section, float amount);

    // The rules behind the clicks, at game time `now` (HHMM).
    bool IsSectionChief(int section) const;
    EOrderResult OrderUnit(int section, int unit, int32_t now);
    EOrderResult OrderSectionChief(int section, int32_t playerId, int32_t now);
    // Done: sends the differences as message 43; false when nothing changed.
    bool Commit(int32_t now);
    // The running cost as the Finance/Admin tab shows it.
    static std::string FormatMoney(int32_t dollars);
    // The texts of the RP panel as last drawn (for the Command tab: one line per section).
    const std::vector<std::string>& PanelTexts() const { return m_aPanelTexts; }
    CPopupMenu* PlayerMenu() { return m_pPlayerMenu.get(); }
    // The players' pop-up shows 19 names and "More players..." (this value) while more than 20 play.
    static constexpr int kMorePlayers = 1000;
    static constexpr int kPlayersPerPage = 19;
    CMessageBox* MessageBox() { return m_pMessageBox.get(); }

    // Geometry of the hit areas (screen coordinates), from the art rows and the unit lists.
    RECT WindowRect() const;
    RECT UnitRect(int section, int unit) const;
    RECT TabRect(int tab) const;
    RECT ArrowRect(int section, int arrow) const; // sections 1-4, arrow 0 plus / 1 minus
    RECT DoneRect() const;
    RECT CancelRect() const;

    bool m_bShown = false;
    int m_nSection = 0;       // current tab
    int m_nHoverTab = -1;     // -2 below the tab strip
    int m_nHoverUnit = -1;    // of the current section
    int m_nHoverSection = -1; // the current section while a unit is hovered (read by the game)
    int m_nHoverArrow = -1;   // 0 plus, 1 minus
    int m_nHoverArrowSection = -1;
    int m_nHoverButton = -1;    // 0 Done, 1 Cancel
    bool m_bPausedGame = false; // set by the HUD when opening the EOC paused a single-player game
    bool m_bChoosingChief = false;
    bool m_bDoubleConfirmed = false;
    int m_nPendingSection = -1;
    int m_nPendingUnit = -1;
    bool m_bMoneyDisplay = true; // the Finance/Admin tab shows the running cost
    std::string m_strNotice;     // why the last order on a section tab was refused (shown on its panel)
    CEOCSectionTable m_aWork;
    CEOCSectionTable m_aBase;

private:
    const CArtRow* Row(int index) const;
    bool Hit(const RECT& rect, int x, int y) const;
    void Sound(int id, float volume = 1.0f) const;
    int32_t Now() const;
    bool HoldsZoranthRole() const;
    void Pay(CEOCSection& section, float cost);
    void OnLeftClick(int x, int y, CPopupMenuView* popup);
    void OnUnitClick(int x, int y, CPopupMenuView* popup);
    void OnArrowClick();
    // Refuses a unit click on a section tab with sound 2 and says why on the panel.
    void RefuseUnit(const std::string& why);
    std::string RefusalReason(int section, int unit) const;
    // When the section's chief takes office: at the committed order's time, minutes after Done, or not ordered.
    std::string ChiefDue(int section) const;
    void DrawSectionPanel(int width, int height, const std::string& money);
    // Fills the players' pop-up with one page and opens it; false when it could not open.
    bool OpenPlayerMenu(int page);
    void Finish(bool commit);
    void BuildFaces();
    void DrawUnits(CSurface* target, bool& ok);
    bool UnitExists(int section, int unit) const;

    CArtList m_art;
    CDisplay* m_pDisplay = nullptr;
    CGame* m_pGame = nullptr;
    CEOCUnitData* m_pData = nullptr;
    std::unique_ptr<CMessageBox> m_pMessageBox;
    std::unique_ptr<CPopupMenu> m_pPlayerMenu;
    CPopupMenuView* m_pMenuView = nullptr; // where the players' pop-up opened, for its next page
    int m_nMenuX = 0, m_nMenuY = 0, m_nMenuPage = 0;
    std::unique_ptr<platform::gdi::Font> m_pFont16;
    std::unique_ptr<platform::gdi::Font> m_pFont18;
    std::unique_ptr<platform::gdi::Font> m_pFont20;
    // Per section and unit: faces available, active, locked, ordered, each normal and hover.
    std::array<std::array<std::array<SurfacePtr, 8>, kUnitsPerSection>, kSections> m_aFaces;
    SurfacePtr m_pDone, m_pDoneHover, m_pCancel, m_pCancelHover;
    SurfacePtr m_pPanel, m_pPanelClean;
    // What the unit paid while its order is not committed (a double cost is refunded whole).
    std::array<std::array<float, kUnitsPerSection>, kSections> m_afPaid{};
    std::vector<std::string> m_aPanelTexts;
    uint32_t m_uLastArrowMove = 0;
    bool m_bArrowMoved = false;
};
