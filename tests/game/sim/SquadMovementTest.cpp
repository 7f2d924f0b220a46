// Squad movement: paths into waypoints, exact arrival, the message sequence, a client following its host.
#include "SquadFixture.h"

#include <cmath>

using namespace squadtest;

namespace {

class SquadMovementTest : public SquadFixture {};

// Orders a squad as the order cursor does: destination, path request, next state.
void Order(CSquad* squad, int32_t player, int action, int x, int y)
{
    squad->GiveOrder(player, action, x, y, kSqPathRequest, nullptr);
}

TEST_F(SquadMovementTest, OrderAcrossMixedGridArrivesExactly)
{
    // A wall with one gap forces a bend; one cell is subdivided (8-pixel tiles).
    Side& side = MakeSide({"......", ".####.", "......"});
    CSquad* squad = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    Order(squad, 0, kActIdle, 170, 80);
    side.posts.clear();
    Steps(400);
    EXPECT_EQ(squad->m_fX, 170.0f);
    EXPECT_EQ(squad->m_fY, 80.0f);
    EXPECT_FALSE(squad->m_nFlags & kSqMoving);
    EXPECT_EQ(squad->m_pWaypoints, nullptr);
    EXPECT_EQ(squad->m_nState, kActIdle);
    int x = 0, y = 0;
    squad->m_pSprite->GetWorldPosition(&x, &y);
    EXPECT_EQ(x, 170);
    EXPECT_EQ(y, 80);
    // Order first, then positions, then the arrival.
    ASSERT_FALSE(side.posts.empty());
    EXPECT_EQ(side.posts.front(), kGmSquadOrder);
    EXPECT_EQ(side.Count(kGmSquadStatus), 1);
    size_t arrival = 0;
    for (size_t i = 0; i < side.posts.size(); ++i)
        if (side.posts[i] == kGmSquadStatus)
            arrival = i;
    EXPECT_GT(side.Count(kGmSquadPosition), 2);
    for (size_t i = arrival + 1; i < side.posts.size(); ++i)
        EXPECT_NE(side.posts[i], kGmSquadPosition);
}

TEST_F(SquadMovementTest, ArrivalCarriesOutTheNextState)
{
    Side& side = MakeSide(OpenMap(6, 4));
    CSquad* squad = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    Order(squad, 0, kActHidden, 80, 48);
    Steps(200);
    EXPECT_EQ(squad->m_nState, kActHidden);
    EXPECT_EQ(squad->GetStatusIndex(), kActHidden);
}

TEST_F(SquadMovementTest, SubdividedDestinationAndFastMove)
{
    Side& side = MakeSide(OpenMap(6, 4));
    CSquad* slow = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    CSquad* fast = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 48);
    Order(slow, 0, kActIdle, 150, 16);
    fast->GiveOrder(0, kActIdle, 150, 48, kSqPathRequest | kSqFast, nullptr);
    Steps(1);
    ASSERT_TRUE(slow->m_pWaypoints && fast->m_pWaypoints);
    EXPECT_FLOAT_EQ(fast->m_pWaypoints->speed, 2 * slow->m_pWaypoints->speed);
    EXPECT_EQ(slow->m_pWaypoints->speed, static_cast<float>(40.0 * 0.054186776));
    EXPECT_FALSE(fast->m_nFlags & kSqFast); // used up by the request
    int stepsSlow = 0, stepsFast = 0;
    for (int i = 0; i < 400 && (slow->m_nFlags & kSqMoving || fast->m_nFlags & kSqMoving); ++i) {
        stepsSlow += (slow->m_nFlags & kSqMoving) != 0;
        stepsFast += (fast->m_nFlags & kSqMoving) != 0;
        Steps(1);
    }
    EXPECT_EQ(slow->m_fX, 150.0f);
    EXPECT_EQ(fast->m_fX, 150.0f);
    EXPECT_LT(stepsFast, stepsSlow);
}

TEST_F(SquadMovementTest, DestinationsOutsideTheMapOrNegativeAreIgnored)
{
    Side& side = MakeSide(OpenMap(4, 3)); // 128 x 96 pixels
    CSquad* squad = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    squad->GiveOrder(0, kActIdle, 100, 50, 0, nullptr);
    squad->GiveOrder(0, kActIdle, 128, 50, 0, nullptr); // just outside the real map
    EXPECT_EQ(squad->m_nDestX, 100);
    squad->GiveOrder(0, kActIdle, -1, 50, 0, nullptr);
    EXPECT_EQ(squad->m_nDestX, 100);
    // A request without a destination asks for no path and keeps the last destination.
    squad->m_nDestX = -1;
    squad->m_nLastDestX = 7;
    squad->m_nFlags |= kSqPathRequest;
    side.posts.clear();
    Steps(1);
    EXPECT_EQ(squad->m_nLastDestX, 7);
    EXPECT_EQ(side.Count(kGmSquadOrder), 0);
}

