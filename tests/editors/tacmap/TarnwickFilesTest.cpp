// Tarnwick's files through its windows: Open, Save As and Save with reopening to the byte, bad files and targets
// (one box, nothing changed), the close prompt, the events commands, and a scenario edited here played in the game.
#include "TarnwickFixture.h"

#include "editors/common/MenuInput.h"

#include "core/events/ZREventsData.h"
#include "core/world/PathData.h"
#include "tests/game/app/DemoGame.h"

#include <QMenuBar>

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace tarnwicktest;

constexpr int kWoods = 6;

class TarnwickFiles : public TarnwickTest {
protected:
    // File > Save As with the name typed in the dialog.
    void SaveAs(const std::string& name)
    {
        prompts.ExpectSaveFile((folder / name).string());
        ASSERT_TRUE(Trigger(frame->FileMenu(), "Save &As"));
    }
    void Open(const fs::path& path)
    {
        prompts.ExpectOpenFile(path.string());
        ASSERT_TRUE(Trigger(frame->FileMenu(), "&Open"));
    }
};

TEST_F(TarnwickFiles, SaveAsThenReopenAndSaveAgainIsIdentical)
{
    OpenDemo("files_identity");
    ClickRow(Sprites()->Tiles(), TileRow(kWoods));
    Click(At(4, 70));
    Key(Qt::Key_Escape);
    SaveAs("Edited");
    EXPECT_EQ(Caption(), "Edited - Tarnwick");
    EXPECT_FALSE(app->Model().IsModified());
    ASSERT_TRUE(fs::exists(folder / "Edited.zri"));
    EXPECT_TRUE(fs::exists(folder / "Edited.csv")); // the scenario's own agency list goes with it
    EXPECT_TRUE(Temporaries(folder).empty());

    Open(folder / "Edited.zri");
    EXPECT_EQ(app->World().GetMap()->GetTileIndex(70, 4), kWoods);
    SaveAs("Again");
    EXPECT_EQ(ReadFile(folder / "Again.zri"), ReadFile(folder / "Edited.zri"));

    // Save writes the current file without asking.
    Click(At(4, 70)); // Idle: nothing to place, nothing changes but the flag
    app->View().SetModified(true);
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Save"));
    EXPECT_FALSE(app->Model().IsModified());
    EXPECT_EQ(ReadFile(folder / "Again.zri"), ReadFile(folder / "Edited.zri"));
}

TEST_F(TarnwickFiles, ADamagedScenarioShowsOneBoxAndChangesNothing)
{
    OpenDemo("files_damaged");
    const std::string demo = ReadFile(folder / "Millbrook.zri");
    ClickRow(Sprites()->Tiles(), TileRow(kWoods));
    Click(At(4, 70));
    Key(Qt::Key_Escape);
    CSpriteManager* sprites = app->World().GetSprites();
    const std::string path = app->Model().GetPathName();
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {{"Empty", ""},
                          {"Head", demo.substr(0, 40)},
                          {"Half", demo.substr(0, demo.size() / 2)},
                          {"Tail", demo.substr(0, demo.size() - 3)},
                          {"Garbage", std::string(3000, '\x7f')}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path broken = folder / (std::string(c.name) + ".zri");
        WriteFile(broken, c.bytes);
        prompts.ExpectMessage("Do you wish to save?", IDNO, "ZR Editor")
            .ExpectOpenFile(broken.string())
            .ExpectMessage("Failed to open file:");
        ASSERT_TRUE(Trigger(frame->FileMenu(), "&Open"));
        EXPECT_NE(prompts.Messages().back().text.find(broken.string()), std::string::npos);
        EXPECT_EQ(Caption(), "Millbrook - Tarnwick");
        EXPECT_EQ(app->Model().GetPathName(), path);
        EXPECT_TRUE(app->Model().IsModified());
        EXPECT_EQ(app->World().GetSprites(), sprites);
        EXPECT_EQ(app->World().GetMap()->GetTileIndex(70, 4), kWoods);
    }
    // A file outside the data folder is refused before it is read.
    const fs::path outside = TempFolder("outside") / "Far.zri";
    fs::copy_file(folder / "Millbrook.zri", outside);
    prompts.ExpectMessage("Do you wish to save?", IDNO, "ZR Editor")
        .ExpectOpenFile(outside.string())
        .ExpectMessage("Scenarios are kept in the data folder");
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Open"));
    EXPECT_EQ(Caption(), "Millbrook - Tarnwick");
    fs::remove_all(outside.parent_path());
}

