// Game messages: local application under authority, a client's wait for the host, chunk reassembly, bad input.
#include "GameFixture.h"
#include "game/screens/eoc/EOC.h"
#include "core/util/ByteStream.h"
#include "core/util/Compression.h"
#include "net/session/NetGameSession.h"

#include <cstdlib>

namespace {

class DispatcherTest : public GameFixture {
protected:
    // A client game with a session whose local player is `id`.
    CGame& MakeClient()
    {
        CGame& game = MakeGame(false);
        game.m_pSession = std::make_unique<CNetGameSession>();
        game.m_pSession->SetLocalPlayerId(1);
        game.m_bAuthority = false;
        game.m_uMode |= kModeNetworked;
        return game;
    }
    // Delivers every packet the sending session queued to the receiving game as if from `sender`.
    static void Deliver(CNetGameSession& from, CGame& to, int32_t sender)
    {
        for (auto& out : from.TakeOutbound()) {
            // Rewrite the sender id the transport would stamp.
            CByteWriter w;
            w.WriteI32(sender);
            std::memcpy(out.aBytes.data() + 4, w.Bytes(), 4);
            to.m_pSession->PushInbound(out.aBytes);
        }
        to.PollNetwork();
    }
    // A 760-byte EOC update whose first section has the given activated mask.
    static std::vector<uint8_t> UnitUpdate(uint32_t mask)
    {
        std::vector<uint8_t> record(kUnitUpdateSize);
        uint32_t x = 2463534242u;
        for (auto& b : record) { // noise: it needs two chunks even compressed
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            b = static_cast<uint8_t>(x);
        }
        CByteWriter w;
        w.WriteU32(mask);
        std::memcpy(record.data(), w.Bytes(), 4);
        // Block 0's newly activated mask.
        std::memcpy(record.data() + 116, w.Bytes(), 4);
        return record;
    }
};

TEST_F(DispatcherTest, SinglePlayAppliesAtOnce)
{
    CGame& game = MakeGame(false);
    game.PostGameSignal(kGmPause);
    EXPECT_TRUE(game.m_uMode & kModePaused);
    game.PostGameSignal(kGmStarted);
    EXPECT_TRUE(game.m_uMode & kModeStarted);
    game.PostGameSignal(kGmResume);
    EXPECT_FALSE(game.m_uMode & kModePaused);
    game.TogglePause();
    EXPECT_TRUE(game.m_uMode & kModePaused);
    EXPECT_EQ(m_posts.back(), kGmPause);
}

TEST_F(DispatcherTest, ClientWaitsForHostCopy)
{
    CGame& client = MakeClient();
    client.PostGameSignal(kGmPause);
    EXPECT_FALSE(client.m_uMode & kModePaused);
    auto sent = client.m_pSession->TakeOutbound();
    ASSERT_EQ(sent.size(), 1u);
    client.m_pSession->PushInbound(sent[0].aBytes); // the host's copy comes back
    client.PollNetwork();
    EXPECT_TRUE(client.m_uMode & kModePaused);
}

TEST_F(DispatcherTest, ChunkedMessageReassembledOnceAfterLastChunk)
{
    CGame& client = MakeClient();
    CNetGameSession host;
    host.SetHost(true);
    host.SetLocalPlayerId(0);
    auto record = UnitUpdate(0x5);
    host.SendGameMessage(kGmUnitUpdate, record.data(), record.size());
    auto packets = host.TakeOutbound();
    ASSERT_GE(packets.size(), 2u);
    // Numbered 1, 2, ... and 0 last.
    for (size_t i = 0; i < packets.size(); ++i) {
        CByteReader r(packets[i].aBytes.data() + 10, 2);
        uint16_t chunk = 0;
        r.ReadU16(chunk);
        EXPECT_EQ(chunk, i + 1 == packets.size() ? 0u : i + 1);
    }
    for (size_t i = 0; i + 1 < packets.size(); ++i) {
        client.m_pSession->PushInbound(packets[i].aBytes);
        client.PollNetwork();
        EXPECT_EQ(client.m_pEOCUnitData->m_aSections[0].uActivated, 0x1u); // the Zoranth alone
    }
    client.m_pSession->PushInbound(packets.back().aBytes);
    client.PollNetwork();
    EXPECT_EQ(client.m_pEOCUnitData->m_aSections[0].uActivated, 0x5u);
}

TEST_F(DispatcherTest, InterleavedSendersReassembleSeparately)
{
    CGame& client = MakeClient();
    CNetGameSession a, b;
    a.SetLocalPlayerId(0);
    b.SetLocalPlayerId(0);
    auto ra = UnitUpdate(0x11), rb = UnitUpdate(0x22);
    a.SendGameMessage(kGmUnitUpdate, ra.data(), ra.size());
    b.SendGameMessage(kGmUnitUpdate, rb.data(), rb.size());
    auto pa = a.TakeOutbound(), pb = b.TakeOutbound();
    ASSERT_EQ(pa.size(), pb.size());
    auto stamp = [](std::vector<uint8_t> bytes, int32_t sender) {
        bytes[4] = static_cast<uint8_t>(sender);
        return bytes;
    };
    for (size_t i = 0; i < pa.size(); ++i) {
        client.m_pSession->PushInbound(stamp(pa[i].aBytes, 3));
        client.m_pSession->PushInbound(stamp(pb[i].aBytes, 4));
    }
    std::vector<uint32_t> seen;
    client.SetMessageHandler(kGmUnitUpdate, [&](const uint8_t* p, size_t n) {
        ASSERT_EQ(n, kUnitUpdateSize);
        CByteReader r(p, n);
        uint32_t mask = 0;
        r.ReadU32(mask);
        seen.push_back(mask);
    });
    client.PollNetwork();
    EXPECT_EQ(seen, (std::vector<uint32_t>{0x11, 0x22}));
}

TEST_F(DispatcherTest, HostDropsWhatOnlyTheAuthorityPostsAndOtherPlayersRoles)
{
    CGame& host = MakeGame(false);
    host.m_pSession = std::make_unique<CNetGameSession>();
    host.m_pSession->SetHost(true);
    host.m_pSession->SetLocalPlayerId(0);
    host.m_uMode |= kModeNetworked | kModeHosting;
    for (int id : {0, 2}) {
        CSessionPlayer& p = host.m_pSession->Slot(id);
        p.m_uFlags = CSessionPlayer::kInUse;
        p.m_nPlayerId = id;
    }
    CNetGameSession client;
    client.SetLocalPlayerId(2);
    const uint8_t drop[8] = {0, 0, 0, 0, 0, 0x10, 0, 0};
    client.SendGameMessage(kGmDropPlayer, drop, 8);                               // would end the others
    client.SendGameMessage(kGmFinalScore, std::vector<uint8_t>(152).data(), 152); // would end the game
    client.SendGameSignal(kGmStarted);
    const uint8_t others[8] = {0, 0, 0, 0, 0xFF, 0x07, 0, 0}; // the host's roles
    const uint8_t own[8] = {2, 0, 0, 0, 0x01, 0, 0, 0};
    client.SendGameMessage(kGmPlayerRoles, others, 8);
    client.SendGameMessage(kGmPlayerRoles, own, 8);
    Deliver(client, host, 2);
    EXPECT_TRUE(m_exits.empty());
    EXPECT_FALSE(host.m_uMode & (kModeDebrief | kModeStarted));
    EXPECT_EQ(host.m_pSession->Slot(0).m_uRoleFlags, 0u);
    EXPECT_EQ(host.m_pSession->Slot(2).m_uRoleFlags, 1u);
    // Only the player's own roles went on to the others.
    auto out = host.m_pSession->TakeOutbound();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].aBytes[8], kGmPlayerRoles);
}

