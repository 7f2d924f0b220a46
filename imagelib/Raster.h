// The raster image object: one device-independent bitmap block with its header, information record, alpha channel,
// selection mask and layers; creation, copying, codec dispatch, and pixel, palette, alpha and selection operations.
#pragma once

#include "imagelib/RasterFile.h"
#include "imagelib/RasterTypes.h"

#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

// Image types: also the index of the codec option slots.
enum : uint32_t {
    RASTER_FORMAT_UNKNOWN = 0,
    RASTER_FORMAT_BMP = 1,
    RASTER_FORMAT_GIF = 2,
    RASTER_FORMAT_ICO = 3,
    RASTER_FORMAT_TGA = 4,
    RASTER_FORMAT_PCX = 5,
    RASTER_FORMAT_WBMP = 6,
    RASTER_FORMAT_WMF = 7,
    RASTER_MAX_FORMATS = 8,
};

// Default cap on one image's memory (DIB block, alpha channel or selection mask), in bytes.
inline constexpr uint64_t RASTER_MAX_MEMORY = 1024ull * 1024 * 1024;

// Pictures up to this many pixels are made whatever their data holds; a larger one is made only when its data
// could fill it, so a file of a few bytes never claims hundreds of megabytes.
inline constexpr uint64_t RASTER_FREE_PIXELS = 4096ull * 4096;

// Whether a decoder may make a picture of `pixels` whose data can fill at most `fillable` of them.
inline bool RasterDataCanFill(uint64_t pixels, uint64_t fillable)
{
    return pixels <= RASTER_FREE_PIXELS || pixels <= fillable;
}

class CRaster;
class CRasterNearest;
struct tagRasterTextInfo;
struct RasterIcon;
struct RECT;
namespace platform {
class PixelSurface;
namespace gdi {
class DeviceContext;
struct Bitmap;
class DeviceBitmap;
class Region;
struct Icon;
} // namespace gdi
} // namespace platform

// A polygon vertex for SelectionAddPolygon.
struct RasterPOINT {
    int32_t x;
    int32_t y;
};

// A resource's bytes, as LoadResource takes them.
struct RasterResource {
    const uint8_t* data;
    uint32_t size;
};

// A memory block holding a device-independent bitmap: header, palette (or masks) and pixels; empty as no block.
using RasterDibBlock = std::vector<uint8_t>;

// The information record of an image.
struct RASTERINFO {
    uint32_t dwEffWidth;       // bytes per stored row, padding included
    uint8_t* pImage;           // pixel data inside the DIB block
    CRaster* pGhost;           // the image this one mirrors; null normally
    CRaster* pParent;          // left null
    uint32_t dwType;           // image type
    char szLastError[256];     // last failure text
    int32_t nProgress;         // percent done of a long operation
    int32_t nEscape;           // non-zero cancels; -1 asks decoders for dimensions only
    int32_t nBkgndIndex;       // transparent index, -1 none
    RGBQUAD nBkgndColor;       // transparent colour
    uint8_t nQuality;          // JPEG quality
    uint8_t nJpegScale;        // JPEG scale
    int32_t nFrame;            // frame to load
    int32_t nNumFrames;        // frames found
    uint32_t dwFrameDelay;     // frame delay
    int32_t xDPI;              // horizontal dots per inch
    int32_t yDPI;              // vertical dots per inch
    RASTERRECT rSelectionBox;  // top is the larger row number
    uint8_t nAlphaMax;         // alpha maximum
    bool bAlphaPaletteEnabled; // palette alpha honoured when drawing
    bool bEnabled;             // drawn at all
    int32_t xOffset;           // horizontal offset
    int32_t yOffset;           // vertical offset
    uint32_t dwCodecOpt[RASTER_MAX_FORMATS];
    RGBQUAD last_c;       // nearest-colour cache: colour
    uint8_t last_c_index; // nearest-colour cache: index
    bool last_c_isvalid;  // nearest-colour cache: valid
    int32_t nNumLayers;   // layer count
    uint32_t dwFlags;     // flags
};

