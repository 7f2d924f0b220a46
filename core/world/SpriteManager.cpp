// The sprite manager: the draw list, service ids, lookups, hit tests, filters and drawing.
#include "core/world/SpriteManager.h"

#include "core/display/CDisplay.h"
#include "core/world/ICSNames.h"
#include "core/world/Map2DLinked.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <unordered_set>

QF_IMPLEMENT_SERIAL(CSpriteManager, 4)

namespace {
void DeleteSurface(CSurface*& surface)
{
    if (surface) {
        surface->Release();
        delete surface;
    }
    surface = nullptr;
}

// Agency indexes from files may be anything: outside 0-31 they are never in a 32-bit mask.
bool MaskHas(int32_t mask, int bit)
{
    return bit >= 0 && bit < 32 && (static_cast<uint32_t>(mask) >> bit) & 1u;
}
bool SeenBy(int32_t flags, int agency)
{
    return agency >= 0 && agency < 27 && (static_cast<uint32_t>(flags) & (0x20u << agency)) != 0;
}
} // namespace

const char* AgencyKindName(int kind)
{
    const char* name = GetAgencyName(kind);
    return name ? name : "";
}

int AgencyKindIndex(const char* name)
{
    for (int i = 0; i < kAgencyNameCount; ++i)
        if (name && strcasecmp(name, g_aszAgencyNames[i]) == 0)
            return i;
    return -1;
}

CSpriteManager::CSpriteManager()
{
    std::fill(std::begin(m_anIdCounters), std::end(m_anIdCounters), 1);
}

CSpriteManager::~CSpriteManager()
{
    DeleteSprites();
    DeleteSurface(m_pViewSurface);
    FreeModifiers();
}

void CSpriteManager::FreeModifiers()
{
    for (auto& zoom : m_apModifierSurfaces)
        for (CSurface*& s : zoom)
            DeleteSurface(s);
}

CSurface* CSpriteManager::GetModifierSurface(int zoom, int modifier) const
{
    if (zoom < 0 || zoom > 1 || modifier < 0 || modifier >= kModifierCount)
        return nullptr;
    return m_apModifierSurfaces[zoom][modifier];
}

// ---- templates ----

CSpriteManager::TemplateSet* CSpriteManager::Set(int kind)
{
    switch (kind) {
    case kUnitSprite:
        return &m_Units;
    case kFeatureSprite:
        return &m_Features;
    case kStationSprite:
        return &m_Stations;
    case kVehicleSprite:
        return &m_Vehicles;
    default:
        return nullptr;
    }
}

const CSpriteManager::TemplateSet* CSpriteManager::Set(int kind) const
{
    return const_cast<CSpriteManager*>(this)->Set(kind);
}

CSpriteManager::TemplateSet& CSpriteManager::Fresh(int kind)
{
    TemplateSet& set = *Set(kind);
    set.count = 0;
    set.sprites.reset(new CSprite[kMaxTemplates]);
    return set;
}

CSprite* CSpriteManager::GetTemplates(int kind) const
{
    const TemplateSet* set = Set(kind);
    return set ? set->sprites.get() : nullptr;
}

int CSpriteManager::GetTemplateCount(int kind) const
{
    const TemplateSet* set = Set(kind);
    return set ? set->count : 0;
}

const CSprite* CSpriteManager::FindTemplateByName(const char* name, int kind) const
{
    const TemplateSet* set = Set(kind);
    if (!set || !name)
        return nullptr;
    for (int i = 0; i < set->count; ++i)
        if (strcasecmp(set->sprites[i].m_szName, name) == 0)
            return &set->sprites[i];
    return nullptr;
}

int CSpriteManager::AgencyForKind(int kind, CAgencyRecord* record) const
{
    if (kind < 0 || kind > 8)
        return -1; // rows of an unknown kind never answer
    for (const auto& [index, agency] : m_mapAgencies) {
        if (agency.m_nKind == kind) {
            if (record)
                *record = agency;
            return index;
        }
    }
    return -1;
}

// ---- the draw list ----

