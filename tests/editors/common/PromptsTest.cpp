// Tests of the prompt service: filter strings, default extensions and the save rules, the Qt dialogs answered
// through their real modal loops (filters ignore letter case), and the core's boxes shown as prompts.
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"
#include "editors/common/ui/Prompts.h"

#include "platform/system/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

std::string Folder()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    fs::path dir = fs::absolute(fs::path("fx_") += std::string(info->test_suite_name()) + "_" + info->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir.string();
}

void Touch(const std::string& path)
{
    std::ofstream(path) << "x";
}

TEST(EditorUiPrompts, FilterStringsAndDefaultExtensions)
{
    const auto filters = ParseFileFilter("ZR Events Files (*.ZRE)|*.ZRE|All Files (*.*)|*.*||");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, "ZR Events Files (*.ZRE)");
    EXPECT_EQ(filters[0].patterns, std::vector<std::string>{"*.ZRE"});
    EXPECT_TRUE(MatchesFilter("/data/Millbrook.zre", filters[0]));
    EXPECT_TRUE(MatchesFilter("FLOOD.ZRE", filters[0]));
    EXPECT_FALSE(MatchesFilter("Millbrook.zri", filters[0]));
    EXPECT_FALSE(MatchesFilter("zre", filters[0]));
    EXPECT_TRUE(MatchesFilter("README", filters[1])); // "*.*" is every file
    const auto two = ParseFileFilter("Pictures (*.bmp;*.gif)|*.bmp; *.gif||");
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0].patterns, (std::vector<std::string>{"*.bmp", "*.gif"}));

    struct Case {
        const char* path;
        const char* ext;
        const char* expected;
    };
    const Case cases[] = {
        {"/d/Edited", "zre", "/d/Edited.zre"}, {"/d/Edited.zri", "zre", "/d/Edited.zri"},
        {"/a.b/c", "zri", "/a.b/c.zri"},       {"Town", "", "Town"},
        {"TOWN.ZRA", "zra", "TOWN.ZRA"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WithDefaultExtension(c.path, c.ext), c.expected) << c.path;

    std::string folder, name;
    SplitInitialName("C:\\data\\*.zre", &folder, &name);
    EXPECT_EQ(folder, "C:/data");
    EXPECT_EQ(name, "*.zre");
    SplitInitialName("*.zri", &folder, &name);
    EXPECT_EQ(folder, "");
    EXPECT_EQ(name, "*.zri");
}