class CRaster {
public:
    explicit CRaster(uint32_t imagetype = 0);
    CRaster(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp, uint32_t imagetype = 0);
    CRaster(const CRaster& src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);
    CRaster(const char* filename, uint32_t imagetype);
    CRaster(FILE* stream, uint32_t imagetype);
    CRaster(CRasterFile* stream, uint32_t imagetype);
    CRaster(uint8_t* buffer, uint32_t size, uint32_t imagetype);
    virtual ~CRaster();
    CRaster& operator=(const CRaster& src);

    // ---- creation and life ----
    uint8_t* Create(uint32_t dwWidth, uint32_t dwHeight, uint32_t wBpp, uint32_t imagetype = 0);
    bool Destroy();
    void Copy(const CRaster& src, bool copypixels = true, bool copyselection = true, bool copyalpha = true);
    bool Transfer(CRaster& from);
    void Clear(uint8_t bval = 0);
    bool CreateFromArray(const uint8_t* pArray, uint32_t dwWidth, uint32_t dwHeight, uint32_t dwBitsperpixel,
                         uint32_t dwBytesperline, bool bFlipImage);
    bool CreateFromMatrix(uint8_t** ppMatrix, uint32_t dwWidth, uint32_t dwHeight, uint32_t dwBitsperpixel,
                          uint32_t dwBytesperline, bool bFlipImage);
    void FreeMemory(void* memblock);

    // The process-wide cap on one image's memory; refused sizes report "RASTER_MAX_MEMORY exceeded".
    static void SetMaxMemory(uint64_t bytes);
    static uint64_t GetMaxMemory();

    // ---- header and information record ----
    uint8_t* GetDIB() const { return m_pDib; }
    uint32_t GetHeight() const { return static_cast<uint32_t>(m_head.biHeight); }
    uint32_t GetWidth() const { return static_cast<uint32_t>(m_head.biWidth); }
    uint32_t GetEffWidth() const { return m_info.dwEffWidth; }
    uint32_t GetNumColors() const { return m_head.biClrUsed; }
    uint16_t GetBpp() const { return m_head.biBitCount; }
    uint32_t GetType() const { return m_info.dwType; }
    uint32_t GetSize() const;
    uint8_t* GetBits(uint32_t row = 0);
    bool IsInside(int32_t x, int32_t y) const;
    bool IsValid() const { return m_pDib != nullptr; }
    bool IsEnabled() const { return m_info.bEnabled; }
    void Enable(bool enable = true) { m_info.bEnabled = enable; }
    bool IsIndexed() const { return m_head.biClrUsed != 0; }
    uint8_t GetColorType() const;
    int32_t GetTransIndex() const { return m_info.nBkgndIndex; }
    void SetTransIndex(int32_t idx) { m_info.nBkgndIndex = idx; }
    RGBQUAD GetTransColor();
    void SetTransColor(RGBQUAD rgb);
    bool IsTransparent() const { return m_info.nBkgndIndex >= 0; }
    int32_t GetXDPI() const { return m_info.xDPI; }
    int32_t GetYDPI() const { return m_info.yDPI; }
    void SetXDPI(int32_t dpi);
    void SetYDPI(int32_t dpi);
    uint32_t GetFlags() const { return m_info.dwFlags; }
    void SetFlags(uint32_t flags, bool bLockReservedFlags = true);
    uint32_t GetFrameDelay() const { return m_info.dwFrameDelay; }
    void SetFrameDelay(uint32_t d) { m_info.dwFrameDelay = d; }
    void GetOffset(int32_t* x, int32_t* y) const;
    void SetOffset(int32_t x, int32_t y);
    uint8_t GetJpegQuality() const { return m_info.nQuality; }
    void SetJpegQuality(uint8_t q) { m_info.nQuality = q; }
    uint8_t GetJpegScale() const { return m_info.nJpegScale; }
    void SetJpegScale(uint8_t s) { m_info.nJpegScale = s; }
    int32_t GetProgress() const { return m_info.nProgress; }
    void SetProgress(int32_t p) { m_info.nProgress = p; }
    int32_t GetEscape() const { return m_info.nEscape; }
    void SetEscape(int32_t e) { m_info.nEscape = e; }
    int32_t GetNumFrames() const { return m_info.nNumFrames; }
    int32_t GetFrame() const { return m_info.nFrame; }
    void SetFrame(int32_t n) { m_info.nFrame = n; }
    const char* GetLastError() const { return m_info.szLastError; }
    static const char* GetVersion();
    static float GetVersionNumber();
    uint32_t GetCodecOption(uint32_t imagetype = 0) const;
    bool SetCodecOption(uint32_t opt, uint32_t imagetype = 0);
    // The header record (a copy of the block's 40-byte header).
    const RASTERINFOHEADER& GetHeader() const { return m_head; }
    int32_t GetNumLayers() const { return m_info.nNumLayers; }
    CRaster* GetLayer(int32_t n) const;

