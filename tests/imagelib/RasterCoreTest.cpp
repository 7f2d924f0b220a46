// Tests of the image object: creation and sizes, resolution, copy and hand-over, dispatch, files and arrays.
#include "imagelib/Raster.h"
#include "imagelib/RasterCodecs.h"
#include "RasterTestUtil.h"
#include "platform/system/FileLayer.h"
#include "platform/system/SafeWrite.h"
#include "tests/support/SafeWriteCheck.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/resource.h>

using namespace rastertest;

namespace {

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Exposes the protected ghost for the test.
class GhostRaster : public CRaster {
public:
    void MakeGhostOf(const CRaster& src) { Ghost(&src); }
};

} // namespace

TEST(RasterCore, StartupValues)
{
    CRaster img(RASTER_FORMAT_TGA);
    EXPECT_FALSE(img.IsValid());
    EXPECT_EQ(img.GetType(), RASTER_FORMAT_TGA);
    EXPECT_EQ(img.GetJpegQuality(), 90);
    EXPECT_EQ(img.AlphaGetMax(), 255);
    EXPECT_EQ(img.GetTransIndex(), -1);
    EXPECT_TRUE(img.IsEnabled());
    EXPECT_EQ(img.GetXDPI(), 96);
    EXPECT_EQ(img.GetHeader().biXPelsPerMeter, 3780);
    EXPECT_STREQ(CRaster::GetVersion(), "Raster 2.10");
    EXPECT_FLOAT_EQ(CRaster::GetVersionNumber(), 2.10f);
}

TEST(RasterCore, CreateHoldsDepthsAndSizes)
{
    struct Case {
        uint32_t w, h, bits;
        uint16_t held;
        uint32_t colors, eff;
    } cases[] = {{10, 10, 2, 4, 16, 8}, {10, 3, 0, 1, 2, 4},   {33, 2, 1, 1, 2, 8},
                 {3, 2, 7, 8, 256, 4},  {3, 2, 16, 24, 0, 12}, {5, 1, 32, 24, 0, 16}};
    for (const Case& c : cases) {
        CRaster img;
        ASSERT_NE(img.Create(c.w, c.h, c.bits, RASTER_FORMAT_BMP), nullptr);
        EXPECT_EQ(img.GetBpp(), c.held) << c.bits;
        EXPECT_EQ(img.GetNumColors(), c.colors);
        EXPECT_EQ(img.GetEffWidth(), c.eff);
        EXPECT_EQ(img.GetHeader().biSizeImage, c.eff * c.h);
        EXPECT_EQ(img.GetSize(), 40 + c.colors * 4 + c.eff * c.h);
        EXPECT_EQ(img.GetBits(0), img.GetDIB() + 40 + c.colors * 4);
        EXPECT_EQ(img.GetBits(1), c.h > 1 ? img.GetBits(0) + c.eff : nullptr);
        EXPECT_EQ(img.GetBits(c.h), nullptr);
        // The block's own header, byte for byte.
        RASTERINFOHEADER h = rasterbytes::ReadInfoHeader(img.GetDIB());
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, static_cast<int32_t>(c.w));
        EXPECT_EQ(h.biHeight, static_cast<int32_t>(c.h));
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, c.held);
        EXPECT_EQ(h.biClrUsed, c.colors);
    }
}

TEST(RasterCore, CreateRefusesEmptyAndHugeSizes)
{
    CRaster img;
    EXPECT_EQ(img.Create(0, 5, 24, 1), nullptr);
    EXPECT_STREQ(img.GetLastError(), "CRaster::Create : width and height must be greater than zero");
    struct Case {
        uint32_t w, h, bits;
    } huge[] = {{65535, 65535, 24}, {0x80000000u, 1, 1}, {1, 0xFFFFFFFFu, 1}, {0xFFFFFFFFu, 0xFFFFFFFFu, 32}};
    for (const Case& c : huge) {
        CRaster big;
        EXPECT_EQ(big.Create(c.w, c.h, c.bits, 1), nullptr);
        EXPECT_STREQ(big.GetLastError(), "RASTER_MAX_MEMORY exceeded");
        EXPECT_FALSE(big.IsValid());
    }
    uint64_t cap = CRaster::GetMaxMemory();
    CRaster::SetMaxMemory(1000);
    CRaster small;
    EXPECT_EQ(small.Create(20, 20, 24, 1), nullptr);
    EXPECT_STREQ(small.GetLastError(), "RASTER_MAX_MEMORY exceeded");
    EXPECT_NE(small.Create(10, 10, 8, 1), nullptr) << small.GetLastError();
    CRaster::SetMaxMemory(cap);
}

