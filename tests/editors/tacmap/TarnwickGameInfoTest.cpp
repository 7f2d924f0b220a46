// Tarnwick's window over a "GameInfo.txt" it cannot use: File > Open refuses it in a real message box that names
// the file, and the frame keeps what it had.
#include "TarnwickFixture.h"

#include "editors/common/ui/Prompts.h"

#include <QMessageBox>

namespace tarnwicktest {
namespace {

TEST_F(TarnwickTest, AGarbageGameInfoIsRefusedInABoxNamingIt)
{
    Start("garbage_gameinfo");
    WriteFile(folder / "GameInfo.txt", std::string("\x7f\x45LF\x02\x01\x01\0\0\0garbage", 17));
    const std::string caption = Caption();
    CQtPromptService qt;
    CPromptService* previous = SetPromptService(&qt);
    CModalAnswers answers;
    std::string shown;
    answers.Then([&shown](QDialog& d) {
        shown = FromQString(static_cast<QMessageBox&>(d).text());
        const fs::path out(ZR_TARNWICK_OUTPUT);
        fs::create_directories(out);
        EXPECT_TRUE(d.grab().save(QString::fromStdString((out / "Box-GameInfoRefused.png").string())));
        d.accept();
    });
    EXPECT_FALSE(app->Model().Open((folder / "Millbrook.zri").string()));
    SetPromptService(previous);
    EXPECT_EQ(answers.Answered().size(), 1u);
    EXPECT_EQ(shown, "GameInfo.txt is not a text file");
    EXPECT_EQ(Caption(), caption);
    EXPECT_EQ(app->Model().GetFileTitle(), "");
}

} // namespace
} // namespace tarnwicktest
