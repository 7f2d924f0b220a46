// An editor over a data folder: the application state with a recording host, a headless display and a first
// (seeded) new scenario, as the program starts.
#pragma once

#include "TacMapFixtures.h"

#include "core/world/Map2DLinked.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "editors/tacmap/model/TarnwickModel.h"

#include <memory>

namespace tacmaptest {

struct Editor {
    explicit Editor(const fs::path& folder) : model(folder.string(), host)
    {
        model.World().SetWindowedDefaults();
        model.World().CreateDisplay(nullptr);
        model.View().FirstUpdate(1234);
    }
    tacmap::CEditorWorld& World() { return model.World(); }
    tacmap::CTacticalMapView& View() { return model.View(); }
    tacmap::CSpritePalette& Palette() { return model.Palette(); }
    CSpriteManager& Sprites() { return *model.World().GetSprites(); }
    tacmap::CPathData& Grid() { return *model.World().GetPathData(); }
    CMap2DLinked& Map() { return *model.World().GetMap(); }

    RecordingHost host;
    tacmap::CTarnwickModel model;
};

// The editor with the demo scenario open (in a case folder of its own).
class TacMapDemoTest : public TacMapTest {
protected:
    void OpenDemo(const std::string& caseName)
    {
        folder = CaseFolder(caseName);
        ASSERT_FALSE(DemoData().empty());
        editor = std::make_unique<Editor>(folder);
        ASSERT_TRUE(editor->model.Open((folder / "Millbrook.zri").string()));
        platform::ClearRecordedMessages();
    }
    void TearDown() override { editor.reset(); }

    fs::path folder;
    std::unique_ptr<Editor> editor;
};

// The stored form of one message box, for comparing what was shown.
inline std::vector<std::string> BoxTexts()
{
    std::vector<std::string> out;
    for (const auto& box : platform::RecordedMessages())
        out.push_back(box.title + ": " + box.text);
    return out;
}

} // namespace tacmaptest
