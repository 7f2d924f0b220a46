// The raster image object: creation, copying, hand-over, destruction, header accessors and array import.
#include "imagelib/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace {

uint64_t g_maxMemory = RASTER_MAX_MEMORY;

// A zeroed block for a picture. Large ones ask for huge pages: a fresh picture is written once from end to end, and
// taking it 4 KiB page by page costs more than the writing itself.
void* AllocPicture(size_t bytes)
{
    void* block = std::calloc(1, bytes);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr size_t kPage = 4096, kLarge = size_t{4} << 20;
    if (block && bytes >= kLarge) {
        const uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + kPage - 1) & ~uintptr_t{kPage - 1};
        const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~uintptr_t{kPage - 1};
        // Only advice: where the kernel does not take it, the block works the same.
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#endif
    return block;
}

// Bits held for a requested depth: 1, 4, 8 or 24.
uint32_t HeldBits(uint32_t bits)
{
    if (bits <= 1)
        return 1;
    if (bits <= 4)
        return 4;
    if (bits <= 8)
        return 8;
    return 24;
}

} // namespace

void CRaster::SetMaxMemory(uint64_t bytes)
{
    // Sizes and stream positions are signed 32-bit: never allow more than that.
    g_maxMemory = std::min<uint64_t>(bytes, INT32_MAX);
}

uint64_t CRaster::GetMaxMemory()
{
    return g_maxMemory;
}

const char* CRaster::GetVersion()
{
    return "Raster 2.10";
}

float CRaster::GetVersionNumber()
{
    return 2.10f;
}

// ---- construction ----

void CRaster::Startup(uint32_t imagetype)
{
    m_pDib = nullptr;
    m_pSelection = nullptr;
    m_pAlpha = nullptr;
    m_ppLayers = nullptr;
    std::memset(&m_head, 0, sizeof(m_head));
    std::memset(&m_info, 0, sizeof(m_info));
    m_info.dwType = imagetype;
    m_info.nQuality = 90;
    m_info.nAlphaMax = 255;
    m_info.nBkgndIndex = -1;
    m_info.bEnabled = true;
    SetXDPI(96);
    SetYDPI(96);
}

CRaster::CRaster(uint32_t imagetype)
{
    Startup(imagetype);
}

CRaster::CRaster(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp, uint32_t imagetype)
{
    Startup(imagetype);
    Create(dwWidth, dwHeight, wBpp, imagetype);
}

CRaster::CRaster(const CRaster& src, bool copypixels, bool copyselection, bool copyalpha)
{
    Startup(src.GetType());
    Copy(src, copypixels, copyselection, copyalpha);
}

CRaster::CRaster(const char* filename, uint32_t imagetype)
{
    Startup(imagetype);
    Load(filename, imagetype);
}

CRaster::CRaster(FILE* stream, uint32_t imagetype)
{
    Startup(imagetype);
    Decode(stream, imagetype);
}

CRaster::CRaster(CRasterFile* stream, uint32_t imagetype)
{
    Startup(imagetype);
    Decode(stream, imagetype);
}

CRaster::CRaster(uint8_t* buffer, uint32_t size, uint32_t imagetype)
{
    Startup(imagetype);
    Decode(buffer, size, imagetype);
}

CRaster::~CRaster()
{
    Destroy();
}

CRaster& CRaster::operator=(const CRaster& src)
{
    if (this != &src)
        Copy(src);
    return *this;
}

void CRaster::SetError(const char* text)
{
    if (!text)
        text = "";
    std::strncpy(m_info.szLastError, text, sizeof(m_info.szLastError) - 1);
    m_info.szLastError[sizeof(m_info.szLastError) - 1] = 0;
}

// ---- creation and life ----

