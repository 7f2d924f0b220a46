// The HUD bar over the demo scenario: hot-spot buttons, command codes, the pop-up menus and their choices.
#include "game/app/GameMessages.h"
#include "game/sim/IncidentWorld.h"
#include "tests/game/screens/hud/HUDFixture.h"

namespace {

using P = HudPoints;

class HUDBarTest : public HUDFixture {};

TEST_F(HUDBarTest, MapSwitchFlipsTheMapView)
{
    EXPECT_EQ(Click(P::kMapSwitchX, P::kMapSwitchY), 7);
    EXPECT_EQ(Hud().m_nHover, 2);
    EXPECT_EQ(Game().m_nView, 1);
    EXPECT_EQ(Game().m_pSquadGame->m_drawFilter.m_nViewMode, 1);
    EXPECT_EQ(Click(P::kMapSwitchX, P::kMapSwitchY), 8);
    EXPECT_EQ(Hud().m_nHover, 1);
    EXPECT_EQ(Game().m_nView, 0);
}

TEST_F(HUDBarTest, HoverSoundPlaysOnlyWhenTheButtonChanges)
{
    Sounds().clear();
    EXPECT_EQ(Hud().OnMouseMove(P::kCommandX, P::kCommandY, 0), 1);
    EXPECT_EQ(Hud().OnMouseMove(P::kCommandX + 2, P::kCommandY, 0), 1);
    EXPECT_EQ(Hud().m_nHover, 0);
    EXPECT_EQ(Sounds(), std::vector<int>{1});
    // Above the bar the map has the pointer.
    EXPECT_EQ(Hud().OnMouseMove(P::kCommandX, 300, 0), 0);
    EXPECT_EQ(Hud().m_nHover, -1);
    // The info panel is the HUD's but no button.
    EXPECT_EQ(Hud().OnMouseMove(300, 500, 0), 1);
    EXPECT_EQ(Hud().m_nHover, -1);
}

TEST_F(HUDBarTest, ClickCodes)
{
    struct Case {
        const char* what;
        int x, y;
        int code;
        int hoverAfter;
        bool clickSound;
    } cases[] = {
        {"Command", P::kCommandX, P::kCommandY, 9, 0, true},
        {"Options", P::kOptionsX, P::kOptionsY, 10, 3, true},
        {"Filters", P::kFiltersX, P::kFiltersY, 11, 4, true},
        {"Overlays", P::kOverlaysX, P::kOverlaysY, 12, 5, true},
        {"second switch off", P::kZoomX, P::kZoomY, 6, 10, true},
        {"scroll up", 787, 463, 13, 12, false},
        {"scroll down", 787, 549, 14, 13, false},
        {"message button", 787, 506, 15, 14, false},
        {"nothing", 300, 500, 0, -1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Hud().OnMouseMove(0, 0, 0);
        Sounds().clear();
        EXPECT_EQ(Click(c.x, c.y), c.code);
        EXPECT_EQ(Hud().m_nHover, c.hoverAfter);
        const bool clicked = std::find(Sounds().begin(), Sounds().end(), 0) != Sounds().end();
        EXPECT_EQ(clicked, c.clickSound);
        EXPECT_EQ(Hud().m_bPressed, c.code != 0);
        Hud().OnMouseUp(c.x, c.y, 0);
        EXPECT_EQ(Hud().m_bPressed, 0);
    }
    // Filters and Overlays buttons toggle their switches.
    EXPECT_EQ(Game().m_pSquadGame->m_drawFilter.m_bFilterSwitch, 1);
    EXPECT_EQ(Game().m_pSquadGame->m_drawFilter.m_bClassSwitch, 0);
}

TEST_F(HUDBarTest, RightClicksOpenMenus)
{
    EXPECT_EQ(Click(P::kMessagesX, P::kMessagesY, true), 0);
    EXPECT_EQ(Hud().m_nHover, 15);
    EXPECT_TRUE(View()->IsShown());
    EXPECT_EQ(View()->GetOpenMenu(), Hud().GetMenu(kHudMenuMsgFilters));
    EXPECT_EQ(Click(P::kFiltersX, P::kFiltersY, true), 11);
    EXPECT_EQ(View()->GetOpenMenu(), Hud().GetMenu(kHudMenuFilters));
    EXPECT_EQ(Game().m_pSquadGame->m_drawFilter.m_bFilterSwitch, 0); // opened, not toggled
    EXPECT_EQ(Click(300, 500, true), 0);
}

TEST_F(HUDBarTest, CheckMenusFlipTheirMaskBits)
{
    CModeRecord& options = Game().m_pSquadGame->m_drawFilter;
    // "OK" closes the menu and changes nothing.
    EXPECT_EQ(Choose(P::kOverlaysX, P::kOverlaysY, 3, true), 0);
    EXPECT_EQ(options.m_nClassOptions, 3);
    EXPECT_FALSE(View()->IsShown());
    // Overlays item 1 off and on again; the menu stays open.
    EXPECT_EQ(Choose(P::kOverlaysX, P::kOverlaysY, 1, true), 0);
    EXPECT_EQ(options.m_nClassOptions, 1);
    EXPECT_FALSE(Checked(kHudMenuOverlays, 1));
    EXPECT_EQ(Hud().OnPopupChoice(1, Game().m_pEOC.get()), 0);
    EXPECT_EQ(options.m_nClassOptions, 3);
    EXPECT_TRUE(Checked(kHudMenuOverlays, 1));
    EXPECT_TRUE(View()->IsShown());
    // A Filters bit switches the filters on.
    options.m_bFilterSwitch = 0;
    EXPECT_EQ(Choose(P::kFiltersX, P::kFiltersY, 2, true), 0);
    EXPECT_EQ(options.m_nFilterOptions, 4);
    EXPECT_EQ(options.m_bFilterSwitch, 1);
    EXPECT_TRUE(Checked(kHudMenuFilters, 2));
    // Message filters keep their own mask.
    EXPECT_EQ(Choose(P::kMessagesX, P::kMessagesY, 1, true), 0);
    EXPECT_EQ(Hud().m_nMsgFilterMask, 2);
}

TEST_F(HUDBarTest, CommandPlacementsForceAndRestoreTheOverlays)
{
    CModeRecord& options = Game().m_pSquadGame->m_drawFilter;
    Game().m_uMode |= kModeWaiveUnits; // items 3-7 enabled whatever the units
    for (int item = 2; item <= 7; ++item) {
        SCOPED_TRACE(item);
        options.m_nClassOptions = 2;
        options.m_bClassSwitch = 0;
        Click(P::kCommandX, P::kCommandY);
        Hud().GetMenu(kHudMenuCommand)->SetEnabled(2, true); // no incident objects on the demo map yet
        ASSERT_TRUE(Enabled(kHudMenuCommand, item));
        EXPECT_EQ(Hud().OnPopupChoice(item, Game().m_pEOC.get()), item + 3);
        EXPECT_EQ(options.m_nClassOptions, 5);
        EXPECT_EQ(options.m_bClassSwitch, 1);
        EXPECT_TRUE(Checked(kHudMenuOverlays, 0));
        EXPECT_FALSE(Checked(kHudMenuOverlays, 1));
        Hud().RestoreOverlays();
        EXPECT_EQ(options.m_nClassOptions, 2);
        EXPECT_EQ(options.m_bClassSwitch, 0);
        EXPECT_FALSE(Checked(kHudMenuOverlays, 0));
        EXPECT_TRUE(Checked(kHudMenuOverlays, 1));
    }
    // Nothing saved: a second restore keeps the overlays.
    options.m_nClassOptions = 7;
    Hud().RestoreOverlays();
    EXPECT_EQ(options.m_nClassOptions, 7);
}

TEST_F(HUDBarTest, CommandItemStates)
{
    CIncidentWorld& world = *Game().m_pIncidentWorld;
    if (world.Objects().Size() == 0)
        world.AddObject(TileAt(static_cast<int>(m_squad->m_fX), static_cast<int>(m_squad->m_fY)), 128, 0, 0, true);
    CEOCUnitData& eoc = *Game().m_pEOCUnitData;
    struct Case {
        const char* what;
        uint32_t placed;
        std::array<uint32_t, 5> active;
        std::array<bool, 6> items; // 2..7
    } cases[] = {
        {"nothing placed", 0, {}, {true, false, false, false, false, false}},
        {"post placed, no units", 0x1, {}, {false, false, false, false, false, false}},
        {"post placed, all units", 0x1, {0x20, 0x402, 0, 0x88, 0}, {false, true, true, true, true, true}},
        {"all placed", 0x3F, {0x20, 0x402, 0, 0x88, 0}, {false, false, false, false, false, false}},
        {"staging needs both", 0x1, {0, 0x2, 0, 0x80, 0}, {false, false, true, false, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        eoc.m_uFacilityFlags = c.placed;
        for (int s = 0; s < 5; ++s)
            eoc.m_aSections[s].uActivated = c.active[s];
        Click(P::kCommandX, P::kCommandY);
        for (int i = 2; i <= 7; ++i)
            EXPECT_EQ(Enabled(kHudMenuCommand, i), c.items[i - 2]) << "item " << i;
        EXPECT_TRUE(Enabled(kHudMenuCommand, 8));
        EXPECT_FALSE(Enabled(kHudMenuCommand, 10)); // single play
    }
    // On the area map no placement is offered; the waiver bit offers items 3-7 anyway.
    eoc.m_uFacilityFlags = 0;
    Game().m_nView = 1;
    Game().m_uMode |= kModeWaiveUnits;
    Click(P::kCommandX, P::kCommandY);
    EXPECT_FALSE(Enabled(kHudMenuCommand, 2));
    for (int i = 3; i <= 7; ++i)
        EXPECT_TRUE(Enabled(kHudMenuCommand, i));
}

// The half-hour's reminder is answerable at once: chosen in the minute it falls due, before the periodic check has
// run, the plan opens for review and the reminder is given.
TEST_F(HUDBarTest, TheIncidentActionPlanOpensForReviewTheMinuteItFallsDue)
{
    Game().m_bFirstIAP = false;
    Game().m_nIAPMark = 930;
    Game().m_nTimeOfDay = 1000;
    Game().m_uMode &= ~(kModeIAPReview | kModeIAPApproval);
    EXPECT_EQ(Choose(P::kCommandX, P::kCommandY, 0), 0);
    EXPECT_TRUE(Game().m_pIAP->m_bShown);
    EXPECT_EQ(Game().m_pIAP->m_uMode, IAP_PhaseIF::kModeSingle);
    EXPECT_TRUE(Game().m_uMode & kModeIAPReview);
    EXPECT_EQ(Game().m_nIAPMark, 1000);
    EXPECT_EQ(Game().GetTimeSinceIAPMark(), 0) << "reviewed now, it is not late";
}

TEST_F(HUDBarTest, CommandAndOptionChoices)
{
    const uint32_t mode = Game().m_uMode;
    // The EOC screen opens and pauses single play.
    EXPECT_EQ(Choose(P::kCommandX, P::kCommandY, 1), 0);
    EXPECT_TRUE(Game().m_pEOC->m_bShown);
    EXPECT_TRUE(Game().m_uMode & kModePaused);
    EXPECT_EQ(CountPosts(kGmPause), 1);
    Game().m_pEOC->m_bShown = false;
    Game().SetPaused(false);
    // The IAP screen likewise; between its phases it only shows the plan.
    Game().m_bFirstIAP = false;
    Game().m_nIAPMark = Game().GetTimeOfDay();
    EXPECT_EQ(Choose(P::kCommandX, P::kCommandY, 0), 0);
    EXPECT_TRUE(Game().m_pIAP->m_bShown);
    EXPECT_EQ(Game().m_pIAP->m_uMode, IAP_PhaseIF::kModeView); // no IAP phase on
    Game().m_pIAP->Close();
    Game().SetPaused(false);
    // In a networked IAP phase the local roles decide: Planning proposes, others only look.
    Game().m_uMode = (Game().m_uMode & ~kModeSingle) | kModeNetworked | kModeIAPReview;
    for (const auto& [roles, expected] :
         {std::pair{kRolePlanningChief, IAP_PhaseIF::kModePropose}, std::pair{kRoleCommand, IAP_PhaseIF::kModeView}}) {
        Game().GetLocalPlayerInfo()->uRoleFlags = roles;
        Choose(P::kCommandX, P::kCommandY, 0);
        EXPECT_EQ(Game().m_pIAP->m_uMode, expected) << roles;
        Game().m_pIAP->Close();
    }
    Game().m_uMode = mode;
    Game().SetPaused(false);
    // Options: pause toggles, sound flips, exit asks.
    EXPECT_EQ(Choose(P::kOptionsX, P::kOptionsY, 1), 0);
    EXPECT_TRUE(Game().m_uMode & kModePaused);
    Game().SetPaused(false);
    Game().m_uMode |= kModeSound;
    const int loop = Game().PlayLoopSound(15, 1.0f);
    ASSERT_GE(loop, 0);
    const platform::SoundHandle sample = m_run->Sound().GetChannel(loop).hSample;
    EXPECT_EQ(Choose(P::kOptionsX, P::kOptionsY, 3), 0);
    EXPECT_FALSE(Game().m_uMode & kModeSound);
    EXPECT_NE(m_run->SoundBackend().Find(sample)->status, platform::kSoundStatusPlaying) << "a loop plays on with sound off";
    EXPECT_EQ(Choose(P::kOptionsX, P::kOptionsY, 3), 0);
    EXPECT_TRUE(Game().m_uMode & kModeSound);
    EXPECT_EQ(m_run->SoundBackend().Find(sample)->status, platform::kSoundStatusPlaying);
    Game().m_uMode = (Game().m_uMode & ~kModeSound) | (mode & kModeSound);
    EXPECT_EQ(Choose(P::kOptionsX, P::kOptionsY, 4), 0);
    EXPECT_TRUE(Game().m_pMessageBox->m_bShown);
    EXPECT_EQ(Game().m_pMessageBox->m_strText, "Do you want to exit?");
    Game().m_pMessageBox->m_bShown = false;
    // Mark the map: the target cursor and answer 11.
    EXPECT_EQ(Choose(P::kOptionsX, P::kOptionsY, 0), 11);
    EXPECT_EQ(Game().GetCursorId(), 3);
    // End Scenario posts message 50.
    m_posts.clear();
    EXPECT_EQ(Choose(P::kCommandX, P::kCommandY, 8), 0);
    EXPECT_EQ(CountPosts(kGmEndScenario), 1);
    // Show Briefing reopens it over play; Show Roles is for networked games only.
    EXPECT_EQ(Choose(P::kCommandX, P::kCommandY, 9), 0);
    EXPECT_TRUE(Game().m_uMode & kModeBriefingReopened);
    EXPECT_EQ(Choose(P::kCommandX, P::kCommandY, 10), 0);
    EXPECT_FALSE(Game().m_uMode & kModeRolesReopened);
}

TEST_F(HUDBarTest, OptionItemStates)
{
    Click(P::kOptionsX, P::kOptionsY);
    EXPECT_TRUE(Enabled(kHudMenuOptions, 0));
    EXPECT_TRUE(Enabled(kHudMenuOptions, 1));
    EXPECT_TRUE(Enabled(kHudMenuOptions, 2));
    // A networked client without a role: no marking, pausing or saving.
    Game().m_uMode = (Game().m_uMode & ~kModeSingle) | kModeNetworked;
    Game().GetLocalPlayerInfo()->uRoleFlags = 0;
    Click(P::kOptionsX, P::kOptionsY);
    EXPECT_FALSE(Enabled(kHudMenuOptions, 0));
    EXPECT_FALSE(Enabled(kHudMenuOptions, 1));
    EXPECT_FALSE(Enabled(kHudMenuOptions, 2));
    // The Logistics unit 1 allows marking; the area map does not.
    Game().m_pEOCUnitData->m_aSections[3].uActivated = 0x2;
    Click(P::kOptionsX, P::kOptionsY);
    EXPECT_TRUE(Enabled(kHudMenuOptions, 0));
    Game().m_nView = 1;
    Click(P::kOptionsX, P::kOptionsY);
    EXPECT_FALSE(Enabled(kHudMenuOptions, 0));
}

TEST_F(HUDBarTest, AnotherMenuInTheViewIsTheEOCs)
{
    CPopupMenu players(0, true);
    players.AddItem("Player One", 7);
    ASSERT_TRUE(View()->Open(&players, 100, 100));
    const CModeRecord before = Game().m_pSquadGame->m_drawFilter;
    Hud().m_nOpenMenu = kHudMenuOverlays;
    EXPECT_EQ(Hud().OnPopupChoice(0, Game().m_pEOC.get()), 1);
    EXPECT_EQ(Game().m_pSquadGame->m_drawFilter.m_nClassOptions, before.m_nClassOptions);
}

TEST_F(HUDBarTest, ThroughTheGameRouting)
{
    // A press on Command opens its menu; choosing Set Command Post enters placement state 5.
    Move(P::kCommandX, P::kCommandY);
    Press(P::kCommandX, P::kCommandY, 1);
    EXPECT_EQ(Game().m_nHudSubState, 9);
    ASSERT_TRUE(View()->IsShown());
    Hud().GetMenu(kHudMenuCommand)->SetEnabled(2, true);
    ASSERT_TRUE(ChooseMenuValue(2));
    EXPECT_EQ(Game().m_nInputState, 5);
    EXPECT_EQ(Game().m_pSquadGame->m_drawFilter.m_nClassOptions, 5);
    // Escape gives up the placement and the overlays come back.
    Game().OnKeyDown(kVkEscape, 0);
    EXPECT_EQ(Game().m_nInputState, 0);
    EXPECT_EQ(Game().m_pSquadGame->m_drawFilter.m_nClassOptions, 3);
}

} // namespace
