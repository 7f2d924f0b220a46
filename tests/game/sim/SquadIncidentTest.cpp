// Squads and the real incident world together: explosions hurt squads, squads fight a fire and find facilities.
#include "SquadFixture.h"

#include "game/sim/IncidentWorld.h"
#include "game/sim/SquadIncidentWorld.h"

using namespace squadtest;

namespace {

class SquadIncidentTest : public SquadFixture {
protected:
    Side& WithWorld()
    {
        Side& side = MakeSide(OpenMap(10, 10), true, 0, false, [](Side& s) {
            CGame& game = *s.game;
            game.m_pIncidentWorld = std::make_unique<CIncidentWorld>();
            game.m_pIncidentWorld->Attach(game.m_pSprites.get(), game.m_pPathData.get(), 0, 0);
            CIncidentParams params;
            params.anThreshold[0] = 10;
            params.anThreshold[1] = 30;
            params.anThreshold[2] = 60;
            game.m_pIncidentWorld->SetParameters(params);
        });
        return side;
    }
};

TEST_F(SquadIncidentTest, ExplosionsHurtTheScenarioSquads)
{
    Side& side = MakeSide(OpenMap(10, 10), true, 0, false, [](Side& s) {
        CGame& game = *s.game;
        game.m_pIncidentWorld = std::make_unique<CIncidentWorld>();
        game.m_pIncidentWorld->Attach(game.m_pSprites.get(), game.m_pPathData.get(), 0, 0);
    });
    CSquad* near = AddSquad(side.Scenario(), kUnitSprite, 0, 112, 112);
    CSquad* car = AddSquad(side.Scenario(), kVehicleSprite, 0, 120, 112);
    CSquad* far = AddSquad(side.Scenario(), kUnitSprite, 0, 300, 300);
    m_draws.fallback = 0;
    side.game->m_pIncidentWorld->ApplyIncidentType(0, 112, 112);
    EXPECT_LT(near->m_fHealth, 100.0f);
    EXPECT_GT(near->m_fContamination, 0.0f);
    EXPECT_LT(car->m_fHealth, 200.0f);
    EXPECT_EQ(far->m_fHealth, 100.0f);
    // Released squads leave the explosion's list with them.
    side.Squads().Release();
    side.game->m_pIncidentWorld->ApplyIncidentType(0, 112, 112);
}

TEST_F(SquadIncidentTest, SquadsWorkOnTheRealWorld)
{
    Side& side = WithWorld();
    CIncidentWorld& world = *side.game->m_pIncidentWorld;
    ASSERT_NE(side.Services().pWorld, &side.world);
    CSquad* crew = AddSquad(side.Scenario(), kUnitSprite, 0, 112, 112);
    crew->m_pUnitRecord->m_fFightFire = 1.0f;
    CPathTile* cell = side.CellAt(crew);
    ASSERT_TRUE(world.AddFire(cell, 50.0f));
    world.FireAt(cell)->m_byStage = 1; // burning, not just lit
    ISquadWorld& view = *side.Services().pWorld;
    EXPECT_EQ(view.FireClassAt(cell), 2);
    EXPECT_TRUE(view.FireWithin(cell, 2));
    crew->SetState(kActFightFire, false, false, false);
    m_draws.fallback = 0;
    crew->m_pTile = cell;
    crew->DoWork();
    EXPECT_FLOAT_EQ(world.FireAt(cell)->m_fValue, 50.0f - 20.0f * 2.0f / 30.0f);
    // A casualty centre on a cell is a facility the squads see.
    CPathTile* centre = side.game->m_pPathData->GetCellAt(300, 300);
    world.AddZoneNode(centre, 1, 1, kCodeCasualtyCenter, false);
    EXPECT_EQ(view.FacilityAt(centre), kCodeCasualtyCenter);
    int x = 0, y = 0;
    bool sub = true;
    EXPECT_FALSE(view.FindFacility(kCodeBase, &x, &y, &sub));
    EXPECT_TRUE(view.FindFacility(kCodeCasualtyCenter, &x, &y, &sub));
    EXPECT_EQ(x, 288);
    EXPECT_FALSE(sub);
}

} // namespace
