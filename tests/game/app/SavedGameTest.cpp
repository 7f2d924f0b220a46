// Saved games: the header bytes, the version rule, folder removal without following links, and save/load of the
// demo scenario with failures that leave nothing half-restored.
#include "game/app/SavedGame.h"
#include "core/world/AreaMapData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/GameMessages.h"
#include "game/screens/eoc/EOC.h"
#include "game/sim/SimRandom.h"
#include "core/util/ByteStream.h"
#include "game/screens/lobby/MPlayIF.h"
#include "platform/system/FileLayer.h"
#include "tests/game/app/DemoGame.h"
#include "tests/support/SafeWriteCheck.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <map>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(SaveHeaderTest, BytesAreExactAndZeroPadded)
{
    CByteWriter out;
    ASSERT_TRUE(WriteSaveHeader(out, {"1.0", "Millbrook.zri", 1030}));
    ASSERT_EQ(out.Size(), kSaveHeaderSize);
    const uint8_t* b = out.Bytes();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b)), "1.0");
    for (size_t i = 3; i < 12; ++i)
        EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b + 12)), "Millbrook.zri");
    for (size_t i = 12 + 13; i < 62; ++i)
        EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(b[62] | b[63] << 8, 1030);

    CByteReader in(out.Bytes(), out.Size());
    CSaveHeader back;
    ASSERT_TRUE(ReadSaveHeader(in, back));
    EXPECT_EQ(back.strVersion, "1.0");
    EXPECT_EQ(back.strScenario, "Millbrook.zri");
    EXPECT_EQ(back.nIAPMark, 1030);
}

TEST(SaveHeaderTest, BadFieldsAreRefused)
{
    CByteWriter tooLong;
    EXPECT_FALSE(WriteSaveHeader(tooLong, {"1.0", std::string(50, 'a'), 0}));
    auto header = [](const std::string& version, const std::string& scenario) {
        CByteWriter w;
        w.WriteFixedString(version, 12);
        w.WriteFixedString(scenario, 50);
        w.WriteI32(0);
        return w.Data();
    };
    std::vector<std::vector<uint8_t>> bad = {
        header("1.0", "../Millbrook.zri"), header("1.0", "a/b.zri"),    header("1.0", "a\\b.zri"),
        header("1.0", "Millbrook.txt"),    std::vector<uint8_t>(30, 0), // cut short
    };
    std::vector<uint8_t> unterminated = header("1.0", "Millbrook.zri");
    std::fill(unterminated.begin(), unterminated.begin() + 12, '7'); // the version has no terminator
    bad.push_back(unterminated);
    for (const auto& bytes : bad) {
        CByteReader in(bytes.data(), bytes.size());
        CSaveHeader h;
        EXPECT_FALSE(ReadSaveHeader(in, h));
    }
}

TEST(SaveHeaderTest, VersionComparisonIsByteWise)
{
    EXPECT_TRUE(IsSaveNewer("1.10", "1.2")); // 1.10 is lower than 1.2 byte-wise: refused
    EXPECT_FALSE(IsSaveNewer("1.3", "1.2")); // older file: restored
    EXPECT_FALSE(IsSaveNewer("1.0", "1.0")); // equal: restored
    EXPECT_TRUE(IsSaveNewer("1.0", "1.0.1"));
}

TEST(SaveNameTest, OneFolderNameOnly)
{
    EXPECT_TRUE(IsValidSaveName("Halfway 2"));
    for (const char* bad : {"", ".", "..", "a/b", "a\\b", "c:x"})
        EXPECT_FALSE(IsValidSaveName(bad)) << bad;
    EXPECT_FALSE(IsValidSaveName(std::string(64, 'a')));
}

