// Feeds arbitrary packets to a client and to a host game object through the session's inbound queue.
#include "game/app/Game.h"
#include "net/session/NetGameSession.h"
#include "platform/system/MessageBox.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// One game object for the whole run; each input starts from the same mode.
CGame& Game()
{
    static CGame* game = [] {
        platform::SetMessageEcho(false);
        CGameConfig config;
        config.strBaseFolder = "/nonexistent-zr-fuzz";
        config.bOpenLogFile = false;
        config.fnExit = [](int) {};
        config.fnPlaySound = [](int, float) {};
        auto* g = new CGame(config);
        g->m_pSession = std::make_unique<CNetGameSession>();
        return g;
    }();
    return *game;
}

} // namespace

// Input: byte 0 picks client or host; then packets, each {uint16 length; bytes}.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    CGame& game = Game();
    game.m_uMode = kModeSound | kModeNetworked | kModeRunning;
    game.m_bAuthority = (data[0] & 1) != 0;
    game.m_pSession->SetHost(game.m_bAuthority);
    size_t pos = 1;
    while (pos + 2 <= size) {
        size_t length = data[pos] | (data[pos + 1] << 8);
        pos += 2;
        length = std::min(length, size - pos);
        game.m_pSession->PushInbound(std::vector<uint8_t>(data + pos, data + pos + length));
        pos += length;
    }
    game.PollNetwork();
    game.m_pSession->TakeOutbound();
    game.m_log.Clear();
    return 0;
}
