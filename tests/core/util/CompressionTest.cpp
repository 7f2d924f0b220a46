// Whole-file read and zlib wrappers: round trips, zlib compatibility and clean failure on bad input.
#include "core/util/Compression.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>
#include <zlib.h>

namespace {

struct Block {
    unsigned char* data = nullptr;
    int length = -1;
    ~Block() { std::free(data); }
};

std::vector<unsigned char> MakeData(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    std::vector<unsigned char> v(n);
    // Half compressible text-like runs, half noise.
    for (size_t i = 0; i < n; ++i)
        v[i] = (i / 4096) % 2 ? static_cast<unsigned char>(rng()) : static_cast<unsigned char>('a' + (i % 7));
    return v;
}

class RoundTrip : public ::testing::TestWithParam<size_t> {};

TEST_P(RoundTrip, DeflateThenInflateGivesBackTheBytesAndZlibAgrees)
{
    const size_t n = GetParam();
    auto input = MakeData(n, static_cast<unsigned>(n));
    Block packed;
    ASSERT_TRUE(DeflateBuffer(static_cast<int>(n), input.data(), &packed.length, &packed.data));
    ASSERT_GT(packed.length, 0);

    // zlib's own decoder reads the stream.
    std::vector<unsigned char> viaZlib(n + 1);
    uLongf zlen = static_cast<uLongf>(viaZlib.size());
    ASSERT_EQ(uncompress(viaZlib.data(), &zlen, packed.data, static_cast<uLong>(packed.length)), Z_OK);
    ASSERT_EQ(zlen, n);
    EXPECT_TRUE(std::equal(input.begin(), input.end(), viaZlib.begin()));

    Block unpacked;
    ASSERT_TRUE(InflateBuffer(packed.length, packed.data, &unpacked.length, &unpacked.data, static_cast<int>(n)));
    ASSERT_EQ(unpacked.length, static_cast<int>(n));
    EXPECT_TRUE(std::equal(input.begin(), input.end(), unpacked.data));
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTrip,
                         ::testing::Values(0, 1, 514, 25000, 0x20000, 0x20001, 300000, 1 << 20));

TEST(Inflate, RejectsBadStreams)
{
    auto input = MakeData(200000, 7);
    Block packed;
    ASSERT_TRUE(DeflateBuffer(static_cast<int>(input.size()), input.data(), &packed.length, &packed.data));

    struct Case {
        const char* what;
        int length;
        std::vector<unsigned char> bytes;
        int expected;
    };
    std::vector<unsigned char> whole(packed.data, packed.data + packed.length);
    std::vector<unsigned char> garbage(1000);
    for (size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<unsigned char>(i * 37 + 11);
    std::vector<unsigned char> flipped = whole;
    flipped[flipped.size() / 2] ^= 0x5A;
    const Case cases[] = {
        {"expected size too small", packed.length, whole, 1000},
        {"truncated", packed.length / 2, whole, 200000},
        {"garbage", 1000, garbage, 200000},
        {"corrupt middle", packed.length, flipped, 200000},
        {"negative length", -1, whole, 200000},
        {"input longer than any stream of the expected size", packed.length, whole, 10},
    };
    for (const auto& c : cases) {
        Block out;
        EXPECT_FALSE(InflateBuffer(c.length, c.bytes.data(), &out.length, &out.data, c.expected)) << c.what;
        EXPECT_EQ(out.data, nullptr) << c.what;
        EXPECT_EQ(out.length, 0) << c.what;
    }
}

TEST(Inflate, HugeExpectedSizeIsRefusedBeforeAllocating)
{
    unsigned char empty[8] = {};
    Block out;
    EXPECT_FALSE(InflateBuffer(8, empty, &out.length, &out.data, -1)); // 4 GiB as unsigned
}

TEST(ReadWholeFile, MissingEmptyAndFull)
{
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / "zr_readwhole";
    fs::create_directories(dir);
    Block missing;
    EXPECT_FALSE(ReadWholeFile((dir / "nothing.bin").string(), &missing.length, &missing.data));

    FILE* f = std::fopen((dir / "empty.bin").c_str(), "wb");
    std::fclose(f);
    Block empty;
    ASSERT_TRUE(ReadWholeFile((dir / "empty.bin").string(), &empty.length, &empty.data));
    EXPECT_EQ(empty.length, 0);
    EXPECT_NE(empty.data, nullptr);

    f = std::fopen((dir / "Data.BIN").c_str(), "wb");
    std::fwrite("hello", 1, 5, f);
    std::fclose(f);
    Block full;
    ASSERT_TRUE(ReadWholeFile((dir / "data.bin").string(), &full.length, &full.data)); // other case
    ASSERT_EQ(full.length, 5);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(full.data), 5), "hello");
    EXPECT_EQ(full.data[5], 0);
    fs::remove_all(dir);
}

} // namespace
