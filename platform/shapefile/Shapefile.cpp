// Shapefile reading and writing through shapelib, with its file hooks pointed at disk or at bytes in memory.
#include "platform/shapefile/Shapefile.h"

#include "platform/system/Paths.h"

#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <strings.h>

namespace platform::shapefile {
namespace {

// The bytes the memory hooks serve, by extension.
struct MemorySet {
    const uint8_t* shp = nullptr;
    size_t shpSize = 0;
    const uint8_t* shx = nullptr;
    size_t shxSize = 0;
};

// The hooks carry no context: the set and the error text live per thread for one call.
thread_local const MemorySet* t_pMemory = nullptr;
thread_local std::string t_strError;

struct HookFile {
    FILE* file = nullptr;
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
};

HookFile* AsFile(SAFile f)
{
    return reinterpret_cast<HookFile*>(f);
}

bool EndsWithNoCase(const char* text, const char* tail)
{
    size_t a = std::strlen(text), b = std::strlen(tail);
    return a >= b && strcasecmp(text + a - b, tail) == 0;
}

SAFile HookOpen(const char* name, const char* access)
{
    auto file = std::make_unique<HookFile>();
    if (t_pMemory) {
        if (access[0] != 'r' || std::strchr(access, '+'))
            return nullptr;
        if (EndsWithNoCase(name, ".shp")) {
            file->data = t_pMemory->shp;
            file->size = t_pMemory->shpSize;
        } else if (EndsWithNoCase(name, ".shx")) {
            file->data = t_pMemory->shx;
            file->size = t_pMemory->shxSize;
        } else {
            return nullptr;
        }
        if (!file->data)
            return nullptr;
    } else {
        file->file = platform::OpenFile(name, access);
        if (!file->file)
            return nullptr;
    }
    return reinterpret_cast<SAFile>(file.release());
}

SAOffset HookRead(void* p, SAOffset size, SAOffset count, SAFile f)
{
    HookFile* file = AsFile(f);
    if (file->file)
        return std::fread(p, size, count, file->file);
    if (size == 0 || file->pos >= file->size)
        return 0;
    SAOffset items = std::min<SAOffset>(count, (file->size - file->pos) / size);
    std::memcpy(p, file->data + file->pos, items * size);
    file->pos += items * size;
    return items;
}

SAOffset HookWrite(void* p, SAOffset size, SAOffset count, SAFile f)
{
    HookFile* file = AsFile(f);
    return file->file ? std::fwrite(p, size, count, file->file) : 0;
}

SAOffset HookSeek(SAFile f, SAOffset offset, int whence)
{
    HookFile* file = AsFile(f);
    if (file->file)
        return std::fseek(file->file, static_cast<long>(offset), whence) == 0 ? 0 : static_cast<SAOffset>(-1);
    size_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file->pos : file->size;
    if (offset > SIZE_MAX - base)
        return static_cast<SAOffset>(-1);
    file->pos = base + offset;
    return 0;
}

SAOffset HookTell(SAFile f)
{
    HookFile* file = AsFile(f);
    if (file->file) {
        long at = std::ftell(file->file);
        return at < 0 ? 0 : static_cast<SAOffset>(at);
    }
    return file->pos;
}

int HookFlush(SAFile f)
{
    HookFile* file = AsFile(f);
    return file->file ? std::fflush(file->file) : 0;
}

int HookClose(SAFile f)
{
    HookFile* file = AsFile(f);
    int result = file->file ? std::fclose(file->file) : 0;
    delete file;
    return result;
}

int HookRemove(const char* name)
{
    return t_pMemory ? -1 : std::remove(name);
}

void HookError(const char* message)
{
    if (t_strError.empty() && message)
        t_strError = message;
}

double HookAtof(const char* text)
{
    return std::strtod(text, nullptr);
}

SAHooks Hooks()
{
    SAHooks hooks;
    SASetupDefaultHooks(&hooks);
    hooks.FOpen = HookOpen;
    hooks.FRead = HookRead;
    hooks.FWrite = HookWrite;
    hooks.FSeek = HookSeek;
    hooks.FTell = HookTell;
    hooks.FFlush = HookFlush;
    hooks.FClose = HookClose;
    hooks.Remove = HookRemove;
    hooks.Error = HookError;
    hooks.Atof = HookAtof;
    return hooks;
}

bool Fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return false;
}

bool KindOf(int type, ShapeKind* kind)
{
    switch (type) {
    case SHPT_POINT:
    case SHPT_POINTZ:
    case SHPT_POINTM:
    case SHPT_MULTIPOINT:
    case SHPT_MULTIPOINTZ:
    case SHPT_MULTIPOINTM:
        *kind = ShapeKind::Point;
        return true;
    case SHPT_ARC:
    case SHPT_ARCZ:
    case SHPT_ARCM:
        *kind = ShapeKind::Arc;
        return true;
    case SHPT_POLYGON:
    case SHPT_POLYGONZ:
    case SHPT_POLYGONM:
        *kind = ShapeKind::Polygon;
        return true;
    default:
        return false;
    }
}

struct ObjectDeleter {
    void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};
struct HandleCloser {
    void operator()(SHPInfo* h) const { SHPClose(h); }
};

// One record into a shape; false with a reason when its counts or coordinates are unusable.
bool TakeRecord(const SHPObject& o, ShapeKind kind, size_t* vertices, Shape& shape, std::string& why)
{
    if (o.nVertices < 0 || o.nParts < 0 || (o.nVertices > 0 && (!o.padfX || !o.padfY))) {
        why = "bad vertex or part count";
        return false;
    }
    if (static_cast<size_t>(o.nVertices) > kMaxVertices - *vertices) {
        why = "too many vertices";
        return false;
    }
    *vertices += static_cast<size_t>(o.nVertices);
    for (int i = 0; i < o.nVertices; ++i)
        if (!std::isfinite(o.padfX[i]) || !std::isfinite(o.padfY[i])) {
            why = "a coordinate is not a finite number";
            return false;
        }
    if (kind == ShapeKind::Point) {
        std::vector<ShapePoint> points;
        for (int i = 0; i < o.nVertices; ++i)
            points.push_back({o.padfX[i], o.padfY[i]});
        if (!points.empty())
            shape.parts.push_back(std::move(points));
        return true;
    }
    if (o.nVertices == 0)
        return true;
    if (o.nParts == 0 || !o.panPartStart || o.panPartStart[0] != 0) {
        why = "bad part count";
        return false;
    }
    for (int p = 0; p < o.nParts; ++p) {
        int from = o.panPartStart[p];
        int to = p + 1 < o.nParts ? o.panPartStart[p + 1] : o.nVertices;
        if (from < 0 || to > o.nVertices || to <= from) {
            why = "bad part start";
            return false;
        }
        std::vector<ShapePoint> part;
        for (int i = from; i < to; ++i)
            part.push_back({o.padfX[i], o.padfY[i]});
        shape.parts.push_back(std::move(part));
    }
    return true;
}

void AddBounds(ShapeLayer& layer)
{
    for (const Shape& s : layer.shapes)
        for (const auto& part : s.parts)
            for (const ShapePoint& p : part) {
                if (!layer.hasBounds) {
                    layer.bounds = {p.x, p.y, p.x, p.y};
                    layer.hasBounds = true;
                }
                layer.bounds.minX = std::min(layer.bounds.minX, p.x);
                layer.bounds.minY = std::min(layer.bounds.minY, p.y);
                layer.bounds.maxX = std::max(layer.bounds.maxX, p.x);
                layer.bounds.maxY = std::max(layer.bounds.maxY, p.y);
            }
}

bool ReadOpen(const std::string& name, ShapeLayer& out, std::string* error)
{
    out = ShapeLayer();
    t_strError.clear();
    SAHooks hooks = Hooks();
    std::unique_ptr<SHPInfo, HandleCloser> handle(SHPOpenLL(name.c_str(), "rb", &hooks));
    if (!handle)
        return Fail(error, t_strError.empty() ? "cannot open the .shp and .shx files" : t_strError);
    int count = 0, type = 0;
    double minBound[4], maxBound[4];
    SHPGetInfo(handle.get(), &count, &type, minBound, maxBound);
    ShapeLayer layer;
    if (!KindOf(type, &layer.kind))
        return Fail(error, "unknown shape type " + std::to_string(type));
    if (count < 0)
        return Fail(error, "bad record count");
    size_t vertices = 0;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<SHPObject, ObjectDeleter> object(SHPReadObject(handle.get(), i));
        if (!object)
            return Fail(error, "record " + std::to_string(i + 1) + " is damaged" +
                                   (t_strError.empty() ? std::string() : ": " + t_strError));
        if (object->nSHPType == SHPT_NULL)
            continue;
        if (object->nSHPType != type)
            return Fail(error, "record " + std::to_string(i + 1) + " has another shape type");
        Shape shape;
        std::string why;
        if (!TakeRecord(*object, layer.kind, &vertices, shape, why))
            return Fail(error, "record " + std::to_string(i + 1) + ": " + why);
        if (!shape.parts.empty())
            layer.shapes.push_back(std::move(shape));
    }
    AddBounds(layer);
    out = std::move(layer);
    return true;
}

} // namespace

