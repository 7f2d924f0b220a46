// Lays out Millbrook cell by cell: roads with their edge entries, the rail line, buildings with walls and
// doors, the warehouse yard, the school, the park, the brook and the fields; then places the sprites.
#include "tools/demo/TownPlan.h"

#include "tools/demo/TileTypes.h"

#include <algorithm>

namespace demo {

namespace {

class Builder {
public:
    explicit Builder(TownPlan& plan) : m_plan(plan) { m_plan.types.assign(kMapColumns * kMapRows, kGrass); }

    void Set(int c, int r, int type)
    {
        if (c >= 0 && r >= 0 && c < kMapColumns && r < kMapRows)
            m_plan.types[static_cast<size_t>(r) * kMapColumns + c] = type;
    }
    int Get(int c, int r) const { return m_plan.At(c, r); }
    void Rect(int c0, int r0, int c1, int r1, int type) // inclusive corners
    {
        for (int r = r0; r <= r1; ++r)
            for (int c = c0; c <= c1; ++c)
                Set(c, r, type);
    }

    // A building: walls round the edge (the edge cells are subdivided: a thin wall on the outside), floor
    // inside, doors at the given cells of the edge.
    void Building(int c0, int r0, int c1, int r1, bool warehouse, const std::vector<std::pair<int, int>>& doors)
    {
        const int base = warehouse ? kWarehouseWallBase : kWallBase;
        Rect(c0, r0, c1, r1, warehouse ? kWarehouseFloor : kFloor);
        for (int c = c0; c <= c1; ++c) {
            Set(c, r0, base + kWallN);
            Set(c, r1, base + kWallS);
        }
        for (int r = r0; r <= r1; ++r) {
            Set(c0, r, base + kWallW);
            Set(c1, r, base + kWallE);
        }
        Set(c0, r0, base + kWallNW);
        Set(c1, r0, base + kWallNE);
        Set(c0, r1, base + kWallSW);
        Set(c1, r1, base + kWallSE);
        for (auto [c, r] : doors) {
            int part = r == r0 ? kDoorN : r == r1 ? kDoorS : c == c0 ? kDoorW : kDoorE;
            Set(c, r, base + part);
        }
    }

