// The map layers: terrain and units through the world's draw, grid lines and fragment outlines through GDI.
#include "editors/tacmap/model/MapLayers.h"

#include "core/display/CErrorLog.h"
#include "core/display/CSurface.h"
#include "core/world/Map2DLinked.h"
#include "editors/tacmap/model/EditorWorld.h"
#include "editors/tacmap/model/TacticalMapView.h"
#include "platform/gdi/DeviceContext.h"

namespace tacmap {

using platform::gdi::DeviceContext;
using platform::gdi::Pen;

CMapLayer::CMapLayer(CTacticalMapView* view, std::string name, bool usesGdi)
    : m_bUsesGdi(usesGdi), m_pView(view), m_strName(std::move(name))
{
}

void CMapLayer::Draw(CSurface*) {}
void CMapLayer::DrawGDI(DeviceContext&) {}

void CTerrainLayer::Draw(CSurface*)
{
    CEditorWorld& world = m_pView->World();
    world.MarkTerrainRedraw(true);
    world.Draw();
}

void CUnitsLayer::Draw(CSurface*)
{
    CEditorWorld& world = m_pView->World();
    world.MarkUnitsRedraw(false);
    world.Draw();
}

void CGridLayer::DrawGDI(DeviceContext& dc)
{
    const RECT all{0, 0, 800, 600};
    DrawGrid(dc, all, m_pView->GetTileSize());
    DrawFragmentOutlines(dc, all, m_pView->GetTileSize());
}

void CGridLayer::DrawGrid(DeviceContext& dc, const RECT& rect, int size)
{
    if (size <= 0)
        return;
    const Pen green{platform::gdi::PS_SOLID, kGreen};
    const Pen red{platform::gdi::PS_SOLID, kRed};
    const Pen old = dc.SelectPen(green);
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    const int column0 = m_pView->GetOriginColumn();
    const int row0 = m_pView->GetOriginRow();
    for (int i = 0; i <= w / size; ++i) {
        dc.SelectPen((column0 + i) % 10 == 0 ? red : green);
        dc.MoveTo(i * size, 0);
        dc.LineTo(i * size, h + 1);
    }
    for (int j = 0; j <= h / size; ++j) {
        dc.SelectPen((row0 + j) % 10 == 0 ? red : green);
        dc.MoveTo(0, j * size);
        dc.LineTo(w + 1, j * size);
    }
    dc.SelectPen(old);
}

void CGridLayer::DrawFragmentOutlines(DeviceContext& dc, const RECT& rect, int size)
{
    CMap2DLinked* map = m_pView->World().GetMap();
    CPathData* grid = m_pView->World().GetPathData();
    if (!map || !grid || size <= 0)
        return;
    const Pen old = dc.SelectPen(Pen{platform::gdi::PS_SOLID, kBlue});
    const int column0 = m_pView->GetOriginColumn();
    const int row0 = m_pView->GetOriginRow();
    const RECT shown{column0, row0, column0 + (rect.right - rect.left) / size, row0 + (rect.bottom - rect.top) / size};
    for (int row = 0; row < map->GetRows(); ++row) {
        for (int column = 0; column < map->GetColumns(); ++column) {
            if (column < shown.left || column >= shown.right || row < shown.top || row >= shown.bottom ||
                !grid->IsFragmented(column, row))
                continue;
            const int x = (column - column0) * size;
            const int y = (row - row0) * size;
            dc.MoveTo(x, y);
            dc.LineTo(x + size, y);
            dc.LineTo(x + size, y + size);
            dc.LineTo(x, y + size);
            dc.LineTo(x, y);
        }
    }
    dc.SelectPen(old);
}

// ---- the stack ----

CMapLayerStack::~CMapLayerStack() = default;

CMapLayer* CMapLayerStack::Add(std::unique_ptr<CMapLayer> layer)
{
    m_vLayers.push_back(std::move(layer));
    return m_vLayers.back().get();
}

void CMapLayerStack::GiveBack(CSurface* surface)
{
    if (m_bTaken && surface)
        surface->ReleaseDC(m_pDC);
    m_pDC = nullptr;
    m_bTaken = false;
}

void CMapLayerStack::DrawAll(platform::IPresentTarget* window, CSurface* surface)
{
    CErrorLog log;
    m_nTaken = 0;
    for (const auto& layer : m_vLayers) {
        if (!layer->IsVisible())
            continue;
        if (layer->UsesGDI()) {
            if (!m_bTaken) {
                if (!surface || surface->GetDC(&m_pDC) != DD_OK) {
                    log.LogError(DDERR_GENERIC, window, "DD error getting DC");
                    continue;
                }
                m_bTaken = true;
                ++m_nTaken;
            }
            layer->DrawGDI(*m_pDC);
        } else {
            GiveBack(surface);
            layer->Draw(surface);
        }
    }
    GiveBack(surface);
}

} // namespace tacmap