TEST(DeleteFolderTreeTest, LinksAreRemovedNotFollowed)
{
    const fs::path root = demo_game::NewTempFolder("tree");
    const fs::path outside = root / "outside";
    const fs::path save = root / "Saves" / "one";
    fs::create_directories(outside / "keep");
    std::ofstream(outside / "keep" / "file.txt") << "keep";
    fs::create_directories(save / "sub");
    std::ofstream(save / "sub" / "a.txt") << "a";
    std::ofstream(save / "b.txt") << "b";
    fs::permissions(save / "b.txt", fs::perms::owner_read, fs::perm_options::replace);
    fs::create_directory_symlink(outside / "keep", save / "link");
    fs::create_symlink(outside / "keep" / "file.txt", save / "filelink");

    EXPECT_TRUE(DeleteFolderTree(save.string()));
    EXPECT_FALSE(fs::exists(save));
    EXPECT_TRUE(fs::exists(outside / "keep" / "file.txt"));
    // A link named as the folder itself is not followed either.
    fs::create_directory_symlink(outside / "keep", root / "Saves" / "two");
    EXPECT_FALSE(DeleteFolderTree((root / "Saves" / "two").string()));
    EXPECT_TRUE(fs::exists(outside / "keep" / "file.txt"));
    EXPECT_FALSE(DeleteFolderTree((root / "missing").string()));
    fs::remove_all(root);
}

class SavedGameTest : public demo_game::DemoFolderTest {
protected:
    SavedGameTest() : DemoFolderTest(true) {}
    void SetUp() override
    {
        DemoFolderTest::SetUp();
        if (HasFatalFailure())
            return;
        for (int i = 0; i < 40; ++i)
            m_run->Step();
    }
    // The game's messages, whole as they were added.
    std::string Told() const { return *m_pTold; }
    void Listen()
    {
        m_pTold->clear();
        auto told = m_pTold;
        m_run->Game().m_fnLogObserver = [told](const std::string& line) { *told += line + "\n"; };
    }
    std::shared_ptr<std::string> m_pTold = std::make_shared<std::string>();
    std::unique_ptr<demo_game::CDemoGame> Reload(const std::string& name, bool& ok)
    {
        auto other = std::make_unique<demo_game::CDemoGame>(m_dir);
        ok = other->LoadSaved(name);
        return other;
    }
};