TEST(RasterCore, NewPixelsAreZero)
{
    for (int round = 0; round < 3; ++round) {
        CRaster dirty(64, 64, 24, 1);
        dirty.Clear(0xCD);
    }
    CRaster img(64, 64, 24, 1);
    for (uint32_t i = 0; i < img.GetHeader().biSizeImage; ++i)
        ASSERT_EQ(img.GetBits(0)[i], 0) << i;
}

TEST(RasterCore, ResolutionAndOptions)
{
    CRaster img;
    img.SetXDPI(0);
    EXPECT_EQ(img.GetXDPI(), 96);
    img.SetYDPI(300);
    EXPECT_EQ(img.GetYDPI(), 300);
    EXPECT_EQ(img.GetHeader().biYPelsPerMeter, 11811);
    img.SetFlags(0xABCD1234, true);
    EXPECT_EQ(img.GetFlags(), 0x1234u);
    img.SetFlags(0xABCD1234, false);
    EXPECT_EQ(img.GetFlags(), 0xABCD1234u);
    CRaster gif(RASTER_FORMAT_GIF);
    EXPECT_TRUE(gif.SetCodecOption(5, 0));
    EXPECT_EQ(gif.GetCodecOption(RASTER_FORMAT_GIF), 5u);
    EXPECT_EQ(gif.GetCodecOption(0), 5u);
    EXPECT_FALSE(gif.SetCodecOption(1, 8));
    EXPECT_EQ(gif.GetCodecOption(9), 0u);
}

TEST(RasterCore, ClearFillsByDepth)
{
    struct Case {
        uint32_t bits;
        uint8_t value, byte;
    } cases[] = {{1, 3, 255}, {1, 0, 0}, {4, 0x35, 0x55}, {8, 77, 77}, {24, 9, 9}};
    for (const Case& c : cases) {
        CRaster img(5, 3, c.bits, 1);
        img.Clear(c.value);
        EXPECT_EQ(img.GetBits(2)[0], c.byte) << c.bits;
    }
}

TEST(RasterCore, CopyTakesPixelsAlphaSelectionButNoGhostOrLayers)
{
    CRaster src = MakePattern(7, 5, 24);
    ASSERT_TRUE(src.AlphaCreate());
    src.AlphaSet(2, 1, 17);
    RASTERRECT r{1, 3, 4, 1};
    ASSERT_TRUE(src.SelectionAddRect(r));
    src.SetTransIndex(2);
    src.SetXDPI(150);

    CRaster all(src);
    EXPECT_EQ(ComparePixels(all, src), "");
    EXPECT_EQ(all.AlphaGet(2, 1), 17);
    EXPECT_TRUE(all.SelectionIsInside(2, 2));
    EXPECT_EQ(all.GetTransIndex(), 2);
    EXPECT_EQ(all.GetXDPI(), 150);
    EXPECT_EQ(all.GetNumLayers(), 0);
    EXPECT_NE(all.GetDIB(), src.GetDIB());
    EXPECT_EQ(std::memcmp(all.GetBits(0), src.GetBits(0), src.GetHeader().biSizeImage), 0);

    CRaster bare(src, false, false, false);
    EXPECT_TRUE(bare.IsValid());
    EXPECT_FALSE(bare.AlphaIsValid());
    EXPECT_FALSE(bare.SelectionIsValid());
    EXPECT_EQ(bare.GetPixelColor(3, 3).rgbRed, 0);

    CRaster pal = MakePattern(6, 4, 8);
    CRaster palOnly(pal, false, false, false);
    EXPECT_TRUE(palOnly.IsSamePalette(pal));
    EXPECT_EQ(palOnly.GetPixelIndex(5, 3), 0);

    // Copying a ghost gives an owner, not another ghost.
    GhostRaster ghost;
    ghost.MakeGhostOf(src);
    CRaster fromGhost(ghost);
    EXPECT_TRUE(fromGhost.Destroy());
    CRaster assigned;
    assigned = src;
    CRaster& alias = assigned;
    assigned = alias; // self-assignment keeps the picture
    EXPECT_EQ(ComparePixels(assigned, src), "");
}

