// The demo scenario's archives, written through the core library's own classes: the scenario (".zri":
// "Map", "Sprites", "PathData", "CScenarioData"), its area map (".zra": "CAreaMapData") and its events (".zre").
#include "tools/demo/AreaPlan.h"
#include "tools/demo/DemoData.h"
#include "tools/demo/Scenario.h"
#include "tools/demo/TileTypes.h"
#include "tools/demo/TownPlan.h"

#include "core/events/ZREventsData.h"
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/world/AreaMapData.h"
#include "core/world/Map2DLinked.h"
#include "core/world/PathData.h"
#include "core/world/ScenarioData.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "core/world/WorldContext.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>

namespace demo {

namespace {

// The path grid as the tactical-map editor stores it: per cell one (cost, sight) pair, or 16 for a subdivided
// cell (sight words marked 0x400). The generator writes it once in this form and reads it into the core's
// CPathData, which then stores it in the scenario; so the stored grid is the core's own.
class CPathGridSource : public QFSerializeBase {
public:
    struct Entry {
        char cost;
        int16_t los;
    };
    std::vector<Entry> entries;

    static const QFClassInfo s_classInfo;
    static const QFVersion s_version;
    const QFClassInfo* GetClassInfo() const override { return &s_classInfo; }
    bool Serialize(QFArchive* archive) override
    {
        if (!archive->IsStoring())
            return false;
        QFBeginSection(archive, "BaseClass");
        QFSerializeBase::Serialize(archive);
        QFEndSection(archive, "BaseClass");
        QFSerializeVersion(archive, s_version);
        QFBeginSection(archive, "Members");
        int32_t count = static_cast<int32_t>(entries.size());
        QFSerializeValue(archive, &count, "dataTileCount");
        for (Entry& e : entries) {
            QFSerializeValue(archive, &e.cost, "cost");
            QFSerializeValue(archive, &e.los, "pCurrent->m_LOSCost");
        }
        QFEndSection(archive, "Members");
        return true;
    }
};
const QFClassInfo CPathGridSource::s_classInfo{"CPathData", static_cast<int>(sizeof(CPathGridSource)),
                                               "QFSerializeBase"};
const QFVersion CPathGridSource::s_version(1);

// Writes the named top-level objects into one binary archive, replacing the file only when all went well.
bool StoreDocument(const std::string& path, const std::function<void(QFArchive&)>& body, std::string* why)
{
    QFFileStream stream;
    if (!stream.OpenSafeWrite(path, QFFileStream::kBinary)) {
        *why = "cannot open " + path;
        return false;
    }
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, QFArchive::kBinary);
    body(archive);
    bool failed = archive.Failed();
    std::string reason = archive.FailReason();
    archive.EndDocument();
    if (failed) {
        stream.Abandon();
        *why = path + ": " + reason;
        return false;
    }
    if (!stream.Close()) {
        *why = "cannot write " + path;
        return false;
    }
    return true;
}

// The path grid of the plan from the tile-type costs (sub-tile costs for subdivided types).
CPathGridSource GridFor(const TownPlan& plan, const CMap2DLinked& map)
{
    CPathGridSource source;
    auto clampCost = [](int v) { return static_cast<char>(static_cast<uint8_t>(std::clamp(v, 0, 255))); };
    auto clampLos = [](int v) { return static_cast<int16_t>(std::clamp(v, 0, 0x3FF)); };
    for (int r = 0; r < kMapRows; ++r)
        for (int c = 0; c < kMapColumns; ++c) {
            const int type = plan.At(c, r);
            const CTileType* t = map.GetTileType(type);
            if (!t) {
                source.entries.push_back({clampCost(255), 0});
                continue;
            }
            if (!IsSubdividedType(type)) {
                source.entries.push_back({clampCost(t->m_anCost[0]), clampLos(t->m_anLOS[0])});
                continue;
            }
            for (int i = 1; i <= 16; ++i)
                source.entries.push_back(
                    {clampCost(t->m_anCost[i]), static_cast<int16_t>(clampLos(t->m_anLOS[i]) | 0x400)});
        }
    return source;
}

std::unique_ptr<CPathData> BuildPathGrid(const TownPlan& plan, CMap2DLinked& map, Output& out)
{
    CPathGridSource source = GridFor(plan, map);
    const std::string scratch = out.Path(".pathgrid.tmp");
    std::string why;
    CPathGridSource* sourcePtr = &source;
    if (!StoreDocument(
            scratch, [&](QFArchive& a) { QFSerializePointer(&a, &sourcePtr, "PathData"); }, &why)) {
        out.Fail(why);
        return nullptr;
    }
    CPathData* grid = nullptr;
    {
        QFFileStream stream;
        if (stream.Open(scratch, QFFileStream::kBinary, QFFileStream::kRead)) {
            QFArchive archive;
            archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
            SetCurrentMap(&map);
            QFSerializePointer(&archive, &grid, "PathData");
            if (archive.Failed())
                out.Fail("path grid: " + archive.FailReason());
            archive.EndDocument();
            SetCurrentMap(nullptr);
            stream.Close();
        }
    }
    std::error_code ec;
    std::filesystem::remove(scratch, ec);
    if (!grid)
        out.Fail("the path grid did not read back");
    return std::unique_ptr<CPathData>(grid);
}

// Puts the placed sprites in the order a game load gives them (each run of equal depths reversed, since a load
// puts each sprite before those of its depth read earlier), so the stored files keep the order they always had.
void OrderAsLoaded(CSpriteManager& sprites)
{
    std::vector<CSprite*> list;
    for (CSprite* s = sprites.GetHead(); s; s = s->m_pNext)
        list.push_back(s);
    for (CSprite* s : list)
        sprites.RemoveSprite(s, false);
    for (CSprite* s : list)
        sprites.AddSprite(s, false);
}

int TemplateIndex(const CSpriteManager& sprites, const std::string& name, int kind, Output& out)
{
    const CSprite* t = sprites.FindTemplateByName(name.c_str(), kind);
    if (!t) {
        out.Fail("no template \"" + name + "\" of kind " + std::to_string(kind));
        return -1;
    }
    return t->m_Placement.Id;
}

CSprite* Place(CSpriteManager& sprites, int kind, int templateIndex, int agencyIndex, int x, int y)
{
    CPlacement p;
    p.AgencyIndex = agencyIndex < 0 ? 0 : agencyIndex;
    p.Id = templateIndex;
    p.Type = kind;
    p.WorldX = x;
    p.WorldY = y;
    switch (kind) {
    case kUnitSprite:
        return sprites.CreateUnitSprite(p, true);
    case kFeatureSprite:
        return sprites.CreateFeatureSprite(p, false);
    case kStationSprite:
        return sprites.CreateStationSprite(p, true);
    case kVehicleSprite:
        return sprites.CreateVehicleSprite(p, true);
    default:
        return nullptr;
    }
}

// The agency list of the demo gives agency index k to agency kind k.
int AgencyIndexForKind(const CSpriteManager& sprites, int kind)
{
    return sprites.AgencyForKind(kind);
}

bool LoadLists(CSpriteManager& sprites, Output& out)
{
    if (!sprites.LoadReferenceLists(out.Root(), CSpriteManager::AgencyFileFor(kScenarioFile), nullptr)) {
        out.Fail("the reference lists did not load");
        return false;
    }
    return true;
}

void MakeAreaMapDocument(Output& out, const std::string& path)
{
    AreaPlan area = MakeMillbrookArea();
    CAreaMapData document;
    document.m_pSpriteManager = new CSpriteManager();
    CSpriteManager& sprites = *document.m_pSpriteManager;
    if (!LoadLists(sprites, out))
        return;
    std::strncpy(document.m_szMapBitmap, kAreaMapBitmap, sizeof(document.m_szMapBitmap) - 1);
    document.m_nMapScale = 20000;

    const int siteTemplate = sprites.GetIncidentSiteTemplate();
    if (siteTemplate < 0) {
        out.Fail("the station list has no incident site");
        return;
    }
    Place(sprites, kStationSprite, siteTemplate, AgencyIndexForKind(sprites, 7), area.site.x, area.site.y);
    for (const StationPlan& s : area.stations) {
        int t = TemplateIndex(sprites, s.templateName, kStationSprite, out);
        if (t < 0)
            continue;
        CSprite* sprite = Place(sprites, kStationSprite, t, AgencyIndexForKind(sprites, s.agencyKind), s.at.x, s.at.y);
        if (!sprite || !sprite->m_pStationData) {
            out.Fail("station " + s.templateName + " was not placed");
            continue;
        }
        CStationData& data = *sprite->m_pStationData;
        data.m_AgencyIndex = AgencyIndexForKind(sprites, s.agencyKind);
        data.m_nMinutesToSite = s.minutesToSite;
        data.m_pptWaypoints.clear();
        data.m_pptWaypoints.push_back(POINT{s.at.x, s.at.y});
        for (const AreaPoint& v : s.via)
            data.m_pptWaypoints.push_back(POINT{v.x, v.y});
        data.m_pptWaypoints.push_back(POINT{area.site.x, area.site.y});
        data.m_nNumWaypoints = static_cast<int32_t>(data.m_pptWaypoints.size());
        int slot = 0;
        for (const StockLine& line : s.stock) {
            if (slot >= CStationData::kResourceSlots || TemplateIndex(sprites, line.unit, kUnitSprite, out) < 0)
                break;
            auto* r = new CStationResource();
            r->m_nAgencyKind = line.agencyKind;
            r->m_AgencyIndex = AgencyIndexForKind(sprites, line.agencyKind);
            CopyName(r->m_szName, CStationResource::kNameSize, line.unit.c_str());
            r->m_nResCount = line.count;
            r->m_nAvailable = line.count;
            r->m_bOnCall = line.onCall ? 1 : 0;
            data.m_paResources[slot++] = r;
        }
        data.BuildRoutes();
        document.m_naNextStationID[s.agencyKind] += 1;
    }
    for (uint32_t& next : document.m_naNextStationID)
        next += 1;

    OrderAsLoaded(sprites);
    std::string why;
    CAreaMapData* doc = &document;
    if (StoreDocument(
            path, [&](QFArchive& a) { QFSerializePointer(&a, &doc, "CAreaMapData"); }, &why))
        out.Made(std::filesystem::path(path).filename().string());
    else
        out.Fail(why);
}

} // namespace

