// Tests of the frame helpers: the row splitter, menu commands refreshed as their menu opens and before a shortcut
// is matched, the disabled tool bar and the View toggles, status panes, focus passed to the map view, and a close
// that may be refused.
#include "editors/common/ui/Frame.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest/QTest>

#include <gtest/gtest.h>

namespace {

TEST(EditorUiFrame, BSplitHoldsItsRowsInOrderWithTheirIdealHeights)
{
    CBSplit split(3);
    QWidget tiles, sprites, controls, extra;
    EXPECT_TRUE(split.CreateView(2, &controls, 0));
    EXPECT_TRUE(split.CreateView(0, &tiles, 53));
    EXPECT_TRUE(split.CreateView(1, &sprites, 530));
    EXPECT_FALSE(split.CreateView(1, &extra, 10)); // taken
    EXPECT_FALSE(split.CreateView(3, &extra, 10)); // no such row
    EXPECT_EQ(split.orientation(), Qt::Vertical);
    ASSERT_EQ(split.count(), 3);
    EXPECT_EQ(split.widget(0), &tiles);
    EXPECT_EQ(split.widget(1), &sprites);
    EXPECT_EQ(split.widget(2), &controls);
    EXPECT_EQ(split.GetPane(1), &sprites);

    split.resize(210, 900);
    split.show();
    split.RecalcLayout();
    const QList<int> sizes = split.sizes();
    EXPECT_EQ(sizes[0], 53);
    EXPECT_EQ(sizes[1], 530);
    EXPECT_GT(sizes[2], 200); // the rest
    split.resize(210, 1000);
    QApplication::processEvents();
    EXPECT_EQ(split.sizes()[0], 53); // only the last row stretches
}

TEST(EditorUiFrame, CommandStatesFollowTheirRulesAsTheMenuOpens)
{
    QMenu file("&File");
    bool haveFile = false;
    int saves = 0;
    QAction* newItem = AddCommand(&file, "&New", nullptr);
    QAction* save = AddCommand(
        &file, "&Save", [&] { ++saves; }, [&] { return haveFile; });
    QAction* always = AddCommand(&file, "Save &As", [&] { ++saves; });
    EXPECT_FALSE(newItem->isEnabled());
    emit file.aboutToShow();
    EXPECT_FALSE(save->isEnabled());
    EXPECT_TRUE(always->isEnabled());
    haveFile = true;
    emit file.aboutToShow();
    EXPECT_TRUE(save->isEnabled());
    save->trigger();
    EXPECT_EQ(saves, 1);
    // A state left stale (a shortcut, a scripted trigger) runs nothing while the rule says no.
    haveFile = false;
    save->trigger();
    EXPECT_EQ(saves, 1);
    RefreshMenuStates(&file);
    EXPECT_FALSE(save->isEnabled());
    EXPECT_EQ(save->text(), "&Save");
}

// A command's shortcut works whenever the command would: its state is refreshed before the key is matched, not
// left as the menu last saw it.
TEST(EditorUiFrame, AShortcutWorksWheneverItsCommandWould)
{
    QMainWindow frame;
    QMenu* file = frame.menuBar()->addMenu("&File");
    bool haveFile = false;
    int saves = 0;
    QAction* save = AddCommand(
        file, "&Save", [&] { ++saves; }, [&] { return haveFile; });
    SetFileShortcuts(nullptr, nullptr, save, nullptr, nullptr);
    EXPECT_EQ(save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    frame.show();
    QApplication::setActiveWindow(&frame);
    RefreshMenuStates(file); // the menu opened while there was no file
    ASSERT_FALSE(save->isEnabled());
    haveFile = true;
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 1);
    haveFile = false;
    QTest::keyClick(&frame, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 1);
    EXPECT_FALSE(save->isEnabled());
}

TEST(EditorUiFrame, ToolBarOfDisabledButtonsAndTheViewToggles)
{
    QMainWindow frame;
    QToolBar* bar = AddStandardToolBar(&frame, false);
    QStatusBar* status = frame.statusBar();
    QMenu view("&View");
    AddViewToggles(&view, bar, status);
    frame.show();
    int buttons = 0;
    for (QAction* a : bar->actions())
        if (!a->isSeparator()) {
            ++buttons;
            EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();
        }
    EXPECT_EQ(buttons, 4);
    EXPECT_FALSE(bar->isVisible());
    ASSERT_EQ(view.actions().size(), 2);
    QAction* toolbarToggle = view.actions()[0];
    QAction* statusToggle = view.actions()[1];
    EXPECT_EQ(toolbarToggle->text(), "&Toolbar");
    emit view.aboutToShow();
    EXPECT_FALSE(toolbarToggle->isChecked());
    EXPECT_TRUE(statusToggle->isChecked());
    toolbarToggle->trigger();
    statusToggle->trigger();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_FALSE(status->isVisible());
    emit view.aboutToShow();
    EXPECT_TRUE(toolbarToggle->isChecked());
    EXPECT_FALSE(statusToggle->isChecked());
}

TEST(EditorUiFrame, StatusPanesHoldTheirTexts)
{
    QMainWindow frame;
    CStatusPanes panes(frame.statusBar(), {0, 300, 600});
    ASSERT_EQ(panes.GetCount(), 3);
    panes.SetPaneText(2, " Mode(Idle) View[010, 020]");
    panes.SetPaneText(7, "ignored");
    EXPECT_EQ(panes.GetPaneText(2), " Mode(Idle) View[010, 020]");
    EXPECT_EQ(panes.GetPaneText(0), "");
    EXPECT_GE(panes.GetPane(1)->minimumWidth(), 300);
}

TEST(EditorUiFrame, PanesPassTheFocusToTheMapView)
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* pane = new QWidget(&window);
    auto* paneLayout = new QHBoxLayout(pane);
    auto* list = new QListWidget(pane);
    paneLayout->addWidget(list);
    auto* view = new QWidget(&window);
    view->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(pane);
    layout->addWidget(view);
    PassFocusTo(pane, view);
    auto* later = new QListWidget(pane); // added after: watched too
    paneLayout->addWidget(later);
    window.show();
    QApplication::setActiveWindow(&window);
    for (QListWidget* target : {list, later}) {
        target->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(view->hasFocus());
    }
}

class CRefusingFrame : public CEditorFrame {
public:
    bool m_bAllow = false;
    int m_nAsked = 0;

protected:
    bool OnClose() override
    {
        ++m_nAsked;
        return m_bAllow;
    }
};

TEST(EditorUiFrame, FrameClosesOnlyWhenOnCloseAgrees)
{
    CRefusingFrame frame;
    frame.show();
    EXPECT_FALSE(frame.close());
    EXPECT_TRUE(frame.isVisible());
    frame.m_bAllow = true;
    EXPECT_TRUE(frame.close());
    EXPECT_EQ(frame.m_nAsked, 2);
}

} // namespace