TEST_F(SavedGameTest, RoundTripRestoresEveryBlock)
{
    CEOCUnitData& eoc = *m_run->Game().m_pEOCUnitData;
    eoc.m_uFacilityFlags = 0x5; // two facilities set up
    eoc.m_aSections[1].uActivated = 0x4204;
    eoc.m_aSections[1].fResourcePoints = 12.5f;
    CSquadScoreCounts& counts = m_run->Game().m_pSquadGame->m_score;
    counts.nAssaults = 3;
    counts.nAnnoyableTicks = 120;
    counts.nTicksAnnoying = 45;
    counts.nAreaSquadsCalled = 2;
    ASSERT_TRUE(m_run->Game().SaveGame("one"));
    const fs::path folder = m_dir / "Saves" / "one";
    for (const char* f : {"Millbrook.zri", "Millbrook.zra", "Millbrook.csv", "ZR-Log.txt", "SaveData.zrd"})
        EXPECT_TRUE(fs::exists(folder / f)) << f;
    // The incident is compared in its own case below.
    const std::string before = m_run->Summary(false);
    const std::string bytes = demo_game::ReadFileText(folder / "SaveData.zrd");
    ASSERT_GE(bytes.size(), kSaveHeaderSize);
    EXPECT_EQ(bytes.substr(12, 14), std::string("Millbrook.zri\0", 14));
    bool ok = false;
    auto restored = Reload("one", ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(restored->Summary(false), before);
    EXPECT_EQ(restored->Game().m_nIAPMark, m_run->Game().m_nIAPMark);
    const CEOCUnitData& back = *restored->Game().m_pEOCUnitData;
    EXPECT_EQ(back.m_uFacilityFlags, 0x5u);
    EXPECT_EQ(back.m_aSections[1].uActivated, 0x4204u);
    EXPECT_EQ(back.m_aSections[1].fResourcePoints, 12.5f);
    // The squads' running counts, which the final scores are made from.
    const CSquadScoreCounts& again = restored->Game().m_pSquadGame->m_score;
    EXPECT_EQ(again.nAssaults, 3);
    EXPECT_EQ(again.nAnnoyableTicks, 120);
    EXPECT_EQ(again.nTicksAnnoying, 45);
    EXPECT_EQ(again.nAreaSquadsCalled, 2);
}

TEST_F(SavedGameTest, RoundTripRestoresTheIncident)
{
    ASSERT_TRUE(m_run->Game().SaveGame("one"));
    const std::string before = m_run->Summary();
    bool ok = false;
    auto restored = Reload("one", ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(restored->Summary(), before);
}

TEST_F(SavedGameTest, SavingTwiceReplacesTheWholeFolder)
{
    ASSERT_TRUE(m_run->Game().SaveGame("same"));
    std::ofstream(m_dir / "Saves" / "same" / "stale.txt") << "old";
    ASSERT_TRUE(m_run->Game().SaveGame("same"));
    EXPECT_FALSE(fs::exists(m_dir / "Saves" / "same" / "stale.txt"));
    EXPECT_TRUE(fs::exists(m_dir / "Saves" / "same" / "SaveData.zrd"));
    for (const auto& entry : fs::directory_iterator(m_dir / "Saves"))
        EXPECT_EQ(entry.path().filename(), "same"); // no scratch or old folder left behind
}

TEST_F(SavedGameTest, FailedSaveKeepsTheOldOne)
{
    ASSERT_TRUE(m_run->Game().SaveGame("keep"));
    const std::string old = demo_game::ReadFileText(m_dir / "Saves" / "keep" / "SaveData.zrd");
    m_run->Step(); // the state a new save would write differs
    // Without the area map a save cannot be loaded: refused, said, and the old save stays whole.
    fs::rename(m_dir / "Millbrook.zra", m_dir / "away.zra");
    Listen();
    EXPECT_FALSE(m_run->Game().SaveGame("keep"));
    EXPECT_NE(Told().find("\"Millbrook.zra\" cannot be copied"), std::string::npos) << Told();
    EXPECT_EQ(demo_game::ReadFileText(m_dir / "Saves" / "keep" / "SaveData.zrd"), old);
    fs::rename(m_dir / "away.zra", m_dir / "Millbrook.zra");
    fs::remove(m_dir / "ZR-Log.txt"); // the log copy fails
    m_run->Game().m_log.CloseFile();
    fs::create_directory(m_dir / "ZR-Log.txt");
    EXPECT_FALSE(m_run->Game().SaveGame("keep"));
    EXPECT_EQ(demo_game::ReadFileText(m_dir / "Saves" / "keep" / "SaveData.zrd"), old);
    EXPECT_FALSE(m_run->Game().SaveGame("../escape"));
    for (const auto& entry : fs::directory_iterator(m_dir / "Saves"))
        EXPECT_EQ(entry.path().filename(), "keep");
}

// A disk that fills up while the named file is written: its temporaries are streams on /dev/full, whose writes
// fail with "No space left on device" as a full disk's do.
class CFullDiskLayer : public platform::CRecordingFileLayer {
public:
    explicit CFullDiskLayer(std::string file) : m_strFile("/" + std::move(file) + ".~") {}
    FILE* CreateNew(const std::string& path) override
    {
        if (path.find(m_strFile) == std::string::npos)
            return CRecordingFileLayer::CreateNew(path);
        return std::fopen("/dev/full", "wb");
    }

private:
    std::string m_strFile;
};

// Every file of a folder with its bytes.
std::map<std::string, std::string> FolderBytes(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = demo_game::ReadFileText(entry.path());
    return files;
}

TEST_F(SavedGameTest, AFullDiskAbandonsTheSaveKeepsTheOldOneAndSaysWhy)
{
    ASSERT_TRUE(m_run->Game().SaveGame("keep"));
    const std::map<std::string, std::string> old = FolderBytes(m_dir / "Saves" / "keep");
    ASSERT_EQ(old.size(), 6u);
    m_run->Step(); // the state a new save would write differs
    const std::string scratch = (m_dir / "Saves" / ("keep.~" + std::to_string(::getpid()) + ".saving")).string();
    const struct {
        const char* file;
        bool devFull; // else the disk is found full when the copy is forced onto it
        const char* told;
    } cases[] = {
        {"Millbrook_Area.bmp", true, "\"Millbrook_Area.bmp\" cannot be copied"},
        {"SaveData.zrd", true, "\"SaveData.zrd\" cannot be written"},
        {"Millbrook.csv", false, "\"Millbrook.csv\" cannot be copied"},
        {"ZR-Log.txt", false, "\"ZR-Log.txt\" cannot be copied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        if (c.devFull && !fs::exists("/dev/full"))
            continue;
        CFullDiskLayer full(c.file);
        platform::CRecordingFileLayer late;
        late.FailCallsStartingWith("sync " + scratch + "/" + c.file + ".~", ENOSPC);
        Listen();
        {
            platform::CFileLayerScope scope(c.devFull ? static_cast<platform::IFileLayer&>(full) : late);
            EXPECT_FALSE(m_run->Game().SaveGame("keep"));
        }
        // This machine's line with the reason, not a chat line under the player's name.
        EXPECT_EQ(Told(), "The game could not be saved: " + std::string(c.told) + ": No space left on device.\n");
        EXPECT_EQ(FolderBytes(m_dir / "Saves" / "keep"), old);
        for (const auto& entry : fs::directory_iterator(m_dir / "Saves"))
            EXPECT_EQ(entry.path().filename(), "keep");
    }
    // With room again the save is made.
    EXPECT_TRUE(m_run->Game().SaveGame("keep"));
    EXPECT_NE(FolderBytes(m_dir / "Saves" / "keep"), old);
}

TEST_F(SavedGameTest, EveryFileIsOnTheDiskBeforeTheNewSaveReplacesTheOld)
{
    const std::string saves = (m_dir / "Saves").string();
    const std::string target = saves + "/one";
    const std::string scratch = saves + "/one.~" + std::to_string(::getpid()) + ".saving";
    // The new folder takes the name in one exchange, or, where the file system has none, in two renames with
    // the old one kept aside.
    for (const char* refused : {"", "exchange"}) {
        SCOPED_TRACE(refused);
        ASSERT_TRUE(m_run->Game().SaveGame("one"));
        const std::string before = demo_game::ReadFileText(m_dir / "Saves" / "one" / "SaveData.zrd");
        m_run->Step();
        platform::CRecordingFileLayer layer;
        layer.FailCallsStartingWith(refused);
        {
            platform::CFileLayerScope scope(layer);
            ASSERT_TRUE(m_run->Game().SaveGame("one"));
        }
        EXPECT_NE(demo_game::ReadFileText(m_dir / "Saves" / "one" / "SaveData.zrd"), before);
        const std::vector<std::string> calls = layer.Calls();
        for (const char* file :
             {"Millbrook.zri", "Millbrook.zra", "Millbrook.csv", "Millbrook_Area.bmp", "ZR-Log.txt", "SaveData.zrd"}) {
            EXPECT_TRUE(fixtures::WroteSafely(calls, scratch + "/" + file)) << file;
            EXPECT_TRUE(fs::exists(m_dir / "Saves" / "one" / file)) << file;
        }
        auto at = [&](const std::string& call) {
            return static_cast<size_t>(std::find(calls.begin(), calls.end(), call) - calls.begin());
        };
        const size_t placed =
            *refused ? at("rename " + scratch + " " + target) : at("exchange " + scratch + " " + target);
        ASSERT_LT(placed, calls.size());
        size_t synced = calls.size();
        for (size_t i = placed + 1; i < calls.size() && synced == calls.size(); ++i)
            if (calls[i] == "syncdir " + saves)
                synced = i;
        ASSERT_LT(synced, calls.size());
        // Nothing of a save is removed before the new one is in place and its folder on the disk.
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].rfind("remove " + saves, 0) == 0) {
                EXPECT_GT(i, synced) << calls[i];
            }
        }
        for (const auto& entry : fs::directory_iterator(m_dir / "Saves"))
            EXPECT_EQ(entry.path().filename(), "one");
    }
}

