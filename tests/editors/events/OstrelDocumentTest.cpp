// Tests of Ostrel's document: ".zre" identity, bad input that changes nothing, safe saves, the unit tables, and the
// reference lists kept by an import.
#include "OstrelFilesSupport.h"

#include "core/world/SpriteManager.h"
#include "editors/events/model/EventsDocument.h"
#include "editors/events/model/EventsModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace ostrel_test;
namespace fs = std::filesystem;

namespace {

class OstrelModelFiles : public ::testing::Test {
protected:
    void TearDown() override { m_counters.Restore(); }
    CIdCounters m_counters = CIdCounters::Current();
};

// The document's visible state, to compare before and after a refused operation.
struct Snapshot {
    const CZREventsData* data;
    std::string title;
    size_t events;
    std::string path;
    bool modified;
    int32_t eventSource, triggerSource, zoneSource;
    bool operator==(const Snapshot&) const = default;
};

Snapshot Take(const COstrelDocument& doc)
{
    const CZREventsData* d = doc.GetEventsData();
    const CIdCounters c = CIdCounters::Current();
    return {d, d->m_strOriginalScenarioTitle, d->m_lstEvents.size(), doc.GetPath(), doc.IsModified(),
            c.event, c.trigger, c.zone};
}

} // namespace

TEST_F(OstrelModelFiles, UneditedOpenAndSaveIsIdentical)
{
    const std::string folder = CaseFolder("model-identity");
    COstrelDocument doc(folder);
    COstrelError error;
    const std::string original = folder + "/Millbrook.zre";
    ASSERT_TRUE(doc.Load(original, false, &error)) << error.text;
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetFileTitle(), "Millbrook.zre");
    EXPECT_GE(doc.GetEventsData()->m_lstEvents.size(), 10u);
    ASSERT_TRUE(doc.Save(folder + "/A.zre", true, &error)) << error.text;
    EXPECT_EQ(ReadAll(folder + "/A.zre"), ReadAll(original));
    COstrelDocument again(folder);
    ASSERT_TRUE(again.Load(folder + "/A.zre", false, &error));
    ASSERT_TRUE(again.Save(folder + "/B.zre", true, &error));
    EXPECT_EQ(ReadAll(folder + "/B.zre"), ReadAll(folder + "/A.zre"));
    EXPECT_EQ(again.GetPath(), folder + "/B.zre");
}

TEST_F(OstrelModelFiles, BadInputChangesNothing)
{
    const std::string folder = CaseFolder("model-bad-input");
    const std::string good = ReadAll(folder + "/Millbrook.zre");
    const std::string bad = folder + "/bad";
    fs::create_directories(bad + "/folder.zre");
    WriteAll(bad + "/empty.zre", "");
    WriteAll(bad + "/garbage.zre", std::string(300, '\x5A'));
    fs::copy_file(folder + "/Millbrook.zra", bad + "/map.zre");
    for (size_t cut : {size_t(1), size_t(16), good.size() / 3, good.size() / 2, good.size() - 5})
        WriteAll(bad + "/cut" + std::to_string(cut) + ".zre", good.substr(0, cut));
    std::vector<std::string> paths = {bad + "/missing.zre", bad + "/folder.zre", bad + "/empty.zre",
                                      bad + "/garbage.zre", bad + "/map.zre"};
    for (const auto& entry : fs::directory_iterator(bad))
        if (entry.path().filename().string().rfind("cut", 0) == 0)
            paths.push_back(entry.path().string());

    COstrelDocument doc(folder);
    COstrelError error;
    ASSERT_TRUE(doc.Load(folder + "/Millbrook.zre", false, &error));
    doc.GetEventsData()->m_strOriginalScenarioTitle = "Edited";
    doc.SetModified();
    CZREvent::m_nEventIDsource = 777;
    const CSpriteManager* lists = doc.GetSpriteManager();
    for (const std::string& path : paths) {
        for (bool import : {false, true}) {
            const Snapshot before = Take(doc);
            COstrelError failure;
            EXPECT_FALSE(doc.Load(path, import, &failure)) << path;
            EXPECT_NE(failure.text.find("Failed to open file"), std::string::npos) << path;
            EXPECT_NE(failure.text.find(path), std::string::npos) << path;
            EXPECT_TRUE(Take(doc) == before) << path << (import ? " (import)" : " (open)");
            EXPECT_EQ(doc.GetSpriteManager(), lists);
        }
    }
}

