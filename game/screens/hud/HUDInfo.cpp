// The HUD's text areas: the info texts, the info panel pages, the message panel and the chat entry line.
#include "game/screens/hud/HUD.h"

#include "core/display/CDisplay.h"
#include "core/world/ICSNames.h"
#include "core/world/ScenarioData.h"
#include "core/world/Sprite.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "game/app/Game.h"
#include "game/rules/TimeHHMM.h"
#include "game/screens/eoc/EOCUnitData.h"
#include "game/sim/Squad.h"
#include "game/sim/SquadGame.h"
#include "game/sim/SquadManager.h"
#include "core/persist/DataRange.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

using platform::gdi::DeviceContext;
namespace gdi = platform::gdi;

void Text(DeviceContext* dc, const std::string& text, RECT rect, unsigned format)
{
    dc->DrawText(text.c_str(), -1, &rect, format);
}

void TextAt(DeviceContext* dc, int x, int y, const std::string& text)
{
    dc->TextOut(x, y, text.c_str(), -1);
}

std::string Format(const char* format, const char* a, int n)
{
    char buffer[600];
    std::snprintf(buffer, sizeof buffer, format, a, n);
    return buffer;
}

std::string Format2(const char* format, const char* a, const char* b)
{
    char buffer[600];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return buffer;
}

} // namespace

// ---- texts ----

bool HUD::LoadInfoTexts(const std::string& folder)
{
    const struct {
        const char* file;
        std::vector<std::string>* entries;
        size_t count;
    } kFiles[] = {{"IAP Screen Info.txt", &m_aUnitTexts, kUnitTexts},
                  {"Terrain Feature CueCard Text.txt", &m_aCueCardTexts, kCueCardTexts}};
    for (const auto& f : kFiles) {
        const std::string path = platform::JoinPath(folder, f.file);
        std::string text;
        if (!ReadHudTextFile(path, text)) {
            platform::ShowMessageBox(path, "Failed to open file", platform::MessageIcon::Error);
            return false;
        }
        std::vector<std::string> entries = ParseInfoTexts(text, f.count);
        entries.resize(f.count);
        *f.entries = std::move(entries);
    }
    m_bInfoDirty = true;
    return true;
}

// ---- selection ----

void HUD::ShowInfo(int kind, const void* object)
{
    const int newKind = object ? kind : kInfoNone;
    if (newKind != m_nInfoKind || object != m_pInfoObject)
        m_bInfoDirty = true;
    m_nInfoKind = newKind;
    m_pInfoObject = object;
    m_nInfoSection = m_nInfoUnit = -1;
}

void HUD::ShowUnitInfo(int section, int unit)
{
    if (m_nInfoKind != kInfoUnit || section != m_nInfoSection || unit != m_nInfoUnit)
        m_bInfoDirty = true;
    m_nInfoKind = kInfoUnit;
    m_pInfoObject = nullptr;
    m_nInfoSection = section;
    m_nInfoUnit = unit;
}

// ---- info panel ----

void HUD::DrawInfoPanel(CDisplay*, int kind)
{
    m_bInfoDirty = false;
    if (!m_info.Ready())
        return;
    m_info.pSurface->BltFast(0, 0, m_info.pClean.get(), nullptr, 0);
    // The periodic redraw passes its clock; only the kinds 0-3 replace the stored one.
    if (kind >= kInfoSquad && kind <= kInfoSprite)
        m_nInfoKind = kind;

    // A squad that has left both managers is dropped.
    const CSquad* squad = nullptr;
    if (m_nInfoKind == kInfoSquad && m_pInfoObject) {
        CSquadGame* squads = m_pGame ? m_pGame->m_pSquadGame.get() : nullptr;
        const CSquad* wanted = static_cast<const CSquad*>(m_pInfoObject);
        for (CSquadManager* m : {squads ? squads->Scenario() : nullptr, squads ? squads->Area() : nullptr})
            if (m && m->ContainsSquad(wanted))
                squad = wanted;
        if (!squad) {
            m_pInfoObject = nullptr;
            m_nInfoKind = kInfoNone;
        }
    }

    // The bars are blitted before the text is drawn.
    const int pageType = squad && squad->m_pSprite ? squad->m_pSprite->Kind() : 0;
    if (m_nInfoKind == kInfoSquad && squad && (pageType == 1 || pageType == 4)) {
        const bool vehicle = pageType == 4;
        const int healthRow = squad->m_nHealthState == 1   ? 45
                              : squad->m_nHealthState == 2 ? 46
                              : squad->m_nHealthState == 3 ? 47
                                                           : 44;
        DrawBar(m_info.pSurface.get(), 60, vehicle ? 52 : 71, squad->m_fHealth, healthRow, true);
        if (!vehicle) {
            const int fatigueRow = squad->m_nFatigueLevel == 1 ? 42 : squad->m_nFatigueLevel == 2 ? 43 : 41;
            DrawBar(m_info.pSurface.get(), 60, 86, squad->m_fFatigue, fatigueRow, false);
        }
    }
    DeviceContext* dc = nullptr;
    if (m_info.pSurface->GetDC(&dc) != DD_OK || !dc)
        return;
    dc->SelectFont(m_pFont.get());
    dc->SetBkMode(gdi::TRANSPARENT);
    dc->SetTextColor(RGB(0, 0, 0));
    const int w = m_info.width, h = m_info.height;
    switch (m_nInfoKind) {
    case kInfoSquad: {
        if (!squad)
            DrawDefaultPage(dc, w, h);
        else if (pageType == 1 || pageType == 4)
            DrawSquadPage(dc, m_info.pSurface.get(), w, h, pageType == 4);
        break;
    }
    case kInfoUnit:
        DrawUnitPage(dc, w, h);
        break;
    case kInfoStation:
        DrawStationPage(dc, w, h);
        break;
    case kInfoSprite:
        if (!DrawCueCardPage(dc, w, h))
            DrawDefaultPage(dc, w, h);
        break;
    default:
        DrawDefaultPage(dc, w, h);
        break;
    }
    m_info.pSurface->ReleaseDC(dc);
}