TEST_F(DispatcherTest, HostRelaysReceivedMessages)
{
    CGame& host = MakeGame(false);
    host.m_pSession = std::make_unique<CNetGameSession>();
    host.m_pSession->SetHost(true);
    host.m_uMode |= kModeNetworked | kModeHosting;
    CNetGameSession client;
    client.SendGameSignal(kGmPause);
    Deliver(client, host, 2);
    EXPECT_TRUE(host.m_uMode & kModePaused);
    auto out = host.m_pSession->TakeOutbound();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].nTo, kSendToAll);
}

TEST_F(DispatcherTest, DropMessageEndsOnlyClients)
{
    CGame& host = MakeGame(false);
    const uint8_t drop[8] = {2, 0, 0, 0, 0, 0x10, 0, 0};
    host.PostGameMessage(kGmDropPlayer, drop, sizeof drop);
    host.DispatchGameMessage(0, MakeGamePacket(0, kGmDropPlayer, 0, drop, 8).data() + 8, 14);
    EXPECT_TRUE(m_exits.empty());
    host.m_bAuthority = false;
    host.DispatchGameMessage(0, MakeGamePacket(0, kGmDropPlayer, 0, drop, 8).data() + 8, 14);
    EXPECT_EQ(m_exits, std::vector<int>{0});
}

