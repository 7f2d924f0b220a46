// Tests of the window-test support: unexpected modal dialogs, dialogs left open, unanswered dialogs and
// unscripted prompts fail the test instead of hanging it.
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"

#include <QEventLoop>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

TEST(EditorUiSupport, UnexpectedModalDialogFailsAndIsClosed)
{
    QDialog dialog;
    dialog.setWindowTitle("Surprise");
    int result = -1;
    EXPECT_NONFATAL_FAILURE(result = dialog.exec(), "\"Surprise\" was not expected");
    EXPECT_EQ(result, QDialog::Rejected);
}

TEST(EditorUiSupport, DialogLeftOpenAfterTheLastAnswerFailsAndIsClosed)
{
    QDialog dialog;
    dialog.setWindowTitle("Sticky");
    EXPECT_NONFATAL_FAILURE(
        {
            CModalAnswers answers;
            answers.Then([](QDialog&) {});
            dialog.exec();
        },
        "stayed open after the last answer");
}

TEST(EditorUiSupport, AnswerThatNeverEndsIsCutShort)
{
    QDialog dialog;
    dialog.setWindowTitle("Slow");
    CModalAnswers::SetTimeout(50);
    EXPECT_NONFATAL_FAILURE(
        {
            CModalAnswers answers;
            answers.Then([](QDialog& d) {
                // Waits for something that only the dialog's end brings.
                QEventLoop loop;
                QObject::connect(&d, &QDialog::finished, &loop, &QEventLoop::quit);
                loop.exec();
            });
            dialog.exec();
        },
        "was not answered in time");
    CModalAnswers::SetTimeout(10000);
}

TEST(EditorUiSupport, UnusedAnswersAndScriptsFail)
{
    EXPECT_NONFATAL_FAILURE(
        {
            CModalAnswers answers;
            answers.Accept();
        },
        "never used");
    EXPECT_NONFATAL_FAILURE(
        {
            CScriptedPrompts prompts;
            prompts.ExpectMessage("Import OK");
        },
        "never asked");
}

TEST(EditorUiSupport, UnscriptedPromptsFailWithTheAnswerThatChangesNothing)
{
    CScriptedPrompts prompts;
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = Prompts().MessageBox("Do you wish to save?", "ZR Editor",
                                                          EPromptButtons::YesNoCancel, EPromptIcon::Question),
                            "unscripted message box");
    EXPECT_EQ(answer, IDCANCEL);
    EXPECT_NONFATAL_FAILURE(
        answer = Prompts().MessageBox("Proceed?", "Remove All Events", EPromptButtons::YesNo, EPromptIcon::Exclamation),
        "unscripted");
    EXPECT_EQ(answer, IDNO);
    std::string path = "kept";
    bool chosen = true;
    EXPECT_NONFATAL_FAILURE(chosen = Prompts().OpenFile(FileChoice{}, &path), "unscripted open-file");
    EXPECT_FALSE(chosen);
    EXPECT_EQ(path, "kept");
    prompts.ExpectOpenFile("/x.zri");
    EXPECT_NONFATAL_FAILURE(Prompts().MessageBox("x", "y", EPromptButtons::Ok, EPromptIcon::None),
                            "expected a open-file choice");
    ASSERT_TRUE(Prompts().OpenFile(FileChoice{}, &path));
    prompts.ExpectMessage("Import OK", IDOK, "Tarnwick");
    EXPECT_NONFATAL_FAILURE(Prompts().MessageBox("Import OK", "Ostrel", EPromptButtons::Ok, EPromptIcon::None),
                            "is not the scripted");
    prompts.AllowPlainMessages(true);
    EXPECT_EQ(Prompts().MessageBox("Import OK", "Tarnwick", EPromptButtons::Ok, EPromptIcon::None), IDOK);
    EXPECT_EQ(prompts.Messages().size(), 5u);
}

} // namespace