uint8_t* CRaster::Create(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp, uint32_t imagetype)
{
    if (!Destroy())
        return nullptr;
    if (dwWidth == 0 || dwHeight == 0) {
        SetError("CRaster::Create : width and height must be greater than zero");
        return nullptr;
    }
    uint32_t bits = HeldBits(wBpp);
    // Sizes in 64 bits against a real cap: the header fields are signed 32-bit, the block must fit the cap.
    uint64_t effWidth = ((static_cast<uint64_t>(dwWidth) * bits + 31) / 32) * 4;
    uint32_t colors = bits == 1 ? 2 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
    uint64_t headAndPalette = kRasterInfoHeaderSize + colors * 4ull;
    if (dwWidth > INT32_MAX || dwHeight > INT32_MAX || dwHeight > (g_maxMemory - headAndPalette) / effWidth) {
        SetError("RASTER_MAX_MEMORY exceeded");
        return nullptr;
    }
    uint64_t imageSize = effWidth * dwHeight;

    m_head.biSize = kRasterInfoHeaderSize;
    m_head.biWidth = static_cast<int32_t>(dwWidth);
    m_head.biHeight = static_cast<int32_t>(dwHeight);
    m_head.biPlanes = 1;
    m_head.biBitCount = static_cast<uint16_t>(bits);
    m_head.biCompression = 0;
    m_head.biSizeImage = static_cast<uint32_t>(imageSize);
    m_head.biClrUsed = colors;
    m_head.biClrImportant = 0;
    m_info.dwEffWidth = static_cast<uint32_t>(effWidth);
    m_info.dwType = imagetype;
    m_info.last_c_isvalid = false;

    // Zeroed: decoders that stop early leave black pixels, never old heap bytes.
    m_pDib = static_cast<uint8_t*>(AllocPicture(static_cast<size_t>(headAndPalette + imageSize)));
    if (!m_pDib) {
        m_head.biWidth = 0;
        m_head.biHeight = 0;
        m_head.biBitCount = 0;
        m_head.biSizeImage = 0;
        m_head.biClrUsed = 0;
        m_info.dwEffWidth = 0;
        SetError("CRaster::Create can't allocate memory");
        return nullptr;
    }
    SyncHeaderToDib();
    m_info.pImage = m_pDib + headAndPalette;
    return m_pDib;
}

void CRaster::SyncHeaderToDib()
{
    if (m_pDib)
        rasterbytes::WriteInfoHeader(m_pDib, m_head);
}

bool CRaster::Destroy()
{
    if (m_info.pGhost)
        return false;
    if (m_ppLayers) {
        for (int32_t n = 0; n < m_info.nNumLayers; ++n)
            delete m_ppLayers[n];
        delete[] m_ppLayers;
        m_ppLayers = nullptr;
    }
    m_info.nNumLayers = 0;
    std::free(m_pSelection);
    m_pSelection = nullptr;
    std::free(m_pAlpha);
    m_pAlpha = nullptr;
    std::free(m_pDib);
    m_pDib = nullptr;
    m_info.pImage = nullptr;
    m_info.dwEffWidth = 0;
    m_head.biWidth = 0;
    m_head.biHeight = 0;
    m_head.biBitCount = 0;
    m_head.biSizeImage = 0;
    m_head.biClrUsed = 0;
    return true;
}

void CRaster::Copy(const CRaster& src, bool copypixels, bool copyselection, bool copyalpha)
{
    if (&src == this || !Destroy())
        return;
    m_info = src.m_info;
    // The copy owns its blocks: it mirrors nothing and holds no layers.
    m_info.pGhost = nullptr;
    m_info.nNumLayers = 0;
    m_info.pImage = nullptr;
    m_info.dwEffWidth = 0;
    if (!src.IsValid()) {
        m_head = src.m_head;
        return;
    }
    RASTERINFO kept = m_info;
    if (!Create(src.GetWidth(), src.GetHeight(), src.GetBpp(), src.GetType()))
        return;
    kept.pImage = m_info.pImage;
    kept.dwEffWidth = m_info.dwEffWidth;
    m_info = kept;
    m_head = src.m_head;
    if (copypixels) {
        std::memcpy(m_pDib, src.m_pDib, GetSize());
        SyncHeaderToDib();
    } else {
        SetPalette(src.GetPalette(), 256);
        SyncHeaderToDib();
    }
    if (copyselection && src.m_pSelection) {
        m_pSelection = static_cast<uint8_t*>(std::malloc(PlaneSize()));
        if (m_pSelection)
            std::memcpy(m_pSelection, src.m_pSelection, PlaneSize());
    }
    if (copyalpha && src.m_pAlpha) {
        m_pAlpha = static_cast<uint8_t*>(std::malloc(PlaneSize()));
        if (m_pAlpha)
            std::memcpy(m_pAlpha, src.m_pAlpha, PlaneSize());
    }
}

