// Tests of the image library's FILE* and memory streams.
#include "imagelib/RasterFile.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <random>
#include <type_traits>
#include <vector>

static_assert(!std::is_copy_constructible_v<CRasterMemFile> && std::is_move_constructible_v<CRasterMemFile>);
static_assert(!std::is_copy_constructible_v<CRasterIOFile> && std::is_move_constructible_v<CRasterIOFile>);

TEST(RasterMemFile, FixedAnswersWithoutBuffer)
{
    CRasterMemFile f;
    uint8_t b[4] = {1, 2, 3, 4};
    EXPECT_EQ(f.Tell(), -1);
    EXPECT_EQ(f.Size(), -1);
    EXPECT_EQ(f.Error(), -1);
    EXPECT_TRUE(f.Eof());
    EXPECT_FALSE(f.Flush());
    EXPECT_EQ(f.Write(b, 1, 4), 0u);
    EXPECT_EQ(f.Read(b, 1, 4), 0u);
    EXPECT_FALSE(f.Seek(0, SEEK_SET));
    EXPECT_FALSE(f.PutC(7));
    EXPECT_EQ(f.GetC(), -1);
    EXPECT_TRUE(f.Close());

    ASSERT_TRUE(f.Open());
    EXPECT_FALSE(f.Open());
    EXPECT_EQ(f.Size(), 0);
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_TRUE(f.Eof());
    EXPECT_TRUE(f.Flush());
    EXPECT_EQ(f.GetC(), -1);
}

TEST(RasterMemFile, GrowsInWholeSteps)
{
    struct Case {
        uint32_t bytes;
        uint32_t capacity;
    } cases[] = {{100, 4096}, {4095, 4096}, {4096, 8192}, {4097, 8192}, {5000, 8192}, {8192, 12288}};
    for (const Case& c : cases) {
        CRasterMemFile f;
        ASSERT_TRUE(f.Open());
        std::vector<uint8_t> data(c.bytes, 0xAB);
        EXPECT_EQ(f.Write(data.data(), 1, c.bytes), c.bytes);
        EXPECT_EQ(f.Capacity(), c.capacity) << c.bytes;
        EXPECT_EQ(f.Size(), static_cast<int32_t>(c.bytes));
    }
    // Byte by byte: the capacity follows the same steps.
    CRasterMemFile f;
    ASSERT_TRUE(f.Open());
    for (int i = 0; i < 10000; ++i)
        ASSERT_TRUE(f.PutC(static_cast<uint8_t>(i)));
    EXPECT_EQ(f.Capacity(), 12288u);
    EXPECT_EQ(f.Size(), 10000);
    EXPECT_EQ(f.GetBuffer(false)[9999], static_cast<uint8_t>(9999));
}

TEST(RasterMemFile, OverwriteKeepsDataSize)
{
    CRasterMemFile f;
    ASSERT_TRUE(f.Open());
    std::vector<uint8_t> data(5000, 1);
    f.Write(data.data(), 1, 5000);
    ASSERT_TRUE(f.Seek(10, SEEK_SET));
    uint8_t two[2] = {9, 9};
    EXPECT_EQ(f.Write(two, 1, 2), 2u);
    EXPECT_EQ(f.Size(), 5000);
    EXPECT_EQ(f.Tell(), 12);
}

TEST(RasterMemFile, SeeksClampBelowAndRefuseBadOrigin)
{
    CRasterMemFile f;
    ASSERT_TRUE(f.Open());
    uint8_t b[20] = {};
    f.Write(b, 1, 20);
    EXPECT_TRUE(f.Seek(-5, SEEK_SET));
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_TRUE(f.Seek(7, SEEK_CUR));
    EXPECT_FALSE(f.Seek(1, 3));
    EXPECT_EQ(f.Tell(), 7);
    EXPECT_TRUE(f.Seek(-4, SEEK_END));
    EXPECT_EQ(f.Tell(), 16);
    EXPECT_FALSE(f.Seek(INT32_MAX, SEEK_END)); // past what a position can hold
    EXPECT_EQ(f.Tell(), 16);
}

TEST(RasterMemFile, WriteAfterSeekPastEndZeroesTheGap)
{
    CRasterMemFile f;
    ASSERT_TRUE(f.Open());
    std::vector<uint8_t> junk(3000, 0xEE);
    f.Write(junk.data(), 1, 3000);
    f.Close();
    // A fresh stream whose block may reuse the dirty memory.
    ASSERT_TRUE(f.Open());
    uint8_t abc[3] = {'a', 'b', 'c'};
    f.Write(abc, 1, 3);
    ASSERT_TRUE(f.Seek(100, SEEK_SET));
    EXPECT_EQ(f.Error(), 1);
    EXPECT_TRUE(f.Eof());
    uint8_t r;
    EXPECT_EQ(f.Read(&r, 1, 1), 0u);
    uint8_t z = 'z';
    EXPECT_EQ(f.Write(&z, 1, 1), 1u);
    EXPECT_EQ(f.Size(), 101);
    EXPECT_EQ(f.Error(), 0);
    const uint8_t* buf = f.GetBuffer(false);
    EXPECT_EQ(std::memcmp(buf, "abc", 3), 0);
    for (int i = 3; i < 100; ++i)
        ASSERT_EQ(buf[i], 0) << i;
    EXPECT_EQ(buf[100], 'z');
    // PutC past the end zeroes too.
    ASSERT_TRUE(f.Seek(200, SEEK_SET));
    ASSERT_TRUE(f.PutC('y'));
    for (int i = 101; i < 200; ++i)
        ASSERT_EQ(f.GetBuffer(false)[i], 0) << i;
}

