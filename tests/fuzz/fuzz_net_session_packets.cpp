// Fuzzes the session's received packets: byte 0 picks a host or a client, then packets {uint16 length; bytes}
// pass the check and the queue, and the window thread's pop applies them to the records, log and clock; of the
// packets a client may send, those a player not let in may send are 8-byte requests.
#include "net/session/NetGameSession.h"
#include "platform/system/MessageBox.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    platform::SetMessageEcho(false);
    CNetGameSession session;
    session.SetHost(data[0] & 1);
    session.SetLocalPlayerId(data[0] & 1 ? 0 : 3);
    int32_t base = 0;
    CSessionHooks hooks;
    hooks.fnAddMessage = [](const std::string& text, int32_t, int32_t, uint32_t, int32_t) {
        if (text.size() > 2 * kTextMax)
            std::abort();
    };
    hooks.fnTimerBase = [&] { return base; };
    hooks.fnSetTimerBase = [&](int32_t b) { base = b; };
    session.SetHooks(hooks);
    size_t pos = 1;
    while (pos + 2 <= size) {
        size_t length = data[pos] | (data[pos + 1] << 8);
        pos += 2;
        length = std::min(length, size - pos);
        // What a player not let in may send is a checked request from a client.
        const int32_t from = length >= 8 ? ReadI32At(data + pos + 4) : -1;
        if (CheckSessionPacket(data + pos, length, true, from, nullptr) && IsJoiningPacket(data + pos, length) &&
            (length != 8 || data[pos] != kTypeGame || data[pos + 2] == kPacketGame))
            std::abort();
        session.PushInbound(std::vector<uint8_t>(data + pos, data + pos + length));
        pos += length;
    }
    std::vector<uint8_t> packet;
    while (session.PopMessage(packet)) {
        if (packet.size() != kGamePacketSize || packet[0] != kTypeGame)
            std::abort();
    }
    for (int i = 0; i < session.SlotCount(); ++i)
        if (session.Slot(i).m_strName.size() > 32)
            std::abort();
    return 0;
}
