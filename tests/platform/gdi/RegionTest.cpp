// Tests of rectangle-list regions: union, intersection, hit tests and the box.
#include "platform/gdi/Region.h"

#include <gtest/gtest.h>

using platform::gdi::Region;

TEST(Region, UnionIntersectionAndHitTests)
{
    Region r(RECT{0, 0, 4, 2});
    r.AddRect(RECT{4, 0, 6, 2}); // continues the first run
    r.AddRect(RECT{10, 5, 12, 9});
    r.AddRect(RECT{3, 3, 3, 8}); // empty
    ASSERT_EQ(r.Rects().size(), 2u);
    EXPECT_EQ(r.Rects()[0].right, 6);
    RECT box = r.GetBox();
    EXPECT_EQ((std::vector<int>{box.left, box.top, box.right, box.bottom}), (std::vector<int>{0, 0, 12, 9}));
    for (auto [x, y, in] : {std::tuple{0, 0, true},
                            {5, 1, true},
                            {6, 1, false},
                            {0, 2, false},
                            {11, 8, true},
                            {8, 6, false},
                            {-1, 0, false}})
        EXPECT_EQ(r.Contains(x, y), in) << x << "," << y;

    r.IntersectRect(RECT{5, 1, 11, 20});
    ASSERT_EQ(r.Rects().size(), 2u);
    EXPECT_TRUE(r.Contains(5, 1));
    EXPECT_FALSE(r.Contains(4, 1));
    EXPECT_FALSE(r.Contains(11, 6));
    r.IntersectRect(RECT{100, 100, 101, 101});
    EXPECT_TRUE(r.Empty());
    box = r.GetBox();
    EXPECT_EQ(box.right, 0);
}