TEST_F(SquadMovementTest, NoPathDropsTheOrder)
{
    Side& side = MakeSide({"..#..", "..#..", "..#.."});
    CSquad* squad = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    Order(squad, 0, kActFightFire, 140, 16);
    side.posts.clear();
    Steps(3);
    EXPECT_EQ(squad->m_nNextState, 0);
    EXPECT_EQ(side.Count(kGmSquadOrder), 0);
    EXPECT_EQ(squad->m_nState, kActIdle);
}

TEST_F(SquadMovementTest, ZeroSpeedNeverLeavesTheSquadMovingForever)
{
    Side& side = MakeSide(OpenMap(5, 2));
    CSquad* zero = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    zero->m_pUnitRecord->m_fSpeed = 0.0f;
    Order(zero, 0, kActIdle, 140, 16);
    CSquad* tired = AddSquad(side.Scenario(), kUnitSprite, 1, 16, 48);
    Order(tired, 0, kActIdle, 140, 48);
    Steps(1);
    tired->m_fEfficiency = 0.0f; // nothing left to move with
    Steps(20);
    EXPECT_FALSE(zero->m_nFlags & kSqMoving);
    EXPECT_FALSE(tired->m_nFlags & kSqMoving);
    EXPECT_EQ(tired->m_fX, 140.0f);
}

TEST_F(SquadMovementTest, ANewPathReplacesTheWaitingOneAndItsMarkers)
{
    Side& side = MakeSide(OpenMap(6, 3));
    side.Squads().m_markerFilter.m_bFilterSwitch = 1;
    side.Squads().m_markerFilter.m_nFilterOptions = 0x8;
    CSquad* squad = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    const int before = side.game->m_pSprites->GetSpritesCount();
    squad->m_nDestX = 170;
    squad->m_nDestY = 80;
    squad->RequestPath();
    const int withMarkers = side.game->m_pSprites->GetSpritesCount();
    EXPECT_GT(withMarkers, before);
    // The order message put the list in use; build another one that waits, then a third replacing it.
    squad->m_nDestX = 80;
    squad->m_nDestY = 16;
    squad->m_pNewWaypoints = nullptr;
    side.game->m_bAuthority = false; // nothing applied: the new list waits
    side.Squads().RefreshPlayer();
    squad->RequestPath();
    const int waiting = side.game->m_pSprites->GetSpritesCount();
    squad->m_nDestX = 84; // the same cells: as many markers
    squad->m_nDestY = 20;
    squad->RequestPath();
    EXPECT_EQ(side.game->m_pSprites->GetSpritesCount(), waiting); // old markers went with the old list
    squad->Stop();
    squad->FreeWaypoints(squad->m_pNewWaypoints);
    EXPECT_EQ(side.game->m_pSprites->GetSpritesCount(), before);
}

TEST_F(SquadMovementTest, OneAndTwoPixelMovesAndTheMovedReport)
{
    Side& side = MakeSide(OpenMap(4, 2));
    int moved = 0;
    side.Services().fnNotify = [&](int kind, CSquad*, int) { moved += kind == kNotifySquadMoved; };
    CSquad* squad = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    squad->ApplyPosition(1.0f, 0.0f, 17.0f, 16.0f, 16.0f, 16.0f, 0);
    squad->PositionStep();
    EXPECT_EQ(squad->m_fX, 17.0f);
    EXPECT_EQ(moved, 0);
    squad->ApplyPosition(1.0f, 0.0f, 30.0f, 16.0f, 17.0f, 16.0f, 0);
    squad->PositionStep();
    EXPECT_EQ(moved, 1);
    // The snap: a step longer than the way left lands exactly on the target.
    squad->ApplyPosition(5.0f, -5.0f, 20.5f, 14.0f, 18.0f, 16.0f, 0);
    squad->PositionStep();
    EXPECT_EQ(squad->m_fX, 20.5f);
    EXPECT_EQ(squad->m_fY, 14.0f);
}

