// Tile-type indexes of the demo set (rows of data/Tile_Types.csv) and which of them are stored subdivided.
#pragma once

namespace demo {

enum TileType : int {
    kGrass = 0,
    kLongGrass = 1,
    kEarth = 2,
    kGravel = 3,
    kLawn = 4,
    kField = 5,
    kWoods = 6,
    kSand = 7,
    kJunction = 8,
    kRoad = 9,
    kRoadEW = 10,
    kRoadNS = 11,
    kRoadEastEdge = 12, // the map edges where squads arrive (the tile map's edge buckets)
    kRoadWestEdge = 13,
    kRoadNorthEdge = 14,
    kRoadSouthEdge = 15,
    kSidewalk = 16,
    kParking = 17,
    kCrossing = 18,
    kBridge = 19,
    kApron = 20,
    kDriveway = 21,
    kTankPad = 22,
    kLaneEW = 28,
    kLaneNS = 29,
    kRail = 80,
    kSiding = 81,
    kBallast = 82,
    kFence = 90,
    kHedge = 91,
    kBrook = 128,
    kPond = 129,
    kBankWaterSouth = 130,
    kBankWaterNorth = 131,
    kReeds = 132,
    kFloor = 162,    // vehicles never enter this type
    kWallBase = 164, // 12 wall types: N, S, E, W, NW, NE, SW, SE, door N, S, E, W
    kWarehouseFloor = 177,
    kRacks = 178,
    kWarehouseWallBase = 180,
};

enum WallPart { kWallN, kWallS, kWallE, kWallW, kWallNW, kWallNE, kWallSW, kWallSE, kDoorN, kDoorS, kDoorE, kDoorW };

// Types whose cells the path grid stores as 4 x 4 sub-tiles.
inline bool IsSubdividedType(int type)
{
    return type == kBankWaterSouth || type == kBankWaterNorth || (type >= kWallBase && type < kWallBase + 12) ||
           (type >= kWarehouseWallBase && type < kWarehouseWallBase + 12);
}

} // namespace demo
