// Stations and their stock lines: stored form, deep copies, routes and the dispatch menu.
#include "core/world/StationData.h"

#include "core/widgets/CPopupMenu.h"
#include "core/widgets/CPopupMenuView.h"
#include "core/world/PathData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/UnitTaskRecord.h"
#include "core/world/WorldPersist.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

QF_IMPLEMENT_SERIAL(CStationResource, 2)
QF_IMPLEMENT_SERIAL(CStationData, 2)

void CopyName(char* field, int fieldSize, const char* text)
{
    if (fieldSize <= 0)
        return;
    std::strncpy(field, text ? text : "", static_cast<size_t>(fieldSize - 1));
    field[fieldSize - 1] = '\0';
}

// ---- stock line ----

bool CStationResource::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    QFSerializeValue(archive, &m_nAgencyKind, "tmp");
    if (QFHasMember(archive, version, 2))
        QFSerializeValue(archive, &m_AgencyIndex, "m_AgencyIndex");
    else
        m_AgencyIndex = m_nAgencyKind;
    std::string name = m_szName;
    QFSerializeValue(archive, &name, "str");
    QFSerializeValue(archive, &m_nResCount, "m_nResCount");
    QFSerializeValue(archive, &m_bOnCall, "tmp");
    if (archive->IsLoading()) {
        CopyName(m_szName, kNameSize, name.c_str());
        m_nAvailable = m_nResCount;
    }
    QFEndSection(archive, "Members");
    return true;
}

void CStationResource::Assign(const CStationResource& other)
{
    if (this == &other)
        return;
    m_nAgencyKind = other.m_nAgencyKind;
    m_AgencyIndex = other.m_AgencyIndex;
    std::memcpy(m_szName, other.m_szName, sizeof(m_szName));
    m_szName[kNameSize - 1] = '\0';
    m_nResCount = other.m_nResCount;
    m_nAvailable = other.m_nAvailable;
    m_bOnCall = other.m_bOnCall;
}

// ---- station ----

CStationData::CStationData() = default;

CStationData::~CStationData()
{
    FreeResources();
    FreeRoutes();
    delete m_pPopupMenu;
}

CStationData::CStationData(const CStationData& other) : QFSerializeBase()
{
    CopyFrom(other);
}

CStationData& CStationData::operator=(const CStationData& other)
{
    if (this != &other) {
        FreeResources();
        FreeRoutes();
        CopyFrom(other);
    }
    return *this;
}

void CStationData::CopyFrom(const CStationData& other)
{
    for (int i = 0; i < kResourceSlots; ++i) {
        if (other.m_paResources[i]) {
            m_paResources[i] = new CStationResource();
            m_paResources[i]->Assign(*other.m_paResources[i]);
        }
    }
    std::memcpy(m_szName, other.m_szName, sizeof(m_szName));
    m_nStationKind = other.m_nStationKind;
    m_AgencyIndex = other.m_AgencyIndex;
    m_pptWaypoints = other.m_pptWaypoints;
    m_nNumWaypoints = other.m_nNumWaypoints;
    m_nMinutesToSite = other.m_nMinutesToSite;
    m_fRouteSpeed = other.m_fRouteSpeed;
    m_nRouteDirection = other.m_nRouteDirection;
    m_nInfoPage = other.m_nInfoPage;
    CRouteNode** lists[2] = {&m_pRouteFromStation, &m_pRouteToStation};
    const CRouteNode* sources[2] = {other.m_pRouteFromStation, other.m_pRouteToStation};
    for (int l = 0; l < 2; ++l) {
        CRouteNode** tail = lists[l];
        for (const CRouteNode* n = sources[l]; n; n = n->m_pNext) {
            auto* copy = new CRouteNode();
            copy->m_pTile = new CPathTile();
            copy->m_pTile->m_nX = n->m_pTile ? n->m_pTile->m_nX : 0;
            copy->m_pTile->m_nY = n->m_pTile ? n->m_pTile->m_nY : 0;
            *tail = copy;
            tail = &copy->m_pNext;
        }
    }
}

void CStationData::FreeResources()
{
    for (CStationResource*& r : m_paResources) {
        delete r;
        r = nullptr;
    }
}

void CStationData::FreeRoutes()
{
    for (CRouteNode** list : {&m_pRouteFromStation, &m_pRouteToStation}) {
        while (*list) {
            CRouteNode* next = (*list)->m_pNext;
            delete (*list)->m_pTile;
            delete *list;
            *list = next;
        }
    }
}

