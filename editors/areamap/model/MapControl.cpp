// The map control's layers, extents and drawing into a device bitmap.
#include "editors/areamap/model/MapControl.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace vellisk {

using platform::shapefile::ShapeKind;
using platform::shapefile::ShapePoint;

namespace {

namespace fs = std::filesystem;

// What is wrong with a ".shp" or ".shx" file's head (`what` names it in the text); empty when it looks whole.
std::string HeadProblem(const std::string& path, const std::string& what, const char* kind)
{
    FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return what + " cannot be opened (" + std::strerror(errno) + ")";
    unsigned char head[100];
    const size_t got = std::fread(head, 1, sizeof(head), file);
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    std::fclose(file);
    auto big32 = [&](size_t at) {
        return uint32_t(head[at]) << 24 | uint32_t(head[at + 1]) << 16 | uint32_t(head[at + 2]) << 8 | head[at + 3];
    };
    if (got < sizeof(head))
        return what + " is too short to be " + kind + " (" + std::to_string(got) + " bytes)";
    if (big32(0) != 9994)
        return what + " is not " + kind;
    const uint64_t declared = uint64_t(big32(24)) * 2; // in 16-bit words
    if (size >= 0 && declared > uint64_t(size))
        return what + " is cut short (" + std::to_string(size) + " of " + std::to_string(declared) + " bytes)";
    return {};
}

// A shapefile that did not read, in the editor's words: which part is missing or damaged. `reason` is the
// reader's own account, used only to tell an unknown shape type or a damaged record.
std::string ShapefileProblem(const std::string& path, const std::string& reason)
{
    std::error_code ec;
    const std::string shp = platform::ResolvePathCase(path);
    if (!fs::exists(shp, ec))
        return "the file is missing";
    if (!fs::is_regular_file(shp, ec))
        return "it is not a file";
    const std::string base = path.size() > 4 ? path.substr(0, path.size() - 4) : path;
    const std::string shxName = fs::path(base).filename().string() + ".shx";
    const std::string shx = platform::ResolvePathCase(base + ".shx");
    if (!fs::is_regular_file(shx, ec))
        return "its index file " + shxName + " is missing (a shapefile needs its .shx beside it)";
    std::string problem = HeadProblem(shp, "the file", "a shapefile");
    if (problem.empty())
        problem = HeadProblem(shx, "its index file " + shxName, "a shapefile index");
    if (!problem.empty())
        return problem;
    if (reason.rfind("unknown shape type ", 0) == 0)
        return "it holds shapes of a kind the map does not draw (" + reason.substr(8) + ")";
    if (reason.rfind("record ", 0) == 0) {
        const size_t end = reason.find_first_not_of("0123456789", 7);
        return reason.substr(0, end) + " is damaged";
    }
    return "the file is damaged";
}

} // namespace

bool CMapLayer::Load(std::string* error)
{
    std::string reason;
    if (platform::shapefile::ReadShapefile(m_strFile, m_shapes, &reason))
        return true;
    if (error)
        *error = ShapefileProblem(m_strFile, reason);
    return false;
}

bool CMapLayers::Add(std::unique_ptr<CMapLayer> layer)
{
    m_strLastError.clear();
    if (!layer)
        return false;
    std::string why;
    if (!layer->Load(&why)) {
        m_strLastError = layer->File() + ": " + why;
        return false;
    }
    m_layers.push_back(std::move(layer));
    return true;
}

CMapRectangle CMap1::FullExtent() const
{
    CMapRectangle r;
    bool any = false;
    for (int i = 0; i < m_layers.Count(); ++i) {
        const auto& shapes = m_layers.Item(i).Shapes();
        if (!shapes.hasBounds)
            continue;
        const auto& b = shapes.bounds;
        if (!any) {
            r = {b.minX, b.minY, b.maxX, b.maxY};
            any = true;
            continue;
        }
        r.left = std::min(r.left, b.minX);
        r.bottom = std::min(r.bottom, b.minY);
        r.right = std::max(r.right, b.maxX);
        r.top = std::max(r.top, b.maxY);
    }
    if (r.Width() <= 0 && r.Height() <= 0) {
        r.left -= 0.5;
        r.right += 0.5;
        r.bottom -= 0.5;
        r.top += 0.5;
    }
    return r;
}