TEST_F(TarnwickFiles, AnUnwritableTargetShowsOneBoxAndKeepsEverything)
{
    OpenDemo("files_unwritable");
    ClickRow(Sprites()->Tiles(), TileRow(kWoods));
    Click(At(4, 70));
    Key(Qt::Key_Escape);
    fs::create_directory(folder / "Folder.zri");
    fs::create_directory(folder / "Locked");
    // The box says why under its own text.
    struct Case {
        const char* what;
        fs::path target;
        const char* reason;
    };
    std::vector<Case> cases = {{"a folder in its place", folder / "Folder.zri", "A folder of that name is in the way."},
                               {"no such folder", folder / "Gone" / "New.zri", "The folder does not exist."},
                               {"a full disk", folder / "Full.zri", "File too large."}};
    if (geteuid() != 0) // root writes into read-only folders
        cases.push_back({"a read-only folder", folder / "Locked" / "New.zri", "The file or its folder is read-only."});
    fs::permissions(folder / "Locked", fs::perms::owner_read | fs::perms::owner_exec);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t boxes = prompts.Messages().size();
        prompts.ExpectSaveFile(c.target.string());
        prompts.ExpectMessage(" Couldn't save " + c.target.string() + "\n" + c.reason, IDOK, "Save As Failed");
        // A full disk: the file may not grow past 20,000 bytes (and the signal is ignored, so the write fails).
        struct rlimit old {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = old;
        small.rlim_cur = 20000;
        if (std::string(c.what) == "a full disk") {
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        const bool ran = Trigger(frame->FileMenu(), "Save &As");
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        ASSERT_TRUE(ran);
        EXPECT_EQ(prompts.Messages().size(), boxes + 1);
        EXPECT_EQ(Caption(), "Millbrook - Tarnwick");
        EXPECT_EQ(app->Model().GetPathName(), (folder / "Millbrook.zri").string());
        EXPECT_TRUE(app->Model().IsModified());
        EXPECT_FALSE(app->Model().LastSaveOK());
        EXPECT_EQ(app->World().GetMap()->GetTileIndex(70, 4), kWoods);
        EXPECT_TRUE(Temporaries(c.target.parent_path()).empty());
    }
    fs::permissions(folder / "Locked", fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(folder / "Locked"));
    EXPECT_TRUE(fs::is_directory(folder / "Folder.zri"));
    EXPECT_FALSE(fs::exists(folder / "Full.zri"));
}

TEST_F(TarnwickFiles, ClosingAModifiedScenarioAsksFirst)
{
    Start("files_close");
    frame->close(); // unmodified: closes at once
    EXPECT_FALSE(frame->isVisible());
    frame->show();
    ClickRow(Sprites()->Tiles(), TileRow(kWoods));
    Click(At(4, 70));
    ASSERT_TRUE(app->Model().IsModified());
    prompts.ExpectMessage("Do you wish to save?", IDCANCEL, "ZR Editor");
    frame->close();
    EXPECT_TRUE(frame->isVisible());
    // Yes on a scenario without a file asks for one; cancelling that keeps the program open.
    prompts.ExpectMessage("Do you wish to save?", IDYES, "ZR Editor").ExpectSaveFile("");
    ASSERT_TRUE(Trigger(frame->FileMenu(), "E&xit"));
    EXPECT_TRUE(frame->isVisible());
    prompts.ExpectMessage("Do you wish to save?", IDNO, "ZR Editor");
    frame->close();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(Temporaries(folder).empty());
}

TEST_F(TarnwickFiles, OpenAsksFirstWhileTheScenarioIsModified)
{
    OpenDemo("files_open_modified");
    const std::string demo = ReadFile(folder / "Millbrook.zri");
    CMap2DLinked* map = app->World().GetMap();
    const int before = map->GetTileIndex(70, 4);
    ASSERT_NE(before, kWoods);
    auto paint = [&] {
        ClickRow(Sprites()->Tiles(), TileRow(kWoods));
        Click(At(4, 70));
        Key(Qt::Key_Escape);
        ASSERT_TRUE(app->Model().IsModified());
    };
    paint();
    // Cancel: no file is asked for and the edit stays.
    prompts.ExpectMessage("Do you wish to save?", IDCANCEL, "ZR Editor");
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Open"));
    EXPECT_EQ(app->World().GetMap(), map);
    EXPECT_EQ(map->GetTileIndex(70, 4), kWoods);
    EXPECT_TRUE(app->Model().IsModified());
    // No: the file opens as it was saved, the edit gone.
    prompts.ExpectMessage("Do you wish to save?", IDNO, "ZR Editor");
    Open(folder / "Millbrook.zri");
    EXPECT_EQ(app->World().GetMap()->GetTileIndex(70, 4), before);
    EXPECT_FALSE(app->Model().IsModified());
    EXPECT_EQ(ReadFile(folder / "Millbrook.zri"), demo);
    // Yes: the edit is saved first, so the file opens with it.
    paint();
    prompts.ExpectMessage("Do you wish to save?", IDYES, "ZR Editor");
    Open(folder / "Millbrook.zri");
    EXPECT_EQ(app->World().GetMap()->GetTileIndex(70, 4), kWoods);
    EXPECT_FALSE(app->Model().IsModified());
    // A scenario left unmodified opens without a question.
    Open(folder / "Millbrook.zri");
    EXPECT_EQ(prompts.Messages().size(), 3u);
}

// The File commands' keys work right after Open and Save As, with no menu opened in between: a state the menu
// left when it last opened (Save disabled while the scenario had no file) never swallows the shortcut.
TEST_F(TarnwickFiles, TheFileShortcutsWorkRightAfterOpenAndSaveAs)
{
    Start("files_shortcuts");
    prompts.ExpectOpenFile((folder / "Millbrook.zri").string());
    ASSERT_TRUE(PickFromMenu(frame->menuBar(), "&File", "&Open"));
    ASSERT_EQ(Caption(), "Millbrook - Tarnwick");
    const std::string demo = ReadFile(folder / "Millbrook.zri");
    auto paint = [&] {
        ClickRow(Sprites()->Tiles(), TileRow(kWoods));
        Click(At(4, 70));
        Key(Qt::Key_Escape);
        ASSERT_TRUE(app->Model().IsModified());
    };
    const QKeySequence save(Qt::CTRL | Qt::Key_S);
    paint();
    PressKeys(frame, save);
    EXPECT_FALSE(app->Model().IsModified());
    EXPECT_NE(ReadFile(folder / "Millbrook.zri"), demo);

    // Ctrl+Shift+S saves under a new name; after an edit Ctrl+S writes that file.
    prompts.ExpectSaveFile((folder / "Keyed").string());
    PressKeys(frame, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ASSERT_EQ(Caption(), "Keyed - Tarnwick");
    fs::remove(folder / "Keyed.zri");
    app->View().SetModified(true);
    PressKeys(frame, save);
    EXPECT_FALSE(app->Model().IsModified());
    EXPECT_TRUE(fs::exists(folder / "Keyed.zri"));

    // Ctrl+O asks about an unsaved edit first; Ctrl+N stays as disabled as its command.
    paint();
    prompts.ExpectMessage("Do you wish to save?", IDCANCEL, "ZR Editor");
    PressKeys(frame, QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(prompts.Pending(), 0u);
    PressKeys(frame, QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_TRUE(app->Model().IsModified());
    EXPECT_EQ(Caption(), "Keyed - Tarnwick");
}

TEST_F(TarnwickFiles, SpriteRecordsSkippedOnOpenAreToldOnce)
{
    OpenDemo("files_skipped");
    const size_t count = AllSprites().size();
    // Two records the editor cannot place: a squad of a kind outside 1 to 4 and one of a template that does not
    // exist.
    std::vector<CSprite*> squads;
    for (CSprite* s : AllSprites())
        if (s->Kind() == kUnitSprite)
            squads.push_back(s);
    ASSERT_GE(squads.size(), 2u);
    squads[0]->m_Placement.Type = 7;
    squads[1]->m_Placement.Id = 499;
    ASSERT_TRUE(app->Model().SaveAs((folder / "Damaged.zri").string()));

    prompts.ExpectOpenFile((folder / "Damaged.zri").string()).ExpectMessage("2 sprite records of", IDOK, "Tarnwick");
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Open"));
    ASSERT_EQ(prompts.Messages().size(), 1u);
    const std::string text = prompts.Messages()[0].text;
    EXPECT_NE(text.find((folder / "Damaged.zri").string()), std::string::npos) << text;
    EXPECT_NE(text.find("\n1 names a template that does not exist"), std::string::npos) << text;
    EXPECT_NE(text.find("\n1 has a kind outside 1 to 4"), std::string::npos) << text;
    EXPECT_NE(text.find("Saving the scenario leaves them out for good."), std::string::npos) << text;
    EXPECT_EQ(AllSprites().size(), count - 2);
    // The demo itself has none to tell.
    Open(folder / "Millbrook.zri");
    EXPECT_EQ(prompts.Messages().size(), 1u);
    EXPECT_EQ(AllSprites().size(), count);
}

TEST_F(TarnwickFiles, EventsExportRemoveAndImportBack)
{
    OpenDemo("files_events");
    CZREventsData* events = app->World().GetScenario()->m_pEvents;
    ASSERT_NE(events, nullptr);
    const size_t count = events->m_lstEvents.size();
    ASSERT_GT(count, 0u);

    prompts.ExpectSaveFile((folder / "Out").string());
    ASSERT_TRUE(Trigger(frame->FileMenu(), "Export Events (as ZRE)"));
    ASSERT_TRUE(fs::exists(folder / "Out.zre"));
    prompts.ExpectSaveFile((folder / "Out").string());
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Export Events (as text)"));
    EXPECT_NE(ReadFile(folder / "Out.xml").find("<XML>"), std::string::npos);

    prompts.ExpectMessage("This procedure can't be reversed. Proceed?", IDNO, "Remove All Events");
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Remove All Events"));
    EXPECT_EQ(app->World().GetScenario()->m_pEvents->m_lstEvents.size(), count);
    prompts.ExpectMessage("Proceed?", IDYES, "Remove All Events")
        .ExpectMessage("Events were successfully removed.", IDOK, "Tarnwick");
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Remove All Events"));
    EXPECT_TRUE(app->World().GetScenario()->m_pEvents->m_lstEvents.empty());

    prompts.ExpectOpenFile((folder / "Out.zre").string()).ExpectMessage("Import OK", IDOK, "Tarnwick");
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Import Events"));
    EXPECT_EQ(app->World().GetScenario()->m_pEvents->m_lstEvents.size(), count);

    WriteFile(folder / "Bad.zre", "not an archive");
    app->View().SetModified(false);
    prompts.ExpectOpenFile((folder / "Bad.zre").string())
        .ExpectMessage("Could not import " + (folder / "Bad.zre").string(), IDOK, "Import Failed");
    ASSERT_TRUE(Trigger(frame->FileMenu(), "&Import Events"));
    EXPECT_FALSE(app->Model().IsModified());
    EXPECT_EQ(app->World().GetScenario()->m_pEvents->m_lstEvents.size(), count);
}

TEST_F(TarnwickFiles, AScenarioEditedInTheWindowsPlaysInTheGame)
{
    OpenDemo("files_end_to_end");
    ClickRow(Sprites()->Tiles(), TileRow(kWoods));
    Drag(At(2, 70), At(3, 70));
    Key(Qt::Key_Escape);
    ClickButton(Control<QAbstractButton>(1012));
    Click(At(5, 70));
    ClickButton(Control<QAbstractButton>(1012));
    ClickRow(Sprites()->Units(), 0);
    Click(At(3, 71));
    Key(Qt::Key_Escape);
    CSprite* placed = SpriteAt(kUnitSprite, 3, 71);
    ASSERT_NE(placed, nullptr);
    const int id = placed->m_Placement.ServiceId;
    const int x = placed->m_Placement.WorldX, y = placed->m_Placement.WorldY;
    SaveAs("Edited");
    fs::copy_file(folder / "Millbrook.zra", folder / "Edited.zra");
    app.reset();

    QFClassFactory::Instance().Register("CPathData", &::CPathData::CreateObject);
    // The game finds its sounds under the current folder, as when started in its data folder.
    const fs::path before = fs::current_path();
    fs::current_path(folder);
    struct Back {
        fs::path path;
        ~Back() { fs::current_path(path); }
    } back{before};
    demo_game::CDemoGame run(folder);
    ASSERT_TRUE(run.LoadScenario("Edited.zri"));
    CGame& game = run.Game();
    EXPECT_EQ(game.m_pMap->GetTileIndex(70, 2), kWoods);
    EXPECT_EQ(game.m_pMap->GetTileIndex(70, 3), kWoods);
    EXPECT_TRUE(game.m_pPathData->GetCell(70, 5)->IsSubTile());
    for (int step = 0; step < 30 * 10; ++step)
        run.Step();
    const CSquad* squad = nullptr;
    for (const CSquad* s : game.m_pSquadGame->Scenario()->Units())
        if (s->m_pSprite && s->m_pSprite->m_Placement.ServiceId == id && s->AgencyKind() == 0)
            squad = s;
    ASSERT_NE(squad, nullptr);
    EXPECT_EQ(static_cast<int>(squad->m_fX), x);
    EXPECT_EQ(static_cast<int>(squad->m_fY), y);
    EXPECT_GE(game.m_pRuntime->GetCurrentTime(), 940);
    tacmap::RegisterTarnwickClasses();
}

} // namespace
