// Squad condition: exposure, aid at a casualty centre, the health floor and states, fatigue and efficiency, and the
// health-setting orders on squads of very small maximum health.
#include "SquadFixture.h"

using namespace squadtest;

namespace {

class SquadConditionTest : public SquadFixture {};

struct ExposureCase {
    const char* name;
    int fireClass;
    float chemical;
    bool gear;
    int agencyKind;
    float contamination;
    float expectHealth;
    float expectContamination;
};

TEST_F(SquadConditionTest, ExposureDamagesByTheWorseOfHeatAndChemicals)
{
    const ExposureCase cases[] = {
        {"nothing", 0, 0.0f, false, 0, 0.0f, 100.0f, 0.0f},
        {"fire band 3", 3, 0.0f, false, 0, 0.0f, 100.0f - 50.0f / 30.0f, 0.0f},
        {"fire band 1", 1, 0.0f, false, 0, 0.0f, 100.0f - 2.0f / 30.0f, 0.0f},
        {"chemical", 0, 64.0f, false, 0, 0.0f, 100.0f - 2.0f / 30.0f, 0.0f},
        {"gear of a fire crew", 3, 0.0f, true, 1, 0.0f, 100.0f - 5.0f / 30.0f, 0.0f},
        {"gear does not help police", 3, 0.0f, true, 0, 0.0f, 100.0f - 50.0f / 30.0f, 0.0f},
        {"contamination hurts on its own", 0, 0.0f, false, 0, 2.0f, 98.0f, 2.0f},
    };
    Side& side = MakeSide(OpenMap(4, 4));
    for (const ExposureCase& c : cases) {
        CSquad* s = AddSquad(side.Scenario(), kUnitSprite, 0, 48, 48);
        s->m_pUnitRecord->m_nAgencyKind = c.agencyKind;
        if (c.gear)
            s->m_nFlags |= kSqGear;
        s->m_fContamination = c.contamination;
        CPathTile* cell = side.CellAt(s);
        side.world.fire[cell] = c.fireClass;
        side.world.chemical[cell] = c.chemical;
        s->m_pTile = cell;
        s->UpdateCondition();
        EXPECT_FLOAT_EQ(s->m_fHealth, c.expectHealth) << c.name;
        EXPECT_FLOAT_EQ(s->m_fContamination, c.expectContamination) << c.name;
        side.Scenario().RemoveSquad(s, true);
    }
}

TEST_F(SquadConditionTest, HealthStatesFollowThePercentAndNeverGoBelowTheFloor)
{
    Side& side = MakeSide(OpenMap(4, 4));
    CSquad* s = AddSquad(side.Scenario(), kUnitSprite, 0, 48, 48);
    s->m_pTile = side.CellAt(s);
    struct Step {
        float health;
        int state;
        int action;
        int modifier;
    };
    const Step steps[] = {{95.0f, kHealthWell, kActIdle, 0},
                          {85.0f, kHealthInjured, kActIdle, kModInjured},
                          {55.0f, kHealthIncapacitated, kActIncapacitated, kModIncapacitated},
                          {3.0f, kHealthKilled, kActKilled, kModKilled}};
    for (const Step& step : steps) {
        s->m_fHealth = step.health;
        s->UpdateCondition();
        EXPECT_EQ(s->m_nHealthState, step.state) << step.health;
        EXPECT_EQ(s->m_nState, step.action) << step.health;
        if (step.modifier) {
            EXPECT_TRUE(s->m_pSprite->m_Placement.Modifiers & step.modifier) << step.health;
        }
    }
    EXPECT_EQ(s->m_fHealth, 10.0f); // the floor
    EXPECT_EQ(s->m_fHealthPct, 10.0f);
    EXPECT_TRUE(s->m_nFlags & kSqKilledOnce);
    EXPECT_TRUE(s->IsCompliant());
    EXPECT_TRUE(s->m_pSprite->m_Placement.Flags & kSpriteDown);
    // A killed squad's contamination is reset.
    s->m_fContamination = 5.0f;
    s->UpdateCondition();
    EXPECT_EQ(s->m_fContamination, 0.0f);
    // Incapacitated squads heal no further than 60 %.
    CSquad* down = AddSquad(side.Scenario(), kUnitSprite, 0, 80, 80);
    down->m_pTile = side.CellAt(down);
    down->m_fHealth = 50.0f;
    down->UpdateCondition();
    side.world.facility[down->m_pTile] = kCodeCasualtyCenter;
    down->m_fHealth = 59.99f;
    down->UpdateCondition();
    EXPECT_EQ(down->m_fHealth, 60.0f);
    EXPECT_EQ(down->m_nHealthState, kHealthIncapacitated);
}

TEST_F(SquadConditionTest, FatigueRatesAndEfficiency)
{
    Side& side = MakeSide(OpenMap(4, 4));
    struct Case {
        int action;
        uint32_t logistics;
        int facility;
        int healthState;
        float start;
        float expect;
    };
    const Case cases[] = {
        {kActIdle, 0, 0, kHealthWell, 30.0f, 30.0f - 2.0f / 30.0f},
        {kActMove, 0, 0, kHealthWell, 30.0f, 30.0f + 3.0f / 30.0f},
        {kActMove, 0x20, 0, kHealthWell, 30.0f, 30.0f + 3.0f / 30.0f * 0.8f},
        {kActIdle, 0, kCodeBase, kHealthWell, 30.0f, 30.0f - 2.0f / 30.0f * 2.0f},
        {kActIdle, 0x100, kCodeStagingArea, kHealthWell, 30.0f, 30.0f - 2.0f / 30.0f * 2.0f * 1.1f},
        {kActAssault, 0, 0, kHealthInjured, 30.0f, 30.0f + 4.0f / 30.0f * 0.5f},
        {kActIdle, 0, 0, kHealthWell, 0.0f, 0.0f},
        {kActAssault, 0, 0, kHealthWell, 100.0f, 100.0f},
        {kActExplode, 0, 0, kHealthWell, 30.0f, 30.0f},
    };
    for (const Case& c : cases) {
        CSquad* s = AddSquad(side.Scenario(), kUnitSprite, 0, 48, 48);
        s->m_pTile = side.CellAt(s);
        side.world.facility[s->m_pTile] = c.facility;
        side.game->m_pEOCUnitData->m_aSections[3].uActivated = c.logistics;
        s->m_nState = static_cast<uint8_t>(c.action);
        s->m_fFatigue = c.start;
        if (c.healthState == kHealthInjured) {
            s->m_fHealth = 80.0f;
            s->m_nHealthState = kHealthInjured;
        }
        s->UpdateCondition();
        EXPECT_FLOAT_EQ(s->m_fFatigue, c.expect) << c.action << " " << c.facility;
        side.Scenario().RemoveSquad(s, true);
    }
    CSquad* s = AddSquad(side.Scenario(), kUnitSprite, 0, 48, 48);
    for (auto [fatigue, level, efficiency] :
         {std::tuple{80.0f, 2, 0.5f}, std::tuple{60.0f, 1, 0.75f}, std::tuple{50.0f, 0, 1.0f}}) {
        s->m_fFatigue = fatigue;
        s->m_nState = kActExplode; // no fatigue change
        s->UpdateCondition();
        EXPECT_EQ(s->m_nFatigueLevel, level);
        EXPECT_EQ(s->m_fEfficiency, efficiency);
    }
}

TEST_F(SquadConditionTest, HealthOrdersOnTinySquadsDoNotDivideByZero)
{
    Side& side = MakeSide(OpenMap(4, 4));
    m_draws.fallback = 12345;
    for (float maximum : {1.0f, 0.5f, 100.0f}) {
        for (int order : {kActSetKilled, kActSetIncapacitated, kActSetWounded, kActSetInjured}) {
            CSquad* s = AddSquad(side.Scenario(), kUnitSprite, 0, 48, 48);
            s->m_pUnitRecord->m_fMaxHealth = maximum;
            s->SetState(order, true, false, false);
            s->DoWork();
            EXPECT_EQ(s->m_nState, kActIdle);
            EXPECT_GE(s->m_fHealth, maximum * 0.1f - 1e-6f);
            if (maximum == 100.0f && order == kActSetWounded) {
                EXPECT_GE(s->m_fHealth, 60.0f);
                EXPECT_LT(s->m_fHealth, 90.0f);
                EXPECT_FLOAT_EQ(s->m_fContamination, 1.0f / 120.0f);
            }
            side.Scenario().RemoveSquad(s, true);
        }
    }
}

TEST_F(SquadConditionTest, StatusShownForNextStatesAndDownSquads)
{
    Side& side = MakeSide(OpenMap(4, 4));
    CSquad* s = AddSquad(side.Scenario(), kUnitSprite, 0, 48, 48);
    s->m_nNextState = kActDirect;
    EXPECT_EQ(s->GetStatusIndex(), kActMoveSlowly);
    s->m_nNextState = kActFightFire;
    EXPECT_EQ(s->GetStatusIndex(), kActFightFire);
    s->m_nNextState = 0;
    s->m_nHealthState = kHealthIncapacitated;
    EXPECT_EQ(s->GetStatusIndex(), kActIncapacitated);
    s->m_nHealthState = kHealthKilled;
    EXPECT_EQ(s->GetStatusIndex(), kActKilled);
    s->m_nState = kActAssault;
    s->SetState(45, true, true, true);
    s->SetState(-1, true, true, true);
    EXPECT_EQ(s->m_nState, kActAssault);
}

} // namespace
