// The sprites of one map, the templates they are made from and the six reference lists behind them.
#pragma once

#include "core/persist/QFSerializeBase.h"
#include "core/world/Sprite.h"
#include "core/world/WorldTypes.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CMap2DLinked;
class CSurface;
struct CUnitTaskRecord;

// One row of the agency list: its kind (0-8 into the agency names, -1 when the kind name is unknown) and name.
struct CAgencyRecord {
    int32_t m_nKind = -1;
    char m_szName[260] = {};
};

// The nine fixed agency kind names; the index of a name (case-insensitive), or -1.
const char* AgencyKindName(int kind);
int AgencyKindIndex(const char* name);

class CSpriteManager : public QFSerializeBase {
    QF_DECLARE_SERIAL(CSpriteManager)

public:
    static constexpr int kMaxTemplates = 512;
    static constexpr int kIdCounters = 14;
    static constexpr int kMarkerTemplate = 4; // the feature template of the selection marker

    CSpriteManager();
    ~CSpriteManager() override;
    CSpriteManager(const CSpriteManager&) = delete;
    CSpriteManager& operator=(const CSpriteManager&) = delete;

    bool Serialize(QFArchive* archive) override;

    // Sprites from a placement record; null when the template index is not below that kind's count.
    CSprite* CreateUnitSprite(const CPlacement& placement, bool assignId);
    CSprite* CreateFeatureSprite(const CPlacement& placement, bool assignId);
    CSprite* CreateStationSprite(const CPlacement& placement, bool assignId);
    CSprite* CreateVehicleSprite(const CPlacement& placement, bool assignId);
    void AddSprite(CSprite* sprite, bool assignId);
    bool RemoveSprite(CSprite* sprite, bool deleteIt);
    // The editors' form: unlinks the sprite; deletes it and lowers the count only when asked.
    bool RemoveSprite(CSprite* sprite, bool deleteIt, bool lowerCount);
    void DeleteSprites();

    CSprite* FindSprite(int kind, int serviceId) const;
    CSprite* FindSpriteBySubtype(int agencyKind, int serviceId) const;
    bool ContainsSprite(const CSprite* sprite) const;
    const CSprite* FindTemplateByName(const char* name, int kind) const;
    int AgencyForKind(int kind, CAgencyRecord* record = nullptr) const;
    CSprite* SpriteAtPoint(int x, int y) const;
    // Every sprite drawn last frame and not hidden (none of 0x420006) whose screen rectangle holds the point
    // (edges included), top-most first.
    std::vector<CSprite*> SpritesAtPoint(int x, int y) const;
    CSprite* StationAtPoint(int x, int y) const;

    void SetZoom(int zoom);
    void UpdateScreenRects(const RECT& view);
    int Draw(const RECT& view, CSurface* target);
    void SetSelectedSprite(CSprite* sprite, const RECT& view, int zoom);
    void UpdateFeatureOverlaps(const CMap2DLinked* map);
    void MarkAgencySprites(int32_t mask);
    bool IsAgencyInMask(const CSprite* sprite, int32_t mask) const;
    bool PassesAgencyFilter(const CSprite* sprite, int32_t mask) const;
    bool CreateViewSurface(CDisplay* display);
    void SetDrawFilter(const CModeRecord* filter, const int32_t* agencyMask, CDisplay* display);

    // The available counts of every station's six lines, 4 bytes each, in draw-list and slot order.
    bool SaveStationResources(FILE* file) const;
    bool LoadStationResources(FILE* file);

    // Reference lists. The path forms are "<data folder>/<file>"; false when a file cannot be opened.
    // Loads the chain agency, unit, feature, station, vehicle (stopping at the first failure), then the modifiers.
    bool LoadReferenceLists(const std::string& dataFolder, const std::string& agencyFile, CDisplay* display);
    bool LoadAgencyList(const std::string& path);
    bool LoadUnitList(const std::string& path);
    bool LoadFeatureList(const std::string& path);
    bool LoadStationList(const std::string& path);
    bool LoadVehicleList(const std::string& path);
    bool LoadModifiers(const std::string& path);
    // The readers over open text files (what the loaders call; fuzzed directly).
    void ReadAgencyList(FILE* file);
    // `path` names the file in the message of a number out of its range.
    void ReadUnitList(FILE* file, int kind, const std::string& path = "");
    void ReadFeatureList(FILE* file, const std::string& path = "");
    void ReadStationList(FILE* file, const std::string& path = "");
    void ReadModifierNames(FILE* file, std::string names[2 * kModifierCount]);
    // The scenario editor's operations. SetShown on every sprite of the draw list.
    void ShowHideableSprites(bool show);
    // Links each feature that names a linked template to the first free feature of that template at the same
    // place, in draw-list order; no chain takes a sprite or a template twice, so none closes a loop.
    void LinkFeaturePairs();
    // The first sprite of the chain through the back links (null for null); stops where the chain would loop.
    static CSprite* GetLinkChainHead(CSprite* sprite);
    // The next feature template of template i's cycle group (wrapping), i itself when it has no group or is
    // alone in it; i unchanged when it is no feature template.
    int NextTemplateInGroup(int index) const;
    // Unlinks and deletes every sprite of the draw list; the count becomes 0.
    void DeleteAllSprites() { DeleteSprites(); }

