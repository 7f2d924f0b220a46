// The de-briefing screen: building its panels and buttons, results, input, and drawing.
#include "game/screens/debrief/DeBriefIF.h"

#include "core/display/CDisplay.h"
#include "core/world/ScenarioData.h"
#include "game/app/Game.h"
#include "game/rules/RulesGame.h"
#include "game/screens/boxes/Boxes.h"
#include "core/persist/DataRange.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"
#include "platform/system/Clock.h"

#include <algorithm>
#include <cstdio>

namespace gdi = platform::gdi;

namespace {

constexpr COLORREF kTitleColour = RGB(213, 133, 55);
constexpr COLORREF kTextColour = RGB(230, 230, 230);
constexpr COLORREF kEntryColour = RGB(200, 200, 200);
constexpr COLORREF kValueColour = RGB(10, 10, 10);
constexpr unsigned kValueFormat = gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOCLIP;
constexpr int kValueMargin = 8; // between a value and its page's right edge

// Colours made for the dark HUD, darkened for the light chat panel.
COLORREF ChatColour(COLORREF colour)
{
    if (colour == RGB(200, 200, 200))
        return RGB(10, 10, 10);
    if (colour == RGB(200, 10, 10))
        return RGB(100, 10, 10);
    if (colour == RGB(10, 200, 10))
        return RGB(10, 100, 10);
    return colour;
}

// The history panel is dark: a colour too dark to read on it (the events' blue among them) is mixed halfway
// towards white.
COLORREF LegibleOnDark(COLORREF colour)
{
    const int r = GetRValue(colour), g = GetGValue(colour), b = GetBValue(colour);
    if (2126 * r + 7152 * g + 722 * b >= 10000 * 150)
        return colour;
    auto lift = [](int c) { return c + (255 - c) * 11 / 20; };
    return RGB(lift(r), lift(g), lift(b));
}

} // namespace

DeBriefIF::DeBriefIF()
{
    m_pFont14 = MakeArial(14, true);
    m_pFont18 = MakeArial(18, true);
    m_pFont30 = MakeArial(30, true, false);
    m_pFont14Plain = MakeArial(14, true, false);
    m_pFont14b = MakeArial(14, true);
    m_pFont18Plain = MakeArial(18, true, false);
}

DeBriefIF::~DeBriefIF() = default;

bool DeBriefIF::LoadArt(CDisplay* display, const std::string& base, uint32_t* modeFlags)
{
    m_pDisplay = display;
    m_pModeFlags = modeFlags;
    return m_art.Load(display, base, "DeBrief_Art.csv", kRowCount);
}

void DeBriefIF::BuildPanel(CPanel& panel, int row, const char* what)
{
    const CArtRow& art = m_art.Row(row);
    panel.x = art.x;
    panel.y = art.y;
    panel.pSurface = CopySurface(m_pDisplay, art.pSurface.get());
    panel.pClean = CopySurface(m_pDisplay, art.pSurface.get());
    if (art.pSurface)
        CheckOnScreen(std::string("De-briefing ") + what, art.x, art.y, art.width, art.height);
}

void DeBriefIF::BuildButtons()
{
    auto build = [&](CScreenButton& button, int row, const char* caption) {
        const CArtRow& art = m_art.Row(row);
        button.Build(m_pDisplay, art, art.x, art.y, caption, m_pFont14.get());
        if (art.pSurface)
            CheckOnScreen(std::string("De-briefing button \"") + caption + "\"", art.x, art.y, art.width, art.height);
    };
    build(m_viewHistory, kRowMenu, "View Incident History");
    build(m_viewScores, kRowMenu + 2, "View Scores");
    build(m_byCategory, kRowMenu + 4, "Score By Category");
    build(m_bySection, kRowMenu + 5, "Score By Section");
    build(m_back, kRowMenu + 6, "Back");
    build(m_details, kRowMenu + 7, "Details");
    build(m_explained, kRowScoringExplained, "Scoring Explained");
    build(m_exit, kRowExit, "Exit");
    build(m_send, kRowSend, "Send");
}