bool CRaster::Transfer(CRaster& from)
{
    if (&from == this)
        return true;
    // A ghost owns nothing it could hand over.
    if (from.m_info.pGhost || !Destroy())
        return false;
    m_head = from.m_head;
    m_info = from.m_info;
    m_pDib = from.m_pDib;
    m_pSelection = from.m_pSelection;
    m_pAlpha = from.m_pAlpha;
    m_ppLayers = from.m_ppLayers;
    m_info.pGhost = nullptr;

    std::memset(&from.m_head, 0, sizeof(from.m_head));
    std::memset(&from.m_info, 0, sizeof(from.m_info));
    from.m_pDib = nullptr;
    from.m_pSelection = nullptr;
    from.m_pAlpha = nullptr;
    from.m_ppLayers = nullptr;
    return true;
}

void CRaster::Ghost(const CRaster* src)
{
    if (!src)
        return;
    m_head = src->m_head;
    m_info = src->m_info;
    m_pDib = src->m_pDib;
    m_pSelection = src->m_pSelection;
    m_pAlpha = src->m_pAlpha;
    m_ppLayers = src->m_ppLayers;
    m_info.pGhost = const_cast<CRaster*>(src);
}

void CRaster::CopyInfo(const CRaster& src)
{
    if (m_pDib)
        return;
    m_info = src.m_info;
    // Only the record: the source's blocks stay the source's.
    m_info.pImage = nullptr;
    m_info.dwEffWidth = 0;
    m_info.pGhost = nullptr;
    m_info.nNumLayers = 0;
}

void CRaster::Clear(uint8_t bval)
{
    if (!m_pDib)
        return;
    if (GetBpp() == 1)
        bval = bval ? 255 : 0;
    else if (GetBpp() == 4)
        bval = static_cast<uint8_t>((bval & 15) * 17);
    std::memset(m_info.pImage, bval, m_head.biSizeImage);
}

bool CRaster::CreateFromArray(const uint8_t* pArray, uint32_t dwWidth, uint32_t dwHeight, uint32_t dwBitsperpixel,
                              uint32_t dwBytesperline, bool bFlipImage)
{
    if (!pArray)
        return false;
    return CreateFromLines([&](uint32_t y) { return pArray + static_cast<size_t>(y) * dwBytesperline; }, dwWidth,
                           dwHeight, dwBitsperpixel, dwBytesperline, bFlipImage);
}

bool CRaster::CreateFromMatrix(uint8_t** ppMatrix, uint32_t dwWidth, uint32_t dwHeight, uint32_t dwBitsperpixel,
                               uint32_t dwBytesperline, bool bFlipImage)
{
    if (!ppMatrix)
        return false;
    return CreateFromLines([&](uint32_t y) -> const uint8_t* { return ppMatrix[y]; }, dwWidth, dwHeight, dwBitsperpixel,
                           dwBytesperline, bFlipImage);
}

bool CRaster::CreateFromLines(const std::function<const uint8_t*(uint32_t)>& lineAt, uint32_t dwWidth,
                              uint32_t dwHeight, uint32_t dwBitsperpixel, uint32_t dwBytesperline, bool bFlipImage)
{
    if (!(dwBitsperpixel == 1 || dwBitsperpixel == 4 || dwBitsperpixel == 8 || dwBitsperpixel == 24 ||
          dwBitsperpixel == 32))
        return false;
    if (!Create(dwWidth, dwHeight, dwBitsperpixel, 0))
        return false;
    if (dwBitsperpixel < 24)
        SetGrayPalette();
    if (dwBitsperpixel == 32 && !AlphaCreate())
        return false;
    for (uint32_t y = 0; y < dwHeight; ++y) {
        const uint8_t* line = lineAt(y);
        if (!line)
            continue;
        uint32_t row = bFlipImage ? dwHeight - 1 - y : y;
        uint8_t* dst = m_info.pImage + static_cast<size_t>(row) * m_info.dwEffWidth;
        if (dwBitsperpixel == 32) {
            // Only the whole pixels a line holds: a short line never reads past its end.
            uint32_t n = std::min(dwWidth, dwBytesperline / 4);
            uint8_t* alpha = m_pAlpha + static_cast<size_t>(row) * dwWidth;
            for (uint32_t x = 0; x < n; ++x) {
                dst[3 * x] = line[4 * x];
                dst[3 * x + 1] = line[4 * x + 1];
                dst[3 * x + 2] = line[4 * x + 2];
                alpha[x] = line[4 * x + 3];
            }
        } else {
            std::memcpy(dst, line, std::min(m_info.dwEffWidth, dwBytesperline));
        }
    }
    return true;
}