CSprite* CSpriteManager::CreateSprite(int kind, const CPlacement& placement, bool assignId)
{
    const TemplateSet* set = Set(kind);
    if (!set || placement.Id < 0 || placement.Id >= set->count)
        return nullptr;
    CSprite& from = set->sprites[placement.Id];
    bool ownFrames = kind == kUnitSprite || kind == kVehicleSprite;
    CSprite* sprite = from.CreateFromTemplate(m_pDisplay, ownFrames);
    int32_t templateFlags = from.m_Placement.Flags;
    sprite->m_Placement = placement;
    sprite->m_Placement.Type = kind;
    if (kind == kFeatureSprite)
        sprite->m_Placement.Flags |= templateFlags & kSpriteStructure;
    if (ownFrames)
        sprite->CopyModifierSurfaces(&m_apModifierSurfaces);
    AddSprite(sprite, assignId);
    return sprite;
}

CSprite* CSpriteManager::CreateUnitSprite(const CPlacement& placement, bool assignId)
{
    return CreateSprite(kUnitSprite, placement, assignId);
}

CSprite* CSpriteManager::CreateFeatureSprite(const CPlacement& placement, bool assignId)
{
    return CreateSprite(kFeatureSprite, placement, assignId);
}

CSprite* CSpriteManager::CreateStationSprite(const CPlacement& placement, bool assignId)
{
    return CreateSprite(kStationSprite, placement, assignId);
}

CSprite* CSpriteManager::CreateVehicleSprite(const CPlacement& placement, bool assignId)
{
    return CreateSprite(kVehicleSprite, placement, assignId);
}

void CSpriteManager::AddSprite(CSprite* sprite, bool assignId)
{
    if (!sprite)
        return;
    if (assignId) {
        int kind = sprite->Kind();
        int counter = -1;
        if (kind == kUnitSprite || kind == kVehicleSprite) {
            int agency = sprite->AgencyKind();
            counter = agency >= 0 && agency < 9 ? agency : -1;
        } else if (kind >= 1 && kind <= 4) {
            counter = 9 + kind;
        }
        if (counter >= 0) {
            if (sprite->m_Placement.ServiceId == 0)
                sprite->m_Placement.ServiceId = m_anIdCounters[counter];
            // Unsigned, so an id near the top of the range (from a file) wraps instead of overflowing.
            m_anIdCounters[counter] = static_cast<int32_t>(static_cast<uint32_t>(m_anIdCounters[counter]) + 1u);
        }
    }
    // Before the first sprite whose depth is not lower: the later of equal depths is drawn first.
    CSprite* at = m_pHead;
    while (at && at->m_nDepthKey < sprite->m_nDepthKey)
        at = at->m_pNext;
    sprite->m_pNext = at;
    sprite->m_pPrev = at ? at->m_pPrev : m_pTail;
    if (sprite->m_pPrev)
        sprite->m_pPrev->m_pNext = sprite;
    else
        m_pHead = sprite;
    if (at)
        at->m_pPrev = sprite;
    else
        m_pTail = sprite;
    ++m_nSpritesCount;
}

void CSpriteManager::Unlink(CSprite* sprite)
{
    UnlinkOnly(sprite);
    --m_nSpritesCount;
}

void CSpriteManager::UnlinkOnly(CSprite* sprite)
{
    if (sprite->m_pPrev)
        sprite->m_pPrev->m_pNext = sprite->m_pNext;
    else
        m_pHead = sprite->m_pNext;
    if (sprite->m_pNext)
        sprite->m_pNext->m_pPrev = sprite->m_pPrev;
    else
        m_pTail = sprite->m_pPrev;
    sprite->m_pNext = sprite->m_pPrev = nullptr;
}

void CSpriteManager::ForgetSprite(const CSprite* sprite)
{
    if (m_pSelectedSprite == sprite)
        m_pSelectedSprite = nullptr;
    if (m_pSelectionMarker == sprite)
        m_pSelectionMarker = nullptr;
}

bool CSpriteManager::RemoveSprite(CSprite* sprite, bool deleteIt)
{
    return RemoveSprite(sprite, deleteIt, true);
}

