// The game object's side of the players' log: prefixes, wrapping, colours, the store decision, paging, scrolling.
#include "game/app/Game.h"

#include "game/rules/RulesGame.h"
#include "game/screens/debrief/DeBriefIF.h"
#include "game/screens/hud/HUD.h"
#include "core/events/ZREventsData.h"
#include "core/util/ByteStream.h"
#include "core/world/ScenarioData.h"
#include "net/session/NetGameSession.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr uint32_t kRoleBits = 0x7FF;
}

std::string CGame::FormatSenderPrefix(int32_t kind, int32_t sender)
{
    char prefix[64];
    if (kind != kMsgChat) {
        int32_t time = GetTimeOfDay();
        if (!((m_uMode & kModeRunning) && time != 0))
            time = m_nStartTime;
        // Before the scenario runs its own start time stands in; before any scenario is known there is no time.
        if (time == 0 && m_pScenario && m_pScenario->m_pEvents)
            time = m_pScenario->m_pEvents->m_nGameStartTime;
        if (time == 0 && !m_pScenario)
            return kind == kMsgHiddenEvent ? "H: " : "";
        char stamp[16];
        std::snprintf(stamp, sizeof stamp, "%04d ", static_cast<int>(time % 100000));
        std::snprintf(prefix, sizeof prefix, kind == kMsgHiddenEvent ? "H %s: " : "%s: ", stamp);
        return prefix;
    }
    std::string name;
    if (sender == kSenderSystem) {
        name = GetLocalPlayerName();
    } else if (m_pSession) {
        CSessionPlayer* p = m_pSession->FindPlayer(sender);
        name = p ? p->m_strName : "Unknown Name";
    } else {
        name = "Unknown Name";
    }
    return name.substr(0, 32) + ": ";
}

std::vector<std::string> CGame::WrapText(const std::string& line) const
{
    int width = 40;
    if (m_uMode & kModeDebrief)
        width = 60;
    else if (m_uMode & kModeRoleSelect)
        width = 70;
    return CMessageLog::WrapText(line, width);
}

void CGame::SetTextMeasure(std::function<int(const std::string&)> measure, int panelWidth)
{
    m_fnMeasure = std::move(measure);
    m_nPanelWidth = panelWidth;
}

int CGame::AddMessage(const std::string& text, int32_t roleMask, int32_t kind, uint32_t colour, int32_t sender)
{
    const uint32_t roles = GetLocalRoleFlags();
    // Prefix and text together stay within one stored line.
    const std::string prefix = kind == kMsgChat && sender == kSenderNotice ? "" : FormatSenderPrefix(kind, sender);
    if (sender == kSenderNotice)
        sender = kSenderSystem; // otherwise this machine's line
    std::string line = (prefix.empty() ? text : prefix + " " + text).substr(0, kLogLineMax);
    if (m_fnLogObserver)
        m_fnLogObserver(line);

    std::vector<std::string> lines;
    if (m_fnMeasure && (m_uMode & (kModeRunning | kModeDebrief)))
        lines = CMessageLog::WrapTextToWidth(line, m_nPanelWidth, m_fnMeasure);
    else if (m_pHUD && (m_uMode & kModeRunning))
        lines = CMessageLog::WrapTextToWidth(line, m_pHUD->MessagePanelWidth(),
                                             [this](const std::string& s) { return m_pHUD->MeasureMessageText(s); });
    else if (m_pDebrief && (m_uMode & kModeDebrief) && m_pDebrief->ChatTextWidth() > 0)
        lines = CMessageLog::WrapTextToWidth(line, m_pDebrief->ChatTextWidth(),
                                             [this](const std::string& s) { return m_pDebrief->MeasureChatText(s); });
    else
        lines = WrapText(line);

    if (colour == 0) {
        if (kind != kMsgChat)
            colour = kColourEvent;
        else if (sender == kSenderSystem)
            colour = (m_uMode & kModeStarted) ? kColourOwnInPlay : kColourOwnFrontEnd;
        else
            colour = kColourOtherPlayer;
    }

    // In single play the one player holds every role, the section chiefs' among them.
    bool stored = true;
    if ((m_uMode & (kModeRunning | kModeStarted)) && !(m_uMode & kModeSingle) && roleMask != -1 &&
        !(static_cast<uint32_t>(roleMask) & roles) && (roles & kRoleBits))
        stored = false;
    if (kind == kMsgReview)
        stored = false;
    if (kind == kMsgHiddenEvent && !m_bShowHidden)
        stored = false;
    if (stored && kind == kMsgEvent)
        PlaySound(19, 1.0f);
    else if (stored && kind == kMsgChat && sender != kSenderSystem)
        PlaySound(20, 1.0f);

    int32_t time = GetTimeOfDay();
    if (!((m_uMode & kModeRunning) && time != 0))
        time = m_nStartTime;
    m_log.WriteAAREvent(lines, text.substr(0, kLogLineMax), colour, kind, sender, stored, (m_uMode & kModeRunning) != 0,
                        time);
    if ((m_uMode & kModeStarted) && stored && m_pHUD && !(m_uMode & kModeFrontEnd))
        m_pHUD->DrawMessages();
    return static_cast<int>(lines.size());
}

void CGame::ApplyScoreChange(const uint8_t* payload, size_t length)
{
    CByteReader r(payload, length);
    int32_t kind = 0, zr = 0, safety = 0, media = 0, cost = 0;
    std::string text;
    r.ReadI32(kind);
    r.ReadI32(zr);
    r.ReadI32(safety);
    r.ReadI32(media);
    r.ReadI32(cost);
    r.ReadFixedString(text, 60);
    if (!r.Ok())
        return;
    m_pRules->AddScoreCost(cost);
    m_log.ApplyScoreChange(text.substr(0, kScoreTextMax), zr, safety, media, cost, GetTimeOfDay(),
                           (m_uMode & kModeRunning) != 0);
}