TEST(RasterCore, TransferMovesEverything)
{
    CRaster from = MakePattern(4, 3, 4);
    ASSERT_TRUE(from.AlphaCreate());
    uint8_t* dib = from.GetDIB();
    CRaster to(RASTER_FORMAT_GIF);
    ASSERT_TRUE(to.Transfer(from));
    EXPECT_EQ(to.GetDIB(), dib);
    EXPECT_TRUE(to.AlphaIsValid());
    EXPECT_EQ(to.GetWidth(), 4u);
    EXPECT_EQ(to.GetType(), RASTER_FORMAT_BMP);
    EXPECT_FALSE(from.IsValid());
    EXPECT_FALSE(from.AlphaIsValid());
    EXPECT_EQ(from.GetWidth(), 0u);
}

TEST(RasterCore, GhostFreesNothing)
{
    CRaster src = MakePattern(3, 3, 24);
    {
        GhostRaster ghost;
        ghost.MakeGhostOf(src);
        EXPECT_EQ(ghost.GetDIB(), src.GetDIB());
        EXPECT_FALSE(ghost.Destroy());
        EXPECT_EQ(ghost.Create(2, 2, 8, 1), nullptr);
        CRaster other = MakePattern(2, 2, 8);
        EXPECT_FALSE(ghost.Transfer(other));
        EXPECT_FALSE(other.Transfer(ghost));
        EXPECT_TRUE(other.IsValid());
    }
    EXPECT_EQ(src.GetPixelColor(2, 2).rgbBlue, PatternColor(2, 2).rgbBlue);
}

