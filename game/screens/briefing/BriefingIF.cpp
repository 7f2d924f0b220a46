// The briefing screen: its text pages, the text area with scroll arrows, "Next"/"Return", "Exit" and the notice.
#include "game/screens/briefing/BriefingIF.h"

#include "core/display/CDisplay.h"
#include "core/events/ZREventsData.h"
#include "core/world/ScenarioData.h"
#include "game/app/Modes.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace gdi = platform::gdi;

namespace {

const char* const kCompass[16] = {"North", "North-Northeast", "Northeast", "East-Northeast",
                                  "East",  "East-Southeast",  "Southeast", "South-Southeast",
                                  "South", "South-Southwest", "Southwest", "West-Southwest",
                                  "West",  "West-Northwest",  "Northwest", "North-Northwest"};

const char* const kNotice = "After clicking \"Next\" please wait as the scenario loads and is started";

std::string TodayText()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d %b %Y", &local);
    // "%d" without the leading zero.
    std::string s = text;
    if (s.size() > 1 && s[0] == '0')
        s.erase(0, 1);
    return s;
}

std::string StripCarriageReturns(std::string line)
{
    line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
    return line;
}

bool Inside(const RECT& r, int x, int y)
{
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

} // namespace

// ---- text pages ----

const char* CBriefingText::CompassName(int index)
{
    return index >= 0 && index < 16 ? kCompass[index] : "None";
}

std::vector<std::string> CBriefingText::WrapDescription(const std::string& text)
{
    std::vector<std::string> lines;
    size_t pos = 0;
    const size_t width = kWrapWidth;
    while (text.size() - pos > width) {
        const std::string window = text.substr(pos, width);
        const size_t brk = window.find('\n');
        const size_t blank = window.rfind(' ');
        size_t end = std::min(brk, blank);
        if (end == std::string::npos) {
            lines.push_back(StripCarriageReturns(window));
            pos += width;
            continue;
        }
        lines.push_back(StripCarriageReturns(window.substr(0, end)));
        pos += end + 1;
    }
    // The last part keeps its own line breaks (the old game printed them inside one line).
    std::string rest = text.substr(pos);
    size_t start = 0;
    while (true) {
        const size_t brk = rest.find('\n', start);
        lines.push_back(
            StripCarriageReturns(rest.substr(start, brk == std::string::npos ? std::string::npos : brk - start)));
        if (brk == std::string::npos)
            break;
        start = brk + 1;
    }
    return lines;
}

void CBriefingText::AddLine(const std::string& line)
{
    if (static_cast<int>(m_aLines.size()) < kMaxLines)
        m_aLines.push_back(line.substr(0, kLineChars));
}

void CBriefingText::Build(const CScenarioData& scenario)
{
    Build(scenario, TodayText());
}

void CBriefingText::Build(const CScenarioData& scenario, const std::string& today)
{
    m_aLines.clear();
    char line[160];
    AddLine(scenario.m_szTitle);
    const int start = scenario.m_pEvents ? scenario.m_pEvents->m_nGameStartTime : 0;
    std::snprintf(line, sizeof line, "Today is %s, the time is %04d", today.substr(0, 40).c_str(), start);
    AddLine(line);
    std::snprintf(line, sizeof line, "At the time of the incident, the wind speed is %d mph,",
                  static_cast<int>(scenario.m_nWindSpeed));
    AddLine(line);
    std::snprintf(line, sizeof line, "and the wind direction is from the %s.",
                  CompassName(static_cast<int>(scenario.m_nWindDirection)));
    AddLine(line);
    AddLine("");
    if (const char* description = scenario.GetDescription()) {
        // Lines past the 500th are dropped.
        for (const std::string& l : WrapDescription(description))
            AddLine(l);
    }
    m_nLineCount = static_cast<int>(m_aLines.size());
    m_nBottomLine = std::min(m_nLineCount, kVisibleLines);
    UpdateFlags();
}

void CBriefingText::UpdateFlags()
{
    m_bMoreAbove = m_nBottomLine > kVisibleLines;
    m_bMoreBelow = m_nBottomLine < m_nLineCount;
}

bool CBriefingText::Scroll(int direction)
{
    bool moved = false;
    if (direction == 0) {
        if (m_nBottomLine >= kVisibleLines + 1) {
            --m_nBottomLine;
            moved = true;
        }
    } else if (m_nBottomLine < m_nLineCount) {
        ++m_nBottomLine;
        moved = true;
    }
    ScreenSound(moved ? 0 : 2);
    UpdateFlags();
    return moved;
}

