// Loading and showing the game's cursors by id and set.
#include "game/app/OrderCursor.h"

#include "game/app/Game.h"
#include "platform/system/Paths.h"
#include "platform/window/CursorFile.h"

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
            m_aCursors[set][id] = platform::LoadCursorFromFile(platform::JoinPath(baseFolder, file));
            loaded += m_aCursors[set][id] != nullptr;
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
