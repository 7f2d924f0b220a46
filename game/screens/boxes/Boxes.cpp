// The info box with its "Info.txt" entries and "Done" button, and the message box with OK and Cancel.
#include "game/screens/boxes/Boxes.h"

#include "core/display/CDisplay.h"
#include "core/util/TextLine.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cctype>

namespace gdi = platform::gdi;

namespace {

constexpr size_t kInfoFileLimit = 1 << 20; // "Info.txt" larger than this is refused
constexpr size_t kInfoTextLimit = 16000;   // one entry's text is cut here
constexpr COLORREF kBoxInk = 0x0A0A0A;

std::vector<std::string> SplitLines(const std::string& contents)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < contents.size()) {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos)
            end = contents.size();
        std::string line = contents.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

// The id of a heading line "@ddd...", or -1 when the three digits are not there.
int HeadingId(const std::string& line)
{
    if (line.size() < 4 || line[0] != '@')
        return -1;
    int id = 0;
    for (int i = 1; i <= 3; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(line[i])))
            return -1;
        id = id * 10 + (line[i] - '0');
    }
    return id;
}

int PanelOfKind(char kind)
{
    if (kind == 'B' || kind == 'b')
        return 1;
    if (kind == 'S' || kind == 's')
        return 2;
    return 0;
}

} // namespace

bool FindInfoEntry(const std::string& contents, int id, CInfoEntry& entry)
{
    const std::vector<std::string> lines = SplitLines(contents);
    for (size_t i = 1; i < lines.size(); ++i) {
        if (HeadingId(lines[i]) != id)
            continue;
        const std::string& heading = lines[i];
        entry = CInfoEntry{};
        entry.nId = id;
        entry.nPanel = PanelOfKind(heading.size() > 4 ? heading[4] : '\0');
        entry.strTitle = heading.size() > 6 ? heading.substr(6) : std::string();
        for (size_t j = i + 1; j < lines.size() && (lines[j].empty() || lines[j][0] != '@'); ++j) {
            if (!entry.strText.empty())
                entry.strText += "\n\n";
            entry.strText += "       " + lines[j];
            if (entry.strText.size() > kInfoTextLimit) {
                entry.strText.resize(kInfoTextLimit);
                break;
            }
        }
        return true;
    }
    return false;
}

// ---- info box ----

CInfoBox::CInfoBox(const std::string& base, CDisplay* display) : m_strBase(base), m_pDisplay(display)
{
    m_pFont = MakeArial(16, true);
    const std::string gui = platform::JoinPath(base, "GUI");
    if (!display || !display->IsUsable())
        return;
    m_apPanels[0] = LoadKeyedBitmap(display, platform::JoinPath(gui, "EOC/MainBox.bmp"));
    m_apPanels[1] = LoadKeyedBitmap(display, platform::JoinPath(gui, "Info_Box.bmp"));
    m_apPanels[2] = LoadKeyedBitmap(display, platform::JoinPath(gui, "EOC/MainBox_2X.bmp"));
    m_pButtonFace = LoadKeyedBitmap(display, platform::JoinPath(gui, "EOC/Allotment/RedButton_On.bmp"));
}

CInfoBox::~CInfoBox() = default;

RECT CInfoBox::PanelRect() const
{
    const POINT at = kPanelPos[m_nPanel];
    const CSurface* panel = m_apPanels[m_nPanel].get();
    const int w = panel ? panel->GetWidth() : kFallbackWidth;
    const int h = panel ? panel->GetHeight() : kFallbackHeight;
    return RECT{at.x, at.y, at.x + w, at.y + h};
}

void CInfoBox::ShowInfo(int entry)
{
    std::string contents;
    const std::string path = platform::JoinPath(m_strBase, "Info.txt");
    bool whole = true;
    if (!ReadTextFile(path, contents, kInfoFileLimit, &whole) || !whole) {
        platform::DebugOutput("Info box: cannot read " + path);
        return;
    }
    CInfoEntry found;
    if (!FindInfoEntry(contents, entry, found)) {
        platform::DebugOutput("Info box: no entry " + std::to_string(entry) + " in " + path);
        return;
    }
    m_nEntry = entry;
    m_nPanel = found.nPanel;
    m_strTitle = found.strTitle;
    m_strText = found.strText;
    Compose();
    m_bShown = true;
}

