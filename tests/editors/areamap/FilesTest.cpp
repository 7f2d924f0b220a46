// Tests of Vellisk's file commands: Save As with its bitmap, identity of saved files, failed saves and opens
// that change nothing, New from a bitmap, and the save prompts.
#include "platform/system/FileLayer.h"
#include "tests/editors/areamap/VelliskModelFixture.h"
#include "tests/support/SafeWriteCheck.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using namespace vellisk;
using namespace areamaptest;
using Answer = IVelliskPrompts::Answer;

namespace {

// The ".zra" bytes with the stored bitmap name (a 32-bit length, then the characters) replaced.
std::string WithBitmapName(std::string bytes, const std::string& from, const std::string& to)
{
    auto field = [](const std::string& name) {
        std::string out(4, '\0');
        out[0] = static_cast<char>(name.size());
        return out + name;
    };
    size_t at = bytes.find(field(from));
    if (at != std::string::npos)
        bytes.replace(at, from.size() + 4, field(to));
    return bytes;
}

std::vector<std::string> Leftovers(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.path().filename().string().find(".tmp") != std::string::npos)
            out.push_back(e.path().string());
    return out;
}

class VelliskModelFiles : public VelliskModelFixture {};

} // namespace

TEST_F(VelliskModelFiles, SaveAsCopiesTheBitmapAndSavedFilesKeepTheirBytes)
{
    ASSERT_TRUE(OpenDemo());
    EXPECT_EQ(app->FileTitle(), "Millbrook");
    EXPECT_TRUE(app->CanSaveAs());
    EXPECT_FALSE(app->CanSave());
    platform::CRecordingFileLayer layer;
    {
        platform::CFileLayerScope scope(layer);
        ASSERT_TRUE(app->SaveAs(folder + "/Edited.zra", prompts));
    }
    // Both are on the disk before they take their names, and the bitmap takes its name before the area map that
    // names it: a crash between the two leaves no area map without its picture.
    const std::vector<std::string> calls = layer.Calls();
    EXPECT_TRUE(fixtures::WroteSafely(calls, folder + "/Maps/Edited.bmp"));
    EXPECT_TRUE(fixtures::WroteSafely(calls, folder + "/Edited.zra"));
    auto renamed = [&](const std::string& target) {
        for (size_t i = 0; i < calls.size(); ++i)
            if (calls[i].rfind("rename ", 0) == 0 && calls[i].size() > target.size() &&
                calls[i].compare(calls[i].size() - target.size() - 1, std::string::npos, " " + target) == 0)
                return i;
        return calls.size();
    };
    EXPECT_LT(renamed(folder + "/Maps/Edited.bmp"), renamed(folder + "/Edited.zra"));
    EXPECT_LT(renamed(folder + "/Edited.zra"), calls.size());
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(app->FileTitle(), "Edited");
    EXPECT_EQ(app->PathName(), folder + "/Edited.zra");
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Edited.bmp");
    EXPECT_EQ(dir.Read("data/Maps/Edited.bmp"), dir.Read("data/Maps/Millbrook_Area.bmp"));
    EXPECT_EQ(dir.Read("data/Edited.zra"),
              WithBitmapName(dir.Read("data/Millbrook.zra"), "Millbrook_Area.bmp", "Edited.bmp"));

    // Reopened and saved onto its own name: the same bytes, the bitmap left whole.
    const std::string saved = dir.Read("data/Edited.zra");
    ASSERT_TRUE(app->Open(folder + "/Edited.zra", prompts));
    ASSERT_TRUE(app->SaveAs(folder + "/Edited.zra", prompts));
    EXPECT_EQ(dir.Read("data/Edited.zra"), saved);
    EXPECT_EQ(dir.Read("data/Maps/Edited.bmp"), dir.Read("data/Maps/Millbrook_Area.bmp"));
    // Upper case keeps its extension in the bitmap name.
    ASSERT_TRUE(app->SaveAs(folder + "/TOWN.ZRA", prompts));
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "TOWN.ZRA.bmp");
    EXPECT_TRUE(fs::exists(dir.File("data/Maps/TOWN.ZRA.bmp")));
    EXPECT_TRUE(Leftovers(folder).empty());
}