TEST_F(DispatcherTest, BadInputIsDroppedWithoutHarm)
{
    CGame& client = MakeClient();
    const uint32_t before = client.m_uMode;
    std::vector<uint8_t> zeros(600, 0);
    // Garbage that is not a zlib stream, as a single last chunk.
    std::vector<uint8_t> garbage(100, 0xAB);
    struct Case {
        const char* name;
        std::vector<uint8_t> packet;
    };
    auto withLength = [](std::vector<uint8_t> packet, uint16_t length) {
        packet[12] = static_cast<uint8_t>(length);
        packet[13] = static_cast<uint8_t>(length >> 8);
        return packet;
    };
    std::vector<Case> cases = {
        {"id 29", MakeGamePacket(1, 29, 0, zeros.data(), 4)},
        {"id 68", MakeGamePacket(1, 68, 0, zeros.data(), 4)},
        {"sender 30", MakeGamePacket(30, kGmUnitUpdate, 1, zeros.data(), 100)},
        {"sender -1", MakeGamePacket(-1, kGmUnitUpdate, 0, zeros.data(), 100)},
        {"length 600", MakeGamePacket(1, kGmPause, 0, zeros.data(), 600)},
        {"length beyond data", withLength(MakeGamePacket(1, kGmPause, 0, zeros.data(), 4), 400)},
        {"garbage deflate", MakeGamePacket(1, kGmUnitUpdate, 0, garbage.data(), garbage.size())},
        {"wrong size", MakeGamePacket(1, kGmPause, 0, zeros.data(), 3)},
        {"short header", {14, 0, 3, 0, 1, 0, 0, 0, 36}},
        {"empty", {}},
    };
    // Oversize: chunks past the reassembly buffer from one sender, then its last chunk.
    for (int i = 0; i < 70; ++i)
        cases.push_back({"oversize", MakeGamePacket(2, kGmSquadSync, 1, zeros.data(), 514)});
    cases.push_back({"oversize end", MakeGamePacket(2, kGmSquadSync, 0, zeros.data(), 10)});
    for (const auto& c : cases)
        client.m_pSession->PushInbound(c.packet);
    client.PollNetwork();
    EXPECT_EQ(client.m_uMode, before);
    EXPECT_EQ(client.m_pEOCUnitData->m_aSections[0].uActivated, 0x1u);
    EXPECT_TRUE(m_exits.empty());
}

