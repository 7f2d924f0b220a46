// The demo scenario loaded for in-play input tests, with mouse and key helpers and the messages posted.
#pragma once

#include "core/widgets/CPopupMenuView.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "game/app/InputPlay.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "tests/game/app/DemoGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

class InputFixture : public demo_game::DemoFolderTest {
public:
    InputFixture() : DemoFolderTest(true) {}
    void SetUp() override
    {
        DemoFolderTest::SetUp();
        if (HasFatalFailure())
            return;
        Game().m_fnPostObserver = [this](uint16_t id, const uint8_t*, size_t) { m_posts.push_back(id); };
        m_squad = Game().m_pSquadGame->Scenario()->Units().front();
        Game().m_nInputState = 0;
    }
    CGame& Game() { return m_run->Game(); }
    std::vector<int>& Sounds() { return m_run->m_aSounds; }

    // Mouse events as the window hands them over: x in the low 16 bits of lParam, y in the high.
    static int32_t Pack(int x, int y) { return static_cast<int32_t>((static_cast<uint32_t>(y) << 16) | (x & 0xFFFF)); }
    void Press(int x, int y, uint32_t buttons) { Game().OnMouse(0x201, buttons, Pack(x, y), 1); }
    void Release(int x, int y) { Game().OnMouse(0x202, 0, Pack(x, y), 2); }
    void Move(int x, int y) { Game().OnMouse(0x200, 0, Pack(x, y), 0); }

    // The screen point of a world point in the current tactical view.
    bool ToScreen(int wx, int wy, int& x, int& y)
    {
        return Game().m_pMap->WorldToView(Game().m_pSquadGame->m_rcView, &x, &y, wx, wy);
    }
    // Centres the tactical view on a world point and draws a frame (picking takes sprites drawn last frame).
    void CentreOn(int wx, int wy)
    {
        Game().m_pMap->CenterViewAt(&Game().m_pSquadGame->m_rcView, wx, wy);
        Game().RefreshView();
        Game().Draw();
    }
    void CentreOn(const CSquad* squad) { CentreOn(static_cast<int>(squad->m_fX), static_cast<int>(squad->m_fY)); }
    // Puts a squad (and its sprite) at a world point.
    static void Place(CSquad* squad, float x, float y)
    {
        squad->m_fX = x;
        squad->m_fY = y;
        squad->PlaceSprite();
    }
    CSquad* Find(int32_t number) const { return m_run->Game().m_pSquadGame->Scenario()->FindSquad(number); }
    CPathTile* TileAt(int wx, int wy) { return Game().m_pPathData->GetTileAt(wx, wy); }

    // Chooses the line of the open pop-up menu that carries a value: the pointer moves over it and clicks.
    bool ChooseMenuValue(int value)
    {
        CPopupMenuView* view = Game().m_pPopupView.get();
        CPopupMenu* menu = view ? view->GetOpenMenu() : nullptr;
        if (!menu || !view->IsShown())
            return false;
        for (int i = 0; i < menu->GetCount(); ++i) {
            if (menu->GetItem(i)->nValue != value)
                continue;
            const int x = menu->GetX() + 10;
            const int y = menu->GetY() + view->GetEdgeHeight() + i * view->GetItemHeight() + view->GetItemHeight() / 2;
            Move(x, y);
            Press(x, y, 1);
            return true;
        }
        return false;
    }
    // Whether the message log holds the words (its wrapped lines read as one text).
    bool LogHas(const std::string& words) const
    {
        std::string all;
        for (const auto& line : m_run->Game().m_log.m_messages.aLines)
            all += line.strText + " ";
        return all.find(words) != std::string::npos;
    }
    int CountPosts(uint16_t id) const { return static_cast<int>(std::count(m_posts.begin(), m_posts.end(), id)); }

    CSquad* m_squad = nullptr;
    std::vector<uint16_t> m_posts;
};
