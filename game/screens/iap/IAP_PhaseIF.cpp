// The IAP phase screen's rules: opening by role, percentage steps, submit, approve, reject and the saved delay.
#include "game/screens/iap/IAP_PhaseIF.h"

#include "game/app/Game.h"
#include "game/rules/RulesGame.h"
#include "game/screens/boxes/Boxes.h"
#include "game/screens/eoc/EOCPlayers.h"
#include "core/util/ByteStream.h"
#include "core/persist/DataRange.h"
#include "platform/gdi/Font.h"
#include "platform/system/Clock.h"

#include <algorithm>

namespace {

const uint32_t kNoticeColour = 0x00C85555; // RGB(85, 85, 200)
constexpr int32_t kNoticeKind = 1;
constexpr int kAboutInfoText = 26;

const std::string kExplainSingle =
    "Set the automatic Resource Point allocation percentages for the various Incident Command Sections.\n\nEach "
    "Section can be allotted 0-80% of the available Resource Points, except the Command Section, which can never "
    "receive more than 30 percent.\n\nThe grand total can never be more than 100 percent.\n\nOnce the changes are "
    "submitted, you will not have the opportunity to change them until the next IAP Phase. IAP Phases occur once "
    "every half-hour.";
const std::string kExplainPlanning =
    "You can update the Incident Action Plan once each half-hour, during the Incident Action Plan (IAP) "
    "Phase.\n\nEach Section can be allotted 0-80% of any Resource Points that become available during this time, "
    "except the Command Section, which can never receive more than 30 percent.\n\nThe grand total can never be "
    "more than 100 percent. The revised IAP allocations must be approved by the Zoranth. These percentages will "
    "affect all additional Resource Points that become available, unless they are changed during a subsequent IAP "
    "Phase";
const std::string kExplainZoranth =
    "Review and Approve or Disapprove Planning Section's recommendations.\n\nIf the changes are disapproved, the "
    "Planning Section head will be given an opportunity to submit a revised plan.\n\nOnce you have approved the "
    "revised Incident Action Plan, these priorities cannot be changed again until the next IAP Phase.\n\nIAP "
    "Phases occur once every half-hour.";
const std::string kExplainView =
    "These are the current automatic Resource Point allocation percentages, as set by the Planning Chief and "
    "approved by the Zoranth.\n\n They may not be changed at this time.";

} // namespace

IAP_PhaseIF::IAP_PhaseIF()
{
    m_pFont16 = MakeArial(16, true);
    m_pFont18Plain = MakeArial(18, true, false);
    m_pFont18 = MakeArial(18, true);
    m_pFont20 = MakeArial(20, true);
}

IAP_PhaseIF::~IAP_PhaseIF() = default;

bool IAP_PhaseIF::LoadArt(CDisplay* display, const std::string& base, CGame* game)
{
    m_pDisplay = display;
    m_pGame = game;
    return m_art.Load(display, base, "IAP_Art.csv", kArtRows);
}

bool IAP_PhaseIF::Init(CEOCUnitData* data)
{
    m_pData = data;
    if (m_pData) {
        m_aWork = m_aBase = m_pData->m_aSections;
        m_pData->ApplyAllActiveFactors();
    }
    BuildFaces();
    return true;
}

void IAP_PhaseIF::WriteState(CByteWriter& out, int32_t delay)
{
    out.WriteI32(delay);
}

bool IAP_PhaseIF::ReadState(CByteReader& in, int32_t& delay)
{
    int32_t value = 0;
    // A negative delay, or one past the limit, is none a game can have written.
    if (!in.ReadI32(value) || value < 0 || value > kMaxPenaltyTotal)
        return false;
    delay = value;
    return true;
}

bool IAP_PhaseIF::AddPenalty(int32_t& total, int32_t amount)
{
    if (amount < 1 || amount > 30)
        return false;
    total = std::min(kMaxPenaltyTotal, std::max(total, 0) + amount);
    return true;
}

