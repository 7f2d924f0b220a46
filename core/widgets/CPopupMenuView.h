// The on-screen pop-up widget shared by every menu: frame art, layout, drawing, hover and click handling.
#pragma once

#include "core/widgets/CPopupMenu.h"

#include <cstddef>
#include <memory>
#include <string>

class CDisplay;
class CSurface;
class CSoundManager;

namespace platform::gdi {
class Font;
}

// Largest frame list read (the file names six bitmaps).
constexpr size_t kMaxPopupFrameListBytes = 64 * 1024;

// Reads the six bitmap names of a pop-up frame list: the first word of each non-blank line, at most 259
// characters each. False when fewer than six names are there or a name is too long.
bool ParsePopupFrameList(const char* data, size_t size, std::string names[6]);

class CPopupMenuView {
public:
    enum FrameBitmap { TopEdge = 0, BottomEdge, PlainLine, CheckedLine, DisabledLine, UncheckedLine, FrameCount };

    // Reads "<folder>/GUI/<listFile>" and loads its six bitmaps from "<folder>/GUI/". A null sound manager
    // means the process-wide one. Without its list or a bitmap the view is unusable and Open refuses.
    CPopupMenuView(const char* listFile, CDisplay* display, const char* artFolder, CSoundManager* sound = nullptr);
    virtual ~CPopupMenuView();
    CPopupMenuView(const CPopupMenuView&) = delete;
    CPopupMenuView& operator=(const CPopupMenuView&) = delete;

    // Lays the menu out at (x, y), kept inside 800 x 600, and makes it the open menu with no hover line. A
    // line too long for the frame's width widens the menu to hold it.
    // False for a null menu or an unusable view.
    bool Open(CPopupMenu* menu, int x, int y);
    // Draws every line into its surface and shows the view.
    bool Render();
    // Draws the open menu onto the target when shown.
    void Draw(CSurface* target);
    // True when the move was the widget's (a menu is open and shown).
    bool OnMouseMove(int x, int y, unsigned buttons);
    // -1 not the widget's, -2 dismissed, -3 a disabled line, else the chosen line's value.
    int OnClick(int x, int y, int kind);

    bool IsUsable() const { return m_bUsable; }
    bool IsShown() const { return m_bShown; }
    void SetShown(bool shown) { m_bShown = shown; }
    int GetHoverIndex() const { return m_nHover; }
    CPopupMenu* GetOpenMenu() const { return m_pMenu; }
    int GetFrameWidth() const { return m_nFrameWidth; }
    int GetItemHeight() const { return m_nItemHeight; }
    int GetEdgeHeight() const { return m_nEdgeHeight; }

private:
    bool LoadFrame(const std::string& listFile, const std::string& folder);
    platform::gdi::Font* LineFont();
    // The width the menu is drawn at: the frame's, or that of its longest line.
    int MenuWidth(const CPopupMenu* menu);
    void BlitWide(CSurface* target, int x, int y, CSurface* art, int width, int height);

    CSurface* m_apFrame[FrameCount] = {};
    int m_nFrameWidth = 0;
    int m_nItemHeight = 0;
    int m_nEdgeHeight = 0;
    bool m_bShown = false;
    int m_nHover = 0;
    CPopupMenu* m_pMenu = nullptr;
    CDisplay* m_pDisplay;
    CSoundManager* m_pSound;
    bool m_bUsable = false;
    std::unique_ptr<platform::gdi::Font> m_pFont;
};
