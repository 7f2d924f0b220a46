// Mouse cursors from ".cur" files: the decoder of the file's image and hot spot, and cursors shown through SDL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// One decoded cursor image: 32-bit ARGB pixels, top row first.
struct DecodedCursor {
    int nWidth = 0;
    int nHeight = 0;
    int nHotX = 0;
    int nHotY = 0;
    std::vector<uint32_t> aPixels;
};

// Largest cursor side accepted.
constexpr int kMaxCursorSide = 256;

// Decodes the first image of a ".cur" file (DIB of 1, 4, 8, 24 or 32 bits with its AND mask). False with a
// reason for anything malformed; nothing is read outside the buffer.
bool DecodeCursorFile(const uint8_t* data, size_t size, DecodedCursor& out, std::string* error = nullptr);

// A cursor the window shows (null: none). Only this layer knows what it is.
using CursorHandle = void*;
enum class SystemCursor { Arrow, Wait };

// The cursor from a file, or null when the file cannot be read or decoded or no window system runs.
CursorHandle LoadCursorFromFile(const std::string& path);
// Whether the file can be read and decoded as a cursor (with or without a window system).
bool IsCursorFileReadable(const std::string& path);
CursorHandle LoadSystemCursor(SystemCursor which);
// Shows a cursor (null leaves the current one).
void ShowCursorHandle(CursorHandle cursor);
void FreeCursorHandle(CursorHandle cursor);

} // namespace platform