TEST_F(VelliskModelFiles, AFailedSaveAsChangesNothingAndLeavesNoCopy)
{
    ASSERT_TRUE(OpenDemo());
    view->OnRButtonDown(0, 110, 236); // an edit: the EMS station goes
    ASSERT_TRUE(app->IsModified());
    fs::create_directories(dir.File("data/Folder.zra"));
    std::vector<std::string> targets = {folder + "/Folder.zra", folder + "/Full.zra"};
    if (geteuid() != 0) {
        fs::create_directories(dir.File("data/locked"));
        fs::permissions(dir.File("data/locked"), fs::perms::owner_read | fs::perms::owner_exec);
        targets.push_back(folder + "/locked/X.zra");
    }
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        prompts.messages.clear();
        rlimit saved{};
        void (*oldHandler)(int) = SIG_DFL;
        const bool full = target.find("Full") != std::string::npos;
        if (full) {
            oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &saved);
            rlimit lower = saved;
            lower.rlim_cur = 1000;
            setrlimit(RLIMIT_FSIZE, &lower);
        }
        EXPECT_FALSE(app->SaveAs(target, prompts));
        if (full) {
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
        }
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].caption, "Save As Failed");
        // The reason known takes the place of the fixed guess.
        const std::string reason = full ? "File too large."
                                   : target.find("Folder") != std::string::npos
                                       ? "A folder of that name is in the way."
                                       : "The file or its folder is read-only.";
        EXPECT_EQ(prompts.messages[0].text, " Couldn't save " + target + ".\n" + reason);
        EXPECT_EQ(app->FileTitle(), "Millbrook");
        EXPECT_EQ(app->PathName(), folder + "/Millbrook.zra");
        EXPECT_STREQ(app->Document()->m_szMapBitmap, "Millbrook_Area.bmp");
        EXPECT_TRUE(app->IsModified());
        EXPECT_FALSE(fs::exists(dir.File("data/Maps/Folder.bmp")));
        EXPECT_FALSE(fs::exists(dir.File("data/Maps/Full.bmp")));
        EXPECT_FALSE(fs::exists(dir.File("data/Full.zra")));
        EXPECT_TRUE(Leftovers(folder).empty());
    }
    if (geteuid() != 0)
        fs::permissions(dir.File("data/locked"), fs::perms::owner_all);
}

// A Save As that fails once the bitmap is in place and before the area map is: the old area map of that name is
// whole and still opens, a picture new under its name goes again, and the document keeps its names.
TEST_F(VelliskModelFiles, ASaveAsFailingBetweenTheBitmapAndTheAreaMapKeepsTheOldAreaMap)
{
    ASSERT_TRUE(OpenDemo());
    // Another map under the name Taken: its area map and picture.
    const std::string taken =
        dir.Write("data/Taken.zra", WithBitmapName(dir.Read("data/Millbrook.zra"), "Millbrook_Area.bmp", "Taken.bmp"));
    const std::string takenBytes = dir.Read("data/Taken.zra");
    fs::copy_file(dir.File("data/Maps/Millbrook_Area.bmp"), dir.File("data/Maps/Taken.bmp"));
    view->OnRButtonDown(0, 110, 236); // an edit
    struct Case {
        const char* target;
        const char* refused; // the rename that fails
    };
    const Case cases[] = {
        {"Taken.zra", "rename %s/Taken.zra.~"},      // the other map's picture replaced (after Yes) stays
        {"Fresh.zra", "rename %s/Fresh.zra.~"},      // a new picture goes again
        {"Fresh.zra", "rename %s/Maps/Fresh.bmp.~"}, // the bitmap itself
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.target) + " " + c.refused);
        prompts.messages.clear();
        prompts.answers = {Answer::Yes};
        char refused[600];
        std::snprintf(refused, sizeof(refused), c.refused, folder.c_str());
        platform::CRecordingFileLayer layer;
        layer.FailCallsStartingWith(refused);
        {
            platform::CFileLayerScope scope(layer);
            EXPECT_FALSE(app->SaveAs(folder + "/" + c.target, prompts));
        }
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, " Couldn't save " + folder + "/" + c.target + ".\nInput/output error.");
        EXPECT_EQ(app->PathName(), folder + "/Millbrook.zra");
        EXPECT_STREQ(app->Document()->m_szMapBitmap, "Millbrook_Area.bmp");
        EXPECT_TRUE(app->IsModified());
        EXPECT_FALSE(fs::exists(dir.File("data/Fresh.zra")));
        EXPECT_FALSE(fs::exists(dir.File("data/Maps/Fresh.bmp")));
        EXPECT_TRUE(Leftovers(folder).empty());
    }
    EXPECT_EQ(dir.Read("data/Taken.zra"), takenBytes);
    prompts.messages.clear();
    EXPECT_TRUE(app->Open(taken, prompts));
    EXPECT_TRUE(prompts.messages.empty());
}

