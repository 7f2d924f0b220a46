// Reading the role grid's positions from "Role_Menu.csv".
#include "game/screens/role/RoleIF.h"

#include "core/persist/DataRange.h"
#include "core/util/TextLine.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr size_t kLineMax = 1024;

const char* const kFields[4] = {"x0", "y0", "dx", "dy"};

// Four comma-separated decimal integers, saturated at the int64 limits; the index of the first one missing, or
// -1 when all are there.
int ParseGrid(const std::string& line, int64_t out[4])
{
    const char* s = line.c_str();
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        errno = 0;
        const long long value = std::strtoll(s, &end, 10);
        if (end == s)
            return i;
        out[i] = value;
        while (*end == ' ' || *end == '\t')
            ++end;
        if (i < 3) {
            if (*end != ',')
                return i + 1;
            ++end;
        }
        s = end;
    }
    return -1;
}

} // namespace

bool CRoleMenuData::Load(const std::string& base, const std::string& file)
{
    m_bLoaded = false;
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

bool CRoleMenuData::Read(FILE* file, const std::string& where)
{
    m_bLoaded = false;
    std::string line;
    for (int i = 0; i < 3; ++i)
        if (!ReadBoundedLine(file, line, kLineMax))
            return false;
    int64_t grid[4] = {};
    const int missing = ReadBoundedLine(file, line, kLineMax) ? ParseGrid(line, grid) : 0;
    if (missing >= 0) {
        ReportListValue(where, 4, kFields[missing], "no number; the role grid is not loaded");
        return false;
    }
    // A cell beyond the 800 x 600 screen ends the game (exit code 1) once the message is shown.
    for (int64_t r : {int64_t{0}, int64_t{kRows - 1}})
        for (int64_t c : {int64_t{0}, int64_t{kColumns - 1}})
            if (static_cast<double>(grid[0]) + static_cast<double>(c) * static_cast<double>(grid[2]) > 800.0 ||
                static_cast<double>(grid[1]) + static_cast<double>(r) * static_cast<double>(grid[3]) > 600.0) {
                RaiseScreenFatal(where + ": the grid reaches outside the screen");
                return false;
            }
    // Left of or above the screen, or steps backwards: moved to the edge, the step made 0.
    CListRange range(where);
    m_nX0 = range.Int(4, kFields[0], grid[0], 0, 800);
    m_nY0 = range.Int(4, kFields[1], grid[1], 0, 600);
    m_nDX = range.Int(4, kFields[2], grid[2], 0, (800 - m_nX0) / (kColumns - 1));
    m_nDY = range.Int(4, kFields[3], grid[3], 0, (600 - m_nY0) / (kRows - 1));
    m_bLoaded = true;
    return true;
}
