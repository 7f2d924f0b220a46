// The lobby's layout table, its scenario and saved-game lists and the machine's own address.
#include "game/screens/lobby/MPlayIF.h"

#include "core/persist/DataRange.h"
#include "core/util/ByteStream.h"
#include "core/util/TextLine.h"
#include "game/app/SavedGame.h"
#include "platform/net/Addresses.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr size_t kLineMax = 1024;

// The next comma-separated field from `pos`; the position moves past its comma.
std::string NextField(const std::string& line, size_t& pos)
{
    if (pos > line.size())
        return {};
    const size_t comma = line.find(',', pos);
    const size_t end = comma == std::string::npos ? line.size() : comma;
    std::string field = line.substr(pos, end - pos);
    pos = comma == std::string::npos ? line.size() + 1 : comma + 1;
    return field;
}

// A decimal integer field, saturated at the int64 limits; an empty field reads as 0, and so does text that is
// not a number, which is told once.
int64_t IntField(const std::string& field, CListRange& range, int row, const char* name)
{
    const char* s = field.c_str();
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(s, &end, 10);
    if (end == s) {
        if (field.find_first_not_of(" \t\r") != std::string::npos)
            range.Refuse(row, name, "\"" + field + "\" is not a number; 0 is used");
        return 0;
    }
    return value;
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
}

} // namespace

bool CMultiplayerMenuData::Load(const std::string& base, const std::string& file)
{
    m_aRows.clear();
    const std::string path = platform::JoinPath(base, file);
    FILE* in = platform::OpenFile(path, "rb");
    if (!in) {
        platform::ShowMessageBox(path, "Failed to open file", platform::MessageIcon::Error);
        return false;
    }
    const bool ok = Read(in, path);
    std::fclose(in);
    return ok;
}

bool CMultiplayerMenuData::Read(FILE* file, const std::string& where)
{
    m_aRows.clear();
    std::string line;
    for (int i = 0; i < 3; ++i)
        if (!ReadBoundedLine(file, line, kLineMax))
            return true;
    CListRange range(where);
    while (static_cast<int>(m_aRows.size()) < kMaxRows && ReadBoundedLine(file, line, kLineMax)) {
        CMultiplayerMenuRow row;
        const int at = 4 + static_cast<int>(m_aRows.size()); // the file's line
        size_t pos = 0;
        row.strName = NextField(line, pos).substr(0, 259);
        row.strText = NextField(line, pos).substr(0, 99);
        const int64_t x = IntField(NextField(line, pos), range, at, "X");
        const int64_t y = IntField(NextField(line, pos), range, at, "Y");
        const int64_t link = IntField(NextField(line, pos), range, at, "Link");
        row.nValue = range.Int(at, "Value", IntField(NextField(line, pos), range, at, "Value"), -1000000, 1000000);
        // A row placed off the 800 x 600 screen ends the game (exit code 1) once the message is shown.
        if (x > 800 || y > 600) {
            RaiseScreenFatal(where + ": row " + std::to_string(m_aRows.size()));
            return false;
        }
        // Left of or above the screen: moved to its edge.
        row.nX = range.Int(at, "X", x, 0, 800);
        row.nY = range.Int(at, "Y", y, 0, 600);
        // A link names another row's line (4 to 43); past the table it links nothing.
        if (link > 3 + kMaxRows) {
            range.Refuse(at, "Link",
                         std::to_string(link) + " is outside 4 to " + std::to_string(3 + kMaxRows) + "; 0 is used");
            row.nLink = 0;
        } else {
            row.nLink = static_cast<int32_t>(std::max<int64_t>(link, INT32_MIN));
        }
        if (row.nLink > 0)
            row.nLink -= 4;
        m_aRows.push_back(row);
        if (row.strName.empty())
            break;
    }
    return true;
}

std::vector<std::string> MPlayIF::ListScenarios(const std::string& folder)
{
    std::vector<std::string> scenarios;
    std::set<std::string> areaMaps;
    std::error_code ec;
    std::vector<std::string> candidates;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        if (!it->is_regular_file(kind))
            continue;
        const fs::path name = it->path().filename();
        const std::string ext = Lower(name.extension().string());
        if (ext == ".zra")
            areaMaps.insert(Lower(name.stem().string()));
        else if (ext == ".zri")
            candidates.push_back(name.stem().string());
    }
    std::sort(candidates.begin(), candidates.end(), LessIgnoringCase);
    for (const std::string& stem : candidates) {
        if (stem.size() > kListNameMax || scenarios.size() >= kListMax)
            break;
        if (areaMaps.count(Lower(stem)))
            scenarios.push_back(stem);
    }
    return scenarios;
}

namespace {

// A saved game's folder: its "SaveData.zrd" opens and begins with a whole header naming a scenario, whatever
// else the folder holds.
bool HoldsReadableSave(const fs::path& folder)
{
    FILE* file = platform::OpenFile((folder / "SaveData.zrd").string(), "rb");
    if (!file)
        return false;
    uint8_t bytes[kSaveHeaderSize];
    const bool whole = std::fread(bytes, 1, sizeof bytes, file) == sizeof bytes;
    std::fclose(file);
    CByteReader in(bytes, sizeof bytes);
    CSaveHeader header;
    return whole && ReadSaveHeader(in, header);
}

} // namespace

std::vector<std::string> MPlayIF::ListSavedGames(const std::string& base, int* unreadable)
{
    std::vector<std::string> names;
    std::error_code ec;
    const fs::path saves = platform::ResolvePathCase(platform::JoinPath(base, "Saves"));
    RemoveStaleSaveFolders(saves.string());
    if (unreadable)
        *unreadable = 0;
    for (fs::directory_iterator it(saves, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kind;
        const std::string name = it->path().filename().string();
        // Entries without an extension; a folder being written or kept back ("x.saving", "x.old") has one.
        if (name.find('.') != std::string::npos || !it->is_directory(kind) || it->is_symlink(kind))
            continue;
        if (HoldsReadableSave(it->path()))
            names.push_back(name);
        else if (unreadable)
            ++*unreadable;
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    std::vector<std::string> listed;
    for (const std::string& name : names) {
        if (name.size() > kListNameMax || listed.size() >= kListMax)
            break;
        listed.push_back(name);
    }
    return listed;
}

std::string MPlayIF::OwnAddress()
{
    uint32_t address = platform::net::FirstNonLoopbackAddress();
    if (address == 0)
        address = 0x7F000001;
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}
