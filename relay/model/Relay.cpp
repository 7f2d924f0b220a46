// The relay loop and the position file.
#include "relay/model/Relay.h"

#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"
#include "relay/model/ByteOrder.h"
#include "relay/model/Console.h"
#include "relay/model/L3Settings.h"
#include "relay/model/MultiCast.h"
#include "relay/model/NetSupport.h"

#include <cstdio>
#include <cstring>

bool TakeDatagram(CRelayState& state, int result)
{
    if (result != kDatagramSize || state.receiveBuf.size() < size_t(kDatagramSize))
        return false;
    std::memcpy(state.cb, state.receiveBuf.data(), kDatagramSize);
    state.m_bHaveDatagram = true;
    state.lastX = ReadFloatLE(state.cb + kPositionXOffset);
    state.lastY = ReadFloatLE(state.cb + kPositionYOffset);
    return true;
}

std::string FormatPosition(float x, float y)
{
    char text[128];
    int n = std::snprintf(text, sizeof text, "%f,%f", double(x), double(y));
    if (n >= 0 && size_t(n) < sizeof text)
        return text;
    // Values near the float limit print with about 40 digits each.
    std::string big(size_t(n) + 1, '\0');
    std::snprintf(big.data(), big.size(), "%f,%f", double(x), double(y));
    big.resize(size_t(n));
    return big;
}

bool WritePositionFile(const std::string& path, float x, float y)
{
    return platform::WriteFileSafely(path, FormatPosition(x, y));
}

void RelayPass(CRelayState& state, const RelayReceive& receive, const std::string& outputPath)
{
    int result = 0;
    if (receive)
        result = receive(state.receiveBuf.data(), kDatagramSize);
    // The old line printed a negative result with %lu.
    if (result <= 0)
        RelayPrintf("multicast receive error; result= %d \n", result);
    else
        TakeDatagram(state, result);
    RelayPrintf("XPos: %f YPos: %f \n", double(state.lastX), double(state.lastY));
    bool written = WritePositionFile(outputPath, state.lastX, state.lastY);
    if (!written && !state.m_bWriteFailed)
        RelayPrintf("Cannot write %s\n", outputPath.c_str());
    state.m_bWriteFailed = !written;
}

int RunRelay(CRelayState& state, const RelayReceive& receive, const std::string& outputPath,
             const std::function<bool()>& stop)
{
    while (!(stop && stop()))
        RelayPass(state, receive, outputPath);
    return 0;
}

int PelmoraMain(const std::string& folder, const CRelayOptions& options)
{
    L3_DEMO_STRUCT settings{};
    if (!LoadL3ini(folder.c_str(), &settings))
        RelayPrintf("Cannot read %s\n", platform::JoinPath(folder, "L3.ini").c_str());
    std::string outputPath = platform::JoinPath(folder, "L3_XY_FILE");
    std::string error;
    if (!CheckL3Settings(settings, error)) {
        RelayPrintf("%s\n", error.c_str());
        return 1;
    }

    CMultiCastReceiver receiver(IPStringToLong(settings.address), settings.port, 0, 0, 0);
    // The old loop went on without a receiver, printing and rewriting the file at full speed.
    if (!receiver.good) {
        RelayPrintf("Error Creating Multicast Socket\n");
        return 1;
    }
    if (options.receiveTimeoutMs > 0)
        receiver.socket().SetReceiveTimeout(options.receiveTimeoutMs);

    CRelayState state;
    return RunRelay(
        state, [&receiver](char* buffer, int size) { return receiver.receive(buffer, size); }, outputPath,
        options.stop);
}
