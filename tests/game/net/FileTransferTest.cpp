// A client's receipt of one file: chunks in order and repeated, bounds of a chunk, of the compressed and of the
// inflated size, names that would leave the folder, and writes that fail.
#include "game/app/FileTransfer.h"
#include "core/util/Compression.h"
#include "platform/system/FileLayer.h"
#include "tests/game/app/GameFixture.h"
#include "tests/support/SafeWriteCheck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes Deflated(const Bytes& raw)
{
    int n = 0;
    unsigned char* block = nullptr;
    DeflateBuffer(static_cast<int>(raw.size()), raw.data(), &n, &block);
    Bytes out(block, block + n);
    std::free(block);
    return out;
}

Bytes Noise(size_t n)
{
    std::mt19937 random(11);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<uint8_t>(random());
    return out;
}

class FileReceiptTest : public ::testing::Test {
protected:
    void SetUp() override { m_dir = MakeTempFolder(); }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    fs::path m_dir;
};

TEST_F(FileReceiptTest, ChunksAreJoinedOnceAndWrittenWhole)
{
    struct Chunk {
        int32_t counter;
        size_t from, to; // bytes of the compressed file
    };
    struct Case {
        const char* name;
        int slot;
        size_t rawSize;
        std::vector<Chunk> chunks; // `to` 0: the rest
        CFileReceipt::EResult last;
        bool written;
    };
    const Case cases[] = {
        {"one chunk numbered 0", kFileAgencies, 300, {{0, 0, 0}}, CFileReceipt::EResult::Written, true},
        {"1, 2, 0",
         kFileAreaMap,
         1200,
         {{1, 0, 514}, {2, 514, 1028}, {0, 1028, 0}},
         CFileReceipt::EResult::Written,
         true},
        {"a repeat is not added twice",
         kFileAreaMap,
         1200,
         {{1, 0, 514}, {1, 0, 514}, {2, 514, 1028}, {0, 1028, 0}},
         CFileReceipt::EResult::Written,
         true},
        {"a chunk over 514 bytes", kFileAreaMap, 1200, {{0, 0, 0}}, CFileReceipt::EResult::Failed, false},
        {"more compressed bytes than the limit",
         kFileAgencies,
         12000,
         {{1, 0, 514},      {2, 514, 1028},   {3, 1028, 1542},  {4, 1542, 2056},  {5, 2056, 2570},
          {6, 2570, 3084},  {7, 3084, 3598},  {8, 3598, 4112},  {9, 4112, 4626},  {10, 4626, 5140},
          {11, 5140, 5654}, {12, 5654, 6168}, {13, 6168, 6682}, {14, 6682, 7196}, {15, 7196, 7710},
          {16, 7710, 8224}, {17, 8224, 8738}, {18, 8738, 9252}, {19, 9252, 9766}, {20, 9766, 10280}},
         CFileReceipt::EResult::Failed,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes raw = Noise(c.rawSize);
        const Bytes packed = Deflated(raw);
        const fs::path target = m_dir / "file.bin";
        fs::remove(target);
        CFileReceipt receipt(c.slot, target.string());
        CFileReceipt::EResult result = CFileReceipt::EResult::More;
        platform::CRecordingFileLayer layer;
        {
            platform::CFileLayerScope scope(layer);
            for (const Chunk& k : c.chunks) {
                const size_t to = k.to ? std::min(k.to, packed.size()) : packed.size();
                result = receipt.Add(k.counter, packed.data() + k.from, to - k.from);
                if (result == CFileReceipt::EResult::Failed)
                    break;
            }
        }
        EXPECT_EQ(result, c.last) << receipt.Why();
        EXPECT_EQ(fs::exists(target), c.written);
        if (c.written) {
            EXPECT_EQ(ReadText(target), std::string(raw.begin(), raw.end()));
            EXPECT_TRUE(fixtures::WroteSafely(layer.Calls(), target.string()));
        }
        EXPECT_FALSE(fs::exists(target.string() + ".part"));
    }
}

TEST_F(FileReceiptTest, AnInflatedSizeOverTheLimitOrAFailedWriteLeavesNoFile)
{
    // 20,001 zeros deflate to a few bytes but inflate past the area map's limit of 20,000.
    const Bytes zeros = Deflated(Bytes(20001, 0));
    CFileReceipt big(kFileAreaMap, (m_dir / "big.zra").string());
    EXPECT_EQ(big.Add(0, zeros.data(), zeros.size()), CFileReceipt::EResult::Failed);
    EXPECT_FALSE(fs::exists(m_dir / "big.zra"));
    // Garbage does not inflate.
    const Bytes garbage(40, 0x5A);
    CFileReceipt broken(kFileAreaMap, (m_dir / "broken.zra").string());
    EXPECT_EQ(broken.Add(0, garbage.data(), garbage.size()), CFileReceipt::EResult::Failed);
    // A folder that is not there.
    const Bytes small = Deflated(Bytes(10, 1));
    CFileReceipt lost(kFileAreaMap, (m_dir / "missing" / "x.zra").string());
    EXPECT_EQ(lost.Add(0, small.data(), small.size()), CFileReceipt::EResult::Failed);
    // A target that is not a plain file name in its folder.
    for (const std::string& odd : {(m_dir / "..").string(), (m_dir / "").string()}) {
        CFileReceipt up(kFileBitmap, odd);
        EXPECT_EQ(up.Add(0, small.data(), small.size()), CFileReceipt::EResult::Failed) << odd;
    }
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST(FileNames, OnlyBareNamesAreUsedAsPaths)
{
    for (const char* good : {"Millbrook.zri", "Area Map.bmp", "a..b.csv"})
        EXPECT_TRUE(IsBareFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "../x.zri", "Maps/x.bmp", "..\\x.zri", "C:x.zri", "/etc/passwd", "a\nb"})
        EXPECT_FALSE(IsBareFileName(bad)) << bad;
    EXPECT_EQ(FileSlotOfRequest(10), kFileScenario);
    EXPECT_EQ(FileSlotOfReply(19), kFileAgencies);
    EXPECT_EQ(FileSlotOfRequest(11), -1);
    EXPECT_EQ(FileSlotOfReply(21), -1);
}

} // namespace