TEST_F(DispatcherTest, OnePollWorksWithinItsBudgetAndTheRestFollowsInOrder)
{
    CGame& host = MakeGame(false);
    host.m_pSession = std::make_unique<CNetGameSession>();
    host.m_pSession->SetHost(true);
    host.m_uMode |= kModeNetworked | kModeHosting;
    // What each poll applied, in order: a text line or a pause, numbered as sent; applying one costs `cost` ms.
    std::vector<std::vector<std::string>> polls(1);
    uint32_t cost = 0;
    CSessionHooks hooks;
    hooks.fnAddMessage = [&](const std::string& text, int32_t, int32_t, uint32_t, int32_t) {
        polls.back().push_back(text);
        m_clock->Advance(cost);
    };
    host.m_pSession->SetHooks(hooks);
    int pauses = 0;
    host.SetMessageHandler(kGmPause, [&](const uint8_t*, size_t) {
        polls.back().push_back("pause " + std::to_string(pauses++));
        m_clock->Advance(cost);
    });
    const uint8_t zeros[4] = {};
    auto queue = [&](int count) {
        for (int i = 0; i < count; ++i) {
            host.m_pSession->PushInbound(BuildTextPacket(2, 0, -1, 0, "line " + std::to_string(i)));
            host.m_pSession->PushInbound(MakeGamePacket(2, kGmPause, 0, zeros, sizeof zeros));
        }
    };
    auto poll = [&] {
        polls.emplace_back();
        host.PollNetwork();
        return polls.back().size();
    };
    auto expectInOrder = [&](size_t count) {
        std::vector<std::string> all, sent;
        for (const auto& p : polls)
            all.insert(all.end(), p.begin(), p.end());
        for (size_t i = 0; i < count; ++i)
            sent.insert(sent.end(), {"line " + std::to_string(i), "pause " + std::to_string(i)});
        EXPECT_EQ(all, sent);
    };

    // Work that costs 3 ms an entry: each poll stops at its time (one entry may start just before it runs out).
    cost = 3;
    queue(40);
    const size_t perPoll = (CGame::kPollMostMs + cost - 1) / cost;
    for (size_t applied = 0; applied < 80;) {
        const uint32_t start = m_clock->Now();
        const size_t n = poll();
        EXPECT_EQ(n, std::min(perPoll, 80 - applied));
        EXPECT_LT(m_clock->Now() - start, CGame::kPollMostMs + cost);
        applied += n;
    }
    expectInOrder(40);

    // Work that costs nothing: each poll stops at its count.
    polls.assign(1, {});
    pauses = 0;
    cost = 0;
    queue(200);
    EXPECT_EQ(poll(), CGame::kPollMostEntries);
    EXPECT_EQ(poll(), 400 - CGame::kPollMostEntries);
    EXPECT_EQ(poll(), 0u);
    expectInOrder(200);
}

TEST(ReassemblerTest, OverflowDropsRestOfMessageOnly)
{
    CMessageReassembler r;
    std::vector<uint8_t> chunk(514, 1), out;
    for (int i = 0; i < 63; ++i)
        EXPECT_EQ(r.AddChunk(5, 1, chunk.data(), chunk.size(), out), CMessageReassembler::EResult::Incomplete);
    EXPECT_EQ(r.AddChunk(5, 2, chunk.data(), chunk.size(), out), CMessageReassembler::EResult::Dropped);
    EXPECT_EQ(r.FillLength(5), 0u);
    EXPECT_EQ(r.AddChunk(5, 3, chunk.data(), chunk.size(), out), CMessageReassembler::EResult::Dropped);
    EXPECT_EQ(r.AddChunk(5, 0, chunk.data(), 10, out), CMessageReassembler::EResult::Dropped);
    // The next message from the sender is whole again.
    std::vector<uint8_t> payload(26008, 9);
    int n = 0;
    unsigned char* packed = nullptr;
    ASSERT_TRUE(DeflateBuffer(static_cast<int>(payload.size()), payload.data(), &n, &packed));
    EXPECT_EQ(r.AddChunk(5, 0, packed, static_cast<size_t>(n), out), CMessageReassembler::EResult::Complete);
    std::free(packed);
    EXPECT_EQ(out, payload);
}