bool ReadShapefile(const std::string& path, ShapeLayer& out, std::string* error)
{
    t_pMemory = nullptr;
    return ReadOpen(path, out, error);
}

bool ReadShapefileBytes(const uint8_t* shp, size_t shpSize, const uint8_t* shx, size_t shxSize, ShapeLayer& out,
                        std::string* error)
{
    static const uint8_t kNone = 0;
    MemorySet set{shp ? shp : &kNone, shp ? shpSize : 0, shx ? shx : &kNone, shx ? shxSize : 0};
    t_pMemory = &set;
    bool ok = ReadOpen("memory.shp", out, error);
    t_pMemory = nullptr;
    return ok;
}

bool WriteShapefile(const std::string& base, const ShapeLayer& layer, const std::vector<std::string>& names,
                    std::string* error)
{
    t_pMemory = nullptr;
    t_strError.clear();
    int type = SHPT_POLYGON;
    if (layer.kind == ShapeKind::Arc) {
        type = SHPT_ARC;
    } else if (layer.kind == ShapeKind::Point) {
        bool single = std::all_of(layer.shapes.begin(), layer.shapes.end(),
                                  [](const Shape& s) { return s.parts.size() == 1 && s.parts[0].size() == 1; });
        type = single ? SHPT_POINT : SHPT_MULTIPOINT;
    }
    SAHooks hooks = Hooks();
    std::unique_ptr<SHPInfo, HandleCloser> shp(SHPCreateLL(base.c_str(), type, &hooks));
    if (!shp)
        return Fail(error, "cannot create " + base + ".shp");
    for (size_t i = 0; i < layer.shapes.size(); ++i) {
        std::vector<int> starts;
        std::vector<double> xs, ys;
        for (const auto& part : layer.shapes[i].parts) {
            starts.push_back(static_cast<int>(xs.size()));
            for (const ShapePoint& p : part) {
                xs.push_back(p.x);
                ys.push_back(p.y);
            }
        }
        bool parted = type == SHPT_ARC || type == SHPT_POLYGON;
        std::unique_ptr<SHPObject, ObjectDeleter> object(
            SHPCreateObject(type, -1, parted ? static_cast<int>(starts.size()) : 0, parted ? starts.data() : nullptr,
                            nullptr, static_cast<int>(xs.size()), xs.data(), ys.data(), nullptr, nullptr));
        if (!object || SHPWriteObject(shp.get(), -1, object.get()) < 0)
            return Fail(error, "cannot write record " + std::to_string(i + 1) + " of " + base + ".shp");
    }
    shp.reset();

    std::string dbfPath = base + ".dbf";
    DBFHandle dbf = DBFCreateLL(dbfPath.c_str(), nullptr, &hooks);
    if (!dbf)
        return Fail(error, "cannot create " + dbfPath);
    bool ok = DBFAddField(dbf, "NAME", FTString, 40, 0) == 0;
    DBFSetLastModifiedDate(dbf, 104, 1, 1);
    for (size_t i = 0; ok && i < layer.shapes.size(); ++i) {
        const std::string name = i < names.size() ? names[i] : std::string();
        ok = DBFWriteStringAttribute(dbf, static_cast<int>(i), 0, name.c_str()) != 0;
    }
    DBFClose(dbf);
    if (!ok)
        return Fail(error, "cannot write " + dbfPath);
    return true;
}

} // namespace platform::shapefile
