// The bounds-checked little-endian reader and writer.
#include "core/util/ByteStream.h"

#include <gtest/gtest.h>

namespace {

TEST(ByteStreamTest, RoundTripLittleEndian)
{
    CByteWriter w;
    w.WriteU16(0x1234);
    w.WriteI32(-2);
    w.WriteFloat(1.5f);
    w.WriteFixedString("abcdef", 4);
    const std::vector<uint8_t> expected = {0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0x00,
                                           0x00, 0xC0, 0x3F, 'a',  'b',  'c',  0};
    EXPECT_EQ(w.Data(), expected);
    CByteReader r(w.Bytes(), w.Size());
    uint16_t a;
    int32_t b;
    float c;
    std::string d;
    EXPECT_TRUE(r.ReadU16(a) && r.ReadI32(b) && r.ReadFloat(c) && r.ReadFixedString(d, 4));
    EXPECT_EQ(a, 0x1234);
    EXPECT_EQ(b, -2);
    EXPECT_EQ(c, 1.5f);
    EXPECT_EQ(d, "abc");
    EXPECT_EQ(r.Remaining(), 0u);
}

TEST(ByteStreamTest, ShortReadFailsAndStaysFailed)
{
    const uint8_t bytes[3] = {1, 2, 3};
    CByteReader r(bytes, sizeof bytes);
    uint16_t a;
    uint32_t b = 99;
    EXPECT_TRUE(r.ReadU16(a));
    EXPECT_FALSE(r.ReadU32(b));
    EXPECT_EQ(b, 0u);
    uint8_t c = 7;
    EXPECT_FALSE(r.ReadU8(c)); // one byte is left, but the reader has failed
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.Remaining(), 0u);
    CByteReader empty(nullptr, 10);
    EXPECT_FALSE(empty.Skip(1));
}

} // namespace
