// The demo scenario with its HUD, and the screen points of the demo bar's buttons.
#pragma once

#include "core/widgets/CPopupMenu.h"
#include "tests/game/app/InputFixture.h"

// Points inside the demo bar's hot spots (the places the HUD samples) and panels.
struct HudPoints {
    static constexpr int kCommandX = 110, kCommandY = 468;
    static constexpr int kMapSwitchX = 45, kMapSwitchY = 503;
    static constexpr int kOptionsX = 180, kOptionsY = 503;
    static constexpr int kFiltersX = 45, kFiltersY = 558;
    static constexpr int kOverlaysX = 180, kOverlaysY = 558;
    static constexpr int kZoomX = 110, kZoomY = 528;
    static constexpr int kMessagesX = 600, kMessagesY = 500;
};

class HUDFixture : public InputFixture {
public:
    HUD& Hud() { return *Game().m_pHUD; }
    CPopupMenuView* View() { return Game().m_pPopupView.get(); }
    // Moves over a point of the bar and clicks it with the HUD directly; the code of the click.
    int Click(int x, int y, bool right = false)
    {
        Hud().OnMouseMove(x, y, 0);
        return right ? Hud().OnRightClick(x, y, 2, View()) : Hud().OnLeftClick(x, y, 1, View());
    }
    // Opens a HUD menu by its button and chooses a value in it, as the game routes the choice.
    int Choose(int x, int y, int value, bool right = false)
    {
        Click(x, y, right);
        return Hud().OnPopupChoice(value, Game().m_pEOC.get());
    }
    bool Enabled(int slot, int index)
    {
        CPopupMenu* menu = Hud().GetMenu(slot);
        return menu && !(menu->GetItem(index)->dwFlags & POPUP_ITEM_DISABLED);
    }
    bool Checked(int slot, int index)
    {
        CPopupMenu* menu = Hud().GetMenu(slot);
        return menu && (menu->GetItem(index)->dwFlags & POPUP_ITEM_CHECKED);
    }
};