    // ---- codec input and output ----
    bool Encode(CRasterFile* hFile, uint32_t imagetype);
    bool Encode(CRasterFile* hFile, CRaster** pImages, int32_t pagecount, uint32_t imagetype);
    bool Encode(FILE* hFile, uint32_t imagetype);
    bool Encode(FILE* hFile, CRaster** pImages, int32_t pagecount, uint32_t imagetype);
    bool Encode(uint8_t*& buffer, int32_t& size, uint32_t imagetype);
    bool Encode2RGBA(CRasterFile* hFile);
    bool Encode2RGBA(uint8_t*& buffer, int32_t& size);
    bool Decode(CRasterFile* hFile, uint32_t imagetype);
    bool Decode(FILE* hFile, uint32_t imagetype);
    bool Decode(uint8_t* buffer, uint32_t size, uint32_t imagetype);
    bool Load(const char* filename, uint32_t imagetype = 0);
    bool Save(const char* filename, uint32_t imagetype);
    bool LoadResource(const RasterResource* hRes, uint32_t imagetype, void* hModule = nullptr);

    // ---- pixels ----
    uint8_t GetPixelIndex(int32_t x, int32_t y);
    void SetPixelIndex(int32_t x, int32_t y, uint8_t i);
    RGBQUAD GetPixelColor(int32_t x, int32_t y, bool bGetAlpha = true);
    uint8_t GetPixelGray(int32_t x, int32_t y);
    void SetPixelColor(int32_t x, int32_t y, RGBQUAD c, bool bSetAlpha = false);
    void SetPixelColor(int32_t x, int32_t y, COLORREF cr);
    void BlendPixelColor(int32_t x, int32_t y, RGBQUAD c, float blend, bool bSetAlpha = false);
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, RGBQUAD color, bool bSetAlpha = false);
    void DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, COLORREF cr);
    bool IsTransparent(int32_t x, int32_t y);
    uint8_t GetNearestIndex(RGBQUAD c);

    // ---- palette ----
    uint32_t GetPaletteSize() const { return m_head.biClrUsed * 4; }
    RGBQUAD* GetPalette() const;
    RGBQUAD GetPaletteColor(uint8_t idx) const;
    bool GetPaletteColor(uint8_t i, uint8_t* r, uint8_t* g, uint8_t* b) const;
    void SetPaletteColor(uint8_t idx, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha = 0);
    void SetPaletteColor(uint8_t idx, RGBQUAD c);
    void SetPaletteColor(uint8_t idx, COLORREF cr);
    void SetPalette(uint32_t n, const uint8_t* r, const uint8_t* g = nullptr, const uint8_t* b = nullptr);
    void SetPalette(const rgb_color* rgb, uint32_t nColors = 256);
    void SetPalette(const RGBQUAD* pPal, uint32_t nColors = 256);
    void SetGrayPalette();
    void SetStdPalette();
    void BlendPalette(COLORREF cr, int32_t perc);
    bool IsGrayScale();
    bool IsSamePalette(const CRaster& img, bool bCheckAlpha = true) const;
    void SwapIndex(uint8_t idx1, uint8_t idx2);
    uint32_t GetClrImportant() const { return m_head.biClrImportant; }
    void SetClrImportant(uint32_t ncolors = 0);
    static RGBQUAD RGBtoRGBQUAD(COLORREF cr);
    static COLORREF RGBQUADtoRGB(RGBQUAD c);

    // ---- alpha channel ----
    bool AlphaIsValid() const { return m_pAlpha != nullptr; }
    bool AlphaCreate();
    void AlphaDelete();
    void AlphaClear();
    void AlphaSet(uint8_t level);
    void AlphaSet(int32_t x, int32_t y, uint8_t level);
    bool AlphaSet(CRaster& from);
    uint8_t AlphaGet(int32_t x, int32_t y) const;
    uint8_t* AlphaGetPointer(int32_t x = 0, int32_t y = 0);
    bool AlphaCopy(const CRaster& from);
    void AlphaInvert();
    bool AlphaFlip();
    bool AlphaMirror();
    void AlphaStrip();
    bool AlphaSplit(CRaster* dest);
    uint8_t AlphaGetMax() const { return m_info.nAlphaMax; }
    void AlphaSetMax(uint8_t nAlphaMax) { m_info.nAlphaMax = nAlphaMax; }
    void AlphaPaletteEnable(bool enable = true) { m_info.bAlphaPaletteEnabled = enable; }
    bool AlphaPaletteIsEnabled() const { return m_info.bAlphaPaletteEnabled; }
    bool AlphaPaletteIsValid() const;
    void AlphaPaletteClear();
    bool AlphaPaletteSplit(CRaster* dest);

    // ---- selection ----
    bool SelectionIsValid() const { return m_pSelection != nullptr; }
    bool SelectionCreate();
    bool SelectionDelete();
    bool SelectionClear();
    void SelectionGetBox(RASTERRECT& r) const { r = m_info.rSelectionBox; }
    bool SelectionIsInside(int32_t x, int32_t y) const;
    bool SelectionInvert();
    bool SelectionCopy(const CRaster& from);
    bool SelectionSplit(CRaster* dest);
    bool SelectionAddRect(RASTERRECT r);
    bool SelectionAddEllipse(RASTERRECT r);
    bool SelectionAddPolygon(const RasterPOINT* points, int32_t npoints);
    bool SelectionAddColor(RGBQUAD c);
    bool SelectionAddPixel(int32_t x, int32_t y);
    uint8_t* SelectionGetPointer(int32_t x = 0, int32_t y = 0);

    // ---- memory blocks ----
    // A copy of the whole DIB block; empty without a picture.
    RasterDibBlock CopyToHandle();
    // Makes the image from a DIB block laid out as its own header says (1 to 32 bits, raw, run-length or bit
    // fields); false for a block that is short, broken or of a kind no bitmap holds.
    bool CreateFromHANDLE(const RasterDibBlock& block);
    bool CreateFromHANDLE(const uint8_t* block, size_t size);

    // ---- graphics glue (defined in the imagelib_gdi library, over platform/gdi) ----
    // Reads a device bitmap (a surface of the display's format) or a 24-bit picture; false for an empty one.
    bool CreateFromHBITMAP(const platform::PixelSurface& bitmap);
    bool CreateFromHBITMAP(const platform::gdi::Bitmap& bitmap);
    // Reads a device bitmap of any depth: palette depths keep their indices and colour table (a given palette
    // replaces the table), 16 and 32 bits give 24. "GetDIBits failed" when its rows cannot be read.
    bool CreateFromHBITMAP(const platform::gdi::DeviceBitmap& bitmap, const std::vector<COLORREF>* palette = nullptr);
    // Colour picture plus mask: white mask pixels become alpha 0.
    bool CreateFromHICON(const RasterIcon& icon);
    bool CreateFromHICON(const platform::gdi::Icon& icon);
    // The picture as a device bitmap (display format) or as a 24-bit picture; false without a picture.
    bool MakeBitmap(platform::PixelSurface& out);
    bool MakeBitmap(platform::gdi::Bitmap& out);
    // The picture as a device bitmap of its own depth and palette.
    bool MakeBitmap(platform::gdi::DeviceBitmap& out);
    // Adds each run of fully selected pixels of each row as a one-row rectangle, rows as stored (from the
    // bottom); false without a selection.
    bool SelectionToHRGN(platform::gdi::Region& region);
    int32_t Draw(platform::gdi::DeviceContext* hdc, int32_t x = 0, int32_t y = 0, int32_t cx = -1, int32_t cy = -1,
                 const RECT* pClipRect = nullptr, bool bSmooth = false);
    int32_t Draw(platform::gdi::DeviceContext* hdc, const RECT& rect, const RECT* pClipRect = nullptr,
                 bool bSmooth = false);
    int32_t Draw2(platform::gdi::DeviceContext* hdc, int32_t x = 0, int32_t y = 0, int32_t cx = -1, int32_t cy = -1);
    int32_t Draw2(platform::gdi::DeviceContext* hdc, const RECT& rect);
    int32_t Stretch(platform::gdi::DeviceContext* hdc, int32_t xoffset, int32_t yoffset, int32_t xsize, int32_t ysize,
                    uint32_t dwRop = 0x00CC0020);
    int32_t Stretch(platform::gdi::DeviceContext* hdc, const RECT& rect, uint32_t dwRop = 0x00CC0020);
    int32_t Tile(platform::gdi::DeviceContext* hdc, const RECT* rc);
    int32_t DrawString(platform::gdi::DeviceContext* hdc, int32_t x, int32_t y, const char* text, RGBQUAD color,
                       const char* font, int32_t lSize = 0, int32_t lWeight = 400, uint8_t bItalic = 0,
                       uint8_t bUnderline = 0, bool bSetAlpha = false);
    int32_t DrawStringEx(platform::gdi::DeviceContext* hdc, int32_t x, int32_t y, tagRasterTextInfo* pTextType,
                         bool bSetAlpha = false);
    static void InitTextInfo(tagRasterTextInfo* txt);

    // ---- interpolation ----
    // How a lookup between pixels weighs its neighbours; other values act as InterpolationBilinear.
    enum InterpolationMethod : int32_t {
        InterpolationNearestNeighbour = 1,
        InterpolationBilinear = 2,
        InterpolationBSpline = 3,
        InterpolationBicubic = 4,
        InterpolationBicubic2 = 5,
        InterpolationLanczos = 6,
        InterpolationBox = 7,
        InterpolationHermite = 8,
        InterpolationHamming = 9,
        InterpolationSinc = 10,
        InterpolationBlackman = 11,
        InterpolationBessel = 12,
        InterpolationGaussian = 13,
        InterpolationQuadratic = 14,
        InterpolationMitchell = 15,
        InterpolationCatrom = 16,
    };
    // What a point outside the image yields; other values act as OverflowColor.
    enum OverflowMethod : int32_t {
        OverflowColor = 1,
        OverflowBackground = 2,
        OverflowTransparent = 3,
        OverflowWrap = 4,
        OverflowRepeat = 5,
        OverflowMirror = 6,
    };
    void OverflowCoordinates(int32_t& x, int32_t& y, OverflowMethod ofMethod);
    void OverflowCoordinates(float& x, float& y, OverflowMethod ofMethod);
    RGBQUAD GetPixelColorWithOverflow(int32_t x, int32_t y, OverflowMethod ofMethod = OverflowRepeat,
                                      const RGBQUAD* rplColor = nullptr);
    RGBQUAD GetPixelColorInterpolated(float x, float y, InterpolationMethod inMethod = InterpolationBilinear,
                                      OverflowMethod ofMethod = OverflowBackground, const RGBQUAD* rplColor = nullptr);
    RGBQUAD GetAreaColorInterpolated(float xc, float yc, float w, float h, InterpolationMethod inMethod,
                                     OverflowMethod ofMethod = OverflowBackground, const RGBQUAD* rplColor = nullptr);
    static void AddAveragingCont(const RGBQUAD& color, float surf, float& rr, float& gg, float& bb, float& aa);
    bool Resample2(int32_t newx, int32_t newy, InterpolationMethod inMethod = InterpolationBicubic2,
                   OverflowMethod ofMethod = OverflowRepeat, CRaster* iDst = nullptr, bool disableAveraging = false);
    static float KernelBSpline(float x);
    static float KernelLinear(float t);
    static float KernelCubic(float t);
    static float KernelGeneralizedCubic(float t, float a = -1);
    static float KernelLanczosSinc(float t, float r = 3);
    static float KernelBox(float x);
    static float KernelHermite(float x);
    static float KernelHamming(float x);
    static float KernelSinc(float x);
    static float KernelBlackman(float x);
    static float KernelBessel(float x);
    static float KernelGaussian(float x);
    static float KernelQuadratic(float x);
    static float KernelMitchell(float x);
    static float KernelCatrom(float x);
    static double KernelBessel_J1(double x);
    static double KernelBessel_P1(double x);
    static double KernelBessel_Q1(double x);
    static double KernelBessel_Order1(double x);

    // ---- resampling ----
    // Mode 1 nearest pixel, 2 B-spline, anything else averaging (24 bits shrinking on both axes) or bilinear.
    bool Resample(int32_t newx, int32_t newy, int mode = 1, CRaster* iDst = nullptr);
    bool QIShrink(int32_t newx, int32_t newy, CRaster* iDst = nullptr);

    // ---- transforms ----
    // Operations taking iDst leave this image unchanged and hand the result to iDst when it is given.
    bool Flip();
    bool Mirror();
    bool RotateLeft(CRaster* iDst = nullptr);
    bool RotateRight(CRaster* iDst = nullptr);
    bool Rotate180(CRaster* iDst = nullptr);
    // Degrees, clockwise as displayed.
    bool Rotate(float angle, CRaster* iDst = nullptr);
    bool Rotate2(float angle, CRaster* iDst = nullptr, InterpolationMethod inMethod = InterpolationBilinear,
                 OverflowMethod ofMethod = OverflowBackground, const RGBQUAD* replColor = nullptr,
                 bool optimizeRightAngles = true, bool bKeepOriginalSize = false);
    // The rectangle counts rows from the top.
    bool Crop(int32_t left, int32_t top, int32_t right, int32_t bottom, CRaster* iDst = nullptr);
    bool Crop(const RASTERRECT& rect, CRaster* iDst = nullptr);
    // Angle in radians.
    bool CropRotatedRectangle(int32_t topx, int32_t topy, int32_t width, int32_t height, float angle,
                              CRaster* iDst = nullptr);
    bool Expand(int32_t left, int32_t top, int32_t right, int32_t bottom, RGBQUAD canvascolor, CRaster* iDst = nullptr);
    bool Expand(int32_t newx, int32_t newy, RGBQUAD canvascolor, CRaster* iDst = nullptr);
    bool Thumbnail(int32_t newx, int32_t newy, RGBQUAD canvascolor, CRaster* iDst = nullptr);
    bool Skew(float xgain, float ygain, int32_t xpivot = 0, int32_t ypivot = 0, bool bEnableInterpolation = false);
    // Type 0 pinch, 1 punch, 2 swirl, 3 polar, 4 and up stripes; negative types are refused.
    bool CircleTransform(int type, int32_t rmax = 0, float Koeff = 1.0f);

    // ---- colour depth ----
    bool GrayScale();
    bool Negative();
    bool IncreaseBpp(uint32_t nbit);
    bool DecreaseBpp(uint32_t nbit, bool errordiffusion, const RGBQUAD* ppal = nullptr, uint32_t clrimportant = 0);
    // 0 Floyd-Steinberg, 1 ordered 4 x 4, 2 Burkes, 3 Stucki, 4 Jarvis-Judice-Ninke, 5 Sierra, 6 Stevenson-Arce,
    // 7 ordered 256 levels; other values act as 0.
    bool Dither(int32_t method = 0);

    // Brightness order of two colours: a sort comparator.
    static int CompareColors(const void* elem1, const void* elem2);

