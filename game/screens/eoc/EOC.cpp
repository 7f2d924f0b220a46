// The EOC screen's rules: opening, ordering and cancelling units and chiefs, RP arrows, clicks and the commit.
#include "game/screens/eoc/EOC.h"

#include "core/widgets/CPopupMenu.h"
#include "core/widgets/CPopupMenuView.h"
#include "game/app/Game.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/eoc/EOCPlayers.h"
#include "platform/gdi/Font.h"
#include "platform/system/Clock.h"

#include <cmath>
#include <cstdio>

EOC::EOC()
{
    m_pFont16 = MakeArial(16, true);
    m_pFont18 = MakeArial(18, true);
    m_pFont20 = MakeArial(20, true);
    m_pPlayerMenu = std::make_unique<CPopupMenu>(0, true);
}

EOC::~EOC() = default;

bool EOC::LoadArt(CDisplay* display, const std::string& base, CGame* game)
{
    m_pDisplay = display;
    m_pGame = game;
    m_pMessageBox = std::make_unique<CMessageBox>(base, display);
    return m_art.Load(display, base, "EOC_Art.csv", kArtRows);
}

bool EOC::Init(CEOCUnitData* data)
{
    m_pData = data;
    if (m_pData) {
        m_pData->SetScreen(this);
        m_aWork = m_aBase = m_pData->m_aSections;
        m_pData->ApplyAllActiveFactors();
    }
    BuildFaces();
    ResetSectionPanel(-1);
    return true;
}

// --- small helpers --------------------------------------------------------------------------------------------

const CArtRow* EOC::Row(int index) const
{
    const auto& rows = m_art.Rows();
    return index >= 0 && static_cast<size_t>(index) < rows.size() ? &rows[static_cast<size_t>(index)] : nullptr;
}

bool EOC::Hit(const RECT& rect, int x, int y) const
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

void EOC::Sound(int id, float volume) const
{
    if (m_pGame)
        m_pGame->PlaySound(id, volume);
}

int32_t EOC::Now() const
{
    return m_pGame ? m_pGame->GetTimeOfDay() : 0;
}

bool EOC::HoldsZoranthRole() const
{
    return IsSectionChief(0);
}

bool EOC::UnitExists(int section, int unit) const
{
    return m_pData && section >= 0 && section < kSections && unit >= 0 && unit < kUnitsPerSection &&
           m_pData->Unit(section, unit).szName[0] != '\0';
}

bool EOC::IsSectionChief(int section) const
{
    return MayActForSection(m_pGame, section);
}

// --- geometry -------------------------------------------------------------------------------------------------

RECT EOC::WindowRect() const
{
    const CArtRow* bg = Row(0);
    if (!bg)
        return RECT{0, 0, 0, 0};
    RECT r{bg->x, bg->y, bg->x + bg->width, bg->y + bg->height};
    for (int i = 1; i <= 15; ++i) {
        if (const CArtRow* tab = Row(i); tab && tab->pSurface)
            r.top = std::min<int32_t>(r.top, tab->y);
    }
    return r;
}

RECT EOC::TabRect(int tab) const
{
    const CArtRow* row = Row(1 + tab * 3);
    if (!row)
        return RECT{0, 0, 0, 0};
    return RECT{row->x, row->y, row->x + row->width, row->y + row->height};
}

RECT EOC::UnitRect(int section, int unit) const
{
    const CArtRow* bg = Row(0);
    const CArtRow* face = Row(16);
    if (!bg || !face || !UnitExists(section, unit))
        return RECT{0, 0, 0, 0};
    const CEOCUnit& u = m_pData->Unit(section, unit);
    const int x = bg->x + u.nX, y = bg->y + u.nY;
    return RECT{x, y, x + face->width, y + face->height};
}

RECT EOC::ArrowRect(int section, int arrow) const
{
    const CArtRow* row = section >= 1 && section <= 4 ? Row(20 + (section - 1) * 2 + arrow) : nullptr;
    if (!row)
        return RECT{0, 0, 0, 0};
    return RECT{row->x, row->y, row->x + row->width, row->y + row->height};
}