// Save's failure box says why in place of the fixed guess; with no reason known the guess stays.
TEST_F(VelliskModelFiles, TheSaveFailureSaysWhyInPlaceOfTheGuess)
{
    ASSERT_TRUE(OpenDemo());
    view->OnRButtonDown(0, 110, 236);
    platform::CRecordingFileLayer layer;
    layer.FailCallsStartingWith("sync " + folder + "/Millbrook.zra.~");
    {
        platform::CFileLayerScope scope(layer);
        EXPECT_FALSE(app->Save(prompts));
    }
    // A name too long for the bitmap name says nothing about the disk.
    EXPECT_FALSE(app->SaveAs(folder + "/" + std::string(256, 'n') + ".zra", prompts));
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messages[0].text, " Couldn't save " + folder + "/Millbrook.zra.\nInput/output error.");
    EXPECT_EQ(prompts.messages[1].text,
              " Couldn't save " + folder + "/" + std::string(256, 'n') + ".zra.\nIs the file read only?");
    EXPECT_TRUE(app->IsModified());
}

TEST_F(VelliskModelFiles, AFailedOpenKeepsTheDocument)
{
    ASSERT_TRUE(OpenDemo());
    vellisk::CAreaMapData* before = app->Document();
    const std::string good = dir.Read("data/Millbrook.zra");
    for (const std::string& bytes : {std::string(300, 'z'), good.substr(0, good.size() / 3)}) {
        prompts.messages.clear();
        std::string path = dir.Write("data/Bad.zra", bytes);
        EXPECT_FALSE(app->Open(path, prompts));
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].caption, "Failed to open file");
        // In a designer's words, naming the file; the archive's own words go to the debugger output.
        EXPECT_EQ(prompts.messages[0].text,
                  "Failed to open file:\n" + path + "\n\nIt is not an area map, or it is damaged.");
        EXPECT_EQ(app->Document(), before);
        EXPECT_EQ(app->FileTitle(), "Millbrook");
        EXPECT_EQ(Stations().size(), 5u);
    }
}

