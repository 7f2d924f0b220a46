// The two tile sheets (16 x 16 tiles of 32 and of 8 pixels), one flat-coloured picture per tile type:
// green ground, grey roads with lane marks, rails with sleepers, blue water, tan floors with dark walls.
#include "tools/demo/DemoData.h"
#include "tools/demo/TileTypes.h"

#include "core/world/Map2DLinked.h"
#include "platform/system/Paths.h"

#include <cstdio>

namespace demo {

namespace {

constexpr int S = 32;

const COLORREF kGrassC = RGB(104, 164, 76);
const COLORREF kAsphalt = RGB(84, 86, 92);
const COLORREF kConcrete = RGB(184, 184, 176);
const COLORREF kWater = RGB(56, 112, 196);
const COLORREF kFloorC = RGB(222, 204, 166);
const COLORREF kWallC = RGB(52, 44, 40);
const COLORREF kWhFloor = RGB(158, 160, 156);
const COLORREF kWhWall = RGB(40, 56, 80);

// Speckles: a share of the pixels a few percent lighter or darker.
void Speckle(Canvas& t, uint32_t seed, int share, int spread)
{
    for (int y = 0; y < S; ++y)
        for (int x = 0; x < S; ++x) {
            uint32_t h = Hash(seed, x, y);
            if (static_cast<int>(h % 100) < share)
                t.Set(x, y, Shade(t.At(x, y), 100 + ((h >> 8) % 2 ? spread : -spread)));
        }
}

Canvas Ground(COLORREF base, uint32_t seed, int share = 30, int spread = 10)
{
    Canvas t(S, S, base);
    Speckle(t, seed, share, spread);
    return t;
}

Canvas Asphalt()
{
    return Ground(kAsphalt, 11, 25, 8);
}

void DashH(Canvas& t, int y, COLORREF c)
{
    for (int x = 2; x < S; x += 16)
        t.FillRect(x, y, 10, 2, c);
}
void DashV(Canvas& t, int x, COLORREF c)
{
    for (int y = 2; y < S; y += 16)
        t.FillRect(x, y, 2, 10, c);
}

// An arrow pointing into the map from an edge (dx, dy is the inward direction).
void Arrow(Canvas& t, int dx, int dy)
{
    const COLORREF c = RGB(240, 240, 240);
    double cx = 16, cy = 16;
    auto p = [&](double along, double across) {
        return std::make_pair(cx + along * dx - across * dy, cy + along * dy + across * dx);
    };
    t.FillPolygon({p(9, 0), p(1, 7), p(1, 3), p(-8, 3), p(-8, -3), p(1, -3), p(1, -7)}, c);
}

Canvas Rails(COLORREF ballast, COLORREF rail, uint32_t seed)
{
    Canvas t = Ground(ballast, seed, 40, 12);
    for (int x = 2; x < S; x += 8)
        t.FillRect(x, 5, 4, 22, RGB(110, 80, 54));
    t.FillRect(0, 9, S, 3, rail);
    t.FillRect(0, 20, S, 3, rail);
    return t;
}

Canvas Water(COLORREF base, uint32_t seed)
{
    Canvas t(S, S, base);
    for (int i = 0; i < 3; ++i) {
        uint32_t h = Hash(seed, i);
        int x = h % 24, y = (h >> 8) % 28;
        t.FillRect(x, y, 7, 1, Shade(base, 125));
    }
    return t;
}

Canvas Trees()
{
    Canvas t(S, S, RGB(62, 110, 52));
    const int crowns[][3] = {{7, 7, 7}, {23, 9, 8}, {12, 22, 8}, {26, 25, 6}};
    for (auto& c : crowns) {
        t.FillCircle(c[0], c[1], c[2], RGB(34, 84, 36));
        t.FillCircle(c[0] - 1, c[1] - 1, c[2] - 3, RGB(52, 112, 50));
    }
    return t;
}

// A floor with walls on some sides and optionally a door gap in one wall.
Canvas Walled(bool warehouse, int part)
{
    const COLORREF floor = warehouse ? kWhFloor : kFloorC;
    const COLORREF wall = warehouse ? kWhWall : kWallC;
    Canvas t = warehouse ? Ground(floor, 41, 15, 5) : Ground(floor, 42, 10, 4);
    const int w = 8;
    bool n = part == kWallN || part == kWallNW || part == kWallNE || part == kDoorN;
    bool s = part == kWallS || part == kWallSW || part == kWallSE || part == kDoorS;
    bool e = part == kWallE || part == kWallNE || part == kWallSE || part == kDoorE;
    bool west = part == kWallW || part == kWallNW || part == kWallSW || part == kDoorW;
    if (n)
        t.FillRect(0, 0, S, w, wall);
    if (s)
        t.FillRect(0, S - w, S, w, wall);
    if (e)
        t.FillRect(S - w, 0, w, S, wall);
    if (west)
        t.FillRect(0, 0, w, S, wall);
    const COLORREF door = RGB(150, 96, 48);
    if (part == kDoorN || part == kDoorS) {
        int y = part == kDoorN ? 0 : S - w;
        t.FillRect(8, y, 16, w, floor);
        t.FillRect(8, y + (part == kDoorN ? w - 2 : 0), 16, 2, door);
    }
    if (part == kDoorE || part == kDoorW) {
        int x = part == kDoorW ? 0 : S - w;
        t.FillRect(x, 8, w, 16, floor);
        t.FillRect(x + (part == kDoorW ? w - 2 : 0), 8, 2, 16, door);
    }
    return t;
}

Canvas Undefined()
{
    Canvas t(S, S, RGB(120, 120, 120));
    t.Line(0, 0, S, S, RGB(200, 60, 60), 2);
    t.Line(S, 0, 0, S, RGB(200, 60, 60), 2);
    return t;
}

Canvas TileFor(int type)
{
    switch (type) {
    case kGrass:
        return Ground(kGrassC, 1);
    case kLongGrass: {
        Canvas t = Ground(RGB(92, 146, 64), 2, 20, 8);
        for (int i = 0; i < 14; ++i) {
            uint32_t h = Hash(2, i);
            int x = h % 30, y = (h >> 8) % 26;
            t.FillRect(x, y, 1, 5, RGB(70, 122, 50));
        }
        return t;
    }
    case kEarth:
        return Ground(RGB(150, 118, 80), 3, 40, 12);
    case kGravel:
        return Ground(RGB(176, 166, 146), 4, 50, 14);
    case kLawn: {
        Canvas t = Ground(RGB(116, 178, 84), 5, 15, 5);
        t.FillRect(0, 8, S, 8, Shade(RGB(116, 178, 84), 94));
        t.FillRect(0, 24, S, 8, Shade(RGB(116, 178, 84), 94));
        return t;
    }
    case kField: {
        Canvas t = Ground(RGB(170, 170, 88), 6, 20, 6);
        for (int y = 3; y < S; y += 6)
            t.FillRect(0, y, S, 2, RGB(140, 138, 70));
        return t;
    }
    case kWoods:
        return Trees();
    case kSand:
        return Ground(RGB(196, 176, 128), 7, 40, 8);
    case kJunction:
    case kRoad:
        return Asphalt();
    case kRoadEW:
    case kRoadEastEdge:
    case kRoadWestEdge: {
        Canvas t = Asphalt();
        DashH(t, 0, RGB(232, 200, 64));
        if (type == kRoadEastEdge)
            Arrow(t, -1, 0);
        if (type == kRoadWestEdge)
            Arrow(t, 1, 0);
        return t;
    }
    case kRoadNS:
    case kRoadNorthEdge:
    case kRoadSouthEdge: {
        Canvas t = Asphalt();
        DashV(t, 0, RGB(232, 200, 64));
        if (type == kRoadNorthEdge)
            Arrow(t, 0, 1);
        if (type == kRoadSouthEdge)
            Arrow(t, 0, -1);
        return t;
    }
    case kSidewalk: {
        Canvas t = Ground(kConcrete, 16, 10, 4);
        t.FillRect(0, 15, S, 1, Shade(kConcrete, 80));
        t.FillRect(15, 0, 1, S, Shade(kConcrete, 80));
        return t;
    }
    case kParking:
    case kDriveway: {
        Canvas t = Ground(RGB(112, 114, 118), 17, 20, 6);
        if (type == kParking)
            for (int x = 0; x < S; x += 16)
                t.FillRect(x, 0, 2, 14, RGB(236, 236, 236));
        return t;
    }
    case kCrossing: {
        Canvas t = Asphalt();
        t.FillRect(0, 9, S, 3, RGB(150, 150, 156));
        t.FillRect(0, 20, S, 3, RGB(150, 150, 156));
        for (int x = 0; x < S; x += 8)
            t.FillRect(x, 0, 4, 3, RGB(236, 236, 236));
        for (int x = 4; x < S; x += 8)
            t.FillRect(x, S - 3, 4, 3, RGB(236, 236, 236));
        return t;
    }
    case kBridge: {
        Canvas t = Asphalt();
        DashV(t, 0, RGB(232, 200, 64));
        t.FillRect(0, 0, 4, S, RGB(150, 140, 128));
        t.FillRect(S - 4, 0, 4, S, RGB(150, 140, 128));
        t.FillRect(3, 0, 1, S, RGB(60, 56, 52));
        t.FillRect(S - 4, 0, 1, S, RGB(60, 56, 52));
        return t;
    }
    case kApron: {
        Canvas t = Ground(RGB(176, 176, 168), 20, 10, 4);
        t.FillRect(0, S - 1, S, 1, RGB(140, 140, 134));
        t.FillRect(S - 1, 0, 1, S, RGB(140, 140, 134));
        return t;
    }
    case kTankPad: {
        Canvas t = Ground(RGB(170, 170, 164), 22, 10, 4);
        for (int i = -S; i < S; i += 8)
            t.Line(i, S, i + S, 0, RGB(196, 190, 150), 1);
        return t;
    }
    case kLaneEW:
    case kLaneNS: {
        Canvas t = Ground(RGB(160, 140, 108), 28, 40, 10);
        if (type == kLaneEW) {
            t.FillRect(0, 9, S, 3, RGB(130, 112, 84));
            t.FillRect(0, 20, S, 3, RGB(130, 112, 84));
        } else {
            t.FillRect(9, 0, 3, S, RGB(130, 112, 84));
            t.FillRect(20, 0, 3, S, RGB(130, 112, 84));
        }
        return t;
    }
    case kRail:
        return Rails(RGB(128, 118, 104), RGB(64, 64, 70), 80);
    case kSiding:
        return Rails(RGB(138, 122, 100), RGB(120, 74, 50), 81);
    case kBallast:
        return Ground(RGB(134, 124, 110), 82, 50, 14);
    case kFence: {
        Canvas t = Ground(RGB(176, 176, 168), 90, 10, 4);
        for (int y = 0; y < S; y += 4) {
            t.Line(12, y, 20, y + 4, RGB(90, 94, 100), 1);
            t.Line(20, y, 12, y + 4, RGB(90, 94, 100), 1);
        }
        t.FillRect(15, 0, 2, S, RGB(60, 62, 66));
        t.FillRect(13, 0, 6, 3, RGB(40, 40, 44));
        return t;
    }
    case kHedge: {
        Canvas t = Ground(kGrassC, 91);
        t.FillRect(0, 8, S, 16, RGB(40, 96, 40));
        for (int x = 0; x < S; x += 8)
            t.FillCircle(x + 4, 16, 6, RGB(48, 108, 44));
        return t;
    }
    case kBrook:
        return Water(kWater, 128);
    case kPond:
        return Water(RGB(64, 124, 190), 129);
    case kBankWaterSouth:
    case kBankWaterNorth: {
        Canvas t = Water(kWater, type);
        Canvas land = Ground(RGB(110, 150, 80), type + 1);
        int y0 = type == kBankWaterSouth ? 0 : 16;
        for (int y = y0; y < y0 + 16; ++y)
            for (int x = 0; x < S; ++x)
                t.Set(x, y, land.At(x, y));
        t.FillRect(0, type == kBankWaterSouth ? 15 : 16, S, 2, RGB(120, 100, 64));
        return t;
    }
    case kReeds: {
        Canvas t = Ground(RGB(104, 120, 72), 132, 30, 10);
        for (int i = 0; i < 16; ++i) {
            uint32_t h = Hash(132, i);
            int x = h % 30, y = (h >> 8) % 22;
            t.FillRect(x, y, 1, 9, RGB(60, 90, 44));
        }
        return t;
    }
    case kFloor: {
        Canvas t = Ground(kFloorC, 42, 10, 4);
        for (int y = 7; y < S; y += 8)
            t.FillRect(0, y, S, 1, Shade(kFloorC, 92));
        return t;
    }
    case kWarehouseFloor: {
        Canvas t = Ground(kWhFloor, 41, 15, 5);
        t.FillRect(0, 0, S, 1, Shade(kWhFloor, 90));
        t.FillRect(0, 0, 1, S, Shade(kWhFloor, 90));
        return t;
    }
    case kRacks: {
        Canvas t = Ground(kWhFloor, 41, 15, 5);
        t.FillRect(2, 2, 28, 12, RGB(60, 90, 160));
        t.FillRect(2, 18, 28, 12, RGB(60, 90, 160));
        for (int x = 4; x < 28; x += 8) {
            t.FillRect(x, 4, 6, 8, RGB(200, 150, 70));
            t.FillRect(x, 20, 6, 8, RGB(200, 150, 70));
        }
        return t;
    }
    default:
        break;
    }
    if (type >= kWallBase && type < kWallBase + 12)
        return Walled(false, type - kWallBase);
    if (type >= kWarehouseWallBase && type < kWarehouseWallBase + 12)
        return Walled(true, type - kWarehouseWallBase);
    return Undefined();
}

} // namespace

void MakeTileArt(const std::string& tileTypeFile, Output& out)
{
    // Only the types the table defines get their art; the others show as a crossed grey tile.
    CMap2DLinked map;
    FILE* file = platform::OpenFile(tileTypeFile, "r");
    if (!file) {
        out.Fail("no tile-type table at " + tileTypeFile);
        return;
    }
    map.ReadTileTypes(file);
    std::fclose(file);
    Canvas large(16 * S, 16 * S, RGB(0, 0, 0));
    Canvas small(16 * 8, 16 * 8, RGB(0, 0, 0));
    for (int type = 0; type < 256; ++type) {
        Canvas tile = map.GetTileType(type) ? TileFor(type) : Undefined();
        large.Blit(tile, (type % 16) * S, (type / 16) * S);
        small.Blit(tile.Shrunk(4), (type % 16) * 8, (type / 16) * 8);
    }
    out.Bitmap(std::string("Art/") + kTileArt32, large);
    out.Bitmap(std::string("Art/") + kTileArt8, small);
}

} // namespace demo
