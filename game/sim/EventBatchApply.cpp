// The event batch: appenders, the two reports, sending as message 42 and applying a received batch.
#include "game/sim/IncidentWorld.h"

#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"

#include <set>

namespace {
constexpr uint16_t kMessageBatch = 42;
}

bool CIncidentWorld::PushIgnition(int x, int y, float intensity)
{
    int i = m_batch.Append(kBatchIgnition);
    if (i < 0)
        return false;
    m_batch.SetFloat(i, 4, intensity);
    m_batch.SetI32(i, 8, x);
    m_batch.SetI32(i, 12, y);
    return true;
}

bool CIncidentWorld::PushHazard(int x, int y, int type, float value, int counter, bool hidden)
{
    int i = m_batch.Append(kBatchObject);
    if (i < 0)
        return false;
    m_batch.SetFloat(i, 4, value);
    m_batch.SetI32(i, 8, x);
    m_batch.SetI32(i, 12, y);
    m_batch.SetI32(i, 16, type);
    m_batch.SetI32(i, 20, counter & 0xFFFF);
    m_batch.SetU8(i, 24, hidden ? 1 : 0);
    return true;
}

bool CIncidentWorld::PushObjectEvent(int x, int y, int groupKey, int flag)
{
    int i = m_batch.Append(kBatchZoneNode);
    if (i < 0)
        return false;
    m_batch.SetI32(i, 4, x);
    m_batch.SetI32(i, 8, y);
    m_batch.SetI32(i, 12, groupKey);
    m_batch.SetI32(i, 16, flag);
    return true;
}

bool CIncidentWorld::PushSpill(int x, int y, float amount, bool visible, bool merge)
{
    if (merge) {
        // Mended: only a spill entry is merged into; any entry of the tile used to be turned into a spill.
        for (int i = m_batch.Count() - 1; i >= 0; --i) {
            if (m_batch.Kind(i) == kBatchSpill && m_batch.GetI32(i, 8) == x && m_batch.GetI32(i, 12) == y) {
                m_batch.SetFloat(i, 4, static_cast<float>(static_cast<double>(m_batch.GetFloat(i, 4)) + amount));
                return true;
            }
        }
    }
    int i = m_batch.Append(kBatchSpill);
    if (i < 0)
        return false;
    m_batch.SetFloat(i, 4, amount);
    m_batch.SetI32(i, 8, x);
    m_batch.SetI32(i, 12, y);
    m_batch.SetU8(i, 16, visible ? 1 : 0);
    return true;
}

bool CIncidentWorld::PushObjectFlags(int x, int y, int32_t spriteFlags)
{
    int i = m_batch.Append(kBatchObjectFlags);
    if (i < 0)
        return false;
    m_batch.SetI32(i, 4, spriteFlags);
    m_batch.SetI32(i, 8, x);
    m_batch.SetI32(i, 12, y);
    return true;
}

bool CIncidentWorld::PushZoneMark()
{
    int i = m_batch.Append(kBatchZoneMark);
    if (i < 0)
        return false;
    m_batch.SetI32(i, 4, m_nZoneMark);
    uint32_t flags = m_links.pFacilityFlags ? *m_links.pFacilityFlags : 0;
    m_batch.SetI32(i, 8, static_cast<int32_t>(flags & 0x3F));
    return true;
}

bool CIncidentWorld::PushSound(int id)
{
    int i = m_batch.Append(kBatchSound);
    if (i < 0)
        return false;
    m_batch.SetI32(i, 4, id);
    return true;
}

void CIncidentWorld::PushFireReport(CIncidentNode* first)
{
    int start = m_fires.IndexOf(first);
    if (start < 0)
        return;
    m_batch.Clear();
    m_batch.SetStartIndex(static_cast<uint16_t>(start));
    int n = 0;
    for (CIncidentNode* node = first; node && node != m_pFireCursor && n < CEventBatch::kMaxEntries;
         node = node->m_pNext) {
        if (!node->m_pTile)
            continue;
        // The report overwrites only its own fields of the entries just sent.
        m_batch.SetI32(n, 0, kBatchFireReport);
        m_batch.SetFloat(n, 4, node->m_fValue);
        ++n;
    }
    m_batch.SetCount(n);
    SendEventBatch();
}

void CIncidentWorld::PushSpillReport()
{
    m_batch.Clear();
    int n = 0;
    for (CIncidentNode* node = m_chemicals.Head(); node && n < CEventBatch::kMaxEntries; node = node->m_pNext) {
        if (!node->m_pTile)
            continue;
        m_batch.SetI32(n, 0, kBatchSpillReport);
        m_batch.SetFloat(n, 4, node->m_fValue);
        m_batch.SetU8(n, 8, static_cast<uint8_t>(node->m_pTile->m_nFlags & (kTileSpillPending | kTileResidue)));
        ++n;
    }
    m_batch.SetCount(n);
    SendEventBatch();
}

void CIncidentWorld::SendEventBatch()
{
    if (m_batch.Count() <= 0)
        return;
    // Emptied before posting: the local application may start a new batch.
    std::vector<uint8_t> payload = m_batch.Payload();
    m_batch.Clear();
    Post(kMessageBatch, payload.data(), payload.size());
}

void CIncidentWorld::SendSound(int id)
{
    PushSound(id);
    SendEventBatch();
}