RECT EOC::DoneRect() const
{
    const CArtRow *bg = Row(0), *cancel = Row(32), *done = Row(33);
    if (!bg || !cancel || !done)
        return RECT{0, 0, 0, 0};
    const int x = bg->x + bg->width - cancel->width - done->width - 25;
    const int y = bg->y + bg->height - done->height - 20;
    return RECT{x, y, x + done->width, y + done->height};
}

RECT EOC::CancelRect() const
{
    const CArtRow *bg = Row(0), *cancel = Row(32);
    if (!bg || !cancel)
        return RECT{0, 0, 0, 0};
    const int x = bg->x + bg->width - cancel->width - 20;
    const int y = bg->y + bg->height - cancel->height - 20;
    return RECT{x, y, x + cancel->width, y + cancel->height};
}

// --- opening and closing --------------------------------------------------------------------------------------

void EOC::Open()
{
    if (m_pData)
        m_aWork = m_aBase = m_pData->m_aSections;
    for (auto& paid : m_afPaid)
        paid.fill(0.0f);
    m_nHoverTab = m_nHoverUnit = m_nHoverSection = m_nHoverArrow = m_nHoverArrowSection = m_nHoverButton = -1;
    m_nPendingSection = m_nPendingUnit = -1;
    m_bChoosingChief = false;
    m_bDoubleConfirmed = false;
    m_strNotice.clear();
    m_bShown = true;
    DrawResourcePoints();
}

void EOC::Close()
{
    // The game runs again as the EOC found it, whatever pausing was done meanwhile.
    if (m_bPausedGame && m_pGame)
        m_pGame->SetPaused(false);
    m_bPausedGame = false;
    m_bChoosingChief = false;
    if (m_pMessageBox)
        m_pMessageBox->m_bShown = false;
    m_bShown = false;
}

void EOC::Finish(bool commit)
{
    m_bChoosingChief = false;
    if (commit)
        Commit(Now());
    Close();
}

// --- ordering -------------------------------------------------------------------------------------------------

void EOC::Pay(CEOCSection& section, float cost)
{
    section.fResourcePoints -= cost;
    if (section.fResourcePoints < 0.0f) {
        section.fGranted += section.fResourcePoints;
        section.fResourcePoints = 0.0f;
    }
}

EOC::EOrderResult EOC::OrderUnit(int section, int unit, int32_t /*now*/)
{
    if (!UnitExists(section, unit) || IsChiefUnit(section, unit) || !IsSectionChief(section))
        return kRefused;
    CEOCSection& work = m_aWork[static_cast<size_t>(section)];
    const uint32_t bit = 1u << unit;
    const CEOCUnit& u = m_pData->Unit(section, unit);
    const float cost = static_cast<float>(u.nCost);
    float& paid = m_afPaid[static_cast<size_t>(section)][static_cast<size_t>(unit)];
    if (work.uOrdered & bit) {
        // Only an order not yet committed can be taken back.
        if (m_pData->m_aSections[static_cast<size_t>(section)].uOrdered & bit)
            return kRefused;
        work.uOrdered &= ~bit;
        work.fResourcePoints += paid;
        paid = 0.0f;
        return kChanged;
    }
    const int p = u.nPredecessor;
    const bool predecessorActive = p < 0 || p >= kUnitsPerSection || (work.uActivated & (1u << p));
    const float budget = work.fResourcePoints + work.fGranted;
    if (predecessorActive) {
        if (cost > budget)
            return kRefused;
        Pay(work, cost);
        paid = cost;
        work.uOrdered |= bit;
        return kChanged;
    }
    if (budget < 2.0f * cost)
        return kRefused;
    if (m_bDoubleConfirmed) {
        m_bDoubleConfirmed = false;
        Pay(work, 2.0f * cost);
        paid = 2.0f * cost;
        work.uOrdered |= bit;
        return kChanged;
    }
    if (m_pMessageBox)
        m_pMessageBox->ShowMessage(kDoubleCostText);
    m_nPendingSection = section;
    m_nPendingUnit = unit;
    return kAsked;
}