void CRaster::FreeMemory(void* memblock)
{
    std::free(memblock);
}

// ---- accessors ----

uint32_t CRaster::GetSize() const
{
    return m_head.biSize + m_head.biSizeImage + GetPaletteSize();
}

uint8_t* CRaster::GetBits(uint32_t row)
{
    if (!m_pDib)
        return nullptr;
    if (row == 0)
        return m_info.pImage;
    if (row < GetHeight())
        return m_info.pImage + static_cast<size_t>(m_info.dwEffWidth) * row;
    return nullptr;
}

bool CRaster::IsInside(int32_t x, int32_t y) const
{
    return x >= 0 && y >= 0 && x < m_head.biWidth && y < m_head.biHeight;
}

uint8_t CRaster::GetColorType() const
{
    if (m_pAlpha)
        return 4;
    return GetBpp() > 8 ? 2 : 1;
}

RGBQUAD CRaster::GetTransColor()
{
    if (m_head.biBitCount < 24 && m_info.nBkgndIndex >= 0)
        return GetPaletteColor(static_cast<uint8_t>(m_info.nBkgndIndex));
    return m_info.nBkgndColor;
}

void CRaster::SetTransColor(RGBQUAD rgb)
{
    rgb.rgbReserved = 0;
    m_info.nBkgndColor = rgb;
}

void CRaster::SetXDPI(int32_t dpi)
{
    if (dpi < 1)
        dpi = 96;
    m_info.xDPI = dpi;
    m_head.biXPelsPerMeter = DpiToPelsPerMeter(dpi);
}

void CRaster::SetYDPI(int32_t dpi)
{
    if (dpi < 1)
        dpi = 96;
    m_info.yDPI = dpi;
    m_head.biYPelsPerMeter = DpiToPelsPerMeter(dpi);
}

void CRaster::SetFlags(uint32_t flags, bool bLockReservedFlags)
{
    m_info.dwFlags = bLockReservedFlags ? (flags & 0x0000FFFF) : flags;
}

void CRaster::GetOffset(int32_t* x, int32_t* y) const
{
    if (x)
        *x = m_info.xOffset;
    if (y)
        *y = m_info.yOffset;
}

void CRaster::SetOffset(int32_t x, int32_t y)
{
    m_info.xOffset = x;
    m_info.yOffset = y;
}

uint32_t CRaster::GetCodecOption(uint32_t imagetype) const
{
    if (imagetype == 0)
        imagetype = GetType();
    return imagetype < RASTER_MAX_FORMATS ? m_info.dwCodecOpt[imagetype] : 0;
}

bool CRaster::SetCodecOption(uint32_t opt, uint32_t imagetype)
{
    if (imagetype == 0)
        imagetype = GetType();
    if (imagetype >= RASTER_MAX_FORMATS)
        return false;
    m_info.dwCodecOpt[imagetype] = opt;
    return true;
}

CRaster* CRaster::GetLayer(int32_t n) const
{
    if (!m_ppLayers || n < 0 || n >= m_info.nNumLayers)
        return nullptr;
    return m_ppLayers[n];
}

bool CRaster::PlaneFits()
{
    if (PlaneSize() == 0)
        return false;
    if (PlaneSize() > g_maxMemory) {
        SetError("RASTER_MAX_MEMORY exceeded");
        return false;
    }
    return true;
}

// ---- conversions ----

