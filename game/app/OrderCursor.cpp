// The game's cursors: loading and showing them by id and set, and choosing the order and target cursor of a point.
#include "game/app/OrderCursor.h"

#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/Game.h"
#include "game/app/InputPlay.h"
#include "game/screens/eoc/EOC.h"
#include "game/sim/IncidentWorld.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"
#include "platform/window/CursorFile.h"

#include <algorithm>

namespace {

const char* const kOrderCursorNames[] = {"SquadMove",     "VehicleMove",  "GetInVehicle", "Assault",       "DefuseBomb",
                                         "RepairUtility", "ClearDebris",  "FightFire",    "ContainHazard", "GiveAid",
                                         "Supervise",     "DirectSelect", "DirectTarget", "Perimeter",     "Evacuation",
                                         "Escort",        "Tow",          "Search",       "Negotiate"};

} // namespace

const char* OrderCursorName(int id)
{
    if (id < kCursorFirstOrder || id > kCursorLast)
        return nullptr;
    return kOrderCursorNames[id - kCursorFirstOrder];
}

std::string CursorFileName(int id, int set)
{
    static const char* const kSuffix[] = {"", "Danger", "Prohibited"};
    if (set < 0 || set > 2)
        return {};
    if (id == kCursorTarget)
        return set == 0 ? "gui/target.cur" : std::string();
    const char* name = OrderCursorName(id);
    return name ? std::string("gui/") + name + kSuffix[set] + ".cur" : std::string();
}

CGameCursors::~CGameCursors()
{
    for (auto& set : m_aCursors)
        for (void*& c : set) {
            platform::FreeCursorHandle(c);
            c = nullptr;
        }
}

int CGameCursors::Load(const std::string& baseFolder)
{
    int loaded = 0;
    m_aCursors[0][kCursorArrow] = platform::LoadSystemCursor(platform::SystemCursor::Arrow);
    m_aCursors[0][kCursorWait] = platform::LoadSystemCursor(platform::SystemCursor::Wait);
    for (int set = 0; set < 3; ++set)
        for (int id = kCursorTarget; id <= kCursorLast; ++id) {
            const std::string file = CursorFileName(id, set);
            if (file.empty())
                continue;
            const std::string path = platform::JoinPath(baseFolder, file);
            m_aCursors[set][id] = platform::LoadCursorFromFile(path);
            loaded += m_aCursors[set][id] != nullptr;
            // A missing or damaged file is told once; the arrow stands in for it.
            if (!m_aCursors[set][id] && !platform::IsCursorFileReadable(path))
                platform::ReportUnloadableFile(path, "LoadCursorFromFile");
        }
    return loaded;
}

bool CGameCursors::Has(int id, int set) const
{
    return id >= 0 && id <= kCursorLast && set >= 0 && set <= 2 && m_aCursors[set][id] != nullptr;
}

bool CGameCursors::Show(int id, int set) const
{
    if (id < 0 || id > kCursorLast || set < 0 || set > 2)
        return false;
    void* cursor = m_aCursors[set][id] ? m_aCursors[set][id] : m_aCursors[0][id];
    if (!cursor)
        cursor = m_aCursors[0][kCursorArrow];
    platform::ShowCursorHandle(cursor);
    return cursor != nullptr;
}

void CGame::LoadCursors()
{
    m_pCursors = std::make_unique<CGameCursors>();
    m_pCursors->Load(m_strBasePath);
}

// ---- choosing the cursor for a point ----

namespace {

constexpr int kHudBandTop = 448;

bool CanBeSupervised(const CSquad* squad, const CSquad* other)
{
    return squad->CanSupervise(other);
}

} // namespace

CSquad* CGame::UnitAtWorld(int wx, int wy, const CSquad* squad, bool (*test)(const CSquad*, const CSquad*)) const
{
    CSquadManager* squads = m_pSquadGame ? m_pSquadGame->Scenario() : nullptr;
    if (!squads || !squad)
        return nullptr;
    for (CSquad* other : squads->Units()) {
        const CSprite* sprite = other->m_pSprite;
        if (!sprite)
            continue;
        const int zoom = sprite->m_nZoom == 1 ? 1 : 0;
        const int w = std::max(sprite->m_anFrameWidth[zoom], 1), h = std::max(sprite->m_anFrameHeight[zoom], 1);
        const int64_t left = int64_t{TruncInt(other->m_fX)} - w / 2, top = int64_t{TruncInt(other->m_fY)} - h / 2;
        if (wx >= left && wx <= left + w && wy >= top && wy <= top + h && test(squad, other))
            return other;
    }
    return nullptr;
}