EOC::EOrderResult EOC::OrderSectionChief(int section, int32_t playerId, int32_t /*now*/)
{
    if (!m_pData || section < 0 || section >= kSections || !HoldsZoranthRole())
        return kRefused;
    CEOCSection& chief = m_aWork[static_cast<size_t>(section)];
    CEOCSection& command = m_aWork[0];
    const uint32_t bit = 1u << section;
    if (chief.bChiefActive) {
        // Handing an active chief to another player costs nothing.
        if (playerId != -1)
            chief.nChief = playerId;
        return kNoChange;
    }
    const float cost = static_cast<float>(m_pData->Unit(0, section).nCost);
    float& paid = m_afPaid[0][static_cast<size_t>(section)];
    if (chief.bChiefOrdered && !m_pData->m_aSections[static_cast<size_t>(section)].bChiefOrdered) {
        chief.nChief = -1;
        chief.bChiefOrdered = 0;
        command.uOrdered &= ~bit;
        command.fResourcePoints += paid;
        paid = 0.0f;
        DrawResourcePoints();
        return kChanged;
    }
    if (!chief.bChiefOrdered && cost <= command.fResourcePoints + command.fGranted) {
        chief.nChief = playerId;
        chief.bChiefOrdered = 1;
        command.uOrdered |= bit;
        Pay(command, cost);
        paid = cost;
        DrawResourcePoints();
        return kChanged;
    }
    return kRefused;
}

bool EOC::Commit(int32_t now)
{
    CEOCUpdate update;
    bool changed = false;
    for (int s = 0; s < kSections; ++s) {
        CEOCSection& work = m_aWork[static_cast<size_t>(s)];
        const CEOCSection& base = m_aBase[static_cast<size_t>(s)];
        CEOCUpdateBlock& block = update[static_cast<size_t>(s)];
        const uint32_t added = work.uOrdered & ~base.uOrdered;
        if (added) {
            block.uNewOrdered = added;
            for (int u = 0; u < kUnitsPerSection; ++u) {
                if (added & (1u << u))
                    block.anOrderTime[static_cast<size_t>(u)] = now;
            }
            changed = true;
        }
        if (work.nChief != base.nChief) {
            update[0].anChief[static_cast<size_t>(s)] = static_cast<int16_t>(work.nChief);
            changed = true;
        }
        work.fResourcePoints = ClampPoints(work.fResourcePoints + work.fGranted);
        work.fGranted = 0.0f;
        if (work.fResourcePoints != base.fResourcePoints) {
            update[0].afRPChange[static_cast<size_t>(s)] = work.fResourcePoints - base.fResourcePoints;
            changed = true;
        }
    }
    if (!changed)
        return false;
    const auto bytes = EncodeUpdate(update);
    if (m_pGame)
        m_pGame->PostGameMessage(43, bytes.data(), bytes.size());
    else if (m_pData)
        m_pData->ApplyUnitUpdate(update);
    return true;
}

// --- input ----------------------------------------------------------------------------------------------------

bool EOC::OnMouseMove(int x, int y, uint32_t buttons)
{
    if (!m_bShown)
        return false;
    int result = 0;
    if (m_pMessageBox && m_pMessageBox->m_bShown) {
        m_pMessageBox->OnMouse(x, y, buttons & ~3u, result);
        return true;
    }
    const RECT window = WindowRect();
    m_nHoverUnit = m_nHoverSection = m_nHoverArrow = m_nHoverArrowSection = m_nHoverButton = -1;
    if (!Hit(window, x, y)) {
        m_nHoverTab = -1;
        return true;
    }
    const CArtRow* bg = Row(0);
    if (bg && y <= bg->y) {
        int tab = -1;
        const int edges[5] = {Row(4) ? Row(4)->x : 0, Row(7) ? Row(7)->x : 0, Row(10) ? Row(10)->x : 0,
                              Row(13) ? Row(13)->x : 0, Row(13) ? Row(13)->x + Row(13)->width : 0};
        for (int t = 0; t < 5 && tab < 0; ++t) {
            if (x < edges[t])
                tab = t;
        }
        if (tab != m_nHoverTab && tab >= 0)
            Sound(1, 0.4f);
        m_nHoverTab = tab;
        return true;
    }
    m_nHoverTab = -2;
    for (int u = 0; u < kUnitsPerSection; ++u) {
        if (UnitExists(m_nSection, u) && Hit(UnitRect(m_nSection, u), x, y)) {
            m_nHoverUnit = u;
            m_nHoverSection = m_nSection;
            return true;
        }
    }
    if (m_nSection == 0) {
        for (int s = 1; s <= 4; ++s) {
            for (int a = 0; a < 2; ++a) {
                if (Hit(ArrowRect(s, a), x, y)) {
                    m_nHoverArrow = a;
                    m_nHoverArrowSection = s;
                    return true;
                }
            }
        }
    }
    if (Hit(DoneRect(), x, y))
        m_nHoverButton = 0;
    else if (Hit(CancelRect(), x, y))
        m_nHoverButton = 1;
    return true;
}