void DeBriefIF::Init(CDeBriefText* text)
{
    m_pText = text;
    BuildPanel(m_text, kRowText, "text panel");
    BuildPanel(m_history, kRowHistory, "history panel");
    BuildPanel(m_chat, kRowChat, "chat panel");
    BuildPanel(m_entry, kRowChatEntry, "chat entry panel");
    BuildPanel(m_title, kRowTitle, "title panel");
    const char* pages[] = {"by-section page", "by-category page", "details page", "scores page"};
    for (int i = 0; i < 4; ++i)
        BuildPanel(m_aPages[i], kRowBySection + i, pages[i]);
    for (int i = 0; i < 6; ++i) {
        const CArtRow& art = m_art.Row(kRowArrows + i);
        m_arcArrows[i] = RECT{art.x, art.y, art.x + art.width, art.y + art.height};
        if (art.pSurface)
            CheckOnScreen("De-briefing arrow", art.x, art.y, art.width, art.height);
    }
    BuildButtons();
    RedrawText();
    RedrawEntry();
}

void DeBriefIF::CollectResults(const CScenarioData* scenario)
{
    m_anResults.fill(0);
    if (g_pGame && g_pGame->m_pRules) {
        const CScoring& s = g_pGame->m_pRules->m_scoring;
        auto total = [&](EScoreTotal t) { return CheckedInt(s.GetTotal(t)); };
        const EScoreTotal category[] = {kScoreCommand, kScorePublicSafety, kScoreMedia, kScoreTotal};
        const EScoreTotal section[] = {kScoreCommandSection, kScoreOperationsSection, kScorePlanningSection,
                                       kScoreLogisticsSection, kScoreFinanceSection};
        const EScoreTotal details[] = {kScoreUnits,          kScoreCommandFacilities,  kScoreIAP,
                                       kScoreDemobilization, kScoreFireContainment,    kScoreChemicalContainment,
                                       kScoreEnvironmental,  kScoreCivilianFatalities, kScoreResponderFatalities};
        const EScoreTotal details2[] = {kScoreSafetyFacilities, kScoreCasualtyCenterUsage, kScoreThreatsSubdued,
                                        kScoreMediaFacilities, kScoreMediaCenterUsage};
        const EScoreStat counts[] = {kStatCiviliansKilled, kStatCiviliansIncapacitated, kStatRespondersKilled,
                                     kStatRespondersIncapacitated};
        for (int i = 0; i < 4; ++i)
            m_anResults[kResCategory + i] = total(category[i]);
        for (int i = 0; i < 5; ++i)
            m_anResults[kResSection + i] = total(section[i]);
        for (int i = 0; i < 9; ++i)
            m_anResults[kResDetails + i] = total(details[i]);
        for (int i = 0; i < 5; ++i)
            m_anResults[kResDetails2 + i] = total(details2[i]);
        for (int i = 0; i < 4; ++i)
            m_anResults[kResCounts + i] = s.GetStat(counts[i]);
        m_anResults[kResFinalCost] = CheckedInt(s.GetCost());
        m_anResults[kResStartTime] = s.GetStartTime();
        m_anResults[kResEndTime] = s.GetCurrentTime();
    }
    if (scenario)
        m_anResults[kResPredictedCost] = scenario->m_nPredictedCost;
    ShowResults(scenario);
}

