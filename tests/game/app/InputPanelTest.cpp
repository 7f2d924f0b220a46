// In-play input on the demo scenario: routing by input state, panel after-effects, the area map and station
// dispatch, facility and marker placement, the order-cursor chain and the target cursor's prohibited column.
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/GameMessages.h"
#include "game/app/OrderCursor.h"
#include "tests/game/app/InputFixture.h"
#include "core/display/CDisplay.h"
#include "platform/gdi/Font.h"
#include "support/DisplayFixtures.h"

#include <functional>

namespace {

class InputPanelTest : public InputFixture {
public:
    // A fresh game for the next row of a table.
    void Reload()
    {
        TearDown();
        SetUp();
    }
    // A world point, near a start, whose tile the test wants (foot or vehicle passability); the first found.
    bool FindTile(int fromX, int fromY, const std::function<bool(CPathTile*)>& want, int& wx, int& wy)
    {
        for (int r = 0; r < 12; ++r)
            for (int dy = -r; dy <= r; ++dy)
                for (int dx = -r; dx <= r; ++dx) {
                    if (std::max(std::abs(dx), std::abs(dy)) != r)
                        continue;
                    const int x = fromX + dx * 32, y = fromY + dy * 32;
                    CPathTile* tile = TileAt(x, y);
                    if (tile && want(tile)) {
                        wx = (x / 32) * 32 + 16;
                        wy = (y / 32) * 32 + 16;
                        return true;
                    }
                }
        return false;
    }
    static bool Open(CPathTile* tile)
    {
        return tile->m_abyCosts[kFootCost] != CPathTile::kImpassable &&
               tile->m_abyCosts[kVehicleCost] != CPathTile::kImpassable;
    }
    // An open tile two tiles below the police squad, the view centred on it; its screen point.
    void OpenSpot(int& wx, int& wy, int& sx, int& sy)
    {
        ASSERT_TRUE(FindTile(static_cast<int>(m_squad->m_fX), static_cast<int>(m_squad->m_fY) + 64, Open, wx, wy));
        CentreOn(wx, wy);
        ASSERT_TRUE(ToScreen(wx, wy, sx, sy));
    }
    void SetAbilities(CSquad* squad, float CUnitTaskRecord::*ability, float value)
    {
        CUnitTaskRecord* r = squad->m_pUnitRecord;
        for (float CUnitTaskRecord::*a :
             {&CUnitTaskRecord::m_fAssault, &CUnitTaskRecord::m_fFirstAid, &CUnitTaskRecord::m_fClearDebris,
              &CUnitTaskRecord::m_fFightFire, &CUnitTaskRecord::m_fFightHazard, &CUnitTaskRecord::m_fDefuseBomb,
              &CUnitTaskRecord::m_fUtilityWork})
            r->*a = 0.0f;
        if (ability)
            r->*ability = value;
    }
    CSprite* Station(const char* name)
    {
        for (CSprite* s = Game().m_pAreaSprites->GetHead(); s; s = s->m_pNext)
            if (s->Kind() == kStationSprite && std::string(s->m_szName) == name)
                return s;
        return nullptr;
    }
    // The area-map view shown and drawn once, input state 4.
    void ShowAreaMap()
    {
        Game().m_nView = 1;
        Game().m_nInputState = 4;
        Game().Draw();
    }
    static void ScreenCentre(const CSprite* sprite, int& x, int& y)
    {
        x = sprite->m_nScreenX + (sprite->m_rcSource.right - sprite->m_rcSource.left) / 2;
        y = sprite->m_nScreenY + (sprite->m_rcSource.bottom - sprite->m_rcSource.top) / 2;
    }
};

// ---- routing by input state ----

TEST_F(InputPanelTest, MouseEventsGoByInputState)
{
    struct Case {
        const char* what;
        int state;
        int subState;
        int kind;
        int x, y;
        uint32_t buttons;
        int wantState;
        std::vector<int> wantSounds;
    };
    const Case cases[] = {
        {"idle: the HUD band takes the pointer", 0, 0, 0, 400, 500, 0, 2, {}},
        {"HUD control: back over the map", 2, 0, 0, 400, 200, 0, 0, {}},
        {"order waiting: right click ends only the waiting", 1, 1, 1, 400, 200, 2, 0, {}},
        {"view centre: a move keeps picking", 3, 0, 0, 400, 200, 0, 3, {}},
        {"view centre: a click centres there", 3, 0, 1, 400, 200, 1, 0, {0}},
        {"area map: the HUD band goes to the panels", 4, 0, 0, 400, 500, 0, 2, {}},
        {"facility: a move does nothing", 7, 0, 0, 400, 200, 0, 7, {}},
        {"facility: the HUD band is refused", 7, 0, 1, 400, 500, 1, 7, {2}},
        {"marker: a right click gives up", 11, 0, 1, 400, 200, 2, 0, {}},
        {"marker: the HUD band is refused", 11, 0, 1, 400, 460, 1, 11, {2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CGame& game = Game();
        game.SelectSquad(m_squad);
        game.m_nView = c.state == 4 ? 1 : 0;
        game.m_nInputState = c.state;
        game.m_nHudSubState = c.subState;
        game.m_nPendingOrder = c.state == 1 ? 3 : 0;
        Sounds().clear();
        game.OnMouse(0, c.buttons, Pack(c.x, c.y), c.kind);
        EXPECT_EQ(game.m_nInputState, c.wantState);
        EXPECT_EQ(Sounds(), c.wantSounds);
        if (c.state == 1) {
            EXPECT_EQ(game.m_nHudSubState, 0);
            EXPECT_EQ(game.OrderSquad(), m_squad);
            EXPECT_EQ(game.GetCursorId(), kCursorArrow);
        }
        game.CancelOrderTargeting();
    }
}

TEST_F(InputPanelTest, ModalBoxesAndTheInfoBoxTakeTheClickFirst)
{
    CGame& game = Game();
    game.m_pMessageBox->ShowMessage("Do you want to exit?");
    Press(CMessageBox::kPanelX + 240, CMessageBox::kPanelY + 165, 1); // OK
    EXPECT_TRUE(game.m_uMode & kModeQuit);
    game.m_uMode &= ~kModeQuit;

    // The info box takes a click in states 0, 1, 2 and 4 and closes; the state machine does not see it.
    game.SelectSquad(m_squad);
    game.m_nInputState = 1;
    ASSERT_TRUE(game.OnOrderMenuChoice(3));
    game.m_pInfoBox->ShowInfo(5);
    ASSERT_TRUE(game.m_pInfoBox->m_bShown);
    Press(400, 300, 1); // inside the box, not on "Done": taken, the box stays
    EXPECT_TRUE(game.m_pInfoBox->m_bShown);
    Press(game.m_pInfoBox->m_done.x + 2, game.m_pInfoBox->m_done.y + 2, 1);
    EXPECT_FALSE(game.m_pInfoBox->m_bShown);
    EXPECT_EQ(game.m_nInputState, 1);
    EXPECT_EQ(game.m_nHudSubState, kTargetPoint);
}

// ---- panels ----

TEST_F(InputPanelTest, PanelSubStatesActAfterTheEvent)
{
    CGame& game = Game();
    RECT& view = game.m_pSquadGame->m_rcView;
    CentreOn(m_squad);
    // 5: pick a point to centre on.
    game.m_nHudSubState = 5;
    game.OnPanelInput(0, 400, 200, 0);
    EXPECT_EQ(game.m_nInputState, 3);
    EXPECT_EQ(game.GetCursorId(), kCursorTarget);
    // 6: the 8-pixel map around the same place.
    game.m_nInputState = 0;
    const int cx = game.m_pMap->GetViewCenterX(), cy = game.m_pMap->GetViewCenterY();
    game.m_nHudSubState = 6;
    game.OnPanelInput(0, 400, 200, 0);
    EXPECT_EQ(game.m_pSquadGame->m_drawFilter.m_nZoom, 1);
    EXPECT_NEAR(game.m_pMap->GetViewCenterX(), std::max(cx / 4, 400), 8);
    EXPECT_NEAR(game.m_pMap->GetViewCenterY(), std::max(cy / 4, 224), 8);
    // 8: the view rectangle is worked out again and the state is idle.
    view = RECT{0, 0, 0, 0};
    game.m_nInputState = 2;
    game.m_nHudSubState = 8;
    game.OnPanelInput(0, 400, 200, 0);
    EXPECT_EQ(game.m_nInputState, 0);
    EXPECT_EQ(view.right - view.left, 800);
    // 11: the selected squad that the filter now hides loses the targeting; one it shows keeps it.
    game.SelectSquad(m_squad);
    game.m_nHudSubState = 11;
    game.OnPanelInput(0, 400, 200, 0);
    EXPECT_EQ(game.OrderSquad(), m_squad);
    game.m_pSquadGame->m_drawFilter.m_bFilterSwitch = 1;
    game.m_pSquadGame->m_drawFilter.m_nFilterOptions = 0x8;
    game.OnPanelInput(0, 400, 200, 0);
    EXPECT_EQ(game.OrderSquad(), nullptr);
    // 7 on the area map: targeting cancelled, back to the area map's idle state.
    game.m_pSquadGame->m_drawFilter.m_bFilterSwitch = 0;
    game.SelectSquad(m_squad);
    game.m_nView = 1;
    game.m_nHudSubState = 7;
    game.m_pHUD->m_nHoverControl = 1;
    game.OnPanelInput(0, 400, 500, 0);
    EXPECT_EQ(game.m_nInputState, 4);
    EXPECT_EQ(game.OrderSquad(), nullptr);
}

TEST_F(InputPanelTest, PanelButtonsSetTheSubState)
{
    CGame& game = Game();
    // A click with no HUD control leaves the map to the tactical handler (false); the band is the HUD's.
    EXPECT_FALSE(game.OnPanelInput(1, 400, 200, 1));
    EXPECT_TRUE(game.OnPanelInput(1, 400, 500, 1));
    EXPECT_EQ(game.m_nHudSubState, 0);
    EXPECT_EQ(game.m_nInputState, 0);
    game.OnPanelInput(2, 400, 500, 0);
    EXPECT_EQ(game.m_nHudSubState, -1);
    // An open EOC screen takes the pointer.
    game.m_pEOC->m_bShown = true;
    EXPECT_TRUE(game.OnPanelInput(1, 400, 200, 1));
    EXPECT_TRUE(game.OnPanelInput(0, 400, 200, 0));
    EXPECT_EQ(game.m_pHUD->m_nInfoKind, HUD::kInfoNone); // no unit hovered, no squad selected
}

// The bar's four arrows scroll the tactical map by a tile each repeat step while held; the release ends it.
TEST_F(InputPanelTest, HeldMapArrowsScrollTheMap)
{
    CGame& game = Game();
    const RECT& view = game.m_pSquadGame->m_rcView;
    const struct {
        int x, y, dx, dy;
    } arrows[] = {{110, 497, 0, -32}, {110, 557, 0, 32}, {78, 527, -32, 0}, {140, 527, 32, 0}};
    uint32_t now = 100000;
    for (const auto& a : arrows) {
        CentreOn(1600, 1200);
        const RECT before = view;
        Move(a.x, a.y);
        Press(a.x, a.y, 1);
        EXPECT_EQ(game.m_nInputState, 2);
        game.LogicStep(now += 51);
        game.LogicStep(now += 20); // inside the repeat step
        EXPECT_EQ(view.left - before.left, a.dx) << a.x << "," << a.y;
        EXPECT_EQ(view.top - before.top, a.dy) << a.x << "," << a.y;
        game.LogicStep(now += 51);
        EXPECT_EQ(view.left - before.left, 2 * a.dx);
        EXPECT_EQ(view.top - before.top, 2 * a.dy);
        Release(a.x, a.y);
        game.LogicStep(now += 51);
        EXPECT_EQ(view.left - before.left, 2 * a.dx);
        EXPECT_EQ(view.top - before.top, 2 * a.dy);
    }
}

// ---- area map ----

TEST_F(InputPanelTest, StationDispatchPostsMessage46)
{
    CGame& game = Game();
    CSprite* police = Station("Millbrook Police Station");
    ASSERT_NE(police, nullptr);
    ShowAreaMap();
    int x = 0, y = 0;
    ScreenCentre(police, x, y);

    // Hover shows the station with sound 1 once.
    Sounds().clear();
    Move(x, y);
    Move(x, y);
    EXPECT_EQ(game.m_pHUD->m_pInfoObject, police);
    EXPECT_EQ(Sounds(), std::vector<int>{1});

    // A right click selects it and opens its dispatch menu; with no Resource Points every line is greyed.
    game.SelectSquad(m_squad);
    Press(x, y, 2);
    EXPECT_EQ(game.SelectedStation(), police);
    EXPECT_EQ(game.OrderSquad(), nullptr);
    ASSERT_TRUE(game.m_pPopupView->IsShown());
    ASSERT_TRUE(ChooseMenuValue(0));
    EXPECT_EQ(CountPosts(kGmStationDispatch), 0);
    EXPECT_TRUE(game.m_pPopupView->IsShown()); // a greyed line leaves the menu open
    // It says why: the points it costs, what Command has, and that more come.
    EXPECT_TRUE(LogHas("Dispatching Patrol Officers costs 2 Resource Points; Command has 0. More come as the response "
                       "goes on."));
    game.OnKeyDown(kVkEscape, 3);

    // With a budget the first line dispatches (message 46) and a squad appears on the area map.
    game.m_pEOCUnitData->m_aSections[0].fResourcePoints = 1000.0f;
    Press(x, y, 2);
    Sounds().clear();
    ASSERT_TRUE(ChooseMenuValue(0));
    EXPECT_EQ(CountPosts(kGmStationDispatch), 1);
    EXPECT_FALSE(game.m_pSquadGame->Area()->Units().empty());
    EXPECT_EQ(game.m_nInputState, 4);

    // A line emptied while its menu was open is refused with sound 2.
    EXPECT_FALSE(game.m_pPopupView->IsShown());
    Press(x, y, 2);
    police->m_pStationData->GetResource(0)->m_nAvailable = 0;
    Sounds().clear();
    ASSERT_TRUE(ChooseMenuValue(0));
    EXPECT_EQ(CountPosts(kGmStationDispatch), 1);
    EXPECT_EQ(Sounds().back(), 2);

    // "Info" shows the station's info page.
    Press(x, y, 2);
    ASSERT_TRUE(ChooseMenuValue(7));
    EXPECT_TRUE(game.m_pInfoBox->m_bShown);
    EXPECT_EQ(game.m_pInfoBox->m_nEntry, police->m_pStationData->m_nInfoPage);
}

// Every station's dispatch menu holds its whole lines, "(On Call)" and all, in the menus' font.
TEST_F(InputPanelTest, StationDispatchLinesFitTheirMenu)
{
    CGame& game = Game();
    ShowAreaMap();
    platform::gdi::FontDesc desc;
    desc.height = 14;
    desc.weight = platform::gdi::FW_BOLD;
    desc.face = "Arial";
    auto font = platform::gdi::Font::Create(desc);
    ASSERT_TRUE(font);
    int onCall = 0;
    for (CSprite* s = game.m_pAreaSprites->GetHead(); s; s = s->m_pNext) {
        if (s->Kind() != kStationSprite || !s->m_pStationData)
            continue;
        SCOPED_TRACE(s->m_szName);
        ASSERT_TRUE(s->m_pStationData->BuildDispatchMenu(100, 50, game.m_pPopupView.get(), game.m_pAreaSprites, 1000.0f,
                                                         0xFFFFFFFF));
        CPopupMenu* menu = game.m_pPopupView->GetOpenMenu();
        for (int i = 0; i < menu->GetCount(); ++i) {
            const std::string text = menu->GetItem(i)->szText;
            onCall += text.find("(On Call)") != std::string::npos;
            int width = 0;
            for (unsigned char c : text)
                width += font->Advance(c);
            EXPECT_LE(10 + width, menu->GetWidth() - 10) << text;
        }
        if (std::string(s->m_szName) == "Millbrook Fire Station 1") {
            game.Draw();
            EXPECT_TRUE(
                fixtures::SaveSurfaceBmp(*game.m_pDisplay->GetBackBuffer()->GetPixels(), "station_dispatch_menu.bmp"));
        }
    }
    EXPECT_GT(onCall, 0);
}

TEST_F(InputPanelTest, OnlyTheCommandRoleSelectsOnTheAreaMap)
{
    CGame& game = Game();
    game.m_uMode = (game.m_uMode & ~kModeSingle) | kModeHosting;
    game.GetLocalPlayerInfo()->uRoleFlags = kRoleOperationsChief;
    CSprite* police = Station("Millbrook Police Station");
    ASSERT_NE(police, nullptr);
    ShowAreaMap();
    int x = 0, y = 0;
    ScreenCentre(police, x, y);
    Sounds().clear();
    Press(x, y, 2);
    EXPECT_EQ(game.SelectedStation(), nullptr);
    EXPECT_FALSE(game.m_pPopupView->IsShown());
    EXPECT_EQ(Sounds(), std::vector<int>{2});
    game.GetLocalPlayerInfo()->uRoleFlags = kRoleCommand;
    Press(x, y, 1);
    EXPECT_EQ(game.SelectedStation(), police);
}

TEST_F(InputPanelTest, AreaSquadMenuGivesInfoAndStationOrders)
{
    CGame& game = Game();
    CSprite* police = Station("Millbrook Police Station");
    ASSERT_NE(police, nullptr);
    game.m_pEOCUnitData->m_aSections[0].fResourcePoints = 1000.0f;
    ASSERT_TRUE(game.m_pSquadGame->Area()->RequestDispatch(police, 0));
    ASSERT_FALSE(game.m_pSquadGame->Area()->Vehicles().empty());
    CSquad* vehicle = game.m_pSquadGame->Area()->Vehicles().front();
    for (int i = 0; i < 4; ++i)
        m_run->Step();              // on its way to the incident
    Place(vehicle, 600.0f, 400.0f); // off the station, where a click finds the vehicle
    ShowAreaMap();
    int x = 0, y = 0;
    ScreenCentre(vehicle->m_pSprite, x, y);
    Press(x, y, 2);
    ASSERT_EQ(game.OrderSquad(), vehicle);
    ASSERT_TRUE(game.m_pPopupView->IsShown());
    ASSERT_TRUE(ChooseMenuValue(kActInfo));
    EXPECT_EQ(game.m_pInfoBox->m_nEntry, vehicle->m_pUnitRecord->m_nInfoEntry);
    game.m_pInfoBox->m_bShown = false;

    // Turned back: "Return to Station" takes the route home and posts the order (41).
    const int orders = CountPosts(kGmAreaSquadOrder);
    Press(x, y, 2);
    ASSERT_TRUE(ChooseMenuValue(kActReturnToStation));
    EXPECT_EQ(vehicle->m_nNextState, kActReturnToStation);
    EXPECT_EQ(CountPosts(kGmAreaSquadOrder), orders + 1);
}

// A greyed Command item says why it is greyed when clicked.
TEST_F(InputPanelTest, AGreyedFacilityItemSaysWhy)
{
    CGame& game = Game();
    CIncidentWorld& world = *game.m_pIncidentWorld;
    const struct {
        bool object;
        uint32_t placed;
        int item;
        const char* why;
    } cases[] = {
        {false, 0, 2, "The ICS facilities open once the incident has put its first object on the map"},
        {true, 0, 4, "Set the Command Post first."},
        {true, 0x1, 5, "The Casualty Collection Center needs the Facilities Unit and the Public Health Branch active"},
        {true, 0x5, 4, "The Staging Area is set up already."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        if (c.object && world.Objects().Size() == 0) {
            ASSERT_NE(world.AddObject(TileAt(400, 400), kIncDebris, 1.0f, 0, false), nullptr);
        }
        game.m_pEOCUnitData->m_uFacilityFlags = c.placed;
        Move(110, 468);
        Press(110, 468, 1); // the Command button
        ASSERT_TRUE(ChooseMenuValue(c.item));
        EXPECT_TRUE(LogHas(c.why));
        game.OnKeyDown(kVkEscape, 3);
    }
}

// ---- placements ----

TEST_F(InputPanelTest, FacilityGoesOnAFlaggedZoneOnly)
{
    CGame& game = Game();
    int wx = 0, wy = 0, sx = 0, sy = 0;
    OpenSpot(wx, wy, sx, sy);
    CIncidentWorld& world = *game.m_pIncidentWorld;
    ASSERT_NE(world.AddZoneNode(TileAt(wx, wy), 1, 1, kIncFlaggedZone, false), nullptr);
    world.m_nZoneMark = 1;
    struct Case {
        int state;
        int x, y;
        bool placed;
    };
    const Case cases[] = {
        {7, sx + 64, sy, false}, // another tile
        {7, sx, 460, false},     // the HUD band
        {7, sx, sy, true},       // the flagged zone: a Staging Area
    };
    for (const Case& c : cases) {
        game.m_nInputState = c.state;
        Sounds().clear();
        Press(c.x, c.y, 1);
        EXPECT_EQ(Sounds(), std::vector<int>{c.placed ? 0 : 2}) << c.x << "," << c.y;
        EXPECT_EQ(game.m_nInputState, c.placed ? 0 : c.state);
    }
    EXPECT_EQ(game.m_pEOCUnitData->m_uFacilityFlags, 0x4u);
    EXPECT_EQ(world.ZoneNodeAt(TileAt(wx, wy))->m_nType, kCodeStagingArea);
    EXPECT_EQ(world.m_nZoneMark, 0);
    EXPECT_EQ(game.GetCursorId(), kCursorArrow);
}

// Each Command item places the facility it names: Command Post, Base, Staging Area, Casualty Collection Center,
// Evacuation Center, Media Center.
TEST_F(InputPanelTest, EachFacilityStateHasItsBitAndSprite)
{
    const int sprites[] = {191, 192, 193, 194, 195, 196};
    for (int state = 5; state <= 10; ++state) {
        SCOPED_TRACE(state);
        Reload();
        CGame& game = Game();
        int wx = 0, wy = 0, sx = 0, sy = 0;
        OpenSpot(wx, wy, sx, sy);
        CIncidentWorld& world = *game.m_pIncidentWorld;
        ASSERT_NE(world.AddZoneNode(TileAt(wx, wy), 1, 1, kIncFlaggedZone, false), nullptr);
        EXPECT_TRUE(game.OnPlaceFacility(state, 1, sx, sy, 1));
        EXPECT_EQ(game.m_pEOCUnitData->m_uFacilityFlags, 1u << (state - 5));
        EXPECT_EQ(world.ZoneNodeAt(TileAt(wx, wy))->m_nType, sprites[state - 5]);
    }
}

TEST_F(InputPanelTest, MarkerIsPlacedThroughTheIncidentWorld)
{
    CGame& game = Game();
    int wx = 0, wy = 0, sx = 0, sy = 0;
    OpenSpot(wx, wy, sx, sy);
    game.m_nInputState = 11;
    Press(sx, sy, 1);
    EXPECT_EQ(CountPosts(kGmHazardSprites), 1);
    ASSERT_EQ(game.m_pIncidentWorld->GetMarkers().size(), 1u);
    EXPECT_EQ(game.m_nInputState, 0);
    EXPECT_EQ(game.m_pIncidentWorld->m_anMarkerRecord[1], wx);
    EXPECT_EQ(game.m_pIncidentWorld->m_anMarkerRecord[2], wy);
}

// ---- tactical map ----

TEST_F(InputPanelTest, ClickingASquadSelectsOnlyOneThePlayerCommands)
{
    CGame& game = Game();
    struct Case {
        const char* what;
        int32_t number;
        uint32_t flags;
        bool selected;
    };
    const Case cases[] = {
        {"a police squad", 1, 0, true},
        {"a deploying squad", 1, kSqDeploying, false},
        {"a civilian", 2, 0x100, false},
        {"a threat", 8, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CSquad* squad = Find(c.number);
        ASSERT_NE(squad, nullptr);
        squad->m_nFlags = c.flags;
        CentreOn(squad);
        int sx = 0, sy = 0;
        ASSERT_TRUE(ToScreen(static_cast<int>(squad->m_fX), static_cast<int>(squad->m_fY), sx, sy));
        game.CancelOrderTargeting();
        game.m_nInputState = 0;
        Sounds().clear();
        Press(sx, sy, 1);
        EXPECT_EQ(game.OrderSquad(), c.selected ? squad : nullptr);
        EXPECT_EQ(Sounds(), c.selected ? std::vector<int>{} : std::vector<int>{2});
    }
}

TEST_F(InputPanelTest, InfoInTheOrderMenuShowsTheUnitRecord)
{
    CGame& game = Game();
    CentreOn(m_squad);
    int sx = 0, sy = 0;
    ASSERT_TRUE(ToScreen(static_cast<int>(m_squad->m_fX), static_cast<int>(m_squad->m_fY), sx, sy));
    Press(sx, sy, 2);
    ASSERT_EQ(game.m_nInputState, 1);
    ASSERT_TRUE(ChooseMenuValue(kActInfo));
    EXPECT_TRUE(game.m_pInfoBox->m_bShown);
    EXPECT_EQ(game.m_pInfoBox->m_nEntry, m_squad->m_pUnitRecord->m_nInfoEntry);
    EXPECT_EQ(game.m_nInputState, 0);
    EXPECT_FALSE(game.m_pPopupView->IsShown());
}

// The default order and cursor for the point, one row per rule of the chain.
TEST_F(InputPanelTest, OrderCursorChain)
{
    struct Case {
        const char* what;
        std::function<void(InputPanelTest&, int wx, int wy, CSquad*& hovered)> setup;
        int order;
        int cursor;
        int set;
    };
    using T = InputPanelTest;
    auto ops = [](T& t, uint32_t bits) { t.Game().m_pEOCUnitData->m_aSections[1].uActivated = bits; };
    const Case cases[] = {
        {"nothing there: move", [](T&, int, int, CSquad*&) {}, kActMove, 4, 0},
        {"a vehicle with room: get in", [](T& t, int, int, CSquad*& h) { h = t.Find(1001); }, kActGetInVehicle, 6, 0},
        {"a bomb: defuse",
         [](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fDefuseBomb, 50);
             t.Game().m_pIncidentWorld->AddObject(t.TileAt(x, y), kIncBomb, 0, 10, false);
         },
         kActDefuseBomb, 8, 0},
        {"a fire: fight it, in danger",
         [](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fFightFire, 50);
             t.Game().m_pIncidentWorld->AddFire(t.TileAt(x, y), 60);
         },
         kActFightFire, 11, 1},
        {"a fire, protective gear that keeps the heat off: no danger",
         [](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fFightFire, 50);
             t.m_squad->m_pUnitRecord->m_nAgencyKind = 1;
             t.m_squad->m_nFlags |= kSqGear;
             t.Game().m_pIncidentWorld->m_afSquadEffect[1] = 0.0f;
             t.Game().m_pIncidentWorld->AddFire(t.TileAt(x, y), 60);
         },
         kActFightFire, 11, 0},
        {"a spill, Operations unit 0x200: contain it",
         [ops](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fFightHazard, 50);
             ops(t, 0x200);
             t.Game().m_pIncidentWorld->AddChemical(t.TileAt(x, y), 40, true);
         },
         kActFightHazard, 12, 1},
        {"a spill without the unit: a move into danger",
         [](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fFightHazard, 50);
             t.Game().m_pIncidentWorld->AddChemical(t.TileAt(x, y), 40, true);
         },
         kActMove, 4, 1},
        {"a spill, units waived: contain it",
         [](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fFightHazard, 50);
             t.Game().m_uMode |= kModeWaiveUnits;
             t.Game().m_pIncidentWorld->AddChemical(t.TileAt(x, y), 40, true);
         },
         kActFightHazard, 12, 1},
        {"a threat in reach, Operations unit 0x4: assault",
         [ops](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fAssault, 60);
             ops(t, 0x4);
             CSquad* threat = t.Find(8);
             T::Place(threat, static_cast<float>(x), static_cast<float>(y));
             threat->m_pSprite->m_Placement.Flags |= kSpriteDrawn;
             T::Place(t.m_squad, static_cast<float>(x - 10), static_cast<float>(y));
         },
         kActAssault, 7, 0},
        {"a hurt civilian in reach: first aid",
         [](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fFirstAid, 50);
             CSquad* victim = t.Find(2);
             T::Place(victim, static_cast<float>(x), static_cast<float>(y));
             victim->m_fContamination = 1.0f;
             victim->m_pSprite->m_Placement.Flags |= kSpriteDrawn;
             T::Place(t.m_squad, static_cast<float>(x - 10), static_cast<float>(y));
         },
         kActFirstAid, 13, 0},
        {"a gas leak, Operations unit 0x4000: utility work",
         [ops](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fUtilityWork, 50);
             ops(t, 0x4000);
             t.Game().m_pIncidentWorld->AddObject(t.TileAt(x, y), kIncGasLeak, 0, 0, false);
         },
         kActUtilityWork, 9, 0},
        {"debris, Operations unit 0x4000: clear it",
         [ops](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fClearDebris, 50);
             ops(t, 0x4000);
             t.Game().m_pIncidentWorld->AddObject(t.TileAt(x, y), kIncDebris, 0, 0, false);
         },
         kActClearDebris, 10, 0},
        {"debris without the unit: a move",
         [](T& t, int x, int y, CSquad*&) {
             t.SetAbilities(t.m_squad, &CUnitTaskRecord::m_fClearDebris, 50);
             t.Game().m_pIncidentWorld->AddObject(t.TileAt(x, y), kIncDebris, 0, 0, false);
         },
         kActMove, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reload();
        int wx = 0, wy = 0, sx = 0, sy = 0;
        OpenSpot(wx, wy, sx, sy);
        CGame& game = Game();
        game.SelectSquad(m_squad);
        SetAbilities(m_squad, nullptr, 0);
        game.m_pEOCUnitData->m_aSections[1].uActivated = 0;
        CSquad* hovered = nullptr;
        c.setup(*this, wx, wy, hovered);
        game.UpdateOrderCursor(sx, sy, hovered);
        EXPECT_EQ(game.m_nPendingOrder, c.order);
        EXPECT_EQ(game.GetCursorId(), c.cursor);
        EXPECT_EQ(game.GetCursorSet(), c.set);
    }
}