TEST_F(SquadMovementTest, ClientFollowsTheHostsMessagesToTheSamePlace)
{
    Side& host = MakeSide({"........", "..####..", "........"}, true, 0, true);
    Side& client = MakeSide({"........", "..####..", "........"}, false, 1, true);
    CSquad* hostSquad = AddSquad(host.Scenario(), kUnitSprite, 0, 16, 16);
    CSquad* clientSquad = AddSquad(client.Scenario(), kUnitSprite, 0, 16, 16);
    // The host's player orders: the client moves it by position messages only.
    Order(hostSquad, 0, kActIdle, 230, 80);
    Steps(600);
    EXPECT_EQ(hostSquad->m_fX, 230.0f);
    EXPECT_EQ(hostSquad->m_fY, 80.0f);
    EXPECT_EQ(clientSquad->m_fX, hostSquad->m_fX);
    EXPECT_EQ(clientSquad->m_fY, hostSquad->m_fY);
    EXPECT_FALSE(clientSquad->m_nFlags & kSqMoving); // never followed waypoints of its own
    EXPECT_EQ(clientSquad->m_nState, hostSquad->m_nState);

    // Now the client's player orders: the client finds the path and moves; the host follows.
    Order(clientSquad, 1, kActIdle, 16, 80);
    Steps(600);
    EXPECT_EQ(clientSquad->m_fX, 16.0f);
    EXPECT_EQ(clientSquad->m_fY, 80.0f);
    EXPECT_EQ(hostSquad->m_fX, clientSquad->m_fX);
    EXPECT_EQ(hostSquad->m_fY, clientSquad->m_fY);
    EXPECT_EQ(hostSquad->m_nState, kActIdle);
    EXPECT_EQ(clientSquad->m_nState, kActIdle);
}

TEST_F(SquadMovementTest, VisibilityByAgencyAndSightLines)
{
    Side& side = MakeSide({"........", "........", "WWWWWWWW", "........"});
    CSquad* police = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16, 0);
    CSquad* fire = AddSquad(side.Scenario(), kUnitSprite, 1, 200, 16, 1);
    CSquad* hidden = AddSquad(side.Scenario(), kUnitSprite, 2, 16, 112, 2); // behind the wall
    Steps(1);
    const int32_t police32 = 32 << 0, fire32 = 32 << 1, third = 32 << 2;
    EXPECT_EQ(police->m_pSprite->m_Placement.Flags & 0x1FFE0, police32 | fire32);
    EXPECT_EQ(fire->m_pSprite->m_Placement.Flags & 0x1FFE0, police32 | fire32);
    EXPECT_EQ(hidden->m_pSprite->m_Placement.Flags & 0x1FFE0, third);
    // The police squad steps behind the wall: the fire squad and it lose sight of each other.
    police->ApplyPosition(0.0f, 0.0f, 0.0f, 0.0f, 16.0f, 112.0f, 0);
    police->m_nVisFlags |= kVisMoved;
    Steps(2);
    EXPECT_EQ(police->m_pSprite->m_Placement.Flags & 0x1FFE0, police32 | third);
    EXPECT_EQ(fire->m_pSprite->m_Placement.Flags & 0x1FFE0, fire32);
    EXPECT_EQ(hidden->m_pSprite->m_Placement.Flags & 0x1FFE0, police32 | third);
    // A subdued threat is seen by everyone.
    hidden->m_pUnitRecord->m_nAgencyKind = 6;
    hidden->m_nFlags |= kSqCompliant;
    hidden->m_nVisFlags |= kVisSubdued;
    Steps(1);
    EXPECT_EQ(hidden->m_pSprite->m_Placement.Flags & 0x1FFE0, 0x1FFE0);
}

TEST_F(SquadMovementTest, GetInVehicleGivesUpWhenTheVehicleDrivesOff)
{
    Side& side = MakeSide(OpenMap(8, 3));
    CSquad* unit = AddSquad(side.Scenario(), kUnitSprite, 0, 16, 16);
    CSquad* car = AddSquad(side.Scenario(), kVehicleSprite, 0, 200, 16);
    unit->GiveOrder(0, kActGetInVehicle, 200, 16, kSqPathRequest, car);
    Steps(3);
    ASSERT_TRUE(unit->m_nFlags & kSqMoving);
    car->m_fX = 220.0f;
    Steps(1);
    EXPECT_EQ(unit->m_nState, kActIdle);
    EXPECT_EQ(unit->m_nNextState, 0);
    EXPECT_FALSE(unit->m_nFlags & kSqMoving);
}

} // namespace