bool CGame::TileDanger(const CSquad* squad, CPathTile* tile) const
{
    const CIncidentWorld* world = m_pIncidentWorld.get();
    if (!world || !tile)
        return false;
    const CIncidentNode* fire = world->FireAt(tile);
    const CIncidentNode* spill = world->ChemicalAt(tile);
    const bool burning = fire != nullptr;
    const bool hazard = spill && spill->m_fValue > 0.0f;
    if (!burning && !hazard)
        return false;
    const int kind = squad ? squad->AgencyKind() : -1;
    if (squad && (squad->m_nFlags & kSqGear) && (kind == 1 || kind == 4))
        return (burning && world->FireDangerAt(tile) > 0.0f) || (hazard && world->HazardDangerAt(tile) > 0.0f);
    return true;
}

void CGame::UpdateOrderCursor(int x, int y, CSquad* hovered)
{
    CSquad* squad = OrderSquad();
    int wx = 0, wy = 0;
    CPathTile* tile = nullptr;
    if (squad && x < 800 && y < kHudBandTop && ScreenToWorld(x, y, wx, wy) && m_pPathData)
        tile = m_pPathData->GetTileAt(wx, wy);
    if (!tile) {
        m_nPendingOrder = 0;
        SetMouseCursor(kCursorArrow);
        return;
    }
    auto choose = [this](int order, int cursor, bool danger, bool prohibited) {
        m_nPendingOrder = order;
        SetMouseCursor(cursor, danger, prohibited);
    };
    const bool danger = TileDanger(squad, tile);
    const bool passable = IsPassableFor(squad, wx, wy);
    if (squad->IsVehicle()) {
        if (hovered && hovered != squad && squad->CanLoad(hovered)) {
            CPathTile* own = m_pPathData->GetTileAt(TruncInt(squad->m_fX), TruncInt(squad->m_fY));
            choose(kActLoadSquad, 6, TileDanger(squad, own), false);
        } else if (!passable) {
            choose(0, 5, false, true);
        } else {
            choose(kActMove, 5, danger, false);
        }
        return;
    }
    const CUnitTaskRecord* record = squad->m_pUnitRecord;
    auto able = [record](float CUnitTaskRecord::*ability) { return record && record->*ability > 0.0f; };
    const bool waived = (m_uMode & kModeWaiveUnits) != 0;
    const uint32_t ops = m_pEOCUnitData ? m_pEOCUnitData->m_aSections[1].uActivated : 0;
    auto unit = [&](uint32_t bit) { return waived || (ops & bit) != 0; };
    CIncidentWorld* world = m_pIncidentWorld.get();
    const int targets = m_pSquadGame->Scenario()->CursorTargets(wx, wy, squad, m_pPathData.get());
    if (!passable)
        choose(0, 4, false, true);
    else if (hovered && hovered != squad && hovered->IsVehicle() && hovered->HasRoomFor(squad))
        choose(kActGetInVehicle, 6, danger, false);
    else if (able(&CUnitTaskRecord::m_fDefuseBomb) && world && world->BombAt(tile))
        choose(kActDefuseBomb, 8, danger, false);
    else if (able(&CUnitTaskRecord::m_fFightFire) && world && world->FireAt(tile))
        choose(kActFightFire, 11, danger, false);
    else if (able(&CUnitTaskRecord::m_fFightHazard) && unit(0x200) && world && world->ChemicalAt(tile))
        choose(kActFightHazard, 12, danger, false);
    else if (able(&CUnitTaskRecord::m_fAssault) && unit(0x4) && (targets & 0x1))
        choose(kActAssault, 7, danger, false);
    else if (able(&CUnitTaskRecord::m_fFirstAid) && (targets & 0x2))
        choose(kActFirstAid, 13, danger, false);
    else if (able(&CUnitTaskRecord::m_fUtilityWork) && unit(0x4000) && world && world->LeakKindAt(tile) != 0)
        choose(kActUtilityWork, 9, danger, false);
    else if (able(&CUnitTaskRecord::m_fClearDebris) && unit(0x4000) && world && world->DebrisAt(tile))
        choose(kActClearDebris, 10, danger, false);
    else if (able(&CUnitTaskRecord::m_fClearDebris) && world && world->ObstructionAt(wx, wy))
        choose(kActClearObstruction, 10, danger, false);
    else
        choose(kActMove, 4, danger, false);
}

