// Game messages: posting under authority, polling the session, reassembly, the dispatcher and its handlers.
#include "game/app/Game.h"

#include "game/screens/eoc/EOC.h"
#include "game/screens/iap/IAP_PhaseIF.h"
#include "game/rules/RulesGame.h"
#include "game/sim/IncidentWorld.h"
#include "core/util/ByteStream.h"
#include "net/session/NetGameSession.h"
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"

#include <cstring>

namespace {

constexpr uint32_t kSilenceColour = 0xA0A96;
constexpr size_t kNoticeMax = 420;

size_t Slot(uint16_t id)
{
    return static_cast<size_t>(id - kGameMessageFirst);
}

// Ids only the authority posts: a client's copy is dropped (no client makes the others exit or ends the game).
// Obstruction removals (63) and map markers (66) may start on any machine.
bool IsAuthorityOnly(uint16_t id)
{
    switch (id) {
    case kGmClockState:
    case kGmRoleTable:
    case kGmStarted:
    case kGmSaveBegin:
    case kGmSaveEnd:
    case kGmDropPlayer:
    case kGmEventBatch:
    case kGmSquadSync:
    case kGmAreaSquadSync:
    case kGmResourcePoints:
    case kGmSectionChiefs:
    case kGmScoreChange:
    case kGmFinalScore:
        return true;
    default:
        return false;
    }
}

// Ids a host relays to every client; a client applies them.
bool IsRelayed(uint16_t id)
{
    switch (id) {
    case kGmClockState:
    case kGmStarted:
    case kGmDropPlayer:
    case kGmScoreChange:
    case kGmIAPPenalty:
    case kGmFinalScore:
        return false;
    default:
        return true;
    }
}

} // namespace

void CGame::SetMessageHandler(uint16_t id, MessageHandler handler)
{
    if (IsGameMessageId(id))
        m_aHandlers[Slot(id)] = std::move(handler);
}

void CGame::InstallHandlers()
{
    auto setBit = [this](uint32_t bit) { return [this, bit](const uint8_t*, size_t) { m_uMode |= bit; }; };
    auto clearBit = [this](uint32_t bit) { return [this, bit](const uint8_t*, size_t) { m_uMode &= ~bit; }; };
    SetMessageHandler(kGmClockState, [this](const uint8_t* p, size_t n) { ApplyClockState(p, n); });
    SetMessageHandler(kGmPlayerRoles, [this](const uint8_t* p, size_t n) {
        CByteReader r(p, n);
        int32_t id = 0;
        uint32_t flags = 0;
        r.ReadI32(id);
        r.ReadU32(flags);
        if (r.Ok())
            SetPlayerRoleFlags(id, flags);
    });
    SetMessageHandler(kGmRoleTable, [this](const uint8_t* p, size_t n) { ApplyRoleTableUpdate(p, n); });
    SetMessageHandler(kGmStarted, setBit(kModeStarted));
    SetMessageHandler(kGmPause, setBit(kModePaused));
    SetMessageHandler(kGmResume, clearBit(kModePaused));
    SetMessageHandler(kGmSaveBegin, setBit(kModeSaving));
    SetMessageHandler(kGmSaveEnd, clearBit(kModeSaving));
    SetMessageHandler(kGmDropPlayer, [this](const uint8_t*, size_t) {
        // A dropped client ends at once; the authority ignores it.
        if (!m_bAuthority)
            Exit(0);
    });
    SetMessageHandler(kGmUnitUpdate, [this](const uint8_t* p, size_t n) {
        if (!m_pEOCUnitData)
            return;
        m_pEOCUnitData->ApplyUnitUpdate(p, n);
        if (m_pEOC) {
            m_pEOC->ApplyUnitUpdate(p, n);
            m_pEOC->ResetSectionPanel(-1);
            m_pEOC->MarkActivatedUnits(-1, -1);
            if (!m_bAuthority)
                m_pEOC->DrawResourcePoints();
        }
    });
    SetMessageHandler(kGmEndScenario, [this](const uint8_t*, size_t) {
        m_uMode &= ~(kModeRunning | kModeStarted);
        m_uMode |= kModeEnded;
    });
    SetMessageHandler(kGmResourcePoints, [this](const uint8_t* p, size_t n) {
        if (m_pEOCUnitData)
            m_pEOCUnitData->ApplyResourcePoints(p, n);
    });
    SetMessageHandler(kGmAllocation, [this](const uint8_t* p, size_t n) {
        if (m_pEOCUnitData)
            m_pEOCUnitData->ApplyAllocation(p, n);
    });
    SetMessageHandler(kGmSectionChiefs, [this](const uint8_t* p, size_t n) {
        if (m_pEOCUnitData)
            m_pEOCUnitData->ApplySectionChiefs(p, n);
    });
    SetMessageHandler(kGmScoreChange, [this](const uint8_t* p, size_t n) { ApplyScoreChange(p, n); });
    SetMessageHandler(kGmIAPSubmitted, setBit(kModeIAPApproval));
    SetMessageHandler(kGmIAPApproved, clearBit(kModeIAPApproval));
    SetMessageHandler(kGmIAPReviewDue, setBit(kModeIAPReview));
    SetMessageHandler(kGmIAPReviewed, clearBit(kModeIAPReview));
    SetMessageHandler(kGmIAPPenalty, [this](const uint8_t* p, size_t n) {
        CByteReader r(p, n);
        int32_t value = 0;
        if (m_bAuthority && r.ReadI32(value) && m_pIAP)
            IAP_PhaseIF::AddPenalty(m_pIAP->m_nPenaltyTotal, value);
    });
    SetMessageHandler(kGmFinalScore, [this](const uint8_t* p, size_t n) {
        if (n == m_aFinalScore.size())
            std::memcpy(m_aFinalScore.data(), p, n);
        m_pRules->m_scoring.ApplyFinalScore(p, n);
    });
    SetMessageHandler(kGmEventBatch, [this](const uint8_t* p, size_t n) {
        if (m_pIncidentWorld)
            m_pIncidentWorld->ApplyTileUpdates(p, n);
    });
    SetMessageHandler(kGmMapObject, [this](const uint8_t* p, size_t n) {
        if (m_pIncidentWorld)
            m_pIncidentWorld->ApplyMapObjectRecord(p, n);
    });
    SetMessageHandler(kGmHazardSprites, [this](const uint8_t* p, size_t n) {
        if (m_pIncidentWorld)
            m_pIncidentWorld->SpawnSpritePair(p, n);
    });
    // Squad and station messages (31, 34, 41, 44 to 49, 55 to 58, 67) are applied by the squad managers, which
    // install their handlers as they land.
}