void DeBriefIF::ShowResults(const CScenarioData* scenario)
{
    if (m_title.pSurface && scenario) {
        RestoreSurface(m_title.pSurface.get(), m_title.pClean.get());
        DrawTextOn(m_title.pSurface.get(), m_pFont30.get(), scenario->m_szTitle,
                   RECT{0, 0, m_title.pSurface->GetWidth(), m_title.pSurface->GetHeight()}, kTitleColour, kValueFormat);
    }
    DrawPages();
    if (m_pText) {
        // The graded texts are cut at 98 characters; lines wider than the text panel are wrapped again to it.
        const int textWidth = m_text.pSurface ? m_text.pSurface->GetWidth() - 16 : 0;
        m_pText->SetWrap([this](const std::string& t) { return MeasureText(m_pFont14Plain.get(), t); }, textWidth);
        if (scenario)
            m_pText->Build(*scenario, m_anResults[kResFinalScore], m_anResults[kResFinalCost]);
        else
            m_pText->Clear();
        const std::string& failed = g_pGame && g_pGame->m_pRules ? g_pGame->m_pRules->m_scoring.GetLogError() : "";
        if (!failed.empty()) {
            const size_t colon = failed.rfind(": ");
            m_pText->AddFirstLine("Score-Log.txt could not be written" +
                                  (colon == std::string::npos ? std::string(".") : failed.substr(colon) + "."));
        }
        m_pText->SetWrap({}, 0); // the measure holds this screen's font
    }
    RedrawText();
}

void DeBriefIF::DrawValue(CPanel& page, int index, RECT rect, const std::string& text)
{
    m_astrResultText[index] = text;
    // A value wider than its place (a six-figure cost) widens it about its middle, and moves left as far as it
    // must to keep clear of the page's right edge (it used to run past it).
    const int width = MeasureText(m_pFont18Plain.get(), text) + 2;
    if (page.pSurface && width > rect.right - rect.left) {
        const int edge = page.pSurface->GetWidth() - kValueMargin;
        rect.left = (rect.left + rect.right - width) / 2;
        rect.right = rect.left + width;
        if (rect.right > edge) {
            rect.left -= rect.right - edge;
            rect.right = edge;
        }
    }
    DrawTextOn(page.pSurface.get(), m_pFont18Plain.get(), text, rect, kValueColour, kValueFormat);
}

void DeBriefIF::DrawPages()
{
    for (CPanel& page : m_aPages)
        RestoreSurface(page.pSurface.get(), page.pClean.get());
    auto percent = [&](int index) {
        char text[24];
        std::snprintf(text, sizeof text, "%d %%", static_cast<int>(m_anResults[index]));
        return std::string(text);
    };
    CPanel& bySection = m_aPages[0];
    CPanel& byCategory = m_aPages[1];
    CPanel& details = m_aPages[2];
    CPanel& scores = m_aPages[3];
    for (int k = 0; k < 4; ++k)
        DrawValue(byCategory, kResCategory + k, RECT{185, 41 + 34 * k, 245, 80 + 34 * k}, percent(kResCategory + k));
    for (int k = 0; k < 5; ++k)
        DrawValue(bySection, kResSection + k, RECT{180, 45 + 34 * k, 245, 79 + 33 * k}, percent(kResSection + k));
    for (int k = 0; k < 9; ++k)
        DrawValue(details, kResDetails + k, RECT{235, 47 + 19 * k, 295, 66 + 19 * k}, percent(kResDetails + k));
    for (int k = 0; k < 5; ++k)
        DrawValue(details, kResDetails2 + k, RECT{570, 44 + 20 * k, 635, 64 + 20 * k}, percent(kResDetails2 + k));
    for (int k = 0; k < 4; ++k)
        DrawValue(scores, kResCounts + k, RECT{180, 48 + 33 * k, 230, 74 + 33 * k},
                  std::to_string(m_anResults[kResCounts + k]));
    for (int k = 0; k < 2; ++k)
        DrawValue(scores, kResFinalCost + k, RECT{220, 175 + 17 * k, 290, 194 + 17 * k},
                  FormatMoney(m_anResults[kResFinalCost + k]));
    for (int k = 0; k < 2; ++k)
        DrawValue(scores, kResStartTime + k, RECT{220, 213 + 18 * k, 290, 231 + 18 * k},
                  FormatClock(m_anResults[kResStartTime + k]));
}

