// Shapefile kinds, the locator's listing and sorting, the map dialog's layers and the saved map picture.
#include "editors/areamap/model/EsriData.h"

#include "editors/common/model/SaveFailure.h"

#include "imagelib/Raster.h"
#include "imagelib/gdi/RasterGdi.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <strings.h>

namespace fs = std::filesystem;

namespace vellisk {
namespace {

const char* const kMissingTexts[kBasicKinds] = {"County line data\n", "City/town data\n", "Water data\n",
                                                "Road data\n"};

std::string FileName(const std::string& path)
{
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool IsShapefileName(const std::string& name)
{
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".shp") == 0;
}

} // namespace

ShapefileKind ClassifyShapefile(const std::string& path)
{
    std::string name = FileName(path);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    static const char* const kCodes[kBasicKinds] = {"cty", "plc", "wat", "lka"};
    for (int k = 0; k < kBasicKinds; ++k)
        if (name.find(kCodes[k]) != std::string::npos)
            return static_cast<ShapefileKind>(k);
    return kOtherShapefile;
}

COLORREF LayerColour(ShapefileKind kind)
{
    switch (kind) {
    case kCountyLine:
        return RGB(131, 187, 68);
    case kCityTown:
        return RGB(255, 255, 208);
    case kWater:
        return RGB(5, 158, 250);
    default:
        return RGB(0, 0, 0);
    }
}

CLocatorOutcome LocateEsriData(const std::string& folderText)
{
    using platform::MessageIcon;
    CLocatorOutcome out;
    std::error_code ec;
    if (folderText.empty() || !fs::is_directory(folderText, ec)) {
        out.messages.push_back({"The path provided is invalid. Please correct it and try again or cancel.",
                                "Invalid Path", MessageIcon::Warning});
        return out;
    }
    out.folder = folderText;
    if (out.folder.back() != '/' && out.folder.back() != '\\')
        out.folder += '/';

    std::vector<std::string> names;
    for (fs::directory_iterator it(out.folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (IsShapefileName(name) && it->is_regular_file(ec))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) {
        out.messages.push_back({"No ESRI shape files (*.shp) were found in the specified directory:\n\n\t" +
                                    out.folder +
                                    "\n\nPlease verify the location of the ESRI data and specify the correct path.",
                                "Can't find ESRI data", MessageIcon::Warning});
        return out;
    }
    const size_t found = names.size();
    if (names.size() > static_cast<size_t>(kShapefileSlots))
        names.resize(kShapefileSlots);

    // The listing replaces every slot (names of an earlier folder do not survive).
    out.slotsSet = true;
    for (size_t i = 0; i < names.size(); ++i)
        out.slots[i] = out.folder + names[i];

    ShapefileSlots sorted;
    bool missing[kBasicKinds] = {true, true, true, true};
    int next = kBasicKinds, others = 0;
    for (const std::string& name : names) {
        ShapefileKind kind = ClassifyShapefile(name);
        if (kind != kOtherShapefile) {
            sorted[kind] = out.folder + name;
            missing[kind] = false;
        } else if (next < kShapefileSlots) {
            sorted[next++] = out.folder + name;
        } else {
            ++others;
        }
    }
    std::string missingText;
    int missingCount = 0;
    for (int k = 0; k < kBasicKinds; ++k) {
        missingText += missing[k] ? kMissingTexts[k] : "";
        missingCount += missing[k];
    }
    if (missingCount == kBasicKinds) {
        out.messages.push_back({"None of the basic ESRI data files were found:\n\n" + missingText +
                                    "\nThe software can't work without them. Please get the data from the ESRI web "
                                    "site.",
                                "Partial ESRI Data Set", MessageIcon::Warning});
        return out;
    }
    if (found > names.size() || others > 0)
        out.messages.push_back({"The folder holds more shape files than a map can use (20, of which 16 of other "
                                "kinds). Only the first by name were taken:\n\n" +
                                    std::to_string(found) + " found, " +
                                    std::to_string(found - names.size() + static_cast<size_t>(others)) + " left out.",
                                "Partial ESRI Data Set", MessageIcon::None});
    if (missingCount > 0)
        out.messages.push_back({"The ESRI data found is missing basic types:\n\n" + missingText +
                                    "\nThe software can work without them but the resulting map might be less than "
                                    "expected.",
                                "Partial ESRI Data Set", MessageIcon::None});
    out.slots = sorted;
    out.accepted = true;
    return out;
}

CUserMessage AddShapefileLayers(CMap1& map, const ShapefileSlots& slots)
{
    std::string failed;
    for (const std::string& slot : slots) {
        if (slot.empty())
            continue;
        auto layer = std::make_unique<CMapLayer>();
        layer->SetFile(slot);
        layer->Symbol().SetColor(LayerColour(ClassifyShapefile(slot)));
        if (!map.Layers().Add(std::move(layer)))
            failed += "\n" + map.Layers().LastError();
    }
    map.SetExtent(map.FullExtent());
    if (failed.empty())
        return {};
    return {"These shape files could not be read and are left off the map:\n" + failed, "Map Layer Error",
            platform::MessageIcon::Warning};
}

SIZE CaptureSize(int clientWidth, int clientHeight)
{
    return SIZE{std::max(0, std::min(kMapBitmapWidth, clientWidth)),
                std::max(0, std::min(kMapBitmapHeight, clientHeight))};
}

CUserMessage OutsideMapsMessage(const std::string& picturePath, const std::string& dataFolder,
                                const std::string& caption)
{
    return {"The map picture " + picturePath + " is not in the Maps folder:\n\n\t" + dataFolder +
                "/Maps\n\nAn area map finds its picture only there. Please choose a file in that folder.",
            caption, platform::MessageIcon::Warning};
}

bool SaveMapPicture(const platform::gdi::DeviceBitmap& picture, const SIZE& size, const std::string& path,
                    CUserMessage* failure)
{
    bool ok = false;
    platform::gdi::DeviceBitmap part;
    const int w = std::min<int>(size.cx, picture.Width()), h = std::min<int>(size.cy, picture.Height());
    if (w > 0 && h > 0 && part.Create(w, h, 32)) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                part.SetRaw(x, y, picture.GetRaw(x, y));
        CRaster image(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 24, RASTER_FORMAT_BMP);
        errno = 0;
        ok = image.CreateFromHBITMAP(part) && image.Save(path.c_str(), image.GetType());
    }
    if (!ok && failure) {
        const std::string why = SaveFailureReasonOr("Is it read only?", path, errno);
        *failure = {"File [" + path + "] could not be saved. " + why, "File Save Error",
                    platform::MessageIcon::Warning};
    }
    return ok;
}

} // namespace vellisk
