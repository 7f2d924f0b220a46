// Safe writes: the order of the file calls, failures that keep the old file, stale temporaries, two-step copies.
#include "platform/system/FileLayer.h"
#include "platform/system/SafeWrite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class SafeWriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        m_dir = fs::temp_directory_path() / ("zr-safewrite-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(m_dir, ec);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    void Put(const std::string& name, const std::string& text) const { std::ofstream(m_dir / name) << text; }
    std::string Text(const std::string& name) const
    {
        std::ifstream in(m_dir / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(m_dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path m_dir;
};

TEST_F(SafeWriteTest, SyncsTheFileBeforeTheRenameAndTheFolderAfterIt)
{
    Put("ZR.ini", "old");
    platform::CRecordingFileLayer layer;
    platform::CFileLayerScope scope(layer);
    ASSERT_TRUE(platform::WriteFileSafely(Path("ZR.ini"), std::string("new")));
    const std::vector<std::string> calls = layer.Calls();
    ASSERT_EQ(calls.size(), 5u);
    const std::string temporary = calls[0].substr(std::string("create ").size());
    EXPECT_TRUE(platform::IsTemporaryOf(fs::path(temporary).filename().string(), "ZR.ini")) << temporary;
    EXPECT_EQ(fs::path(temporary).parent_path(), m_dir);
    EXPECT_EQ(calls[1], "sync " + temporary);
    EXPECT_EQ(calls[2], "close " + temporary);
    EXPECT_EQ(calls[3], "rename " + temporary + " " + Path("ZR.ini"));
    EXPECT_EQ(calls[4], "syncdir " + m_dir.string());
    EXPECT_EQ(Text("ZR.ini"), "new");
    EXPECT_EQ(Names(), std::vector<std::string>{"ZR.ini"});
}

TEST_F(SafeWriteTest, AFailedStepKeepsTheOldFileAndLeavesNoTemporary)
{
    for (const char* step : {"create", "sync", "close", "rename"}) {
        SCOPED_TRACE(step);
        Put("Score-Log.txt", "old");
        platform::CRecordingFileLayer layer;
        layer.FailCallsStartingWith(step);
        platform::CFileLayerScope scope(layer);
        std::string error;
        EXPECT_FALSE(platform::WriteFileSafely(Path("Score-Log.txt"), std::string("new"), &error));
        EXPECT_NE(error.find("Score-Log.txt"), std::string::npos) << error;
        EXPECT_EQ(Text("Score-Log.txt"), "old");
        EXPECT_EQ(Names(), std::vector<std::string>{"Score-Log.txt"});
    }
}

TEST_F(SafeWriteTest, StaleTemporariesOfTheTargetGoBeforeTheWrite)
{
    // A child that has ended leaves a process id that no process holds.
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    const std::string own = std::to_string(::getpid());
    // The image library's former numbered leftovers, all hundred of them.
    for (int n = 0; n < 100; ++n)
        Put("map.bmp.~" + std::to_string(n) + ".tmp", "x");
    Put("map.bmp.~" + std::to_string(child) + "-3.tmp", "dead writer");
    Put("map.bmp.~" + own + "-999999.tmp", "this process, no write holds it");
    Put("map.bmp.~1-0.tmp", "a running writer");
    Put("other.bmp.~5.tmp", "another target's");
    Put("map.bmp.~x.tmp", "not the pattern");
    ASSERT_TRUE(platform::WriteFileSafely(Path("map.bmp"), std::string("picture")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"map.bmp", "map.bmp.~1-0.tmp", "map.bmp.~x.tmp", "other.bmp.~5.tmp"}));
    EXPECT_EQ(Text("map.bmp"), "picture");
}

TEST_F(SafeWriteTest, APreparedCopyTakesItsNameOnlyWhenInstalled)
{
    Put("from.bmp", "new picture");
    Put("to.bmp", "old picture");
    platform::CRecordingFileLayer layer;
    platform::CFileLayerScope scope(layer);
    std::string temporary;
    ASSERT_TRUE(platform::PrepareFileCopy(Path("from.bmp"), Path("to.bmp"), &temporary));
    EXPECT_EQ(Text("to.bmp"), "old picture");
    // Another write of the same target meanwhile leaves the prepared copy alone.
    ASSERT_TRUE(platform::WriteFileSafely(Path("to.bmp"), std::string("other")));
    ASSERT_TRUE(fs::exists(temporary));
    layer.Clear();
    ASSERT_TRUE(platform::InstallTemporary(temporary, Path("to.bmp")));
    EXPECT_EQ(layer.Calls(),
              (std::vector<std::string>{"rename " + temporary + " " + Path("to.bmp"), "syncdir " + m_dir.string()}));
    EXPECT_EQ(Text("to.bmp"), "new picture");
    EXPECT_EQ(Names(), (std::vector<std::string>{"from.bmp", "to.bmp"}));
    // A missing source prepares nothing.
    EXPECT_FALSE(platform::PrepareFileCopy(Path("none.bmp"), Path("to.bmp"), &temporary));
    EXPECT_TRUE(temporary.empty());
    EXPECT_EQ(Names(), (std::vector<std::string>{"from.bmp", "to.bmp"}));
}

TEST_F(SafeWriteTest, CopyStreamsTheWholeFile)
{
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + i / 1000);
    std::ofstream(m_dir / "big.bin", std::ios::binary) << big;
    ASSERT_TRUE(platform::CopyFileSafely(Path("big.bin"), Path("copy.bin")));
    EXPECT_EQ(Text("copy.bin"), big);
    std::string error;
    EXPECT_FALSE(platform::CopyFileSafely(Path("none.bin"), Path("copy.bin"), &error));
    EXPECT_NE(error.find("none.bin"), std::string::npos);
    EXPECT_EQ(Text("copy.bin"), big);
    EXPECT_EQ(Names(), (std::vector<std::string>{"big.bin", "copy.bin"}));
}

} // namespace