bool CGame::LoadAAREvents(const std::string& path)
{
    m_log.CloseFile();
    bool ok = m_log.LoadAAREvents(path);
    m_log.OpenAppend(path);
    if ((m_uMode & kModeStarted) && m_pHUD && !(m_uMode & kModeFrontEnd))
        m_pHUD->DrawMessages();
    return ok;
}

int CGame::GetMessagePageSize() const
{
    if (m_uMode & kModeDebrief)
        return 7;
    if (m_uMode & kModeRoleSelect)
        return 10;
    const bool open = m_bMessagePanelOpen || (m_uMessageState & 0x4);
    if (open && (m_uMessageState & (0x2 | 0x4)) && (m_uMessageState & 0x8))
        return 39;
    if (open && (m_uMessageState & (0x2 | 0x4)))
        return 15;
    return 7;
}

bool CGame::IsMessagePanelOpen() const
{
    return m_bMessagePanelOpen || (m_uMessageState & 0x4);
}

void CGame::SetMessageScroll(int position)
{
    if (m_uMessageState & 1)
        m_log.m_events.nScroll = position;
    else
        m_log.m_messages.nScroll = position;
}

int CGame::FillMessageLogView()
{
    m_aView = m_log.FillView(GetMessagePageSize(), m_bEventsOnly);
    return static_cast<int>(m_aView.size());
}

uint32_t CGame::GetLogEntryColour(int n) const
{
    if (n < 0 || n >= static_cast<int>(m_aView.size()))
        return 0;
    static const uint32_t kPairs[][2] = {{0x0A0AC8, 0x0A0A64}, {0x0AC80A, 0x0A640A}, {0xC8C8C8, 0x0A0A0A}};
    const uint32_t colour = m_aView[static_cast<size_t>(n)].crColour & 0xFFFFFF;
    const bool running = (m_uMode & kModeRunning) != 0;
    for (const auto& pair : kPairs) {
        if (running && colour == pair[0])
            return pair[1];
        if (!running && colour == pair[1])
            return pair[0];
    }
    return colour;
}

void CGame::GetLogEntryStyle(int n, uint32_t& colour, int& style) const
{
    const int number = n >= 0 && n < static_cast<int>(m_aView.size()) ? m_aView[static_cast<size_t>(n)].nMessage : 0;
    const bool running = (m_uMode & kModeRunning) != 0;
    style = kLogStyleOpaque;
    if (number % 2 == 0) {
        colour = running ? 0xE8D5CA : 0x2D2D2D;
    } else if (running) {
        colour = 0xFFF3E8;
    } else {
        colour = 0;
        style = kLogStyleTransparent;
    }
}

void CGame::SetMessageFilters(int32_t mask)
{
    m_bEventsOnly = (mask & kMsgFilterEventsOnly) != 0;
    m_bShowHidden = (mask & kMsgFilterHidden) != 0;
    // State bit 0x1 picks the list that the scroll keys and the de-briefing's history follow.
    if (m_bEventsOnly)
        m_uMessageState |= 1u;
    else
        m_uMessageState &= ~1u;
    if ((m_uMode & kModeStarted) && m_pHUD)
        m_pHUD->DrawMessages();
}

int CGame::FillChatView()
{
    m_aView = m_log.FillChatView();
    return static_cast<int>(m_aView.size());
}

int CGame::FillChatViewFrom(int index)
{
    m_aView = m_log.FillChatViewFrom(index);
    return static_cast<int>(m_aView.size());
}

float CGame::ScrollMessageLog(int kind)
{
    CLogList& list = (m_uMessageState & 1) ? m_log.m_events : m_log.m_messages;
    const int count = list.Count();
    if (count == 0) {
        PlaySound(2);
        return 0.0f;
    }
    const int page = GetMessagePageSize();
    const int low = std::min(page, count);
    int pos = list.nScroll;
    int wanted = pos;
    switch (kind) {
    case 0:
        wanted = pos - 1;
        break;
    case 1:
        wanted = pos + 1;
        break;
    case 2:
        wanted = pos - page;
        break;
    case 3:
        wanted = pos + page;
        break;
    case 4:
        wanted = low;
        break;
    case 5:
        wanted = count;
        break;
    default:
        break;
    }
    wanted = std::clamp(wanted, low, count);
    if (wanted == pos) {
        PlaySound(2);
    } else {
        SetMessageScroll(wanted);
        PlaySound(0);
        if ((m_uMode & kModeStarted) && m_pHUD)
            m_pHUD->DrawMessages();
    }
    return static_cast<float>(list.nScroll) / static_cast<float>(count);
}

void CGame::ScrollChatView(int kind)
{
    const int count = m_log.m_messages.Count();
    if (count == 0) {
        PlaySound(2);
        return;
    }
    const int low = std::min(kChatPage, count);
    int pos = m_log.m_nChatScroll;
    int wanted = pos;
    switch (kind) {
    case 0:
        wanted = pos - 1;
        break;
    case 1:
        wanted = pos + 1;
        break;
    case 2:
        wanted = pos - kChatPage;
        break;
    case 3:
        wanted = pos + kChatPage;
        break;
    case 4:
        wanted = low;
        break;
    case 5:
        wanted = count;
        break;
    default:
        break;
    }
    wanted = std::clamp(wanted, low, count);
    if (wanted == pos) {
        PlaySound(2);
        return;
    }
    m_log.m_nChatScroll = wanted;
    PlaySound(0);
}