TEST_F(InputPanelTest, OrderCursorOfImpassableGroundAndOfAVehicle)
{
    CGame& game = Game();
    int wx = 0, wy = 0, sx = 0, sy = 0;
    for (int y = 16; y < game.m_pMap->GetRows() * 32 && !wx; y += 32)
        for (int x = 16; x < game.m_pMap->GetColumns() * 32 && !wx; x += 32)
            if (TileAt(x, y)->m_abyCosts[kFootCost] == CPathTile::kImpassable) {
                wx = x;
                wy = y;
            }
    if (!wx)
        GTEST_SKIP() << "the demo map has no ground closed to squads";
    CentreOn(wx, wy);
    ASSERT_TRUE(ToScreen(wx, wy, sx, sy));
    game.SelectSquad(m_squad);
    game.UpdateOrderCursor(sx, sy, nullptr);
    EXPECT_EQ(game.m_nPendingOrder, 0);
    EXPECT_EQ(game.GetCursorId(), 4);
    EXPECT_EQ(game.GetCursorSet(), 2);

    // The patrol car: a compliant news crew of two beside it loads; open ground is a vehicle move.
    CSquad* car = Find(1001);
    CSquad* civilian = Find(7);
    OpenSpot(wx, wy, sx, sy);
    Place(car, static_cast<float>(wx - 20), static_cast<float>(wy));
    Place(civilian, static_cast<float>(wx), static_cast<float>(wy));
    civilian->m_pSprite->m_Placement.Flags |= 0x20 << car->m_pSprite->m_Placement.AgencyIndex;
    game.SelectSquad(car);
    game.UpdateOrderCursor(sx, sy, civilian);
    EXPECT_EQ(game.m_nPendingOrder, kActLoadSquad);
    EXPECT_EQ(game.GetCursorId(), 6);
    game.UpdateOrderCursor(sx, sy, nullptr);
    EXPECT_EQ(game.m_nPendingOrder, kActMove);
    EXPECT_EQ(game.GetCursorId(), 5);
    EXPECT_EQ(game.GetCursorSet(), 0);
    // Outside the map band: the arrow.
    game.UpdateOrderCursor(400, 470, nullptr);
    EXPECT_EQ(game.GetCursorId(), kCursorArrow);
}

