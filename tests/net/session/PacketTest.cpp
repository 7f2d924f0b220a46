// Session packets byte for byte, the check every received packet passes, chunking and targeting, clock sync.
#include "core/util/Compression.h"
#include "net/session/NetGameSession.h"
#include "net/session/SessionPackets.h"
#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Hex(const std::string& text)
{
    Bytes out;
    for (size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

Bytes Padded(Bytes head, size_t size)
{
    head.resize(size, 0);
    return head;
}

TEST(SessionPackets, AreBuiltByteForByte)
{
    struct Case {
        const char* name;
        Bytes built;
        Bytes expected;
    };
    Bytes names = Hex("0e00 0700 00000000 00000000 40000000");
    names.insert(names.end(), {'S', 'a', 'v', 'e', '1'});
    names = Padded(names, 16 + 64);
    names.insert(names.end(), {0x40, 0, 0, 0, 'M', 'i', 'l', 'l', '.', 'z', 'r', 'i'});
    names = Padded(names, 148);
    const uint8_t block[3] = {7, 8, 9};
    const Case cases[] = {
        {"text line: 23 + length", BuildTextPacket(3, 1, -1, 0xC85555, "Hi"),
         Hex("0a00 0000 03000000 01000000 ffffffff 5555c800 4869 00 0000")},
        {"status", BuildStatusPacket(5, 1), Hex("0c00 0000 05000000 0100 0000")},
        {"quit", BuildQuitPacket(4), Hex("0d00 0000 04000000")},
        {"names request", BuildRequestPacket(kPacketNamesRequest, 2), Hex("0e00 0800 02000000")},
        {"file request", BuildRequestPacket(14, 2), Hex("0e00 0e00 02000000")},
        {"version request", BuildRequestPacket(kPacketVersionRequest, 9), Hex("0e00 1800 09000000")},
        {"game message", BuildGamePacket(1, 36, 0, "\0\0\0\0", 4), Hex("0e00 0300 01000000 2400 0000 0400 00000000")},
        {"chunk", BuildGamePacket(0, 43, 2, "\x01\x02", 2), Hex("0e00 0300 00000000 2b00 0200 0200 0102")},
        {"names: a saved game", BuildNamesPacket(0, false, "Save1", "Mill.zri"), names},
        {"file block: 532, zeros after", BuildFileBlock(11, 0, 0, block, 3),
         Padded(Hex("0e00 0b00 00000000 00000000 03000000 070809"), 532)},
        {"join accepted", BuildJoinReply(0, false, "1.503"), Hex("0e00 1500 00000000 312e353033 00000000000000")},
        {"join refused", BuildJoinReply(0, true, "1.0"), Hex("0e00 1600 00000000 312e30 000000000000000000")},
        {"role table", BuildRolesPacket({{2, 0x0401}}), Hex("0f00 0000 0000000000000000 01000000 02000000 0104 0000")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.built, c.expected);
    }
    // A plain scenario: the saved-game field is zeros and the flag is 1.
    const Bytes plain = BuildNamesPacket(0, true, "ignored", "Mill.zri");
    ASSERT_EQ(plain.size(), 148u);
    EXPECT_EQ(plain[8], 1);
    EXPECT_EQ(Bytes(plain.begin() + 16, plain.begin() + 80), Bytes(64, 0));
    // Fields that cannot hold their text with its terminator are refused.
    EXPECT_TRUE(BuildNamesPacket(0, true, "", std::string(64, 'x')).empty());
    EXPECT_TRUE(BuildJoinReply(0, false, "123456789012").empty());
    EXPECT_EQ(BuildTextPacket(0, 0, 0, 0, std::string(500, 'x')).size(), 23u + 420u);
}

TEST(SessionPackets, AreCheckedByDirectionLengthAndId)
{
    struct Case {
        const char* name;
        Bytes packet;
        bool fromClient;
        bool ok;
    };
    auto withU16 = [](Bytes p, size_t at, uint16_t v) {
        p[at] = static_cast<uint8_t>(v);
        p[at + 1] = static_cast<uint8_t>(v >> 8);
        return p;
    };
    const Bytes game = BuildGamePacket(3, 36, 0, "\0\0\0\0", 4);
    Bytes noNul = BuildTextPacket(3, 0, -1, 0, "abc");
    noNul.resize(23);
    Bytes text421 = BuildTextPacket(3, 0, -1, 0, std::string(420, 'x'));
    text421.insert(text421.begin() + 20, 'y');
    Bytes roles = BuildRolesPacket({{2, 1}, {3, 1}});
    Bytes rolesCount = roles;
    rolesCount[12] = 3;
    Bytes namesNoNul = BuildNamesPacket(0, true, "", "Mill.zri");
    std::fill(namesNoNul.begin() + 84, namesNoNul.end(), 'x');
    const Bytes status = BuildStatusPacket(3, 1);
    Bytes blockOver = BuildFileBlock(9, 0, 0, nullptr, 0);
    blockOver[13] = 0x03; // 768 bytes used
    const Case cases[] = {
        {"a client's own game message", game, true, true},
        {"a client's message under another id", BuildGamePacket(4, 36, 0, "\0\0\0\0", 4), true, false},
        {"a game message's length past the packet", withU16(game, 12, 5), true, false},
        {"a game message over 514", withU16(BuildGamePacket(3, 43, 0, std::string(520, 'x').data(), 520), 12, 515),
         false, false},
        {"a packet over 532", Bytes(533, 0), false, false},
        {"the host's game message", BuildGamePacket(0, 36, 0, "\0\0\0\0", 4), false, true},
        {"a sender out of range", BuildGamePacket(24, 36, 0, "\0\0\0\0", 4), false, false},
        {"kind 1 never travels", BuildRequestPacket(kPacketPlayersChanged, 3), true, false},
        {"kind 2 never travels", BuildRequestPacket(kPacketPlayerLeft, 0), false, false},
        {"a request from a client", BuildRequestPacket(10, 3), true, true},
        {"a request to a client", BuildRequestPacket(10, 0), false, false},
        {"a file block to a client", BuildFileBlock(9, 0, 0, nullptr, 0), false, true},
        {"a file block from a client", BuildFileBlock(9, 3, 0, nullptr, 0), true, false},
        {"a file block past 514", blockOver, false, false},
        {"a file block cut short", Bytes(blockOver.begin(), blockOver.begin() + 15), false, false},
        {"a version request of 9 bytes", Padded(BuildRequestPacket(24, 3), 9), true, false},
        {"a join reply", BuildJoinReply(0, false, "1.503"), false, true},
        {"names without their end", namesNoNul, false, false},
        {"a text line", BuildTextPacket(3, 0, -1, 0, "hi"), true, true},
        {"a text line without its end", noNul, true, false},
        {"a text line of 421 characters", text421, true, false},
        {"a client's line under another id", BuildTextPacket(2, 0, -1, 0, "hi"), true, false},
        {"a status of 11 bytes", Bytes(status.begin(), status.end() - 1), true, false},
        {"a quit to a client", BuildQuitPacket(0), false, false},
        {"a role table from the host", roles, false, true},
        {"a role table from a client", roles, true, false},
        {"a role table counting past its bytes", rolesCount, false, false},
        {"an unknown type", Bytes{11, 0, 0, 0}, false, false},
        {"a single byte", Bytes{10}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CheckSessionPacket(c.packet.data(), c.packet.size(), c.fromClient, 3, nullptr), c.ok);
    }
}

// Deterministic noise of n bytes; it deflates to n + 11 bytes.
Bytes Noise(size_t n, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes out(n);
    for (auto& b : out)
        b = static_cast<uint8_t>(random());
    return out;
}

// A payload whose deflated form is exactly `size` bytes.
Bytes DeflatingTo(size_t size)
{
    for (size_t n = size; n > size - 64; --n) {
        Bytes payload = Noise(n, 7);
        int packed = 0;
        unsigned char* block = nullptr;
        DeflateBuffer(static_cast<int>(n), payload.data(), &packed, &block);
        std::free(block);
        if (static_cast<size_t>(packed) == size)
            return payload;
    }
    return {};
}

struct Sent {
    int32_t to;
    uint16_t id, chunk, length;
};

std::vector<Sent> Outbound(CNetGameSession& session)
{
    std::vector<Sent> out;
    for (const auto& p : session.TakeOutbound()) {
        const uint8_t* b = p.aBytes.data();
        out.push_back({p.nTo, static_cast<uint16_t>(b[8] | b[9] << 8), static_cast<uint16_t>(b[10] | b[11] << 8),
                       static_cast<uint16_t>(b[12] | b[13] << 8)});
    }
    return out;
}

TEST(SessionMessages, DeflatedMessagesGoInNumberedChunksWithTheLastZero)
{
    CNetGameSession host;
    host.SetHost(true);
    host.SetLocalPlayerId(0);
    const Bytes three = DeflatingTo(1200);
    ASSERT_FALSE(three.empty());
    host.SendGameMessage(42, three.data(), three.size());
    auto sent = Outbound(host);
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].chunk, 1);
    EXPECT_EQ(sent[1].chunk, 2);
    EXPECT_EQ(sent[2].chunk, 0);
    EXPECT_EQ(sent[0].length, 514);
    EXPECT_EQ(sent[1].length, 514);
    EXPECT_EQ(sent[2].length, 172);

    const Bytes one = DeflatingTo(514);
    ASSERT_FALSE(one.empty());
    host.SendGameMessage(42, one.data(), one.size());
    sent = Outbound(host);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].chunk, 0);
    EXPECT_EQ(sent[0].length, 514);
}

