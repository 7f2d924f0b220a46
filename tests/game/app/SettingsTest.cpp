// "ZR.ini": reading by position line by line, and rewriting only the name and host lines.
#include "game/app/Settings.h"
#include "GameFixture.h"
#include "platform/system/FileLayer.h"
#include "tests/support/SafeWriteCheck.h"

#include <sys/stat.h>

namespace {

struct SettingsCase {
    const char* name;
    const char* file;
    CSettingsValues expected;
};

CSettingsValues Values(std::string name, bool windowed, bool astar, bool sound, bool orders, std::string host,
                       bool skip)
{
    CSettingsValues v;
    v.strName = std::move(name);
    v.bWindowed = windowed;
    v.bAStarLog = astar;
    v.bSound = sound;
    v.bIncidentOrders = orders;
    v.strHost = std::move(host);
    v.bSkipSplash = skip;
    return v;
}

class SettingsTest : public GameFixture {};

TEST_F(SettingsTest, ReadsTableOfFiles)
{
    const SettingsCase cases[] = {
        {"full", "Name: Ann Lee\nWindowed 1\nAStar 1\nSound 0\nOrders 1\nHost 10.1.2.3\nSkip 1\n",
         Values("Ann Lee", true, true, false, true, "10.1.2.3", true)},
        {"name only", "Name: Bo\n", Values("Bo", false, false, true, false, "", false)},
        {"yes is not one", "Name: C\nWindowed yes\nAStar 2\nSound no\nOrders y\nHost h\nSkip true\n",
         Values("C", false, false, true, false, "h", false)},
        {"empty name keeps the lines after it",
         "Name: \nWindowed 1\nAStar 0\nSound 1\nOrders 0\nHost 1.2.3.4\nSkip 1\n",
         Values("", true, false, true, false, "1.2.3.4", true)},
        {"empty host keeps skip", "Name: D\nWindowed 0\nAStar 0\nSound 1\nOrders 0\nHost \nSkip 1\n",
         Values("D", false, false, true, false, "", true)},
        {"crlf", "Name: E\r\nWindowed 1\r\nAStar 0\r\nSound 0\r\nOrders 0\r\nHost x\r\nSkip 0\r\n",
         Values("E", true, false, false, false, "x", false)},
        {"host cut to 32", "Name: F\nW 0\nA 0\nS 1\nO 0\nHost 0123456789012345678901234567890123456789\nK 0\n",
         Values("F", false, false, true, false, "01234567890123456789012345678901", false)},
        {"empty file", "", Values("", false, false, true, false, "", false)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto path = m_dir / "ZR.ini";
        WriteText(path, c.file);
        CSettingsValues v;
        ASSERT_TRUE(ReadSettingsFile(path.string(), v));
        EXPECT_EQ(v.strName, c.expected.strName);
        EXPECT_EQ(v.bWindowed, c.expected.bWindowed);
        EXPECT_EQ(v.bAStarLog, c.expected.bAStarLog);
        EXPECT_EQ(v.bSound, c.expected.bSound);
        EXPECT_EQ(v.bIncidentOrders, c.expected.bIncidentOrders);
        EXPECT_EQ(v.strHost, c.expected.strHost);
        EXPECT_EQ(v.bSkipSplash, c.expected.bSkipSplash);
    }
}

TEST_F(SettingsTest, MissingFileKeepsDefaults)
{
    CSettingsValues v;
    EXPECT_FALSE(ReadSettingsFile((m_dir / "none.ini").string(), v));
    EXPECT_TRUE(v.bSound);
    EXPECT_FALSE(v.bWindowed);
}

TEST_F(SettingsTest, RewriteChangesOnlyNameAndHost)
{
    auto path = m_dir / "ZR.ini";
    WriteText(path, "Name: Old\nWinMode 1\nLog yes\nSnd 0\nInc 1\nHost 9.9.9.9\nSplash 1\n");
    {
        // Synced before it replaces the old file, the folder synced after.
        platform::CRecordingFileLayer layer;
        platform::CFileLayerScope scope(layer);
        ASSERT_TRUE(RewriteSettingsFile(path.string(), "New Name", "1.2.3.4", CSettingsValues{}));
        EXPECT_TRUE(fixtures::WroteSafely(layer.Calls(), path.string()));
    }
    EXPECT_EQ(ReadText(path), "Name: New Name\nWinMode 1\nLog yes\nSnd 0\nInc 1\nHost 1.2.3.4\nSplash 1\n");
    // An empty host keeps the old value.
    ASSERT_TRUE(RewriteSettingsFile(path.string(), "N", "", CSettingsValues{}));
    EXPECT_EQ(ReadText(path), "Name: N\nWinMode 1\nLog yes\nSnd 0\nInc 1\nHost 1.2.3.4\nSplash 1\n");
}

TEST_F(SettingsTest, SinglePlayRewriteReadsBackTheSame)
{
    // An ordinary single-play start: empty name and empty host; the file must read back unshifted.
    auto path = m_dir / "ZR.ini";
    WriteText(path, "Name: \nWindowed 1\nAStar 0\nSound 1\nOrders 0\nHost \nSkip 1\n");
    ASSERT_TRUE(RewriteSettingsFile(path.string(), "", "", CSettingsValues{}));
    CSettingsValues v;
    ASSERT_TRUE(ReadSettingsFile(path.string(), v));
    EXPECT_EQ(v.strName, "");
    EXPECT_TRUE(v.bWindowed);
    EXPECT_EQ(v.strHost, "");
    EXPECT_TRUE(v.bSkipSplash);
}

TEST_F(SettingsTest, RewriteWithoutFileWritesCompleteFile)
{
    auto path = m_dir / "ZR.ini";
    CSettingsValues current = Values("", true, false, false, true, "", true);
    ASSERT_TRUE(RewriteSettingsFile(path.string(), "Zed", "5.6.7.8", current));
    CSettingsValues v;
    ASSERT_TRUE(ReadSettingsFile(path.string(), v));
    EXPECT_EQ(v.strName, "Zed");
    EXPECT_TRUE(v.bWindowed);
    EXPECT_FALSE(v.bSound);
    EXPECT_TRUE(v.bIncidentOrders);
    EXPECT_EQ(v.strHost, "5.6.7.8");
    EXPECT_TRUE(v.bSkipSplash);
}

TEST_F(SettingsTest, ReadOnlyFileIsRewritten)
{
    auto path = m_dir / "ZR.ini";
    WriteText(path, "Name: A\nW 0\nA 0\nS 1\nO 0\nH x\nK 0\n");
    chmod(path.c_str(), 0444);
    ASSERT_TRUE(RewriteSettingsFile(path.string(), "B", "", CSettingsValues{}));
    EXPECT_EQ(ReadText(path).substr(0, 8), "Name: B\n");
}

TEST_F(SettingsTest, GameTakesSwitchesIntoModeFlags)
{
    WriteText(m_dir / "ZR.ini", "Name: P\nW 1\nA 1\nS 0\nO 1\nH 1.1.1.1\nK 1\n");
    CGame& game = MakeGame(false);
    game.LoadSettings();
    EXPECT_TRUE(game.m_bWindowed);
    EXPECT_EQ(game.m_uMode & (kModeAStarLog | kModeSound | kModeIncidentOrders | kModeSkipSplash),
              kModeAStarLog | kModeIncidentOrders | kModeSkipSplash);
    EXPECT_EQ(game.m_strPlayerName, "P");
    EXPECT_EQ(game.m_strHostAddress, "1.1.1.1");
}

} // namespace