TEST(EditorUiPrompts, SaveAddsTheExtensionAndAsksBeforeReplacing)
{
    const std::string dir = Folder();
    Touch(dir + "/Old.zre");
    fs::create_directories(dir + "/Folder.zre");
    FileChoice choice;
    choice.defaultExt = "zre";
    choice.filter = "ZR Events Files (*.ZRE)|*.ZRE|All Files (*.*)|*.*||";
    CScriptedPrompts prompts;
    prompts.ExpectSaveFile(dir + "/Edited")
        .ExpectSaveFile(dir + "/Old")
        .ExpectMessage("Old.zre already exists.\nDo you want to replace it?", IDNO)
        .ExpectSaveFile(dir + "/Old.zre")
        .ExpectMessage("already exists", IDYES)
        .ExpectSaveFile(dir + "/Folder.zre") // a folder: handed back for the caller's own failure message
        .ExpectSaveFile("");
    std::string path;
    ASSERT_TRUE(Prompts().SaveFile(choice, &path));
    EXPECT_EQ(path, dir + "/Edited.zre");
    ASSERT_TRUE(Prompts().SaveFile(choice, &path));
    EXPECT_EQ(path, dir + "/Old.zre");
    ASSERT_TRUE(Prompts().SaveFile(choice, &path));
    EXPECT_EQ(path, dir + "/Folder.zre");
    path = "unchanged";
    EXPECT_FALSE(Prompts().SaveFile(choice, &path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_EQ(prompts.Log()[0].choice.defaultExt, "zre");
}

TEST(EditorUiPrompts, QtMessageBoxAnswersAndShowsPlainText)
{
    CQtPromptService qt;
    CModalAnswers answers;
    answers
        .Then([](QDialog& d) {
            auto& box = static_cast<QMessageBox&>(d);
            EXPECT_EQ(box.text(), "Do you wish to save?\n<b>plain</b> \xE2\x82\xAC");
            EXPECT_EQ(box.windowTitle(), "ZR Editor");
            EXPECT_EQ(box.icon(), QMessageBox::Question);
            EXPECT_EQ(box.textFormat(), Qt::PlainText);
            box.button(QMessageBox::No)->click();
        })
        .Then([](QDialog& d) { d.reject(); }) // Escape / close box
        .Then([](QDialog& d) { static_cast<QMessageBox&>(d).button(QMessageBox::Yes)->click(); })
        .Then([](QDialog& d) { d.reject(); });
    EXPECT_EQ(qt.MessageBox("Do you wish to save?\n<b>plain</b> \x80", "ZR Editor", EPromptButtons::YesNoCancel,
                            EPromptIcon::Question),
              IDNO);
    EXPECT_EQ(qt.MessageBox("q", "c", EPromptButtons::YesNoCancel, EPromptIcon::Question), IDCANCEL);
    EXPECT_EQ(qt.MessageBox("q", "c", EPromptButtons::YesNo, EPromptIcon::Exclamation), IDYES);
    EXPECT_EQ(qt.MessageBox("q", "c", EPromptButtons::YesNo, EPromptIcon::Exclamation), IDNO);
}

// The names the dialog lists in its folder, once the folder is read.
QStringList ListedNames(QFileDialog& dialog)
{
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* view = dialog.findChild<QListView*>("listView");
    if (!model || !view)
        return {};
    const QModelIndex folder = model->index(dialog.directory().absolutePath());
    if (model->rowCount(folder) == 0) {
        QSignalSpy loaded(model, &QFileSystemModel::directoryLoaded);
        loaded.wait(5000);
    }
    QStringList names;
    for (int i = 0; i < view->model()->rowCount(view->rootIndex()); ++i)
        names << view->model()->index(i, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

// Types a name into the dialog's file-name box and presses its OK.
void Choose(QDialog& dialog, const QString& name)
{
    auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
    dialog.accept();
}

TEST(EditorUiPrompts, QtFileDialogsFilterIgnoringCaseAndGiveFullPaths)
{
    const std::string dir = Folder();
    Touch(dir + "/lower.zre");
    Touch(dir + "/UPPER.ZRE");
    Touch(dir + "/other.txt");
    fs::create_directories(dir + "/Maps");
    const QString qdir = QString::fromStdString(dir);
    CQtPromptService qt;
    FileChoice choice;
    choice.defaultExt = "ZRE";
    choice.initialName = dir + "/*.zre";
    choice.filter = "ZR Events Files (*.ZRE)|*.ZRE|All Files (*.*)|*.*||";

    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        EXPECT_EQ(dialog.directory().absolutePath(), qdir);
        EXPECT_EQ(dialog.nameFilters(), (QStringList{"ZR Events Files (*.ZRE)", "All Files (*)"}));
        EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(ListedNames(dialog), (QStringList{"Maps", "UPPER.ZRE", "lower.zre"}));
        Choose(d, "lower.zre");
    });
    std::string path;
    ASSERT_TRUE(qt.OpenFile(choice, &path));
    EXPECT_EQ(path, dir + "/lower.zre");

    // Save: a new name gets the extension; an existing one is replaced only after Yes.
    answers
        .Then([&](QDialog& d) {
            auto& dialog = static_cast<QFileDialog&>(d);
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
            Choose(d, "Edited");
        })
        .Then([&](QDialog& d) { Choose(d, "UPPER"); })
        .Then([](QDialog& d) {
            auto& box = static_cast<QMessageBox&>(d);
            EXPECT_EQ(box.text(), "UPPER.ZRE already exists.\nDo you want to replace it?");
            box.button(QMessageBox::Yes)->click();
        })
        .Then([&](QDialog& d) {
            EXPECT_EQ(static_cast<QFileDialog&>(d).fileMode(), QFileDialog::Directory);
            Choose(d, "Maps");
        });
    ASSERT_TRUE(qt.SaveFile(choice, &path));
    EXPECT_EQ(path, dir + "/Edited.ZRE");
    ASSERT_TRUE(qt.SaveFile(choice, &path));
    EXPECT_EQ(path, dir + "/UPPER.ZRE");
    ASSERT_TRUE(qt.ChooseFolder("Browse to ESRI data directory", dir, nullptr, &path));
    EXPECT_EQ(path, dir + "/Maps");

    answers.Reject();
    EXPECT_FALSE(qt.OpenFile(choice, &path));
}

TEST(EditorUiPrompts, CoreMessageBoxesAreShownAsPrompts)
{
    platform::SetMessageEcho(false);
    {
        CScriptedPrompts prompts;
        prompts.ExpectMessage("Failed to open file:", IDOK, "Tarnwick");
        platform::ShowMessageBox("Failed to open file:\n/data/x.zri", "Tarnwick", platform::MessageIcon::Warning);
        ASSERT_EQ(prompts.Messages().size(), 1u);
        EXPECT_EQ(prompts.Messages()[0].icon, EPromptIcon::Exclamation);
    }
    {
        // With the Qt service the box is a real QMessageBox.
        CQtPromptService qt;
        CPromptService* previous = SetPromptService(&qt);
        CModalAnswers answers;
        answers.Then([](QDialog& d) {
            EXPECT_EQ(static_cast<QMessageBox&>(d).text(), "Couldn't open MSS.");
            d.accept();
        });
        platform::ShowMessageBox("Couldn't open MSS.", "ZR", platform::MessageIcon::Error);
        SetPromptService(previous);
        EXPECT_EQ(answers.Answered().size(), 1u);
    }
    platform::SetMessageEcho(true);
}

} // namespace