TEST(SessionMessages, TheKeptDeflaterMakesDeflateBuffersBytes)
{
    // One deflater, message after message: each as DeflateBuffer alone makes it (the last beyond one call).
    Bytes repeating(4000);
    for (size_t i = 0; i < repeating.size(); ++i)
        repeating[i] = static_cast<uint8_t>(i % 7);
    const Bytes payloads[] = {Noise(760, 3), Bytes(4, 0), repeating, Bytes{}, Noise(760, 4), Noise(70000, 5)};
    CMessageDeflater deflater;
    for (const Bytes& payload : payloads) {
        SCOPED_TRACE(payload.size());
        int packed = 0;
        unsigned char* block = nullptr;
        ASSERT_TRUE(DeflateBuffer(static_cast<int>(payload.size()), payload.data(), &packed, &block));
        const Bytes expected(block, block + packed);
        std::free(block);
        ASSERT_TRUE(deflater.Deflate(payload.data(), payload.size()));
        EXPECT_EQ(deflater.Output(), expected);
    }
}

TEST(SessionMessages, AreTargetedByTheSenderSide)
{
    platform::SetMessageEcho(false);
    CNetGameSession host;
    host.SetHost(true);
    host.SetLocalPlayerId(0);
    const uint8_t drop[8] = {5, 0, 0, 0, 0, 0x10, 0, 0};
    host.SendGameMessage(40, drop, 8);
    host.SendGameSignal(50);
    // A plain message over 514 bytes is not sent at all.
    const Bytes big(515, 1);
    host.SendGameMessage(54, big.data(), big.size());
    auto sent = Outbound(host);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].to, 5);
    EXPECT_EQ(sent[1].to, kSendToAll);
    EXPECT_EQ(sent[1].id, 50);

    CNetGameSession client;
    client.SetLocalPlayerId(3);
    client.SendGameSignal(50);
    client.SendGameMessage(40, drop, 8);
    for (const Sent& s : Outbound(client))
        EXPECT_EQ(s.to, 0);
    platform::SetMessageEcho(true);
}