bool EOC::OnClick(int x, int y, uint32_t buttons, CPopupMenuView* popup)
{
    if (!m_bShown)
        return false;
    OnMouseMove(x, y, 0);
    if (buttons & 1) {
        OnLeftClick(x, y, popup);
    } else if ((buttons & 2) && m_nHoverUnit >= 0 && !(m_pMessageBox && m_pMessageBox->m_bShown)) {
        if (m_pGame && m_pGame->m_pInfoBox)
            m_pGame->m_pInfoBox->ShowInfo(m_pData->Unit(m_nSection, m_nHoverUnit).nInfoTextId);
        Sound(0);
        m_nHoverUnit = m_nHoverSection = -1;
    }
    return true;
}

void EOC::OnLeftClick(int x, int y, CPopupMenuView* popup)
{
    if (m_pMessageBox && m_pMessageBox->m_bShown) {
        int result = 0;
        m_pMessageBox->OnMouse(x, y, 1, result);
        if (result == 1 && m_nPendingSection >= 0) {
            m_bDoubleConfirmed = true;
            OrderUnit(m_nPendingSection, m_nPendingUnit, Now());
            m_bDoubleConfirmed = false;
            DrawResourcePoints();
        }
        if (result != 0) {
            m_nPendingSection = m_nPendingUnit = -1;
            Sound(0);
        }
        return;
    }
    if (m_nHoverUnit >= 0) {
        OnUnitClick(x, y, popup);
        return;
    }
    if (m_nHoverArrow >= 0) {
        OnArrowClick();
        return;
    }
    if (m_nHoverTab >= 0) {
        m_nSection = m_nHoverTab;
        m_strNotice.clear();
        DrawResourcePoints();
        Sound(0);
        return;
    }
    if (m_nHoverButton >= 0) {
        Finish(m_nHoverButton == 0);
        Sound(0);
    }
}

void EOC::RefuseUnit(const std::string& why)
{
    m_strNotice = why;
    DrawResourcePoints();
    Sound(2);
}

std::string EOC::RefusalReason(int s, int u) const
{
    static const char* const kNames[kSections] = {"Command", "Operations", "Planning", "Logistics", "Finance/Admin"};
    const CEOCSection& work = m_aWork[static_cast<size_t>(s)];
    const CEOCUnit& unit = m_pData->Unit(s, u);
    if (work.uOrdered & (1u << u))
        return std::string(unit.szLabel) + " was ordered with Done and cannot be taken back.";
    const int p = unit.nPredecessor;
    const bool predecessorActive = p < 0 || p >= kUnitsPerSection || (work.uActivated & (1u << p));
    const int cost = unit.nCost * (predecessorActive ? 1 : 2);
    char text[200];
    std::snprintf(text, sizeof text, "%s needs %d RP%s; %s has %d.", unit.szLabel, cost,
                  predecessorActive ? "" : " (double, before its predecessor)", kNames[s],
                  static_cast<int>(work.fResourcePoints + work.fGranted));
    std::string why = text;
    if (m_aWork[0].fResourcePoints >= 1.0f && HoldsZoranthRole())
        why += " Grant points on the Command tab: they count here at once.";
    return why;
}