std::string CBriefingText::GetPage() const
{
    std::string page;
    const int first = std::max(0, m_nBottomLine - kVisibleLines);
    for (int i = first; i < m_nBottomLine && i < static_cast<int>(m_aLines.size()); ++i) {
        page += m_aLines[i];
        page += '\n';
    }
    return page;
}

// ---- screen ----

BriefingIF::BriefingIF()
{
    m_pTextFont = MakeArial(16, true);
    m_pButtonFont = MakeArial(18, true);
    m_pNoticeFont = MakeArial(18, true);
}

BriefingIF::~BriefingIF() = default;

bool BriefingIF::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pDisplay = display;
    m_pModeFlags = modeFlags;
    return m_art.Load(display, base, "Briefing_Art.csv", 14);
}

void BriefingIF::Init(CBriefingText* text)
{
    m_pText = text;
    const CArtRow& panel = m_art.Row(0);
    const CArtRow& area = m_art.Row(12);
    m_rcText = RECT{80, 11, 80 + area.width, 11 + area.height};
    // Parts are checked against the screen once their art is there (missing art was reported when loading).
    const bool placed = m_art.HasPanel();
    auto check = [&](const char* what, int x, int y, const CArtRow& art) {
        if (placed && art.pSurface)
            CheckOnScreen(what, x, y, art.width, art.height);
    };
    check("Briefing text area", m_rcText.left, m_rcText.top, area);
    m_pTextClean = CopySurface(m_pDisplay, area.pSurface.get());
    m_pTextArea = CopySurface(m_pDisplay, area.pSurface.get());

    const int arrowX = 80 + area.width - 43;
    const CArtRow& up = m_art.Row(6);
    const CArtRow& down = m_art.Row(2);
    m_rcUp = RECT{arrowX, 30, arrowX + up.width, 30 + up.height};
    m_rcDown = RECT{arrowX, 201, arrowX + down.width, 201 + down.height};
    check("Briefing scroll up arrow", arrowX, 30, up);
    check("Briefing scroll down arrow", arrowX, 201, down);

    const CArtRow& exitSize = m_art.Row(9);
    const int exitX = panel.x + panel.width - exitSize.width - 15;
    const int exitY = panel.y + panel.height - exitSize.height - 15;
    m_exit.BuildSized(m_pDisplay, m_art.Row(11), exitX, exitY, exitSize.width, exitSize.height, "Exit",
                      m_pButtonFont.get());
    check("Briefing Exit button", exitX, exitY, exitSize);

    const CArtRow& notice = m_art.Row(13);
    m_rcNotice = RECT{panel.x + 80, panel.y + panel.height - notice.height - 10, 0, 0};
    m_rcNotice.right = m_rcNotice.left + notice.width;
    m_rcNotice.bottom = m_rcNotice.top + notice.height;
    check("Briefing notice", m_rcNotice.left, m_rcNotice.top, notice);
    m_pNotice = CopySurface(m_pDisplay, notice.pSurface.get());
    if (m_pNotice)
        DrawNotice(notice);

    m_bReturnMode = m_pModeFlags && (*m_pModeFlags & kModeBriefingReopened);
    BuildMainButton();
    RedrawText();
    m_bDone = false;
    m_bShown = true;
}

void BriefingIF::BuildMainButton()
{
    const CArtRow& panel = m_art.Row(0);
    const CArtRow& exitSize = m_art.Row(9);
    const CArtRow& size = m_art.Row(10);
    const int x = panel.x + panel.width - exitSize.width - size.width - 20;
    const int y = panel.y + panel.height - size.height - 15;
    m_main.BuildSized(m_pDisplay, m_art.Row(11), x, y, size.width, size.height, m_bReturnMode ? "Return" : "Next",
                      m_pButtonFont.get());
    if (m_art.HasPanel() && size.pSurface)
        CheckOnScreen("Briefing main button", x, y, size.width, size.height);
}

