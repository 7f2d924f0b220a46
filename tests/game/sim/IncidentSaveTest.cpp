// The incident world's saved block: a full round trip, truncated and inconsistent blocks, obstructions.
#include "IncidentFixture.h"

#include "core/util/ByteStream.h"

using namespace incidenttest;

namespace {

class SaveTest : public IncidentTest {};

// A world with something of everything.
void Populate(Machine& m)
{
    ScriptedRandom r(-1);
    CIncidentWorld& w = *m.world;
    w.StartFireNow(40, 40, 70.0f, true);
    w.StartFireNow(72, 40, 20.0f, true);
    w.PlaceChemicalNow(100, 100, 60.0f, true, false);
    w.PlaceChemicalNow(132, 100, 30.0f, false, false);
    w.PlaceHazardNow(8, 130, kIncBomb, 1.0f, 12, true, true);
    w.PlaceHazardNow(40, 130, kIncGasLeak, 0.0f, 0, false, true);
    for (int x = 0; x < 3; ++x)
        w.PushObjectEvent(x * 32, 160, 4, 1);
    w.PushObjectEvent(128, 160, 5, 2);
    w.SendEventBatch();
    w.PushObjectEvent(0, 160, kIncFacilityFirst + 2, 3);
    w.SendEventBatch();
    w.m_nZoneGroupCounter = 6;
    w.m_nZoneMark = 1;
    for (int i = 0; i < 3; ++i)
        w.Step();
}

void AddObstructions(Machine& m)
{
    for (int i = 0; i < 2; ++i) {
        CPlacement p;
        p.Id = 300;
        p.ServiceId = 50 + i;
        p.WorldX = 16 + 64 * i;
        p.WorldY = 208;
        CSprite* s = m.sprites->CreateFeatureSprite(p, false);
        s->m_anFrameWidth[0] = s->m_anFrameHeight[0] = 32;
    }
    m.world->SetupObstructions();
}

TEST_F(SaveTest, RoundTripRestoresEveryList)
{
    Machine a(Ground(6, 7));
    AddObstructions(a);
    Populate(a);
    a.world->WorkObstruction(a.world->GetObstructions()[0], 100.0f);
    CByteWriter out;
    a.world->SaveTo(out);

    Machine b(Ground(6, 7));
    AddObstructions(b);
    CByteReader in(out.Bytes(), out.Size());
    ASSERT_TRUE(b.world->LoadFrom(in));
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(Describe(*a.world), Describe(*b.world));
    EXPECT_EQ(b.world->GetReskinValue(kIncFacilityFirst + 2), 930);
    EXPECT_EQ(b.world->m_nZoneGroupCounter, 6);
    EXPECT_EQ(b.world->GetObstructions()[0]->m_fValue, a.world->GetObstructions()[0]->m_fValue);
    EXPECT_TRUE(b.Tile(100, 100)->m_nFlags & kTileVisibleSpill);
    // Loading raised no scoring counters of its own.
    EXPECT_EQ(b.links.stats[kStatFireTiles], 0);
    // And saving again gives the same bytes.
    CByteWriter again;
    b.world->SaveTo(again);
    EXPECT_EQ(out.Data(), again.Data());
}

TEST_F(SaveTest, BurntOutFireRecordBecomesBurntGround)
{
    CByteWriter out;
    out.WriteI32(1);
    out.WriteI32(1);
    out.WriteI32(1);
    out.WriteFloat(0.0f);
    out.WriteU8(3);
    out.WriteI16(0);
    out.WriteI32(32);
    out.WriteI32(32);
    for (int i = 0; i < 9; ++i) // spills, objects, zone counter and mark, groups, re-skins, obstructions
        out.WriteI32(0);
    Machine b(Ground(3, 3));
    CByteReader in(out.Bytes(), out.Size());
    ASSERT_TRUE(b.world->LoadFrom(in));
    EXPECT_EQ(b.world->Fires().Size(), 0);
    EXPECT_EQ(b.world->ObjectAt(b.Tile(32, 32))->m_nType, kIncBurntFeature);
    EXPECT_TRUE(b.Tile(32, 32)->m_nFlags & kTileBurnt);
}

TEST_F(SaveTest, TruncatedOrInflatedBlockFailsAndChangesNothing)
{
    Machine a(Ground(6, 7));
    Populate(a);
    CByteWriter out;
    a.world->SaveTo(out);
    const std::vector<uint8_t>& bytes = out.Data();
    for (size_t cut = 0; cut < bytes.size(); cut += 7) {
        Machine b(Ground(6, 7));
        CByteReader in(bytes.data(), cut);
        EXPECT_FALSE(b.world->LoadFrom(in)) << cut;
        EXPECT_EQ(b.world->Fires().Size() + b.world->Objects().Size() + b.world->ZoneNodes().Size(), 0);
    }
    // A count far beyond the bytes left is refused before anything is read or allocated.
    std::vector<uint8_t> huge = bytes;
    huge[0] = huge[1] = huge[2] = 0xFF;
    huge[3] = 0x7F;
    Machine b(Ground(6, 7));
    CByteReader in(huge.data(), huge.size());
    EXPECT_FALSE(b.world->LoadFrom(in));
}

// Every tile's incident marks, the sub-tiles of a divided cell included.
std::string Marks(const Machine& m)
{
    std::string out;
    const CPathData& grid = *m.world->GetGrid();
    for (int row = 0; row < grid.GetRows(); ++row)
        for (int column = 0; column < grid.GetColumns(); ++column)
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c) {
                    const CPathTile* t = CPathData::SubTile(grid.GetCell(row, column), r, c);
                    if (t && ((r == 0 && c == 0) || t->IsSubTile()) && (t->m_nFlags & kTileIncidentMarks))
                        out += std::to_string(t->m_nX) + "," + std::to_string(t->m_nY) + ":" +
                               std::to_string(t->m_nFlags & kTileIncidentMarks) + " ";
                }
    return out;
}

