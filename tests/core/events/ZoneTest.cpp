// Tests of map zones: tile snapping, the point test, the id counter and the stored form.
#include "core/events/TacticalMapZone.h"

#include "core/events/EventsArchiveTestSupport.h"
#include "support/ByteWriter.h"

namespace {

using evtest::Load;
using evtest::Store;

class ZoneTest : public evtest::EventsTest {};

TEST_F(ZoneTest, SnapBoundingBox)
{
    const struct {
        ZoneRect in, out;
    } cases[] = {
        {{40, 70, 100, 130}, {32, 64, 127, 159}},
        {{-1, -1, -1, -1}, {0, 0, 31, 31}},
        {{0, 0, 64, 32}, {0, 0, 95, 63}},
        {{64, 64, 64, 64}, {64, 64, 95, 95}},
        {{-40, -70, 2147483647, 2147483647}, {-32, -64, 2147483647, 2147483647}},
    };
    for (const auto& c : cases) {
        CTacticalMapZone zone;
        zone.m_rcBoundingBox = c.in;
        zone.SnapBoundingBox();
        EXPECT_EQ(zone.m_rcBoundingBox.left, c.out.left);
        EXPECT_EQ(zone.m_rcBoundingBox.top, c.out.top);
        EXPECT_EQ(zone.m_rcBoundingBox.right, c.out.right);
        EXPECT_EQ(zone.m_rcBoundingBox.bottom, c.out.bottom);
    }
}

TEST_F(ZoneTest, RightColumnAndBottomRowAreOutside)
{
    CTacticalMapZone zone;
    zone.m_rcBoundingBox = {0, 0, 64, 32};
    zone.SnapBoundingBox();
    EXPECT_FALSE(zone.ContainsPoint(95, 10));
    EXPECT_TRUE(zone.ContainsPoint(94, 10));
    EXPECT_TRUE(zone.ContainsPoint(0, 0));
    EXPECT_FALSE(zone.ContainsPoint(10, 63));
    EXPECT_TRUE(zone.ContainsPoint(10, 62));
    EXPECT_FALSE(zone.ContainsPoint(-1, 10));
}

TEST_F(ZoneTest, EachNewZoneTakesTheNextId)
{
    CTacticalMapZone::m_nZoneIDsource = 5;
    CTacticalMapZone a, b;
    EXPECT_EQ(a.m_nUniqueID, 5);
    EXPECT_EQ(b.m_nUniqueID, 6);
    EXPECT_EQ(CTacticalMapZone::m_nZoneIDsource, 7);
}

TEST_F(ZoneTest, StoredFormAndUseMBRForcedOnLoad)
{
    CTacticalMapZone zone;
    zone.m_strZoneName = "Lot";
    zone.m_nUniqueID = 7;
    zone.m_lstPoints = {{1, 2}, {-3, 4}};
    zone.m_bUseMBR = false;
    zone.m_rcBoundingBox = {10, 20, 30, 40};

    ByteWriter w;
    w.ObjectHead(0, "CTacticalMapZone").Int16(1).String("Lot").Int32(7).Int32(2).Int32(1).Int32(2).Int32(-3).Int32(4);
    w.Int8(0).Int32(10).Int32(20).Int32(30).Int32(40);
    EXPECT_EQ(Store(&zone), w.Bytes());

    auto loaded = Load<CTacticalMapZone>(w.Bytes());
    ASSERT_FALSE(loaded.failed) << loaded.reason;
    const CTacticalMapZone& z = *loaded.object;
    EXPECT_TRUE(z.m_bUseMBR);
    EXPECT_EQ(z.GetName(), "Lot");
    EXPECT_EQ(z.m_nUniqueID, 7);
    EXPECT_EQ(z.m_lstPoints, (std::list<ZonePoint>{{1, 2}, {-3, 4}}));
    EXPECT_EQ(z.m_rcBoundingBox.right, 30);
    EXPECT_EQ(z.m_rcBoundingBox.bottom, 40);
}

TEST_F(ZoneTest, ZoneWithoutPointsAndHugePointCount)
{
    CTacticalMapZone zone;
    zone.m_nUniqueID = 1;
    ByteWriter w;
    w.ObjectHead(0, "CTacticalMapZone").Int16(1).String("").Int32(1).Int32(0).Int8(1);
    w.Int32(-1).Int32(-1).Int32(-1).Int32(-1);
    EXPECT_EQ(Store(&zone), w.Bytes());

    // A count far beyond the bytes that follow stops at the end of the data.
    ByteWriter big;
    big.ObjectHead(0, "CTacticalMapZone").Int16(1).String("").Int32(1).Int32(0x7FFFFFFF).Int32(1).Int32(2);
    auto loaded = Load<CTacticalMapZone>(big.Bytes());
    EXPECT_TRUE(loaded.failed);
}

} // namespace