protected:
    bool SplitPlane(const uint8_t* plane, CRaster* dest) const;
    // Hands a finished result to iDst when given, else to this image.
    bool HandOver(CRaster& result, CRaster* iDst);
    // A result image of this one's information record, type and palette, without pixels set; alpha when this
    // image has alpha. False when it cannot be made.
    bool MakeResult(CRaster& result, uint32_t width, uint32_t height, uint32_t bpp);
    // The 24-bit lookups' shared bodies.
    RGBQUAD InterpolateKernel(float x, float y, int32_t xi, int32_t yi, InterpolationMethod inMethod,
                              OverflowMethod ofMethod, const RGBQUAD* rplColor);
    RGBQUAD InterpolateBilinear(float x, float y, int32_t xi, int32_t yi, OverflowMethod ofMethod,
                                const RGBQUAD* rplColor);
    RGBQUAD BilinearDirect(int32_t xi, int32_t yi, int w1, int w2) const;
    RGBQUAD KernelDirect(int32_t x0, int32_t y0, int32_t n, const float* kx, const float* ky) const;
    void ResampleInterpolated(CRaster& out, float xScale, float yScale, InterpolationMethod inMethod,
                              OverflowMethod ofMethod);
    bool ResampleAverage(CRaster& out, float xScale, float yScale);
    void ResampleFast(CRaster& out, int mode, float xScale, float yScale);
    // DecreaseBpp's bodies for 24-bit and palette sources: each pixel's nearest entry of the result's palette.
    void ReduceRgb(CRaster& tmp, CRasterNearest& nearest, bool errordiffusion);
    void ReducePalette(CRaster& tmp, CRasterNearest& nearest, bool errordiffusion);
    // The two creators' shared body: line y of the source (null skips it) copied into the new image.
    bool CreateFromLines(const std::function<const uint8_t*(uint32_t)>& lineAt, uint32_t dwWidth, uint32_t dwHeight,
                         uint32_t dwBitsperpixel, uint32_t dwBytesperline, bool bFlipImage);
    void Startup(uint32_t imagetype);
    void Ghost(const CRaster* src);
    void CopyInfo(const CRaster& src);
    void SetError(const char* text);
    bool EncodeSafeCheck(CRasterFile* hFile);
    void Bitfield2RGB(const uint8_t* src, uint32_t redmask, uint32_t greenmask, uint32_t bluemask, uint8_t bpp);
    void RGBtoBGR(uint8_t* buffer, int32_t length);
    uint8_t BlindGetPixelIndex(int32_t x, int32_t y) const;
    RGBQUAD BlindGetPixelColor(int32_t x, int32_t y) const;
    uint8_t* BlindGetPixelPointer(int32_t x, int32_t y);
    uint8_t BlindAlphaGet(int32_t x, int32_t y) const
    {
        return m_pAlpha[static_cast<size_t>(x) + static_cast<size_t>(y) * GetWidth()];
    }
    // Writes the header record into the block's first 40 bytes.
    void SyncHeaderToDib();
    // True when width × height bytes fit the memory cap; sets the error text otherwise.
    bool PlaneFits();
    size_t PlaneSize() const { return static_cast<size_t>(GetWidth()) * GetHeight(); }
    void EmptySelectionBox();
    bool CodecDecode(CRasterFile* hFile, uint32_t imagetype);
    bool CodecEncode(CRasterFile* hFile, uint32_t imagetype);

    friend class CImageIterator;
    friend struct RasterCodecAccess;

    uint8_t* m_pDib;
    RASTERINFOHEADER m_head;
    RASTERINFO m_info;
    uint8_t* m_pSelection;
    uint8_t* m_pAlpha;
    CRaster** m_ppLayers;
};

