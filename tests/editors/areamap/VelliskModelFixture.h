// A Vellisk model over a copy of the demo data: the application, a headless display, the map view with a
// scripted host and scripted prompts, as the windows would drive them.
#pragma once

#include "editors/areamap/model/AreaMapView.h"
#include "editors/areamap/model/VelliskApp.h"
#include "tests/editors/areamap/AreaMapTestSupport.h"

#include "core/display/CDisplay.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/WorldContext.h"
#include "platform/window/WindowMessages.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace areamaptest {

class ScriptedHost : public vellisk::IAreaMapViewHost {
public:
    int SelectedStationTemplate() const override { return selected; }
    void ClearStationSelection() override { selected = -1; }
    void SetStatusText(const std::string& text) override { status = text; }
    void CursorChanged() override { ++cursorChanges; }
    void EditStation(CSprite* station) override { edited.push_back(station); }

    int selected = -1;
    std::string status;
    int cursorChanges = 0;
    std::vector<CSprite*> edited;
};

class ScriptedPrompts : public vellisk::IVelliskPrompts {
public:
    void Message(const vellisk::CUserMessage& message) override { messages.push_back(message); }
    Answer Ask(const vellisk::CUserMessage& question, bool) override
    {
        questions.push_back(question);
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << question.text;
            return Answer::Cancel;
        }
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::string SaveAreaMapName() override
    {
        std::string name = saveName;
        saveName.clear();
        return name;
    }

    std::vector<vellisk::CUserMessage> messages;
    std::vector<vellisk::CUserMessage> questions;
    std::deque<Answer> answers;
    std::string saveName;
};

class VelliskModelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(DemoData().empty()) << "the demo data could not be made";
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        vellisk::RegisterVelliskClasses();
        CopyDemoData(dir.File("data"));
        folder = dir.File("data");
        display = std::make_unique<CDisplay>(nullptr, 800, 448, 16, 0xFF8264, true);
        app = std::make_unique<vellisk::CVelliskApp>(folder);
        view = std::make_unique<vellisk::CAreaMapViewModel>(host);
        view->SetDisplay(display.get());
        app->SetView(view.get());
        vellisk::CUserMessage failure;
        ASSERT_TRUE(view->SetUp(&failure)) << failure.text;
    }
    void TearDown() override
    {
        view.reset();
        app.reset();
        display.reset();
        ResetWorldContext();
    }

    CSpriteManager& Sprites() const { return *app->Document()->m_pSpriteManager; }
    std::vector<CSprite*> Stations() const
    {
        std::vector<CSprite*> out;
        for (CSprite* s = Sprites().GetHead(); s; s = s->m_pNext)
            if (s->Kind() == kStationSprite)
                out.push_back(s);
        return out;
    }
    CSprite* Station(const std::string& prefix) const
    {
        for (CSprite* s : Stations())
            if (std::string(s->m_pStationData->m_szName).rfind(prefix, 0) == 0)
                return s;
        return nullptr;
    }
    int Template(const char* name) const
    {
        const CSprite* t = Sprites().FindTemplateByName(name, kStationSprite);
        return t ? static_cast<int>(t - Sprites().GetTemplates(kStationSprite)) : -1;
    }
    static POINT Centre(const CSprite* s) { return POINT{s->m_Placement.WorldX, s->m_Placement.WorldY}; }
    bool OpenDemo() { return app->Open(folder + "/Millbrook.zra", prompts); }

    // Mouse actions at a point, as the widget passes them.
    void Move(int x, int y, uint32_t flags = 0) { view->OnMouseMove(flags, x, y); }
    void Click(int x, int y, uint32_t flags = 0)
    {
        view->OnMouseMove(flags, x, y);
        view->OnLButtonDown(flags | platform::MK_LBUTTON, x, y);
        view->OnLButtonUp(flags, x, y);
    }
    void Drag(POINT from, POINT to, uint32_t flags)
    {
        view->OnMouseMove(flags, from.x, from.y);
        view->OnLButtonDown(flags | platform::MK_LBUTTON, from.x, from.y);
        view->OnMouseMove(flags | platform::MK_LBUTTON, to.x, to.y);
        view->OnLButtonUp(flags, to.x, to.y);
    }

    TempDir dir;
    std::string folder;
    ScriptedHost host;
    ScriptedPrompts prompts;
    std::unique_ptr<CDisplay> display;
    std::unique_ptr<vellisk::CVelliskApp> app;
    std::unique_ptr<vellisk::CAreaMapViewModel> view;
};

} // namespace areamaptest