void BriefingIF::DrawNotice(const CArtRow& box)
{
    if (MeasureText(m_pTextFont.get(), kNotice) <= box.width - 12)
        DrawTextOn(m_pNotice.get(), m_pTextFont.get(), kNotice, RECT{6, 0, box.width - 6, box.height}, 0x0A0A0A,
                   gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    else
        DrawTextOn(m_pNotice.get(), m_pTextFont.get(), kNotice, RECT{6, 3, box.width - 6, box.height - 2}, 0x0A0A0A,
                   gdi::DT_LEFT | gdi::DT_WORDBREAK);
}

void BriefingIF::SetReturnMode(bool inPlay)
{
    m_bReturnMode = inPlay;
    BuildMainButton();
}

void BriefingIF::SyncWithMode()
{
    // The HUD reopens the briefing by the mode bit; it then shows with "Return".
    const bool reopened = m_pModeFlags && (*m_pModeFlags & kModeBriefingReopened);
    if (reopened == m_bReturnMode)
        return;
    SetReturnMode(reopened);
    if (reopened) {
        m_bShown = true;
        m_bDone = false;
    }
}

void BriefingIF::RedrawText()
{
    if (!m_pTextArea)
        return;
    RestoreSurface(m_pTextArea.get(), m_pTextClean.get());
    if (!m_pText)
        return;
    const int w = m_pTextArea->GetWidth(), h = m_pTextArea->GetHeight();
    DrawTextOn(m_pTextArea.get(), m_pTextFont.get(), m_pText->GetPage(), RECT{10, 6, w - 48, h - 4}, 0x0A0A0A,
               gdi::DT_LEFT | gdi::DT_TOP);
}

void BriefingIF::Draw(CSurface* target)
{
    SyncWithMode();
    if (!m_bShown || !target)
        return;
    m_art.DrawPanel(target);
    BlitKeyed(target, m_rcText.left, m_rcText.top, m_pTextArea.get());
    const bool above = m_pText && m_pText->m_bMoreAbove;
    const bool below = m_pText && m_pText->m_bMoreBelow;
    BlitKeyed(target, m_rcUp.left, m_rcUp.top, m_art.Row(above ? 7 : 6).pSurface.get());
    BlitKeyed(target, m_rcDown.left, m_rcDown.top, m_art.Row(below ? 3 : 2).pSurface.get());
    m_main.Draw(target, m_nHoverButton == 0);
    if (!m_bReturnMode) {
        m_exit.Draw(target, m_nHoverButton == 1);
        BlitKeyed(target, m_rcNotice.left, m_rcNotice.top, m_pNotice.get());
    }
}

void BriefingIF::OnKey(uint32_t code)
{
    SyncWithMode();
    if (!m_pText)
        return;
    if (code == kVkUp)
        m_pText->Scroll(0);
    else if (code == kVkDown)
        m_pText->Scroll(1);
    else if (code == kVkF4) {
        m_bDone = true;
        ScreenSound(0);
    }
    RedrawText();
}

int BriefingIF::ArrowAt(int x, int y) const
{
    if (Inside(m_rcUp, x, y))
        return 0;
    if (Inside(m_rcDown, x, y))
        return 1;
    return -1;
}

int BriefingIF::ButtonAt(int x, int y) const
{
    if (m_main.Contains(x, y))
        return 0;
    if (!m_bReturnMode && m_exit.Contains(x, y))
        return 1;
    return -1;
}

bool BriefingIF::OnMouseMove(int x, int y, uint32_t)
{
    SyncWithMode();
    if (!m_bShown)
        return false;
    const CArtRow& panel = m_art.Row(0);
    const bool inPanel = x >= panel.x && x < panel.x + panel.width && y >= panel.y && y < panel.y + panel.height;
    const int arrow = inPanel ? ArrowAt(x, y) : -1;
    const int button = inPanel ? ButtonAt(x, y) : -1;
    if ((arrow != -1 && arrow != m_nHoverArrow) || (button != -1 && button != m_nHoverButton))
        ScreenSound(1);
    m_nHoverArrow = arrow;
    m_nHoverButton = button;
    return true;
}

bool BriefingIF::OnClick(int x, int y, uint32_t buttons)
{
    SyncWithMode();
    if (m_bDone) {
        m_bDone = false;
        ScreenSound(0);
        m_bShown = false;
        return true;
    }
    if (!m_bShown || !(buttons & 1))
        return false;
    const int arrow = ArrowAt(x, y);
    if (arrow != -1) {
        if (m_pText) {
            m_pText->Scroll(arrow);
            RedrawText();
        }
        return false;
    }
    switch (ButtonAt(x, y)) {
    case 0:
        ScreenSound(0);
        m_bShown = false;
        m_nHoverButton = -1;
        return true;
    case 1:
        ScreenSound(0);
        if (m_pModeFlags)
            *m_pModeFlags |= kModeQuit;
        m_bShown = false;
        return false;
    default:
        return false;
    }
}
