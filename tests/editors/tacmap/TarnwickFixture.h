// Tarnwick's windows under test: the application over a case folder holding a copy of the demo data, its main
// frame shown offscreen, scripted prompts, and helpers that click, drag and type on the real widgets.
#pragma once

#include "TacMapFixtures.h"

#include "core/world/Map2DLinked.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"
#include "editors/common/ui/EditorApp.h"
#include "editors/common/ui/EditorDialog.h"
#include "editors/common/ui/Frame.h"
#include "editors/common/ui/ListHelpers.h"
#include "editors/common/ui/Text.h"
#include "editors/tacmap/ui/FormViewSim.h"
#include "editors/tacmap/ui/MainFrame.h"
#include "editors/tacmap/ui/Panes.h"
#include "editors/tacmap/ui/TarnwickApp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTest>

#include <memory>

namespace tarnwicktest {

using namespace tacmaptest;
using tacmap::CSpritePalette;

class TarnwickTest : public ::testing::Test {
protected:
    // The program as it starts in the case folder (a new scenario), its frame shown.
    void Start(const std::string& caseName)
    {
        tacmap::RegisterTarnwickClasses();
        platform::SetMessageEcho(false);
        folder = CaseFolder(caseName);
        ASSERT_FALSE(DemoData().empty());
        oldBeep = SetBeepHook([this] { ++beeps; });
        app = std::make_unique<CTarnwickApp>(folder.string());
        frame = app->CreateMainFrame();
        frame->resize(1040, 720);
        frame->show();
        QApplication::processEvents();
    }
    // File > Open of the demo scenario.
    void OpenDemo(const std::string& caseName)
    {
        Start(caseName);
        prompts.ExpectOpenFile((folder / "Millbrook.zri").string());
        ASSERT_TRUE(Trigger(frame->FileMenu(), "&Open"));
        ASSERT_EQ(app->Model().GetFileTitle(), "Millbrook");
        QApplication::processEvents();
    }
    void TearDown() override
    {
        app.reset();
        SetBeepHook(oldBeep);
    }

    // Runs a menu command as a click on it would (false when it is missing or disabled).
    static QAction* Action(QMenu* menu, const std::string& text)
    {
        RefreshMenuStates(menu);
        for (QAction* a : menu->actions())
            if (FromQString(a->text()) == text)
                return a;
        return nullptr;
    }
    static bool Trigger(QMenu* menu, const std::string& text)
    {
        QAction* a = Action(menu, text);
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        return true;
    }
    template <class T> T* Control(int id) const { return GetDlgItem<T>(frame, id); }
    // Clicks a button (a radio button on its circle, as its text may not fill the width it is given).
    static void ClickButton(QAbstractButton* button)
    {
        const bool radio = button->inherits("QRadioButton");
        QTest::mouseClick(button, Qt::LeftButton, {}, radio ? QPoint(8, button->height() / 2) : button->rect().center());
        Settle();
    }
    // Clicks a list's row as a user does.
    static void ClickRow(QListWidget* list, int row)
    {
        ASSERT_GE(row, 0);
        QListWidgetItem* item = list->item(row);
        ASSERT_NE(item, nullptr);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        Settle();
    }
    static int RowOf(QListWidget* list, const std::string& text) { return FindStringExact(list, text); }
    int TileRow(int type) const
    {
        const auto& items = app->Palette().Items(CSpritePalette::kTiles);
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].data == type)
                return static_cast<int>(i);
        return -1;
    }

    CFormViewSim* Map() const { return frame->MapPane(); }
    CFormViewSprites* Sprites() const { return app->m_pSpritesPane; }
    CSpriteManager& Manager() const { return *app->World().GetSprites(); }
    tacmap::CTacticalMapView& View() const { return app->View(); }
    // The view pixel inside a cell (sub-cell 1, 1 at 8-pixel tiles).
    QPoint At(int column, int row) const
    {
        const int t = View().GetTileSize();
        return QPoint((column - View().GetOriginColumn()) * t + t / 2 - 1,
                      (row - View().GetOriginRow()) * t + t / 2 - 1);
    }
    // The paints a user's screen gets between two inputs (sprites are hit where they were drawn).
    static void Settle() { QApplication::processEvents(); }
    // A mouse move over the map, with the buttons held.
    void Move(QPoint p, Qt::KeyboardModifiers mods = {}, Qt::MouseButtons held = {}) const
    {
        QMouseEvent e(QEvent::MouseMove, p, Map()->mapToGlobal(p), Qt::NoButton, held, mods);
        QApplication::sendEvent(Map(), &e);
        Settle();
    }
    // Left button down at one point, moved to the other, let go there.
    void Drag(QPoint from, QPoint to, Qt::KeyboardModifiers mods = {}) const
    {
        Move(from, mods);
        QTest::mousePress(Map(), Qt::LeftButton, mods, from);
        Settle();
        Move(to, mods, Qt::LeftButton);
        QTest::mouseRelease(Map(), Qt::LeftButton, mods, to);
        Settle();
    }
    void Click(QPoint p, Qt::KeyboardModifiers mods = {}) const
    {
        Move(p, mods);
        QTest::mousePress(Map(), Qt::LeftButton, mods, p);
        Settle();
        QTest::mouseRelease(Map(), Qt::LeftButton, mods, p);
        Settle();
    }
    void RightClick(QPoint p) const
    {
        Move(p);
        QTest::mouseClick(Map(), Qt::RightButton, {}, p);
        Settle();
    }
    void Key(int key, Qt::KeyboardModifiers mods = {}) const
    {
        QTest::keyClick(Map(), static_cast<Qt::Key>(key), mods);
        Settle();
    }
    std::vector<CSprite*> AllSprites() const
    {
        std::vector<CSprite*> out;
        for (CSprite* s = Manager().GetHead(); s; s = s->m_pNext)
            out.push_back(s);
        return out;
    }
    CSprite* SpriteAt(int kind, int column, int row) const
    {
        for (CSprite* s : AllSprites())
            if (s->Kind() == kind && s->m_Placement.WorldX / 32 == column && s->m_Placement.WorldY / 32 == row)
                return s;
        return nullptr;
    }
    std::string Caption() const { return FromQString(frame->windowTitle()); }

    CScriptedPrompts prompts;
    fs::path folder;
    std::unique_ptr<CTarnwickApp> app;
    CMainFrame* frame = nullptr;
    int beeps = 0;
    std::function<void()> oldBeep;
};

} // namespace tarnwicktest