TEST(ReassemblerTest, LargestSyncMessageFits)
{
    // 500 squads of 52 bytes and an 8-byte header, incompressible: still reassembled and inflated.
    std::vector<uint8_t> payload(8 + 52 * 500);
    uint32_t x = 12345;
    for (auto& b : payload) {
        x = x * 1103515245 + 12345;
        b = static_cast<uint8_t>(x >> 24);
    }
    CNetGameSession sender;
    sender.SendGameMessage(kGmSquadSync, payload.data(), payload.size());
    CMessageReassembler r;
    std::vector<uint8_t> out;
    auto packets = sender.TakeOutbound();
    CMessageReassembler::EResult last = CMessageReassembler::EResult::Dropped;
    for (auto& p : packets) {
        CByteReader rd(p.aBytes.data() + 10, 4);
        uint16_t chunk = 0, length = 0;
        rd.ReadU16(chunk);
        rd.ReadU16(length);
        last = r.AddChunk(0, chunk, p.aBytes.data() + 14, length, out);
    }
    EXPECT_EQ(last, CMessageReassembler::EResult::Complete);
    EXPECT_EQ(out, payload);
}

TEST_F(DispatcherTest, NoticeIsCutTo419)
{
    CGame& host = MakeGame(false);
    host.m_pSession = std::make_unique<CNetGameSession>();
    host.m_pSession->SetHost(true);
    host.m_uMode |= kModeNetworked | kModeHosting;
    host.SendNotice(std::string(421, 'n'), kMsgChat, 0, -1);
    host.SendNotice(std::string(420, 'm'), kMsgChat, 0, -1);
    auto out = host.m_pSession->TakeOutbound();
    ASSERT_EQ(out.size(), 2u);
    std::vector<size_t> lengths;
    for (const auto& p : out) {
        CByteReader r(p.aBytes.data(), p.aBytes.size());
        std::string text;
        r.Skip(20);
        r.ReadFixedString(text, 421);
        ASSERT_TRUE(r.Ok());
        lengths.push_back(text.size());
    }
    EXPECT_EQ(lengths, (std::vector<size_t>{419, 420}));
    EXPECT_EQ(host.m_log.m_messages.Count() > 0, true); // the host adds it to its own log too
}

TEST_F(DispatcherTest, ClientSilenceWarningAndReconnection)
{
    CGame& client = MakeClient();
    client.InitDisplay(nullptr);
    client.m_uMode = kModeSound | kModeNetworked;
    client.Tick(); // first tick outside the front end: 13 s head start
    auto warnings = [&] {
        int n = 0;
        for (const auto& l : client.m_log.m_messages.aLines)
            n += l.strText.find("No update messages") != std::string::npos;
        return n;
    };
    m_clock->Advance(73000);
    for (int i = 0; i < 3; ++i)
        client.Tick();
    EXPECT_EQ(warnings(), 0);
    m_clock->Advance(1);
    for (int i = 0; i < 3; ++i)
        client.Tick();
    EXPECT_EQ(warnings(), 1);
    m_clock->Advance(100000);
    for (int i = 0; i < 3; ++i)
        client.Tick();
    EXPECT_EQ(warnings(), 1); // one warning only
    std::vector<uint8_t> clock(32, 1);
    client.m_pSession->PushInbound(MakeGamePacket(0, kGmClockState, 0, clock.data(), clock.size()));
    client.PollNetwork();
    // The last message, its wrapped lines joined.
    std::string last;
    for (const auto& l : client.m_log.m_messages.aLines)
        if (l.nMessage == client.m_log.m_messages.aLines.back().nMessage)
            last += l.strText + " ";
    EXPECT_NE(last.find("has been established"), std::string::npos) << last;
}

} // namespace
