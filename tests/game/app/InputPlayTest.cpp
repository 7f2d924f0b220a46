// In-play input: the order tables, the bounded scatter, order targets on the demo map, the Escape chain, chat.
#include "tests/game/app/InputFixture.h"

namespace {

TEST(OrderTableTest, WhatAChosenOrderWaitsFor)
{
    struct Case {
        int order;
        int target;
    };
    const Case cases[] = {{2, kTargetPoint},
                          {3, kTargetPoint},
                          {6, kTargetPoint},
                          {7, kTargetPoint},
                          {11, kTargetPoint},
                          {38, kTargetPoint},
                          {44, kTargetPoint},
                          {17, kTargetSquadToLoad},
                          {19, kTargetVehicle},
                          {39, kTargetSquadToDirect},
                          {18, kTargetNone},
                          {37, kTargetNone},
                          {30, kTargetNone},
                          {0, -1},
                          {1, -1},
                          {21, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(OrderTargetKind(c.order), c.target) << c.order;
}

TEST(OrderTableTest, TargetCursors)
{
    EXPECT_EQ(TargetCursorFor(3, false, 1), 4);
    EXPECT_EQ(TargetCursorFor(3, true, 1), 5);
    EXPECT_EQ(TargetCursorFor(11, false, 1), 11);
    EXPECT_EQ(TargetCursorFor(13, false, 1), 8);
    EXPECT_EQ(TargetCursorFor(39, false, 4), 15);
    EXPECT_EQ(TargetCursorFor(39, false, 5), 16);
    EXPECT_EQ(TargetCursorFor(44, false, 1), 10);
    EXPECT_EQ(TargetCursorFor(36, false, 1), kCursorTargetId);
}

TEST(OrderTableTest, ScatterIsBoundedAndFallsBackToTheClick)
{
    int x = 500, y = 500, calls = 0;
    EXPECT_FALSE(ScatterPoint(
        100, 100, x, y,
        [&](int, int) {
            ++calls;
            return false;
        },
        [] { return 7; }));
    EXPECT_EQ(x, 500);
    EXPECT_EQ(y, 500);
    EXPECT_LE(calls, 64);
    // A passable scatter stays within a sixth of the distance each way.
    int sx = 400, sy = 400;
    EXPECT_TRUE(ScatterPoint(
        100, 100, sx, sy, [](int, int) { return true; }, [] { return 1000; }));
    EXPECT_LE(std::abs(sx - 400), 50);
    EXPECT_LE(std::abs(sy - 400), 50);
}

using InputPlayTest = InputFixture;

TEST_F(InputPlayTest, AChosenMoveWaitsForAPointAndTheHudBandIsRefused)
{
    CGame& game = Game();
    game.m_pMap->CenterViewAt(&game.m_pSquadGame->m_rcView, static_cast<int>(m_squad->m_fX),
                              static_cast<int>(m_squad->m_fY));
    game.RefreshView();
    game.SelectSquad(m_squad);
    game.m_nInputState = 1;
    EXPECT_TRUE(game.OnOrderMenuChoice(3));
    EXPECT_EQ(game.m_nHudSubState, kTargetPoint);
    EXPECT_EQ(game.GetCursorId(), 4);
    Sounds().clear();
    Press(400, 460, 1); // the HUD band
    EXPECT_EQ(Sounds(), std::vector<int>{2});
    EXPECT_EQ(game.m_nInputState, 1);
    // A passable point on the map gives the order with a path request.
    int sx = 0, sy = 0;
    ASSERT_TRUE(ToScreen(static_cast<int>(m_squad->m_fX) + 32, static_cast<int>(m_squad->m_fY), sx, sy));
    Press(sx, sy, 1);
    EXPECT_EQ(game.m_nInputState, 0);
    EXPECT_EQ(m_squad->m_nNextState, 3);
    EXPECT_TRUE(m_squad->m_nFlags & 0x1);
    EXPECT_EQ(game.OrderSquad(), nullptr);
}

TEST_F(InputPlayTest, ImpassableTargetIsRefused)
{
    CGame& game = Game();
    // Find an impassable tile for a person.
    int wx = -1, wy = -1;
    for (int y = 16; y < game.m_pMap->GetRows() * 32 && wx < 0; y += 32)
        for (int x = 16; x < game.m_pMap->GetColumns() * 32; x += 32)
            if (!game.IsPassableFor(m_squad, x, y)) {
                wx = x;
                wy = y;
                break;
            }
    if (wx < 0)
        GTEST_SKIP() << "the demo map has no impassable tile";
    game.m_pMap->CenterViewAt(&game.m_pSquadGame->m_rcView, wx, wy);
    game.RefreshView();
    game.SelectSquad(m_squad);
    game.m_nInputState = 1;
    ASSERT_TRUE(game.OnOrderMenuChoice(3));
    int sx = 0, sy = 0;
    ASSERT_TRUE(ToScreen(wx, wy, sx, sy));
    Sounds().clear();
    Press(sx, sy, 1);
    EXPECT_EQ(Sounds(), std::vector<int>{2});
    EXPECT_NE(m_squad->m_nNextState, 3);
}

TEST_F(InputPlayTest, EscapeClosesTheFirstOpenThing)
{
    CGame& game = Game();
    game.m_pIAP->Open(0x20000);
    game.m_pMessageBox->ShowMessage("x");
    EXPECT_FALSE(game.OnKeyDown(kVkEscape, 3));
    EXPECT_FALSE(game.m_pMessageBox->m_bShown); // the message box before the IAP screen
    EXPECT_TRUE(game.m_pIAP->m_bShown);
    game.OnKeyDown(kVkEscape, 3);
    EXPECT_FALSE(game.m_pIAP->m_bShown);
    game.SelectSquad(m_squad);
    game.m_nInputState = 1;
    ASSERT_TRUE(game.OnOrderMenuChoice(3));
    game.OnKeyDown(kVkEscape, 3); // a waiting order ends, the squad stays the order squad
    EXPECT_EQ(game.m_nInputState, 0);
    EXPECT_EQ(game.m_nHudSubState, 0);
    EXPECT_EQ(game.OrderSquad(), m_squad);
    game.OnKeyDown(kVkEscape, 3); // then the targeting is cancelled
    EXPECT_EQ(game.OrderSquad(), nullptr);
    game.OnKeyDown(kVkEscape, 3); // and with nothing left, the exit prompt
    EXPECT_TRUE(game.m_pMessageBox->m_bShown);
}

TEST_F(InputPlayTest, EscapeEndsPlacingAndPickingStates)
{
    struct Case {
        int state;
        int subState;
        bool orderSquadKept;
    };
    // Placing a facility (5-10), picking a view centre (3), a marker (11), a waiting order (1 with 1-5) end
    // and keep the order squad; idle with an order squad cancels its targeting.
    const Case cases[] = {{5, 0, true}, {10, 0, true}, {3, 0, true}, {11, 0, true}, {1, 4, true}, {0, 0, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        CGame& game = Game();
        game.SelectSquad(m_squad);
        game.m_nInputState = c.state;
        game.m_nHudSubState = c.subState;
        game.SetMouseCursor(kCursorTargetId);
        game.OnKeyDown(kVkEscape, 3);
        EXPECT_EQ(game.m_nInputState, 0);
        EXPECT_EQ(game.GetCursorId(), kCursorArrowId);
        EXPECT_EQ(game.OrderSquad(), c.orderSquadKept ? m_squad : nullptr);
        EXPECT_FALSE(game.m_pMessageBox->m_bShown);
    }
}

TEST_F(InputPlayTest, OtherKeysGoToThePanelsByState)
{
    CGame& game = Game();
    // While a HUD control is worked, a key the panels do not take ends that state.
    game.m_nInputState = 2;
    game.m_nHudSubState = 1;
    game.OnKeyDown('Q', 3);
    EXPECT_EQ(game.m_nInputState, 0);
    EXPECT_EQ(game.m_nHudSubState, -1);
    // A waiting order is not ended by a key.
    game.SelectSquad(m_squad);
    game.m_nInputState = 1;
    ASSERT_TRUE(game.OnOrderMenuChoice(3));
    game.OnKeyDown('Q', 3);
    EXPECT_EQ(game.m_nInputState, 1);
    EXPECT_EQ(game.m_nHudSubState, kTargetPoint);
}

TEST_F(InputPlayTest, ChatLineLimit)
{
    CGame& game = Game();
    for (int i = 0; i < 80; ++i)
        game.OnChar('a');
    EXPECT_EQ(game.m_pHUD->m_strChat.size(), 80u);
    Sounds().clear();
    game.OnChar('b');
    EXPECT_EQ(game.m_pHUD->m_strChat.size(), 80u);
    EXPECT_EQ(Sounds(), std::vector<int>{2});
}

TEST_F(InputPlayTest, ArrowsScrollTheMapByTiles)
{
    CGame& game = Game();
    const RECT before = game.m_pSquadGame->m_rcView;
    game.OnKeyDown(0x27, 3);
    game.OnKeyDown(0x28, 3);
    EXPECT_EQ(game.m_pSquadGame->m_rcView.left, before.left + 32);
    EXPECT_EQ(game.m_pSquadGame->m_rcView.top, before.top + 32);
}

} // namespace
