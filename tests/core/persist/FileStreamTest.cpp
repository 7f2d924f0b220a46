// Tests of the file stream: open modes, line and byte reads, buffers, reported write failures and safe saves.
#include "ArchiveTestUtil.h"
#include "platform/system/FileLayer.h"
#include "tests/support/SafeWriteCheck.h"

#include <csignal>
#include <cstring>
#include <filesystem>
#include <vector>

#include <sys/resource.h>

namespace {

int CountFiles(const std::string& folder)
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

TEST(FileStreamTest, ModeTextFromTypeAndMode)
{
    struct Case {
        int type, mode;
        const char* text;
    } cases[] = {{1, 0, "rb"}, {1, 4, "w+b"}, {0, 0, "rt"}, {0, 1, "wt"}, {0, 2, "r+t"},
                 {1, 3, "ab"}, {1, 5, "a+b"}, {7, 0, "r"},  {0, 6, "t"},  {1, -1, "b"}};
    for (const Case& c : cases)
        EXPECT_EQ(QFFileStream::ModeText(c.type, c.mode), c.text) << c.type << " " << c.mode;
}

TEST(FileStreamTest, OpenRefusals)
{
    TempFolder folder;
    WriteBytes(folder.File("a"), "abc");
    WriteBytes(folder.File("b"), "xyz");
    QFFileStream stream;
    EXPECT_FALSE(stream.Open("", 0, 0));
    EXPECT_FALSE(stream.Open(folder.File("missing"), 1, 0));
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_FALSE(stream.Close());

    ASSERT_TRUE(stream.Open(folder.File("a"), 1, 0));
    // A second open is refused and the first file stays open, but the new path, type and mode are stored.
    EXPECT_FALSE(stream.Open(folder.File("b"), 0, 2));
    EXPECT_EQ(stream.GetPath(), folder.File("b"));
    EXPECT_EQ(stream.GetType(), 0);
    EXPECT_EQ(stream.GetMode(), 2);
    char buffer[8] = {};
    int length = 3;
    EXPECT_TRUE(stream.Read(buffer, &length));
    EXPECT_EQ(std::string(buffer, 3), "abc");
    EXPECT_TRUE(stream.Close());
    // After closing, the stream opens again.
    EXPECT_TRUE(stream.Open(folder.File("b"), 1, 0));
}

TEST(FileStreamTest, OpensDataNamedInAnotherCase)
{
    TempFolder folder;
    WriteBytes(folder.File("Scenario.ZRI"), "x");
    QFFileStream stream;
    EXPECT_TRUE(stream.Open(folder.File("scenario.zri"), 1, 0));
}

TEST(FileStreamTest, ReadsBytesAndReportsTheCount)
{
    TempFolder folder;
    WriteBytes(folder.File("f"), "12345");
    QFFileStream stream;
    char buffer[16] = {};
    int length = 4;
    EXPECT_FALSE(stream.Read(buffer, &length));
    ASSERT_TRUE(stream.Open(folder.File("f"), 1, 0));
    length = 0;
    EXPECT_TRUE(stream.Read(buffer, &length));
    EXPECT_EQ(length, 0);
    length = 16;
    EXPECT_TRUE(stream.Read(buffer, &length));
    EXPECT_EQ(length, 5);
    EXPECT_TRUE(stream.IsEOF());
}

TEST(FileStreamTest, ReadLineKeepsLineFeedAndReportsEndOfFile)
{
    TempFolder folder;
    WriteBytes(folder.File("t"), "first\nsecond\r\nlast");
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(folder.File("t"), 0, 0));
    char buffer[64];
    int size = sizeof buffer;
    ASSERT_TRUE(stream.ReadLine(buffer, &size));
    EXPECT_STREQ(buffer, "first\n");
    EXPECT_EQ(size, 6);
    size = 4; // at most three characters
    ASSERT_TRUE(stream.ReadLine(buffer, &size));
    EXPECT_STREQ(buffer, "sec");
    size = sizeof buffer;
    ASSERT_TRUE(stream.ReadLine(buffer, &size));
    EXPECT_STREQ(buffer, "ond\n"); // CR LF read as LF
    size = sizeof buffer;
    ASSERT_TRUE(stream.ReadLine(buffer, &size));
    EXPECT_STREQ(buffer, "last");
    // At the end the buffer is emptied and the call fails.
    size = sizeof buffer;
    EXPECT_FALSE(stream.ReadLine(buffer, &size));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(size, 0);
}

TEST(FileStreamTest, ReadLineRefusesBinaryStreams)
{
    TempFolder folder;
    WriteBytes(folder.File("t"), "line\n");
    QFFileStream stream;
    ASSERT_TRUE(stream.Open(folder.File("t"), 1, 0));
    char buffer[16] = "untouched";
    int size = sizeof buffer;
    EXPECT_FALSE(stream.ReadLine(buffer, &size));
    EXPECT_STREQ(buffer, "untouched");
}

