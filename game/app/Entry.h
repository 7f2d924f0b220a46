// The game program's entry: start-up in order, the window, the message pump that ticks from idle time and
// rests between ticks, and exit.
#pragma once

#include "game/app/Game.h"

#include <functional>

namespace platform {
struct WindowMessage;
class EventPump;
} // namespace platform

struct CEntryOptions {
    CGameConfig game;
    // Called after every idle tick with the number of ticks so far (tests drive the clock and input here).
    std::function<void(CGame&, platform::EventPump&, long)> fnIdle;
    // Rests the loop until input comes or the given milliseconds have passed (tests move their clock here);
    // empty: the event pump's own wait.
    std::function<void(platform::EventPump&, uint32_t)> fnWait;
    bool bInstallMessageBoxBackend = true;
};

// Runs the game from start-up to quit and returns the exit code (0 on a normal quit, and when the window
// cannot be created).
int RunGame(const CEntryOptions& options);

// Routes one window message to the game; the pump receives the messages the routing posts (close, quit).
int32_t MainWindowProc(CGame& game, platform::EventPump& pump, const platform::WindowMessage& message);
