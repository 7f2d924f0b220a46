// The modal info box and message box drawn over any screen (minimal: no panel text yet).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CDisplay;
class CSurface;

class CInfoBox {
public:
    CInfoBox(const std::string& base, CDisplay* display);
    ~CInfoBox();
    // Opens an entry of "Info.txt" (the stand-in only remembers which).
    void ShowInfo(int entry)
    {
        m_nEntry = entry;
        m_bShown = true;
    }
    // True while the box is shown (it is modal); a button down closes it.
    bool OnMouse(int kind, int x, int y, uint32_t buttons);
    void Draw(CSurface* target);

    bool m_bShown = false;
    int m_nEntry = -1; // the entry last asked for
};

class CMessageBox {
public:
    CMessageBox(const std::string& base, CDisplay* display);
    ~CMessageBox();
    void ShowMessage(const std::string& text);
    // True whenever shown; a left click on OK gives result 1, on Cancel 2, and hides the box.
    bool OnMouse(int x, int y, uint32_t buttons, int& result);
    void Draw(CSurface* target);

    bool m_bShown = false;
    std::string m_strText;
    int m_nHover = 0;

    // Panel at (200, 120); OK at (+235, +160), Cancel at (+310, +160).
    static constexpr int kPanelX = 200;
    static constexpr int kPanelY = 120;
    static constexpr int kButtonWidth = 70;
    static constexpr int kButtonHeight = 24;

private:
    std::shared_ptr<CSurface> m_pPanel;
};

// Shows the game's message box with "Do you want to exit?".
void ConfirmExit(CMessageBox* box);
