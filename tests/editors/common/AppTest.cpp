// Tests of the application object: start folder, start-up and exit around the event loop, the core's boxes as
// prompts while it lives, the beep hook and the wait cursor.
#include "editors/common/ScriptedPrompts.h"
#include "editors/common/ui/EditorApp.h"

#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class CSampleApp : public CEditorApp {
public:
    CSampleApp() : CEditorApp("Tarnwick") {}
    bool m_bStart = true;
    std::vector<std::string> m_log;
    QWidget m_window;

    bool InitInstance() override
    {
        m_log.push_back("init");
        if (!m_bStart)
            return false;
        m_pMainWnd = &m_window;
        m_window.show();
        // The user closes the main window.
        QTimer::singleShot(0, &m_window, [this] { m_window.close(); });
        return true;
    }
    int ExitInstance() override
    {
        m_log.push_back("exit");
        return 3;
    }
};

TEST(EditorUiApp, RunsStartUpTheEventLoopAndExit)
{
    {
        CSampleApp app;
        EXPECT_EQ(CEditorApp::GetApp(), &app);
        EXPECT_EQ(app.GetAppName(), "Tarnwick");
        EXPECT_EQ(app.GetStartFolder(), platform::CurrentFolder());
        EXPECT_EQ(app.Run(), 3);
        EXPECT_EQ(app.m_log, (std::vector<std::string>{"init", "exit"}));
        EXPECT_FALSE(app.m_window.isVisible());
    }
    EXPECT_EQ(CEditorApp::GetApp(), nullptr);
    CSampleApp refused;
    refused.m_bStart = false;
    EXPECT_EQ(refused.Run(), 3); // no event loop after a failed start-up
    EXPECT_EQ(refused.m_log, (std::vector<std::string>{"init", "exit"}));
}

TEST(EditorUiApp, CoreBoxesGoToThePromptsWhileTheAppLives)
{
    CScriptedPrompts prompts;
    prompts.ExpectMessage("Failed to open the game info file.", IDOK, "Vellisk");
    platform::SetMessageEcho(false);
    {
        CEditorApp app("Vellisk");
        platform::ShowMessageBox("Failed to open the game info file.", "Vellisk", platform::MessageIcon::Error);
    }
    // Afterwards the boxes go where they went before (here the test main's prompts, then these scripted ones).
    prompts.ExpectMessage("after");
    platform::ShowMessageBox("after", "x");
    platform::SetMessageEcho(true);
    EXPECT_EQ(prompts.Messages().size(), 2u);
}

TEST(EditorUiApp, BeepHookAndWaitCursor)
{
    int beeps = 0;
    auto old = SetBeepHook([&] { ++beeps; });
    MessageBeep();
    MessageBeep();
    EXPECT_EQ(beeps, 2);
    SetBeepHook(old);
    {
        CWaitCursor wait;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

} // namespace