void CInfoBox::Compose()
{
    const RECT panel = PanelRect();
    const int w = panel.right - panel.left;
    const int h = panel.bottom - panel.top;
    CArtRow face;
    face.pSurface = m_pButtonFace;
    face.width = m_pButtonFace ? m_pButtonFace->GetWidth() : 80;
    face.height = m_pButtonFace ? m_pButtonFace->GetHeight() : 26;
    // Without the button art the button still answers clicks where it belongs.
    m_done.Build(m_pDisplay, face, panel.left + w - face.width - 15, panel.top + 15, "Done", m_pFont.get());
    m_pShown = CopySurface(m_pDisplay, m_apPanels[m_nPanel].get());
    if (!m_pShown)
        return;
    DrawTextOn(m_pShown.get(), m_pFont.get(), m_strTitle, RECT{10, 20, w - 10, 50}, kBoxInk,
               gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    DrawTextOn(m_pShown.get(), m_pFont.get(), m_strText, RECT{20, 50, w - 20, h - 20}, kBoxInk,
               gdi::DT_LEFT | gdi::DT_WORDBREAK);
}

bool CInfoBox::OnMouse(int kind, int x, int y, uint32_t)
{
    if (!m_bShown)
        return false;
    const RECT panel = PanelRect();
    if (x < panel.left || x >= panel.right || y < panel.top || y >= panel.bottom)
        return false;
    if (kind == 1 && m_done.Contains(x, y)) {
        m_bShown = false;
        ScreenSound(0);
    }
    return true;
}

void CInfoBox::Draw(CSurface* target)
{
    if (!m_bShown || !target)
        return;
    const RECT panel = PanelRect();
    BlitKeyed(target, panel.left, panel.top, m_pShown.get());
    m_done.Draw(target, false);
}

// ---- message box ----

CMessageBox::CMessageBox(const std::string& base, CDisplay* display) : m_pDisplay(display)
{
    m_pSmall = MakeArial(14, true);
    m_pLarge = MakeArial(21, false);
    const std::string gui = platform::JoinPath(base, "GUI");
    CArtRow face;
    if (display && display->IsUsable()) {
        m_pPanel = LoadKeyedBitmap(display, platform::JoinPath(gui, "MessageBox.bmp"));
        face.pSurface = LoadKeyedBitmap(display, platform::JoinPath(gui, "EOC/Allotment/RedButton_On.bmp"));
    }
    face.width = face.pSurface ? face.pSurface->GetWidth() : kButtonWidth;
    face.height = face.pSurface ? face.pSurface->GetHeight() : kButtonHeight;
    const int okX = kPanelX + 235, cancelX = kPanelX + 310, y = kPanelY + 160;
    // Without the button art the buttons still answer clicks where they belong.
    m_ok.Build(display, face, okX, y, "OK", m_pSmall.get());
    m_cancel.Build(display, face, cancelX, y, "Cancel", m_pSmall.get());
}

CMessageBox::~CMessageBox() = default;

void CMessageBox::ShowMessage(const std::string& text)
{
    m_strText = text;
    m_bSmallFont = text.size() >= 250;
    m_nHover = 0;
    m_pShown = CopySurface(m_pDisplay, m_pPanel.get());
    if (m_pShown) {
        const int w = m_pShown->GetWidth(), h = m_pShown->GetHeight();
        // The text stands 20 pixels in from the edges and clear of a title band the panel's art may carry.
        const int top = std::max(20, TopBandHeight(m_pShown.get()) + 12);
        DrawTextOn(m_pShown.get(), m_bSmallFont ? m_pSmall.get() : m_pLarge.get(), text, RECT{20, top, w - 20, h - 20},
                   kBoxInk, gdi::DT_LEFT | gdi::DT_WORDBREAK);
    }
    m_bShown = true;
}

int CMessageBox::HitButton(int x, int y) const
{
    if (m_ok.Contains(x, y))
        return 1;
    if (m_cancel.Contains(x, y))
        return 2;
    return 0;
}

bool CMessageBox::OnMouse(int x, int y, uint32_t buttons, int& result)
{
    result = 0;
    if (!m_bShown)
        return false;
    const int hit = HitButton(x, y);
    m_nHover = hit;
    if ((buttons & 1) && hit) {
        result = hit;
        m_bShown = false;
    }
    return true;
}

void CMessageBox::Draw(CSurface* target)
{
    if (!m_bShown || !target)
        return;
    BlitKeyed(target, kPanelX, kPanelY, m_pShown.get());
    m_ok.Draw(target, m_nHover == 1);
    m_cancel.Draw(target, m_nHover == 2);
}

void ConfirmExit(CMessageBox* box)
{
    if (box)
        box->ShowMessage("Do you want to exit?");
}