const CArtRow* IAP_PhaseIF::Row(int index) const
{
    const auto& rows = m_art.Rows();
    return index >= 0 && static_cast<size_t>(index) < rows.size() ? &rows[static_cast<size_t>(index)] : nullptr;
}

bool IAP_PhaseIF::Hit(const RECT& rect, int x, int y)
{
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

void IAP_PhaseIF::Sound(int id, float volume) const
{
    if (m_pGame)
        m_pGame->PlaySound(id, volume);
}

// --- geometry -------------------------------------------------------------------------------------------------

RECT IAP_PhaseIF::PanelRect() const
{
    const CArtRow* panel = Row(0);
    return panel ? RECT{panel->x, panel->y, panel->x + panel->width, panel->y + panel->height} : RECT{0, 0, 0, 0};
}

RECT IAP_PhaseIF::RowRect(int section) const
{
    const CArtRow *panel = Row(0), *label = Row(21);
    if (!panel || !label || !m_pData || section < 0 || section >= kSections)
        return RECT{0, 0, 0, 0};
    const CEOCUnit& chief = m_pData->Unit(0, section);
    const int x = CheckedInt(static_cast<double>(panel->x) + chief.nX),
              y = CheckedInt(static_cast<double>(panel->y) + chief.nY + 45);
    return RECT{x, y, CheckedInt(static_cast<double>(x) + label->width),
                CheckedInt(static_cast<double>(y) + label->height)};
}

RECT IAP_PhaseIF::ArrowRect(int section, int arrow) const
{
    const CArtRow* row = section >= 0 && section < kSections ? Row(6 + section * 2 + arrow) : nullptr;
    return row ? RECT{row->x, row->y, row->x + row->width, row->y + row->height} : RECT{0, 0, 0, 0};
}

RECT IAP_PhaseIF::ButtonRect(int button) const
{
    const CArtRow *panel = Row(0), *first = Row(16), *second = Row(17), *about = Row(18);
    if (!panel || !first || !second || !about || ButtonCaption(button, false).empty())
        return RECT{0, 0, 0, 0};
    const int right = panel->x + panel->width, bottom = panel->y + panel->height;
    if (button == 0) {
        const int x = right - second->width - first->width - 25, y = bottom - first->height - 20;
        return RECT{x, y, x + first->width, y + first->height};
    }
    if (button == 1) {
        const int x = right - second->width - 20, y = bottom - second->height - 20;
        return RECT{x, y, x + second->width, y + second->height};
    }
    const int x = panel->x + 20, y = bottom - about->height - 20;
    return RECT{x, y, x + about->width, y + about->height};
}

std::string IAP_PhaseIF::ButtonCaption(int button, bool hover) const
{
    switch (button) {
    case 0:
        if (m_uMode == kModeApprove)
            return "Approve";
        if (Editable())
            return hover && ProposedTotal() != 100 ? "Not 100 %" : "Submit";
        return {};
    case 1:
        return m_uMode == kModeApprove ? "Reject" : m_uMode == kModeView ? "Exit" : "";
    case 2:
        return "About the IAP";
    default:
        return {};
    }
}

const std::string& IAP_PhaseIF::ExplanationText() const
{
    switch (m_uMode) {
    case kModeSingle:
        return kExplainSingle;
    case kModePropose:
        return kExplainPlanning;
    case kModeApprove:
        return kExplainZoranth;
    default:
        return kExplainView;
    }
}

// --- opening and closing --------------------------------------------------------------------------------------

void IAP_PhaseIF::Open(uint32_t mode)
{
    if (m_pData)
        m_aWork = m_aBase = m_pData->m_aSections;
    const uint32_t game = m_pGame ? m_pGame->m_uMode : ::kModeSingle;
    if (mode & (kModeSingle | kModeView))
        m_uMode = (mode & kModeSingle) ? kModeSingle : kModeView;
    else if (game & ::kModeSingle)
        m_uMode = kModeSingle;
    else if (game & kModeIAPReview)
        m_uMode = (mode & kModePropose) ? kModePropose : kModeView;
    else if (game & kModeIAPApproval)
        m_uMode = (mode & kModeApprove) ? kModeApprove : kModeView;
    else
        m_uMode = kModeView;
    if (Editable()) {
        for (int s = 0; s < kSections; ++s) {
            m_aWork[static_cast<size_t>(s)].nProposed = m_aWork[static_cast<size_t>(s)].nAllocation;
            m_aBase[static_cast<size_t>(s)].nProposed = m_aBase[static_cast<size_t>(s)].nAllocation;
        }
    }
    m_nHoverSection = m_nHoverRow = m_nHoverArrow = m_nHoverArrowSection = m_nHoverButton = -1;
    m_bShown = true;
    RedrawPanels();
}

void IAP_PhaseIF::Hide()
{
    if (m_pGame)
        m_pGame->SetPaused(false);
    m_bShown = false;
    m_nHoverSection = m_nHoverRow = m_nHoverArrow = m_nHoverArrowSection = m_nHoverButton = -1;
}

void IAP_PhaseIF::Close()
{
    Hide();
}

// --- the plan -------------------------------------------------------------------------------------------------

int32_t IAP_PhaseIF::ProposedTotal() const
{
    int32_t total = 0;
    for (const CEOCSection& s : m_aWork)
        total += s.nProposed;
    return total;
}

bool IAP_PhaseIF::StepPercentage(int section, int arrow)
{
    if (!Editable() || section < 0 || section >= kSections)
        return false;
    const uint32_t now = platform::GetTickCount();
    if (m_bStepped && now - m_uLastStep < 100)
        return false;
    int32_t& value = m_aWork[static_cast<size_t>(section)].nProposed;
    const int32_t top = section == 0 ? kCommandShareMax : kSectionShareMax;
    bool changed = false;
    if (arrow == 0 && value < top) {
        value += 10;
        changed = true;
    } else if (arrow == 1 && value > 0) {
        value -= 10;
        changed = true;
    }
    if (changed) {
        m_bStepped = true;
        m_uLastStep = now;
        RedrawPanels();
    }
    return changed;
}

void IAP_PhaseIF::SendPlan(bool approving)
{
    bool differs = false;
    for (int s = 0; s < kSections; ++s)
        differs = differs || m_aWork[static_cast<size_t>(s)].nProposed != m_aBase[static_cast<size_t>(s)].nProposed;
    if (!approving && !differs)
        return;
    CByteWriter out;
    for (const CEOCSection& s : m_aWork)
        out.WriteI32(approving ? s.nProposed : s.nAllocation);
    for (const CEOCSection& s : m_aWork)
        out.WriteI32(s.nProposed);
    if (m_pGame)
        m_pGame->PostGameMessage(52, out.Bytes(), out.Size());
    else if (m_pData)
        m_pData->ApplyAllocation(out.Bytes(), out.Size());
}

bool IAP_PhaseIF::PressButton(int button)
{
    if (ButtonCaption(button, false).empty())
        return false;
    if (button == 2) {
        if (m_pGame && m_pGame->m_pInfoBox)
            m_pGame->m_pInfoBox->ShowInfo(kAboutInfoText);
        Sound(0);
        return true;
    }
    if (button == 0) {
        if (ProposedTotal() != 100) {
            Sound(2);
            return false;
        }
        // Only a plan submitted or approved counts as reviewed.
        if (m_pGame)
            m_pGame->PostGameSignal(62);
        const bool approving = Approving();
        SendPlan(approving);
        if (m_pGame && approving) {
            m_pGame->SendNotice(kApprovedNotice, kNoticeKind, kNoticeColour, 0x4400);
            CByteWriter delay;
            delay.WriteI32(m_pGame->GetTimeSinceIAPMark());
            m_pGame->PostGameMessage(64, delay.Bytes(), delay.Size());
            m_pGame->PostGameSignal(60);
            if (m_pGame->m_bAuthority && m_pGame->m_pRules)
                m_pGame->m_pRules->m_engine.Notify(kNotifyIAP, nullptr, 1, 0, 0);
        } else if (m_pGame) {
            m_pGame->SendNotice(kSubmittedNotice, kNoticeKind, kNoticeColour, 0x400);
            m_pGame->PostGameSignal(59);
        }
    } else if (m_uMode == kModeApprove && m_pGame) {
        m_pGame->SendNotice(kRejectedNotice, kNoticeKind, kNoticeColour, 0x4400);
        m_pGame->PostGameSignal(60);
        m_pGame->SendNotice(kReviewNotice, kNoticeKind, kNoticeColour, 0x4000);
        m_pGame->PostGameSignal(61);
    }
    Hide();
    Sound(0);
    return true;
}

// --- input ----------------------------------------------------------------------------------------------------

bool IAP_PhaseIF::OnMouseMove(int x, int y, uint32_t)
{
    if (!m_bShown)
        return false;
    const int oldRow = m_nHoverRow, oldArrow = m_nHoverArrow, oldArrowSection = m_nHoverArrowSection,
              oldButton = m_nHoverButton;
    m_nHoverSection = m_nHoverRow = m_nHoverArrow = m_nHoverArrowSection = m_nHoverButton = -1;
    if (!Hit(PanelRect(), x, y))
        return true;
    for (int s = 0; s < kSections && m_nHoverRow < 0; ++s) {
        if (Hit(RowRect(s), x, y))
            m_nHoverRow = s;
    }
    for (int s = 0; s < kSections && m_nHoverRow < 0 && m_nHoverArrow < 0; ++s) {
        for (int a = 0; a < 2; ++a) {
            if (Hit(ArrowRect(s, a), x, y)) {
                m_nHoverArrow = a;
                m_nHoverArrowSection = s;
                break;
            }
        }
    }
    for (int b = 0; b < 3 && m_nHoverRow < 0 && m_nHoverArrow < 0 && m_nHoverButton < 0; ++b) {
        if (Hit(ButtonRect(b), x, y))
            m_nHoverButton = b;
    }
    m_nHoverSection = m_nHoverRow >= 0 ? 0 : -1;
    const bool changed = oldRow != m_nHoverRow || oldArrow != m_nHoverArrow ||
                         oldArrowSection != m_nHoverArrowSection || oldButton != m_nHoverButton;
    if (changed && (m_nHoverRow >= 0 || m_nHoverArrow >= 0 || m_nHoverButton >= 0))
        Sound(1, 0.4f);
    return true;
}

bool IAP_PhaseIF::OnClick(int x, int y, uint32_t buttons)
{
    if (!m_bShown)
        return false;
    OnMouseMove(x, y, 0);
    if (buttons & 1) {
        if (m_nHoverArrow >= 0 && !Editable())
            Sound(2);
        else if (m_nHoverArrow >= 0 && StepPercentage(m_nHoverArrowSection, m_nHoverArrow))
            Sound(0);
        else if (m_nHoverButton >= 0)
            PressButton(m_nHoverButton);
    } else if ((buttons & 2) && m_nHoverRow >= 0 && m_pData) {
        if (m_pGame && m_pGame->m_pInfoBox)
            m_pGame->m_pInfoBox->ShowInfo(m_pData->Unit(0, m_nHoverRow).nInfoTextId);
        Sound(0);
    }
    return true;
}

std::string IAP_PhaseIF::ChiefName(int section) const
{
    if (!m_pGame)
        return {};
    if (IsNetworkGame(m_pGame)) {
        const int32_t holder = FindRoleHolder(m_pGame, kSectionRoleFlags[section]);
        return holder == -1 ? std::string() : PlayerName(m_pGame, holder);
    }
    return MayActForSection(m_pGame, section) ? GetLocalPlayer(m_pGame).strName : std::string();
}