TEST_F(OstrelModelFiles, SkippedRecordsLoadWithAWarningAndMarkModified)
{
    const std::string folder = CaseFolder("model-skipped");
    COstrelDocument writer(folder);
    COstrelError error;
    ASSERT_TRUE(writer.Load(folder + "/Millbrook.zre", false, &error));
    writer.GetEventsData()->m_vZones.push_back(nullptr); // stored as a null record
    ASSERT_TRUE(writer.Save(folder + "/Holes.zre", true, &error));
    COstrelDocument reader(folder);
    std::string warning;
    ASSERT_TRUE(reader.Load(folder + "/Holes.zre", false, &error, &warning)) << error.text;
    EXPECT_NE(warning.find("left out"), std::string::npos);
    EXPECT_TRUE(reader.IsModified());
    EXPECT_EQ(reader.GetEventsData()->m_vZones.size(), writer.GetEventsData()->m_vZones.size() - 1);
}

TEST_F(OstrelModelFiles, FailedSavesLeaveTheOldFileAndNoTemporary)
{
    const std::string folder = CaseFolder("model-save-failures");
    COstrelDocument doc(folder);
    COstrelError error;
    ASSERT_TRUE(doc.Load(folder + "/Millbrook.zre", false, &error));
    doc.SetModified();
    const std::string target = folder + "/out";
    fs::create_directories(target + "/dir.zre");
    WriteAll(target + "/old.zre", "old contents");

    struct Case {
        std::string name;
        std::string path;
        std::function<void()> arrange, undo;
        std::string reason; // the line after the fixed text
    };
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    std::vector<Case> cases = {
        {"folder", target + "/dir.zre", [] {}, [] {}, "A folder of that name is in the way."},
        {"missing folder", target + "/none/x.zre", [] {}, [] {}, "The folder does not exist."},
        {"full disk", target + "/old.zre",
         [&] {
             std::signal(SIGXFSZ, SIG_IGN);
             rlimit small = saved;
             small.rlim_cur = 2000;
             setrlimit(RLIMIT_FSIZE, &small);
         },
         [&] { setrlimit(RLIMIT_FSIZE, &saved); }, "File too large."},
    };
    if (geteuid() != 0) {
        fs::create_directories(target + "/ro");
        cases.push_back({"read-only folder", target + "/ro/x.zre",
                         [&] { fs::permissions(target + "/ro", fs::perms::owner_read | fs::perms::owner_exec); },
                         [&] { fs::permissions(target + "/ro", fs::perms::owner_all); },
                         "The file or its folder is read-only."});
    }
    const auto listing = Listing(target);
    for (const Case& c : cases) {
        c.arrange();
        COstrelError failure;
        const bool saved_ok = doc.Save(c.path, true, &failure);
        c.undo();
        EXPECT_FALSE(saved_ok) << c.name;
        EXPECT_EQ(failure.caption, "File save failed") << c.name;
        EXPECT_NE(failure.text.find("Save failed. Please try \"File | Save As...\" before continuing."),
                  std::string::npos);
        EXPECT_NE(failure.text.find(c.path), std::string::npos);
        EXPECT_EQ(failure.text.substr(failure.text.rfind('\n') + 1), c.reason) << c.name;
        EXPECT_EQ(doc.GetPath(), folder + "/Millbrook.zre") << c.name;
        EXPECT_TRUE(doc.IsModified()) << c.name;
        EXPECT_EQ(Listing(target), listing) << c.name;
        EXPECT_EQ(ReadAll(target + "/old.zre"), "old contents") << c.name;
    }
}

