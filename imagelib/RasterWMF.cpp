// Metafile reading: the placeable header check, Windows and enhanced metafile headers, sizes at 96 pixels per
// inch clamped to 4000, and playback into a white 32-bit picture that the image holds as 24 bits.
#include "imagelib/RasterWMF.h"

#include "imagelib/MetafilePlayer.h"
#include "platform/gdi/DeviceBitmap.h"
#include "platform/gdi/DeviceContext.h"

#include <algorithm>
#include <cstring>

using rasterbytes::Get16;
using rasterbytes::Get32;

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEmfSignature = 0x464D4520;
constexpr int64_t kMaxSide = 4000;
// Pixels per inch of the picture (the screen's).
constexpr int64_t kDpi = 96;
// The window colour the picture starts with.
constexpr COLORREF kWindowColour = 0xFFFFFF;

// Reads exactly `n` bytes into `out`; false when the stream has fewer.
bool ReadAll(CRasterFile* f, std::vector<uint8_t>& out, uint64_t n)
{
    out.resize(static_cast<size_t>(n));
    return n == 0 || f->Read(out.data(), 1, static_cast<uint32_t>(n)) == n;
}

} // namespace

bool CRasterWMF::Fail(const char* text)
{
    SetError(text);
    return false;
}

bool CRasterWMF::Encode(CRasterFile* hFile)
{
    if (hFile)
        SetError("Save WMF not supported");
    return false;
}

bool CRasterWMF::CheckMetafileHeader(const uint8_t* p, PlaceableHeader& h)
{
    h.key = Get32(p);
    h.hmf = Get16(p + 4);
    h.left = static_cast<int16_t>(Get16(p + 6));
    h.top = static_cast<int16_t>(Get16(p + 8));
    h.right = static_cast<int16_t>(Get16(p + 10));
    h.bottom = static_cast<int16_t>(Get16(p + 12));
    h.inch = Get16(p + 14);
    h.reserved = Get32(p + 16);
    h.checksum = Get16(p + 20);
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= Get16(p + 2 * i);
    return h.key == kPlaceableKey && h.checksum == sum && h.inch >= 1 && h.inch <= 2540;
}

void CRasterWMF::ShrinkMetafile(int64_t& width, int64_t& height)
{
    if (width > kMaxSide) {
        height = std::max<int64_t>(1, height * kMaxSide / width);
        width = kMaxSide;
    }
    if (height > kMaxSide) {
        width = std::max<int64_t>(1, width * kMaxSide / height);
        height = kMaxSide;
    }
}

bool CRasterWMF::ReadPlaceable(CRasterFile* hFile, int32_t start, uint64_t available, Metafile& mf)
{
    uint8_t head[22 + 18];
    if (available < sizeof(head) || hFile->Read(head, 1, sizeof(head)) != sizeof(head) ||
        !CheckMetafileHeader(head, mf.head))
        return false;
    // The metafile header: type 1 (memory) or 2 (disk), header size, version, size in 16-bit words.
    const uint16_t type = Get16(head + 22);
    const uint64_t bytes = uint64_t(Get32(head + 22 + 6)) * 2;
    // The metafile follows the 22 header bytes and must lie wholly inside the stream.
    if ((type != 1 && type != 2) || bytes < 18 || bytes > available - 22 || bytes > GetMaxMemory())
        return false;
    if (!hFile->Seek(start + 22, SEEK_SET) || !ReadAll(hFile, mf.bytes, bytes))
        return false;
    mf.placeable = true;
    mf.width = (int64_t(mf.head.right) - mf.head.left) * kDpi / mf.head.inch;
    mf.height = (int64_t(mf.head.bottom) - mf.head.top) * kDpi / mf.head.inch;
    return true;
}

bool CRasterWMF::ReadEnhanced(CRasterFile* hFile, int32_t start, uint64_t available, Metafile& mf)
{
    // The header record first: type 1, its size, bounds, frame, signature, version, the metafile's length.
    uint8_t head[88];
    if (!hFile->Seek(start, SEEK_SET) || available < sizeof(head) ||
        hFile->Read(head, 1, sizeof(head)) != sizeof(head) || Get32(head) != 1 || Get32(head + 40) != kEmfSignature)
        return Fail("corrupted WMF");
    const uint64_t bytes = Get32(head + 48);
    if (bytes > available)
        return Fail("corrupted WMF");
    if (bytes > GetMaxMemory())
        return Fail("RASTER_MAX_MEMORY exceeded");
    MetafileEmfHeader emf;
    if (!hFile->Seek(start, SEEK_SET) || !ReadAll(hFile, mf.bytes, bytes) ||
        !ReadEmfHeader(mf.bytes.data(), mf.bytes.size(), emf))
        return Fail("corrupted WMF");
    mf.placeable = false;
    mf.width = int64_t(emf.right) - emf.left;
    mf.height = int64_t(emf.bottom) - emf.top;
    return true;
}

bool CRasterWMF::Decode(CRasterFile* hFile, uint32_t nForceWidth, uint32_t nForceHeight)
{
    if (!hFile)
        return false;
    const int32_t start = hFile->Tell();
    const int32_t total = hFile->Size();
    if (start < 0 || total < start)
        return Fail("corrupted WMF");
    const uint64_t available = uint64_t(total) - uint64_t(start);
    Metafile mf;
    if (!ReadPlaceable(hFile, start, available, mf)) {
        mf = Metafile{};
        if (!ReadEnhanced(hFile, start, available, mf))
            return false;
    }
    if (GetEscape() != 0)
        return Fail("Cancelled");
    if (mf.width <= 0 || mf.height <= 0)
        return Fail("empty WMF");
    int64_t width = nForceWidth ? nForceWidth : mf.width;
    int64_t height = nForceHeight ? nForceHeight : mf.height;
    ShrinkMetafile(width, height);
    // The drawing surface holds four bytes a pixel: it stays under the image memory cap too.
    if (uint64_t(width) * uint64_t(height) * 4 > GetMaxMemory())
        return Fail("RASTER_MAX_MEMORY exceeded");
    const int w = static_cast<int>(width), h = static_cast<int>(height);

    platform::gdi::DeviceBitmap surface;
    if (!surface.Create(w, h, 32))
        return false;
    {
        platform::gdi::DeviceContext dc(surface);
        dc.FillSolidRect(RECT{0, 0, w, h}, kWindowColour);
        CMetafilePlayer player(dc, w, h);
        if (mf.placeable)
            player.PlayWmf(mf.bytes.data(), mf.bytes.size(), mf.head.left, mf.head.top, mf.head.right, mf.head.bottom);
        else
            player.PlayEmf(mf.bytes.data(), mf.bytes.size());
    }
    mf.bytes = {};
    if (GetEscape() != 0)
        return Fail("Cancelled");

    if (!Create(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 32, RASTER_FORMAT_WMF))
        return false;
    std::vector<uint8_t> bits;
    if (!surface.GetDIBits(24, bits, nullptr))
        return false;
    std::memcpy(GetBits(0), bits.data(), std::min<size_t>(bits.size(), GetHeader().biSizeImage));
    return true;
}