bool CSpriteManager::RemoveSprite(CSprite* sprite, bool deleteIt, bool lowerCount)
{
    if (!sprite || !ContainsSprite(sprite))
        return false;
    if (lowerCount)
        Unlink(sprite);
    else
        UnlinkOnly(sprite);
    ForgetSprite(sprite);
    if (deleteIt) {
        sprite->DetachSharedImages();
        delete sprite;
    }
    return true;
}

void CSpriteManager::DeleteSprites()
{
    while (m_pHead) {
        CSprite* sprite = m_pHead;
        Unlink(sprite);
        sprite->DetachSharedImages();
        delete sprite;
    }
    m_nSpritesCount = 0;
    m_pSelectedSprite = nullptr;
    m_pSelectionMarker = nullptr;
}

bool CSpriteManager::ContainsSprite(const CSprite* sprite) const
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext)
        if (s == sprite)
            return true;
    return false;
}

CSprite* CSpriteManager::FindSprite(int kind, int serviceId) const
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext)
        if (s->Kind() == kind && s->m_Placement.ServiceId == serviceId)
            return s;
    return nullptr;
}

CSprite* CSpriteManager::FindSpriteBySubtype(int agencyKind, int serviceId) const
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext) {
        if (s->m_Placement.ServiceId != serviceId)
            continue;
        if ((s->Kind() == kUnitSprite || s->Kind() == kVehicleSprite) && s->AgencyKind() == agencyKind)
            return s;
        if (s->Kind() == kStationSprite && s->m_pStationData && s->m_pStationData->m_nStationKind == agencyKind)
            return s;
    }
    return nullptr;
}

CSprite* CSpriteManager::SpriteAtPoint(int x, int y) const
{
    for (CSprite* s = m_pTail; s; s = s->m_pPrev) {
        int32_t f = s->m_Placement.Flags;
        if ((f & kSpriteDrawn) && !(f & (kSpriteHidden | kSpriteLoaded | kSpriteHiddenUnder)) && s->HitTest(x, y))
            return s;
    }
    return nullptr;
}

std::vector<CSprite*> CSpriteManager::SpritesAtPoint(int x, int y) const
{
    std::vector<CSprite*> out;
    for (CSprite* s = m_pTail; s; s = s->m_pPrev) {
        int32_t f = s->m_Placement.Flags;
        if ((f & kSpriteDrawn) && !(f & (kSpriteHidden | kSpriteLoaded | kSpriteBlended | kSpriteHiddenUnder)) &&
            s->HitTest(x, y))
            out.push_back(s);
    }
    return out;
}

CSprite* CSpriteManager::StationAtPoint(int x, int y) const
{
    for (CSprite* s = m_pTail; s; s = s->m_pPrev) {
        int32_t f = s->m_Placement.Flags;
        if (s->Kind() == kStationSprite && (f & kSpriteDrawn) &&
            !(f & (kSpriteHidden | kSpriteLoaded | kSpriteHiddenUnder | kSpriteBlended)) && s->HitTest(x, y))
            return s;
    }
    return nullptr;
}

// ---- drawing ----

void CSpriteManager::SetZoom(int zoom)
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext)
        s->m_nZoom = zoom;
}

void CSpriteManager::UpdateScreenRects(const RECT& view)
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext)
        s->UpdateScreenRect(view);
}

int CSpriteManager::Draw(const RECT& view, CSurface* target)
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext) {
        s->m_Placement.Flags &= ~kSpriteDrawn;
        if (s == m_pSelectionMarker && m_pSelectedSprite) {
            s->SetWorldPosition(m_pSelectedSprite->m_Placement.WorldX, m_pSelectedSprite->m_Placement.WorldY);
            s->UpdateScreenRect(view);
        }
        if (s->PassesFilter(m_pFilter, m_pAgencyMask, this))
            s->Draw(view, target, m_pViewSurface, m_pFilter);
    }
    return DD_OK;
}