TEST(RasterMemFile, ReadCountsWholeItems)
{
    uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    CRasterMemFile f(data, 10);
    uint8_t out[12] = {};
    EXPECT_EQ(f.Read(out, 4, 3), 2u);
    EXPECT_EQ(f.Tell(), 10);
    EXPECT_EQ(out[9], 9);
    EXPECT_EQ(f.Read(out, 1, 1), 0u);
    EXPECT_EQ(f.Read(nullptr, 1, 1), 0u);
}

TEST(RasterMemFile, HugeItemCountsNeverWrap)
{
    CRasterMemFile f;
    ASSERT_TRUE(f.Open());
    uint8_t b[4] = {};
    // 0x10000 × 0x10001 overflows 32 bits: refused, nothing changes.
    EXPECT_EQ(f.Write(b, 0x10000, 0x10001), 0u);
    EXPECT_EQ(f.Size(), 0);
    ASSERT_TRUE(f.Seek(INT32_MAX - 1, SEEK_SET));
    EXPECT_EQ(f.Write(b, 1, 4), 0u);
    ASSERT_TRUE(f.Seek(INT32_MAX, SEEK_SET));
    EXPECT_FALSE(f.PutC(1));
    EXPECT_EQ(f.Size(), 0);
    EXPECT_EQ(f.Capacity(), 1u);
}

TEST(RasterMemFile, CallersBufferIsNeverResizedInPlace)
{
    // Not a malloc block: growing must copy, never realloc it.
    std::array<uint8_t, 8> caller{1, 2, 3, 4, 5, 6, 7, 8};
    CRasterMemFile f(caller.data(), 8);
    EXPECT_FALSE(f.Open());
    EXPECT_EQ(f.GetC(), 1);
    ASSERT_TRUE(f.Seek(0, SEEK_END));
    uint8_t more[4] = {9, 10, 11, 12};
    EXPECT_EQ(f.Write(more, 1, 4), 4u);
    EXPECT_EQ(f.Size(), 12);
    const uint8_t* buf = f.GetBuffer(false);
    EXPECT_NE(buf, caller.data());
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(buf[i], i + 1);
    EXPECT_EQ(caller[7], 8);
}

TEST(RasterMemFile, DetachHandsTheBlockOver)
{
    uint8_t* kept;
    {
        CRasterMemFile f;
        ASSERT_TRUE(f.Open());
        f.Write("hello", 1, 5);
        kept = f.GetBuffer(true);
    }
    EXPECT_EQ(std::memcmp(kept, "hello", 5), 0);
    std::free(kept);
    {
        CRasterMemFile f;
        ASSERT_TRUE(f.Open());
        f.Write("x", 1, 1);
        f.GetBuffer(false); // the stream frees it (the leak checker would see otherwise)
    }
}

TEST(RasterMemFile, KeepingACallersBlockNeverFreesIt)
{
    // Reading a caller's (non-malloc) block in place and asking for it without detach leaves it the caller's.
    std::array<uint8_t, 4> caller{1, 2, 3, 4};
    {
        CRasterMemFile f(caller.data(), 4);
        EXPECT_EQ(f.GetBuffer(false), caller.data());
    }
    EXPECT_EQ(caller[3], 4);
}

TEST(RasterMemFile, MoveLeavesOneOwner)
{
    CRasterMemFile a;
    ASSERT_TRUE(a.Open());
    a.Write("abc", 1, 3);
    CRasterMemFile b(std::move(a));
    EXPECT_EQ(a.Size(), -1);
    EXPECT_EQ(b.Size(), 3);
    CRasterMemFile c;
    c = std::move(b);
    EXPECT_EQ(c.Size(), 3);
    EXPECT_EQ(b.Tell(), -1);
}

