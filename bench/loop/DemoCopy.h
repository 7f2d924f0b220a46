// A private copy of the build's demo data folder for a benchmark run, removed afterwards.
#pragma once

#include "game/app/Entry.h"
#include "platform/system/MessageBox.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class CDemoCopy {
public:
    CDemoCopy()
    {
        std::random_device rd;
        m_dir = std::filesystem::temp_directory_path() / ("zr-bench-" + std::to_string(rd()) + std::to_string(rd()));
        std::error_code ec;
        std::filesystem::copy(ZR_DEMO_DATA_DIR, m_dir, std::filesystem::copy_options::recursive, ec);
        m_bReady = !ec && std::filesystem::exists(m_dir / "Millbrook.zri");
    }
    ~CDemoCopy()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    CDemoCopy(const CDemoCopy&) = delete;
    CDemoCopy& operator=(const CDemoCopy&) = delete;

    bool Ready() const { return m_bReady; }
    std::string Folder() const { return m_dir.string(); }

private:
    std::filesystem::path m_dir;
    bool m_bReady = false;
};

// Readies a run of the whole program on the copy: SDL's dummy drivers (unless others are named), no message boxes
// or echo, and settings for `player` that show the splash pictures or skip them. False, with the error on the
// benchmark, when the copy is not ready.
inline bool PrepareProgram(benchmark::State& state, const CDemoCopy& data, const std::string& player, bool skipSplash,
                           CEntryOptions& options)
{
    if (!data.Ready()) {
        state.SkipWithError("no demo data (build the demo-data target)");
        return false;
    }
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    platform::SetMessageEcho(false);
    std::ofstream(data.Folder() + "/ZR.ini")
        << "Name: " << player << "\nWindowed 1\nAStarLog 0\nSound 1\nIncidentOrders 0\nHost \nSkipSplash "
        << (skipSplash ? 1 : 0) << "\n";
    options.game.strBaseFolder = data.Folder();
    options.bInstallMessageBoxBackend = false;
    return true;
}
