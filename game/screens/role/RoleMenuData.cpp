// Reading the role grid's positions from "Role_Menu.csv".
#include "game/screens/role/RoleIF.h"

#include "game/util/TextLine.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr size_t kLineMax = 1024;
constexpr long kLimit = 100000;

// Four comma-separated decimal integers; false when one is missing or out of range.
bool ParseGrid(const std::string& line, int32_t out[4])
{
    const char* s = line.c_str();
    for (int i = 0; i < 4; ++i) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(s, &end, 10);
        if (end == s || errno == ERANGE || value < -kLimit || value > kLimit)
            return false;
        out[i] = static_cast<int32_t>(value);
        while (*end == ' ' || *end == '\t')
            ++end;
        if (i < 3) {
            if (*end != ',')
                return false;
            ++end;
        }
        s = end;
    }
    return true;
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
    int32_t grid[4] = {};
    if (!ReadBoundedLine(file, line, kLineMax) || !ParseGrid(line, grid)) {
        platform::DebugOutput(where + ": the grid line is missing or malformed");
        return false;
    }
    m_nX0 = grid[0];
    m_nY0 = grid[1];
    m_nDX = grid[2];
    m_nDY = grid[3];
    // A cell beyond the 800 x 600 screen ends the game (exit code 1) once the message is shown.
    for (int r = 0; r < kRows; r += kRows - 1)
        for (int c = 0; c < kColumns; c += kColumns - 1)
            if (CellX(c) > 800 || CellY(r) > 600 || CellX(c) < -800 || CellY(r) < -600) {
                RaiseScreenFatal(where + ": the grid reaches outside the screen");
                return false;
            }
    m_bLoaded = true;
    return true;
}
