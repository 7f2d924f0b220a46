// Fuzz target: a whole "SaveData.zrd" read by the game's own restore (header, the eight blocks, what follows
// them, the start-of-play pass) against the demo scenario, which is loaded once; then a few steps of play.
// After each input the game goes back to the loaded scenario: a new incident world, then the scenario's own save
// restored. When saving then shows something of the input left (an obstruction it removed), and every few
// hundred inputs, the scenario is loaded afresh.
#include "core/sound/CSoundManager.h"
#include "core/util/ByteStream.h"
#include "core/world/ScenarioData.h"
#include "game/app/Game.h"
#include "game/app/PlayInstant.h"
#include "game/app/SavedGame.h"
#include "game/app/ScenarioLoadRuntime.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/IncidentWorldGame.h"
#include "game/sim/SimRandom.h"
#include "game/sim/SquadGame.h"
#include "platform/sound/SoundBackend.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "tools/demo/DemoData.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

fs::path Root()
{
    return fs::temp_directory_path() / ("zr_savedata_fuzz_" + std::to_string(::getpid()));
}

// A private copy of the demo data with one save folder, "fz", holding the scenario's files.
fs::path MakeData()
{
    const fs::path data = Root() / "data";
    std::error_code ec;
    fs::remove_all(Root(), ec);
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
        fs::remove_all(Root(), gone);
    });
    return data;
}

// The game over the saved game's scenario.
struct CLoaded {
    platform::ManualClock clock{1000};
    platform::FakeSoundBackend sounds;
    std::unique_ptr<CSoundManager> soundManager;
    std::unique_ptr<CGame> game;
    std::vector<uint8_t> pristine; // what the game saves of the loaded scenario, restored from it
    int nSinceLoad = 0;
};

constexpr int kInputsPerLoad = 500; // bounds what a save does not hold (flags of burnt tiles) carrying over

std::vector<uint8_t> Saved(CGame& game)
{
    CByteWriter out;
    if (!game.WriteSaveState(out) || out.Data().size() < kPlayInstantSize)
        std::abort();
    return out.Data();
}

// Whether the game saves what `pristine` holds, but for the instant of play at its end: its clocks move on with
// every input and its random state is seeded anew for each.
bool SavesAsPristine(CGame& game, const std::vector<uint8_t>& pristine)
{
    const std::vector<uint8_t> now = Saved(game);
    return now.size() == pristine.size() &&
           std::equal(now.begin(), now.end() - kPlayInstantSize, pristine.begin());
}

bool Restore(CGame& game, const uint8_t* data, size_t size)
{
    CByteReader in(data, size);
    CSaveHeader header;
    return ReadSaveHeader(in, header) && !IsSaveNewer(game.m_strProductVersion, header.strVersion) &&
           game.RestoreSaveState(in, header);
}

// The loaded scenario with its own save restored into it, until saving it again gives the same bytes.
void LoadPristine(CLoaded& l)
{
    CGame& game = *l.game;
    if (!game.LoadScenario())
        std::abort();
    l.nSinceLoad = 0;
    l.pristine = Saved(game);
    for (int pass = 0;; ++pass) {
        if (pass == 3 || !Restore(game, l.pristine.data(), l.pristine.size()))
            std::abort();
        if (SavesAsPristine(game, l.pristine))
            break;
        l.pristine = Saved(game);
    }
}

CLoaded& Loaded()
{
    static CLoaded* loaded = [] {
        platform::SetMessageEcho(false);
        const fs::path base = MakeData();
        auto* l = new CLoaded;
        l->soundManager = std::make_unique<CSoundManager>((base / "Sounds").string().c_str(), &l->sounds);
        CGameConfig config;
        config.strBaseFolder = base.string();
        config.fnExit = [](int) {};
        config.fnPlaySound = [](int, float) {};
        config.pSoundManager = l->soundManager.get();
        config.bOpenLogFile = false;
        l->game = std::make_unique<CGame>(config);
        l->game->m_uMode = kModeSingle | kModeBriefing | kModeSound | kModeFromSave;
        l->game->m_strScenarioName = "Saves/fz/Millbrook.zri";
        LoadPristine(*l);
        return l;
    }();
    return *loaded;
}

// A restore only adds hazards to the incident world: a new one as the scenario load makes it, with the squads
// joined to it again.
void FreshIncidentWorld(CGame& game)
{
    auto world = std::make_unique<CIncidentWorld>();
    world->Attach(game.m_pSprites.get(), game.m_pPathData.get(), game.m_pScenario->m_nWindDirection,
                  game.m_pScenario->m_nWindSpeed);
    world->SetParameters(game.m_pIncidentWorld->GetParameters()); // as read from the parameter list
    game.m_pSquadGame->Release();
    game.m_pIncidentWorld = std::move(world);
    game.m_pIncidentWorld->SetupObstructions();
    ConnectIncidentWorld(game, *game.m_pIncidentWorld);
    game.m_pSquadGame->AttachScenario();
}

// Back to the loaded scenario: its save read again, which holds when saving then gives the same bytes; else
// the scenario is loaded afresh.
void Reset(CLoaded& l)
{
    CGame& game = *l.game;
    game.m_log.Clear(); // the log comes with a saved game from its own file
    if (++l.nSinceLoad < kInputsPerLoad && SavesAsPristine(game, l.pristine))
        return;
    if (l.nSinceLoad < kInputsPerLoad) {
        FreshIncidentWorld(game);
        if (Restore(game, l.pristine.data(), l.pristine.size()) && SavesAsPristine(game, l.pristine))
            return;
    }
    LoadPristine(l);
}

} // namespace

// The demo data is made and its scenario loaded before the first input, outside the time limit of each input.
// The game's state stays between inputs, so memory an input leaves is no leak of its own: leaks are looked for
// once, when the run ends, not after each input.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static std::vector<char*> args(*argv, *argv + *argc);
    static char noLeakChecks[] = "-detect_leaks=0";
    args.insert(args.begin() + 1, noLeakChecks);
    args.push_back(nullptr);
    *argc = static_cast<int>(args.size()) - 1;
    *argv = args.data();
    Loaded();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CLoaded& l = Loaded();
    CGame& game = *l.game;
    SeedSimRandom(1);
    if (Restore(game, data, size)) {
        for (int step = 0; step < 4; ++step) {
            for (int i = 0; i < 15; ++i) {
                l.clock.Advance(33);
                game.m_pRuntime->MovementStep(l.clock.Now());
            }
            l.clock.Advance(5);
            game.m_pRuntime->GameStep();
        }
    }
    Reset(l);
    return 0;
}
