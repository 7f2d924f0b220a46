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
    void ShowInfo(int) {}
    // True while the box is shown and the point is on it (the box is modal).
    bool OnMouse(int kind, int x, int y, uint32_t buttons);
    void Draw(CSurface* target);

    bool m_bShown = false;
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
