// Hand-made ".shp" and ".shx" bytes (big-endian file and record headers, little-endian content) for shapefile
// readers: points, arcs and polygons with or without Z and M, and deliberately broken records.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace shapebytes {

struct Files {
    std::string shp;
    std::string shx;
};

inline void Big32(std::string& out, int32_t v)
{
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}
inline void Little32(std::string& out, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF));
}
inline void Double(std::string& out, double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
}

// Shape type codes.
enum : int32_t { kPoint = 1, kArc = 3, kPolygon = 5, kMultiPoint = 8, kPointZ = 11, kArcZ = 13, kPolygonM = 25 };

using Points = std::vector<std::pair<double, double>>;

inline bool HasZ(int32_t type)
{
    return type >= 11 && type <= 18;
}
inline bool HasM(int32_t type)
{
    return HasZ(type) || (type >= 21 && type <= 28);
}

// The content of a point record (Z and M written when the type has them).
inline std::string PointRecord(int32_t type, double x, double y)
{
    std::string c;
    Little32(c, type);
    Double(c, x);
    Double(c, y);
    if (HasZ(type))
        Double(c, 7.0);
    if (HasM(type))
        Double(c, 9.0);
    return c;
}

// The content of an arc or polygon record: box, part count, point count, part starts, points, then Z and M.
inline std::string PolyRecord(int32_t type, const std::vector<int32_t>& starts, const Points& points)
{
    std::string c;
    Little32(c, type);
    double box[4] = {1e300, 1e300, -1e300, -1e300};
    for (const auto& [x, y] : points) {
        box[0] = std::min(box[0], x);
        box[1] = std::min(box[1], y);
        box[2] = std::max(box[2], x);
        box[3] = std::max(box[3], y);
    }
    for (double b : box)
        Double(c, points.empty() ? 0.0 : b);
    Little32(c, static_cast<int32_t>(starts.size()));
    Little32(c, static_cast<int32_t>(points.size()));
    for (int32_t s : starts)
        Little32(c, s);
    for (const auto& [x, y] : points) {
        Double(c, x);
        Double(c, y);
    }
    for (int pass = 0; pass < (HasZ(type) ? 2 : HasM(type) ? 1 : 0); ++pass) {
        Double(c, 0.0);
        Double(c, 1.0);
        for (size_t i = 0; i < points.size(); ++i)
            Double(c, static_cast<double>(i));
    }
    return c;
}

// A file of the given type holding the record contents in order.
inline Files Build(int32_t type, const std::vector<std::string>& records)
{
    auto header = [type](std::string& out, size_t totalBytes) {
        Big32(out, 9994);
        for (int i = 0; i < 5; ++i)
            Big32(out, 0);
        Big32(out, static_cast<int32_t>(totalBytes / 2));
        Little32(out, 1000);
        Little32(out, type);
        for (int i = 0; i < 8; ++i)
            Double(out, 0.0);
    };
    std::string body, index;
    size_t offset = 100;
    int32_t number = 1;
    for (const std::string& content : records) {
        Big32(body, number++);
        Big32(body, static_cast<int32_t>(content.size() / 2));
        body += content;
        Big32(index, static_cast<int32_t>(offset / 2));
        Big32(index, static_cast<int32_t>(content.size() / 2));
        offset += 8 + content.size();
    }
    Files f;
    header(f.shp, 100 + body.size());
    f.shp += body;
    header(f.shx, 100 + index.size());
    f.shx += index;
    return f;
}

} // namespace shapebytes