void DeBriefIF::Activate(bool shown)
{
    m_bShown = shown;
    m_bHeld = false;
    if (shown && g_pGame) {
        const CMessageLog& log = g_pGame->m_log;
        m_nLogIndex = (g_pGame->m_uMessageState & 1) ? log.m_events.nScroll : log.m_messages.nScroll;
        m_nHistoryEnd = m_nLogIndex;
    }
}

int DeBriefIF::HistoryRows() const
{
    const int h = m_history.pSurface ? m_history.pSurface->GetHeight() : 0;
    return std::clamp((h - 2) / 16, 1, kChatPage);
}

void DeBriefIF::ScrollHistory(int kind)
{
    // Lines added after the screen opened (the de-briefing's chat) are not history.
    const int low = std::min(HistoryRows(), m_nHistoryEnd);
    const int wanted = std::clamp(m_nLogIndex + (kind == 0 ? -1 : 1), low, m_nHistoryEnd);
    if (wanted == m_nLogIndex) {
        ScreenSound(2);
        return;
    }
    m_nLogIndex = wanted;
    ScreenSound(0);
}

// ---- text surfaces ----

void DeBriefIF::RedrawText()
{
    if (!m_text.pSurface)
        return;
    RestoreSurface(m_text.pSurface.get(), m_text.pClean.get());
    if (!m_pText)
        return;
    const int w = m_text.pSurface->GetWidth(), h = m_text.pSurface->GetHeight();
    DrawTextOn(m_text.pSurface.get(), m_pFont14Plain.get(), m_pText->GetWindow(), RECT{8, 4, w - 8, h - 4}, kTextColour,
               gdi::DT_LEFT | gdi::DT_TOP);
}

