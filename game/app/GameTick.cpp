// The frame tick: a frame or one logic pass of the mode on polled clocks; role-table and IAP steps.
#include "game/app/Game.h"

#include "core/world/SpriteManager.h"
#include "game/screens/art/ArtList.h"
#include "game/screens/debrief/DeBriefIF.h"
#include "game/screens/eoc/EOC.h"
#include "game/screens/hud/HUD.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/rules/RulesGame.h"
#include "core/util/ByteStream.h"
#include "net/session/NetGameSession.h"
#include "platform/system/Clock.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint32_t kDrawInterval = 33;
constexpr uint32_t kLogicInterval = 30;
constexpr uint32_t kLobbyInterval = 250;
constexpr uint32_t kRoleInterval = 500;
constexpr uint32_t kAuthorityInterval = 500;
constexpr uint32_t kMovementInterval = 33;
constexpr uint32_t kPeriodicInterval = 2000;
constexpr uint32_t kSilenceLimit = 60000;
constexpr uint32_t kSilenceHeadStart = 13000;
constexpr uint32_t kAutoRepeat = 50;
constexpr uint32_t kSilenceColour = 0xA0A96;
constexpr uint32_t kSplashStay = 3000;
// The longest the loop rests while a session may queue messages (its threads cannot wake the loop).
constexpr uint32_t kNetworkPollWait = 5;

// Milliseconds from `now` until a clock armed at `clock` fires: strictly more than `interval` after it.
uint32_t Until(uint32_t clock, uint32_t interval, uint32_t now)
{
    const uint32_t elapsed = now - clock;
    return elapsed > interval ? 0 : interval + 1 - elapsed;
}

int32_t ToMinutes(int32_t hhmm)
{
    return (hhmm / 100) * 60 + hhmm % 100;
}

} // namespace

bool CGame::IsFrontEndMode() const
{
    return (m_uMode & kModeFrontEnd) != 0;
}

bool CGame::Tick()
{
    // Screen art beyond 800 x 600 ends the game with exit code 1 (the reader has told the user).
    if (ScreenFatalPending()) {
        ClearScreenFatal();
        m_uMode |= kModeQuit;
        Exit(1);
        return false;
    }
    if (m_bFirstTick && !(m_uMode & kModeFrontEnd)) {
        m_bFirstTick = false;
        m_uHostSilenceBase = platform::GetTickCount() + kSilenceHeadStart;
    }
    const uint32_t now = platform::GetTickCount();
    if (now - m_uLastDraw > kDrawInterval) {
        Draw();
        if (!PresentFrame() && m_bWindowActive)
            RestoreSurfaces();
        ++m_stats.nFrames;
        m_uLastDraw = platform::GetTickCount();
    } else if (m_uMode & kModeFrontEnd) {
        TickFrontEnd(now);
    } else if (m_uMode & (kModeQuit | kModeDebrief | kModeEnded | kModeCredits)) {
        TickEnd();
    } else {
        TickPlay(now);
    }
    return !(m_uMode & kModeQuit);
}

uint32_t CGame::TimeToNextTick()
{
    if (ScreenFatalPending() || (m_uMode & kModeQuit) || (m_bFirstTick && !(m_uMode & kModeFrontEnd)))
        return 0;
    const uint32_t now = platform::GetTickCount();
    uint32_t wait = Until(m_uLastDraw, kDrawInterval, now);
    const auto due = [&wait](uint32_t ms) { wait = std::min(wait, ms); };
    // Messages left queued are polled at once; else the poll comes round again soon.
    const auto poll = [&] { due(m_pSession->QueuedCount() > 0 ? 0 : kNetworkPollWait); };
    if (m_uMode & kModeFrontEnd) {
        if (m_uLobbyEntered == 0)
            return 0;
        if (m_uMode & (kModeTitle | kModeSponsorSplash | kModeMakerSplash))
            due(Until(m_uLobbyEntered, kSplashStay, now));
        if (m_pSession) {
            poll();
            due(Until(m_uLogicClock, kLobbyInterval, now));
        }
    } else if (m_uMode & (kModeQuit | kModeDebrief | kModeEnded | kModeCredits)) {
        if (m_uMode & kModeEnded)
            return 0;
        if ((m_uMode & kModeDebrief) && m_pSession)
            poll();
    } else {
        if (m_pSession)
            poll();
        if (m_uMode & kModePaused) {
            if (m_nInputState == 2)
                due(Until(m_uLastAutoRepeat, kAutoRepeat, now));
            return wait;
        }
        due(Until(m_uLogicClock, kLogicInterval, now));
        if (m_bAuthority)
            due(Until(m_uAuthorityClock, kAuthorityInterval, now));
        if (m_bMovementEnabled) {
            if (!m_bAuthority && !m_bSilenceWarned) {
                const int64_t since = static_cast<int64_t>(now) - static_cast<int64_t>(m_uHostSilenceBase);
                const int64_t limit = kSilenceLimit;
                due(std::llabs(since) > limit ? 0 : static_cast<uint32_t>(limit + 1 - since));
            }
            due(Until(m_uMovementClock, kMovementInterval, now));
        }
        due(Until(m_uPeriodicClock, kPeriodicInterval, now));
    }
    return wait;
}