std::string EOC::ChiefDue(int section) const
{
    const CEOCUnit& chief = m_pData->Unit(0, section);
    char text[120];
    if (m_pData->m_aSections[static_cast<size_t>(section)].bChiefOrdered && chief.nOrderTime > 0) {
        const int32_t due = UnitActivationDue(chief.nOrderTime, chief.nActivationMinutes);
        std::snprintf(text, sizeof text, "the one ordered takes office at %02d:%02d.", due / 100 % 24, due % 100);
    } else if (m_aWork[static_cast<size_t>(section)].bChiefOrdered) {
        std::snprintf(text, sizeof text, "the one ordered takes office %d minutes after Done.",
                      chief.nActivationMinutes);
    } else {
        return "order one on the Command tab.";
    }
    return text;
}

void EOC::OnUnitClick(int x, int y, CPopupMenuView* popup)
{
    static const char* const kNames[kSections] = {"Command", "Operations", "Planning", "Logistics", "Finance/Admin"};
    const int s = m_nSection, u = m_nHoverUnit;
    if (!m_aWork[static_cast<size_t>(s)].bChiefActive) {
        RefuseUnit(std::string(kNames[s]) + " has no chief in office yet: " + ChiefDue(s));
        return;
    }
    if (!IsSectionChief(s)) {
        RefuseUnit(std::string("Only the ") + kNames[s] + " chief orders these units.");
        return;
    }
    if (!IsChiefUnit(s, u)) {
        const EOrderResult r = OrderUnit(s, u, Now());
        if (r == kRefused) {
            RefuseUnit(RefusalReason(s, u));
            return;
        }
        m_strNotice.clear();
        DrawResourcePoints();
        Sound(0);
        return;
    }
    const CEOCSection& work = m_aWork[static_cast<size_t>(u)];
    const CEOCSection& data = m_pData->m_aSections[static_cast<size_t>(u)];
    if (IsNetworkGame(m_pGame)) {
        if (data.bChiefActive || !work.bChiefOrdered) {
            if (!HoldsZoranthRole() || !popup) {
                Sound(2);
                return;
            }
            m_pMenuView = popup;
            m_nMenuX = x;
            m_nMenuY = y;
            m_bChoosingChief = OpenPlayerMenu(0);
            Sound(m_bChoosingChief ? 0 : 2);
            return;
        }
        if (!data.bChiefOrdered) {
            Sound(OrderSectionChief(u, -1, Now()) == kRefused ? 2 : 0);
            return;
        }
        Sound(2);
        return;
    }
    if (OrderSectionChief(u, GetLocalPlayer(m_pGame).nId, Now()) == kRefused) {
        Sound(2);
        return;
    }
    DrawResourcePoints();
    Sound(0);
}

void EOC::OnArrowClick()
{
    if (!HoldsZoranthRole()) {
        Sound(2);
        return;
    }
    const uint32_t now = platform::GetTickCount();
    if (m_bArrowMoved && now - m_uLastArrowMove < 100)
        return;
    CEOCSection& command = m_aWork[0];
    CEOCSection& target = m_aWork[static_cast<size_t>(m_nHoverArrowSection)];
    float& from = m_nHoverArrow == 0 ? command.fResourcePoints : target.fGranted;
    float& to = m_nHoverArrow == 0 ? target.fGranted : command.fResourcePoints;
    if (from < 1.0f) {
        Sound(2);
        return;
    }
    from -= 1.0f;
    to += 1.0f;
    m_bArrowMoved = true;
    m_uLastArrowMove = now;
    DrawResourcePoints();
    Sound(0);
}

bool EOC::OpenPlayerMenu(int page)
{
    // The pop-up holds 20 lines and a game 24 players: more than 20 go in pages of 19 and a "More" line.
    const std::vector<CScreenPlayer> players = GetPlayerTable(m_pGame);
    const bool paged = players.size() > static_cast<size_t>(CPopupMenu::kMaxItems);
    const size_t pages = paged ? (players.size() + kPlayersPerPage - 1) / kPlayersPerPage : 1;
    m_nMenuPage = static_cast<int>(static_cast<size_t>(page) % pages);
    const size_t first = paged ? static_cast<size_t>(m_nMenuPage) * kPlayersPerPage : 0;
    const size_t last = paged ? std::min(players.size(), first + kPlayersPerPage) : players.size();
    m_pPlayerMenu = std::make_unique<CPopupMenu>(0, true);
    for (size_t i = first; i < last; ++i)
        m_pPlayerMenu->AddItem(players[i].strName.c_str(), players[i].nId);
    if (paged)
        m_pPlayerMenu->AddItem("More players...", kMorePlayers);
    return m_pMenuView && m_pMenuView->Open(m_pPlayerMenu.get(), m_nMenuX, m_nMenuY) && m_pMenuView->Render();
}