void DeBriefIF::RedrawEntry()
{
    if (!m_entry.pSurface)
        return;
    RestoreSurface(m_entry.pSurface.get(), m_entry.pClean.get());
    const int w = m_entry.pSurface->GetWidth(), h = m_entry.pSurface->GetHeight();
    // A line longer than the entry shows its end, the caret with it.
    const std::string label = "Enter message: ";
    const std::string shown =
        label + TailThatFits(m_pFont14.get(), m_strChat + "_", w - 12 - MeasureText(m_pFont14.get(), label));
    DrawTextOn(m_entry.pSurface.get(), m_pFont14.get(), shown, RECT{6, 0, w - 6, h}, kEntryColour,
               gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
}

void DeBriefIF::RedrawChat()
{
    if (!m_chat.pSurface || !g_pGame)
        return;
    RestoreSurface(m_chat.pSurface.get(), m_chat.pClean.get());
    g_pGame->FillChatView();
    const auto& lines = g_pGame->GetViewLines();
    const int w = m_chat.pSurface->GetWidth(), h = m_chat.pSurface->GetHeight();
    // Messages stored wrapped for another panel (the HUD's, the role screen's) are wrapped again to this one; the
    // newest rows stay in view.
    const std::vector<CViewRow> rows = CMessageLog::WrapViewToWidth(
        lines, ChatTextWidth(), [this](const std::string& t) { return MeasureChatText(t); });
    const size_t fit = static_cast<size_t>(std::max(1, (h - 2) / 14));
    const size_t first = rows.size() > fit ? rows.size() - fit : 0;
    m_aChatRows.clear();
    for (size_t i = first; i < rows.size(); ++i) {
        const int y = 2 + 14 * static_cast<int>(i - first);
        const COLORREF colour = ChatColour(lines[static_cast<size_t>(rows[i].nSource)].crColour);
        DrawTextOn(m_chat.pSurface.get(), m_pFont14.get(), rows[i].strText, RECT{10, y, w - 24, y + 14}, colour,
                   gdi::DT_LEFT | gdi::DT_SINGLELINE);
        m_aChatRows.push_back(rows[i].strText);
    }
}

void DeBriefIF::RedrawHistory()
{
    if (!m_history.pSurface || !g_pGame)
        return;
    RestoreSurface(m_history.pSurface.get(), m_history.pClean.get());
    const int w = m_history.pSurface->GetWidth();
    const int fit = HistoryRows();
    // The log lines before the history's last one, a page at a time, with their colours and styles: enough of
    // them to fill the panel once each message is wrapped again to this panel's width.
    struct CLook {
        COLORREF ink;
        uint32_t back;
        int style;
    };
    std::vector<CLogLine> lines;
    std::vector<CLook> looks;
    for (int end = m_nLogIndex; end > 0 && static_cast<int>(lines.size()) < 4 * fit;) {
        const int start = std::max(0, end - kChatPage);
        const int count = std::min(g_pGame->FillChatViewFrom(start - 1), end - start);
        const auto& page = g_pGame->GetViewLines();
        std::vector<CLogLine> chunk(page.begin(), page.begin() + std::max(0, count));
        std::vector<CLook> chunkLooks;
        for (int i = 0; i < count; ++i) {
            CLook look{LegibleOnDark(g_pGame->GetLogEntryColour(i)), 0, 0};
            g_pGame->GetLogEntryStyle(i, look.back, look.style);
            chunkLooks.push_back(look);
        }
        lines.insert(lines.begin(), chunk.begin(), chunk.end());
        looks.insert(looks.begin(), chunkLooks.begin(), chunkLooks.end());
        if (count <= 0)
            break;
        end = start;
    }
    const std::vector<CViewRow> rows = CMessageLog::WrapViewToWidth(
        lines, HistoryTextWidth(), [this](const std::string& t) { return MeasureText(m_pFont14.get(), t); });
    const size_t first = rows.size() > static_cast<size_t>(fit) ? rows.size() - static_cast<size_t>(fit) : 0;
    m_aHistoryRows.clear();
    for (size_t i = first; i < rows.size(); ++i) {
        const int y = 2 + 16 * static_cast<int>(i - first);
        const CLook& look = looks[static_cast<size_t>(rows[i].nSource)];
        DrawLogLineOn(m_history.pSurface.get(), m_pFont14.get(), rows[i].strText, RECT{8, y, w - 24, y + 16}, look.ink,
                      look.back, look.style == kLogStyleOpaque, gdi::DT_LEFT | gdi::DT_SINGLELINE);
        m_aHistoryRows.push_back(rows[i].strText);
    }
}

int DeBriefIF::HistoryTextWidth() const
{
    return m_history.pSurface ? std::max(0, m_history.pSurface->GetWidth() - 24 - 8) : 0;
}

bool DeBriefIF::BeginChatText(gdi::DeviceContext** dc, RECT* rect, gdi::Font** oldFont)
{
    if (!dc || !m_chat.pSurface || m_chat.pSurface->GetDC(dc) != DD_OK || !*dc)
        return false;
    gdi::Font* old = (*dc)->SelectFont(m_pFont14.get());
    if (oldFont)
        *oldFont = old;
    if (rect)
        *rect = RECT{10, 5, m_chat.pSurface->GetWidth() - 24, 19};
    return true;
}

void DeBriefIF::EndChatText(gdi::DeviceContext* dc, gdi::Font* oldFont)
{
    if (!dc || !m_chat.pSurface)
        return;
    dc->SelectFont(oldFont);
    m_chat.pSurface->ReleaseDC(dc);
}

int DeBriefIF::ChatTextWidth() const
{
    return m_chat.pSurface ? std::max(0, m_chat.pSurface->GetWidth() - 24 - 10) : 0;
}

int DeBriefIF::MeasureChatText(const std::string& text) const
{
    return MeasureText(m_pFont14.get(), text);
}