void MakeArchives(Output& out)
{
    if (!out.Ok())
        return; // the lists and art must be there first
    ResetWorldContext();
    WorldContext().m_strDataFolder = out.Root();
    WorldContext().m_strScenarioName = kScenarioFile;

    const TownPlan plan = MakeMillbrookPlan();
    auto map = std::make_unique<CMap2DLinked>();
    map->BuildGrid(kMapColumns, kMapRows, plan.types);
    {
        FILE* file = std::fopen(out.Path(kTileTypes).c_str(), "r");
        if (!file) {
            out.Fail("no tile-type table");
            return;
        }
        map->ReadTileTypes(file);
        std::fclose(file);
    }
    for (int type : plan.types)
        if (!map->GetTileType(type)) {
            out.Fail("the plan uses tile type " + std::to_string(type) + ", which the table lacks");
            return;
        }

    auto sprites = std::make_unique<CSpriteManager>();
    if (!LoadLists(*sprites, out))
        return;
    SquadIds squads;
    for (const SpritePlace& s : plan.sprites) {
        int t = TemplateIndex(*sprites, s.templateName, s.kind, out);
        if (t < 0)
            continue;
        int agency = s.agencyKind >= 0 ? AgencyIndexForKind(*sprites, s.agencyKind) : 0;
        CSprite* sprite = Place(*sprites, s.kind, t, agency, s.x, s.y);
        if (!sprite && s.kind != kFeatureSprite) {
            out.Fail("sprite " + s.templateName + " was not placed");
            continue;
        }
        if (!sprite)
            continue;
        const int id = sprite->m_Placement.ServiceId;
        if (s.templateName == "Arson Suspect" && !squads.count("suspect"))
            squads["suspect"] = {id, t};
        if (s.templateName == "Schoolchildren" && !squads.count("children"))
            squads["children"] = {id, t};
        if (s.templateName == "News Crew" && !squads.count("news"))
            squads["news"] = {id, t};
    }

    OrderAsLoaded(*sprites);
    std::unique_ptr<CPathData> grid = BuildPathGrid(plan, *map, out);
    std::unique_ptr<CScenarioData> scenario = MakeMillbrookScenario(plan, squads);
    if (!grid || !out.Ok())
        return;

    std::string why;
    const std::string zri = out.Path(kScenarioFile);
    CMap2DLinked* mapPtr = map.get();
    CSpriteManager* spritesPtr = sprites.get();
    CPathData* gridPtr = grid.get();
    CScenarioData* scenarioPtr = scenario.get();
    if (StoreDocument(
            zri,
            [&](QFArchive& a) {
                QFSerializePointer(&a, &mapPtr, "Map");
                QFSerializePointer(&a, &spritesPtr, "Sprites");
                QFSerializePointer(&a, &gridPtr, "PathData");
                QFSerializePointer(&a, &scenarioPtr, "CScenarioData");
            },
            &why))
        out.Made(kScenarioFile);
    else
        out.Fail(why);

    std::string stem = std::string(kScenarioFile).substr(0, std::strlen(kScenarioFile) - 4);
    CZREventsData* events = scenario->m_pEvents;
    if (StoreDocument(
            out.Path(stem + ".zre"), [&](QFArchive& a) { QFSerializePointer(&a, &events, "CZREventsData"); }, &why))
        out.Made(stem + ".zre");
    else
        out.Fail(why);

    MakeAreaMapDocument(out, out.Path(stem + ".zra"));
    grid.reset();
    ResetWorldContext();
}

} // namespace demo
