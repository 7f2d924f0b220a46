// A game over a private copy of the demo data with its front end loaded (lobby, role screen), a headless
// display, recorded sounds and posted messages, and a hand-driven clock.
#pragma once

#include "game/app/Game.h"
#include "game/screens/lobby/MPlayIF.h"
#include "game/screens/role/RoleIF.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "tests/game/app/DemoGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

class FrontEndFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
        m_clock = std::make_unique<platform::ManualClock>(50000);
        ASSERT_FALSE(demo_game::DemoData().empty());
        m_dir = demo_game::CDemoGame::CopyDemoData();
        Restart();
    }
    // A new game object over the same folder, at the lobby; with `settings` it reads "ZR.ini" first.
    void Restart(bool settings = false)
    {
        m_game.reset();
        CGameConfig config;
        config.strBaseFolder = m_dir.string();
        config.fnExit = [this](int code) { m_exits.push_back(code); };
        config.fnPlaySound = [this](int id, float) { m_sounds.push_back(id); };
        // Network play on loopback only, on free ports.
        config.nTcpPort = 0;
        config.nUdpPort = 0;
        config.strBindAddress = "127.0.0.1";
        m_game = std::make_unique<CGame>(config);
        m_game->m_fnPostObserver = [this](uint16_t id, const uint8_t* p, size_t n) {
            m_posts.push_back({id, std::vector<uint8_t>(p, p + n)});
        };
        if (settings)
            m_game->LoadSettings();
        m_game->InitDisplay(nullptr);
        m_game->m_uMode |= kModeSkipSplash;
        m_game->LoadFrontEnd();
        ASSERT_TRUE(m_game->m_pLobby);
    }
    void TearDown() override
    {
        m_game.reset();
        m_clock.reset();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    CGame& Game() { return *m_game; }
    MPlayIF& Lobby() { return *m_game->m_pLobby; }

    static int32_t Pack(int x, int y) { return static_cast<int32_t>((static_cast<uint32_t>(y) << 16) | (x & 0xFFFF)); }
    void ClickAt(int x, int y) { m_game->OnMouse(0x201, 1, Pack(x, y), 1); }
    void Click(const CScreenRect& rc)
    {
        ASSERT_GT(rc.width, 0);
        ClickAt(rc.x + rc.width / 2, rc.y + rc.height / 2);
    }
    void ClickButton(int button) { Click(Lobby().m_rcButtons[static_cast<size_t>(button)]); }
    void Type(const std::string& text)
    {
        for (unsigned char c : text)
            m_game->OnChar(c);
    }
    int LastSound() const { return m_sounds.empty() ? -1 : m_sounds.back(); }
    int CountPosts(uint16_t id) const
    {
        return static_cast<int>(
            std::count_if(m_posts.begin(), m_posts.end(), [id](const auto& p) { return p.first == id; }));
    }

    std::filesystem::path m_dir;
    std::unique_ptr<platform::ManualClock> m_clock;
    std::unique_ptr<CGame> m_game;
    std::vector<int> m_exits;
    std::vector<int> m_sounds;
    std::vector<std::pair<uint16_t, std::vector<uint8_t>>> m_posts;
};
