// A game object over a private copy of the demo data, headless, with recorded sounds and exits, for the screens.
#pragma once

#include "game/app/Game.h"
#include "game/screens/art/ArtList.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "tests/game/app/DemoGame.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

class ScreenDemo : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        ClearScreenFatal();
        m_clock = std::make_unique<platform::ManualClock>(100000);
        ASSERT_FALSE(demo_game::DemoData().empty());
        m_dir = demo_game::CDemoGame::CopyDemoData();
        CGameConfig config;
        config.strBaseFolder = m_dir.string();
        config.fnExit = [this](int code) { m_exits.push_back(code); };
        config.fnPlaySound = [this](int id, float) { m_sounds.push_back(id); };
        config.bOpenLogFile = false;
        m_game = std::make_unique<CGame>(config);
        g_pGame = m_game.get();
        m_game->InitDisplay(nullptr);
        m_game->m_uMode = kModeSound | kModeSingle;
    }
    void TearDown() override
    {
        g_pGame = nullptr;
        m_game.reset();
        m_clock.reset();
        ClearScreenFatal();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    CGame& Game() { return *m_game; }
    CDisplay* Display() { return m_game->m_pDisplay.get(); }
    std::string Base() const { return m_dir.string(); }
    // Records from now on only.
    void ClearSounds() { m_sounds.clear(); }
    static void WriteText(const std::filesystem::path& path, const std::string& text)
    {
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
    // Whether a message box with this caption was shown.
    static bool Shown(const std::string& caption)
    {
        for (const auto& m : platform::RecordedMessages())
            if (m.title == caption)
                return true;
        return false;
    }

    std::filesystem::path m_dir;
    std::unique_ptr<platform::ManualClock> m_clock;
    std::unique_ptr<CGame> m_game;
    std::vector<int> m_sounds;
    std::vector<int> m_exits;
};