void CStationData::SetName(const char* name)
{
    CopyName(m_szName, kNameSize, name);
}

void CStationData::AddResource(const CStationResource& resource)
{
    for (CStationResource*& slot : m_paResources) {
        if (!slot) {
            slot = new CStationResource();
            slot->Assign(resource);
            return;
        }
    }
}

void CStationData::SetWaypoints(std::vector<POINT> points)
{
    FreeRoutes(); // the lists were built from the old points
    m_pptWaypoints = std::move(points);
    m_nNumWaypoints = static_cast<int32_t>(m_pptWaypoints.size());
}

CStationResource* CStationData::GetResource(int index) const
{
    return index >= 0 && index < kResourceSlots ? m_paResources[index] : nullptr;
}

void CStationData::StoreMembers(QFArchive* archive)
{
    std::string name = m_szName;
    QFSerializeValue(archive, &name, "str");
    QFSerializeValue(archive, &m_nStationKind, "tmp");
    QFSerializeValue(archive, &m_AgencyIndex, "m_AgencyIndex");
    QFSerializeValue(archive, &m_nMinutesToSite, "m_nMinutesToSite");
    int32_t count = static_cast<int32_t>(m_pptWaypoints.size());
    QFSerializeValue(archive, &count, "m_nNumWaypoints");
    for (POINT& p : m_pptWaypoints) {
        QFSerializeLong(archive, &p.x, "m_pptWaypoints[i].x");
        QFSerializeLong(archive, &p.y, "m_pptWaypoints[i].y");
    }
    int32_t resources = 0;
    for (CStationResource* r : m_paResources)
        resources += r != nullptr;
    QFSerializeValue(archive, &resources, "nCount");
    for (CStationResource*& r : m_paResources)
        if (r)
            QFSerializePointer(archive, &r, "m_paResources[i]");
}

bool CStationData::LoadMembers(QFArchive* archive, short version)
{
    std::string name;
    QFSerializeValue(archive, &name, "str");
    SetName(name.c_str());
    QFSerializeValue(archive, &m_nStationKind, "tmp");
    if (QFHasMember(archive, version, 2))
        QFSerializeValue(archive, &m_AgencyIndex, "m_AgencyIndex");
    else
        m_AgencyIndex = m_nStationKind;
    QFSerializeValue(archive, &m_nMinutesToSite, "m_nMinutesToSite");
    int32_t count = 0;
    QFSerializeValue(archive, &count, "m_nNumWaypoints");
    // The points are kept as they are read, so a count larger than the file allocates no more than it holds.
    m_pptWaypoints.clear();
    for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
        POINT p;
        QFSerializeLong(archive, &p.x, "m_pptWaypoints[i].x");
        QFSerializeLong(archive, &p.y, "m_pptWaypoints[i].y");
        if (!archive->Failed())
            m_pptWaypoints.push_back(p);
    }
    m_nNumWaypoints = static_cast<int32_t>(m_pptWaypoints.size());
    int32_t resources = 0;
    QFSerializeValue(archive, &resources, "nCount");
    FreeResources();
    for (int32_t i = 0; i < resources && !archive->Failed(); ++i) {
        if (i < kResourceSlots)
            QFSerializePointer(archive, &m_paResources[i], "m_paResources[i]");
        else
            QFDropPointer<CStationResource>(archive, "m_paResources[i]"); // six slots: the rest are read and dropped
    }
    // Slots are filled from 0 without gaps.
    int to = 0;
    for (int from = 0; from < kResourceSlots; ++from) {
        CStationResource* r = m_paResources[from];
        m_paResources[from] = nullptr;
        if (r)
            m_paResources[to++] = r;
    }
    return !archive->Failed();
}

bool CStationData::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    bool ok = true;
    if (archive->IsStoring())
        StoreMembers(archive);
    else
        ok = LoadMembers(archive, version);
    QFEndSection(archive, "Members");
    return ok;
}

// ---- routes ----

