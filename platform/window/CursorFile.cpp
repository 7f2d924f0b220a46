// ".cur" decoding and SDL colour cursors.
#include "platform/window/CursorFile.h"

#include "platform/system/Paths.h"

#include <SDL.h>

#include <cstdio>

namespace platform {

namespace {

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

bool Fail(std::string* error, const char* why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

bool DecodeCursorFile(const uint8_t* data, size_t size, DecodedCursor& out, std::string* error)
{
    if (!data || size < 6 + 16)
        return Fail(error, "too short for a cursor file");
    if (U16(data) != 0 || U16(data + 2) != 2 || U16(data + 4) == 0)
        return Fail(error, "not a cursor file");
    const uint8_t* entry = data + 6;
    const int hotX = U16(entry + 4), hotY = U16(entry + 6);
    const uint32_t length = U32(entry + 8), offset = U32(entry + 12);
    if (offset > size || length > size - offset || length < 40)
        return Fail(error, "the image lies outside the file");
    const uint8_t* dib = data + offset;
    const uint32_t headerSize = U32(dib);
    const int32_t width = static_cast<int32_t>(U32(dib + 4));
    const int32_t doubled = static_cast<int32_t>(U32(dib + 8));
    const int bits = U16(dib + 14);
    const uint32_t compression = U32(dib + 16);
    if (headerSize < 40 || headerSize > length)
        return Fail(error, "bad image header");
    if (width <= 0 || width > kMaxCursorSide || doubled <= 0 || doubled % 2 != 0 || doubled / 2 > kMaxCursorSide)
        return Fail(error, "bad cursor size");
    if (compression != 0)
        return Fail(error, "compressed cursor images are not supported");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return Fail(error, "unsupported bit depth");
    const int height = doubled / 2;
    uint32_t colours = bits <= 8 ? U32(dib + 32) : 0;
    if (bits <= 8 && (colours == 0 || colours > (1u << bits)))
        colours = 1u << bits;
    const size_t paletteBytes = static_cast<size_t>(colours) * 4;
    const size_t xorStride = ((static_cast<size_t>(width) * bits + 31) / 32) * 4;
    const size_t andStride = ((static_cast<size_t>(width) + 31) / 32) * 4;
    const size_t need = headerSize + paletteBytes + xorStride * height + andStride * height;
    if (need > length)
        return Fail(error, "the image data is cut short");
    const uint8_t* palette = dib + headerSize;
    const uint8_t* xorBits = palette + paletteBytes;
    const uint8_t* andBits = xorBits + xorStride * height;

    out.nWidth = width;
    out.nHeight = height;
    out.nHotX = hotX < width ? hotX : 0;
    out.nHotY = hotY < height ? hotY : 0;
    out.aPixels.assign(static_cast<size_t>(width) * height, 0);
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = xorBits + xorStride * (height - 1 - y);
        const uint8_t* mask = andBits + andStride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t argb = 0;
            if (bits == 32) {
                const uint8_t* p = row + x * 4;
                argb = static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
                       static_cast<uint32_t>(p[1]) << 8 | p[0];
                anyAlpha = anyAlpha || p[3] != 0;
            } else if (bits == 24) {
                const uint8_t* p = row + x * 3;
                argb = static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[0];
            } else {
                const int perByte = 8 / bits;
                const int shift = (perByte - 1 - x % perByte) * bits;
                const uint32_t index = (row[x / perByte] >> shift) & ((1u << bits) - 1);
                const uint8_t* c = palette + (index < colours ? index : 0) * 4;
                argb = static_cast<uint32_t>(c[2]) << 16 | static_cast<uint32_t>(c[1]) << 8 | c[0];
            }
            const bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
            if (bits != 32 || !anyAlpha)
                argb = (argb & 0xFFFFFF) | (transparent ? 0u : 0xFF000000u);
            out.aPixels[static_cast<size_t>(y) * width + x] = argb;
        }
    }
    // A 32-bit image without any alpha is masked by its AND bits like the others.
    if (bits == 32 && !anyAlpha) {
        for (int y = 0; y < height; ++y) {
            const uint8_t* mask = andBits + andStride * (height - 1 - y);
            for (int x = 0; x < width; ++x) {
                uint32_t& p = out.aPixels[static_cast<size_t>(y) * width + x];
                const bool transparent = (mask[x / 8] >> (7 - x % 8)) & 1;
                p = (p & 0xFFFFFF) | (transparent ? 0u : 0xFF000000u);
            }
        }
    }
    return true;
}

namespace {

bool ReadCursorFile(const std::string& path, DecodedCursor& cursor)
{
    FILE* file = OpenFile(path, "rb");
    if (!file)
        return false;
    // At most 1 MiB, sized by the file: a cursor of a few kilobytes is not read into a zeroed megabyte.
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    std::rewind(file);
    std::vector<uint8_t> bytes(size < 0 || size > (1 << 20) ? (1 << 20) : static_cast<size_t>(size));
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    return DecodeCursorFile(bytes.data(), bytes.size(), cursor);
}

} // namespace

bool IsCursorFileReadable(const std::string& path)
{
    DecodedCursor cursor;
    return ReadCursorFile(path, cursor);
}

CursorHandle LoadCursorFromFile(const std::string& path)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return nullptr;
    DecodedCursor cursor;
    if (!ReadCursorFile(path, cursor))
        return nullptr;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(cursor.aPixels.data(), cursor.nWidth, cursor.nHeight, 32,
                                                              cursor.nWidth * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface)
        return nullptr;
    SDL_Cursor* made = SDL_CreateColorCursor(surface, cursor.nHotX, cursor.nHotY);
    SDL_FreeSurface(surface);
    return made;
}

CursorHandle LoadSystemCursor(SystemCursor which)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO))
        return nullptr;
    return SDL_CreateSystemCursor(which == SystemCursor::Wait ? SDL_SYSTEM_CURSOR_WAIT : SDL_SYSTEM_CURSOR_ARROW);
}

void ShowCursorHandle(CursorHandle cursor)
{
    if (cursor)
        SDL_SetCursor(static_cast<SDL_Cursor*>(cursor));
}

void FreeCursorHandle(CursorHandle cursor)
{
    if (cursor)
        SDL_FreeCursor(static_cast<SDL_Cursor*>(cursor));
}

} // namespace platform