void CSpriteManager::SetSelectedSprite(CSprite* sprite, const RECT& view, int zoom)
{
    if (!sprite) {
        if (m_pSelectionMarker)
            RemoveSprite(m_pSelectionMarker, true);
        m_pSelectionMarker = nullptr;
        m_pSelectedSprite = nullptr;
        return;
    }
    m_pSelectedSprite = sprite;
    if (!m_pSelectionMarker) {
        // The marker is feature template 4; without it there is no marker.
        if (m_Features.count <= kMarkerTemplate)
            return;
        CPlacement placement;
        placement.Id = kMarkerTemplate;
        placement.Type = kFeatureSprite;
        placement.WorldX = sprite->m_Placement.WorldX;
        placement.WorldY = sprite->m_Placement.WorldY;
        m_pSelectionMarker = CreateFeatureSprite(placement, false);
        if (!m_pSelectionMarker)
            return;
        m_pSelectionMarker->m_nZoom = zoom;
    }
    m_pSelectionMarker->SetWorldPosition(sprite->m_Placement.WorldX, sprite->m_Placement.WorldY);
    m_pSelectionMarker->UpdateScreenRect(view);
}

void CSpriteManager::UpdateFeatureOverlaps(const CMap2DLinked* map)
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext) {
        if (s->Kind() != kFeatureSprite)
            continue;
        if (s->m_nOptions & 4)
            s->m_Placement.Flags &= ~(kSpriteHiddenUnder | kSpriteBlended);
        else if (s->m_nOptions & 8)
            s->m_Placement.Flags |= kSpriteBlended;
    }
    for (CSprite* u = m_pHead; u; u = u->m_pNext) {
        if ((u->Kind() != kUnitSprite && u->Kind() != kVehicleSprite) || !(u->m_Placement.Flags & kSpriteDrawn))
            continue;
        u->m_Placement.Flags &= ~kSpriteMoved;
        int z = u->m_nZoom == 1 ? 1 : 0;
        int px = u->m_nScreenX + u->m_anFrameWidth[z] / 2;
        int py = u->m_nScreenY + u->m_anFrameHeight[z] / 2;
        for (CSprite* f = m_pHead; f; f = f->m_pNext) {
            if (f->Kind() != kFeatureSprite || !(f->m_nOptions & 4) || !f->HitTest(px, py))
                continue;
            if (f->m_nAlphaPercent != 0)
                f->m_Placement.Flags |= kSpriteBlended;
            else if (map && map->GetTileIndexAtPixel(u->m_Placement.WorldX, u->m_Placement.WorldY) == 162)
                f->m_Placement.Flags |= kSpriteHiddenUnder;
        }
    }
}

void CSpriteManager::MarkAgencySprites(int32_t mask)
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext) {
        if (s->Kind() != kUnitSprite && s->Kind() != kVehicleSprite)
            continue;
        int kind = s->AgencyKind();
        if (kind == 5 || kind == 6 || !MaskHas(mask, s->m_Placement.AgencyIndex))
            continue;
        s->SetModifiers(s->Kind() == kUnitSprite ? 0x10 : 0x100, true);
    }
}

bool CSpriteManager::IsAgencyInMask(const CSprite* sprite, int32_t mask) const
{
    int agency = sprite->m_Placement.AgencyIndex;
    return m_mapAgencies.count(agency) && MaskHas(mask, agency);
}

bool CSpriteManager::PassesAgencyFilter(const CSprite* sprite, int32_t mask) const
{
    int kind = sprite->AgencyKind();
    if ((mask & 0x400) && kind != 5 && kind != 6)
        return true;
    for (const auto& entry : m_mapAgencies) {
        int d = entry.first;
        if (MaskHas(mask, d) && (sprite->m_Placement.AgencyIndex == d || SeenBy(sprite->m_Placement.Flags, d)))
            return true;
    }
    return false;
}

bool CSpriteManager::CreateViewSurface(CDisplay* display)
{
    DeleteSurface(m_pViewSurface);
    if (!display)
        return false;
    CSurfaceDesc desc(true, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY, 800,
                      448, 0);
    m_pViewSurface = new CSurface(true);
    if (m_pViewSurface->Create(desc) != DD_OK) {
        DeleteSurface(m_pViewSurface);
        return false;
    }
    return true;
}

void CSpriteManager::SetDrawFilter(const CModeRecord* filter, const int32_t* agencyMask, CDisplay* display)
{
    m_pFilter = filter;
    m_pAgencyMask = agencyMask;
    m_pDisplay = display;
}

// ---- station stock in saved games ----