TEST(RasterCore, DispatchToleratesCodecsNotBuilt)
{
    CRaster img = MakePattern(3, 2, 24);
    CRasterMemFile out;
    ASSERT_TRUE(out.Open());
    for (uint32_t type : {0u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 100u}) {
        if (RasterFindCodec(type))
            continue;
        EXPECT_FALSE(img.Encode(&out, type)) << type;
        EXPECT_STREQ(img.GetLastError(), "Encode: Unknown format");
    }
    CRaster* pages[1] = {&img};
    EXPECT_FALSE(img.Encode(&out, pages, 1, RASTER_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "Multipage Encode, Unsupported operation for this format");
    EXPECT_FALSE(img.Encode(static_cast<CRasterFile*>(nullptr), RASTER_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "null file handler");
    CRaster empty;
    EXPECT_FALSE(empty.Encode(&out, RASTER_FORMAT_BMP));
    EXPECT_STREQ(empty.GetLastError(), "null image!!!");
    uint8_t* buf = reinterpret_cast<uint8_t*>(&out);
    int32_t size = 0;
    EXPECT_FALSE(img.Encode(buf, size, RASTER_FORMAT_BMP));
    EXPECT_STREQ(img.GetLastError(), "the buffer must be empty");

    std::vector<uint8_t> bmp = EncodeBmp(img);
    ASSERT_FALSE(bmp.empty());
    for (uint32_t type : {3u, 4u, 5u, 7u, 9u}) {
        if (RasterFindCodec(type))
            continue;
        CRaster d;
        EXPECT_FALSE(d.Decode(bmp.data(), static_cast<uint32_t>(bmp.size()), type)) << type;
        EXPECT_STREQ(d.GetLastError(), "Decode: Unknown or wrong format");
    }
    CRaster any;
    EXPECT_TRUE(any.Decode(bmp.data(), static_cast<uint32_t>(bmp.size()), RASTER_FORMAT_UNKNOWN));
    EXPECT_EQ(ComparePixels(any, img), "");
    EXPECT_EQ(any.GetType(), RASTER_FORMAT_BMP);

    uint8_t junk[40] = {'G', 'I', 'F', '8', '9', 'a'};
    CRasterMemFile in(junk, sizeof(junk));
    in.Seek(3, SEEK_SET);
    CRaster none;
    EXPECT_FALSE(none.Decode(&in, RASTER_FORMAT_UNKNOWN));
    EXPECT_STREQ(none.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_EQ(in.Tell(), 3);
}

TEST(RasterCore, LoadAndSave)
{
    std::string dir = testing::TempDir();
    std::string path = dir + "raster_core_save.bmp";
    CRaster img = MakePattern(5, 4, 8);
    ASSERT_TRUE(img.Save(path.c_str(), RASTER_FORMAT_BMP)) << img.GetLastError();
    EXPECT_EQ(ReadFile(path), EncodeBmp(img));

    CRaster back;
    ASSERT_TRUE(back.Load(path.c_str(), RASTER_FORMAT_BMP));
    EXPECT_EQ(ComparePixels(back, img), "");
    CRaster back0(path.c_str(), RASTER_FORMAT_UNKNOWN);
    EXPECT_EQ(ComparePixels(back0, img), "");

    // A file no codec reads: with a type given the text is that codec's own.
    std::string junk = dir + "raster_core_junk.bin";
    WriteFile(junk, {'B', 'M', 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18});
    CRaster bad;
    EXPECT_FALSE(bad.Load(junk.c_str(), RASTER_FORMAT_BMP));
    EXPECT_STREQ(bad.GetLastError(), "Error reading BMP info");
    CRaster bad0;
    EXPECT_FALSE(bad0.Load(junk.c_str(), RASTER_FORMAT_UNKNOWN));
    EXPECT_STREQ(bad0.GetLastError(), "Decode: Unknown or wrong format");
    EXPECT_FALSE(bad0.Load((dir + "no_such_file.bmp").c_str(), 0));

    // A path that cannot be opened: false, text untouched.
    img.SetEscape(0);
    CRaster keep = MakePattern(2, 2, 24);
    keep.Encode(static_cast<CRasterFile*>(nullptr), 1);
    EXPECT_FALSE(keep.Save((dir + "no_such_dir/x.bmp").c_str(), RASTER_FORMAT_BMP));
    EXPECT_STREQ(keep.GetLastError(), "null file handler");
    std::remove(path.c_str());
    std::remove(junk.c_str());
}

// Temporaries of a target left in its folder.
static int TemporariesOf(const std::string& path)
{
    const std::filesystem::path p(path);
    int count = 0;
    for (const auto& e : std::filesystem::directory_iterator(p.parent_path()))
        count += platform::IsTemporaryOf(e.path().filename().string(), p.filename().string()) ? 1 : 0;
    return count;
}

TEST(RasterCore, SaveClearsLeftoverTemporariesAndSyncs)
{
    // A hundred leftovers of killed saves once made every later save fail.
    const std::string path = testing::TempDir() + "raster_core_leftovers.bmp";
    for (int n = 0; n < 100; ++n)
        WriteFile(path + ".~" + std::to_string(n) + ".tmp", {'x'});
    CRaster img = MakePattern(4, 4, 24);
    platform::CRecordingFileLayer layer;
    {
        platform::CFileLayerScope scope(layer);
        ASSERT_TRUE(img.Save(path.c_str(), RASTER_FORMAT_BMP));
    }
    EXPECT_TRUE(fixtures::WroteSafely(layer.Calls(), path));
    EXPECT_EQ(TemporariesOf(path), 0);
    CRaster back;
    ASSERT_TRUE(back.Load(path.c_str(), RASTER_FORMAT_BMP));
    EXPECT_EQ(ComparePixels(back, img), "");
    std::remove(path.c_str());
}

TEST(RasterCore, FailedSaveKeepsTheOldFile)
{
    std::string path = testing::TempDir() + "raster_core_keep.bmp";
    std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteFile(path, old);
    CRaster img = MakePattern(4, 4, 24);
    // An encoder that fails: the target is untouched and no temporary is left.
    EXPECT_FALSE(img.Save(path.c_str(), RASTER_FORMAT_WBMP));
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(TemporariesOf(path), 0);

    // A full disk: file writes beyond 4 KiB fail.
    CRaster big = MakePattern(200, 200, 24);
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto prev = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit low = saved;
    low.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    bool ok = big.Save(path.c_str(), RASTER_FORMAT_BMP);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, prev);
    EXPECT_FALSE(ok);
    EXPECT_STREQ(big.GetLastError(), "write error");
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(TemporariesOf(path), 0);
    std::remove(path.c_str());
}

TEST(RasterCore, CreateFromArrayReadsOnlyWhatALineHolds)
{
    // 3 × 2 at 32 bits with lines of 8 bytes: only two whole pixels per line.
    std::vector<uint8_t> px = {1, 2, 3, 4, 5, 6, 7, 8, 11, 12, 13, 14, 15, 16, 17, 18};
    CRaster img;
    ASSERT_TRUE(img.CreateFromArray(px.data(), 3, 2, 32, 8, false));
    EXPECT_EQ(img.GetBpp(), 24);
    EXPECT_TRUE(img.AlphaIsValid());
    RGBQUAD c = img.GetPixelColor(1, 1, true);
    EXPECT_EQ(c.rgbBlue, 15);
    EXPECT_EQ(c.rgbRed, 17);
    EXPECT_EQ(c.rgbReserved, 18);
    EXPECT_EQ(img.GetPixelColor(2, 1, false).rgbBlue, 0);

    // 8 bits bottom-up flag: line 0 becomes the top row.
    std::vector<uint8_t> gray = {10, 20, 30, 40, 50, 60};
    CRaster g;
    ASSERT_TRUE(g.CreateFromArray(gray.data(), 3, 2, 8, 3, true));
    EXPECT_EQ(g.GetPixelIndex(0, 1), 10);
    EXPECT_EQ(g.GetPixelIndex(2, 0), 60);
    EXPECT_TRUE(g.IsGrayScale());
    EXPECT_FALSE(g.CreateFromArray(gray.data(), 3, 2, 16, 6, false));

    uint8_t line0[3] = {1, 2, 3};
    uint8_t* lines[2] = {line0, nullptr};
    CRaster m;
    ASSERT_TRUE(m.CreateFromMatrix(lines, 3, 2, 8, 3, false));
    EXPECT_EQ(m.GetPixelIndex(1, 0), 2);
    EXPECT_EQ(m.GetPixelIndex(1, 1), 0);
}

TEST(RasterCore, Encode2RGBAFromTheBottomRow)
{
    CRaster img = MakePattern(2, 2, 24);
    ASSERT_TRUE(img.AlphaCreate());
    img.AlphaSet(1, 0, 66);
    uint8_t* buf = nullptr;
    int32_t size = 0;
    ASSERT_TRUE(img.Encode2RGBA(buf, size));
    ASSERT_EQ(size, 16);
    RGBQUAD c = PatternColor(1, 0);
    EXPECT_EQ(buf[4], c.rgbRed);
    EXPECT_EQ(buf[5], c.rgbGreen);
    EXPECT_EQ(buf[6], c.rgbBlue);
    EXPECT_EQ(buf[7], 66);
    EXPECT_EQ(buf[3], 255);
    img.FreeMemory(buf);
}

TEST(RasterCore, ResourcesAndGeometry)
{
    CRaster img;
    EXPECT_FALSE(img.LoadResource(nullptr, 1));
    EXPECT_STREQ(img.GetLastError(), "Unable to load resource!");
    CRaster pattern = MakePattern(3, 3, 24);
    std::vector<uint8_t> bmp = EncodeBmp(pattern);
    RasterResource res{bmp.data(), static_cast<uint32_t>(bmp.size())};
    EXPECT_TRUE(img.LoadResource(&res, 1));

    CRasterPoint2 p(3, 4);
    EXPECT_FLOAT_EQ(p.Distance(0, 0), 5.0f);
    CRasterRect2 a(0, 0, 10, 5), b(10, 2, 20, 8), c(11, 0, 12, 1);
    EXPECT_FLOAT_EQ(a.Surface(), 50);
    EXPECT_FLOAT_EQ(a.Center().x, 5);
    CRasterRect2 edge = a.CrossSection(b);
    EXPECT_FLOAT_EQ(edge.Width(), 0);
    EXPECT_FLOAT_EQ(edge.Height(), 3);
    CRasterRect2 none = a.CrossSection(c);
    EXPECT_FLOAT_EQ(none.minCorner.x, 0);
    EXPECT_FLOAT_EQ(none.maxCorner.y, 0);
}
