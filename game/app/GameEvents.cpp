// Delivering a fired event to the players: its text by recipients, its review entry and its score change.
#include "game/app/Game.h"

#include "core/events/ZREvent.h"
#include "core/util/ByteStream.h"

namespace {

constexpr size_t kEventTextMax = 420;
constexpr size_t kEventTextCut = 417;
constexpr size_t kEventNameMax = 59;
constexpr size_t kScoreTitleWidth = 60;
constexpr uint32_t kEventColour = 0xC85555;

} // namespace

void CGame::SendEventMessage(const CZREvent& event, const int32_t scores[3], int32_t cost)
{
    std::string text = event.m_strEventText;
    if (text.size() > kEventTextMax)
        text.resize(kEventTextCut);
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t')
            c = ' ';
    }
    std::string heading = event.m_strEventName.substr(0, kEventNameMax) + event.m_strEventTitle;
    if (heading.size() > kEventTextCut)
        heading.resize(kEventTextCut);

    if (event.HasAAREntry()) {
        SendNotice(text, kMsgReview, kEventColour, -1);
        CByteWriter record;
        record.WriteI32(kMsgReview);
        for (int i = 0; i < 3; ++i)
            record.WriteI32(scores[i]);
        record.WriteI32(cost);
        record.WriteFixedString(event.m_strEventTitle.substr(0, kEventNameMax), kScoreTitleWidth);
        PostGameMessage(kGmScoreChange, record.Bytes(), record.Size());
        if (event.IsTmpZero())
            return;
        SendNotice(text, kMsgEvent, kEventColour, event.nTmp);
        return;
    }
    if (event.IsTmpZero())
        SendNotice(heading, kMsgHiddenEvent, kEventColour, -1);
    else
        SendNotice(text, kMsgEvent, kEventColour, event.nTmp);
}
