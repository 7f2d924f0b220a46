// The map control: layers of shapefiles, each drawn in its symbol's colour, pictured over the current extent.
#pragma once

#include "platform/display/Geometry.h"
#include "platform/gdi/DeviceBitmap.h"
#include "platform/shapefile/Shapefile.h"

#include <memory>
#include <string>
#include <vector>

namespace vellisk {

// A rectangle in map units, y growing upwards.
struct CMapRectangle {
    double left = 0;
    double bottom = 0;
    double right = 0;
    double top = 0;
    double Width() const { return right - left; }
    double Height() const { return top - bottom; }
};

class CMapSymbol {
public:
    // A colour as 0x00BBGGRR.
    void SetColor(COLORREF colour) { m_colour = colour; }
    COLORREF Color() const { return m_colour; }

private:
    COLORREF m_colour = RGB(0, 0, 0);
};

// One shapefile shown on the map.
class CMapLayer {
public:
    void SetFile(const std::string& path) { m_strFile = path; }
    const std::string& File() const { return m_strFile; }
    CMapSymbol& Symbol() { return m_symbol; }
    const CMapSymbol& Symbol() const { return m_symbol; }
    // Reads the file; false with what is wrong in the editor's words (the file or its index missing, cut short or
    // not a shapefile, a damaged record).
    bool Load(std::string* error);
    const platform::shapefile::ShapeLayer& Shapes() const { return m_shapes; }

private:
    std::string m_strFile;
    CMapSymbol m_symbol;
    platform::shapefile::ShapeLayer m_shapes;
};

// The map's layers, drawn in the order they were added.
class CMapLayers {
public:
    // Reads the layer's file and adds it; false (the layer dropped, the reason kept) when it does not read.
    bool Add(std::unique_ptr<CMapLayer> layer);
    int Count() const { return static_cast<int>(m_layers.size()); }
    const CMapLayer& Item(int index) const { return *m_layers[static_cast<size_t>(index)]; }
    const std::string& LastError() const { return m_strLastError; }

private:
    std::vector<std::unique_ptr<CMapLayer>> m_layers;
    std::string m_strLastError;
};

class CMap1 {
public:
    CMapLayers& Layers() { return m_layers; }
    const CMapLayers& Layers() const { return m_layers; }
    // The union of the layers' bounds; one of no size (a single point, or no layer) is widened to one unit.
    CMapRectangle FullExtent() const;
    void SetExtent(const CMapRectangle& extent) { m_extent = extent; }
    const CMapRectangle& Extent() const { return m_extent; }

    // Pictures the extent in a new 32-bit bitmap of width x height: white ground, the extent fitted at one
    // scale and centred, y upwards; layers in order: polygons filled and outlined in black, arcs one pixel
    // wide, points 3 x 3, all in the symbol's colour, without anti-aliasing. False for a size below 1.
    bool Draw(platform::gdi::DeviceBitmap& out, int width, int height) const;

private:
    CMapLayers m_layers;
    CMapRectangle m_extent{-0.5, -0.5, 0.5, 0.5};
};

} // namespace vellisk