TEST_F(SaveTest, TileMarksComeBackExactly)
{
    auto ground = [] { return Ground(6, 7).Subdivide(5, 1, {"....", "....", "....", "...."}); };
    Machine a(ground());
    Populate(a);
    // What the block cannot tell: ground burnt by a fire whose burnt ground was cleared since, a residue, a spill
    // that flowed onto a sub-tile, and the mark of a visible spill gone from the tile that now holds a hidden one.
    a.Tile(8, 8)->m_nFlags |= kTileBurnt;
    a.Tile(168, 8)->m_nFlags |= kTileResidue;
    CPathTile* sub = a.world->GetGrid()->GetTileAt(48, 168);
    ASSERT_TRUE(sub && sub->IsSubTile() && sub->m_nX == 48 && sub->m_nY == 168);
    sub->m_nFlags |= kTileSpillPending;
    a.Tile(132, 100)->m_nFlags |= kTileVisibleSpill;
    CByteWriter out;
    a.world->SaveTo(out);
    a.world->SaveTileMarks(out);

    Machine b(ground());
    b.Tile(72, 72)->m_nFlags |= kTileBurnt; // a mark the saved game does not have goes
    CByteReader in(out.Bytes(), out.Size());
    ASSERT_TRUE(b.world->LoadFrom(in));
    ASSERT_TRUE(b.world->LoadTileMarks(in));
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(Marks(b), Marks(a));
    // The hidden spill comes back hidden.
    EXPECT_EQ(Describe(*b.world), Describe(*a.world));
    EXPECT_EQ(b.world->ChemicalAt(b.Tile(132, 100))->m_nType, kIncSpillHidden);
}