void CGame::TickFrontEnd(uint32_t now)
{
    if (m_uLobbyEntered == 0)
        m_uLobbyEntered = platform::GetTickCount();
    // A splash advances after more than 3 seconds without input.
    if ((m_uMode & (kModeTitle | kModeSponsorSplash | kModeMakerSplash)) && now - m_uLobbyEntered > kSplashStay) {
        AdvanceSplash();
        m_uLobbyEntered = now;
    }
    if (!m_pSession)
        return;
    PollNetwork();
    if (now - m_uLogicClock > kLobbyInterval) {
        m_uLogicClock = platform::GetTickCount();
        if (m_uMode & kModeStarted)
            OnKeyDown(kVkPseudoStart, 0);
        if (m_bAuthority) {
            BuildRoleTable();
            SendDropNotices();
            CheckAllPlayersReady();
        }
    }
}

void CGame::TickEnd()
{
    if (m_uMode & kModeEnded) {
        SetMouseCursor(1);
        if (m_bAuthority) {
            ChargeOpenIAP();
            m_pRules->EndScenario();
            EndGame();
        }
        m_uMode &= ~(kModeEnded | kModeRunning | kModeStarted);
    } else if ((m_uMode & kModeDebrief) && m_pSession) {
        PollNetwork();
    }
}

void CGame::TickPlay(uint32_t now)
{
    if (m_pSession)
        PollNetwork();
    if (m_uMode & kModePaused) {
        CheckIAPReminders(GetTimeOfDay());
        LogicStep(now);
        m_uHostSilenceBase = platform::GetTickCount();
        return;
    }
    if (now - m_uLogicClock > kLogicInterval) {
        m_uLogicClock = platform::GetTickCount();
        if (m_pSession && now - m_uRoleClock > kRoleInterval) {
            m_uRoleClock = platform::GetTickCount();
            if ((m_uMode & kModeStarted) && !(m_uMode & kModeRunning))
                m_uMode |= kModeRunning;
            if (m_bAuthority)
                BuildRoleTable();
        }
        LogicStep(now);
    }
    if (m_bAuthority && now - m_uAuthorityClock > kAuthorityInterval) {
        AuthorityStep();
        m_uAuthorityClock = platform::GetTickCount();
    }
    if (m_bMovementEnabled) {
        if (!m_bAuthority && !m_bSilenceWarned) {
            int64_t diff = static_cast<int64_t>(now) - static_cast<int64_t>(m_uHostSilenceBase);
            if (std::llabs(diff) > kSilenceLimit) {
                m_bSilenceWarned = true;
                AddMessage("* No update messages from the host have been received in the last 60 seconds *",
                           static_cast<int32_t>(kRoleMask), kMsgEvent, kSilenceColour, kSenderSystem);
            }
        }
        if (now - m_uMovementClock > kMovementInterval) {
            MovementStep(now);
            m_uMovementClock = now;
        }
    }
    if (now - m_uPeriodicClock > kPeriodicInterval)
        PeriodicStep(now);
}

void CGame::AuthorityStep()
{
    ++m_stats.nAuthoritySteps;
    // The scoring clock's game step: clock and costs, hazard spread, the squads' work and synchronisation.
    m_pRules->GameStep();
    m_aClockState = m_pRules->m_scoring.GetClockState();
    PostGameMessage(kGmClockState, m_aClockState.data(), m_aClockState.size());
    if (m_pEOCUnitData && m_pEOCUnitData->Tick(GetTimeOfDay()))
        PostGameMessage(kGmUnitUpdate, m_pEOCUnitData->UpdateRecord().data(), kUnitUpdateSize);
}

