// The tactical map view's edits: painting tiles, placing sprites and feature chains, fragments, footprints on the
// path grid, deleting chains and clearing the map.
#include "core/display/CDisplay.h"
#include "core/world/Map2DLinked.h"
#include "core/world/SpriteManager.h"
#include "editors/tacmap/model/EditorWorld.h"
#include "editors/tacmap/model/QFRand.h"
#include "editors/tacmap/model/SpritePalette.h"
#include "editors/tacmap/model/TacticalMapView.h"

#include <algorithm>
#include <ctime>
#include <set>

namespace tacmap {

namespace {
constexpr uint8_t kImpassable = 255;
constexpr int16_t kOpaque = 1023;

// The world rectangle a sprite's zoom-0 frame covers, centred on its position.
RECT FootprintRect(const CSprite* s)
{
    const int w = s->m_anFrameWidth[0];
    const int h = s->m_anFrameHeight[0];
    const int left = s->m_Placement.WorldX - w / 2;
    const int top = s->m_Placement.WorldY - h / 2;
    return RECT{left, top, left + w, top + h};
}

bool Overlaps(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Blocks(const CSprite* s)
{
    return !(s->m_Placement.Flags & kSpriteStructure) && (s->m_byBlocking & (kBlocksMovement | kBlocksSight));
}
} // namespace

CTacticalMapView::Choice CTacticalMapView::PaletteChoice() const
{
    Choice c;
    c.agency = m_palette.GetSelectedAgencyKey();
    if (m_palette.GetSelectedTile() >= 0) {
        c.tile = true;
        c.index = m_palette.GetSelectedTile();
    } else if (m_palette.GetSelectedSquadTemplate() >= 0) {
        c.kind = kUnitSprite;
        c.index = m_palette.GetSelectedSquadTemplate();
    } else if (m_palette.GetSelectedVehicleTemplate() >= 0) {
        c.kind = kVehicleSprite;
        c.index = m_palette.GetSelectedVehicleTemplate();
    } else if (m_palette.GetSelectedFeatureTemplate() >= 0) {
        c.kind = kFeatureSprite;
        c.index = m_palette.GetSelectedFeatureTemplate();
    }
    return c;
}

CTacticalMapView::Choice CTacticalMapView::MovingChoice() const
{
    Choice c;
    if (m_pMovingSquad) {
        c.kind = m_pMovingSquad->Kind();
        c.index = m_pMovingSquad->m_Placement.Id;
        c.agency = m_pMovingSquad->m_Placement.AgencyIndex;
    }
    return c;
}

// ---- placement ----

void CTacticalMapView::Placement(const Choice& choice, int column, int row, int sx, int sy, bool snap, bool real,
                                 bool fragment)
{
    if (!Ready() || !IsInMapBounds(column, row))
        return;
    if (choice.tile) {
        m_pMap->SetTileIndex(row, column, choice.index);
        m_pPathData->RecomputeTile(column, row);
        StampAtCell(column, row);
        RedrawCell(column, row);
        return;
    }
    if (choice.kind == kUnitSprite || choice.kind == kVehicleSprite) {
        EndPreview();
        CreateSpriteAt(choice, column, row, sx, sy, snap, real, fragment);
        return;
    }
    if (choice.kind != kFeatureSprite)
        return;
    EndPreview();
    CSprite* placed = CreateSpriteAt(choice, column, row, sx, sy, snap, real, fragment);
    if (!placed || !real)
        return;
    const bool shown = m_host.IsShowChecked();
    ApplySpriteFootprint(placed);
    placed->SetShown(shown);
    // The linked templates go on the same spot, each linked to the one before; no template twice, so two
    // templates linked to each other make a pair, not an endless chain.
    std::set<int> taken{placed->m_Placement.Id};
    for (CSprite* previous = placed; previous->m_nLinkedTemplate >= 0 && !taken.count(previous->m_nLinkedTemplate);) {
        CPlacement p;
        p.AgencyIndex = choice.agency < 0 ? 0 : choice.agency;
        p.Id = previous->m_nLinkedTemplate;
        p.Type = kFeatureSprite;
        p.WorldX = previous->m_Placement.WorldX;
        p.WorldY = previous->m_Placement.WorldY;
        CSprite* next = m_pSprites->CreateFeatureSprite(p, false);
        if (!next)
            break;
        taken.insert(next->m_Placement.Id);
        previous->m_pLinkNext = next;
        next->m_pLinkPrev = previous;
        next->m_nZoom = m_nZoom;
        next->UpdateScreenRect(m_world.GetViewRect());
        ApplySpriteFootprint(next);
        next->SetShown(shown);
        previous = next;
    }
    m_pPreview = nullptr;
    RedrawCell(column, row);
}

bool CTacticalMapView::IsUnitBlocked(int column, int row, int sx, int sy) const
{
    if (!m_pPathData->IsFragmented(column, row))
        return m_pPathData->GetPathCost(column, row) == kImpassable;
    if (m_pPathData->GetSubtilePathCost(column, row, sx, sy) == kImpassable)
        return true;
    // The sub-tile one step right and down, in the next tile when the step leaves this one.
    int nextColumn = column, nextRow = row, nsx = sx + 1, nsy = sy + 1;
    if (nsx > 3) {
        nsx = 0;
        ++nextColumn;
    }
    if (nsy > 3) {
        nsy = 0;
        ++nextRow;
    }
    const int cost = m_pPathData->IsFragmented(nextColumn, nextRow)
                         ? m_pPathData->GetSubtilePathCost(nextColumn, nextRow, nsx, nsy)
                         : m_pPathData->GetPathCost(nextColumn, nextRow);
    return cost == kImpassable;
}

CSprite* CTacticalMapView::CreateSpriteAt(const Choice& choice, int column, int row, int sx, int sy, bool snap,
                                          bool real, bool fragment)
{
    if (choice.index < 0 || choice.index >= m_pSprites->GetTemplateCount(choice.kind))
        return nullptr;
    const CSprite& from = m_pSprites->GetTemplates(choice.kind)[choice.index];
    if (real && fragment && !m_pPathData->IsFragmented(column, row)) {
        m_pPathData->ToggleFragment(column, row);
        StampAtCell(column, row);
    }
    CPlacement p;
    p.AgencyIndex = choice.agency < 0 ? 0 : choice.agency;
    p.Id = choice.index;
    p.Type = choice.kind;
    if (!m_pPathData->IsFragmented(column, row) && !snap) {
        p.WorldX = column * 32;
        p.WorldY = row * 32;
    } else {
        p.WorldX = (sx + column * 4) * 8;
        p.WorldY = (sy + row * 4) * 8;
    }
    p.WorldX += from.m_anFrameWidth[0] / 2;
    p.WorldY += from.m_anFrameHeight[0] / 2;
    CSprite* sprite = nullptr;
    if (choice.kind == kUnitSprite || choice.kind == kVehicleSprite) {
        if (real && IsUnitBlocked(column, row, sx, sy)) {
            m_host.Beep();
            real = false;
        }
        // Previews take no service id: only a squad that stays uses up one.
        sprite = choice.kind == kUnitSprite ? m_pSprites->CreateUnitSprite(p, real)
                                            : m_pSprites->CreateVehicleSprite(p, real);
    } else {
        sprite = m_pSprites->CreateFeatureSprite(p, false);
        if (sprite)
            sprite->SetShown(true);
    }
    if (!sprite)
        return nullptr;
    m_pSprites->SetZoom(m_nZoom);
    m_pSprites->UpdateScreenRects(m_world.GetViewRect());
    RedrawCell(column, row);
    if (!real)
        m_pPreview = sprite;
    return sprite;
}

bool CTacticalMapView::ToggleFragmentAt(int column, int row)
{
    if (!m_pPathData || !IsInMapBounds(column, row))
        return false;
    if (!m_pPathData->ToggleFragment(column, row))
        m_pPathData->SetTileFromType(-1, column, row);
    StampAtCell(column, row);
    RedrawCell(column, row);
    m_bModified = true;
    return m_pPathData->IsFragmented(column, row);
}

// ---- footprints ----

void CTacticalMapView::StampAtCell(int column, int row)
{
    if (!m_pSprites)
        return;
    // Every sprite over the cell stamps it again (not only the top-most: the others' marks would be lost).
    const RECT cell{column * 32, row * 32, column * 32 + 32, row * 32 + 32};
    for (CSprite* s = m_pSprites->GetHead(); s; s = s->m_pNext)
        if (s != m_pPreview && Blocks(s) && Overlaps(FootprintRect(s), cell))
            ApplyFootprint(s, &cell);
}

void CTacticalMapView::ApplySpriteFootprint(CSprite* sprite)
{
    ApplyFootprint(sprite, nullptr);
}

void CTacticalMapView::ApplyAllFootprints()
{
    if (!m_pSprites)
        return;
    for (CSprite* s = m_pSprites->GetHead(); s; s = s->m_pNext)
        if (s != m_pPreview)
            ApplySpriteFootprint(s);
}

void CTacticalMapView::ApplyFootprint(CSprite* sprite, const RECT* clip)
{
    if (!sprite || !Blocks(sprite) || !m_pPathData || !m_pDisplay)
        return;
    CSurface* frame = sprite->m_apFrame[0] ? sprite->m_apFrame[0] : sprite->m_apBaseImage[0];
    if (!frame || !frame->IsCreated())
        return;
    // Raw pixels compared with the key's raw value (the old test set one against a GDI colour).
    m_uTransparentKey = m_pDisplay->ColorMatch(frame, RGB(255, 0, 255));
    CSurfaceDesc desc;
    HRESULT hr;
    while ((hr = frame->Lock(nullptr, &desc, 0, nullptr)) == DDERR_WASSTILLDRAWING) {
    }
    if (hr != DD_OK)
        return;
    const auto* pixels = static_cast<const uint8_t*>(desc.GetDesc()->lpSurface);
    const int pitch = desc.GetDesc()->lPitch;
    const int w = std::min<int>(sprite->m_anFrameWidth[0], frame->GetWidth());
    const int h = std::min<int>(sprite->m_anFrameHeight[0], frame->GetHeight());
    const RECT area = FootprintRect(sprite);
    auto pixel = [&](int x, int y) { return reinterpret_cast<const uint16_t*>(pixels + y * pitch)[x]; };
    for (int by = 0; by < h; by += 8) {
        for (int bx = 0; bx < w; bx += 8) {
            const int blockX = area.left + bx;
            const int blockY = area.top + by;
            const bool fragmented = blockX >= 0 && blockY >= 0 && m_pPathData->IsFragmented(blockX / 32, blockY / 32);
            bool done = false;
            for (int y = by; y < std::min(by + 8, h) && !done; ++y) {
                int state = 4;
                for (int x = bx; x < std::min(bx + 8, w) && !done; ++x) {
                    const bool key = pixel(x, y) == m_uTransparentKey;
                    bool skip = false;
                    switch (state) {
                    case 4:
                    case 0:
                    case 1:
                        state = key ? (state == 4 ? 0 : 1) : 2;
                        skip = key;
                        break;
                    case 2:
                        state = key ? 3 : 2;
                        break;
                    default: // 3
                        state = key ? 0 : 3;
                        skip = key;
                        break;
                    }
                    if (skip)
                        continue;
                    const int wx = area.left + x;
                    const int wy = area.top + y;
                    if (!clip || (wx >= clip->left && wx < clip->right && wy >= clip->top && wy < clip->bottom))
                        Stamp(sprite, wx, wy);
                    done = !fragmented;
                }
            }
        }
    }
    frame->Unlock(nullptr);
}

void CTacticalMapView::Stamp(const CSprite* sprite, int worldX, int worldY)
{
    if (worldX < 0 || worldY < 0)
        return; // off the map: the old stamp wrote into another row's tile
    const int column = worldX / 32;
    const int row = worldY / 32;
    if (!m_pMap || column >= m_pMap->GetColumns() || row >= m_pMap->GetRows())
        return;
    const bool fragmented = m_pPathData->IsFragmented(column, row);
    const POINT sub = WorldToSubtile(worldX, worldY);
    if (sprite->m_byBlocking & kBlocksSight) {
        if (fragmented)
            m_pPathData->SetSubtileLOSCost(column, row, sub.x, sub.y, kOpaque);
        else
            m_pPathData->SetLOSCost(column, row, kOpaque);
    }
    if (sprite->m_byBlocking & kBlocksMovement) {
        if (fragmented)
            m_pPathData->SetSubtilePathCost(column, row, sub.x, sub.y, kImpassable);
        else
            m_pPathData->SetPathCost(column, row, kImpassable);
    }
}

// ---- deleting ----

void CTacticalMapView::DeleteChains(const std::vector<CSprite*>& sprites)
{
    // One head per chain, taken while every sprite is still there: two picks of one chain delete it once.
    std::vector<CSprite*> heads;
    for (CSprite* s : sprites) {
        if (!m_pSprites->ContainsSprite(s))
            continue;
        CSprite* head = CSpriteManager::GetLinkChainHead(s);
        if (std::find(heads.begin(), heads.end(), head) == heads.end())
            heads.push_back(head);
    }
    std::vector<RECT> cleared;
    for (CSprite* head : heads) {
        if (!m_pSprites->ContainsSprite(head))
            continue;
        std::vector<CSprite*> chain;
        std::set<CSprite*> seen;
        for (CSprite* s = head; s && seen.insert(s).second; s = s->m_pLinkNext)
            chain.push_back(s);
        bool blocking = false;
        RECT area = FootprintRect(head);
        for (CSprite* s : chain) {
            blocking = blocking || Blocks(s);
            const RECT r = FootprintRect(s);
            area = RECT{std::min(area.left, r.left), std::min(area.top, r.top), std::max(area.right, r.right),
                        std::max(area.bottom, r.bottom)};
            if (s == m_pSelectedSprite)
                m_pSelectedSprite = nullptr;
            if (s == m_pMovingSquad)
                m_pMovingSquad = nullptr;
            if (s == m_pPreview)
                m_pPreview = nullptr;
            // Neighbours in other chains keep no pointer to a deleted sprite.
            if (s->m_pLinkPrev && !seen.count(s->m_pLinkPrev))
                s->m_pLinkPrev->m_pLinkNext = nullptr;
            m_pSprites->RemoveSprite(s, true, true);
        }
        m_bModified = true;
        if (blocking)
            cleared.push_back(area);
    }
    for (const RECT& area : cleared) {
        const int left = std::max(0, area.left / 32), top = std::max(0, area.top / 32);
        const int right = (area.right - 1) / 32, bottom = (area.bottom - 1) / 32;
        for (int row = top; row <= bottom; ++row)
            for (int column = left; column <= right; ++column)
                m_pPathData->RecomputeTile(column, row);
        // What the other sprites stamped there stays.
        const RECT tiles{left * 32, top * 32, (right + 1) * 32, (bottom + 1) * 32};
        for (CSprite* s = m_pSprites->GetHead(); s; s = s->m_pNext)
            if (s != m_pPreview && Blocks(s) && Overlaps(FootprintRect(s), tiles))
                ApplyFootprint(s, &tiles);
    }
    RedrawAll();
}

void CTacticalMapView::ClearMap()
{
    ClearMap(static_cast<uint32_t>(std::time(nullptr)));
}

void CTacticalMapView::ClearMap(uint32_t seed)
{
    if (!Ready())
        return;
    CQFRand random;
    random.SRand(static_cast<int>(seed));
    EndPreview();
    ForgetSprites();
    m_pSprites->DeleteAllSprites();
    for (int row = 0; row < m_pMap->GetRows(); ++row) {
        for (int column = 0; column < m_pMap->GetColumns(); ++column) {
            const uint32_t inner = random.Rand(seed) % 7883u;
            m_pMap->SetTileIndex(row, column, static_cast<int>(random.Rand(inner) & 7u));
            if (m_pPathData->IsFragmented(column, row))
                m_pPathData->ToggleFragment(column, row);
        }
    }
    m_pPathData->RecomputeAll([this]() { ApplyAllFootprints(); });
    m_bModified = true;
    RedrawAll();
}

void CTacticalMapView::ReplaceSelectedSprite(CSprite* sprite)
{
    m_pSelectedSprite = sprite;
    SetZoom(m_nZoom);
}

} // namespace tacmap