void HUD::DrawDefaultPage(DeviceContext* dc, int width, int height)
{
    char line[64];
    std::snprintf(line, sizeof line, "Time: %04d", m_pGame ? m_pGame->GetTimeOfDay() : 0);
    TextAt(dc, 15, 12, line);
    std::string name;
    if (m_pGame)
        name = m_pGame->m_pScenario ? std::string(m_pGame->m_pScenario->m_szTitle) : m_pGame->m_strScenarioName;
    TextAt(dc, 145, 12, name);
    const std::string version = "v. " + (m_pGame ? m_pGame->m_strProductVersion : std::string());
    Text(dc, version, RECT{10, 10, width - 10, height - 7}, gdi::DT_RIGHT | gdi::DT_BOTTOM | gdi::DT_SINGLELINE);
}

void HUD::DrawBar(CSurface* panel, int frameX, int frameY, float value, int pieceRow, bool)
{
    const CArtRow* frame = Row(39);
    if (frame) {
        RECT src{0, 0, frame->width, frame->height};
        panel->BltFast(frameX, frameY, frame->pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
    }
    const CArtRow* piece = Row(pieceRow);
    if (!piece || value - 1.0f <= 1.0f)
        return;
    // Mended: the pieces stop at the frame's (or the panel's) right edge, whatever the value.
    const int limit = frame ? frameX + frame->width - 2 : m_info.width - 1;
    const int last = static_cast<int>(std::min<int64_t>(int64_t{frameX} + CheckedInt(value - 2.0f), limit));
    RECT src{0, 0, piece->width, piece->height};
    for (int x = frameX + 1; x <= last; ++x)
        panel->BltFast(x, frameY + 1, piece->pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
}

void HUD::DrawSquadPage(DeviceContext* dc, CSurface*, int width, int height, bool vehicle)
{
    const CSquad* squad = static_cast<const CSquad*>(m_pInfoObject);
    DrawDefaultPage(dc, width, height);
    const char* name = squad->m_pSprite ? squad->m_pSprite->m_szName : "";
    const std::string order = GetActionName(squad->m_nState);
    TextAt(dc, 15, 35, Format("%s %d", name, squad->Number()));
    Text(dc, GetAgencyName(squad->AgencyKind()), RECT{10, 35, width - 15, 50}, gdi::DT_RIGHT | gdi::DT_SINGLELINE);
    if (!vehicle) {
        TextAt(dc, 15, 50, Format("%s %d", "Members:", squad->m_pUnitRecord ? squad->m_pUnitRecord->m_nPersons : 0));
        TextAt(dc, 21, 70, "Health:");
        TextAt(dc, 15, 85, "Fatigue:");
        TextAt(dc, 15, 105, Format2("%s %s", "Orders:", order.c_str()));
        return;
    }
    TextAt(dc, 20, 50, "Health:");
    TextAt(dc, 15, 65, Format2("%s %s", "Orders:", order.c_str()));
    const int capacity = squad->m_pUnitRecord ? squad->m_pUnitRecord->m_nCapacity : 0;
    TextAt(dc, 15, 80, Format("%s %d", "Capacity:", capacity));
    if (capacity <= 0)
        return;
    for (int i = 0; i < 4; ++i) {
        const CSquad* loaded = squad->m_apLoaded[i];
        if (!loaded)
            continue;
        const std::string text =
            Format("%s %d", loaded->m_pSprite ? loaded->m_pSprite->m_szName : "", loaded->Number());
        const int y = (i % 2 == 0) ? 100 : 115;
        const unsigned align = i < 2 ? gdi::DT_LEFT : gdi::DT_RIGHT;
        Text(dc, text, RECT{10, y, width - 15, y + 15}, align | gdi::DT_SINGLELINE);
    }
}

void HUD::DrawUnitPage(DeviceContext* dc, int width, int height)
{
    CHudUnitInfo unit;
    if (!m_fnUnitInfo || !m_fnUnitInfo(m_nInfoSection, m_nInfoUnit, unit) || unit.nDescription == 0) {
        DrawDefaultPage(dc, width, height);
        return;
    }
    Text(dc, unit.strName, RECT{10, 10, width - 10, height - 5}, gdi::DT_SINGLELINE);
    Text(dc, Format("%s %d RP", "Cost:", unit.nCost), RECT{10, 25, width - 10, 40}, gdi::DT_SINGLELINE);
    if (!unit.bActivated) {
        int minutes = unit.nActivationMinutes;
        if (unit.bOrdered) {
            const int32_t due = UnitActivationDue(unit.nOrderTime, unit.nActivationMinutes);
            minutes = HHMMToMinutes(SubtractTimeHHMM(due, m_pGame ? m_pGame->GetTimeOfDay() : 0));
        }
        char line[64];
        std::snprintf(line, sizeof line, "Activation: %d Min(s)", minutes);
        Text(dc, line, RECT{10, 25, width - 10, 40}, gdi::DT_RIGHT | gdi::DT_SINGLELINE);
    }
    // Mended: a description number past the list shows no text instead of reading beyond it.
    const int n = unit.nDescription;
    if (n >= 1 && n <= static_cast<int>(m_aUnitTexts.size()))
        Text(dc, m_aUnitTexts[n - 1], RECT{10, 45, width - 10, height - 5}, gdi::DT_WORDBREAK);
}

void HUD::DrawStationPage(DeviceContext* dc, int width, int height)
{
    const CSprite* sprite = static_cast<const CSprite*>(m_pInfoObject);
    DrawDefaultPage(dc, width, height);
    const CStationData* station = sprite ? sprite->m_pStationData : nullptr;
    if (!station)
        return;
    TextAt(dc, 15, 30, std::string(station->m_szName, strnlen(station->m_szName, sizeof station->m_szName)));
    if (station->m_nStationKind != 7) {
        char line[32];
        std::snprintf(line, sizeof line, "%d Mins.", station->m_nMinutesToSite);
        Text(dc, line, RECT{10, 30, width - 10, 50}, gdi::DT_RIGHT | gdi::DT_SINGLELINE);
    }
    int row = 0;
    for (int i = 0; i < CStationData::kResourceSlots; ++i) {
        const CStationResource* r = station->GetResource(i);
        if (!r)
            continue;
        char line[600];
        std::snprintf(line, sizeof line, "%d - %.259s(s) %s", r->m_nResCount, r->m_szName,
                      r->m_bOnCall ? "On Call" : "At Station");
        TextAt(dc, 12, 45 + 14 * row, line);
        ++row;
    }
}

bool HUD::DrawCueCardPage(DeviceContext* dc, int width, int height)
{
    const CSprite* sprite = static_cast<const CSprite*>(m_pInfoObject);
    const CSpriteManager* sprites = m_pGame ? m_pGame->m_pSprites.get() : nullptr;
    if (!sprite || !sprites || !sprites->ContainsSprite(sprite)) {
        m_pInfoObject = nullptr;
        m_nInfoKind = kInfoNone;
        return false;
    }
    const int k = sprite->m_nFeatureColumn4;
    if (k < 1 || k > 99)
        return false;
    Text(dc, sprite->m_szName, RECT{10, 10, width - 10, height - 5}, gdi::DT_SINGLELINE);
    Text(dc, m_aCueCardTexts[k - 1], RECT{10, 25, width - 10, height - 5}, gdi::DT_WORDBREAK);
    return true;
}

// ---- message panel ----

int HUD::Layout() const
{
    const uint32_t state = m_pGame ? m_pGame->m_uMessageState : 0;
    const bool expanded = m_pGame && m_pGame->IsMessagePanelOpen();
    if (expanded && (state & 6) && (state & 8))
        return 2;
    if (expanded && (state & 6))
        return 1;
    return 0;
}

CHudPart& HUD::LayoutPart()
{
    return m_aLayouts[Layout()];
}

int HUD::DrawMessages()
{
    ++m_nMessageRedraws;
    CHudPart& panel = LayoutPart();
    if (!panel.Ready() || !m_pGame)
        return 0;
    panel.pSurface->BltFast(0, 0, panel.pClean.get(), nullptr, 0);
    const int count = m_pGame->FillMessageLogView();
    DeviceContext* dc = nullptr;
    if (panel.pSurface->GetDC(&dc) != DD_OK || !dc)
        return count;
    dc->SelectFont(m_pFont.get());
    // Each message wrapped again to this panel (clear of its scroll buttons), whatever panel it was stored for;
    // the page's newest rows stay in view.
    const std::vector<CViewRow> rows = CMessageLog::WrapViewToWidth(
        m_pGame->GetViewLines(), MessagePanelWidth(), [this](const std::string& t) { return MeasureMessageText(t); });
    const size_t fit = static_cast<size_t>(std::max(1, m_pGame->GetMessagePageSize()));
    const size_t first = rows.size() > fit ? rows.size() - fit : 0;
    m_aMessageRows.clear();
    for (size_t r = first; r < rows.size(); ++r) {
        const int i = static_cast<int>(r - first);
        uint32_t back = 0;
        int style = 0;
        m_pGame->GetLogEntryStyle(rows[r].nSource, back, style);
        dc->SetBkMode(style == kLogStyleOpaque ? gdi::OPAQUE : gdi::TRANSPARENT);
        dc->SetBkColor(back);
        dc->SetTextColor(m_pGame->GetLogEntryColour(rows[r].nSource));
        RECT rect{10, 7 + 14 * i, panel.width - 10, 21 + 14 * i};
        const std::string text = rows[r].strText.substr(0, 420);
        dc->DrawText(text.c_str(), -1, &rect, gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_NOPREFIX | gdi::DT_NOCLIP);
        m_aMessageRows.push_back(text);
    }
    panel.pSurface->ReleaseDC(dc);
    return count;
}

void HUD::DrawMessageArea(CSurface* target)
{
    CHudPart& panel = LayoutPart();
    if (panel.Ready()) {
        RECT src{0, 0, panel.width, panel.height};
        target->BltFast(panel.x, panel.y, panel.pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
    }
    BlitRow(target, 50, "HUD Draw Failed");
    BlitRow(target, m_nHover == 12 ? 52 : 51, "HUD Draw Button State Failed");
    BlitRow(target, m_nHover == 13 ? 55 : 54, "HUD Draw Button State Failed");
    if (m_chat.Ready()) {
        RECT src{0, 0, m_chat.width, m_chat.height};
        target->BltFast(m_chat.x, m_chat.y, m_chat.pSurface.get(), &src, DDBLTFAST_SRCCOLORKEY);
    }
    BlitRow(target, m_nHover == 14 ? 58 : 57, "HUD Draw Button State Failed");
}

void HUD::DrawChatEntry()
{
    if (!m_chat.Ready())
        return;
    m_chat.pSurface->BltFast(0, 0, m_chat.pClean.get(), nullptr, 0);
    DeviceContext* dc = nullptr;
    if (m_chat.pSurface->GetDC(&dc) != DD_OK || !dc)
        return;
    dc->SelectFont(m_pFont.get());
    dc->SetBkMode(gdi::TRANSPARENT);
    dc->SetTextColor(RGB(10, 10, 10));
    const std::string text = "Enter msg: " + m_strChat.substr(0, 420) + "_";
    Text(dc, text, RECT{10, 0, m_chat.width - 40, m_chat.height}, gdi::DT_WORDBREAK);
    m_chat.pSurface->ReleaseDC(dc);
}

DeviceContext* HUD::BeginMessageText(RECT* rect)
{
    CHudPart& panel = LayoutPart();
    DeviceContext* dc = nullptr;
    if (!panel.Ready() || panel.pSurface->GetDC(&dc) != DD_OK || !dc)
        return nullptr;
    dc->SelectFont(m_pFont.get());
    if (rect)
        *rect = RECT{10, 5, panel.width - 34, 19};
    return dc;
}

void HUD::EndMessageText(DeviceContext* dc)
{
    if (dc)
        LayoutPart().pSurface->ReleaseDC(dc);
}

int HUD::MessagePanelWidth() const
{
    const CHudPart& panel = m_aLayouts[Layout()];
    return panel.Ready() ? panel.width - 44 : 380;
}

int HUD::MeasureMessageText(const std::string& text)
{
    if (!m_pFont)
        return static_cast<int>(text.size()) * 7;
    int width = 0;
    for (unsigned char ch : text)
        width += m_pFont->Advance(ch);
    return width;
}
