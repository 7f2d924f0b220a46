// A game object in a fresh temporary base folder, with recorded sounds and exits and a hand-driven clock.
#pragma once

#include "game/app/Game.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

inline std::filesystem::path MakeTempFolder()
{
    std::random_device rd;
    auto dir = std::filesystem::temp_directory_path() / ("zr-game-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(dir);
    return dir;
}

inline std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

class GameFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetMessageEcho(false);
        m_dir = MakeTempFolder();
        m_clock = std::make_unique<platform::ManualClock>(100000);
    }
    void TearDown() override
    {
        m_game.reset();
        m_clock.reset();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        platform::SetMessageEcho(true);
    }
    CGame& MakeGame(bool openLog = true)
    {
        CGameConfig config;
        config.strBaseFolder = m_dir.string();
        config.fnExit = [this](int code) { m_exits.push_back(code); };
        config.fnPlaySound = [this](int id, float) { m_sounds.push_back(id); };
        config.bOpenLogFile = openLog;
        m_game = std::make_unique<CGame>(config);
        m_game->m_fnPostObserver = [this](uint16_t id, const uint8_t*, size_t) { m_posts.push_back(id); };
        return *m_game;
    }
    int CountPosts(uint16_t id) const
    {
        int n = 0;
        for (uint16_t p : m_posts)
            n += p == id;
        return n;
    }

    std::filesystem::path m_dir;
    std::unique_ptr<platform::ManualClock> m_clock;
    std::unique_ptr<CGame> m_game;
    std::vector<int> m_exits;
    std::vector<int> m_sounds;
    std::vector<uint16_t> m_posts;
};
