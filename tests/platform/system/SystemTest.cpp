// Platform services: message record, path joining and case-blind lookup, the drivable clock.
#include "platform/system/Clock.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

TEST(MessageBox, RecordsAndClears)
{
    platform::ClearRecordedMessages();
    platform::SetMessageEcho(false);
    platform::ShowMessageBox("Failed to open file:", "Zoranth", platform::MessageIcon::Error);
    platform::DebugOutput("Data to be sent is too large for network");
    auto msgs = platform::RecordedMessages();
    ASSERT_EQ(msgs.size(), 1u);
    EXPECT_EQ(msgs[0].text, "Failed to open file:");
    EXPECT_EQ(msgs[0].icon, platform::MessageIcon::Error);
    ASSERT_EQ(platform::RecordedDebugOutput().size(), 1u);
    platform::ClearRecordedMessages();
    EXPECT_TRUE(platform::RecordedMessages().empty());
    platform::SetMessageEcho(true);
}

TEST(Paths, Join)
{
    struct Case {
        const char* a;
        const char* b;
        const char* joined;
    } cases[] = {
        {"data", "GUI\\HUD_Art.csv", "data/GUI/HUD_Art.csv"},
        {"data/", "/x.txt", "data/x.txt"},
        {"", "x.txt", "x.txt"},
        {"C:\\base", "", "C:/base"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::JoinPath(c.a, c.b), c.joined);
}

TEST(Paths, FindsFilesInAnyLetterCase)
{
    fs::path dir = fs::temp_directory_path() / "zr_paths_case";
    fs::remove_all(dir);
    fs::create_directories(dir / "Data" / "Sounds");
    FILE* f = std::fopen((dir / "Data" / "Sounds" / "Click.wav").c_str(), "wb");
    std::fclose(f);

    std::string asked = (dir / "data" / "SOUNDS" / "click.WAV").string();
    EXPECT_EQ(platform::ResolvePathCase(asked), (dir / "Data" / "Sounds" / "Click.wav").string());
    FILE* r = platform::OpenFile(asked, "rb");
    ASSERT_NE(r, nullptr);
    std::fclose(r);

    // A new file keeps its own name but lands in the existing folder.
    FILE* w = platform::OpenFile((dir / "DATA" / "New.txt").string(), "wb");
    ASSERT_NE(w, nullptr);
    std::fclose(w);
    EXPECT_TRUE(fs::exists(dir / "Data" / "New.txt"));

    EXPECT_EQ(platform::OpenFile((dir / "nope" / "x").string(), "rb"), nullptr);
    fs::remove_all(dir);
}

TEST(Clock, ManualClockDrivesTheTickCount)
{
    {
        platform::ManualClock clock(1000);
        EXPECT_EQ(platform::GetTickCount(), 1000u);
        clock.Advance(34);
        EXPECT_EQ(platform::GetTickCount(), 1034u);
    }
    uint32_t a = platform::GetTickCount();
    uint32_t b = platform::GetTickCount();
    EXPECT_LE(a, b);
}

TEST(MessageBox, RecordStaysBounded)
{
    platform::ClearRecordedMessages();
    platform::SetMessageEcho(false);
    for (int i = 0; i < 2500; ++i)
        platform::DebugOutput("line " + std::to_string(i));
    auto lines = platform::RecordedDebugOutput();
    EXPECT_LE(lines.size(), 1000u);
    EXPECT_EQ(lines.back(), "line 2499");
    platform::ClearRecordedMessages();
    platform::SetMessageEcho(true);
}