// A random sequence of operations checked against a plain model of bytes and a position.
TEST(RasterMemFile, MatchesModelOverRandomOperations)
{
    std::mt19937 rng(1234);
    CRasterMemFile f;
    ASSERT_TRUE(f.Open());
    std::vector<uint8_t> model;
    int64_t pos = 0;
    for (int step = 0; step < 5000; ++step) {
        int op = static_cast<int>(rng() % 5);
        if (op == 0) {
            uint32_t n = rng() % 300;
            std::vector<uint8_t> data(n);
            for (auto& d : data)
                d = static_cast<uint8_t>(rng());
            uint32_t wrote = f.Write(data.data(), 1, n);
            if (n == 0) {
                EXPECT_EQ(wrote, 0u);
                continue;
            }
            ASSERT_EQ(wrote, n);
            if (model.size() < static_cast<size_t>(pos + n))
                model.resize(pos + n, 0);
            std::memcpy(model.data() + pos, data.data(), n);
            pos += n;
        } else if (op == 1) {
            uint8_t c = static_cast<uint8_t>(rng());
            ASSERT_TRUE(f.PutC(c));
            if (model.size() < static_cast<size_t>(pos + 1))
                model.resize(pos + 1, 0);
            model[pos++] = c;
        } else if (op == 2) {
            int origin = static_cast<int>(rng() % 3);
            int32_t off = static_cast<int32_t>(rng() % 400) - 150;
            ASSERT_TRUE(f.Seek(off, origin));
            int64_t base = origin == 0 ? 0 : origin == 1 ? pos : static_cast<int64_t>(model.size());
            pos = std::max<int64_t>(0, base + off);
        } else if (op == 3) {
            uint32_t size = 1 + rng() % 4, count = rng() % 50;
            std::vector<uint8_t> out(size * count + 1);
            uint32_t got = f.Read(out.data(), size, count);
            int64_t left = std::max<int64_t>(0, static_cast<int64_t>(model.size()) - pos);
            int64_t n = std::min<int64_t>(left, static_cast<int64_t>(size) * count);
            ASSERT_EQ(got, static_cast<uint32_t>(n / size));
            ASSERT_EQ(std::memcmp(out.data(), model.data() + (n ? pos : 0), static_cast<size_t>(n)), 0);
            pos += n;
        } else {
            int c = f.GetC();
            if (pos >= static_cast<int64_t>(model.size())) {
                ASSERT_EQ(c, -1);
            } else {
                ASSERT_EQ(c, model[pos]);
                ++pos;
            }
        }
        ASSERT_EQ(f.Tell(), pos);
        ASSERT_EQ(f.Size(), static_cast<int32_t>(model.size()));
        ASSERT_EQ(f.Eof(), pos >= static_cast<int64_t>(model.size()));
    }
    ASSERT_EQ(std::memcmp(f.GetBuffer(false), model.data(), model.size()), 0);
}

TEST(RasterIOFile, FixedAnswersWithoutHandle)
{
    CRasterIOFile f;
    uint8_t b[2] = {};
    EXPECT_EQ(f.Tell(), 0);
    EXPECT_EQ(f.Size(), -1);
    EXPECT_EQ(f.Error(), -1);
    EXPECT_TRUE(f.Eof());
    EXPECT_FALSE(f.Flush());
    EXPECT_FALSE(f.Seek(0, SEEK_SET));
    EXPECT_EQ(f.Read(b, 1, 2), 0u);
    EXPECT_EQ(f.Write(b, 1, 2), 0u);
    EXPECT_FALSE(f.PutC(1));
    EXPECT_EQ(f.GetC(), -1);
    EXPECT_TRUE(f.Close());
}

TEST(RasterIOFile, CallersHandleStaysOpen)
{
    FILE* fp = std::tmpfile();
    ASSERT_NE(fp, nullptr);
    {
        CRasterIOFile f(fp);
        EXPECT_FALSE(f.Open("/nonexistent", "rb"));
        EXPECT_EQ(f.Write("abcdef", 1, 6), 6u);
        ASSERT_TRUE(f.Seek(2, SEEK_SET));
        EXPECT_EQ(f.Size(), 6);
        EXPECT_EQ(f.Tell(), 2);
        EXPECT_EQ(f.GetC(), 'c');
        EXPECT_TRUE(f.PutC('Z'));
        EXPECT_TRUE(f.Close()); // no duty: nothing closed
    }
    EXPECT_EQ(std::fseek(fp, 0, SEEK_SET), 0);
    char back[7] = {};
    EXPECT_EQ(std::fread(back, 1, 6, fp), 6u);
    EXPECT_STREQ(back, "abcZef");
    std::fclose(fp);
}

TEST(RasterIOFile, OwnHandleIsClosed)
{
    std::string path = testing::TempDir() + "raster_iofile.bin";
    CRasterIOFile f;
    ASSERT_TRUE(f.Open(path.c_str(), "wb"));
    EXPECT_FALSE(f.Open(path.c_str(), "wb"));
    EXPECT_EQ(f.Write("xyz", 1, 3), 3u);
    EXPECT_TRUE(f.Close());
    EXPECT_EQ(f.GetHandle(), nullptr);
    CRasterIOFile g;
    ASSERT_TRUE(g.Open(path.c_str(), "rb"));
    EXPECT_EQ(g.Size(), 3);
    CRasterIOFile h(std::move(g));
    EXPECT_EQ(g.GetHandle(), nullptr);
    EXPECT_EQ(h.GetC(), 'x');
    std::remove(path.c_str());
}