// The target cursor of a waiting order: its id, and prohibited where the order has nothing to work on.
TEST_F(InputPanelTest, TargetCursorProhibitedColumn)
{
    struct Case {
        int order;
        std::function<void(InputPanelTest&, int wx, int wy)> feature; // what makes the point valid
        int cursor;
    };
    using T = InputPanelTest;
    CIncidentWorld* world = nullptr;
    const Case cases[] = {
        {kActMove, nullptr, 4},
        {kActSearchForBomb, nullptr, 21},
        {kActClearDebris, [&](T& t, int x, int y) { world->AddObject(t.TileAt(x, y), kIncDebris, 0, 0, false); }, 10},
        {kActFightFire, [&](T& t, int x, int y) { world->AddFire(t.TileAt(x, y), 60); }, 11},
        {kActFightHazard, [&](T& t, int x, int y) { world->AddChemical(t.TileAt(x, y), 40, true); }, 12},
        {kActDefuseBomb, [&](T& t, int x, int y) { world->AddObject(t.TileAt(x, y), kIncBomb, 0, 5, false); }, 8},
        {kActUtilityWork, [&](T& t, int x, int y) { world->AddObject(t.TileAt(x, y), kIncWaterLeak, 0, 0, false); }, 9},
        {kActFirstAid,
         [](T& t, int x, int y) {
             CSquad* victim = t.Find(2);
             T::Place(victim, static_cast<float>(x), static_cast<float>(y));
             victim->m_fContamination = 1.0f;
             victim->m_pSprite->m_Placement.Flags |= kSpriteDrawn;
             T::Place(t.m_squad, static_cast<float>(x - 10), static_cast<float>(y));
         },
         13},
        {kActGetInVehicle,
         [](T& t, int x, int y) {
             T::Place(t.Find(1001), static_cast<float>(x), static_cast<float>(y));
             t.Game().Draw();
         },
         6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.order);
        Reload();
        world = Game().m_pIncidentWorld.get();
        int wx = 0, wy = 0, sx = 0, sy = 0;
        OpenSpot(wx, wy, sx, sy);
        CGame& game = Game();
        game.SelectSquad(m_squad);
        game.m_nInputState = 1;
        game.m_nPendingOrder = c.order;
        game.m_nHudSubState = OrderTargetKind(c.order);
        game.UpdateTargetCursor(sx, sy);
        EXPECT_EQ(game.GetCursorId(), c.cursor);
        EXPECT_EQ(game.GetCursorSet(), c.feature ? 2 : 0) << "without what the order works on";
        if (c.feature) {
            c.feature(*this, wx, wy);
            game.UpdateTargetCursor(sx, sy);
            EXPECT_EQ(game.GetCursorSet(), 0) << "with it";
        }
    }
}

} // namespace
