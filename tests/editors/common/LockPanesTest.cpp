// Tests of the lock-key panes: where they stand on the status bar, and what they show as the lock keys are pressed
// (offscreen there are no lock lights to read, so the keys pressed here are what counts).
#include "editors/common/ui/LockPanes.h"

#include "editors/common/ui/Frame.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

std::string Shown(const CLockPanes& panes)
{
    std::string out;
    for (auto lock : {CLockPanes::kCapsLock, CLockPanes::kNumLock, CLockPanes::kScrollLock})
        out += "[" + panes.GetPane(lock)->text().toStdString() + "]";
    return out;
}

TEST(EditorUiLockPanes, TheyFollowTheTextPanesAtTheRightEnd)
{
    QMainWindow frame;
    CStatusPanes text(frame.statusBar(), {0, 300});
    auto* panes = new CLockPanes(frame.statusBar());
    EXPECT_EQ(CLockPanes::Find(frame.statusBar()), panes);
    frame.resize(900, 300);
    frame.show();
    QApplication::processEvents();
    const int textRight = text.GetPane(1)->geometry().right();
    int left = textRight;
    for (auto lock : {CLockPanes::kCapsLock, CLockPanes::kNumLock, CLockPanes::kScrollLock}) {
        QLabel* pane = panes->GetPane(lock);
        ASSERT_NE(pane, nullptr);
        EXPECT_TRUE(pane->isVisible());
        EXPECT_GT(pane->geometry().left(), left);
        left = pane->geometry().left();
    }
}

TEST(EditorUiLockPanes, EachLockKeyTurnsItsPaneOnAndOffOnce)
{
    QMainWindow frame;
    auto* central = new QWidget(&frame);
    // The keys come from the window system: the window, then the focused edit, then its parents see each one; it
    // still counts once.
    auto* edit = new QLineEdit(central);
    (new QVBoxLayout(central))->addWidget(edit);
    frame.setCentralWidget(central);
    auto* panes = new CLockPanes(frame.statusBar());
    frame.show();
    edit->setFocus();
    QApplication::processEvents();
    const CLockPanes::States before = CLockPanes::CurrentStates();
    ASSERT_EQ(before, (CLockPanes::States{}));
    EXPECT_EQ(Shown(*panes), "[][][]");

    QTest::keyClick(frame.windowHandle(), Qt::Key_CapsLock);
    QApplication::processEvents();
    EXPECT_EQ(Shown(*panes), "[CAP][][]");
    QTest::keyClick(frame.windowHandle(), Qt::Key_NumLock);
    QTest::keyClick(frame.windowHandle(), Qt::Key_ScrollLock);
    QApplication::processEvents();
    EXPECT_EQ(Shown(*panes), "[CAP][NUM][SCRL]");
    EXPECT_TRUE(panes->IsOn(CLockPanes::kNumLock));
    // Two presses in one go: off and on again.
    QTest::keyClick(frame.windowHandle(), Qt::Key_CapsLock);
    QTest::keyClick(frame.windowHandle(), Qt::Key_CapsLock);
    QTest::keyClick(frame.windowHandle(), Qt::Key_NumLock);
    QTest::keyClick(frame.windowHandle(), Qt::Key_ScrollLock);
    QApplication::processEvents();
    EXPECT_EQ(Shown(*panes), "[CAP][][]");
    QTest::keyClick(frame.windowHandle(), Qt::Key_CapsLock);
    QApplication::processEvents();
    EXPECT_EQ(Shown(*panes), "[][][]");
}

TEST(EditorUiLockPanes, AStateSourceIsShownOnRefresh)
{
    QMainWindow frame;
    auto* panes = new CLockPanes(frame.statusBar());
    CLockPanes::SetStateSource([] { return CLockPanes::States{false, true, false}; });
    panes->Refresh();
    EXPECT_EQ(Shown(*panes), "[][NUM][]");
    CLockPanes::SetStateSource(nullptr);
    panes->Refresh();
    EXPECT_EQ(Shown(*panes), "[][][]");
}

} // namespace
