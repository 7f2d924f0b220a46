// Payload size rules of the game messages and the reassembly of chunked messages.
#include "game/app/GameMessages.h"

#include "core/util/Compression.h"

#include <cstdlib>
#include <cstring>

CPayloadRule PayloadRule(unsigned id)
{
    switch (id) {
    case kGmClockState:
        return {32, 0};
    case kGmSquadOrder:
    case kGmAreaSquadOrder:
        return {16, 0};
    case kGmPlayerRoles:
    case kGmDropPlayer:
    case kGmResourcePoints:
        return {8, 0};
    case kGmRoleTable:
        return {96, 0};
    case kGmEventBatch:
        return {4, 28};
    case kGmUnitUpdate:
        return {760, 0};
    case kGmSquadSync:
    case kGmAreaSquadSync:
        return {8, 52};
    case kGmStationDispatch:
    case kGmSquadStatus:
    case kGmAreaSquadStatus:
    case kGmSquadSound:
        return {16, 0};
    case kGmSquadAtStation:
    case kGmSquadDeployed:
    case kGmSquadReleased:
        return {32, 0};
    case kGmSquadPosition:
    case kGmAreaSquadPosition:
    case kGmSectionChiefs:
        return {32, 0};
    case kGmAllocation:
        return {40, 0};
    case kGmScoreChange:
        return {80, 0};
    case kGmMapObject:
    case kGmHazardSprites:
        return {12, 0};
    case kGmFinalScore:
        return {152, 0};
    default:
        return {4, 0}; // the signals and the other 4-byte messages
    }
}

bool PayloadFits(unsigned id, size_t length)
{
    if (!IsGameMessageId(id))
        return false;
    CPayloadRule rule = PayloadRule(id);
    if (rule.nStep == 0)
        return length == rule.nBase;
    return length >= rule.nBase && (length - rule.nBase) % rule.nStep == 0;
}

CMessageReassembler::CMessageReassembler()
{
    for (auto& buffer : m_aBuffers)
        buffer.aData.resize(kReassemblyCapacity);
}

CMessageReassembler::EResult CMessageReassembler::AddChunk(int sender, uint16_t chunkNumber, const uint8_t* data,
                                                           size_t length, std::vector<uint8_t>& message)
{
    message.clear();
    if (sender < 0 || sender >= kMaxPlayers || length > kMaxChunkPayload || (length && !data))
        return EResult::Dropped;
    Buffer& buffer = m_aBuffers[static_cast<size_t>(sender)];
    const bool last = chunkNumber == 0;
    if (!buffer.bBroken && length > buffer.aData.size() - buffer.nFill) {
        // Past the buffer: the message cannot be whole; drop what came and the rest of it.
        buffer.bBroken = true;
        buffer.nFill = 0;
    }
    if (buffer.bBroken) {
        if (last)
            buffer.bBroken = false;
        return EResult::Dropped;
    }
    if (length)
        std::memcpy(buffer.aData.data() + buffer.nFill, data, length);
    buffer.nFill += length;
    if (!last)
        return EResult::Incomplete;

    int outLength = 0;
    unsigned char* out = nullptr;
    bool ok = InflateBuffer(static_cast<int>(buffer.nFill), buffer.aData.data(), &outLength, &out, kInflateLimit);
    buffer.nFill = 0;
    ok = ok && outLength >= 0 && outLength <= kInflateLimit;
    if (ok)
        message.assign(out, out + outLength);
    std::free(out);
    return ok ? EResult::Complete : EResult::Dropped;
}

size_t CMessageReassembler::FillLength(int sender) const
{
    return sender >= 0 && sender < kMaxPlayers ? m_aBuffers[static_cast<size_t>(sender)].nFill : 0;
}

void CMessageReassembler::ResetSender(int sender)
{
    if (sender < 0 || sender >= kMaxPlayers)
        return;
    m_aBuffers[static_cast<size_t>(sender)].nFill = 0;
    m_aBuffers[static_cast<size_t>(sender)].bBroken = false;
}

void CMessageReassembler::Reset()
{
    for (auto& buffer : m_aBuffers) {
        buffer.nFill = 0;
        buffer.bBroken = false;
    }
}
