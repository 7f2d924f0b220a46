// Saving and the events files: failed saves change nothing and leave no temporary, the lists that go beside a
// scenario, events imported and exported, and removed.
#include "EditorFixture.h"

#include "core/events/ZREventsData.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace tacmaptest;

struct SaveState {
    std::string title, path, file;
    bool modified;
    bool operator==(const SaveState&) const = default;
};
SaveState Take(Editor& e)
{
    return {e.model.GetFileTitle(), e.model.GetPathName(), e.World().GetScenarioFileName(), e.model.IsModified()};
}

// One " Couldn't save <path>" box with the reason under it, titled "Save As Failed", nothing changed, no file and
// no temporary left.
void ExpectFailedSave(Editor& e, const fs::path& folder, const fs::path& target, const char* what,
                      const std::string& reason)
{
    platform::ClearRecordedMessages();
    const SaveState before = Take(e);
    const std::string demo = ReadFile(folder / "Millbrook.zri");
    EXPECT_FALSE(e.model.SaveAs(target.string())) << what;
    EXPECT_FALSE(e.model.LastSaveOK()) << what;
    EXPECT_TRUE(Take(e) == before) << what;
    const auto boxes = platform::RecordedMessages();
    ASSERT_EQ(boxes.size(), 1u) << what;
    EXPECT_EQ(boxes[0].title, "Save As Failed") << what;
    EXPECT_EQ(boxes[0].text, " Couldn't save " + target.string() + "\n" + reason) << what;
    EXPECT_TRUE(Temporaries(target.parent_path()).empty()) << what;
    EXPECT_FALSE(fs::exists(fs::path(target).replace_extension(".csv"))) << what;
    EXPECT_EQ(ReadFile(folder / "Millbrook.zri"), demo) << what;
}

TEST_F(TacMapDemoTest, FailedSavesChangeNothingAndLeaveNoTemporary)
{
    OpenDemo("failed_saves");
    editor->View().SetModified(true);
    fs::create_directories(folder / "Dir.zri");
    ExpectFailedSave(*editor, folder, folder / "Dir.zri", "a folder of that name",
                     "A folder of that name is in the way.");
    EXPECT_TRUE(fs::is_directory(folder / "Dir.zri"));
    ExpectFailedSave(*editor, folder, folder / "Missing" / "Gone.zri", "a missing folder",
                     "The folder does not exist.");

    // A full disk: the file grows past the limit, the write fails and the temporary goes (the system then says the
    // file is too large).
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 20000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    ExpectFailedSave(*editor, folder, folder / "Full.zri", "a full disk", "File too large.");
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    if (geteuid() != 0) { // root writes anywhere
        fs::create_directories(folder / "Locked");
        fs::permissions(folder / "Locked", fs::perms::owner_read | fs::perms::owner_exec);
        ExpectFailedSave(*editor, folder, folder / "Locked" / "In.zri", "a read-only folder",
                         "The file or its folder is read-only.");
        fs::permissions(folder / "Locked", fs::perms::owner_all);
    }

    // Then a save that can be done is done.
    ASSERT_TRUE(editor->model.SaveAs((folder / "Saved.zri").string()));
    EXPECT_FALSE(editor->model.IsModified());
    EXPECT_EQ(editor->model.GetFileTitle(), "Saved");
    EXPECT_TRUE(Temporaries(folder).empty());
}

TEST_F(TacMapDemoTest, SaveWritesTheCurrentFileOrAsksForAName)
{
    folder = CaseFolder("save_current");
    Editor fresh(folder);
    EXPECT_EQ(fresh.model.Save(), tacmap::CTarnwickModel::SaveResult::NeedsName);
    // A new scenario takes the common lists.
    ASSERT_TRUE(fresh.model.SaveAs((folder / "Fresh.zri").string()));
    EXPECT_EQ(ReadFile(folder / "Fresh.csv"), ReadFile(folder / "Agency.csv"));
    EXPECT_EQ(ReadFile(folder / "Fresh Scores.csv"), ReadFile(folder / "_Scores.csv"));
    fresh.View().SetModified(true);
    EXPECT_EQ(fresh.model.Save(), tacmap::CTarnwickModel::SaveResult::Saved);
    EXPECT_FALSE(fresh.model.IsModified());
    // Lists already there are never written over.
    WriteFile(folder / "Kept.csv", "mine\n");
    ASSERT_TRUE(fresh.model.SaveAs((folder / "Kept.zri").string()));
    EXPECT_EQ(ReadFile(folder / "Kept.csv"), "mine\n");
    EXPECT_TRUE(platform::RecordedMessages().empty());
}

TEST_F(TacMapDemoTest, EventsExportedAsZreImportIntoAnotherScenario)
{
    OpenDemo("events");
    const size_t events = editor->World().GetScenario()->m_pEvents->m_lstEvents.size();
    ASSERT_GT(events, 5u);
    ASSERT_TRUE(editor->model.ExportEvents((folder / "Exported.zre").string()));
    ASSERT_TRUE(editor->model.ExportEventsAsText((folder / "Exported.xml").string()));
    EXPECT_EQ(ReadFile(folder / "Exported.xml").rfind("<", 0), 0u);
    EXPECT_NE(ReadFile(folder / "Exported.xml").find("CScenarioData"), std::string::npos);

    editor->model.RemoveAllEvents();
    EXPECT_TRUE(editor->World().GetScenario()->m_pEvents->m_lstEvents.empty());
    EXPECT_TRUE(editor->model.IsModified());
    editor->View().SetModified(false);

    platform::ClearRecordedMessages();
    ASSERT_TRUE(editor->model.ImportEvents((folder / "Exported.zre").string()));
    EXPECT_EQ(editor->World().GetScenario()->m_pEvents->m_lstEvents.size(), events);
    EXPECT_TRUE(editor->model.IsModified());
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Tarnwick: Import OK"}));

    // The demo's own ".zre" holds the same events the exported one does.
    EXPECT_EQ(ReadFile(folder / "Exported.zre"), ReadFile(folder / "Millbrook.zre"));
}

TEST_F(TacMapDemoTest, ABadImportOrExportSaysSoAndChangesNothing)
{
    OpenDemo("bad_events");
    const size_t events = editor->World().GetScenario()->m_pEvents->m_lstEvents.size();
    const std::string good = ReadFile(folder / "Millbrook.zre");
    WriteFile(folder / "Cut.zre", good.substr(0, good.size() / 2));
    for (const fs::path& path : {folder / "Cut.zre", folder / "Missing.zre", folder / "Millbrook.zri"}) {
        platform::ClearRecordedMessages();
        EXPECT_FALSE(editor->model.ImportEvents(path.string()));
        EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Import Failed: Could not import " + path.string()}));
        EXPECT_FALSE(editor->model.IsModified());
        EXPECT_EQ(editor->World().GetScenario()->m_pEvents->m_lstEvents.size(), events);
    }
    fs::create_directories(folder / "Dir.zre");
    platform::ClearRecordedMessages();
    EXPECT_FALSE(editor->model.ExportEvents((folder / "Dir.zre").string()));
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Export Failed:  Couldn't save " + (folder / "Dir.zre").string() +
                                                    "\nA folder of that name is in the way."}));
    EXPECT_TRUE(Temporaries(folder).empty());
}

} // namespace
