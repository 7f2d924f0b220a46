// Reading "L3.ini": positional lines, the cut address, numbers, a missing file.
#include "RelayFixture.h"

#include "relay/model/L3Settings.h"

#include <cmath>
#include <cstring>

namespace {

L3_DEMO_STRUCT Marked()
{
    L3_DEMO_STRUCT s{};
    std::strcpy(s.address, "unchanged");
    s.port = -7;
    s.value1 = s.value2 = s.value3 = s.value4 = -7.0f;
    return s;
}

} // namespace

using L3Settings = RelayTest;

TEST_F(L3Settings, ReadsTheSixLinesByPosition)
{
    WriteText("L3.ini", "Address 239.1.2.3\r\nPort 30001\r\n\r\nA 1.5\nB -2.25\nC 3e2\nD 7\nExtra 99\n");
    L3_DEMO_STRUCT s = Marked();
    ASSERT_TRUE(LoadL3ini(Folder().c_str(), &s));
    EXPECT_STREQ(s.address, "239.1.2.3");
    EXPECT_EQ(s.port, 30001);
    EXPECT_FLOAT_EQ(s.value1, 1.5f);
    EXPECT_FLOAT_EQ(s.value2, -2.25f);
    EXPECT_FLOAT_EQ(s.value3, 300.0f);
    EXPECT_FLOAT_EQ(s.value4, 7.0f);
}

TEST_F(L3Settings, ValuesAsTheOldReaderTookThem)
{
    struct Case {
        const char* text;
        const char* address;
        int32_t port;
        float value1;
    } cases[] = {
        // 60 characters keep 49.
        {"Address 123456789012345678901234567890123456789012345678901234567890\n",
         "1234567890123456789012345678901234567890123456789", -7, -7.0f},
        // The port as atoi reads it, clamped instead of overflowing.
        {"a x\nb 30001abc\n", "x", 30001, -7.0f},
        {"a x\nb 99999999999\n", "x", INT32_MAX, -7.0f},
        {"a x\nb junk\nc 2.5junk\n", "x", 0, 2.5f},
        // Keys alone leave their fields as they were.
        {"Address\nPort\nV 4\n", "unchanged", -7, 4.0f},
        {"", "unchanged", -7, -7.0f},
    };
    for (const auto& c : cases) {
        L3_DEMO_STRUCT s = Marked();
        ParseL3ini(c.text, std::strlen(c.text), &s);
        EXPECT_STREQ(s.address, c.address) << c.text;
        EXPECT_EQ(s.port, c.port) << c.text;
        EXPECT_FLOAT_EQ(s.value1, c.value1) << c.text;
        EXPECT_FLOAT_EQ(s.value2, -7.0f) << c.text;
    }
}

TEST_F(L3Settings, NumbersPastTheFloatRangeBecomeInfinite)
{
    const char text[] = "a x\nb 1\nc 1e300\nd -1e300\n";
    L3_DEMO_STRUCT s = Marked();
    ParseL3ini(text, sizeof text - 1, &s);
    EXPECT_TRUE(std::isinf(s.value1) && s.value1 > 0);
    EXPECT_TRUE(std::isinf(s.value2) && s.value2 < 0);
}

TEST_F(L3Settings, MissingFileLeavesTheSettings)
{
    L3_DEMO_STRUCT s = Marked();
    EXPECT_FALSE(LoadL3ini(Folder().c_str(), &s));
    EXPECT_STREQ(s.address, "unchanged");
    EXPECT_EQ(s.port, -7);
}

TEST_F(L3Settings, FileNameInAnotherLetterCase)
{
    WriteText("l3.INI", "Address 239.9.9.9\nPort 4000\n");
    L3_DEMO_STRUCT s = Marked();
    ASSERT_TRUE(LoadL3ini(Folder().c_str(), &s));
    EXPECT_STREQ(s.address, "239.9.9.9");
    EXPECT_EQ(s.port, 4000);
}
