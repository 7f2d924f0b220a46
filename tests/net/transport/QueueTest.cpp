// The message queue's reuse and order, and the user list: its file, its look-ups and its logins.
#include "net/transport/NetManager.h"
#include "net/transport/NetMsgQueue.h"
#include "net/transport/UserList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> FrameOf(uint32_t length, uint8_t fill)
{
    std::vector<uint8_t> f(length, fill);
    f[0] = static_cast<uint8_t>(length);
    f[1] = static_cast<uint8_t>(length >> 8);
    f[2] = f[3] = 0;
    return f;
}

TEST(NetMsgQueue, ReusesABufferOfTheSameSizeOnly)
{
    CNetMsgQueue queue;
    CNetBuffer* first = queue.GetBuffer(532);
    ASSERT_TRUE(queue.PushBack(first));
    queue.ReleaseBuffer(first);
    EXPECT_EQ(queue.Count(), 0u);
    EXPECT_EQ(queue.GetBuffer(532), first);
    CNetBuffer* other = queue.GetBuffer(540);
    EXPECT_NE(other, first);
    queue.ReturnBuffer(first);
    queue.ReturnBuffer(other);
}

TEST(NetMsgQueue, KeepsOrderWithUrgentFramesAtTheHead)
{
    CNetMsgQueue queue;
    ASSERT_TRUE(queue.PushCopy(FrameOf(20, 1).data()));
    ASSERT_TRUE(queue.PushCopy(FrameOf(30, 2).data()));
    ASSERT_TRUE(queue.PushCopyFront(FrameOf(16, 3).data()));
    EXPECT_EQ(queue.QueuedBytes(), 66u);
    CNetBuffer* taken[4];
    ASSERT_EQ(queue.TakeFront(taken, 4), 3u);
    EXPECT_EQ(taken[0]->pData[5], 3);
    EXPECT_EQ(taken[1]->pData[5], 1);
    EXPECT_EQ(taken[2]->pData[5], 2);
    EXPECT_EQ(queue.QueuedBytes(), 0u);
    for (CNetBuffer* b : taken)
        if (b != taken[3])
            queue.ReturnBuffer(b);
    // The free list hands them out again by size.
    CNetBuffer* again = queue.GetBuffer(30);
    EXPECT_EQ(again, taken[2]);
    queue.ReturnBuffer(again);
}

std::vector<uint8_t> UserFile(const char* magic, int32_t count,
                              const std::vector<std::pair<std::string, std::string>>& users, uint32_t flags = 0)
{
    std::vector<uint8_t> bytes(magic, magic + 8);
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<uint8_t>(count >> (8 * i)));
    for (const auto& [name, password] : users) {
        std::vector<uint8_t> record(76, 0);
        std::memcpy(record.data(), &flags, 4);
        std::memcpy(record.data() + 4, name.data(), std::min<size_t>(name.size(), 32));
        std::memcpy(record.data() + 36, password.data(), std::min<size_t>(password.size(), 32));
        record[68] = 7;
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

TEST(UserList, ReadsItsRecordsAndStopsAtAShortOne)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool ok;
        size_t accounts;
    };
    auto cut = UserFile("UNAD1.00", 3, {{"Ann", "a"}, {"Bob", "b"}, {"Cid", "c"}});
    cut.resize(cut.size() - 10);
    const Case cases[] = {
        {"two records", UserFile("UNAD1.00", 2, {{"Ann", "a"}, {"Bob", "b"}}), true, 2},
        {"another magic", UserFile("UNAD1.01", 1, {{"Ann", "a"}}), false, 0},
        {"the third cut short", cut, true, 2},
        {"a count past the records", UserFile("UNAD1.00", 1000000, {{"Ann", "a"}}), true, 1},
        {"a negative count", UserFile("UNAD1.00", -5, {{"Ann", "a"}}), true, 0},
        {"a header cut short", std::vector<uint8_t>{'U', 'N', 'A', 'D'}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<CUserAccount> accounts;
        EXPECT_EQ(ParseUserList(c.bytes.data(), c.bytes.size(), accounts), c.ok);
        EXPECT_EQ(accounts.size(), c.accounts);
        for (const CUserAccount& a : accounts) {
            EXPECT_EQ(a.m_uFlags & CUserAccount::kLoaded, CUserAccount::kLoaded);
            EXPECT_EQ(a.m_nValue1, 7);
        }
    }
}

TEST(UserList, LooksUpExactlyAndLogsInOnce)
{
    const std::string longName(40, 'L');
    const auto bytes = UserFile("UNAD1.00", 3, {{"Ann", "secret"}, {"ann", "other"}, {longName, "x"}});
    const auto path = std::filesystem::temp_directory_path() / ("zr-users-" + std::to_string(::getpid()));
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    CNetManager manager(24);
    ASSERT_TRUE(manager.LoadUserList(path.string()));
    std::filesystem::remove(path);
    CUserAccount* ann = manager.FindUserByName("Ann");
    ASSERT_NE(ann, nullptr);
    EXPECT_NE(ann, manager.FindUserByName("ann"));
    EXPECT_EQ(manager.FindUserByName("An"), nullptr);
    // A 32-character field holds no terminator: names compare within 32.
    EXPECT_NE(manager.FindUserByName(longName), nullptr);
    EXPECT_FALSE(ann->Login("Ann", "Secret", 3));
    EXPECT_TRUE(ann->Login("Ann", "secret", 3));
    EXPECT_FALSE(ann->Login("Ann", "secret", 4));
    EXPECT_EQ(manager.FindUserById(3), ann);
    ann->Logout();
    EXPECT_EQ(manager.FindUserById(3), nullptr);
    EXPECT_TRUE(ann->Login("Ann", "secret", 4));
}

} // namespace