TEST(FileStreamTest, AllocBufferClampsItsSize)
{
    struct Case {
        int size, held;
    } cases[] = {{-5, 65536}, {0, 65536}, {500, 1024}, {65536, 65536}, {9000000, 4000000}};
    for (const Case& c : cases) {
        QFFileStream stream;
        stream.SetBufferSize(c.size);
        EXPECT_TRUE(stream.AllocBuffer());
        EXPECT_EQ(stream.GetHeldBufferSize(), 0) << "not buffered";
        stream.SetBuffered(true);
        EXPECT_TRUE(stream.AllocBuffer());
        EXPECT_EQ(stream.GetHeldBufferSize(), c.held) << c.size;
        stream.FreeBuffer();
        EXPECT_EQ(stream.GetHeldBufferSize(), 0);
    }
}

TEST(FileStreamTest, ReportsShortWritesAndFailingClose)
{
    QFFileStream stream;
    EXPECT_FALSE(stream.Write("x", 1));
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    ASSERT_TRUE(stream.Open("/dev/full", 1, 1));
    std::vector<char> block(1 << 20, 'z');
    EXPECT_FALSE(stream.Write(block.data(), static_cast<int>(block.size())));
    stream.Close();

    ASSERT_TRUE(stream.Open("/dev/full", 1, 1));
    EXPECT_TRUE(stream.Write("abc", 3)); // still buffered
    EXPECT_FALSE(stream.Close());        // the flush on close fails
    EXPECT_FALSE(stream.IsOpen());
}

TEST(FileStreamTest, SafeWriteReplacesTheFileOnlyOnSuccess)
{
    TempFolder folder;
    std::string target = folder.File("save.zri");
    WriteBytes(target, "old contents");
    namespace fs = std::filesystem;
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);

    QFFileStream stream;
    ASSERT_TRUE(stream.OpenSafeWrite(target, QFFileStream::kBinary));
    EXPECT_TRUE(stream.IsSafeWrite());
    EXPECT_TRUE(stream.Write("new", 3));
    EXPECT_EQ(ReadBytes(target), "old contents"); // untouched until the close
    EXPECT_TRUE(stream.Close());
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(CountFiles(folder.Path()), 1);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    // Abandoned, or destroyed before closing: the old file stays and no temporary is left.
    ASSERT_TRUE(stream.OpenSafeWrite(target, QFFileStream::kBinary));
    stream.Write("half", 4);
    stream.Abandon();
    EXPECT_FALSE(stream.IsOpen());
    {
        QFFileStream dropped;
        ASSERT_TRUE(dropped.OpenSafeWrite(target, QFFileStream::kText));
        dropped.Write("half", 4);
    }
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(CountFiles(folder.Path()), 1);

    // A new file is created by the rename.
    ASSERT_TRUE(stream.OpenSafeWrite(folder.File("fresh.txt"), QFFileStream::kText));
    EXPECT_TRUE(stream.Write("hello\n", 6));
    EXPECT_TRUE(stream.Close());
    EXPECT_EQ(ReadBytes(folder.File("fresh.txt")), "hello\n");

    EXPECT_FALSE(stream.OpenSafeWrite(folder.File("no/such/folder/f"), QFFileStream::kBinary));
}

TEST(FileStreamTest, SafeWriteReachesTheDiskBeforeItsNameAndClearsOldTemporaries)
{
    TempFolder folder;
    const std::string target = folder.File("Millbrook.zri");
    WriteBytes(target, "old");
    // A temporary a killed editor left behind (a process id that no longer runs).
    WriteBytes(target + ".~999999999-0.tmp", "half");
    platform::CRecordingFileLayer layer;
    {
        platform::CFileLayerScope scope(layer);
        QFFileStream stream;
        ASSERT_TRUE(stream.OpenSafeWrite(target, QFFileStream::kBinary));
        EXPECT_TRUE(stream.Write("new", 3));
        EXPECT_TRUE(stream.Close());
    }
    EXPECT_TRUE(fixtures::WroteSafely(layer.Calls(), target));
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_EQ(CountFiles(folder.Path()), 1);
}

TEST(FileStreamTest, SafeWriteKeepsTheOldFileWhenTheRenameFails)
{
    TempFolder folder;
    std::string target = folder.File("occupied");
    std::filesystem::create_directory(target);
    WriteBytes(target + "/inside", "keep");
    QFFileStream stream;
    ASSERT_TRUE(stream.OpenSafeWrite(target, QFFileStream::kBinary));
    EXPECT_TRUE(stream.Write("data", 4));
    EXPECT_FALSE(stream.Close());
    EXPECT_EQ(ReadBytes(target + "/inside"), "keep");
    EXPECT_EQ(CountFiles(folder.Path()), 1);
}

TEST(FileStreamTest, SafeWriteKeepsTheOldFileWhenAWriteFails)
{
    TempFolder folder;
    std::string target = folder.File("save.zre");
    WriteBytes(target, "old contents");

    // A file size limit makes the writes fail part-way, as a full disk would.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    QFFileStream stream;
    bool opened = stream.OpenSafeWrite(target, QFFileStream::kBinary);
    std::vector<char> block(1 << 20, 'z');
    bool wrote = opened && stream.Write(block.data(), static_cast<int>(block.size()));
    bool closed = opened && stream.Close();

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_TRUE(opened);
    EXPECT_FALSE(wrote);
    EXPECT_FALSE(closed);
    EXPECT_EQ(ReadBytes(target), "old contents");
    EXPECT_EQ(CountFiles(folder.Path()), 1);
}

} // namespace