void EOC::OnPopupChoice(int playerId)
{
    if (!m_bChoosingChief)
        return;
    if (playerId == kMorePlayers) {
        m_bChoosingChief = OpenPlayerMenu(m_nMenuPage + 1);
        return;
    }
    m_bChoosingChief = false;
    if (IsChiefUnit(0, m_nHoverUnit) && m_nSection == 0)
        Sound(OrderSectionChief(m_nHoverUnit, playerId, Now()) == kRefused ? 2 : 0);
}

// --- keeping in step ------------------------------------------------------------------------------------------

void EOC::ApplyUnitUpdate(const uint8_t* record, size_t length)
{
    CEOCUpdate update;
    if (!DecodeUpdate(record, length, update))
        return;
    for (CEOCSectionTable* copy : {&m_aWork, &m_aBase}) {
        for (int s = 0; s < kSections; ++s) {
            CEOCSection& sec = (*copy)[static_cast<size_t>(s)];
            const CEOCUpdateBlock& block = update[static_cast<size_t>(s)];
            sec.uOrdered |= block.uNewOrdered;
            sec.uActivated |= block.uNewActivated;
            const int16_t id = update[0].anChief[static_cast<size_t>(s)];
            if (id != -1)
                sec.nChief = id;
            if (update[0].uNewOrdered & (1u << s))
                sec.bChiefOrdered = 1;
            if (update[0].uNewActivated & (1u << s))
                sec.bChiefActive = 1;
            sec.fResourcePoints = ClampPoints(sec.fResourcePoints + update[0].afRPChange[static_cast<size_t>(s)]);
        }
    }
}

void EOC::AddResourcePoints(int section, float amount)
{
    if (section < 0 || section >= kSections)
        return;
    for (CEOCSectionTable* copy : {&m_aWork, &m_aBase}) {
        float& rp = (*copy)[static_cast<size_t>(section)].fResourcePoints;
        rp = ClampPoints(rp + amount);
    }
    if (m_bShown)
        DrawResourcePoints();
}

void EOC::MarkActivatedUnits(int section, int unit)
{
    if (!m_pData)
        return;
    for (int s = 0; s < kSections; ++s) {
        if (section != -1 && s != section)
            continue;
        const CEOCSection& data = m_pData->m_aSections[static_cast<size_t>(s)];
        const uint32_t mask = unit == -1 ? data.uActivated : data.uActivated & (1u << unit);
        for (CEOCSectionTable* copy : {&m_aWork, &m_aBase}) {
            (*copy)[static_cast<size_t>(s)].uActivated |= mask;
            if (data.bChiefActive)
                (*copy)[static_cast<size_t>(s)].bChiefActive = 1;
        }
    }
}

void EOC::ResetSectionPanel(int section)
{
    // The panels keep no marks of their own beyond the hover: clear it and redraw.
    if (section == -1 || section == m_nSection)
        m_nHoverUnit = m_nHoverSection = -1;
    if (m_bShown)
        DrawResourcePoints();
}

std::string EOC::FormatMoney(int32_t dollars)
{
    char text[32];
    if (dollars < 0)
        dollars = 0;
    if (dollars < 1000)
        std::snprintf(text, sizeof text, "$%d", dollars);
    else if (dollars < 1000000)
        std::snprintf(text, sizeof text, "$%d,%.3d", dollars / 1000, dollars % 1000);
    else
        std::snprintf(text, sizeof text, "$%d,%.3d,%.3d", dollars / 1000000, dollars / 1000 % 1000, dollars % 1000);
    return text;
}
