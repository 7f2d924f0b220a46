// Order work, one table or case per group of actions, against a small fake incident world and scripted draws.
#include "SquadFixture.h"

using namespace squadtest;

namespace {

class OrderWorkTest : public SquadFixture {
protected:
    Side& World()
    {
        Side& side = MakeSide(OpenMap(16, 16));
        m_side = &side;
        return side;
    }
    // A squad of a template in an action, on the tactical map.
    CSquad* Squad(int index, int x, int y, int action, int agencyKind = 0, int agencyIndex = 0)
    {
        CSquad* s = AddSquad(m_side->Scenario(), kUnitSprite, index, x, y, agencyIndex);
        s->m_pUnitRecord->m_nAgencyKind = agencyKind;
        if (agencyKind == 5)
            s->m_nFlags |= kSqCompliant; // civilians are from the start
        s->SetState(action, false, false, false);
        return s;
    }
    // Game steps of one squad (condition and work) until its action ends, at most `limit`.
    int RunUntilIdle(CSquad* s, int limit = 2000)
    {
        for (int i = 0; i < limit; ++i) {
            if (s->m_nState == kActIdle)
                return i;
            s->m_pTile = m_side->CellAt(s);
            s->DoWork();
        }
        return limit;
    }
    Side* m_side = nullptr;
};

TEST_F(OrderWorkTest, FireAndHazardWork)
{
    Side& side = World();
    CSquad* crew = Squad(0, 80, 80, kActFightFire);
    crew->m_pUnitRecord->m_fFightFire = 1.0f;
    CPathTile* cell = side.CellAt(crew);
    side.world.fire[cell] = 2;
    side.world.intensity[cell] = 50.0f;
    side.world.fireNear = true;
    m_draws.fallback = 0; // the smallest amounts
    crew->m_pTile = cell;
    crew->DoWork();
    // (0 + 20) x fire factor 1 x efficiency 1 x (1 x 2 persons x 1.0) / 30 off the centre.
    EXPECT_FLOAT_EQ(side.world.intensity[cell], 50.0f - 20.0f * 2.0f / 30.0f);
    EXPECT_EQ(side.Squads().m_score.nAnnoyableTicks, 1);
    EXPECT_EQ(side.Sounds(), std::vector<int32_t>{9});
    side.world.fireNear = false;
    crew->DoWork();
    EXPECT_EQ(crew->m_nState, kActIdle);

    CSquad* hazmat = Squad(1, 144, 144, kActFightHazard);
    hazmat->m_pUnitRecord->m_fFightHazard = 1.0f;
    CPathTile* spill = side.CellAt(hazmat);
    side.world.chemical[spill] = 40.0f;
    side.world.chemicalNear = true;
    hazmat->m_pTile = spill;
    hazmat->DoWork();
    EXPECT_FLOAT_EQ(side.world.chemical[spill], 40.0f - 50.0f * 2.0f / 30.0f);
}

TEST_F(OrderWorkTest, BombSearchAndDefuse)
{
    Side& side = World();
    CSquad* dogs = Squad(0, 80, 80, kActSearchForBomb);
    dogs->m_pUnitRecord->m_fSearchForBomb = 1.0f;
    side.world.object[side.CellAt(dogs)] = kCodeBomb;
    EXPECT_LT(RunUntilIdle(dogs), 200);
    EXPECT_EQ(side.world.revealed, 1);
    CSquad* nothing = Squad(0, 200, 200, kActSearchForBomb);
    RunUntilIdle(nothing);
    EXPECT_EQ(side.Sounds(), (std::vector<int32_t>{24, 23}));

    struct Case {
        std::vector<int> draws;
        std::vector<int> codes;
        int incidents;
    };
    // p = 2 persons x 0.1 = 0.2: defused when the draw is below 5; else explodes when below 8.
    const Case cases[] = {{{4, 0}, {-1, kCodeBombDefused}, 0}, {{5, 7, 0}, {-1}, 1}, {{5, 8, 5, 7, 0}, {-1}, 1}};
    for (const Case& c : cases) {
        side.world.hazards.clear();
        side.world.incidents.clear();
        CSquad* tech = Squad(2, 300, 80, kActDefuseBomb);
        tech->m_pUnitRecord->m_fDefuseBomb = 0.1f;
        side.world.object[side.CellAt(tech)] = kCodeBomb;
        side.world.objectValue[side.CellAt(tech)] = 1.0f;
        m_draws.draws.assign(c.draws.begin(), c.draws.end());
        RunUntilIdle(tech);
        std::vector<int> codes;
        for (auto& h : side.world.hazards)
            codes.push_back(h[2]);
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(side.world.incidents.size(), static_cast<size_t>(c.incidents));
        if (c.incidents) {
            EXPECT_EQ(side.world.incidents[0][0], 1); // the bomb's value
        }
        side.Scenario().RemoveSquad(tech, true);
    }
}

TEST_F(OrderWorkTest, DebrisAndUtilityWork)
{
    Side& side = World();
    CSquad* dozer = Squad(0, 80, 80, kActClearDebris);
    dozer->m_pUnitRecord->m_fClearDebris = 10.0f; // work 20: a draw below 20 succeeds
    side.world.object[side.CellAt(dozer)] = kCodeDebris;
    m_draws.draws = {50, 10, 0}; // miss, then hit with a 60-step timer
    int steps = RunUntilIdle(dozer);
    EXPECT_EQ(steps, 1 + 60 + 1 + 60);
    ASSERT_EQ(side.world.hazards.size(), 1u);
    EXPECT_EQ(side.world.hazards[0][2], -1);
    // Utility work: the right crew for the leak works at full chance, another at 40 %.
    struct Case {
        int index;
        int code;
        int draw;
        bool succeeds;
    };
    for (const Case& c : {Case{12, kCodeElectrical, 19, true}, Case{13, kCodeElectrical, 19, false},
                          Case{13, kCodeGasLeak, 19, true}, Case{12, kCodeWaterLeak, 7, true}}) {
        CSquad* crew = Squad(c.index, 200, 200, kActUtilityWork);
        crew->m_pUnitRecord->m_fUtilityWork = 10.0f;
        side.world.object[side.CellAt(crew)] = c.code;
        m_draws.draws = {c.draw, 0};
        crew->m_pTile = side.CellAt(crew);
        crew->DoWork();
        EXPECT_EQ(crew->m_nOutcome, c.succeeds ? 7 : 0) << c.index << " " << c.code;
        side.Scenario().RemoveSquad(crew, true);
    }
    CSquad* idle = Squad(12, 300, 300, kActUtilityWork);
    RunUntilIdle(idle);
    EXPECT_EQ(idle->m_nState, kActIdle); // no hazard there
}

TEST_F(OrderWorkTest, HazardWorkCountsDownToZeroAndNoFurther)
{
    Side& side = World();
    CSquad* dozer = Squad(0, 80, 80, kActClearDebris);
    dozer->m_pUnitRecord->m_fClearDebris = 10.0f;
    dozer->m_pTile = side.CellAt(dozer);
    side.world.object[side.CellAt(dozer)] = kCodeDebris;
    // A timer below zero stops at zero, where the next step rolls again.
    for (int32_t timer : {INT32_MIN, -5, 1}) {
        dozer->m_nTimer = timer;
        dozer->m_nOutcome = 0;
        dozer->DoWork();
        EXPECT_EQ(dozer->m_nTimer, 0) << timer;
        EXPECT_EQ(dozer->m_nState, kActClearDebris) << timer;
    }
    m_draws.draws = {50};
    dozer->DoWork();
    EXPECT_EQ(dozer->m_nTimer, 60); // rolled: a miss waits 60 steps
}

TEST_F(OrderWorkTest, FirstAidAndEvacuation)
{
    Side& side = World();
    CSquad* medic = Squad(0, 80, 80, kActFirstAid);
    medic->m_pUnitRecord->m_fFirstAid = 3.0f;
    CSquad* hurt = Squad(1, 86, 84, kActIdle, 5);
    hurt->m_fHealth = 80.0f;
    hurt->m_fHealthPct = 80.0f;
    hurt->m_fContamination = 1.0f;
    hurt->m_pSprite->m_Placement.Flags |= kSpriteDrawn;
    medic->m_pTile = side.CellAt(medic);
    medic->DoWork();
    EXPECT_FLOAT_EQ(hurt->m_fHealth, 80.0f + 6.0f / 15.0f);
    EXPECT_FLOAT_EQ(hurt->m_fContamination, 1.0f - 6.0f / 30.0f);
    EXPECT_EQ(medic->m_nState, kActFirstAid);
    hurt->m_fContamination = 0.0f;
    hurt->m_fHealthPct = 100.0f;
    medic->DoWork();
    EXPECT_EQ(medic->m_nState, kActIdle); // nobody left to aid

    // Evacuation prefers an incapacitated civilian over a killed one, then the lower health.
    CSquad* ems = Squad(2, 200, 200, kActIdle);
    CSquad* dead = Squad(3, 204, 204, kActIdle, 5);
    CSquad* worse = Squad(3, 206, 200, kActIdle, 0);
    CSquad* best = Squad(3, 198, 202, kActIdle, 5);
    for (CSquad* s : {dead, worse, best}) {
        s->m_fHealth = s == dead ? 5.0f : s == worse ? 40.0f : 50.0f;
        s->m_pTile = side.CellAt(s);
        s->UpdateCondition();
    }
    ASSERT_TRUE(dead->IsKilled() && worse->IsDown() && best->IsDown());
    ems->ApplyOrder(0, kActEvacuate, nullptr);
    EXPECT_EQ(ems->m_nOutcome, 12);
    ems->m_pTile = side.CellAt(ems);
    ems->DoWork();
    EXPECT_EQ(ems->m_pTarget, best);
    EXPECT_EQ(best->m_pLink, ems);
    EXPECT_TRUE(best->m_nFlags & kSqPathRequest);
    EXPECT_EQ(best->m_nNextState, kActMoveSlowly);
    // The link holds while the evacuation goes on and breaks when it ends.
    best->LinkCheck();
    EXPECT_EQ(best->m_pLink, ems);
    ems->EndAction();
    best->LinkCheck();
    EXPECT_EQ(best->m_pLink, nullptr);
    EXPECT_EQ(best->m_nState, kActIncapacitated);
}

TEST_F(OrderWorkTest, AssaultSubduesAThreatAndHitsBystanders)
{
    Side& side = World();
    CSquad* swat = Squad(0, 80, 80, kActAssault, 0, 0);
    swat->m_pUnitRecord->m_fAssault = 20.0f; // strength 40
    swat->m_pUnitRecord->m_nDamageLow = 30;
    swat->m_pUnitRecord->m_nDamageHigh = 31;
    CSquad* threat = Squad(1, 90, 85, kActIdle, 6, 4);
    threat->m_pUnitRecord->m_fAssault = 1.0f;        // strength 2
    threat->m_pSprite->m_Placement.Flags |= 32 << 0; // seen by the police
    CSquad* bystander = Squad(2, 100, 100, kActIdle, 5, 3);
    // Round 1: the threat misses (50 is not below 2), the attacker hits (10 is below 40); timer 0 + 30 - 29.
    m_draws.draws = {50, 10, 0};
    swat->m_pTile = side.CellAt(swat);
    swat->DoWork();
    EXPECT_EQ(swat->m_pTarget, threat);
    EXPECT_EQ(swat->m_nTimer, 1);
    EXPECT_EQ(side.Squads().m_score.nAssaults, 1);
    // The end: damage 30 to the threat; the bystander is hit by the first crossfire draw (0 < 15).
    m_draws.draws = {0, 0, 0, 99};
    swat->DoWork();
    EXPECT_FLOAT_EQ(threat->m_fHealth, 70.0f);
    EXPECT_TRUE(threat->IsCompliant());
    EXPECT_EQ(threat->m_nState, kActSubdued);
    EXPECT_FLOAT_EQ(bystander->m_fHealth, 70.0f);
    EXPECT_EQ(swat->m_nState, kActIdle);
    EXPECT_EQ(swat->m_pTarget, nullptr);
    // Both sides too weak: nothing happens.
    CSquad* weak = Squad(3, 300, 300, kActAssault, 6, 4);
    CSquad* victim = Squad(4, 305, 300, kActIdle, 5, 3);
    weak->m_pTarget = victim;
    weak->m_pTile = side.CellAt(weak);
    weak->DoWork();
    EXPECT_EQ(weak->m_nState, kActIdle);
    EXPECT_EQ(victim->m_fHealth, 100.0f);
}

TEST_F(OrderWorkTest, NegotiationOneAtATimeAndHangUps)
{
    Side& side = World();
    CSquad* talker = Squad(0, 80, 80, kActNegotiate);
    talker->m_pUnitRecord->m_fNegotiate = 1.0f;
    CSquad* other = Squad(0, 100, 80, kActNegotiate);
    CSquad* threat = Squad(1, 90, 90, kActIdle, 6, 4);
    threat->m_pUnitRecord->m_fNegotiate = 1.0f;
    // The other negotiator is busy: this one gives up at once.
    talker->m_pTile = side.CellAt(talker);
    talker->DoWork();
    EXPECT_EQ(talker->m_nState, kActIdle);
    // Alone: the threat hangs up (draw 0 < 1 x 2 persons x 1.0).
    other->m_pTile = side.CellAt(other);
    m_draws.draws = {0, 0};
    other->DoWork();
    EXPECT_EQ(other->m_nOutcome, 5);
    EXPECT_EQ(RunUntilIdle(other), 1);
    EXPECT_FLOAT_EQ(side.Scenario().m_fNegotiationFactor, 0.95f);
    // Surrender: the threat's draw fails, the negotiator's succeeds.
    CSquad* again = Squad(0, 100, 80, kActNegotiate);
    again->m_pUnitRecord->m_fNegotiate = 50.0f;
    m_draws.draws = {99, 10, 0};
    RunUntilIdle(again);
    EXPECT_TRUE(threat->IsCompliant());
    EXPECT_EQ(threat->m_nState, kActSubdued);
    side.Scenario().m_fNegotiationFactor = 0.02f;
    CSquad* last = Squad(0, 100, 80, kActNegotiate);
    CSquad* threat2 = Squad(1, 90, 90, kActIdle, 6, 4);
    threat2->m_pUnitRecord->m_fNegotiate = 1.0f;
    m_draws.draws = {0, 0};
    RunUntilIdle(last);
    EXPECT_EQ(side.Scenario().m_fNegotiationFactor, 0.0f);
}

TEST_F(OrderWorkTest, EscortSupervisePerimeterAndTow)
{
    Side& side = World();
    CSquad* cop = Squad(0, 80, 80, kActIdle);
    CSquad* civ = Squad(1, 90, 90, kActIdle, 5);
    cop->ApplyOrder(0, kActEscort, nullptr);
    cop->m_pTile = side.CellAt(cop);
    cop->DoWork();
    EXPECT_EQ(civ->m_pLink, cop);
    EXPECT_EQ(cop->m_nTimer, 4);
    cop->EndAction();
    civ->LinkCheck();
    EXPECT_EQ(civ->m_pLink, nullptr);

    CSquad* boss = Squad(0, 200, 200, kActSupervise);
    CSquad* follower = Squad(1, 210, 210, kActIdle, 5);
    follower->m_pSprite->m_Placement.Flags |= kSpriteDrawn;
    boss->DoWork();
    EXPECT_EQ(follower->m_pLink, boss);
    follower->m_pLink = nullptr;
    follower->m_nState = kActMove;
    boss->DoWork();
    EXPECT_EQ(boss->m_nState, kActIdle);

    CSquad* line = Squad(0, 300, 300, kActPerimeter);
    line->m_pUnitRecord->m_fPerimeter = 20.0f;
    CSquad* walker = Squad(1, 320, 310, kActIdle, 5);
    walker->m_nNextState = kActMove;
    for (int i = 0; i < 7; ++i)
        line->DoWork();
    EXPECT_EQ(walker->m_pLink, line);
    EXPECT_EQ(walker->m_nNextState, 0);

    CSquad* truck = AddSquad(side.Scenario(), kVehicleSprite, 9, 400, 400);
    CSquad* wreck = AddSquad(side.Scenario(), kVehicleSprite, 1, 405, 400);
    wreck->m_pUnitRecord->m_nAgencyKind = 5;
    truck->ApplyOrder(0, kActTowVehicle, nullptr);
    truck->m_pTile = side.CellAt(truck);
    truck->DoWork();
    EXPECT_EQ(truck->m_pTarget, wreck);
    EXPECT_EQ(wreck->m_pLink, truck);
    EXPECT_EQ(side.Sounds().back(), 41);
}

TEST_F(OrderWorkTest, LoadingAndUnloading)
{
    Side& side = World();
    CSquad* van = AddSquad(side.Scenario(), kVehicleSprite, 0, 100, 100);
    van->m_pUnitRecord->m_nCapacity = 4;
    std::vector<CSquad*> riders;
    for (int i = 0; i < 3; ++i) {
        riders.push_back(Squad(0, 100, 100, kActIdle));
        riders.back()->m_pUnitRecord->m_nPersons = 1;
    }
    for (CSquad* r : riders)
        EXPECT_TRUE(van->LoadSquad(r, true, false));
    CSquad* two = Squad(0, 100, 100, kActIdle);
    EXPECT_FALSE(van->HasRoomFor(two)); // 3 + 2 persons > 4
    EXPECT_FALSE(van->LoadSquad(two, true, false));
    CSquad* one = Squad(0, 100, 100, kActIdle);
    one->m_pUnitRecord->m_nPersons = 1;
    EXPECT_TRUE(van->LoadSquad(one, true, false));
    CSquad* fifth = Squad(0, 100, 100, kActIdle);
    fifth->m_pUnitRecord->m_nPersons = 0;
    EXPECT_FALSE(van->LoadSquad(fifth, true, true)); // no fifth slot, even forced
    // Unloading places each squad near the vehicle on open ground.
    van->SetState(kActUnloadAll, false, false, false);
    m_draws.fallback = 1;
    van->DoWork();
    EXPECT_FALSE(van->HasLoadedSquads());
    for (CSquad* r : riders) {
        EXPECT_FALSE(r->IsLoaded());
        EXPECT_TRUE(r->m_nFlags & kSqPositionChanged);
        EXPECT_EQ(r->m_fX, 100.0f + 12 + 1 - 6);
    }
    EXPECT_EQ(van->m_nState, kActIdle);

    // At the map's corner every place tried is off the map: the squad stays loaded.
    CSquad* corner = AddSquad(side.Scenario(), kVehicleSprite, 0, 0, 0);
    CSquad* rider = Squad(0, 0, 0, kActIdle);
    ASSERT_TRUE(corner->LoadSquad(rider, true, true));
    corner->SetState(kActUnloadAll, false, false, false);
    m_draws.fallback = 0; // x = -6, y = -8
    corner->DoWork();
    EXPECT_EQ(corner->m_apLoaded[0], rider);
    EXPECT_TRUE(rider->IsLoaded());
}

TEST_F(OrderWorkTest, ScriptingOrders)
{
    Side& side = World();
    struct Case {
        int order;
        size_t incidents, fires, hazards;
        int code;
    };
    const Case cases[] = {{kActExplode, 1, 0, 0, 0},
                          {kActStartFire, 0, 1, 0, 0},
                          {kActSabotageGas, 0, 0, 1, kCodeGasLeak},
                          {kActSabotageWater, 0, 0, 1, kCodeWaterLeak},
                          {kActSabotageElectricity, 0, 0, 1, kCodeElectrical}};
    m_draws.fallback = 2;
    for (const Case& c : cases) {
        side.world.incidents.clear();
        side.world.fires.clear();
        side.world.hazards.clear();
        CSquad* s = Squad(0, 80, 90, c.order, 6);
        s->DoWork();
        EXPECT_EQ(s->m_nState, kActIdle);
        EXPECT_EQ(side.world.incidents.size(), c.incidents);
        EXPECT_EQ(side.world.fires.size(), c.fires);
        ASSERT_EQ(side.world.hazards.size(), c.hazards);
        if (c.hazards) {
            EXPECT_EQ(side.world.hazards[0], (std::vector<int>{80, 90, c.code}));
        }
    }
    EXPECT_EQ(side.world.fires.size(), 0u);
    CSquad* arsonist = Squad(0, 80, 90, kActStartFire, 6);
    arsonist->DoWork();
    EXPECT_EQ(side.world.fires[0][2], 2 * 5 + 5);
    CSquad* hider = Squad(0, 80, 90, kActHidden, 6);
    hider->DoWork();
    EXPECT_TRUE(hider->IsHidden());
}

TEST_F(OrderWorkTest, AssistantsAndTheMedia)
{
    Side& side = World();
    CSquad* crew = Squad(0, 80, 80, kActFightFire);
    crew->m_pUnitRecord->m_fFightFire = 1.0f;
    CSquad* engine = AddSquad(side.Scenario(), kVehicleSprite, 3, 100, 100);
    engine->m_pUnitRecord->m_fFightFire = 2.5f;
    engine->m_pUnitRecord->m_nDetectionRange = 2;
    CSquad* far = AddSquad(side.Scenario(), kVehicleSprite, 3, 250, 250);
    far->m_pUnitRecord->m_fFightFire = 9.0f;
    far->m_pUnitRecord->m_nDetectionRange = 2;
    EXPECT_EQ(crew->AssistFactor(kActFightFire), 2.5f);
    EXPECT_EQ(engine->m_nState, kActAssisting);
    EXPECT_EQ(engine->m_pTarget, crew);
    EXPECT_EQ(far->m_nState, kActIdle);
    // The assistant goes back to idle when the crew stops working.
    crew->EndAction();
    engine->DoWork();
    EXPECT_EQ(engine->m_nState, kActIdle);
    // A media unit nearby halves the work and counts as annoying.
    CSquad* media = Squad(19, 120, 80, kActIdle, 5);
    EXPECT_EQ(crew->MediaFactor(), 0.5f);
    EXPECT_EQ(side.Squads().m_score.nTicksAnnoying, 1);
    media->m_pLink = media;
    EXPECT_EQ(crew->MediaFactor(), 1.0f);
}

} // namespace