// The row cursor codecs walk an image with.
class CImageIterator {
public:
    explicit CImageIterator(CRaster* image = nullptr);
    // Moves to row n when 0 <= n <= height (height itself allowed); returns the row pointer.
    uint8_t* SetY(int32_t n);
    int32_t GetY() const { return Ity; }
    uint8_t* GetRow() const { return IterImage; }

protected:
    int32_t Itx, Ity;
    int32_t Stepx, Stepy;
    uint8_t* IterImage;
    CRaster* ima;
};

// A float point of the transforms.
class CRasterPoint2 {
public:
    CRasterPoint2() : x(0), y(0) {}
    CRasterPoint2(float x_, float y_) : x(x_), y(y_) {}
    float Distance(float tx, float ty) const;
    float x;
    float y;
};

// A float rectangle: minCorner (left, bottom) and maxCorner (right, top).
class CRasterRect2 {
public:
    CRasterRect2() = default;
    CRasterRect2(float x1, float y1, float x2, float y2) : minCorner(x1, y1), maxCorner(x2, y2) {}
    float Width() const { return maxCorner.x - minCorner.x; }
    float Height() const { return maxCorner.y - minCorner.y; }
    float Surface() const { return (maxCorner.y - minCorner.y) * (maxCorner.x - minCorner.x); }
    CRasterPoint2 Center() const;
    CRasterRect2 CrossSection(const CRasterRect2& r2) const;
    CRasterPoint2 minCorner;
    CRasterPoint2 maxCorner;
};