void CGame::MovementStep(uint32_t now)
{
    ++m_stats.nMovementSteps;
    const uint32_t logistics = m_pEOCUnitData ? m_pEOCUnitData->m_aSections[3].uActivated : 0;
    if (!(GetLocalRoleFlags() & kRoleMask) || (logistics & 0x2))
        m_uMode |= kModeAllCommand;
    m_pRules->MovementStep(now);
}

void CGame::PeriodicStep(uint32_t now)
{
    ++m_stats.nPeriodicSteps;
    CheckIAPReminders(GetTimeOfDay());
    // Terrain features under the units drawn last frame are hidden or blended.
    if (m_pSprites)
        m_pSprites->UpdateFeatureOverlaps(m_pMap.get());
    m_uPeriodicClock = now;
    if (m_pHUD)
        m_pHUD->DrawInfoPanel(m_pDisplay.get(), -1);
    if (m_pEOC && m_pEOC->m_bShown)
        m_pEOC->DrawResourcePoints();
}

void CGame::LogicStep(uint32_t now)
{
    ++m_stats.nLogicSteps;
    if (m_nInputState == 2 && now - m_uLastAutoRepeat > kAutoRepeat) {
        m_uLastAutoRepeat = now;
        switch (m_nHudSubState) {
        case 1:
            ScrollMap(0, -1);
            break;
        case 2:
            ScrollMap(0, 1);
            break;
        case 3:
            ScrollMap(-1, 0);
            break;
        case 4:
            ScrollMap(1, 0);
            break;
        case 13:
            ScrollMessageLog(0);
            break;
        case 14:
            ScrollMessageLog(1);
            break;
        case 15:
            OnChatKey(13);
            m_nHudSubState = 0;
            break;
        default:
            break;
        }
    }
    if (m_uMessageState != m_uLastPanelState) {
        if (m_pHUD)
            m_pHUD->DrawMessages();
        m_uLastPanelState = m_uMessageState;
    }
}

void CGame::CheckIAPReminders(int32_t timeOfDay)
{
    if (!m_pIAP || m_pIAP->m_bShown)
        return;
    const uint32_t roles = GetLocalRoleFlags();
    const bool single = (m_uMode & kModeSingle) != 0;
    const int32_t elapsed = ToMinutes(timeOfDay) - ToMinutes(m_nIAPMark);
    if (m_bFirstIAP) {
        PostGameSignal(kGmIAPReviewDue);
        if (single) {
            m_pIAP->Open(0x20000);
            if (!(m_uMode & kModePaused))
                TogglePause();
        } else if (roles & kRoleCommand) {
            m_pIAP->Open(0x20000);
        }
        m_nIAPMark = timeOfDay != 0 ? timeOfDay : m_nStartTime;
        m_bFirstIAP = false;
        return;
    }
    if (elapsed < 30)
        return;
    m_nIAPMark = timeOfDay;
    bool penalised = false;
    if ((single || (roles & kRoleCommand)) && (m_uMode & kModeIAPApproval)) {
        SendNotice("You failed to approve the current Incident Action Plan submitted by the Planning Section within "
                   "the required 30-minute time period.  This will result in a reduction to your score.",
                   kMsgEvent, 0xC85555, static_cast<int32_t>(kRoleCommand));
        PostIAPPenalty(30);
        PostGameSignal(kGmIAPApproved);
        penalised = true;
    }
    if (single || (roles & kRolePlanningChief)) {
        if (m_uMode & kModeIAPReview) {
            SendNotice("You failed to review and update the Incident Action Plan within the last 30 minutes",
                       kMsgHiddenEvent, 0xC85555, -1);
            // A missed review costs the whole period, more than any review made late in it. (It used to cost
            // nothing, so a player who never reviewed scored better than one who reviewed late.)
            if (!penalised)
                PostIAPPenalty(30);
        } else {
            SendNotice("You successfully reviewed and updated the Incident Action Plan within the last 30 minutes",
                       kMsgHiddenEvent, 0xC85555, -1);
            PostGameSignal(kGmIAPReviewDue);
        }
        SendNotice("You need to review and possibly update the Incident Action Plan within the next 30 minutes.  "
                   "Failure to do so will result in a reduction to your score.",
                   kMsgEvent, 0xC85555, static_cast<int32_t>(kRolePlanningChief));
    }
}