    // The editors' loader: agency list first, then units, features, stations and vehicles, each named relative to
    // the data folder of the world context (whose display the templates are made for); stops at the first failure.
    bool LoadLists(const std::string& unitList, const std::string& featureList, const std::string& stationList,
                   const std::string& vehicleList, const std::string& agencyList);
    // The agency list's file name for a scenario: its name with ".csv" for the last 4 characters, else Agency.csv.
    static std::string AgencyFileFor(const std::string& scenarioName);

    // Templates of a kind (1 unit, 2 feature, 3 station, 4 vehicle) and their count.
    CSprite* GetTemplates(int kind) const;
    int GetTemplateCount(int kind) const;
    const std::map<int32_t, CAgencyRecord>& GetAgencies() const { return m_mapAgencies; }
    int GetSpritesCount() const { return m_nSpritesCount; }
    // The placement records the last load left out, by why: a kind outside 1 to 4, or a template index that is
    // not below its kind's count.
    struct LoadSkips {
        int badKind = 0;
        int unknownTemplate = 0;
        int Total() const { return badKind + unknownTemplate; }
    };
    const LoadSkips& GetLoadSkips() const { return m_loadSkips; }
    CSprite* GetHead() const { return m_pHead; }
    CSprite* GetTail() const { return m_pTail; }
    int GetIncidentSiteTemplate() const { return m_nIncidentSiteTemplate; }
    int GetWaypointMarkerTemplate() const { return m_nWaypointMarkerTemplate; }
    int GetIdCounter(int index) const { return index >= 0 && index < kIdCounters ? m_anIdCounters[index] : 0; }
    CSprite* GetSelectedSprite() const { return m_pSelectedSprite; }
    CSprite* GetSelectionMarker() const { return m_pSelectionMarker; }
    CSurface* GetModifierSurface(int zoom, int modifier) const;
    CSurface* GetViewSurface() const { return m_pViewSurface; }
    CDisplay* GetDisplay() const { return m_pDisplay; }
    void SetDisplay(CDisplay* display) { m_pDisplay = display; }
    std::string GetDataFolder() const { return m_strDataFolder; }

private:
    struct TemplateSet {
        int32_t count = 0;
        std::unique_ptr<CSprite[]> sprites;
    };
    TemplateSet* Set(int kind);
    const TemplateSet* Set(int kind) const;
    TemplateSet& Fresh(int kind);
    CSprite* CreateSprite(int kind, const CPlacement& placement, bool assignId);
    void Unlink(CSprite* sprite);     // out of the list, the count lowered
    void UnlinkOnly(CSprite* sprite); // out of the list, the count kept
    void ForgetSprite(const CSprite* sprite);
    void FreeModifiers();
    void LoadSprites(QFArchive* archive, short version, int32_t count);
    void StoreSprites(QFArchive* archive);
    std::vector<CSprite*> StoreOrder() const;

    CDisplay* m_pDisplay = nullptr;
    int32_t m_nIncidentSiteTemplate = -1;
    int32_t m_nWaypointMarkerTemplate = -1;
    std::map<int32_t, CAgencyRecord> m_mapAgencies;
    int32_t m_nSpritesCount = 0;
    CSprite* m_pHead = nullptr;
    CSprite* m_pTail = nullptr;
    TemplateSet m_Units;
    TemplateSet m_Features;
    TemplateSet m_Vehicles;
    TemplateSet m_Stations;
    CSurface* m_pViewSurface = nullptr;
    CSprite* m_pSelectedSprite = nullptr;
    CSprite* m_pSelectionMarker = nullptr;
    int32_t m_anIdCounters[kIdCounters];
    const CModeRecord* m_pFilter = nullptr;
    const int32_t* m_pAgencyMask = nullptr;
    CSurface* m_apModifierSurfaces[2][kModifierCount] = {};
    std::string m_strDataFolder;
    LoadSkips m_loadSkips;
};
