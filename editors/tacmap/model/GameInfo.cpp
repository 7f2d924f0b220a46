// "GameInfo.txt" for the scenario editor: read with the core's reader, refused when it cannot serve.
#include "editors/tacmap/model/GameInfo.h"

#include "core/world/GameInfo.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>

namespace tacmap {

bool ReadGameInfo(const std::string& dataFolder, int lines, std::vector<std::string>* names)
{
    const std::string path = platform::JoinPath(dataFolder, "GameInfo.txt");
    CGameInfo info;
    std::string why;
    if (!::ReadGameInfo(path, info, &why)) {
        if (why == path) {
            platform::ShowMessageBox("Failed to open the game info file.", path, platform::MessageIcon::Error);
            platform::DebugOutput(path);
        } else {
            platform::ShowMessageBox(why, path, platform::MessageIcon::Error);
            platform::DebugOutput(path + ": " + why);
        }
        return false;
    }
    const bool opening = lines >= CGameInfo::kLineCount;
    const bool usable =
        opening ? CheckGameInfoLines(info,
                                     {CGameInfo::kTileArtSmall, CGameInfo::kTileArtLarge, CGameInfo::kTileTypeList,
                                      CGameInfo::kPopupMenuList},
                                     &why)
                : CheckGameInfoLines(info,
                                     {CGameInfo::kTileArtSmall, CGameInfo::kTileArtLarge, CGameInfo::kTileTypeList,
                                      CGameInfo::kUnitTaskList, CGameInfo::kTerrainFeatureList,
                                      CGameInfo::kPopupMenuList, CGameInfo::kStationList},
                                     &why);
    if (!usable) {
        platform::ShowMessageBox(why, path, platform::MessageIcon::Error);
        platform::DebugOutput(path + ": " + why);
        return false;
    }
    const size_t count = lines < 0 ? 0 : std::min<size_t>(static_cast<size_t>(lines), info.aNames.size());
    names->assign(info.aNames.begin(), info.aNames.begin() + static_cast<long>(count));
    names->resize(static_cast<size_t>(lines < 0 ? 0 : lines));
    return true;
}

} // namespace tacmap
