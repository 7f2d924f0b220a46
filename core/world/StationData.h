// Stations on the area map: their stock lines, route to the incident site and dispatch menu.
#pragma once

#include "core/persist/QFSerializeBase.h"
#include "core/world/PathData.h"
#include "core/world/WorldTypes.h"

#include <cstdint>
#include <vector>

class CPopupMenu;
class CPopupMenuView;
class CSpriteManager;

// One stock line of a station: a unit type and how many of it the station holds.
class CStationResource : public QFSerializeBase {
    QF_DECLARE_SERIAL(CStationResource)

public:
    static constexpr int kNameSize = 260;

    CStationResource() = default;
    ~CStationResource() override = default;
    bool Serialize(QFArchive* archive) override;
    // Copies the two identifiers, the name and the three counts of another line.
    void Assign(const CStationResource& other);

    int32_t m_nAgencyKind = 0; // stored as the first "tmp"
    int32_t m_AgencyIndex = 0;
    char m_szName[kNameSize] = {};
    int32_t m_nResCount = 0;
    int32_t m_nAvailable = 0; // not stored: set from m_nResCount on load
    int32_t m_bOnCall = 0;    // stored as the second "tmp"
};

// A node of a route list; only the tile's x and y are set.
struct CRouteNode {
    CPathTile* m_pTile = nullptr; // owned
    CRouteNode* m_pNext = nullptr;
};

class CStationData : public QFSerializeBase {
    QF_DECLARE_SERIAL(CStationData)

public:
    static constexpr int kResourceSlots = 6;
    static constexpr int kNameSize = 50;
    static constexpr int kInfoValue = 7; // menu value of the "Info" line

    CStationData();
    ~CStationData() override;
    // Deep copies: resources, waypoints and routes are copied; the pop-up menu is not (each builds its own).
    CStationData(const CStationData& other);
    CStationData& operator=(const CStationData& other);

    bool Serialize(QFArchive* archive) override;

    // Slot 0 to 5, or null for another index or an empty slot.
    CStationResource* GetResource(int index) const;
    // Route lists, speed and heading from the waypoints.
    void BuildRoutes();
    // Fills (first time) and re-gates the dispatch menu, opens it at (x, y) in the view and renders it.
    // budget: the Command section's Resource Points; operationsMask: the next section's activated-units mask.
    bool BuildDispatchMenu(int x, int y, CPopupMenuView* view, const CSpriteManager* manager, float budget,
                           uint32_t operationsMask);
    // What keeps resource line `index` from being dispatched (a dispatch menu item disabled).
    enum EDispatchBlock { kDispatchOpen, kDispatchNoUnit, kDispatchNoneLeft, kDispatchTooCostly, kDispatchGated };
    struct CDispatchCheck {
        EDispatchBlock eBlock = kDispatchNoUnit;
        int nCost = 0;            // the unit's Resource Points
        int nOperationsUnit = -1; // kDispatchGated: the Operations unit that must be active
    };
    CDispatchCheck CheckDispatch(int index, const CSpriteManager* manager, float budget, uint32_t operationsMask) const;
    void SetName(const char* name);
    void FreeRoutes();
    // Stores a copy of the line in the first empty slot; nothing when all six are in use.
    void AddResource(const CStationResource& resource);
    // Replaces the route with these points (station first, incident site last).
    void SetWaypoints(std::vector<POINT> points);

    CStationResource* m_paResources[kResourceSlots] = {};
    CPopupMenu* m_pPopupMenu = nullptr;
    char m_szName[kNameSize] = {};
    int32_t m_nStationKind = 0; // stored as "tmp"
    int32_t m_AgencyIndex = 0;
    std::vector<POINT> m_pptWaypoints;
    int32_t m_nNumWaypoints = 0;
    int32_t m_nMinutesToSite = 60;
    CRouteNode* m_pRouteFromStation = nullptr;
    CRouteNode* m_pRouteToStation = nullptr;
    float m_fRouteSpeed = 0.0f;
    int32_t m_nRouteDirection = 0;
    int32_t m_nInfoPage = 0; // not stored

private:
    int m_anMenuItem[kResourceSlots] = {-1, -1, -1, -1, -1, -1}; // menu line of each slot, -1 none
    void CopyFrom(const CStationData& other);
    void FreeResources();
    bool LoadMembers(QFArchive* archive, short version);
    void StoreMembers(QFArchive* archive);
};

// Copies a name into a fixed field, cut so that the terminator always fits.
void CopyName(char* field, int fieldSize, const char* text);
