// The tactical map view's logic: scenarios, modes, mouse and keys, zoom, the status line and drawing.
#include "editors/tacmap/model/TacticalMapView.h"

#include "core/display/CDisplay.h"
#include "core/world/Map2DLinked.h"
#include "core/world/SpriteManager.h"
#include "editors/tacmap/model/EditorWorld.h"
#include "editors/tacmap/model/SpritePalette.h"

#include <cstdio>
#include <ctime>

namespace tacmap {

CTacticalMapView::CTacticalMapView(CEditorWorld& world, CSpritePalette& palette, IMapViewHost& host)
    : m_world(world), m_palette(palette), m_host(host)
{
    m_pTerrainLayer = m_layers.Add(std::make_unique<CTerrainLayer>(this));
    m_pUnitsLayer = m_layers.Add(std::make_unique<CUnitsLayer>(this));
    m_pGridLayer = static_cast<CGridLayer*>(m_layers.Add(std::make_unique<CGridLayer>(this)));
    m_pGridLayer->SetVisible(false);
    m_palette.onTileChosen = [this]() { EndPreview(); };
    m_palette.onPlacementChosen = [this]() { RecomputePreview(); };
}

CTacticalMapView::~CTacticalMapView()
{
    m_palette.onTileChosen = nullptr;
    m_palette.onPlacementChosen = nullptr;
}

bool CTacticalMapView::Ready() const
{
    return m_pDisplay && m_pMap && m_pSprites && m_pPathData;
}

bool CTacticalMapView::IsInMapBounds(int column, int row) const
{
    return m_pMap && column >= m_rcMapBounds.left && column < m_rcMapBounds.right && row >= m_rcMapBounds.top &&
           row < m_rcMapBounds.bottom && column < m_pMap->GetColumns() && row < m_pMap->GetRows();
}

bool CTacticalMapView::IsOnDrawnMap(int x, int y) const
{
    const RECT& view = m_world.GetViewRect();
    if (x < 0 || y < 0 || x >= view.right - view.left || y >= view.bottom - view.top)
        return false;
    const POINT cell = ViewToGrid(x, y);
    return cell.x >= 0 && cell.y >= 0 && IsInMapBounds(cell.x, cell.y);
}

// ---- scenarios ----

void CTacticalMapView::FirstUpdate()
{
    FirstUpdate(static_cast<uint32_t>(std::time(nullptr)));
}

void CTacticalMapView::FirstUpdate(uint32_t seed)
{
    NewScenario(seed);
    SetZoom(1);
}

void CTacticalMapView::ResetForScenario()
{
    m_nZoom = 0;
    m_nMode = kIdle;
    m_nOriginColumn = m_nOriginRow = 0;
    m_bModified = false;
    m_nTileSize = 8;
    ForgetSprites();
    m_host.SetZoomRadios(true);
}

void CTacticalMapView::TakeWorldPointers()
{
    m_pDisplay = m_world.GetDisplay();
    m_pMap = m_world.GetMap();
    m_pSprites = m_world.GetSprites();
    m_pPathData = m_world.GetPathData();
    if (m_pPathData)
        m_pPathData->SetTileMap(m_pMap);
    m_rcClient = RECT{0, 0, m_world.GetWidth(), m_world.GetHeight()};
}

bool CTacticalMapView::OpenScenarioFile(const std::string& name)
{
    EndPreview();
    if (!m_world.OpenScenario(name))
        return false; // the old scenario stays, and with it the view as it was
    ResetForScenario();
    TakeWorldPointers();
    if (m_pSprites)
        m_pSprites->ShowHideableSprites(true);
    SetZoom(1);
    m_world.ScrollByTiles(0, -5);
    UpdateOrigin();
    m_palette.Fill(m_pMap, m_pSprites);
    m_host.UpdateCursor();
    RedrawAll();
    return true;
}

bool CTacticalMapView::NewScenario(uint32_t seed)
{
    EndPreview();
    ResetForScenario();
    const bool ok = m_world.NewScenario(seed);
    TakeWorldPointers();
    if (m_pSprites)
        m_pSprites->ShowHideableSprites(false);
    SetZoom(1);
    m_palette.Fill(m_pMap, m_pSprites);
    RedrawAll();
    return ok;
}

void CTacticalMapView::ForgetSprites()
{
    m_pPreview = nullptr;
    m_pMovingSquad = nullptr;
    m_pSelectedSprite = nullptr;
}

// ---- coordinates ----

POINT CTacticalMapView::ViewToGrid(int x, int y) const
{
    return POINT{m_nOriginColumn + x / m_nTileSize, m_nOriginRow + y / m_nTileSize};
}

POINT CTacticalMapView::ViewToSubgrid(int x, int y) const
{
    const int quarter = m_nTileSize / 4;
    return POINT{(x % m_nTileSize) / quarter, (y % m_nTileSize) / quarter};
}

RECT CTacticalMapView::GridCellRect(int column, int row) const
{
    const int left = (column - m_nOriginColumn) * m_nTileSize;
    const int top = (row - m_nOriginRow) * m_nTileSize;
    return RECT{left, top, left + m_nTileSize - 1, top + m_nTileSize - 1};
}

POINT CTacticalMapView::WorldToSubtile(int worldX, int worldY)
{
    return POINT{(worldX % 32) / 8, (worldY % 32) / 8};
}

void CTacticalMapView::UpdateOrigin()
{
    const RECT& view = m_world.GetViewRect();
    m_nOriginColumn = view.left / m_nTileSize;
    m_nOriginRow = view.top / m_nTileSize;
}

// ---- status line and cursor ----

const char* CTacticalMapView::ModeName(int mode)
{
    static const char* const kNames[] = {"Idle",      "DragTile", "DragTF",     "Fragment",
                                         "DragSquad", "ZoomIn",   "MovingSquad"};
    return mode >= 0 && mode <= 6 ? kNames[mode] : "";
}

void CTacticalMapView::UpdateStatus(int x, int y)
{
    if (!m_pDisplay || !m_pPathData)
        return;
    m_strSpriteText = "None";
    m_strPositionText = "Out of range.";
    const POINT cell = ViewToGrid(x, y);
    if (IsOnDrawnMap(x, y)) {
        m_strSpriteText.clear();
        char text[512];
        for (CSprite* s : m_pSprites ? m_pSprites->SpritesAtPoint(x, y) : std::vector<CSprite*>{}) {
            if (!(s->m_Placement.Flags & kSpriteOnScreen))
                continue;
            if (s->Kind() == kUnitSprite || s->Kind() == kVehicleSprite)
                std::snprintf(text, sizeof text, "%s - %d (%d,%d);", s->m_szName, s->m_Placement.ServiceId,
                              s->m_Placement.WorldX, s->m_Placement.WorldY);
            else
                std::snprintf(text, sizeof text, "%s;", s->m_szName);
            m_strSpriteText += text;
        }
        int worldX = 0, worldY = 0;
        m_pMap->ViewToWorld(m_world.GetViewRect(), x, y, &worldX, &worldY);
        const POINT sub = ViewToSubgrid(x, y);
        const bool fragmented = m_pPathData->IsFragmented(cell.x, cell.y);
        const int path = fragmented ? m_pPathData->GetSubtilePathCost(cell.x, cell.y, sub.x, sub.y)
                                    : m_pPathData->GetPathCost(cell.x, cell.y);
        const int los = fragmented ? m_pPathData->GetSubtileLOSCost(cell.x, cell.y, sub.x, sub.y)
                                   : m_pPathData->GetLOSCost(cell.x, cell.y);
        std::snprintf(text, sizeof text,
                      " Mode(%s) View[%03d, %03d] World[%04d, %04d] Grid[%02d, %02d] Subgrid[%d, %d] TileID(%03d) "
                      "[%c] Path(%03d) LOS(%04d)",
                      ModeName(m_nMode), x, y, worldX, worldY, cell.x, cell.y, sub.x, sub.y,
                      m_pMap->GetTileIndex(cell.y, cell.x), fragmented ? 'F' : 'T', path, los);
        m_strPositionText = text;
    }
    m_host.SetStatusTexts(m_strSpriteText, m_strPositionText);
}

MapCursor CTacticalMapView::Cursor() const
{
    switch (m_nMode) {
    case kFragment:
        return MapCursor::Fragment;
    case kDragFeature:
    case kDragSquad:
        return MapCursor::Hidden;
    case kZoomIn:
        return MapCursor::ZoomIn;
    default:
        return MapCursor::Normal;
    }
}

// ---- drawing ----

void CTacticalMapView::Draw()
{
    if (!m_pDisplay || !m_pDisplay->IsUsable())
        return;
    m_layers.DrawAll(m_pDisplay->GetWindow(), m_pDisplay->GetBackBuffer());
    m_pDisplay->Present();
}

void CTacticalMapView::RedrawCell(int column, int row)
{
    m_host.Redraw(GridCellRect(column, row));
}

void CTacticalMapView::RedrawAll()
{
    m_host.Redraw(m_rcClient);
}

// ---- commands ----

void CTacticalMapView::SetZoom(int zoom)
{
    if (zoom == 0) {
        m_world.SetZoom(0);
        m_nTileSize = 32;
    } else {
        if (m_nMode == kZoomIn)
            m_nMode = kIdle;
        m_world.SetZoom(1);
        m_nTileSize = 8;
    }
    m_nZoom = zoom == 0 ? 0 : 1;
    RedrawAll();
    m_host.TakeFocus();
    UpdateOrigin();
}

void CTacticalMapView::EnterZoomIn()
{
    EndPreview();
    m_nMode = kZoomIn;
    m_host.UpdateCursor();
}

void CTacticalMapView::ToggleFragmentMode()
{
    EndPreview();
    m_nMode = m_nMode == kFragment ? kIdle : kFragment;
    m_host.UpdateCursor();
}

void CTacticalMapView::ToggleGrid()
{
    m_pGridLayer->SetVisible(!m_pGridLayer->IsVisible());
    RedrawAll();
}

void CTacticalMapView::ShowHideable(bool show)
{
    if (m_pSprites)
        m_pSprites->ShowHideableSprites(show);
    RedrawAll();
}

bool CTacticalMapView::ReloadCost()
{
    if (!m_pMap || !m_pPathData)
        return false;
    m_pMap->LoadTileTypes();
    m_pPathData->RecomputeAll([this]() { ApplyAllFootprints(); });
    m_bModified = true;
    RedrawAll();
    return true;
}

void CTacticalMapView::EndPreview()
{
    // Whatever the mode: a preview left in the list would be saved with the scenario.
    if (!m_pPreview || !m_pSprites)
        return;
    RECT area{m_pPreview->m_nScreenX, m_pPreview->m_nScreenY,
              m_pPreview->m_nScreenX + m_pPreview->m_rcSource.right - m_pPreview->m_rcSource.left,
              m_pPreview->m_nScreenY + m_pPreview->m_rcSource.bottom - m_pPreview->m_rcSource.top};
    m_pSprites->RemoveSprite(m_pPreview, true, true);
    m_pPreview = nullptr;
    m_host.Redraw(area);
}

void CTacticalMapView::CancelEdit()
{
    m_palette.ClearSelection();
    EndPreview();
    m_nMode = kIdle;
    UpdateStatus(m_nLastX, m_nLastY);
    m_host.UpdateCursor();
}

void CTacticalMapView::RecomputePreview()
{
    if (m_nMode == kDragFeature || m_nMode == kDragSquad || m_nMode == kIdle) {
        // The next mouse move picks the mode; a preview in place follows the new choice now.
        if (m_pPreview)
            MovePreview(0, m_nLastX, m_nLastY);
    }
}

// ---- mouse ----

void CTacticalMapView::MovePreview(uint32_t flags, int x, int y)
{
    if (!IsOnDrawnMap(x, y))
        return; // the preview stays where the map was last under the mouse
    const POINT cell = ViewToGrid(x, y);
    const POINT sub = ViewToSubgrid(x, y);
    const Choice choice = m_nMode == kMovingSquad ? MovingChoice() : PaletteChoice();
    Placement(choice, cell.x, cell.y, sub.x, sub.y, (flags & kShift) != 0, false, false);
}

void CTacticalMapView::OnMouseMove(uint32_t flags, int x, int y)
{
    UpdateStatus(x, y);
    const int before = m_nMode;
    if (m_nMode != kMovingSquad) {
        const bool feature = m_palette.GetSelectedFeatureTemplate() >= 0;
        const bool squad = m_palette.GetSelectedSquadTemplate() >= 0 || m_palette.GetSelectedVehicleTemplate() >= 0;
        if (feature) {
            if (m_nMode == kIdle)
                m_nMode = kDragFeature;
        } else {
            if (m_nMode == kDragFeature) {
                EndPreview();
                m_nMode = kIdle;
            }
            if (squad && m_nMode == kIdle)
                m_nMode = kDragSquad;
            if (!squad && m_nMode == kDragSquad) {
                EndPreview();
                m_nMode = kIdle;
            }
        }
    }
    if (m_nMode == kDragTile) {
        if (!(flags & kLeftButton)) {
            m_nMode = kIdle;
        } else if (IsOnDrawnMap(x, y)) {
            const POINT cell = ViewToGrid(x, y);
            Placement(PaletteChoice(), cell.x, cell.y, 0, 0, false, true, false);
            m_bModified = true;
        }
    }
    if (m_nMode == kDragFeature || m_nMode == kDragSquad || m_nMode == kMovingSquad) {
        m_nLastX = x;
        m_nLastY = y;
        MovePreview(flags, x, y);
    }
    if (m_nMode != before)
        m_host.UpdateCursor();
}

void CTacticalMapView::OnLButtonDown(uint32_t flags, int x, int y)
{
    UpdateStatus(x, y);
    const POINT cell = ViewToGrid(x, y);
    const POINT sub = ViewToSubgrid(x, y);
    m_pSelectedSprite = nullptr;
    m_nLastX = x;
    m_nLastY = y;
    const int before = m_nMode;
    // Off the drawn map a click edits nothing (zooming in still centres there).
    if (m_nMode != kZoomIn && m_nMode != kMovingSquad && !IsOnDrawnMap(x, y))
        return;
    switch (m_nMode) {
    case kIdle:
        if (m_pSprites) {
            const std::vector<CSprite*> under = m_pSprites->SpritesAtPoint(x, y);
            CSprite* head = under.empty() ? nullptr : CSpriteManager::GetLinkChainHead(under.front());
            if (head && (head->Kind() == kUnitSprite || head->Kind() == kVehicleSprite) && !(flags & kControl)) {
                m_palette.SelectUnitTemplate(head->m_Placement.AgencyIndex, head->Kind(), head->m_Placement.Id);
                m_pSelectedSprite = head;
                return;
            }
        }
        [[fallthrough]];
    case kDragTile:
    case kDragFeature:
    case kDragSquad: {
        const Choice choice = PaletteChoice();
        if (choice.tile)
            m_nMode = kDragTile;
        else if (choice.kind == kFeatureSprite)
            m_nMode = kDragFeature;
        else if (choice.kind == kUnitSprite || choice.kind == kVehicleSprite)
            m_nMode = kDragSquad;
        bool moving = false;
        if ((flags & kControl) && m_pSprites) {
            for (CSprite* s : m_pSprites->SpritesAtPoint(x, y)) {
                if (s == m_pPreview)
                    continue;
                if (s->Kind() == kUnitSprite || s->Kind() == kVehicleSprite) {
                    StartSquadMove(s, x, y, flags);
                    moving = true;
                }
                break;
            }
        }
        const bool shift = (flags & kShift) != 0;
        Placement(moving ? MovingChoice() : PaletteChoice(), cell.x, cell.y, sub.x, sub.y, shift, !moving,
                  shift && !moving);
        m_bModified = true;
        break;
    }
    case kFragment:
        ToggleFragmentAt(cell.x, cell.y);
        break;
    case kZoomIn: {
        int worldX = 0, worldY = 0;
        if (m_pMap)
            m_pMap->ViewToWorld(m_world.GetViewRect(), x, y, &worldX, &worldY);
        SetZoom(0);
        m_world.CenterViewAt(worldX, worldY);
        m_nMode = kIdle;
        UpdateOrigin();
        m_host.SetZoomRadios(false);
        RedrawAll();
        break;
    }
    default:
        break;
    }
    if (m_nMode != before)
        m_host.UpdateCursor();
}

void CTacticalMapView::OnLButtonUp(uint32_t flags, int x, int y)
{
    if (m_nMode == kDragTile)
        m_nMode = kIdle;
    else if (m_nMode == kMovingSquad)
        EndSquadMove(flags, x, y);
    UpdateStatus(x, y);
}

void CTacticalMapView::StartSquadMove(CSprite* sprite, int x, int y, uint32_t flags)
{
    CancelEdit();
    m_nMode = kMovingSquad;
    m_pMovingSquad = sprite;
    m_nLastX = x;
    m_nLastY = y;
    (void)flags;
    m_host.UpdateCursor();
}

void CTacticalMapView::EndSquadMove(uint32_t flags, int x, int y)
{
    const POINT cell = ViewToGrid(x, y);
    const POINT sub = ViewToSubgrid(x, y);
    // Let go off the drawn map, the squad stays where it was.
    if (m_pMovingSquad && m_pSprites && m_pSprites->ContainsSprite(m_pMovingSquad) && IsOnDrawnMap(x, y)) {
        MovePreview(flags, x, y);
        if (IsUnitBlocked(cell.x, cell.y, sub.x, sub.y)) {
            // As a drop from the palette: no squad stands where it could never move again.
            m_host.Beep();
        } else if (m_pPreview) {
            m_pMovingSquad->SetWorldPosition(m_pPreview->m_Placement.WorldX, m_pPreview->m_Placement.WorldY);
            if ((flags & kShift) && !m_pPathData->IsFragmented(cell.x, cell.y)) {
                m_pPathData->ToggleFragment(cell.x, cell.y);
                StampAtCell(cell.x, cell.y);
            }
            m_bModified = true;
        }
    }
    EndPreview();
    if (m_pSprites)
        m_pSprites->UpdateScreenRects(m_world.GetViewRect());
    m_pMovingSquad = nullptr;
    m_nMode = kIdle;
    RedrawAll();
    m_host.UpdateCursor();
}

void CTacticalMapView::OnRButtonDown(uint32_t, int x, int y)
{
    if (!Ready() || !IsOnDrawnMap(x, y))
        return;
    std::vector<CSprite*> under;
    for (CSprite* s : m_pSprites->SpritesAtPoint(x, y))
        if (s != m_pPreview)
            under.push_back(s);
    if (under.empty())
        return;
    std::vector<CSprite*> chosen = under;
    if (under.size() > 1 && !m_host.ChooseSpritesToDelete(under, &chosen))
        return;
    DeleteChains(chosen);
}

void CTacticalMapView::OnMouseWheel(int delta)
{
    const int direction = delta > 0 ? 1 : 0;
    if (m_palette.GetSelectedFeatureTemplate() >= 0)
        m_palette.SelectFeatureByKey(direction);
    else if (m_palette.GetSelectedSquadTemplate() >= 0 || m_palette.GetSelectedVehicleTemplate() >= 0)
        m_palette.SelectSquadByKey(direction);
    else if (m_palette.GetSelectedTile() >= 0)
        m_palette.SelectTileByKey(direction);
}

// ---- keys ----

void CTacticalMapView::OnKeyDown(uint32_t key, uint32_t flags)
{
    switch (key) {
    case 0x1B:
        CancelEdit();
        break;
    case 0x25:
    case 0x64:
    case 0x26:
    case 0x68:
    case 0x27:
    case 0x66:
    case 0x28:
    case 0x62: {
        const int dx = (key == 0x25 || key == 0x64) ? -1 : (key == 0x27 || key == 0x66) ? 1 : 0;
        const int dy = (key == 0x26 || key == 0x68) ? -1 : (key == 0x28 || key == 0x62) ? 1 : 0;
        m_world.ScrollByTiles(dx, dy);
        RedrawAll();
        break;
    }
    case 0x43:
    case 0x63:
        if (m_pSprites && m_palette.GetSelectedFeatureTemplate() >= 0) {
            m_palette.SelectFeatureTemplate(m_pSprites->NextTemplateInGroup(m_palette.GetSelectedFeatureTemplate()));
            if (m_nMode == kDragFeature)
                MovePreview(flags, m_nLastX, m_nLastY);
        }
        break;
    case 0x47:
    case 0x67:
        ToggleGrid();
        break;
    case 0x52:
    case 0x72:
        ShowHideable(false);
        break;
    case 0x6B:
    case 0xBB:
        EnterZoomIn();
        RedrawAll();
        break;
    case 0x6D:
    case 0xBD:
        SetZoom(1);
        m_host.SetZoomRadios(true);
        break;
    default:
        break;
    }
    UpdateOrigin();
}

void CTacticalMapView::OnKeyUp(uint32_t key)
{
    if (key != 0x52 && key != 0x72)
        return;
    if (m_host.IsShowChecked())
        ShowHideable(true);
    RedrawAll();
}

} // namespace tacmap