namespace {

// Map units to pixels: one scale for both axes, the extent's centre at the picture's centre, y flipped.
struct Transform {
    double scale = 1;
    double centreX = 0;
    double centreY = 0;
    double halfWidth = 0;
    double halfHeight = 0;

    POINT operator()(const ShapePoint& p) const
    {
        // Far points are pulled in to a range the pixel arithmetic holds; they stay far outside the picture.
        const double limit = 1e9;
        double x = (p.x - centreX) * scale + halfWidth;
        double y = halfHeight - (p.y - centreY) * scale;
        x = std::isnan(x) ? limit : std::clamp(x, -limit, limit);
        y = std::isnan(y) ? limit : std::clamp(y, -limit, limit);
        return POINT{static_cast<int32_t>(std::floor(x + 0.5)), static_cast<int32_t>(std::floor(y + 0.5))};
    }
};

void DrawLayer(platform::gdi::DeviceContext& dc, const CMapLayer& layer, const Transform& to)
{
    using namespace platform::gdi;
    const COLORREF colour = layer.Symbol().Color();
    const auto& shapes = layer.Shapes();
    std::vector<POINT> points;
    std::vector<int> counts;
    for (const auto& shape : shapes.shapes) {
        if (shapes.kind == ShapeKind::Point) {
            for (const auto& part : shape.parts)
                for (const ShapePoint& p : part) {
                    POINT c = to(p);
                    dc.FillSolidRect(RECT{c.x - 1, c.y - 1, c.x + 2, c.y + 2}, colour);
                }
            continue;
        }
        points.clear();
        counts.clear();
        for (const auto& part : shape.parts) {
            for (const ShapePoint& p : part)
                points.push_back(to(p));
            counts.push_back(static_cast<int>(part.size()));
        }
        if (shapes.kind == ShapeKind::Polygon) {
            // Rings of a single point have no area and no outline.
            std::vector<POINT> rings;
            std::vector<int> sizes;
            size_t at = 0;
            for (int n : counts) {
                if (n >= 2) {
                    rings.insert(rings.end(), points.begin() + static_cast<long>(at),
                                 points.begin() + static_cast<long>(at + n));
                    sizes.push_back(n);
                }
                at += static_cast<size_t>(n);
            }
            if (!sizes.empty())
                dc.PolyPolygon(rings.data(), sizes.data(), static_cast<int>(sizes.size()));
            continue;
        }
        size_t at = 0;
        for (int n : counts) {
            dc.Polyline(points.data() + at, n);
            at += static_cast<size_t>(n);
        }
    }
}

} // namespace

bool CMap1::Draw(platform::gdi::DeviceBitmap& out, int width, int height) const
{
    using namespace platform::gdi;
    if (width < 1 || height < 1 || !out.Create(width, height, 32))
        return false;
    DeviceContext dc(out);
    dc.FillSolidRect(RECT{0, 0, width, height}, RGB(255, 255, 255));
    Transform to;
    const double w = m_extent.Width(), h = m_extent.Height();
    if (!(w > 0) && !(h > 0))
        return true; // no extent to fit: only the ground
    to.scale = std::min(w > 0 ? width / w : HUGE_VAL, h > 0 ? height / h : HUGE_VAL);
    if (!std::isfinite(to.scale) || !(to.scale > 0))
        return true;
    to.centreX = m_extent.left / 2 + m_extent.right / 2;
    to.centreY = m_extent.bottom / 2 + m_extent.top / 2;
    to.halfWidth = width / 2.0;
    to.halfHeight = height / 2.0;
    for (int i = 0; i < m_layers.Count(); ++i) {
        const CMapLayer& layer = m_layers.Item(i);
        dc.SelectPen(Pen{PS_SOLID, layer.Shapes().kind == ShapeKind::Polygon ? RGB(0, 0, 0) : layer.Symbol().Color()});
        dc.SelectBrush(Brush{BS_SOLID, layer.Symbol().Color()});
        DrawLayer(dc, layer, to);
    }
    return true;
}

} // namespace vellisk