bool CSpriteManager::SaveStationResources(FILE* file) const
{
    if (!file)
        return false;
    for (CSprite* s = m_pHead; s; s = s->m_pNext) {
        if (!s->m_pStationData)
            continue;
        for (CStationResource* r : s->m_pStationData->m_paResources) {
            if (!r)
                continue;
            uint32_t v = static_cast<uint32_t>(r->m_nAvailable);
            unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                                      static_cast<unsigned char>(v >> 16), static_cast<unsigned char>(v >> 24)};
            if (std::fwrite(bytes, 1, 4, file) != 4)
                return false;
        }
    }
    return true;
}

bool CSpriteManager::LoadStationResources(FILE* file)
{
    if (!file)
        return false;
    // All counts are read and checked before any is set. A count is never below 0, nor far above the stock:
    // squads sent home to a station other than their own can raise it a little past, never by a thousand.
    constexpr int32_t kMostAboveStock = 1000;
    std::vector<std::pair<CStationResource*, int32_t>> counts;
    for (CSprite* s = m_pHead; s; s = s->m_pNext) {
        if (!s->m_pStationData)
            continue;
        for (CStationResource* r : s->m_pStationData->m_paResources) {
            if (!r)
                continue;
            unsigned char bytes[4];
            if (std::fread(bytes, 1, 4, file) != 4)
                return false;
            const int32_t v = static_cast<int32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                                   (static_cast<uint32_t>(bytes[3]) << 24));
            if (v < 0 || static_cast<int64_t>(v) > static_cast<int64_t>(std::max(r->m_nResCount, 0)) + kMostAboveStock)
                return false;
            counts.emplace_back(r, v);
        }
    }
    for (const auto& [r, v] : counts)
        r->m_nAvailable = v;
    return true;
}

// ---- the scenario editor's chains, groups and cutaway ----

void CSpriteManager::ShowHideableSprites(bool show)
{
    for (CSprite* s = m_pHead; s; s = s->m_pNext)
        s->SetShown(show);
}

CSprite* CSpriteManager::GetLinkChainHead(CSprite* sprite)
{
    std::unordered_set<const CSprite*> seen;
    while (sprite && sprite->m_pLinkPrev && seen.insert(sprite).second)
        sprite = sprite->m_pLinkPrev;
    return sprite;
}

namespace {
// Whether joining the chain that ends at `tail` to the one that starts at `head` would take a sprite or a template
// twice (the joined chain could then loop, or place the same pair again).
bool JoinRepeats(const CSprite* tail, const CSprite* head)
{
    std::unordered_set<const CSprite*> sprites;
    std::unordered_set<int> templates;
    for (const CSprite* s = tail; s && sprites.insert(s).second; s = s->m_pLinkPrev)
        templates.insert(s->m_Placement.Id);
    std::unordered_set<const CSprite*> ahead;
    for (const CSprite* s = head; s && ahead.insert(s).second; s = s->m_pLinkNext)
        if (sprites.count(s) || templates.count(s->m_Placement.Id))
            return true;
    return false;
}
} // namespace

void CSpriteManager::LinkFeaturePairs()
{
    for (CSprite* a = m_pHead; a; a = a->m_pNext) {
        if (a->m_nLinkedTemplate < 0 || a->m_pLinkNext)
            continue;
        for (CSprite* b = m_pHead; b; b = b->m_pNext) {
            if (b->Kind() != kFeatureSprite || b->m_Placement.Id != a->m_nLinkedTemplate || b->m_pLinkPrev ||
                b->m_Placement.WorldX != a->m_Placement.WorldX || b->m_Placement.WorldY != a->m_Placement.WorldY ||
                JoinRepeats(a, b))
                continue;
            a->m_pLinkNext = b;
            b->m_pLinkPrev = a;
            break;
        }
    }
}

int CSpriteManager::NextTemplateInGroup(int index) const
{
    const int count = m_Features.count;
    if (index < 0 || index >= count)
        return index;
    const int group = m_Features.sprites[index].m_nCycleGroup;
    if (group == -1)
        return index;
    for (int i = (index + 1) % count; i != index; i = (i + 1) % count)
        if (m_Features.sprites[i].m_nCycleGroup == group)
            return i;
    return index;
}
