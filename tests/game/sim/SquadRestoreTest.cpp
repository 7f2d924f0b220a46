// A saved squad restored in a new game goes on exactly as the one that was never saved: path, position, speed,
// pending state change and the tick of its arrival.
#include "SquadFixture.h"

#include <functional>
#include <sstream>

using namespace squadtest;

namespace {

// A long way round: from the top left the only way to the bottom left runs along the whole wall and back.
const std::vector<std::string> kDetour = {
    "..............", //
    "############..", //
    "..............", //
    "..############", //
    "..............", //
};

class SquadRestoreTest : public SquadFixture {
protected:
    // A unit and a vehicle on the tactical map, and a station on the area map with a route to the incident.
    static void Squads(Side& side)
    {
        PlaceSprite(*side.game->m_pSprites, kUnitSprite, 0, 16, 16);
        PlaceSprite(*side.game->m_pSprites, kVehicleSprite, 0, 48, 16);
        CPlacement p;
        p.Type = kStationSprite;
        p.WorldX = 100;
        p.WorldY = 100;
        CSprite* station = side.game->m_pAreaSprites->CreateStationSprite(p, true);
        ASSERT_TRUE(station && station->m_pStationData);
        CStationData& data = *station->m_pStationData;
        auto* line = new CStationResource();
        CopyName(line->m_szName, CStationResource::kNameSize, "Unit0");
        line->m_nAvailable = line->m_nResCount = 2;
        data.m_paResources[0] = line;
        data.m_pptWaypoints = {{100, 100}, {300, 100}, {300, 300}, {120, 300}};
        data.m_nMinutesToSite = 1;
        data.BuildRoutes();
    }
    static std::vector<uint8_t> Save(Side& side)
    {
        CByteWriter w;
        side.Scenario().Save(w);
        side.Area().Save(w);
        side.Squads().SaveMovement(w);
        return w.Data();
    }
    Side& Restore(const std::vector<uint8_t>& bytes, const std::vector<std::string>& map,
                  const std::function<void(Side&)>& setup = Squads)
    {
        Side& side = MakeSide(map, true, 0, false, setup);
        CByteReader r(bytes.data(), bytes.size());
        EXPECT_TRUE(side.Scenario().Load(r) && side.Area().Load(r));
        side.Scenario().ResolveLoadedLinks();
        side.Area().ResolveLoadedLinks();
        EXPECT_TRUE(side.Squads().LoadMovement(r));
        EXPECT_EQ(r.Remaining(), 0u);
        side.Squads().ResumeAfterLoad();
        return side;
    }
};

std::string Path(const CSquad* s)
{
    std::ostringstream out;
    out << "at " << s->m_fX << "," << s->m_fY << " v " << s->m_fVelX << "," << s->m_fVelY << " to " << s->m_fStepTargetX
        << "," << s->m_fStepTargetY << " flags " << (s->m_nFlags & ~kSqPositionChanged) << " state " << int(s->m_nState)
        << "/" << s->m_nNextState << "/" << s->m_nRequestedState << " waypoints";
    for (const CWaypoint* w = s->m_pWaypoints; w; w = w->pNext)
        out << " " << w->x << "," << w->y << "@" << w->speed;
    return out.str();
}

struct ResumeCase {
    const char* name;
    int number; // the squad ordered (0: a vehicle called from the station, on the area map)
    int order;
    uint32_t flags; // besides the path request
    int done;       // the state on arrival
    int x, y;
    // Movement steps before the save; 0: at the first step after which the arrival's state change is pending.
    int saveAfter;
};

const ResumeCase kCases[] = {
    {"UnitMoving", 1, kActMove, 0, kActIdle, 24, 140, 120},
    {"UnitMovingSlowlyFast", 1, kActMoveSlowly, kSqFast, kActIdle, 24, 140, 60},
    {"VehicleDeploying", 1001, kActNotReady, kSqDeploying, kActNotReady, 24, 140, 150},
    {"SavedBeforeTheArrivalIsCarriedOut", 1, kActHidden, 0, kActHidden, 24, 140, 0},
    {"OnTheStationRoute", 0, 0, 0, kActGoToIncident, 0, 0, 300},
};

TEST_F(SquadRestoreTest, GoesOnAsTheUnsavedRun)
{
    for (const ResumeCase& c : kCases) {
        SCOPED_TRACE(c.name);
        m_sides.clear();
        Side& straight = MakeSide(kDetour, true, 0, false, Squads);
        CSquadManager& manager = c.number ? straight.Scenario() : straight.Area();
        if (c.number == 0) {
            ASSERT_TRUE(manager.RequestDispatch(straight.game->m_pAreaSprites->GetHead(), 0));
        }
        CSquad* squad = manager.FindSquad(c.number ? c.number : 1001);
        ASSERT_TRUE(squad);
        if (c.number)
            squad->GiveOrder(0, c.order, c.x, c.y, kSqPathRequest | c.flags, nullptr);
        int step = 0;
        for (; step < 3000; ++step) {
            if (c.saveAfter ? step == c.saveAfter : squad->m_nRequestedState != 0)
                break;
            straight.Squads().MovementStep();
        }
        ASSERT_LT(step, 3000);
        if (c.saveAfter) {
            ASSERT_TRUE(squad->m_nFlags & kSqMoving);
        }
        const std::vector<uint8_t> bytes = Save(straight);
        Side& restored = Restore(bytes, kDetour);
        CSquad* resumed = (c.number ? restored.Scenario() : restored.Area()).FindSquad(c.number ? c.number : 1001);
        ASSERT_TRUE(resumed);
        EXPECT_EQ(Path(resumed), Path(squad));
        int arrived = -1, resumedArrived = -1;
        for (int i = 0; i < 3000 && (arrived < 0 || resumedArrived < 0); ++i) {
            straight.Squads().MovementStep();
            restored.Squads().MovementStep();
            if (arrived < 0 && squad->m_nState == c.done)
                arrived = i;
            if (resumedArrived < 0 && resumed->m_nState == c.done)
                resumedArrived = i;
            if (resumed->m_fX != squad->m_fX || resumed->m_fY != squad->m_fY) {
                ADD_FAILURE() << "step " << i << " after the save: " << Path(resumed) << "\n  unsaved: " << Path(squad);
                break;
            }
        }
        EXPECT_GE(arrived, 0);
        EXPECT_EQ(resumedArrived, arrived);
        EXPECT_EQ(Path(resumed), Path(squad));
    }
}

TEST_F(SquadRestoreTest, ARestoredPathShowsItsMarkersWhenTheyAreOn)
{
    auto withMarkers = [](Side& side) {
        Squads(side);
        side.Squads().m_markerFilter.m_bFilterSwitch = 1;
        side.Squads().m_markerFilter.m_nFilterOptions = 0x8;
    };
    Side& straight = MakeSide(kDetour, true, 0, false, withMarkers);
    const int bare = straight.game->m_pSprites->GetSpritesCount();
    CSquad* squad = straight.Scenario().FindSquad(1);
    squad->GiveOrder(0, kActMove, 24, 140, kSqPathRequest, nullptr);
    for (int i = 0; i < 120; ++i)
        straight.Squads().MovementStep();
    Side& restored = Restore(Save(straight), kDetour, withMarkers);
    CSquad* resumed = restored.Scenario().FindSquad(1);
    EXPECT_EQ(restored.game->m_pSprites->GetSpritesCount(), straight.game->m_pSprites->GetSpritesCount());
    const CWaypoint* a = squad->m_pWaypoints;
    const CWaypoint* b = resumed->m_pWaypoints;
    for (; a && b; a = a->pNext, b = b->pNext) {
        ASSERT_TRUE(a->pMarker && b->pMarker);
        EXPECT_EQ(b->pMarker->m_Placement.WorldX, a->pMarker->m_Placement.WorldX);
        EXPECT_EQ(b->pMarker->m_Placement.WorldY, a->pMarker->m_Placement.WorldY);
        EXPECT_EQ(b->pMarker->m_Placement.Id, a->pMarker->m_Placement.Id);
    }
    EXPECT_EQ(a, b); // both lists ended
    // Each marker goes as its waypoint is reached.
    for (int i = 0; i < 1000 && resumed->m_pWaypoints; ++i)
        restored.Squads().MovementStep();
    EXPECT_EQ(resumed->m_pWaypoints, nullptr);
    EXPECT_EQ(restored.game->m_pSprites->GetSpritesCount(), bare);
}

TEST_F(SquadRestoreTest, HurtKilledAndDestroyedSquadsComeBackAsTheyWereWithoutGoingDownAgain)
{
    // A second unit beside the usual squads.
    const auto withTwoUnits = [](Side& side) {
        Squads(side);
        PlaceSprite(*side.game->m_pSprites, kUnitSprite, 0, 80, 16);
    };
    Side& straight = MakeSide(kDetour, true, 0, false, withTwoUnits);
    CSquad* hurt = straight.Scenario().FindSquad(1);
    CSquad* killed = straight.Scenario().FindSquad(2);
    CSquad* wreck = straight.Scenario().FindSquad(1001);
    ASSERT_TRUE(hurt && killed && wreck);
    const float most = hurt->m_pUnitRecord->m_fMaxHealth;
    hurt->AddHealth(-most * 0.2f);
    killed->AddHealth(-most);
    wreck->AddHealth(-wreck->m_pUnitRecord->m_fMaxHealth);
    for (CSquad* s : {hurt, killed, wreck})
        s->UpdateHealthState();
    ASSERT_EQ(hurt->m_nHealthState, kHealthInjured);
    ASSERT_TRUE(killed->IsKilled() && wreck->IsKilled());

    std::vector<int> told;
    Side& restored = Restore(Save(straight), kDetour, [&](Side& side) {
        withTwoUnits(side);
        // Attaching the scenario's squads tells of each going idle; a kill or an injury told again is the fault.
        side.Services().fnNotify = [&told](int, CSquad* s, int action) {
            if (action != kActIdle)
                told.push_back(s->m_nID * 1000 + action);
        };
    });
    for (CSquad* s : {hurt, killed, wreck}) {
        const CSquad* back = restored.Scenario().FindSquad(s->m_nID + (s->IsVehicle() ? 1000 : 0));
        ASSERT_TRUE(back) << s->m_nID;
        EXPECT_EQ(back->m_nHealthState, s->m_nHealthState) << s->m_nID;
        EXPECT_EQ(int(back->m_nState), int(s->m_nState)) << s->m_nID;
        EXPECT_EQ(back->m_nTimer, s->m_nTimer) << s->m_nID;
        EXPECT_EQ(back->m_nFlags & ~kSqPositionChanged, s->m_nFlags & ~kSqPositionChanged) << s->m_nID;
        EXPECT_EQ(back->m_pSprite->m_Placement.Modifiers, s->m_pSprite->m_Placement.Modifiers) << s->m_nID;
    }
    // The restore tells nobody of a kill: the engine hears of no action, and only the squads' sync goes out.
    for (int t : told)
        ADD_FAILURE() << "squad " << t / 1000 << " told of action " << t % 1000;
    for (uint16_t id : restored.posts)
        EXPECT_TRUE(id == kGmSquadSync || id == kGmAreaSquadSync) << id;
}

} // namespace
