// The in-game HUD (minimal: draws its panel, keeps the chat line and reports the band from y 448 down).
#pragma once

#include "game/screens/art/ArtList.h"

#include <cstdint>
#include <memory>
#include <string>

class CDisplay;
class CSurface;
class CPopupMenuView;
class EOC;

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
    // The control code under a click (kept by the game as its HUD sub-state); 0 for none.
    int OnLeftClick(int, int, uint32_t, CPopupMenuView* = nullptr) { return 0; }
    int OnRightClick(int, int, uint32_t, CPopupMenuView* = nullptr) { return 0; }
    void OnMouseUp(int, int, uint32_t) {}
    // A choice in one of the HUD's menus: 1 the EOC screen acts on it, 2 or more an input state to enter, else 0.
    int OnPopupChoice(int, EOC*) { return 0; }
    void RestoreOverlays() {}
    bool OnSaveDialogChar(uint32_t) { return false; }
    bool OnSaveDialogMouse(int, int, int) { return false; }
    // Width in pixels of the message panel's text rectangle.
    int MessagePanelWidth() const { return 380; }
    // Width in pixels of a line in the message panel's font (characters at 7 pixels when no font is found).
    int MeasureMessageText(const std::string& text);

    // What the info panel shows: the kind and the object (a squad, station or sprite), or a unit's record by
    // section and row for kind 1.
    enum EInfoKind { kInfoNone = -1, kInfoSquad = 0, kInfoUnit = 1, kInfoStation = 2, kInfoSprite = 3 };
    void ShowInfo(int kind, const void* object)
    {
        m_nInfoKind = object ? kind : kInfoNone;
        m_pInfoObject = object;
        m_nInfoSection = m_nInfoUnit = -1;
    }
    void ShowUnitInfo(int section, int unit)
    {
        m_nInfoKind = kInfoUnit;
        m_pInfoObject = nullptr;
        m_nInfoSection = section;
        m_nInfoUnit = unit;
    }

    std::string m_strChat; // the chat entry line, at most 420 characters
    int m_nInfoKind = kInfoNone;
    const void* m_pInfoObject = nullptr; // compared, never read, by the game
    int m_nInfoSection = -1;
    int m_nInfoUnit = -1;
    int m_nHoverControl = 0; // the control under the pointer, as the game last saw it
    int m_nMessageRedraws = 0;

private:
    CArtList m_art;
    uint32_t* m_pModeFlags = nullptr;
    std::unique_ptr<platform::gdi::Font> m_pMessageFont;
};
