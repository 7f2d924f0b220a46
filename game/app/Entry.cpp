// Start-up, the window procedure and the main loop of the game program, which rests while nothing is due.
#include "game/app/Entry.h"

#include "game/sim/SimRandom.h"
#include "platform/display/SdlMessageBox.h"
#include "platform/display/SdlWindowTarget.h"
#include "platform/system/MessageBox.h"
#include "platform/window/EventPump.h"

#include <cstdlib>
#include <ctime>
#include <memory>

using namespace platform;

int32_t MainWindowProc(CGame& game, EventPump& pump, const WindowMessage& msg)
{
    switch (msg.message) {
    case WM_CREATE:
        return 1;
    case WM_DESTROY:
        pump.PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        // The window is destroyed; its WM_DESTROY posts the quit message.
        pump.PostMessage({WM_DESTROY, 0, 0});
        return 0;
    case WM_MOVE:
        game.OnMove(PointParamX(msg.lParam), PointParamY(msg.lParam));
        return 0;
    case WM_ACTIVATE:
        game.SetWindowActive((msg.wParam & 0xFFFF) != 0);
        return 0;
    case WM_KEYDOWN:
        if (game.OnKeyDown(msg.wParam, 3))
            pump.PostMessage({WM_CLOSE, 0, 0});
        return 0;
    case WM_CHAR:
        game.OnChar(msg.wParam);
        return 1;
    case WM_MOUSEMOVE:
        game.OnMouse(msg.message, msg.wParam, msg.lParam, 0);
        return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        game.OnMouse(msg.message, msg.wParam, msg.lParam, 1);
        return 1;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        game.OnMouse(msg.message, msg.wParam, msg.lParam, 2);
        return 1;
    default:
        return 0;
    }
}

int RunGame(const CEntryOptions& options)
{
    SeedSimRandom(static_cast<uint32_t>(std::time(nullptr)));
    auto frameTimer = std::make_unique<CTimer>();
    auto game = std::make_unique<CGame>(options.game);
    g_pGame = game.get();
    game->LoadSettings();
    frameTimer->SetInterval(0.05f);

    std::string error;
    auto window =
        SdlWindowTarget::Create("Zoranth", game->m_nClientWidth, game->m_nClientHeight, game->m_bWindowed, &error);
    if (!window) {
        DebugOutput("The window could not be created: " + error);
        return 0;
    }
    std::unique_ptr<SdlMessageBoxBackend> boxes;
    if (options.bInstallMessageBoxBackend) {
        boxes = std::make_unique<SdlMessageBoxBackend>(window->Window());
        SetMessageBoxBackend(boxes.get());
    }
    EventPump pump;
    if (!game->InitDisplay(window.get()) || !game->LoadFrontEnd())
        return 0;
    window->Show(true);

    long ticks = 0;
    bool loop = true;
    WindowMessage msg;
    while (loop) {
        if (pump.PeekMessage(msg)) {
            MainWindowProc(*game, pump, msg);
            if (msg.message == WM_QUIT)
                loop = false;
        } else {
            loop = game->Tick();
            ++ticks;
            if (options.fnIdle)
                options.fnIdle(*game, pump, ticks);
            // The old loop spun on the tick; it now sleeps until input comes or the tick next has work.
            const uint32_t rest = loop ? game->TimeToNextTick() : 0;
            if (rest > 0 && options.fnWait)
                options.fnWait(pump, rest);
            else if (rest > 0)
                pump.WaitMessage(rest);
        }
    }
    // The game goes before the display's window; a normal quit ends with 0 whatever the last input was.
    game.reset();
    frameTimer.reset();
    if (boxes)
        SetMessageBoxBackend(nullptr);
    return 0;
}