    // A house of 4 x 4 cells with a garden round it and its door toward the road.
    void House(int c0, int r0, bool doorSouth)
    {
        Rect(c0 - 1, r0 - 1, c0 + 4, r0 + 4, kLawn);
        Building(c0, r0, c0 + 3, r0 + 3, false, {{c0 + 1, doorSouth ? r0 + 3 : r0}});
    }

private:
    TownPlan& m_plan;
};

void Feature(TownPlan& plan, const std::string& name, int x, int y)
{
    plan.sprites.push_back({2, name, -1, x, y});
}
void Unit(TownPlan& plan, const std::string& name, int agency, int x, int y)
{
    plan.sprites.push_back({1, name, agency, x, y});
}
void Vehicle(TownPlan& plan, const std::string& name, int agency, int x, int y)
{
    plan.sprites.push_back({4, name, agency, x, y});
}
NamedRect Cells(const std::string& name, int c0, int r0, int c1, int r1)
{
    return {name, c0 * kCell, r0 * kCell, (c1 + 1) * kCell, (r1 + 1) * kCell};
}

// The game's first view of play opens at the map's top left corner. The town is laid out below as it was drawn
// and then turned round by these many cells, what leaves one edge coming in at the opposite one, so that the rail
// line and the Brennan yard, with the patrol beside it, lie at the top left.
constexpr int kTurnColumns = 28;
constexpr int kTurnRows = 24;

int Turned(int value, int by, int size)
{
    return ((value - by) % size + size) % size;
}

// Squads from the area map arrive where Main Street and Depot Road meet the map edges: the roads that reach the
// yard without a detour round the brook. Every other road end is a plain road.
constexpr int kDepotRoadRow = 40; // its two lanes, as drawn

void SetRoadEntries(TownPlan& plan)
{
    const int depot = Turned(kDepotRoadRow, kTurnRows, kMapRows);
    for (int& type : plan.types) {
        if (type == kRoadEastEdge || type == kRoadWestEdge)
            type = kRoadEW;
        else if (type == kRoadNorthEdge || type == kRoadSouthEdge)
            type = kRoadNS;
    }
    auto at = [&plan](int c, int r) -> int& { return plan.types[static_cast<size_t>(r) * kMapColumns + c]; };
    for (int r = 0; r < kMapRows; ++r) {
        if (r != depot && r != depot + 1)
            continue;
        if (at(0, r) == kRoadEW)
            at(0, r) = kRoadWestEdge;
        if (at(kMapColumns - 1, r) == kRoadEW)
            at(kMapColumns - 1, r) = kRoadEastEdge;
    }
    for (int c = 0; c < kMapColumns; ++c) {
        if (at(c, 0) == kRoadNS)
            at(c, 0) = kRoadNorthEdge;
        if (at(c, kMapRows - 1) == kRoadNS)
            at(c, kMapRows - 1) = kRoadSouthEdge;
    }
}

void TurnRound(TownPlan& plan)
{
    std::vector<int> types(plan.types.size());
    for (int r = 0; r < kMapRows; ++r)
        for (int c = 0; c < kMapColumns; ++c)
            types[static_cast<size_t>(Turned(r, kTurnRows, kMapRows)) * kMapColumns +
                  Turned(c, kTurnColumns, kMapColumns)] = plan.At(c, r);
    plan.types = std::move(types);
    const int dx = kTurnColumns * kCell, dy = kTurnRows * kCell;
    const int width = kMapColumns * kCell, height = kMapRows * kCell;
    for (SpritePlace& s : plan.sprites) {
        s.x = Turned(s.x, dx, width);
        s.y = Turned(s.y, dy, height);
    }
    for (auto& [name, point] : plan.points)
        point = {Turned(point.first, dx, width), Turned(point.second, dy, height)};
    for (NamedRect& z : plan.zones) { // no zone lies across the turn
        const int left = Turned(z.left, dx, width), top = Turned(z.top, dy, height);
        z.right += left - z.left;
        z.bottom += top - z.top;
        z.left = left;
        z.top = top;
    }
    SetRoadEntries(plan);
}

} // namespace

TownPlan MakeMillbrookPlan()
{
    TownPlan plan;
    Builder b(plan);

    // Fields south of the brook, a disused lot east of the yard, the park.
    b.Rect(0, 69, 99, 74, kField);
    b.Rect(60, 70, 75, 74, kWoods);
    b.Rect(65, 30, 70, 38, kEarth);
    b.Rect(70, 14, 92, 22, kWoods);
    b.Rect(93, 16, 96, 20, kWoods);

    // Rail line across the map: ballast, two tracks, long grass on the embankment.
    b.Rect(0, 24, 99, 24, kLongGrass);
    b.Rect(0, 25, 99, 25, kBallast);
    b.Rect(0, 26, 99, 27, kRail);
    b.Rect(0, 28, 99, 28, kBallast);
    b.Rect(0, 29, 99, 29, kLongGrass);

    // Houses along Station Road (north side doors south, south side doors north).
    for (int c0 : {2, 8, 14, 29, 35, 41, 47, 53, 59})
        b.House(c0, 4, true);
    for (int c0 : {2, 8, 14, 29, 35, 41, 47})
        b.House(c0, 14, false);
    b.Rect(0, 2, 99, 2, kHedge);
    // Houses on the south side of Depot Road, east of the school lane.
    for (int c0 : {83, 89, 95})
        b.House(c0, 44, false);

    // Streets: Station Road and Depot Road (west to east edge), Main Street (north to south edge).
    b.Rect(0, 9, 99, 9, kSidewalk);
    b.Rect(0, 12, 99, 12, kSidewalk);
    b.Rect(0, 10, 99, 11, kRoadEW);
    b.Rect(23, 12, 23, 23, kSidewalk);
    b.Rect(26, 12, 26, 23, kSidewalk);
    b.Rect(23, 30, 23, 62, kSidewalk);
    b.Rect(26, 30, 26, 62, kSidewalk);
    b.Rect(24, 0, 25, 74, kRoadNS);
    b.Rect(0, kDepotRoadRow, 99, kDepotRoadRow + 1, kRoadEW);
    b.Rect(0, 10, 0, 11, kRoadWestEdge);
    b.Rect(99, 10, 99, 11, kRoadEastEdge);
    b.Rect(99, 40, 99, 41, kRoadEastEdge);
    b.Rect(24, 0, 25, 0, kRoadNorthEdge);
    b.Rect(24, 74, 25, 74, kRoadSouthEdge);
    b.Rect(24, 10, 25, 11, kJunction);
    b.Rect(24, 40, 25, 41, kJunction);
    b.Rect(23, 24, 23, 29, kGrass);
    b.Rect(26, 24, 26, 29, kGrass);
    b.Rect(24, 26, 25, 27, kCrossing);

    // Brennan Chemical Supply: fenced yard, siding, apron, warehouse, site office, tank farm, car park.
    b.Rect(35, 30, 62, 30, kSiding);
    b.Rect(34, 31, 34, 39, kFence);
    b.Rect(63, 31, 63, 39, kFence);
    b.Rect(35, 31, 62, 39, kApron);
    b.Rect(35, 38, 62, 39, kParking);
    b.Building(40, 32, 55, 37, true, {{43, 32}, {47, 32}, {51, 32}, {48, 37}, {40, 35}});
    b.Rect(42, 34, 46, 35, kRacks);
    b.Rect(49, 34, 53, 35, kRacks);
    b.Building(35, 33, 38, 36, false, {{38, 35}});
    b.Rect(57, 32, 61, 36, kTankPad);

    // Town Hall and its car park (the staging lot) west of Main Street.
    b.Rect(11, 30, 22, 39, kLawn);
    b.Building(12, 31, 20, 36, false, {{20, 33}, {16, 36}});
    b.Rect(12, 37, 22, 39, kParking);
    b.Rect(21, 32, 22, 34, kDriveway);

    // Millbrook Elementary with its lane, car park, playground and playing field.
    b.Rect(60, 42, 60, 60, kLaneNS);
    b.Rect(61, 44, 63, 54, kParking);
    b.Building(64, 46, 77, 53, false, {{64, 49}, {70, 46}, {70, 53}});
    b.Rect(64, 55, 77, 59, kGravel);
    b.Rect(78, 55, 88, 60, kGrass);
    b.Rect(61, 55, 63, 59, kLawn);

    // The park with its pond.
    b.Rect(6, 47, 12, 52, kSand);
    b.Rect(7, 48, 11, 51, kPond);

    // Mill Brook across the south, its banks (subdivided) and reeds; the Main Street bridge.
    b.Rect(0, 63, 99, 63, kBankWaterSouth);
    b.Rect(0, 64, 99, 67, kBrook);
    b.Rect(0, 68, 99, 68, kBankWaterNorth);
    b.Rect(40, 62, 48, 62, kReeds);
    b.Rect(80, 62, 86, 62, kReeds);
    b.Rect(24, 62, 25, 68, kBridge);
    b.Rect(26, 71, 50, 71, kLaneEW);

    // Places the events name.
    plan.points["fire"] = {CellCentre(44), CellCentre(35)};
    plan.points["spill"] = {CellCentre(47), CellCentre(31)};
    plan.points["explosion"] = {CellCentre(54), CellCentre(34)};
    plan.points["gas"] = {CellCentre(50), CellCentre(40)};
    plan.points["power"] = {CellCentre(56), CellCentre(31)};
    plan.points["water"] = {CellCentre(24), CellCentre(36)};
    plan.points["bomb"] = {CellCentre(36), CellCentre(34)};
    plan.points["playground"] = {CellCentre(70), CellCentre(57)};
    plan.points["crossing"] = {CellCentre(26), CellCentre(30)};
    plan.points["escape"] = {CellCentre(98), CellCentre(31)}; // east along the rail line

    plan.zones.push_back(Cells("Brennan Chemical site", 34, 30, 63, 39));
    plan.zones.push_back(Cells("Main Street rail crossing", 22, 24, 27, 29));
    plan.zones.push_back(Cells("Millbrook Elementary", 60, 44, 88, 60));
    plan.zones.push_back(Cells("Town Hall car park", 12, 37, 22, 39));
    plan.zones.push_back(Cells("Depot Road east", 56, 40, 70, 41));
    plan.zones.push_back(Cells("West of the yard", 28, 31, 33, 37)); // the Command Post's place

    // Features: labels, trees, tanks, cars, and the obstructions (structures) squads must clear.
    Feature(plan, "Label Brennan Chemical", CellCentre(47) + 16, CellCentre(36) - 8);
    Feature(plan, "Label Site Office", CellCentre(36) + 16, CellCentre(35));
    Feature(plan, "Label Town Hall", CellCentre(16), CellCentre(34));
    Feature(plan, "Label Millbrook Elementary", CellCentre(70) + 16, CellCentre(50));
    Feature(plan, "Label Mill Brook", CellCentre(60), CellCentre(65) + 16);
    Feature(plan, "Label Rail Line", CellCentre(12), CellCentre(26) + 16);
    Feature(plan, "Label Depot Road", CellCentre(80), CellCentre(40) + 16);
    Feature(plan, "Label Station Road", CellCentre(70), CellCentre(10) + 16);
    Feature(plan, "Label Main Street", CellCentre(24) + 16, CellCentre(50));
    for (int i = 0; i < 3; ++i)
        Feature(plan, "Storage Tank", CellCentre(58) + 16 + (i % 2) * 64, CellCentre(33) + i * 48);
    const int trees[][2] = {{1, 3},   {7, 8},   {13, 3},  {19, 8},  {28, 8},  {40, 3},  {52, 8},  {64, 6},  {66, 3},
                            {1, 18},  {13, 18}, {28, 18}, {46, 13}, {3, 45},  {15, 46}, {4, 55},  {14, 55}, {17, 50},
                            {9, 57},  {30, 45}, {36, 50}, {44, 55}, {52, 48}, {80, 58}, {86, 56}, {90, 50}, {30, 60},
                            {55, 60}, {68, 72}, {90, 72}, {35, 72}, {95, 30}, {88, 33}, {78, 36}, {73, 42}};
    for (auto& t : trees)
        Feature(plan, "Tree", CellCentre(t[0]), CellCentre(t[1]));
    for (int c : {36, 39, 42, 53, 56})
        Feature(plan, "Parked Car", CellCentre(c), CellCentre(38) + 8);
    for (int c : {13, 15, 19})
        Feature(plan, "Parked Car", CellCentre(c), CellCentre(38));
    Feature(plan, "Dumpster", CellCentre(39), CellCentre(31));
    Feature(plan, "Rail Tank Car", CellCentre(57), CellCentre(30));
    Feature(plan, "Pallet Stack", CellCentre(60), CellCentre(38));
    Feature(plan, "Abandoned Car", CellCentre(68), CellCentre(41));
    Feature(plan, "Fallen Tree", CellCentre(60), CellCentre(56));

    // Squads on the map at the start: one patrol pulled up beside the yard fence, the civilians, the suspect.
    Unit(plan, "Patrol Officers", 0, CellCentre(33), CellCentre(32));
    Vehicle(plan, "Patrol Car", 0, CellCentre(31), CellCentre(33));
    Unit(plan, "Warehouse Workers", 5, CellCentre(45), CellCentre(36));
    Unit(plan, "Warehouse Workers", 5, CellCentre(52), CellCentre(33));
    Unit(plan, "Passers-by", 5, CellCentre(30), CellCentre(42));
    Unit(plan, "Schoolchildren", 5, CellCentre(67), CellCentre(50));
    Unit(plan, "Schoolchildren", 5, CellCentre(74), CellCentre(50));
    Unit(plan, "News Crew", 5, CellCentre(80), CellCentre(39));
    Unit(plan, "Arson Suspect", 6, CellCentre(67), CellCentre(32));
    Vehicle(plan, "Civilian Car", 5, CellCentre(58), CellCentre(39));
    TurnRound(plan);
    return plan;
}

} // namespace demo