void CGame::UpdateTargetCursor(int x, int y)
{
    CSquad* squad = OrderSquad();
    const int order = m_nPendingOrder;
    const int cursor = TargetCursorFor(order, squad && squad->IsVehicle(), m_nHudSubState);
    if (cursor == kCursorTarget) {
        SetMouseCursor(cursor);
        return;
    }
    int wx = 0, wy = 0;
    CPathTile* tile = nullptr;
    if (squad && x < 800 && y < kHudBandTop && ScreenToWorld(x, y, wx, wy) && m_pPathData)
        tile = m_pPathData->GetTileAt(wx, wy);
    if (!tile) {
        SetMouseCursor(cursor, false, true);
        return;
    }
    CIncidentWorld* world = m_pIncidentWorld.get();
    CSquad* hovered = SquadAtScreen(x, y);
    bool prohibited = !IsPassableFor(squad, wx, wy);
    bool danger = false;
    switch (order) {
    case kActAssault:
        prohibited = prohibited || !(m_pSquadGame->Scenario()->CursorTargets(wx, wy, squad, nullptr) & 0x1);
        break;
    case kActSupervise:
        prohibited = prohibited || !UnitAtWorld(wx, wy, squad, CanBeSupervised);
        break;
    case kActFirstAid:
        prohibited = prohibited || !(m_pSquadGame->Scenario()->CursorTargets(wx, wy, squad, nullptr) & 0x2);
        break;
    case kActClearDebris:
        prohibited = prohibited || !world || !world->DebrisAt(tile);
        break;
    case kActFightFire:
        prohibited = prohibited || !world || !world->FireAt(tile);
        break;
    case kActFightHazard:
        prohibited = prohibited || !world || !world->ChemicalAt(tile);
        break;
    case kActDefuseBomb:
        prohibited = prohibited || !world || !world->BombAt(tile);
        break;
    case kActUtilityWork:
        prohibited = prohibited || !world || world->LeakKindAt(tile) == 0;
        break;
    case kActLoadSquad: {
        // The vehicle stays where it is: its own tile counts, not the pointer's.
        const int ox = TruncInt(squad->m_fX), oy = TruncInt(squad->m_fY);
        danger = TileDanger(squad, m_pPathData->GetTileAt(ox, oy));
        prohibited = !IsPassableFor(squad, ox, oy) || !hovered || hovered == squad || !squad->CanLoad(hovered);
        break;
    }
    case kActGetInVehicle:
        prohibited = prohibited || !hovered || hovered == squad || !hovered->IsVehicle() || !hovered->HasRoomFor(squad);
        break;
    case kActDirect:
        if (m_nHudSubState == 4)
            prohibited = prohibited || !hovered || !squad->CanDirect(hovered);
        break;
    case kActClearObstruction:
        prohibited = prohibited || !world || !world->ObstructionAt(wx, wy);
        break;
    default:
        break;
    }
    SetMouseCursor(cursor, danger, prohibited);
}

int TargetCursorFor(int order, bool vehicle, int subState)
{
    switch (order) {
    case 2:
    case 3:
        return vehicle ? 5 : 4;
    case 4:
        return 7;
    case 5:
        return 21;
    case 6:
        return 18;
    case 7:
        return 19;
    case 8:
        return 14;
    case 9:
        return 13;
    case 10:
    case 44:
        return 10;
    case 11:
        return 11;
    case 12:
        return 12;
    case 13:
        return 8;
    case 14:
        return 22;
    case 15:
        return 9;
    case 16:
        return 17;
    case 17:
    case 19:
        return 6;
    case 38:
        return 20;
    case 39:
        return subState == 5 ? 16 : 15;
    default:
        return kCursorTarget;
    }
}