void CGame::PostGameMessage(uint16_t id, const void* payload, size_t length)
{
    if (!IsGameMessageId(id))
        return;
    if (m_pSession)
        m_pSession->SendGameMessage(id, payload, length);
    if (m_fnPostObserver)
        m_fnPostObserver(id, static_cast<const uint8_t*>(payload), length);
    // Under authority the message is applied here, through the same handler a received copy takes.
    if (m_bAuthority)
        ApplyGameMessage(id, static_cast<const uint8_t*>(payload), length, false);
}

void CGame::PostGameSignal(uint16_t id)
{
    const uint8_t zeros[4] = {};
    PostGameMessage(id, zeros, sizeof zeros);
}

void CGame::ApplyGameMessage(uint16_t id, const uint8_t* payload, size_t length, bool received)
{
    if (!IsGameMessageId(id) || !PayloadFits(id, length))
        return;
    switch (id) {
    case kGmClockState:
        // Only a client takes the host's clock.
        if (m_bAuthority)
            return;
        break;
    case kGmDropPlayer:
        if (!received)
            return;
        break;
    case kGmFinalScore:
        if (received) {
            m_aHandlers[Slot(id)](payload, length);
            EndGame();
            return;
        }
        break;
    default:
        break;
    }
    if (const MessageHandler& handler = m_aHandlers[Slot(id)])
        handler(payload, length);
}

void CGame::Relay(uint16_t id, const uint8_t* payload, size_t length, bool)
{
    if (m_bAuthority && IsRelayed(id))
        PostGameMessage(id, payload, length);
    else
        ApplyGameMessage(id, payload, length, true);
}