TEST_F(SavedGameTest, ASaveWithoutItsAgencyListOrBitmapIsMadeListedAndTold)
{
    fs::remove(m_dir / "Millbrook.csv");
    fs::remove(m_dir / "Maps" / "Millbrook_Area.bmp");
    Listen();
    ASSERT_TRUE(m_run->Game().SaveGame("lacking"));
    EXPECT_EQ(Told(), "The saved game \"lacking\" has no copy of \"Millbrook.csv\": the file was not found.\n"
                      "The saved game \"lacking\" has no copy of \"Millbrook_Area.bmp\": the file was not found.\n");
    EXPECT_EQ(MPlayIF::ListSavedGames(m_dir.string()), std::vector<std::string>{"lacking"});
    bool ok = false;
    auto restored = Reload("lacking", ok);
    EXPECT_TRUE(ok);
}

TEST_F(SavedGameTest, DamagedOrMissingStateRestoresNothing)
{
    ASSERT_TRUE(m_run->Game().SaveGame("cut"));
    const fs::path data = m_dir / "Saves" / "cut" / "SaveData.zrd";
    const std::string whole = demo_game::ReadFileText(data);
    const size_t cuts[] = {10, kSaveHeaderSize, kSaveHeaderSize + 40, whole.size() / 2, whole.size() - 30};
    for (size_t cut : cuts) {
        SCOPED_TRACE(cut);
        std::ofstream(data, std::ios::binary | std::ios::trunc) << whole.substr(0, cut);
        bool ok = true;
        auto other = Reload("cut", ok);
        EXPECT_FALSE(ok);
        EXPECT_FALSE(other->Game().m_pMap || other->Game().m_pRuntime || other->Game().m_pIncidentWorld);
    }
    fs::remove(data);
    bool ok = true;
    auto none = Reload("cut", ok);
    EXPECT_FALSE(ok);
    // Newer than the program: refused.
    std::string newer = whole;
    newer.replace(0, 4, std::string("9.9\0", 4));
    std::ofstream(data, std::ios::binary | std::ios::trunc) << newer;
    auto refused = Reload("cut", ok);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(refused->Game().m_pMap);
}

