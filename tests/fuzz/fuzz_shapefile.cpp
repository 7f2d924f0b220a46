// Fuzz target: a shapefile read from memory through shapelib's file hooks. Input: the ".shx" length (4 bytes,
// little-endian), the ".shx" bytes, then the ".shp" bytes.
#include "platform/shapefile/Shapefile.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const size_t shxSize =
        std::min<size_t>(size - 4, data[0] | (data[1] << 8) | (data[2] << 16) | (size_t(data[3]) << 24));
    const uint8_t* shx = data + 4;
    const uint8_t* shp = shx + shxSize;
    platform::shapefile::ShapeLayer layer;
    std::string error;
    if (platform::shapefile::ReadShapefileBytes(shp, size - 4 - shxSize, shx, shxSize, layer, &error)) {
        size_t vertices = 0;
        for (const auto& shape : layer.shapes)
            for (const auto& part : shape.parts) {
                if (part.empty())
                    __builtin_trap();
                for (const auto& p : part) {
                    if (!std::isfinite(p.x) || !std::isfinite(p.y))
                        __builtin_trap();
                    ++vertices;
                }
            }
        if (vertices > platform::shapefile::kMaxVertices || (vertices > 0) != layer.hasBounds)
            __builtin_trap();
    }
    return 0;
}