bool CIncidentWorld::ApplyTileUpdates(const uint8_t* payload, size_t length)
{
    CBatchView view;
    // Mended: the count was trusted, and a large one read past the message.
    if (!ParseBatch(payload, length, view))
        return false;
    if (view.nCount == 0)
        return true;
    // The walking node and the list it walks: a report of one kind never steps through the other list.
    CIncidentNode* p = nullptr;
    int32_t walkKind = view.GetI32(0, 0);
    if (walkKind == kBatchFireReport)
        p = m_fires.At(view.nStartIndex);
    else if (walkKind == kBatchSpillReport)
        p = m_chemicals.Head();
    else
        walkKind = -1;

    for (int i = 0; i < view.nCount; ++i) {
        int32_t kind = view.GetI32(i, 0);
        switch (kind) {
        case kBatchFireReport:
            if (walkKind == kBatchFireReport && p) {
                CIncidentNode* next = p->m_pNext;
                if (p->m_pTile) {
                    p->m_fValue = view.GetFloat(i, 4);
                    UpdateFire(p);
                }
                p = next;
            }
            break;
        case kBatchIgnition:
            AddFire(TileAt(view.GetI32(i, 8), view.GetI32(i, 12)), view.GetFloat(i, 4));
            break;
        case kBatchSpillReport:
            if (walkKind == kBatchSpillReport && p) {
                CIncidentNode* next = p->m_pNext;
                if (CPathTile* tile = p->m_pTile) {
                    p->m_fValue = view.GetFloat(i, 4);
                    tile->m_nFlags = (tile->m_nFlags & ~(kTileSpillPending | kTileResidue)) |
                                     (view.GetU8(i, 8) & (kTileSpillPending | kTileResidue));
                    UpdateChemical(p);
                }
                p = next;
            }
            break;
        case kBatchSpill:
            AddChemical(TileAt(view.GetI32(i, 8), view.GetI32(i, 12)), view.GetFloat(i, 4), view.GetU8(i, 16) != 0);
            break;
        case kBatchObject: {
            int x = view.GetI32(i, 8), y = view.GetI32(i, 12), type = view.GetI32(i, 16);
            if (type == -1)
                RemoveObjectAt(x, y);
            else
                AddObject(TileAt(x, y), type, view.GetFloat(i, 4), static_cast<int16_t>(view.GetI32(i, 20) & 0xFFFF),
                          view.GetU8(i, 24) != 0);
            break;
        }
        case kBatchObjectFlags:
            if (CIncidentNode* node = ObjectAt(TileAt(view.GetI32(i, 8), view.GetI32(i, 12)))) {
                const int32_t flags = view.GetI32(i, 4);
                // A hidden object counted for nothing when it was placed; it counts once it shows.
                const bool revealed = node->IsHidden() && !(flags & kHiddenSpriteFlag);
                SetNodeSpriteFlags(node, flags);
                if (revealed)
                    CountCreated(node->m_nType);
            }
            break;
        case kBatchZoneMark:
            m_nZoneMark = view.GetI32(i, 4);
            if (m_links.pFacilityFlags)
                *m_links.pFacilityFlags =
                    (*m_links.pFacilityFlags & ~0x3Fu) | (static_cast<uint32_t>(view.GetI32(i, 8)) & 0x3Fu);
            break;
        case kBatchSound: {
            int id = view.GetI32(i, 4);
            if (id == -1) {
                if (m_links.pSound) {
                    if (m_nFireSound != -1)
                        m_links.pSound->StopLoop(m_nFireSound);
                    if (m_nChemicalSound != -1)
                        m_links.pSound->StopLoop(m_nChemicalSound);
                }
                m_nFireSound = m_nChemicalSound = -1;
            } else if (m_links.pSound) {
                m_links.pSound->Play(id, 1.0f, false);
            }
            break;
        }
        default:
            break; // kind 5 below; unknown kinds are skipped
        }
    }
    ApplyZoneEntries(view);
    return true;
}

void CIncidentWorld::ApplyZoneEntries(const CBatchView& view)
{
    // Mended: a group's size was the whole batch's entry count; now only that group's entries, less the refused.
    std::map<int32_t, int> sizes;
    for (int i = 0; i < view.nCount; ++i) {
        int32_t flag = view.GetI32(i, 16);
        if (view.GetI32(i, 0) == kBatchZoneNode && (flag == 1 || flag == 2))
            ++sizes[view.GetI32(i, 12)];
    }
    for (int i = 0; i < view.nCount; ++i) {
        if (view.GetI32(i, 0) != kBatchZoneNode)
            continue;
        int x = view.GetI32(i, 4), y = view.GetI32(i, 8), key = view.GetI32(i, 12), flag = view.GetI32(i, 16);
        if (flag == 1 || flag == 2) {
            bool site = flag == 2;
            if (!AddZoneNode(TileAt(x, y), key, sizes[key], site ? kIncIncidentSite : kIncFlaggedZone, site))
                --sizes[key];
        } else if (flag == 3) {
            ReskinGroup(TileAt(x, y), key);
        }
    }
    for (const auto& [key, size] : sizes)
        for (CIncidentNode* n = m_zones.Head(); n; n = n->m_pNext)
            if (n->m_nGroupKey == key)
                n->m_nCounter = static_cast<int16_t>(std::clamp(size, 0, 32767));
}

void CIncidentWorld::ReskinGroup(CPathTile* tile, int kind)
{
    CIncidentNode* at = ZoneNodeAt(tile);
    if (!at)
        return;
    int key = at->m_nGroupKey;
    for (CIncidentNode* n = m_zones.Head(); n; n = n->m_pNext)
        if (n->m_nGroupKey == key)
            SetNodeSprite(n, kind);
    RefreshView();
    m_mapReskin[kind] = m_links.pScoring ? m_links.pScoring->GetCurrentTime() : 0;
}