void CRaster::Bitfield2RGB(const uint8_t* src, uint32_t redmask, uint32_t greenmask, uint32_t bluemask, uint8_t bpp)
{
    if (!src || !m_pDib || GetBpp() != 24 || (bpp != 16 && bpp != 32))
        return;
    uint32_t width = GetWidth();
    uint32_t height = GetHeight();
    uint32_t eff = m_info.dwEffWidth;
    if (bpp == 16) {
        redmask &= 0xFFFF;
        greenmask &= 0xFFFF;
        bluemask &= 0xFFFF;
    }
    // Each channel's shift and width come from its own mask; values are brought to 8 bits.
    struct Channel {
        uint32_t mask;
        int shift;
        int bits;
        uint8_t Get(uint32_t w) const
        {
            if (!mask)
                return 0;
            uint32_t v = (w & mask) >> shift;
            return static_cast<uint8_t>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
        }
    };
    auto make = [](uint32_t mask) {
        Channel c{mask, 0, 0};
        if (mask) {
            c.shift = __builtin_ctz(mask);
            c.bits = 32 - __builtin_clz(mask >> c.shift);
        }
        return c;
    };
    Channel r = make(redmask), g = make(greenmask), b = make(bluemask);
    bool plain32 = bpp == 32 && (redmask | greenmask | bluemask) == 0;
    uint64_t stride = bpp == 16 ? ((static_cast<uint64_t>(width) + 1) / 2) * 4 : static_cast<uint64_t>(width) * 4;
    // Last row and last pixel first, so the source may be this image's own pixel buffer.
    for (uint32_t y = height; y-- > 0;) {
        const uint8_t* s = src + stride * y;
        uint8_t* d = m_info.pImage + static_cast<uint64_t>(eff) * y;
        for (uint32_t x = width; x-- > 0;) {
            uint32_t w;
            if (bpp == 16) {
                w = rasterbytes::Get16(s + 2 * x);
            } else if (plain32) {
                uint8_t bb = s[4 * x], gg = s[4 * x + 1], rr = s[4 * x + 2];
                d[3 * x] = bb;
                d[3 * x + 1] = gg;
                d[3 * x + 2] = rr;
                continue;
            } else {
                w = rasterbytes::Get32(s + 4 * x);
            }
            uint8_t bb = b.Get(w), gg = g.Get(w), rr = r.Get(w);
            d[3 * x] = bb;
            d[3 * x + 1] = gg;
            d[3 * x + 2] = rr;
        }
    }
}

int CRaster::CompareColors(const void* elem1, const void* elem2)
{
    const RGBQUAD* c1 = static_cast<const RGBQUAD*>(elem1);
    const RGBQUAD* c2 = static_cast<const RGBQUAD*>(elem2);
    int g1 = (601 * c1->rgbGreen + 306 * c1->rgbRed + 117 * c1->rgbBlue) >> 10;
    int g2 = (601 * c2->rgbGreen + 306 * c2->rgbRed + 117 * c2->rgbBlue) >> 10;
    return g1 - g2;
}

// ---- iterator and geometry ----

CImageIterator::CImageIterator(CRaster* image) : Itx(0), Ity(0), Stepx(0), Stepy(0), IterImage(nullptr), ima(image)
{
    if (ima)
        IterImage = ima->GetBits();
}

uint8_t* CImageIterator::SetY(int32_t n)
{
    if (ima && ima->IsValid() && n >= 0 && n <= static_cast<int32_t>(ima->GetHeight())) {
        Ity = n;
        IterImage = ima->m_info.pImage + static_cast<size_t>(ima->GetEffWidth()) * n;
    }
    return IterImage;
}

float CRasterPoint2::Distance(float tx, float ty) const
{
    double dx = static_cast<double>(x) - tx;
    double dy = static_cast<double>(y) - ty;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy));
}

CRasterPoint2 CRasterRect2::Center() const
{
    return CRasterPoint2((maxCorner.x + minCorner.x) * 0.5f, (maxCorner.y + minCorner.y) * 0.5f);
}

CRasterRect2 CRasterRect2::CrossSection(const CRasterRect2& r2) const
{
    CRasterRect2 cs;
    cs.minCorner.x = std::max(minCorner.x, r2.minCorner.x);
    cs.minCorner.y = std::max(minCorner.y, r2.minCorner.y);
    cs.maxCorner.x = std::min(maxCorner.x, r2.maxCorner.x);
    cs.maxCorner.y = std::min(maxCorner.y, r2.maxCorner.y);
    if (cs.minCorner.x <= cs.maxCorner.x && cs.minCorner.y <= cs.maxCorner.y)
        return cs;
    return CRasterRect2();
}
