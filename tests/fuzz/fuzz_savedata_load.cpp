// Fuzz target: a whole "SaveData.zrd" loaded through the game's own path (header, scenario, the eight blocks
// and the parts after them) into a fresh single-play game over the demo data, which then plays a few steps.
#include "core/sound/CSoundManager.h"
#include "game/app/Game.h"
#include "game/app/ScenarioLoadRuntime.h"
#include "platform/sound/SoundBackend.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "tools/demo/DemoData.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A private copy of the demo data with one save folder, "fz", holding the scenario's files.
const fs::path& Base()
{
    static const fs::path base = [] {
        platform::SetMessageEcho(false);
        const fs::path root = fs::temp_directory_path() / ("zr_savedata_fuzz_" + std::to_string(::getpid()));
        const fs::path data = root / "data";
        std::error_code ec;
        fs::remove_all(root, ec);
        fs::create_directories(data, ec);
        const char* built = std::getenv("ZR_DEMO_DATA");
        if (built && fs::is_regular_file(fs::path(built) / "Millbrook.zri", ec))
            fs::copy(built, data, fs::copy_options::recursive, ec);
        else
            demo::MakeDemoData(ZR_DEMO_SOURCE, data.string());
        const fs::path save = data / "Saves" / "fz";
        fs::create_directories(save, ec);
        for (const char* file : {"Millbrook.zri", "Millbrook.zra", "Millbrook.csv", "Maps/Millbrook_Area.bmp"})
            fs::copy_file(data / file, save / fs::path(file).filename(), fs::copy_options::overwrite_existing, ec);
        std::atexit([] {
            std::error_code gone;
            fs::remove_all(fs::temp_directory_path() / ("zr_savedata_fuzz_" + std::to_string(::getpid())), gone);
        });
        return data;
    }();
    return base;
}

} // namespace

// The demo data is made before the first input, outside the time limit of each input.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    Base();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fs::path& base = Base();
    platform::ClearRecordedMessages();
    // The log a load brings back, and the state file itself.
    if (FILE* log = std::fopen((base / "Saves" / "fz" / "ZR-Log.txt").c_str(), "wb"))
        std::fclose(log);
    FILE* state = std::fopen((base / "Saves" / "fz" / "SaveData.zrd").c_str(), "wb");
    if (!state)
        return 0;
    const bool written = size == 0 || std::fwrite(data, 1, size, state) == size;
    std::fclose(state);
    if (!written)
        return 0;

    platform::ManualClock clock(1000);
    platform::FakeSoundBackend sounds;
    CSoundManager soundManager((base / "Sounds").string().c_str(), &sounds);
    CGameConfig config;
    config.strBaseFolder = base.string();
    config.fnExit = [](int) {};
    config.fnPlaySound = [](int, float) {};
    config.pSoundManager = &soundManager;
    auto game = std::make_unique<CGame>(config);
    game->InitDisplay(nullptr);
    game->m_uMode = kModeSingle | kModeBriefing | kModeSound;
    if (!game->LoadSavedGame("fz") || !game->StartScenario())
        return 0;
    for (int step = 0; step < 8; ++step) {
        for (int i = 0; i < 15; ++i) {
            clock.Advance(33);
            game->m_pRuntime->MovementStep(clock.Now());
        }
        clock.Advance(5);
        game->m_pRuntime->GameStep();
    }
    return 0;
}
