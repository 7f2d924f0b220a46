// The demo data set made once per test program, and a single-play game over a private copy of it that a test
// drives step by step and summarises in plain text.
#pragma once

#include "core/sound/CSoundManager.h"
#include "game/app/Game.h"
#include "game/app/ScenarioLoadRuntime.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "platform/sound/SoundBackend.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "tools/demo/DemoData.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace demo_game {

namespace fs = std::filesystem;

inline fs::path NewTempFolder(const std::string& tag)
{
    std::random_device rd;
    fs::path dir = fs::temp_directory_path() / ("zr-" + tag + "-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir);
    return dir;
}

// The build's own demo folder (named by ZR_DEMO_DATA, made by the build before the tests run), read only;
// else one made on first use and removed at exit.
inline const fs::path& DemoData()
{
    struct Made {
        fs::path root;
        fs::path data;
        Made()
        {
            platform::SetMessageEcho(false);
            if (const char* built = std::getenv("ZR_DEMO_DATA")) {
                std::error_code ec;
                if (fs::is_regular_file(fs::path(built) / "GameInfo.txt", ec) &&
                    fs::is_regular_file(fs::path(built) / "Millbrook.zri", ec)) {
                    data = built;
                    return;
                }
            }
            root = NewTempFolder("demo");
            data = root / "data";
            if (!demo::MakeDemoData(ZR_DEMO_SOURCE, data.string()))
                data.clear();
        }
        ~Made()
        {
            std::error_code ec;
            fs::remove_all(root, ec);
        }
    };
    static Made made;
    return made.data;
}

inline std::string ReadFileText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A single-play game over its own copy of the demo data, driven by whole authority steps.
class CDemoGame {
public:
    explicit CDemoGame(const fs::path& folder) : m_folder(folder)
    {
        CGameConfig config;
        config.strBaseFolder = folder.string();
        config.fnExit = [](int) {};
        config.fnPlaySound = [this](int id, float) { m_aSounds.push_back(id); };
        // Loops of the incident and the squads play on a recording backend, from the folder's own sounds.
        m_pSound = std::make_unique<CSoundManager>((folder / "Sounds").string().c_str(), &m_soundBackend);
        config.pSoundManager = m_pSound.get();
        m_pGame = std::make_unique<CGame>(config);
        m_pGame->InitDisplay(nullptr);
        m_pGame->m_uMode = kModeSingle | kModeBriefing | kModeSound;
    }

    // A fresh copy of the demo data in a new folder.
    static fs::path CopyDemoData()
    {
        fs::path dir = NewTempFolder("run");
        fs::copy(DemoData(), dir, fs::copy_options::recursive);
        return dir;
    }

    bool LoadScenario(const std::string& name)
    {
        m_pGame->m_strScenarioName = name;
        return m_pGame->LoadScenario() && m_pGame->StartScenario();
    }
    bool LoadSaved(const std::string& name) { return m_pGame->LoadSavedGame(name) && m_pGame->StartScenario(); }

    // One authority step: the movement steps of its 500 ms, then the step itself.
    void Step()
    {
        for (int i = 0; i < 15; ++i) {
            m_clock.Advance(33);
            m_pGame->m_pRuntime->MovementStep(m_clock.Now());
        }
        m_clock.Advance(5);
        m_pGame->m_pRuntime->GameStep();
    }

    // The clock, the incident counts and every squad; `incident` false leaves the incident counts out.
    std::string Summary(bool incident = true) const
    {
        std::ostringstream out;
        CGame& g = *m_pGame;
        char line[200];
        std::snprintf(line, sizeof line, "time %04d cost %.2f fires %d spills %d objects %d\n",
                      g.m_pRuntime->GetCurrentTime(), g.m_pRuntime->GetCost(),
                      g.m_pIncidentWorld ? g.m_pIncidentWorld->Fires().Size() : -1,
                      g.m_pIncidentWorld ? g.m_pIncidentWorld->Chemicals().Size() : -1,
                      g.m_pIncidentWorld ? g.m_pIncidentWorld->Objects().Size() : -1);
        if (!incident)
            std::snprintf(line, sizeof line, "time %04d cost %.2f\n", g.m_pRuntime->GetCurrentTime(),
                          g.m_pRuntime->GetCost());
        out << line;
        for (CSquadManager* m : {g.m_pSquadGame->Scenario(), g.m_pSquadGame->Area()}) {
            if (!m)
                continue;
            for (const auto* list : {&m->Units(), &m->Vehicles()})
                for (const CSquad* s : *list) {
                    std::snprintf(line, sizeof line, "  %s %d agency %d state %d at %d,%d health %d %.1f\n",
                                  m->IsAreaMap() ? "area" : "squad", CSquadManager::GetSquadNumber(s), s->AgencyKind(),
                                  static_cast<int>(s->m_nState), static_cast<int>(s->m_fX), static_cast<int>(s->m_fY),
                                  s->m_nHealthState, s->m_fHealth);
                    out << line;
                }
        }
        return out.str();
    }

    CGame& Game() { return *m_pGame; }
    std::vector<int> m_aSounds;
    const fs::path& Folder() const { return m_folder; }
    CSoundManager& Sound() { return *m_pSound; }
    platform::FakeSoundBackend& SoundBackend() { return m_soundBackend; }

private:
    fs::path m_folder;
    platform::FakeSoundBackend m_soundBackend;
    std::unique_ptr<CSoundManager> m_pSound;
    platform::ManualClock m_clock{1000};
    std::unique_ptr<CGame> m_pGame;
};

// A copy of the demo data with a game on it, removed afterwards; `load` starts the demo scenario as well.
class DemoFolderTest : public ::testing::Test {
protected:
    explicit DemoFolderTest(bool load = false) : m_bLoad(load) {}
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        ASSERT_FALSE(DemoData().empty()) << "the demo data could not be made";
        m_dir = CDemoGame::CopyDemoData();
        m_run = std::make_unique<CDemoGame>(m_dir);
        if (m_bLoad) {
            ASSERT_TRUE(m_run->LoadScenario("Millbrook.zri"));
        }
    }
    void TearDown() override
    {
        m_run.reset();
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_dir;
    std::unique_ptr<CDemoGame> m_run;

private:
    bool m_bLoad;
};

// Games on copies of the demo data, as many as a test makes; the copies are removed afterwards.
class DemoRunsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        ASSERT_FALSE(DemoData().empty()) << "the demo data could not be made";
    }
    void TearDown() override
    {
        for (const fs::path& f : m_folders) {
            std::error_code ec;
            fs::remove_all(f, ec);
        }
    }
    std::unique_ptr<CDemoGame> NewRun()
    {
        m_folders.push_back(CDemoGame::CopyDemoData());
        return std::make_unique<CDemoGame>(m_folders.back());
    }
    std::vector<fs::path> m_folders;
};

} // namespace demo_game
