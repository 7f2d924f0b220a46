// The checked float-to-int conversion and the range checks of data-list values with their one message each.
#include "core/persist/DataRange.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(CheckedInt, CutsTowardZeroAndSaturates)
{
    const struct {
        double in;
        int32_t out;
    } cases[] = {{0.0, 0},
                 {2.9, 2},
                 {-2.9, -2},
                 {2147483646.0, 2147483646},
                 {2147483648.0, INT32_MAX},
                 {-2147483649.0, INT32_MIN},
                 {1e30, INT32_MAX},
                 {-1e30, INT32_MIN},
                 {std::numeric_limits<double>::infinity(), INT32_MAX},
                 {-std::numeric_limits<double>::infinity(), INT32_MIN},
                 {std::nan(""), 0}};
    for (const auto& c : cases)
        EXPECT_EQ(CheckedInt(c.in), c.out) << c.in;
}

TEST(ListRange, ValuesOutsideAreClampedWithOneMessageEach)
{
    platform::SetMessageEcho(false);
    platform::ClearRecordedMessages();
    CListRange range("lists/Some.csv");
    EXPECT_EQ(range.Int(4, "X", 400, 0, 800), 400);
    EXPECT_FLOAT_EQ(range.Float(4, "Rate", 2.5, 0.0f, 10.0f, 1.0f), 2.5f);
    EXPECT_TRUE(platform::RecordedMessages().empty());

    EXPECT_EQ(range.Int(7, "X", int64_t{1} << 40, 0, 800), 800);
    auto shown = platform::RecordedMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Damaged data file");
    EXPECT_EQ(shown[0].text, "\"lists/Some.csv\", row 7, field \"X\": 1099511627776 is outside 0 to 800; 800 is used");

    EXPECT_FLOAT_EQ(range.Float(8, "Rate", std::nan(""), 0.0f, 10.0f, 1.0f), 1.0f);
    EXPECT_FLOAT_EQ(range.Float(9, "Rate", -1e40, 0.0f, 10.0f, 1.0f), 0.0f);
    shown = platform::RecordedMessages();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[1].text, "\"lists/Some.csv\", row 8, field \"Rate\": nan is not a finite number; 1 is used");

    // A wholly garbled file stops raising boxes after the first few; the rest go to the debug output.
    for (int row = 10; row < 20; ++row)
        range.Int(row, "X", -1, 0, 800);
    EXPECT_EQ(platform::RecordedMessages().size(), 3u);
    EXPECT_EQ(range.Reports(), 13);
}

} // namespace
