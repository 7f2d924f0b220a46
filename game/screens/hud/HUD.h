// The in-game HUD (minimal: draws its panel, keeps the chat line and reports the band from y 448 down).
#pragma once

#include "game/screens/art/ArtList.h"

#include <cstdint>
#include <memory>
#include <string>

class CDisplay;
class CSurface;

namespace platform::gdi {
class Font;
}

class HUD {
public:
    HUD();
    ~HUD();
    bool LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags);
    void Draw(CSurface* target);
    void DrawSaveDialog(CSurface*) {}
    void DrawMessages() { ++m_nMessageRedraws; }
    void DrawChatEntry() {}
    void DrawInfoPanel(CDisplay*, int) {}
    // 1 when the pointer is on a control (the band from y 448 down).
    int OnMouseMove(int x, int y, uint32_t buttons);
    int OnLeftClick(int, int, uint32_t) { return 0; }
    int OnRightClick(int, int, uint32_t) { return 0; }
    void OnMouseUp(int, int, uint32_t) {}
    void RestoreOverlays() {}
    bool OnSaveDialogChar(uint32_t) { return false; }
    bool OnSaveDialogMouse(int, int, int) { return false; }
    // Width in pixels of the message panel's text rectangle.
    int MessagePanelWidth() const { return 380; }
    // Width in pixels of a line in the message panel's font (characters at 7 pixels when no font is found).
    int MeasureMessageText(const std::string& text);

    std::string m_strChat; // the chat entry line, at most 420 characters
    int m_nMessageRedraws = 0;

private:
    CArtList m_art;
    uint32_t* m_pModeFlags = nullptr;
    std::unique_ptr<platform::gdi::Font> m_pMessageFont;
};