void CGame::PostIAPPenalty(int32_t minutes)
{
    CByteWriter w;
    w.WriteI32(minutes);
    PostGameMessage(kGmIAPPenalty, w.Bytes(), w.Size());
}

void CGame::ChargeOpenIAP()
{
    // A review or an approval still owed when the scenario ends is late by the time since the mark, as it
    // would be were it done that moment: leaving it undone never scores better than doing it late.
    if (m_bFirstIAP || !(m_uMode & (kModeIAPReview | kModeIAPApproval)))
        return;
    const int32_t late = GetTimeSinceIAPMark();
    if (late > 0)
        PostIAPPenalty(std::min<int32_t>(late, 30));
    m_uMode &= ~(kModeIAPReview | kModeIAPApproval);
}

void CGame::BuildRoleTable()
{
    if (!m_pSession)
        return;
    CByteWriter w;
    uint32_t roleOr = 0;
    int count = 0;
    for (int i = 0; i < kMaxPlayers; ++i) {
        CSessionPlayer* p = i < m_pSession->SlotCount() ? &m_pSession->Slot(i) : nullptr;
        w.WriteU32(p ? p->m_uRoleFlags : 0);
        if (p && p->m_nPlayerId != -1) {
            ++count;
            roleOr |= p->m_uRoleFlags & kRoleMask;
        }
    }
    PostGameMessage(kGmRoleTable, w.Bytes(), w.Size());
    if (roleOr != m_uLastRoleOr || count != m_nLastRoleCount) {
        CSessionPlayer& host = m_pSession->Slot(0);
        uint32_t taken = 0;
        for (int j = 0; j <= 16; ++j) {
            if (j == 11 || j == 12)
                continue;
            const uint32_t bit = 1u << j;
            if (roleOr & bit)
                continue;
            if (j > 12 && !(m_uLastRoleOr & bit))
                continue;
            if (j == 10 && !((m_uMode & kModeRunning) || count < m_nLastRoleCount))
                continue;
            // Roles that the scenario lists as kinds 5 and 6 are excluded once the sprite manager lands.
            taken |= bit;
        }
        if (taken) {
            host.m_uRoleFlags |= taken;
            CByteWriter r;
            r.WriteI32(host.m_nPlayerId);
            r.WriteU32(host.m_uRoleFlags);
            PostGameMessage(kGmPlayerRoles, r.Bytes(), r.Size());
            // The section chiefs: the last occupied slot holding each chief bit wins.
            const uint32_t chiefBits[kSections] = {kRoleCommand, kRoleOperationsChief, kRolePlanningChief,
                                                   kRoleLogisticsChief, kRoleFinanceChief};
            CByteWriter c;
            for (uint32_t bit : chiefBits) {
                int16_t holder = -1;
                for (int i = 0; i < m_pSession->SlotCount(); ++i) {
                    CSessionPlayer& p = m_pSession->Slot(i);
                    if (p.m_nPlayerId != -1 && (p.m_uRoleFlags & bit))
                        holder = static_cast<int16_t>(p.m_nPlayerId);
                }
                c.WriteI16(holder);
            }
            c.WriteZeros(32 - c.Size());
            PostGameMessage(kGmSectionChiefs, c.Bytes(), c.Size());
        }
    }
    m_uLastRoleOr = roleOr;
    m_nLastRoleCount = count;
}

void CGame::SendDropNotices()
{
    if (!m_pSession)
        return;
    for (int i = 0; i < m_pSession->SlotCount(); ++i) {
        CSessionPlayer& p = m_pSession->Slot(i);
        if (p.m_nPlayerId != -1 && (p.m_uRoleFlags & kRoleDrop)) {
            CByteWriter w;
            w.WriteI32(p.m_nPlayerId);
            w.WriteU32(p.m_uRoleFlags);
            PostGameMessage(kGmDropPlayer, w.Bytes(), w.Size());
        }
    }
}

void CGame::CheckAllPlayersReady()
{
    if (!m_pSession)
        return;
    int occupied = 0;
    for (int i = 0; i < m_pSession->SlotCount(); ++i) {
        CSessionPlayer& p = m_pSession->Slot(i);
        if (p.m_nPlayerId == -1)
            continue;
        ++occupied;
        if (!(p.m_uRoleFlags & kRoleReady))
            return;
    }
    if (occupied)
        PostGameSignal(kGmStarted);
}