TEST_F(SavedGameTest, RestoreResumesRouteSpeedsAndSendsTheSquadsOnce)
{
    // A squad called from a station is on its way across the area map when the game is saved.
    CSquadManager* area = m_run->Game().m_pSquadGame->Area();
    CSprite* station = nullptr;
    for (CSprite* s = m_run->Game().m_pAreaSprites->GetHead(); s && !station; s = s->m_pNext)
        if (s->Kind() == kStationSprite && area->DispatchFromStation(s, 0, 0))
            station = s;
    ASSERT_NE(station, nullptr);
    for (int i = 0; i < 4; ++i)
        m_run->Step();
    ASSERT_TRUE(m_run->Game().SaveGame("route"));

    demo_game::CDemoGame other(m_dir);
    std::vector<uint16_t> posts;
    other.Game().m_fnPostObserver = [&posts](uint16_t id, const uint8_t*, size_t) { posts.push_back(id); };
    ASSERT_TRUE(other.Game().LoadSavedGame("route"));
    EXPECT_EQ(std::count(posts.begin(), posts.end(), kGmSquadSync), 1);
    int onRoute = 0;
    for (CSquad* v : other.Game().m_pSquadGame->Area()->Vehicles()) {
        if (!v->OnAreaMap() || !v->m_pHomeStation)
            continue;
        ++onRoute;
        EXPECT_EQ(v->m_pUnitRecord->m_fSpeed, v->m_pHomeStation->m_pStationData->m_fRouteSpeed);
    }
    EXPECT_EQ(onRoute, 1);
}

// Every squad of both maps with its exact position, action and waypoint count.
std::string Squads(CGame& game)
{
    std::string out;
    char line[160];
    for (CSquadManager* m : {game.m_pSquadGame->Scenario(), game.m_pSquadGame->Area()})
        for (const auto* list : {&m->Units(), &m->Vehicles()})
            for (const CSquad* s : *list) {
                int waypoints = 0;
                for (const CWaypoint* w = s->m_pWaypoints; w; w = w->pNext)
                    ++waypoints;
                std::snprintf(line, sizeof line, "%d at %.9g,%.9g state %d/%d waypoints %d\n", s->Number(), s->m_fX,
                              s->m_fY, s->m_nState, s->m_nNextState, waypoints);
                out += line;
            }
    return out;
}