TEST(SessionQueue, AStatusPacketQueuesOnePlayersChangedPacket)
{
    CNetGameSession client;
    client.SetLocalPlayerId(3);
    client.PushInbound(BuildStatusPacket(0, 1));
    std::vector<uint8_t> packet;
    ASSERT_TRUE(client.PopMessage(packet));
    EXPECT_EQ(packet.size(), kGamePacketSize);
    EXPECT_EQ(packet[0], kTypeGame);
    EXPECT_EQ(packet[2], kPacketPlayersChanged);
    EXPECT_EQ(packet[4], 3);
    EXPECT_FALSE(client.PopMessage(packet));
}

TEST(SessionTextAllowance, TakesABurstThenFourLinesASecondAndEndsWhoKeepsGoingOver)
{
    struct Case {
        const char* name;
        uint32_t everyMs;
        int lines;
        int taken;
        int endedAt; // the line that ends the player, or -1
    };
    // The thirty-third line dropped (less one forgiven each second) ends the player.
    const Case cases[] = {
        {"typing four a second", 250, 200, 200, -1},
        {"twenty pasted at once", 0, 20, 8, -1},
        {"a hundred at once", 0, 100, 8, 40},
        {"a thousand a second", 1, 1000, 8, 40},
        {"ten a second", 100, 200, 38, 76},
        {"five a second", 200, 400, 327, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTextAllowance allowance;
        int taken = 0, endedAt = -1;
        for (int i = 0; i < c.lines && endedAt < 0; ++i) {
            const auto verdict = allowance.OnLine(5000 + static_cast<uint32_t>(i) * c.everyMs);
            taken += verdict == CTextAllowance::EVerdict::Take;
            if (verdict == CTextAllowance::EVerdict::End)
                endedAt = i;
        }
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(endedAt, c.endedAt);
    }
    // After a pause of two seconds the burst is back; a reset starts afresh.
    CTextAllowance allowance;
    auto burst = [&](uint32_t at) {
        int taken = 0;
        for (int i = 0; i < 12; ++i)
            taken += allowance.OnLine(at) == CTextAllowance::EVerdict::Take;
        return taken;
    };
    EXPECT_EQ(burst(0xFFFFFF00u), 8); // across the clock's wrap
    EXPECT_EQ(burst(0xFFFFFF00u + 2000), 8);
    allowance.Reset();
    EXPECT_EQ(burst(0xFFFFFF00u + 2000), 8);
}

TEST(SessionClockSync, AppliesFirstAtOnceThenAfterTenThenOnlyFromTwentyFive)
{
    CClockSync sync;
    std::vector<int32_t> rebased;
    auto rebase = [&](int32_t v) { rebased.push_back(v); };
    sync.OnSample(5000, 1000, rebase);
    ASSERT_EQ(rebased, std::vector<int32_t>{5000});
    // Nine more change nothing; the tenth since the first applies the average whatever its size.
    for (int i = 0; i < 9; ++i)
        sync.OnSample(1003, 1000, rebase);
    EXPECT_EQ(rebased.size(), 1u);
    sync.OnSample(1003, 1000, rebase);
    ASSERT_EQ(rebased.size(), 2u);
    EXPECT_EQ(rebased[1], 1003); // the 4000 of the first sample has dropped out of the ten
    // From the third on: an average of 20 (or -20) is left alone, one of 25 (or -25) re-bases.
    struct Case {
        int32_t offset;
        bool applies;
    };
    for (const Case c : {Case{20, false}, Case{-20, false}, Case{25, true}, Case{-25, true}}) {
        SCOPED_TRACE(c.offset);
        const size_t before = rebased.size();
        for (int i = 0; i < 10; ++i)
            sync.OnSample(1000 + c.offset, 1000, rebase);
        EXPECT_EQ(rebased.size(), before + (c.applies ? 1u : 0u));
        if (c.applies) {
            EXPECT_EQ(rebased.back(), 1000 + c.offset);
        }
        // Settle back to a zero average without applying.
        for (int i = 0; i < 10; ++i)
            sync.OnSample(1000, 1000, [](int32_t) {});
    }
}

} // namespace