TEST_F(SaveTest, DamagedTileMarksChangeNothing)
{
    auto marks = [](uint32_t tag, int32_t count, std::vector<std::array<int32_t, 3>> tiles) {
        CByteWriter w;
        w.WriteU32(tag);
        w.WriteI32(count);
        for (const auto& t : tiles)
            for (int32_t v : t)
                w.WriteI32(v);
        return w.Data();
    };
    const std::vector<std::vector<uint8_t>> bad = {
        marks(0x12345678u, 0, {}),                       // another tag
        marks(kTileMarksTag, 2, {{32, 32, kTileBurnt}}), // fewer tiles than counted
        marks(kTileMarksTag, -1, {}),
        marks(kTileMarksTag, 1, {{32, 5000, kTileBurnt}}),     // off the grid
        marks(kTileMarksTag, 1, {{40, 32, kTileBurnt}}),       // inside a cell, not at a tile
        marks(kTileMarksTag, 1, {{32, 32, 0x1 | kTileBurnt}}), // the grid's own sub-tile bit is no mark
    };
    for (const auto& bytes : bad) {
        Machine m(Ground(6, 7));
        m.Tile(72, 72)->m_nFlags |= kTileResidue;
        CByteReader in(bytes.data(), bytes.size());
        EXPECT_FALSE(m.world->LoadTileMarks(in));
        EXPECT_EQ(Marks(m), "64,64:16 ");
    }
}

TEST_F(SaveTest, BlockWithoutObstructionsRemovesThemAll)
{
    Machine a(Ground(6, 7));
    CByteWriter out;
    a.world->SaveTo(out);
    Machine b(Ground(6, 7));
    AddObstructions(b);
    EXPECT_EQ(b.Tile(16, 208)->m_abyCosts[kVehicleBase], 255);
    CByteReader in(out.Bytes(), out.Size());
    ASSERT_TRUE(b.world->LoadFrom(in));
    EXPECT_TRUE(b.world->GetObstructions().empty());
    EXPECT_EQ(b.sprites->FindSprite(kFeatureSprite, 50), nullptr);
    EXPECT_EQ(b.Tile(16, 208)->m_abyCosts[kVehicleBase], 10);
}

TEST_F(SaveTest, FileSaveAndLoadStepPastTheBlock)
{
    Machine a(Ground(6, 7));
    Populate(a);
    FILE* f = std::tmpfile();
    std::fputs("HEAD", f);
    ASSERT_TRUE(a.world->Save(f));
    std::fputs("TAIL", f);
    std::fseek(f, 4, SEEK_SET);
    Machine b(Ground(6, 7));
    ASSERT_TRUE(b.world->Load(f));
    char tail[5] = {};
    ASSERT_EQ(std::fread(tail, 1, 4, f), 4u);
    EXPECT_STREQ(tail, "TAIL");
    std::fclose(f);
    EXPECT_EQ(Describe(*a.world), Describe(*b.world));
    EXPECT_FALSE(b.world->Save(nullptr));
    EXPECT_FALSE(b.world->Load(nullptr));
}

TEST_F(SaveTest, IncidentSiteLocation)
{
    Machine m(Ground(20, 20));
    CSiteLocation where;
    EXPECT_FALSE(m.world->GetSiteLocation(0, 0, where)); // no site: no location clause
    m.world->AddZoneNode(m.Tile(64, 64), 1, 1, kIncIncidentSite, true);
    m.world->AddZoneNode(m.Tile(96, 64), 1, 1, kIncIncidentSite, true);
    ASSERT_TRUE(m.world->GetSiteLocation(100, 70, where));
    EXPECT_TRUE(where.bInside);
    // Box 64..128 x 64..96, centre (96, 80).
    struct Case {
        int x, y, metres, direction;
    } cases[] = {{496, 80, 100, 6},      {126 + 30, 80, 10, 6}, {96 + 30 + 32, 80, 10, 6}, {96, 80 - 400, 100, 0},
                 {96 - 400, 80, 100, 2}, {96, 480, 100, 4},     {396, 380, 100, 5},        {130, 80, 0, 6}};
    for (const Case& k : cases) {
        ASSERT_TRUE(m.world->GetSiteLocation(k.x, k.y, where));
        EXPECT_FALSE(where.bInside);
        EXPECT_EQ(where.nMetres, k.metres) << k.x << "," << k.y;
        EXPECT_EQ(where.nDirection, k.direction) << k.x << "," << k.y;
    }
    EXPECT_STREQ(SiteDirectionName(5), "SouthEast");
}

} // namespace
