// Explosions of sizes 0 to 2: ignition rings, burn-out of the centre, debris, squad damage, and the object
// reaction to fire.
#include "IncidentFixture.h"

using namespace incidenttest;

namespace {

class ExplosionTest : public IncidentTest {};

struct SizeCase {
    int size;
    int fires;
    int debris;
    int burnt;
    int sound;
};

TEST_F(ExplosionTest, RingsDebrisAndBurnOutBySize)
{
    const SizeCase cases[] = {
        {0, 9, 8, 0, 6},
        {1, 25, 24, 0, 6},
        {2, 44, 44, 5, 7}, // the centre and its four neighbours burn out first; ring 1 keeps its corners
    };
    for (const SizeCase& k : cases) {
        HostAndClient m(Ground(9, 9));
        ScriptedRandom r(0); // every chance succeeds, every intensity is the lowest
        m.host.world->ExplodeAt(4 * 32 + 5, 4 * 32 + 5, k.size, true, false);
        EXPECT_EQ(m.client.world->Fires().Size(), k.fires) << k.size;
        EXPECT_EQ(m.client.world->CountObjectsOfType(kIncDebris, true), k.debris) << k.size;
        EXPECT_EQ(m.client.world->CountObjectsOfType(kIncBurntFeature, true), k.burnt) << k.size;
        EXPECT_EQ(m.client.links.played.front(), k.sound) << k.size;
        EXPECT_EQ(m.host.links.stats[kStatExplosionSize1 + k.size], 1);
        EXPECT_EQ(m.host.links.notes.back(), (std::vector<int>{7, 0, 128, 128}));
        EXPECT_EQ(Describe(*m.host.world), Describe(*m.client.world));
    }
}

TEST_F(ExplosionTest, IgnitionIntensitiesComeFromTheRingRange)
{
    HostAndClient m(Ground(5, 5));
    ScriptedRandom r(0);
    r.Push({0, 1}); // size 0, ring 0: chance, then (1 % 2) x 5 + 60
    m.host.world->ExplodeAt(72, 72, 0, false, true);
    EXPECT_EQ(m.host.world->FireAt(m.host.Tile(72, 72))->m_fValue, 65.0f);
    EXPECT_EQ(m.host.world->FireAt(m.host.Tile(40, 40))->m_fValue, 10.0f); // ring 1: b = 2
    EXPECT_TRUE(m.host.links.notes.empty());                               // quiet
}

TEST_F(ExplosionTest, SecondaryHazardsByTerrain)
{
    worldtest::PathGridPicture picture = Ground(3, 3);
    picture.tileTypes = std::vector<int>(9, 13); // codes 12..15: value 1.0
    picture.tileTypes[1] = 100;                  // the top middle: electrical
    HostAndClient m(picture);
    ScriptedRandom r(99);
    // Ring 0 always ignites (chance, intensity); ring 1 starts at the top middle: a miss, then 6 % hits;
    // then the top right: a miss, 6 % hits, and 10 < 30 makes it gas.
    r.Push({99, 99, 99, 0, 99, 0, 10});
    m.host.world->ExplodeAt(40, 40, 0, false, false);
    CIncidentNode* electrical = m.host.world->ObjectAt(m.host.Tile(40, 8));
    ASSERT_NE(electrical, nullptr);
    EXPECT_EQ(electrical->m_nType, kIncElectrical);
    EXPECT_EQ(electrical->m_fValue, 1.0f);
    CIncidentNode* gas = m.host.world->ObjectAt(m.host.Tile(72, 8));
    ASSERT_NE(gas, nullptr);
    EXPECT_EQ(gas->m_nType, kIncGasLeak);
    EXPECT_EQ(gas->m_fValue, 1.0f);
    ASSERT_EQ(m.host.links.notes.size(), 3u);
    EXPECT_EQ(m.host.links.notes[0], (std::vector<int>{7, 2, 32, 0}));
    EXPECT_EQ(m.host.links.notes[1], (std::vector<int>{7, 3, 64, 0}));
    EXPECT_EQ(m.host.links.notes[2], (std::vector<int>{7, 0, 32, 32}));
    EXPECT_EQ(Describe(*m.host.world), Describe(*m.client.world));
}

TEST_F(ExplosionTest, SquadDamageFallsWithDistanceAndStopsAtTheRadius)
{
    struct Case {
        int size;
        float dx;
        float damage;
    } cases[] = {
        {0, 0.0f, 40.0f},        {0, 31.0f, 40.0f}, {0, 32.0f, 10.0f},       {0, 70.0f, 40.0f / 9}, {0, 80.0f, 0.0f},
        {1, 100.0f, 60.0f / 16}, {1, 112.0f, 0.0f}, {2, 140.0f, 80.0f / 25}, {2, 144.0f, 0.0f},
    };
    for (const Case& k : cases) {
        Machine c(Ground(12, 3));
        FakeSquads::Squad s;
        s.view.fX = 16.0f + k.dx;
        s.view.fY = 48.0f;
        s.view.nAgencyKind = 1;
        c.squads.squads.push_back(s);
        ScriptedRandom r(99);
        r.Push({0}); // size 1 sound
        c.world->SetParameters(TestParams());
        // Damage draws come last: the base is raised by draw % (base / 5); 99 % 8 = 3 and so on.
        c.world->ExplodeAt(16, 48, k.size, false, true);
        int base = k.size == 0 ? 40 : k.size == 1 ? 60 : 80;
        float extra = k.damage > 0 ? static_cast<float>(99 % (base / 5)) * k.damage / base : 0.0f;
        EXPECT_NEAR(100.0f - c.squads.squads[0].health, k.damage + extra, 1e-4) << k.size << " " << k.dx;
        EXPECT_NEAR(c.squads.squads[0].contamination, (k.damage + extra) * 0.05 / 30, 1e-6);
    }
}

TEST_F(ExplosionTest, ProtectiveGearQuartersDamageHalfTheTime)
{
    Machine c(Ground(3, 3));
    FakeSquads::Squad s;
    s.view = {48.0f, 48.0f, 0x40, 0};
    c.squads.squads.push_back(s);
    ScriptedRandom r(99);
    // Ring 0 and ring 1: each tile draws twice (ignition miss, hazard miss) when not ignited: 2 + 2 x 8.
    for (int i = 0; i < 18; ++i)
        r.Push({99});
    r.Push({0, 10}); // damage 40 + 0; then 10 < 50: a quarter
    c.world->ExplodeAt(48, 48, 0, false, true);
    EXPECT_FLOAT_EQ(c.squads.squads[0].health, 90.0f);
}

TEST_F(ExplosionTest, BurningCentreOfSizeTwoBurnsOutAtItsNextUpdate)
{
    HostAndClient m(Ground(9, 9));
    ScriptedRandom r(99);
    m.host.world->StartFireNow(140, 140, 40.0f, true);
    m.host.world->Step(); // reported: stage 2 everywhere
    m.host.world->ExplodeAt(140, 140, 2, true, true);
    CIncidentNode* fire = m.host.world->FireAt(m.host.Tile(140, 140));
    ASSERT_NE(fire, nullptr);
    EXPECT_EQ(fire->m_fValue, 0.0f);
    ASSERT_NE(m.client.world->FireAt(m.client.Tile(140, 140)), nullptr); // still burning until the report
    for (int i = 0; i < 10; ++i)
        m.host.world->Step();
    EXPECT_EQ(m.client.world->FireAt(m.client.Tile(140, 140)), nullptr);
    ASSERT_NE(m.client.world->ObjectAt(m.client.Tile(140, 140)), nullptr);
    EXPECT_EQ(m.client.world->ObjectAt(m.client.Tile(140, 140))->m_nType, kIncBurntFeature);
    EXPECT_EQ(Describe(*m.host.world), Describe(*m.client.world));
}

TEST_F(ExplosionTest, FireSetsOffAGasLeakOrBomb)
{
    struct Case {
        int type;
        float value;
        int counterStat; // gas explosions counted, or -1
        int size;
    } cases[] = {{kIncGasLeak, 1.0f, 1, 1}, {kIncBomb, 2.0f, 0, 2}, {kIncBombLike, 0.0f, 0, 0}};
    for (const Case& k : cases) {
        HostAndClient m(Ground(9, 9));
        m.host.world->PlaceHazardNow(140, 140, k.type, k.value, 0, false, true);
        ScriptedRandom r(99);
        m.host.world->StartFireNow(140, 140, 40.0f, true);
        r.Push({99, 0}); // band 2 growth draw, then the reaction (chance r2 = 10)
        m.host.world->Step();
        EXPECT_EQ(m.host.world->CountObjectsOfType(k.type, true), 0) << k.type;
        EXPECT_EQ(m.host.links.stats[kStatExplosionSize1 + k.size], 1) << k.type;
        EXPECT_EQ(m.host.links.stats[kStatGasExplosions], k.counterStat);
        EXPECT_EQ(Describe(*m.host.world), Describe(*m.client.world));
    }
}

} // namespace