TEST(OstrelModelUnitTables, EmptyFirstFieldsShiftAndExtraLinesAreIgnored)
{
    const std::string folder = CaseFolder("model-unit-tables");
    WriteAll(folder + "/Unit_Data_Finance.csv",
             "h1\r\nh2\r\nh3\r\nCost Unit,1,2\r\n,x\r\nTime Unit\r\nComp Unit,\r\nExtra,9\r\nMore\r\n");
    fs::remove(folder + "/unit_data_planning.csv");
    COstrelDocument doc(folder);
    const auto missing = doc.LoadUnitTables();
    EXPECT_EQ(missing, (std::vector<std::string>{folder + "/unit_data_planning.csv"}));
    EXPECT_EQ(doc.GetUnitTable(4), (std::vector<std::string>{"Cost Unit", "", "Time Unit", "Comp Unit"}));
    EXPECT_EQ(doc.GetUnitName(4, 2), "Time Unit");
    EXPECT_EQ(doc.GetUnitName(4, 4), ""); // past the table
    EXPECT_EQ(doc.GetUnitName(4, -1), "");
    EXPECT_EQ(doc.GetUnitName(5, 0), "");
    EXPECT_EQ(doc.GetUnitTable(2), std::vector<std::string>(5)); // missing: stays empty
    EXPECT_FALSE(doc.GetUnitName(0, 1).empty());                  // the demo's Command table
    std::vector<std::string> longLine(1);
    WriteAll(folder + "/long.csv", "a\nb\nc\n" + std::string(5000, 'N') + ",1\n");
    ASSERT_TRUE(COstrelDocument::ReadUnitTable(folder + "/long.csv", &longLine));
    EXPECT_EQ(longLine[0].size(), 5000u);
}

TEST_F(OstrelModelFiles, ImportKeepsTheOpenDocumentsListsAndOpenTakesTheFilesOwn)
{
    const std::string folder = CaseFolder("model-import-lists");
    // Dam.csv names the police "Dam Police".
    std::string agencies = ReadAll(folder + "/Agency.csv");
    const size_t at = agencies.find("Police");
    ASSERT_NE(at, std::string::npos);
    agencies.replace(at, 6, "Dam Police");
    WriteAll(folder + "/Dam.csv", agencies);
    fs::copy_file(folder + "/Millbrook.zre", folder + "/Dam.zre");
    auto policeName = [](const COstrelDocument& doc) {
        for (const auto& [row, record] : doc.GetSpriteManager()->GetAgencies())
            if (record.m_nKind == 0)
                return std::string(record.m_szName);
        return std::string();
    };
    COstrelDocument doc(folder);
    COstrelError error;
    ASSERT_TRUE(doc.Load(folder + "/Millbrook.zre", false, &error));
    const std::string own = policeName(doc);
    const size_t events = doc.GetEventsData()->m_lstEvents.size();
    ASSERT_TRUE(doc.Load(folder + "/Dam.zre", true, &error));
    EXPECT_EQ(policeName(doc), own);
    EXPECT_EQ(doc.GetEventsData()->m_lstEvents.size(), 2 * events);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPath(), folder + "/Millbrook.zre");
    ASSERT_TRUE(doc.Load(folder + "/Dam.zre", false, &error));
    EXPECT_NE(policeName(doc).find("Dam Police"), std::string::npos);
    EXPECT_EQ(own.find("Dam Police"), std::string::npos);
    // A file without an agency list of its name uses Agency.csv.
    fs::copy_file(folder + "/Millbrook.zre", folder + "/Other.zre");
    ASSERT_TRUE(doc.Load(folder + "/Other.zre", false, &error));
    EXPECT_FALSE(doc.GetSpriteManager()->GetAgencies().empty());
}
