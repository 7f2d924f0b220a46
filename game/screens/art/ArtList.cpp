// Reading a screen's art list and drawing its panel.
#include "game/screens/art/ArtList.h"

#include "core/display/CDisplay.h"
#include "platform/system/MessageBox.h"
#include "game/util/TextLine.h"
#include "platform/system/Paths.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr size_t kArtLineMax = 1024;


bool ParseRow(const std::string& line, std::string& name, int& x, int& y)
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

} // namespace

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
    std::string line;
    ReadBoundedLine(list, line, kArtLineMax);
    ReadBoundedLine(list, line, kArtLineMax);
    bool ok = true;
    for (int i = 0; i < rows && ReadBoundedLine(list, line, kArtLineMax); ++i) {
        CArtRow row;
        std::string name;
        if (!ParseRow(line, name, row.x, row.y)) {
            ok = false;
            m_aRows.push_back(row);
            continue;
        }
        const std::string path = platform::JoinPath(gui, name);
        int w = 0, h = 0;
        CSurface* surface = display && display->IsUsable() ? display->BitmapToSurface(path, &w, &h, false) : nullptr;
        if (!surface && display && display->IsUsable()) {
            platform::ShowMessageBox(path, "Failed to open file:", platform::MessageIcon::Error);
            ok = false;
        }
        // Art placed beyond the 800 x 600 screen is refused (its row stays empty).
        if (surface && (row.x > 800 || row.y > 600 || w > 800 || h > 600)) {
            platform::ShowMessageBox(path, "Art outside the 800 x 600 screen:", platform::MessageIcon::Error);
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
