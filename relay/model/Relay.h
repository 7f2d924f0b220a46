// The relay's loop: receive a datagram, take its position, print it and rewrite the position file.
#pragma once

#include <functional>
#include <string>
#include <vector>

constexpr int kDatagramSize = 2048;
constexpr int kReceiveBufferSize = 8192;
constexpr int kPositionXOffset = 528;
constexpr int kPositionYOffset = 532;
constexpr float kStartPosition = 150.0f;

// Loop state: the receive buffer, the last whole datagram and the last position.
struct CRelayState {
    std::vector<char> receiveBuf = std::vector<char>(kReceiveBufferSize);
    unsigned char cb[kDatagramSize] = {};
    bool m_bHaveDatagram = false;
    float lastX = kStartPosition;
    float lastY = kStartPosition;
    bool m_bWriteFailed = false;
};

// Receives into a buffer of `size` bytes: the datagram's length, or -1 on an error (a datagram longer than
// `size` included).
using RelayReceive = std::function<int(char* buffer, int size)>;

// Takes a receive result whose bytes are in state.receiveBuf: exactly 2,048 bytes become the last datagram
// and give the new position; anything else keeps the previous one. True when taken.
bool TakeDatagram(CRelayState& state, int result);

// The position file's text: "%f,%f".
std::string FormatPosition(float x, float y);

// Rewrites the position file with "%f,%f" through a safe write (a synced temporary renamed over it), so a
// reader never sees it empty or half written, not even after a power cut.
bool WritePositionFile(const std::string& path, float x, float y);

// One pass of the loop: receive (result 0 without a receiver), take, print, rewrite the file.
void RelayPass(CRelayState& state, const RelayReceive& receive, const std::string& outputPath);

// Runs passes until `stop` says so (an empty hook never stops). Returns the exit code, 0.
int RunRelay(CRelayState& state, const RelayReceive& receive, const std::string& outputPath,
             const std::function<bool()>& stop);

struct CRelayOptions {
    std::function<bool()> stop; // asked before every pass; empty: run until killed
    int receiveTimeoutMs = 0;   // 0: receive waits without limit
};

// The whole program on a folder: read "L3.ini", join the group, relay into "L3_XY_FILE". A receiver that
// cannot be made ends it with "Error Creating Multicast Socket" and exit code 1.
int PelmoraMain(const std::string& folder, const CRelayOptions& options = {});
