// The editor's path grid: exact stored bytes (read by the game's grid too), fragments and merges, the block
// limit, coordinates outside the map and damaged streams.
#include "TacMapFixtures.h"

#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/WorldContext.h"
#include "support/ByteWriter.h"

#include <memory>

namespace {

using tacmap::CPathData;
using namespace tacmaptest;

// Two tile types: 0 "Grass" (path 10, sight 20; sub-tiles 1..16 and 101..116), 1 "Wall" (255, 1000).
std::string TypeTable()
{
    std::string t = "Index,Name,...\n0,Grass,10";
    for (int i = 1; i <= 16; ++i)
        t += "," + std::to_string(i);
    t += ",20";
    for (int i = 1; i <= 16; ++i)
        t += "," + std::to_string(100 + i);
    t += ",end\n1,Wall,255";
    for (int i = 0; i < 16; ++i)
        t += ",0";
    t += ",1000";
    for (int i = 0; i < 16; ++i)
        t += ",-1";
    return t + ",end\n";
}

class TacMapPathGrid : public TacMapTest {
protected:
    void SetUp() override
    {
        TacMapTest::SetUp();
        folder = TempFolder("grid");
        WriteFile(folder / "types.csv", TypeTable());
        MakeMap(3, 2, {0, 0, 1, 0, 1, 0});
    }
    void TearDown() override
    {
        grid.reset();
        map.reset();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    void MakeMap(int columns, int rows, const std::vector<int>& types)
    {
        grid.reset();
        map = std::make_unique<CMap2DLinked>();
        map->BuildGrid(columns, rows, types);
        ASSERT_TRUE(map->LoadTileTypes((folder / "types.csv").string()));
        grid = std::make_unique<CPathData>();
        grid->Bind(map.get());
        grid->RecomputeAll();
    }
    // The grid stored as the one object of a binary document.
    template <class T> std::string Store(T* object)
    {
        const fs::path path = folder / "stored.bin";
        QFFileStream stream;
        EXPECT_TRUE(stream.Open(path.string(), QFFileStream::kBinary, QFFileStream::kWriteUpdate));
        QFArchive archive;
        archive.BeginDocument(QFArchive::kStoring, &stream, QFArchive::kBinary);
        QFSerializePointer(&archive, &object, "PathData");
        archive.EndDocument();
        stream.Close();
        return ReadFile(path);
    }
    template <class T> std::unique_ptr<T> Load(const std::string& bytes, bool* failed = nullptr)
    {
        const fs::path path = folder / "load.bin";
        WriteFile(path, bytes);
        QFFileStream stream;
        EXPECT_TRUE(stream.Open(path.string(), QFFileStream::kBinary, QFFileStream::kRead));
        QFArchive archive;
        archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
        T* object = nullptr;
        QFSerializePointer(&archive, &object, "PathData");
        if (failed)
            *failed = archive.Failed();
        archive.EndDocument();
        stream.Close();
        return std::unique_ptr<T>(object);
    }
    fs::path folder;
    std::unique_ptr<CMap2DLinked> map;
    std::unique_ptr<CPathData> grid;
};

// The expected document: one object record, version 2, the count, then (path, sight) per entry.
ByteWriter Golden()
{
    ByteWriter w;
    w.ObjectHead(0, "CPathData").Int16(2).Int32(21);
    w.Int8(10).Int16(20);
    for (int k = 0; k < 16; ++k)
        w.Int8(1 + k).Int16((101 + k) | 0x400);
    w.Int8(255).Int16(1000).Int8(10).Int16(20).Int8(255).Int16(1000).Int8(10).Int16(20);
    return w;
}

TEST_F(TacMapPathGrid, StoredBytesAreExactAndTheGamesGridReadsThem)
{
    ASSERT_TRUE(grid->ToggleFragment(1, 0));
    const std::string bytes = Store(grid.get());
    EXPECT_EQ(bytes, Golden().Bytes());

    // The game's grid reads the same record (its own class registered under the name).
    QFClassFactory::Instance().Register("CPathData", &::CPathData::CreateObject);
    SetCurrentMap(map.get());
    bool failed = true;
    std::unique_ptr<::CPathData> core = Load<::CPathData>(bytes, &failed);
    SetCurrentMap(nullptr);
    tacmap::RegisterTarnwickClasses();
    ASSERT_FALSE(failed);
    ASSERT_TRUE(core);
    EXPECT_FALSE(core->GetCell(0, 0)->IsSubTile());
    EXPECT_EQ(core->GetCell(0, 0)->m_abyCosts[kCost], 10);
    ASSERT_TRUE(core->GetCell(0, 1)->IsSubTile());
    EXPECT_EQ(CPathData::kMaxFragments, 2500);
    ::CPathTile* sub = ::CPathData::SubTile(core->GetCell(0, 1), 2, 3); // sub-tile 11
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->m_abyCosts[kCost], 12);
    EXPECT_EQ(sub->m_LOSCost, 112);
    EXPECT_EQ(core->GetCell(1, 2)->m_abyCosts[kCost], 10);
}

TEST_F(TacMapPathGrid, ReadBackKeepsCountsCostsAndSubtileOrder)
{
    ASSERT_TRUE(grid->ToggleFragment(1, 0));
    grid->SetSubtilePathCost(1, 0, 3, 2, 77);
    const std::string bytes = Store(grid.get());
    bool failed = true;
    std::unique_ptr<CPathData> again = Load<CPathData>(bytes, &failed);
    ASSERT_FALSE(failed);
    ASSERT_TRUE(again);
    again->SetTileMap(map.get());
    EXPECT_EQ(again->GetTileCount(), 6);
    EXPECT_TRUE(again->IsFragmented(1, 0));
    EXPECT_EQ(again->GetPathCost(1, 0), 201); // a read fragment's own record
    EXPECT_EQ(again->GetSubtilePathCost(1, 0, 3, 2), 77);
    EXPECT_EQ(again->GetSubtileLOSCost(1, 0, 1, 0), 102);
    EXPECT_EQ(again->GetPathCost(2, 0), 255);
    EXPECT_EQ(Store(again.get()), bytes);
}

TEST_F(TacMapPathGrid, FragmentingAndMergingTakeTheTypesCostsAndFreeTheBlock)
{
    EXPECT_EQ(grid->GetPathCost(0, 0), 10);
    EXPECT_EQ(grid->GetLOSCost(2, 0), 1000);
    ASSERT_TRUE(grid->ToggleFragment(0, 0));
    EXPECT_EQ(grid->GetSubtileIndex(0, 0), 0);
    EXPECT_EQ(grid->GetSubtilePathCost(0, 0, 2, 1), 7);
    EXPECT_EQ(grid->GetSubtileLOSCost(0, 0, 2, 1), 107);
    grid->SetLOSCost(0, 0, 5); // keeps the tile fragmented
    EXPECT_TRUE(grid->IsFragmented(0, 0));
    ASSERT_TRUE(grid->ToggleFragment(1, 1)); // a wall: its sub-tiles are a quarter of its costs
    EXPECT_EQ(grid->GetSubtileIndex(1, 1), 16);
    EXPECT_EQ(grid->GetSubtilePathCost(1, 1, 0, 0), 63);
    EXPECT_FALSE(grid->ToggleFragment(0, 0)); // merged: whole-tile costs again
    EXPECT_FALSE(grid->IsFragmented(0, 0));
    EXPECT_EQ(grid->GetPathCost(0, 0), 10);
    EXPECT_EQ(grid->GetLOSCost(0, 0), 20);
    EXPECT_EQ(grid->GetSubtilePathCost(0, 0, 0, 0), -1);
    ASSERT_TRUE(grid->ToggleFragment(2, 1));
    EXPECT_EQ(grid->GetSubtileIndex(2, 1), 0); // the freed block is taken again
    // A recompute keeps fragments fragmented, from their type again.
    grid->SetSubtilePathCost(2, 1, 0, 0, 99);
    grid->RecomputeTile(2, 1);
    EXPECT_TRUE(grid->IsFragmented(2, 1));
    EXPECT_EQ(grid->GetSubtilePathCost(2, 1, 0, 0), 1);
    // Setting a fragmented tile from its type merges it without keeping its block.
    grid->SetTileFromType(-1, 2, 1);
    EXPECT_FALSE(grid->IsFragmented(2, 1));
    EXPECT_FALSE(grid->GetSubtileSlot(0)->used);
}

TEST_F(TacMapPathGrid, The2501stFragmentFindsNoBlock)
{
    MakeMap(51, 50, std::vector<int>(51 * 50, 0));
    for (int i = 0; i < 2500; ++i)
        ASSERT_TRUE(grid->ToggleFragment(i % 51, i / 51)) << i;
    EXPECT_FALSE(grid->ToggleFragment(2500 % 51, 2500 / 51));
    EXPECT_FALSE(grid->IsFragmented(2500 % 51, 2500 / 51));
    EXPECT_EQ(grid->GetPathCost(2500 % 51, 2500 / 51), 10);
    EXPECT_FALSE(grid->ToggleFragment(0, 0));                // one merged ...
    EXPECT_TRUE(grid->ToggleFragment(2500 % 51, 2500 / 51)); // ... makes room for another
}

TEST_F(TacMapPathGrid, PointsOutsideTheMapGiveMinusOneAndChangeNothing)
{
    ASSERT_TRUE(grid->ToggleFragment(0, 1));
    const std::string before = Store(grid.get());
    struct Case {
        int column, row, sx, sy;
    };
    // (3, 0) once wrapped into (0, 1); sub-tile coordinates stay inside 0-3 too.
    for (Case c : {Case{-1, 0, 0, 0}, Case{3, 0, 0, 0}, Case{0, 2, 0, 0}, Case{0, -1, 0, 0}, Case{0, 1, 4, 0},
                   Case{0, 1, 0, -1}}) {
        const bool tileOutside = c.sx == 0 && c.sy == 0;
        if (tileOutside) {
            EXPECT_EQ(grid->GetPathCost(c.column, c.row), -1);
            EXPECT_EQ(grid->GetLOSCost(c.column, c.row), -1);
            EXPECT_EQ(grid->GetSubtileIndex(c.column, c.row), -1);
            EXPECT_FALSE(grid->IsFragmented(c.column, c.row));
            EXPECT_FALSE(grid->ToggleFragment(c.column, c.row));
            grid->SetPathCost(c.column, c.row, 1);
            grid->SetLOSCost(c.column, c.row, 1);
            grid->RecomputeTile(c.column, c.row);
        }
        EXPECT_EQ(grid->GetSubtilePathCost(c.column, c.row, c.sx, c.sy), -1);
        EXPECT_EQ(grid->GetSubtileLOSCost(c.column, c.row, c.sx, c.sy), -1);
        grid->SetSubtilePathCost(c.column, c.row, c.sx, c.sy, 1);
        grid->SetSubtileLOSCost(c.column, c.row, c.sx, c.sy, 1);
    }
    EXPECT_EQ(grid->GetSubtilePathCost(0, 0, 0, 0), -1); // a whole tile has no sub-tiles
    EXPECT_EQ(Store(grid.get()), before);
}

TEST_F(TacMapPathGrid, TypesWithoutARecordChangeNothing)
{
    MakeMap(2, 1, {0, 300});
    EXPECT_EQ(grid->GetPathCost(1, 0), CPathData::kNewPathCost);
    EXPECT_FALSE(grid->ToggleFragment(1, 0));
    map->SetTileIndex(0, 0, 7); // no row 7 in the table
    grid->RecomputeTile(0, 0);
    EXPECT_EQ(grid->GetPathCost(0, 0), 10);
}

TEST_F(TacMapPathGrid, DamagedStreamsFailTheLoad)
{
    ASSERT_TRUE(grid->ToggleFragment(1, 0));
    const std::string good = Store(grid.get());
    const size_t head = ByteWriter().ObjectHead(1, "CPathData").Int16(2).Size();
    auto withCount = [&](int32_t count, int entries, bool fragments) {
        ByteWriter w;
        w.ObjectHead(1, "CPathData").Int16(2).Int32(count);
        for (int i = 0; i < entries; ++i)
            w.Int8(1).Int16(fragments ? 0x400 : 5);
        return w.Bytes();
    };
    struct Case {
        std::string bytes;
        const char* what;
    };
    const Case cases[] = {
        {good.substr(0, head + 2), "cut in the count"},
        {good.substr(0, head + 4 + 3 * 5), "cut in a block"},
        {good.substr(0, good.size() - 1), "cut in the last entry"},
        {withCount(1000, 6, false), "a count beyond the bytes there are"},
        {withCount(-5, 0, false), "a negative count"},
        {withCount(CPathData::kMaxEntries + 1, 0, false), "a count over the limit"},
        {withCount(10, 16, true), "a count that ends inside a block"},
        {withCount(2501 * 16, 2501 * 16, true), "2,501 fragmented tiles"},
    };
    for (const Case& c : cases) {
        bool failed = false;
        std::unique_ptr<CPathData> loaded = Load<CPathData>(c.bytes, &failed);
        EXPECT_TRUE(failed) << c.what;
    }
    bool failed = true;
    EXPECT_TRUE(Load<CPathData>(withCount(2500 * 16, 2500 * 16, true), &failed));
    EXPECT_FALSE(failed);
}

TEST_F(TacMapPathGrid, OlderVersionsRead)
{
    // Version 1 (the demo's, as the game's grid writes it): the same entries.
    ByteWriter v1;
    v1.ObjectHead(1, "CPathData").Int16(1).Int32(6);
    for (int i = 0; i < 6; ++i)
        v1.Int8(i).Int16(i * 10);
    bool failed = true;
    std::unique_ptr<CPathData> loaded = Load<CPathData>(v1.Bytes(), &failed);
    ASSERT_FALSE(failed);
    loaded->SetTileMap(map.get());
    EXPECT_EQ(loaded->GetTileCount(), 6);
    EXPECT_EQ(loaded->GetLOSCost(2, 1), 50);
    // Version 0 holds no count: no entries are read.
    ByteWriter v0;
    v0.ObjectHead(1, "CPathData").Int16(0);
    loaded = Load<CPathData>(v0.Bytes(), &failed);
    ASSERT_FALSE(failed);
    EXPECT_EQ(loaded->GetTileCount(), 0);
}

} // namespace
