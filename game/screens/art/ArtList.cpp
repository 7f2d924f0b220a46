// Reading a screen's art list, drawing its panel, and the fatal latch for art beyond the screen.
#include "game/screens/art/ArtList.h"

#include "core/display/CDisplay.h"
#include "core/util/TextLine.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kArtLineMax = 1024;
constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;

bool g_bScreenFatal = false;

} // namespace

bool ParseArtRow(const std::string& line, std::string& name, int& x, int& y)
{
    size_t a = line.find(',');
    if (a == std::string::npos || a == 0)
        return false;
    name = line.substr(0, a);
    const char* s = line.c_str() + a + 1;
    char* end = nullptr;
    long lx = std::strtol(s, &end, 10);
    if (end == s || *end != ',')
        return false;
    s = end + 1;
    long ly = std::strtol(s, &end, 10);
    if (end == s)
        return false;
    if (lx < -100000 || lx > 100000 || ly < -100000 || ly > 100000)
        return false;
    x = static_cast<int>(lx);
    y = static_cast<int>(ly);
    return true;
}

void RaiseScreenFatal(const std::string& what)
{
    platform::ShowMessageBox(what, "Art outside the 800 x 600 screen:", platform::MessageIcon::Error);
    g_bScreenFatal = true;
}

bool ScreenFatalPending()
{
    return g_bScreenFatal;
}

void ClearScreenFatal()
{
    g_bScreenFatal = false;
}

bool FitsScreen(int x, int y, int width, int height)
{
    return x >= 0 && y >= 0 && width >= 0 && height >= 0 && x + width <= kScreenWidth && y + height <= kScreenHeight;
}

bool CheckOnScreen(const std::string& what, int x, int y, int width, int height)
{
    if (FitsScreen(x, y, width, height))
        return true;
    RaiseScreenFatal(what);
    return false;
}

const CArtRow& CArtList::Row(size_t i) const
{
    static const CArtRow kEmpty;
    return i < m_aRows.size() ? m_aRows[i] : kEmpty;
}

bool CArtList::Load(CDisplay* display, const std::string& base, const std::string& file, int rows)
{
    m_aRows.clear();
    const std::string gui = platform::JoinPath(base, "GUI");
    const std::string listPath = platform::JoinPath(gui, file);
    FILE* list = platform::OpenFile(listPath, "rb");
    if (!list) {
        platform::ShowMessageBox(listPath, "Failed to open file:", platform::MessageIcon::Error);
        return false;
    }
    const bool usable = display && display->IsUsable();
    std::string line;
    ReadBoundedLine(list, line, kArtLineMax);
    ReadBoundedLine(list, line, kArtLineMax);
    bool ok = true;
    for (int i = 0; i < rows && ReadBoundedLine(list, line, kArtLineMax); ++i) {
        CArtRow row;
        std::string name;
        if (!ParseArtRow(line, name, row.x, row.y)) {
            ok = false;
            m_aRows.push_back(row);
            continue;
        }
        const std::string where = listPath + ", row " + std::to_string(i) + " (" + name + ")";
        // Beyond the screen is fatal whatever the bitmap (the old game ended at once, mid-load).
        if (row.x > kScreenWidth || row.y > kScreenHeight) {
            RaiseScreenFatal(where);
            ok = false;
            m_aRows.push_back(row);
            continue;
        }
        const std::string path = platform::JoinPath(gui, name);
        int w = 0, h = 0;
        CSurface* surface = usable ? display->BitmapToSurface(path, &w, &h, false) : nullptr;
        if (!surface && usable) {
            platform::ShowMessageBox(path, "Failed to open file:", platform::MessageIcon::Error);
            ok = false;
        }
        if (surface && (w > kScreenWidth || h > kScreenHeight)) {
            RaiseScreenFatal(where);
            surface->Release();
            delete surface;
            surface = nullptr;
            ok = false;
        }
        if (surface) {
            DDCOLORKEY key{};
            key.dwColorSpaceLowValue = key.dwColorSpaceHighValue = display->ColorMatch(surface, 0xFF00FF);
            surface->SetColorKey(DDCKEY_SRCBLT, &key);
            row.width = w;
            row.height = h;
            row.pSurface = std::shared_ptr<CSurface>(surface, [](CSurface* s) {
                s->Release();
                delete s;
            });
        }
        m_aRows.push_back(row);
    }
    std::fclose(list);
    // A short list is told, as the HUD tells its own; the screen keeps the rows it has.
    if (static_cast<int>(m_aRows.size()) < rows) {
        platform::ShowMessageBox(listPath + ": rows " + std::to_string(m_aRows.size()) + " to " +
                                     std::to_string(rows - 1) + " are missing",
                                 "Art loader error", platform::MessageIcon::Error);
        ok = false;
    }
    return ok;
}

void CArtList::DrawPanel(CSurface* target) const
{
    if (!target || !HasPanel())
        return;
    const CArtRow& panel = m_aRows[0];
    RECT src{0, 0, panel.width, panel.height};
    target->BltFast(panel.x, panel.y, panel.pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
}
