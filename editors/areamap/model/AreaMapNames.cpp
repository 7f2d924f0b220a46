// Bitmap names and names from a new bitmap.
#include "editors/areamap/model/AreaMapNames.h"

#include "core/util/FileNames.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace vellisk {

bool MakeBitmapName(const std::string& name, std::string* bitmapName)
{
    std::string out = name.substr(0, name.find(".zra")) + ".bmp";
    if (out.size() > kMaxBitmapName)
        return false;
    *bitmapName = out;
    return true;
}

std::string FileTitle(const std::string& path)
{
    size_t cut = path.find_last_of("/\\");
    std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool MapsPictureName(const std::string& picturePath, const std::string& dataFolder, std::string* bitmapName)
{
    namespace fs = std::filesystem;
    const fs::path picture(platform::NormalizeSeparators(picturePath));
    const std::string name = picture.filename().string();
    if (!IsBareFileName(name) || name.size() > kMaxBitmapName)
        return false;
    // The picture need not exist yet; its folder must be the Maps folder itself.
    std::error_code ec;
    const std::string maps = platform::ResolvePathCase(platform::JoinPath(dataFolder, "Maps"));
    if (!fs::equivalent(platform::ResolvePathCase(picture.parent_path().string()), maps, ec))
        return false;
    *bitmapName = name;
    return true;
}

bool NamesFromBitmap(const std::string& bitmapPath, const std::string& dataFolder, CAreaMapNames* names)
{
    size_t cut = bitmapPath.find_last_of("/\\");
    if (cut == std::string::npos || cut == 0)
        return false;
    const std::string name = bitmapPath.substr(cut + 1);
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    size_t at = upper.find(".BMP");
    if (at == std::string::npos || upper.find(".BMP", at + 1) != std::string::npos)
        return false;
    upper.replace(at, 4, ".ZRA");
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return false;
    CAreaMapNames out;
    out.fileTitle = name.substr(0, dot);
    out.bitmapName = name;
    if (name.size() > kMaxBitmapName)
        return false;
    out.pathName = dataFolder.empty() ? upper : dataFolder + "/" + upper;
    *names = out;
    return true;
}

} // namespace vellisk