void CGame::DispatchGameMessage(int sender, const uint8_t* message, size_t size)
{
    CByteReader r(message, size);
    uint16_t id = 0, chunk = 0, length = 0;
    r.ReadU16(id);
    r.ReadU16(chunk);
    r.ReadU16(length);
    // The length must fit a packet and what actually arrived.
    if (!r.Ok() || length > kMaxChunkPayload || length > r.Remaining() || !IsGameMessageId(id))
        return;
    // Under authority every received message is a client's.
    if (m_bAuthority && IsAuthorityOnly(id)) {
        platform::DebugOutput("Game message " + std::to_string(id) + " from player " + std::to_string(sender) +
                              " dropped: only the host posts it");
        return;
    }
    const uint8_t* payload = r.Current();
    if (IsChunkedMessage(id)) {
        std::vector<uint8_t> whole;
        if (m_reassembler.AddChunk(sender, chunk, payload, length, whole) != CMessageReassembler::EResult::Complete)
            return;
        if (!PayloadFits(id, whole.size()))
            return;
        if (m_bAuthority)
            PostGameMessage(id, whole.data(), whole.size());
        else
            ApplyGameMessage(id, whole.data(), whole.size(), true);
        return;
    }
    if (!PayloadFits(id, length))
        return;
    if (m_bAuthority && id == kGmPlayerRoles) {
        int32_t named = -1;
        CByteReader(payload, length).ReadI32(named);
        if (named != sender) {
            platform::DebugOutput("Roles of player " + std::to_string(named) + " from player " +
                                  std::to_string(sender) + " dropped");
            return;
        }
    }
    Relay(id, payload, length, true);
}

void CGame::ApplyClockState(const uint8_t* payload, size_t length)
{
    m_uHostSilenceBase = platform::GetTickCount();
    if (m_bSilenceWarned) {
        AddMessage("* Your connection to the player hosting the game has been established. *",
                   static_cast<int32_t>(kRoleMask), kMsgEvent, kSilenceColour, kSenderSystem);
        m_bSilenceWarned = false;
    }
    std::memcpy(m_aClockState.data(), payload, std::min(length, m_aClockState.size()));
    m_pRules->m_scoring.ApplyClockState(payload, length);
    m_nTimeOfDay = m_pRules->m_scoring.GetCurrentTime();
    m_nStartTime = m_pRules->m_scoring.GetStartTime();
}

void CGame::PollNetwork()
{
    if (!m_pSession)
        return;
    std::vector<uint8_t> packet;
    // The old poll applied everything queued when it began, for seconds when a peer had filled the queue. One
    // poll now works for a bounded time and count: however fast players send, the tick goes on.
    CPollBudget budget = m_pSession->PollBudget(kPollMostEntries, kPollMostMs);
    while (m_pSession && m_pSession->PopMessage(packet, &budget)) {
        CByteReader r(packet.data(), packet.size());
        int16_t type = 0, kind = 0;
        int32_t sender = 0, left = -1;
        r.ReadI16(type);
        r.ReadI16(kind);
        r.ReadI32(sender);
        if (!r.Ok())
            continue;
        switch (kind) {
        case kPacketPlayerLeft:
            CByteReader(packet.data() + 8, packet.size() - 8).ReadI32(left);
            OnPlayerLeft(left);
            break;
        case kPacketGame:
            if (!(m_uMode & kModeJoinRefused))
                DispatchGameMessage(sender, r.Current(), r.Remaining());
            break;
        case kPacketNamesRequest:
        case kPacketVersionRequest:
        case 10:
        case 12:
        case 14:
        case 16:
        case 18:
        case 20:
            AnswerRequest(kind, sender);
            break;
        default:
            break;
        }
    }
}

void CGame::SendNotice(const std::string& text, int32_t kind, uint32_t colour, int32_t roleMask)
{
    std::string notice = text.size() > kNoticeMax ? text.substr(0, kNoticeMax - 1) : text;
    if ((m_uMode & kModeNetworked) && m_pSession)
        m_pSession->SendTextMessage(notice, roleMask, kind, colour);
    if (m_bAuthority)
        AddMessage(notice, roleMask, kind, colour, kSenderSystem);
}

void CGame::SetPlayerRoleFlags(int32_t playerId, uint32_t flags)
{
    if (!m_pSession) {
        if (playerId == m_localPlayer.nPlayerId)
            m_localPlayer.uRoleFlags = flags;
        return;
    }
    for (int i = 0; i < m_pSession->SlotCount(); ++i) {
        CSessionPlayer& p = m_pSession->Slot(i);
        if (p.m_nPlayerId == playerId && playerId != -1) {
            p.m_uRoleFlags = flags;
            return;
        }
    }
}

void CGame::ApplyRoleTableUpdate(const uint8_t* payload, size_t length)
{
    if (!m_pSession || length != 4 * kMaxPlayers)
        return;
    CByteReader r(payload, length);
    for (int i = 0; i < kMaxPlayers; ++i) {
        uint32_t flags = 0;
        r.ReadU32(flags);
        if (i < m_pSession->SlotCount() && m_pSession->Slot(i).m_nPlayerId != -1)
            m_pSession->Slot(i).m_uRoleFlags = flags;
    }
}
