// The modal info box (entries of "Info.txt" with a "Done" button) and message box (OK and Cancel).
#pragma once

#include "game/screens/art/ScreenKit.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class CDisplay;
class CSurface;

namespace platform::gdi {
class Font;
}

// One entry of "Info.txt": heading "@" + three digits + kind letter + one separator + title, then its lines.
struct CInfoEntry {
    int nId = -1;
    int nPanel = 0; // 0 "MainBox.bmp", 1 "Info_Box.bmp" (kind B), 2 "MainBox_2X.bmp" (kind S)
    std::string strTitle;
    std::string strText; // each line a paragraph indented by 7 blanks, paragraphs split by an empty line
};

// Finds entry `id` in the contents of an "Info.txt" (its first line skipped); false when it is not there.
bool FindInfoEntry(const std::string& contents, int id, CInfoEntry& entry);

class CInfoBox {
public:
    // Loads the three panels and the "Done" button face from the base folder's GUI art.
    CInfoBox(const std::string& base, CDisplay* display);
    ~CInfoBox();
    CInfoBox(const CInfoBox&) = delete;
    CInfoBox& operator=(const CInfoBox&) = delete;

    // Reads entry `entry` of "<base>/Info.txt" and shows it; nothing when the file or the entry is missing.
    void ShowInfo(int entry);
    // False when hidden or outside the panel; true inside (the box is modal). A click (kind 1) on "Done"
    // hides the box with sound 0.
    bool OnMouse(int kind, int x, int y, uint32_t buttons);
    void Draw(CSurface* target);

    bool m_bShown = false;
    int m_nEntry = -1; // the entry last shown
    int m_nPanel = 0;  // the panel in use
    std::string m_strTitle;
    std::string m_strText;
    CScreenButton m_done;

    static constexpr int kPanelCount = 3;
    // Panel positions by kind, and the size used when a panel's art is missing.
    static constexpr std::array<POINT, kPanelCount> kPanelPos{{{90, 100}, {75, 17}, {90, 100}}};
    static constexpr int kFallbackWidth = 620;
    static constexpr int kFallbackHeight = 400;

    RECT PanelRect() const;

private:
    void Compose();

    std::string m_strBase;
    CDisplay* m_pDisplay = nullptr;
    std::array<SurfacePtr, kPanelCount> m_apPanels;
    SurfacePtr m_pButtonFace;
    SurfacePtr m_pShown; // the panel copy with the entry drawn on it
    std::unique_ptr<platform::gdi::Font> m_pFont;
};

class CMessageBox {
public:
    CMessageBox(const std::string& base, CDisplay* display);
    ~CMessageBox();
    CMessageBox(const CMessageBox&) = delete;
    CMessageBox& operator=(const CMessageBox&) = delete;

    // Draws the text on a fresh copy of the panel (word-wrapped 20 pixels in; "Arial" 21 below 250 characters,
    // else "Arial" 14 bold) and shows the box.
    void ShowMessage(const std::string& text);
    // True whenever shown; hover highlights OK or Cancel; a left click on OK gives result 1, on Cancel 2, and
    // hides the box.
    bool OnMouse(int x, int y, uint32_t buttons, int& result);
    void Draw(CSurface* target);
    // The font the current text is drawn in: true for "Arial" 14 bold, false for "Arial" 21.
    bool UsesSmallFont() const { return m_bSmallFont; }

    bool m_bShown = false;
    std::string m_strText;
    int m_nHover = 0; // 1 OK, 2 Cancel, 0 none

    // Panel at (200, 120); OK at (+235, +160), Cancel at (+310, +160).
    static constexpr int kPanelX = 200;
    static constexpr int kPanelY = 120;
    static constexpr int kButtonWidth = 70; // when the button art is missing
    static constexpr int kButtonHeight = 24;

private:
    int HitButton(int x, int y) const;

    CDisplay* m_pDisplay = nullptr;
    SurfacePtr m_pPanel;
    SurfacePtr m_pShown;
    CScreenButton m_ok;
    CScreenButton m_cancel;
    std::unique_ptr<platform::gdi::Font> m_pSmall;
    std::unique_ptr<platform::gdi::Font> m_pLarge;
    bool m_bSmallFont = false;
};

// Shows the game's message box with "Do you want to exit?".
void ConfirmExit(CMessageBox* box);
