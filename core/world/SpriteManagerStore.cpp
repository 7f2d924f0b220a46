// The sprite manager's stored form: the sprites' placements and their stations' data.
#include "core/persist/QFArchive.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "core/world/WorldContext.h"
#include "core/world/WorldPersist.h"

#include <cstdint>

bool CSpriteManager::Serialize(QFArchive* archive)
{
    QFBeginSection(archive, "BaseClass");
    QFSerializeBase::Serialize(archive);
    QFEndSection(archive, "BaseClass");
    short version = QFSerializeVersion(archive, s_version);
    QFBeginSection(archive, "Members");
    if (archive->IsStoring()) {
        StoreSprites(archive);
    } else {
        int32_t count = 0;
        QFSerializeValue(archive, &count, "m_nSpritesCount");
        DeleteSprites();
        const CWorldContext& context = WorldContext();
        LoadReferenceLists(context.m_strDataFolder, AgencyFileFor(context.m_strScenarioName), context.m_pDisplay);
        m_pDisplay = context.m_pDisplay;
        LoadSprites(archive, version, count);
    }
    QFEndSection(archive, "Members");
    return !archive->Failed();
}

// The draw list in the order a load rebuilds it: a load puts each sprite before those of its depth already read,
// so each run of equal depths is written tail first. (Written head first, every save reversed those runs, and
// units, all of one depth, changed their squad numbers from one save to the next.)
std::vector<CSprite*> CSpriteManager::StoreOrder() const
{
    std::vector<CSprite*> out;
    for (CSprite* s = m_pHead; s;) {
        CSprite* end = s;
        while (end->m_pNext && end->m_pNext->m_nDepthKey == s->m_nDepthKey)
            end = end->m_pNext;
        CSprite* next = end->m_pNext;
        for (CSprite* t = end;; t = t->m_pPrev) {
            out.push_back(t);
            if (t == s)
                break;
        }
        s = next;
    }
    return out;
}

void CSpriteManager::StoreSprites(QFArchive* archive)
{
    const std::vector<CSprite*> order = StoreOrder();
    int32_t count = static_cast<int32_t>(order.size());
    QFSerializeValue(archive, &count, "m_nSpritesCount");
    for (CSprite* s : order) {
        CPlacement& p = s->m_Placement;
        QFSerializeValue(archive, &p.AgencyIndex, "pSid->AgencyIndex");
        QFSerializeValue(archive, &p.Type, "pSid->Type");
        QFSerializeValue(archive, &p.Id, "pSid->Id");
        QFSerializeValue(archive, &p.WorldX, "pSid->WorldX");
        QFSerializeValue(archive, &p.WorldY, "pSid->WorldY");
        QFSerializeValue(archive, &p.ServiceId, "pSid->ServiceId");
        if (p.Type == kStationSprite)
            QFSerializePointer(archive, &s->m_pStationData, "pData");
    }
}

void CSpriteManager::LoadSprites(QFArchive* archive, short version, int32_t count)
{
    m_loadSkips = LoadSkips();
    for (int32_t i = 0; i < count && !archive->Failed(); ++i) {
        CPlacement p;
        if (version >= 4)
            QFSerializeValue(archive, &p.AgencyIndex, "pSid->AgencyIndex");
        QFSerializeValue(archive, &p.Type, "pSid->Type");
        QFSerializeValue(archive, &p.Id, "pSid->Id");
        QFSerializeValue(archive, &p.WorldX, "pSid->WorldX");
        QFSerializeValue(archive, &p.WorldY, "pSid->WorldY");
        if (version >= 3)
            QFSerializeValue(archive, &p.ServiceId, "pSid->ServiceId");
        if (archive->Failed())
            break;
        if (version <= 3 && (p.Type == kUnitSprite || p.Type == kVehicleSprite)) {
            const CSprite* from = p.Id >= 0 && p.Id < GetTemplateCount(p.Type) ? &GetTemplates(p.Type)[p.Id] : nullptr;
            p.AgencyIndex = from && from->m_pUnitTask ? AgencyForKind(from->m_pUnitTask->m_nAgencyKind) : 0;
        }
        CSprite* sprite = nullptr;
        switch (p.Type) {
        case kUnitSprite:
            sprite = CreateUnitSprite(p, true);
            break;
        case kFeatureSprite:
            sprite = CreateFeatureSprite(p, false);
            break;
        case kStationSprite: {
            p.ServiceId = 0;
            sprite = CreateStationSprite(p, true);
            if (version < 2)
                break;
            if (!sprite) {
                QFDropPointer<CStationData>(archive, "pData"); // still read, to stay in step
                break;
            }
            CStationData* data = nullptr;
            QFSerializePointer(archive, &data, "pData");
            if (data) {
                const CStationData* fromTemplate = GetTemplates(kStationSprite)[p.Id].m_pStationData;
                if (fromTemplate) {
                    data->m_nStationKind = fromTemplate->m_nStationKind;
                    data->m_nInfoPage = fromTemplate->m_nInfoPage;
                }
                sprite->SetStationData(data);
                data->BuildRoutes();
            }
            break;
        }
        case kVehicleSprite:
            sprite = CreateVehicleSprite(p, true);
            break;
        default:
            ++m_loadSkips.badKind;
            continue;
        }
        if (!sprite) {
            ++m_loadSkips.unknownTemplate;
            continue;
        }
        if (p.Type == kUnitSprite || p.Type == kVehicleSprite) {
            int kind = sprite->AgencyKind();
            int id = sprite->m_Placement.ServiceId;
            if (id > 0 && id < INT32_MAX && kind >= 0 && kind < 9 && m_anIdCounters[kind] <= id)
                m_anIdCounters[kind] = id + 1;
        }
    }
}