void CStationData::BuildRoutes()
{
    int n = static_cast<int>(m_pptWaypoints.size());
    m_nNumWaypoints = n;
    if (n <= 0)
        return;
    FreeRoutes();
    const std::vector<POINT>& p = m_pptWaypoints;
    // A single waypoint has no last segment: heading 0.
    m_nRouteDirection = 0;
    if (n >= 2) {
        int64_t dx = static_cast<int64_t>(p[n - 1].x) - p[n - 2].x;
        int64_t dy = static_cast<int64_t>(p[n - 1].y) - p[n - 2].y;
        if (std::llabs(dx) > std::llabs(dy))
            m_nRouteDirection = p[n - 1].x > p[n - 2].x ? 6 : 2;
        else
            m_nRouteDirection = p[n - 1].y > p[n - 2].y ? 0 : 4;
    }
    auto push = [](CRouteNode** list, const POINT& point) {
        auto* node = new CRouteNode();
        node->m_pTile = new CPathTile();
        node->m_pTile->m_nX = point.x;
        node->m_pTile->m_nY = point.y;
        node->m_pNext = *list;
        *list = node;
    };
    for (int i = 0; i < n; ++i)
        push(&m_pRouteFromStation, p[i]);
    for (int i = n - 1; i >= 0; --i)
        push(&m_pRouteToStation, p[i]);
    float length = 0.0f;
    for (int i = 1; i < n; ++i) {
        double dx = static_cast<double>(p[i].x) - p[i - 1].x;
        double dy = static_cast<double>(p[i].y) - p[i - 1].y;
        length = static_cast<float>(length + std::sqrt(dx * dx + dy * dy));
    }
    // A travel time of 0 (or less) counts as one minute.
    int minutes = std::max(m_nMinutesToSite, 1);
    m_fRouteSpeed = static_cast<float>(length / minutes * 5.0);
}

// ---- dispatch menu ----

namespace {
// "Dispatch <name> - <cost> RP(s)[ (On Call)]" with the name cut so the line fits the menu's 100 characters.
std::string DispatchText(const char* name, int cost, bool onCall)
{
    char suffix[64];
    std::snprintf(suffix, sizeof(suffix), " - %d RP(s)%s", cost, onCall ? " (On Call)" : "");
    std::string text = "Dispatch ";
    size_t room = 99 - text.size() - std::strlen(suffix);
    text += std::string(name).substr(0, room);
    return text + suffix;
}

// The Operations unit whose activation a unit template needs before it can be dispatched, -1 none.
int GateUnit(int templateIndex)
{
    switch (templateIndex) {
    case 1:
        return 6;
    case 2:
        return 4;
    case 3:
        return 5;
    case 15:
        return 13;
    default:
        return -1;
    }
}
} // namespace

CStationData::CDispatchCheck CStationData::CheckDispatch(int index, const CSpriteManager* manager, float budget,
                                                         uint32_t operationsMask) const
{
    CDispatchCheck check;
    const CStationResource* r = GetResource(index);
    const CSprite* unit = r && manager ? manager->FindTemplateByName(r->m_szName, kUnitSprite) : nullptr;
    if (!unit)
        return check;
    check.nCost = unit->m_pUnitTask ? unit->m_pUnitTask->m_nResourceCost : 0;
    const int gate = GateUnit(unit->m_Placement.Id);
    if (r->m_nAvailable <= 0)
        check.eBlock = kDispatchNoneLeft;
    else if (static_cast<float>(check.nCost) > budget)
        check.eBlock = kDispatchTooCostly;
    else if (gate >= 0 && !(operationsMask & (1u << gate))) {
        check.eBlock = kDispatchGated;
        check.nOperationsUnit = gate;
    } else
        check.eBlock = kDispatchOpen;
    return check;
}

bool CStationData::BuildDispatchMenu(int x, int y, CPopupMenuView* view, const CSpriteManager* manager, float budget,
                                     uint32_t operationsMask)
{
    bool created = false;
    if (!m_pPopupMenu) {
        m_pPopupMenu = new CPopupMenu(0, true);
        created = true;
    }
    for (int i = 0; i < kResourceSlots; ++i) {
        CStationResource* r = m_paResources[i];
        if (!r)
            continue;
        const CDispatchCheck check = CheckDispatch(i, manager, budget, operationsMask);
        if (created)
            m_anMenuItem[i] =
                m_pPopupMenu->AddItem(DispatchText(r->m_szName, check.nCost, r->m_bOnCall != 0).c_str(), i);
        if (m_anMenuItem[i] >= 0)
            m_pPopupMenu->SetEnabled(m_anMenuItem[i], check.eBlock == kDispatchOpen);
    }
    if (created)
        m_pPopupMenu->AddItem("Info", kInfoValue);
    if (!view || !view->Open(m_pPopupMenu, x, y))
        return false;
    return view->Render();
}