// A stored bitmap name with a folder or ".." in it would be followed out of Maps: the file is refused on open, as
// the game refuses it.
TEST_F(VelliskModelFiles, ABitmapNameThatIsNotAPlainFileNameIsRefusedOnOpen)
{
    ASSERT_TRUE(OpenDemo());
    vellisk::CAreaMapData* before = app->Document();
    fs::create_directories(dir.File("data/Maps/Sub"));
    fs::copy_file(dir.File("data/Maps/Millbrook_Area.bmp"), dir.File("data/Maps/Sub/Area.bmp"));
    fs::copy_file(dir.File("data/Maps/Millbrook_Area.bmp"), dir.File("data/Area.bmp"));
    const std::string good = dir.Read("data/Millbrook.zra");
    for (const std::string name : {"../Area.bmp", "Sub/Area.bmp", "Sub\\Area.bmp"}) {
        SCOPED_TRACE(name);
        prompts.messages.clear();
        const std::string path = dir.Write("data/Odd.zra", WithBitmapName(good, "Millbrook_Area.bmp", name));
        ASSERT_NE(dir.Read("data/Odd.zra"), good);
        EXPECT_FALSE(app->Open(path, prompts));
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].caption, "Failed to open file");
        EXPECT_NE(
            prompts.messages[0].text.find(path + "\n\nIts map bitmap name \"" + name + "\" is not a plain file name."),
            std::string::npos)
            << prompts.messages[0].text;
        EXPECT_EQ(app->Document(), before);
        EXPECT_EQ(app->FileTitle(), "Millbrook");
    }
}

TEST_F(VelliskModelFiles, NewFromABitmapSavesItUnderItsNameAndAsksBeforeReplacing)
{
    fs::copy_file(dir.File("data/Maps/Millbrook_Area.bmp"), dir.File("data/Maps/Town.bmp"));
    const std::string bitmap = folder + "/Maps/Town.bmp";
    EXPECT_FALSE(app->NewFromBitmap("", prompts)); // cancelled: nothing
    ASSERT_TRUE(app->NewFromBitmap(bitmap, prompts));
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(app->FileTitle(), "Town");
    EXPECT_EQ(app->PathName(), folder + "/TOWN.ZRA");
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Town.bmp");
    EXPECT_TRUE(fs::exists(dir.File("data/TOWN.ZRA")));
    EXPECT_FALSE(app->IsModified());
    ASSERT_EQ(Stations().size(), 1u);

    const std::string written = dir.Read("data/TOWN.ZRA");
    host.selected = Template("Millbrook Police Station");
    Click(100, 100);
    prompts.answers = {Answer::No};
    ASSERT_TRUE(app->NewFromBitmap(bitmap, prompts));
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(prompts.questions[0].text.find("TOWN.ZRA already exists"), std::string::npos);
    EXPECT_EQ(dir.Read("data/TOWN.ZRA"), written);
    EXPECT_EQ(app->FileTitle(), ""); // unsaved: Save asks for a name
    prompts.answers = {Answer::Yes};
    ASSERT_TRUE(app->NewFromBitmap(bitmap, prompts));
    EXPECT_EQ(app->FileTitle(), "Town");
}

TEST_F(VelliskModelFiles, SavePromptsBeforeNewAndClosing)
{
    ASSERT_TRUE(OpenDemo());
    EXPECT_TRUE(app->AskSaveBeforeNew(prompts)); // unmodified: no question
    EXPECT_TRUE(app->CanClose(prompts));
    view->OnRButtonDown(0, 110, 236);
    ASSERT_TRUE(app->CanSave());
    prompts.answers = {Answer::Cancel, Answer::No, Answer::Cancel};
    EXPECT_FALSE(app->AskSaveBeforeNew(prompts));
    EXPECT_TRUE(app->AskSaveBeforeNew(prompts));
    EXPECT_FALSE(app->CanClose(prompts));
    EXPECT_EQ(prompts.questions[2].caption, "Save Before Closing?");
    const std::string before = dir.Read("data/Millbrook.zra");
    prompts.answers = {Answer::Yes};
    EXPECT_TRUE(app->CanClose(prompts));
    EXPECT_NE(dir.Read("data/Millbrook.zra"), before);
    EXPECT_FALSE(app->IsModified());

    // An untitled map asks for a name; cancelling it keeps the program open.
    CVelliskApp fresh(folder);
    fresh.Document()->m_bModified = true;
    prompts.answers = {Answer::Yes};
    EXPECT_FALSE(fresh.CanClose(prompts));
    EXPECT_EQ(prompts.questions.back().caption, "Save Before Closing?");
}
