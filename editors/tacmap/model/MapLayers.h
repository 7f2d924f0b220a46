// The map view's picture as a stack of named layers drawn into the display's back buffer: the terrain and the
// units through blits, the grid and the fragment outlines through a device context of the back buffer.
#pragma once

#include "platform/display/Geometry.h"

#include <memory>
#include <string>
#include <vector>

class CSurface;

namespace platform {
class IPresentTarget;
namespace gdi {
class DeviceContext;
}
} // namespace platform

namespace tacmap {

class CTacticalMapView;

class CMapLayer {
public:
    CMapLayer(CTacticalMapView* view, std::string name, bool usesGdi);
    virtual ~CMapLayer() = default;
    virtual void Draw(CSurface* target);
    virtual void DrawGDI(platform::gdi::DeviceContext& dc);
    virtual void Reserved() {}

    bool IsVisible() const { return m_bVisible; }
    void SetVisible(bool visible) { m_bVisible = visible; }
    bool UsesGDI() const { return m_bUsesGdi; }
    const std::string& GetName() const { return m_strName; }

protected:
    bool m_bVisible = true;
    bool m_bUsesGdi;
    CTacticalMapView* m_pView;
    std::string m_strName;
};

class CTerrainLayer : public CMapLayer {
public:
    explicit CTerrainLayer(CTacticalMapView* view) : CMapLayer(view, "Terrain", false) {}
    void Draw(CSurface* target) override;
};

class CUnitsLayer : public CMapLayer {
public:
    explicit CUnitsLayer(CTacticalMapView* view) : CMapLayer(view, "Units", false) {}
    void Draw(CSurface* target) override;
};

class CGridLayer : public CMapLayer {
public:
    static constexpr COLORREF kGreen = 0x428C40;
    static constexpr COLORREF kRed = 0x0000FF;
    static constexpr COLORREF kBlue = 0xFF0000;

    explicit CGridLayer(CTacticalMapView* view) : CMapLayer(view, "Grid", true) {}
    void DrawGDI(platform::gdi::DeviceContext& dc) override;
    // Lines every `size` pixels over the rectangle; every tenth map column and row (from 0) red.
    void DrawGrid(platform::gdi::DeviceContext& dc, const RECT& rect, int size);
    void DrawFragmentOutlines(platform::gdi::DeviceContext& dc, const RECT& rect, int size);
};

class CMapLayerStack {
public:
    CMapLayerStack() = default;
    ~CMapLayerStack();
    CMapLayerStack(const CMapLayerStack&) = delete;
    CMapLayerStack& operator=(const CMapLayerStack&) = delete;

    // Takes the layer; returns it.
    CMapLayer* Add(std::unique_ptr<CMapLayer> layer);
    // Each visible layer in order; a device context of the surface is taken only while layers that draw
    // through one follow each other ("DD error getting DC" to the error log when it cannot be had).
    void DrawAll(platform::IPresentTarget* window, CSurface* surface);
    const std::vector<std::unique_ptr<CMapLayer>>& Layers() const { return m_vLayers; }
    // How many device contexts DrawAll took (the last call).
    int DeviceContextsTaken() const { return m_nTaken; }

private:
    void GiveBack(CSurface* surface);

    std::vector<std::unique_ptr<CMapLayer>> m_vLayers;
    platform::gdi::DeviceContext* m_pDC = nullptr;
    bool m_bTaken = false;
    int m_nTaken = 0;
};

} // namespace tacmap