// The demo's police car ordered across the town, saved on its way; the steps that follow, one summary each.
class SquadOnItsWayTest : public SavedGameTest {
protected:
    void SetUp() override
    {
        SavedGameTest::SetUp();
        if (HasFatalFailure())
            return;
        CSquadManager& squads = *m_run->Game().m_pSquadGame->Scenario();
        m_pCar = squads.FindSquad(1001);
        const CSquad* far = squads.FindSquad(1002);
        ASSERT_TRUE(m_pCar && far);
        m_pCar->GiveOrder(0, kActMove, static_cast<int>(far->m_fX), static_cast<int>(far->m_fY), kSqPathRequest,
                          nullptr);
        m_run->Step();
        ASSERT_TRUE(m_pCar->m_nFlags & kSqMoving);
        ASSERT_TRUE(m_run->Game().SaveGame("way"));
        // What follows the run trailer: the movement, the tile marks, the instant of play.
        CByteWriter movement;
        SaveSquadMovement(m_run->Game().m_pSquadGame.get(), movement);
        m_run->Game().m_pIncidentWorld->SaveTileMarks(movement);
        m_nTailSize = movement.Size() + kPlayInstantSize;
    }
    // Runs `steps` steps, or with none given until the car has stood still for two.
    static std::vector<std::string> Run(demo_game::CDemoGame& run, size_t steps = 0)
    {
        SeedSimRandom(11);
        const CSquad* car = run.Game().m_pSquadGame->Scenario()->FindSquad(1001);
        std::vector<std::string> out{Squads(run.Game())};
        for (int still = 0; steps ? out.size() <= steps : still < 2 && out.size() < 400;) {
            run.Step();
            out.push_back(Squads(run.Game()));
            still = car->m_nFlags & kSqMoving ? 0 : still + 1;
        }
        return out;
    }
    CSquad* m_pCar = nullptr;
    size_t m_nTailSize = 0;
};

TEST_F(SquadOnItsWayTest, GoesOnAsTheUnsavedGame)
{
    const std::vector<std::string> straight = Run(*m_run);
    ASSERT_FALSE(m_pCar->m_nFlags & kSqMoving) << "the car should have arrived";
    EXPECT_GT(straight.size(), 4u) << "the car should have been on its way for a while";
    bool ok = false;
    auto restored = Reload("way", ok);
    ASSERT_TRUE(ok);
    const std::vector<std::string> again = Run(*restored, straight.size() - 1);
    ASSERT_EQ(again.size(), straight.size());
    for (size_t i = 0; i < straight.size(); ++i)
        ASSERT_EQ(again[i], straight[i]) << "step " << i << " after the save";
}

TEST_F(SquadOnItsWayTest, ASaveWithoutTheMovementStillLoads)
{
    // A save of a version before the movement was kept: the run trailer ends it.
    const fs::path data = m_dir / "Saves" / "way" / "SaveData.zrd";
    const std::string whole = demo_game::ReadFileText(data);
    ASSERT_GT(whole.size(), m_nTailSize);
    std::ofstream(data, std::ios::binary | std::ios::trunc) << whole.substr(0, whole.size() - m_nTailSize);
    bool ok = false;
    auto restored = Reload("way", ok);
    ASSERT_TRUE(ok);
    // Its moving car asks for its path again and gets there.
    CSquad* car = restored->Game().m_pSquadGame->Scenario()->FindSquad(1001);
    ASSERT_TRUE(car && (car->m_nFlags & kSqPathRequest));
    for (int i = 0; i < 40 && car->m_nState != kActIdle; ++i)
        restored->Step();
    EXPECT_EQ(car->m_nState, kActIdle);
    const CSquad* far = restored->Game().m_pSquadGame->Scenario()->FindSquad(1002);
    EXPECT_EQ(static_cast<int>(car->m_fX), static_cast<int>(far->m_fX));
    EXPECT_EQ(static_cast<int>(car->m_fY), static_cast<int>(far->m_fY));
}

TEST_F(SavedGameTest, MapBitmapNameNeverLeavesTheSaveFolder)
{
    // A file outside the save folder that a crafted name points at: it is neither deleted nor copied over.
    const fs::path victim = m_dir / "victim.bmp";
    std::ofstream(victim) << "keep";
    char* bitmap = m_run->Game().m_pAreaMap->m_szMapBitmap;
    for (const std::string& name : {victim.string(), std::string("../victim.bmp"), std::string("../../victim.bmp")}) {
        SCOPED_TRACE(name);
        std::snprintf(bitmap, 260, "%s", name.c_str());
        ASSERT_TRUE(m_run->Game().SaveGame("one"));
        EXPECT_EQ(demo_game::ReadFileText(victim), "keep");
        for (const auto& entry : fs::directory_iterator(m_dir / "Saves"))
            EXPECT_EQ(entry.path().filename(), "one");
        EXPECT_FALSE(fs::exists(m_dir / "Saves" / "one" / "victim.bmp"));
    }
}

} // namespace
