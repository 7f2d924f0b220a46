// Vellisk's real windows over a copy of the demo data in build/test-output/vellisk/<case>/: the frame shown
// offscreen, mouse and keys sent with QTest, prompts scripted and modal dialogs answered.
#pragma once

#include "editors/areamap/model/VelliskApp.h"
#include "editors/areamap/ui/AreaMapBitmapView.h"
#include "editors/areamap/ui/MainFrame.h"
#include "editors/areamap/ui/Panes.h"
#include "editors/common/ModalAnswers.h"
#include "editors/common/ScriptedPrompts.h"
#include "editors/common/ui/Frame.h"
#include "tests/editors/areamap/AreaMapTestSupport.h"

#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/WorldContext.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace areamaptest {

// build/test-output/vellisk/<case>/, emptied, holding a fresh copy of the demo data; what the test saves stays.
inline std::string CaseFolder(const std::string& name, bool whole = false)
{
    const fs::path dir = fs::path(ZR_VELLISK_OUTPUT) / name;
    std::error_code ec;
    fs::remove_all(dir, ec);
    CopyDemoData(dir.string(), whole);
    return dir.string();
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A box the code asked for, shown as the real one and saved as a picture in build/test-output/vellisk.
inline void ShowBox(const CScriptedPrompts::Prompt& box, const std::string& file)
{
    CQtPromptService qt;
    CModalAnswers answers;
    answers.Then([&](QDialog& d) {
        EXPECT_TRUE(d.grab().save(QString::fromStdString(std::string(ZR_VELLISK_OUTPUT) + "/" + file)));
        d.accept();
    });
    qt.MessageBox(box.text, box.caption, box.buttons, box.icon);
}

class VelliskWindowFixture : public ::testing::Test {
protected:
    // A case folder (named after the test) and the frame over it, set up as at start-up.
    // `prepare` runs on the case folder before the frame starts; `setUp` is what the views' set-up should give.
    void Start(bool wholeDemo = false, const std::function<void(const std::string&)>& prepare = {}, bool setUp = true)
    {
        ASSERT_FALSE(DemoData().empty()) << "the demo data could not be made";
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = CaseFolder(std::string(info->test_suite_name()) + "." + info->name(), wholeDemo);
        if (prepare)
            prepare(folder);
        vellisk::RegisterVelliskClasses();
        app = std::make_unique<vellisk::CVelliskApp>(folder);
        frame = std::make_unique<CMainFrame>(*app);
        frame->resize(1100, 620);
        frame->show();
        ASSERT_EQ(frame->InitialUpdate(), setUp);
        QApplication::processEvents();
    }
    void TearDown() override
    {
        frame.reset();
        app.reset();
        ResetWorldContext();
    }

    CFormViewAreaMapBitmap* View() const { return frame->MapView(); }
    vellisk::CAreaMapViewModel& Model() const { return frame->MapView()->Model(); }
    CSpriteManager& Sprites() const { return *app->Document()->m_pSpriteManager; }
    std::vector<CSprite*> Stations() const
    {
        std::vector<CSprite*> out;
        for (CSprite* s = Sprites().GetHead(); s; s = s->m_pNext)
            if (s->Kind() == kStationSprite)
                out.push_back(s);
        return out;
    }
    CSprite* Station(const std::string& name) const
    {
        for (CSprite* s : Stations())
            if (name == s->m_pStationData->m_szName)
                return s;
        return nullptr;
    }
    static QPoint Centre(const CSprite* s) { return QPoint(s->m_Placement.WorldX, s->m_Placement.WorldY); }

    // A menu command as the user picks it (its enable rule is asked first).
    bool Enabled(const std::string& command) const
    {
        for (QMenu* m : frame->findChildren<QMenu*>())
            RefreshMenuStates(m);
        return frame->Command(command)->isEnabled();
    }
    void Run(const std::string& command)
    {
        ASSERT_TRUE(Enabled(command)) << command;
        frame->Command(command)->trigger();
        QApplication::processEvents();
    }
    void OpenFile(const std::string& path)
    {
        CScriptedPrompts prompts;
        prompts.ExpectOpenFile(path);
        Run("Open");
    }

    // Mouse and keys on the map view.
    void Move(QPoint p) { QTest::mouseMove(View(), p); }
    void Click(QPoint p, Qt::KeyboardModifiers keys = {})
    {
        Move(p);
        QTest::mouseClick(View(), Qt::LeftButton, keys, p);
    }
    void CtrlDrag(QPoint from, QPoint to)
    {
        Move(from);
        QTest::mousePress(View(), Qt::LeftButton, Qt::ControlModifier, from);
        QTest::mouseMove(View(), to);
        QTest::mouseRelease(View(), Qt::LeftButton, Qt::ControlModifier, to);
    }
    void PickStationTemplate(const std::string& name)
    {
        QListWidget* list = frame->SpriteList()->List();
        const auto items = list->findItems(QString::fromStdString(name), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items[0]).center());
    }

    std::string folder;
    std::unique_ptr<vellisk::CVelliskApp> app;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace areamaptest
