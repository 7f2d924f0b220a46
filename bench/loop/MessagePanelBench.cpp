// Adding a 400-character line to the message panels: the whole of it in play (wrapped for the HUD's panel, stored,
// written to the log file and the panel drawn again), and the wrap alone in the panels' fonts, beside the old cut
// that measured a long word once per character. Target: well under 0.1 ms a line.
#include "bench/loop/DemoCopy.h"
#include "game/app/Game.h"
#include "game/app/MessageLog.h"
#include "game/screens/art/ScreenKit.h"
#include "game/screens/hud/HUD.h"
#include "platform/gdi/Font.h"
#include "platform/system/MessageBox.h"
#include "support/CharacterCutWrap.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// One word of 400 characters (a flood's dearest line), or 400 characters of ordinary words.
std::string LongLine(bool oneWord)
{
    const std::string piece = oneWord ? "Overflowing" : "water main ";
    std::string text;
    while (text.size() < 400)
        text += piece;
    text.resize(400);
    return text;
}

// The demo scenario started in single play, its HUD live.
struct CPlayingGame {
    CDemoCopy data;
    std::unique_ptr<CGame> game;

    CPlayingGame()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        platform::SetMessageEcho(false);
        if (!data.Ready())
            return;
        CGameConfig config;
        config.strBaseFolder = data.Folder();
        config.fnExit = [](int) {};
        config.fnPlaySound = [](int, float) {};
        game = std::make_unique<CGame>(config);
        game->InitDisplay(nullptr);
        game->m_uMode = kModeSingle | kModeBriefing | kModeSound;
        game->m_strScenarioName = "Millbrook.zri";
        if (!game->LoadScenario() || !game->StartScenario() || !game->m_pHUD)
            game.reset();
    }
};

void BM_AddLineInPlay(benchmark::State& state)
{
    static CPlayingGame playing;
    if (!playing.game) {
        state.SkipWithError("the demo scenario did not start (build the demo-data target)");
        return;
    }
    const std::string text = LongLine(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(playing.game->AddMessage(text, -1, kMsgChat, 0, 5));
    state.SetLabel(state.range(0) ? "one word" : "words");
}

// The wrap alone: the HUD's font (Arial 14) and the role screen's and de-briefing's (bold), at a narrow and a
// wide panel.
template <bool kSearched> void BM_WrapLine(benchmark::State& state)
{
    const bool bold = state.range(0) != 0;
    const int width = static_cast<int>(state.range(1));
    const std::unique_ptr<platform::gdi::Font> font = MakeArial(14, bold);
    const auto measure = [&](const std::string& s) { return MeasureText(font.get(), s); };
    const std::string text = LongLine(state.range(2) != 0);
    for (auto _ : state) {
        if constexpr (kSearched)
            benchmark::DoNotOptimize(CMessageLog::WrapTextToWidth(text, width, measure));
        else
            benchmark::DoNotOptimize(WrapOneMeasurePerCharacter(text, width, measure));
    }
}

void WrapCases(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"bold", "width", "one_word"});
    for (int bold : {0, 1})
        for (int width : {300, 560})
            for (int oneWord : {1, 0})
                b->Args({bold, width, oneWord});
}

} // namespace

BENCHMARK(BM_AddLineInPlay)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WrapLine<true>)->Name("BM_WrapLine")->Apply(WrapCases)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WrapLine<false>)
    ->Name("BM_WrapLineOneMeasurePerCharacter")
    ->Apply(WrapCases)
    ->Unit(benchmark::kMicrosecond);
