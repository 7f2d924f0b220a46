// The relay loop with a scripted receive: datagram sizes, console lines, the position file, start-up failures.
#include "RelayFixture.h"

#include "platform/system/FileLayer.h"
#include "relay/model/Relay.h"
#include "tests/support/SafeWriteCheck.h"

#include <cerrno>
#include <cstring>
#include <deque>
#include <filesystem>

namespace {

// Hands out scripted datagrams as the receiver would: a longer one than asked for is an error (-1).
struct ScriptedReceive {
    std::deque<std::vector<char>> datagrams;
    int calls = 0;

    int operator()(char* buffer, int size)
    {
        ++calls;
        if (datagrams.empty())
            return -1;
        std::vector<char> d = std::move(datagrams.front());
        datagrams.pop_front();
        std::memcpy(buffer, d.data(), std::min(d.size(), size_t(size)));
        return int(d.size()) > size ? -1 : int(d.size());
    }
};

// A stop hook that lets `passes` passes run.
std::function<bool()> After(int passes)
{
    auto left = std::make_shared<int>(passes);
    return [left] { return (*left)-- <= 0; };
}

} // namespace

using RelayLoop = RelayTest;

TEST_F(RelayLoop, WholeDatagramWritesTheExactText)
{
    ScriptedReceive script;
    script.datagrams.push_back(MakeDatagram(2048, 1.5f, -2.25f));
    CRelayState state;
    std::string out = PathIn("L3_XY_FILE");
    platform::CRecordingFileLayer layer;
    {
        platform::CFileLayerScope scope(layer);
        RunRelay(state, std::ref(script), out, After(1));
    }
    // A power cut never leaves the reader an empty file: synced, renamed, the folder synced.
    EXPECT_TRUE(fixtures::WroteSafely(layer.Calls(), out));
    EXPECT_EQ(script.calls, 1);
    EXPECT_EQ(ReadFileText(out), "1.500000,-2.250000");
    EXPECT_EQ(Console(), "XPos: 1.500000 YPos: -2.250000 \n");
    EXPECT_FALSE(std::filesystem::exists(out + ".tmp"));
}

TEST_F(RelayLoop, OtherSizesKeepThePreviousPosition)
{
    struct Case {
        int length;
        const char* before; // no whole datagram yet
        const char* after;  // after one at (3, 4)
    } cases[] = {
        {2047, "150.000000,150.000000", "3.000000,4.000000"},
        {2049, "150.000000,150.000000", "3.000000,4.000000"},
        {1, "150.000000,150.000000", "3.000000,4.000000"},
        {8192, "150.000000,150.000000", "3.000000,4.000000"},
    };
    for (const auto& c : cases) {
        ScriptedReceive script;
        script.datagrams.push_back(MakeDatagram(c.length, 9.0f, 9.0f));
        script.datagrams.push_back(MakeDatagram(2048, 3.0f, 4.0f));
        script.datagrams.push_back(MakeDatagram(c.length, 9.0f, 9.0f));
        CRelayState state;
        std::string out = PathIn("L3_XY_FILE");
        RunRelay(state, std::ref(script), out, After(1));
        EXPECT_EQ(ReadFileText(out), c.before) << c.length;
        RunRelay(state, std::ref(script), out, After(1));
        RunRelay(state, std::ref(script), out, After(1));
        EXPECT_EQ(ReadFileText(out), c.after) << c.length;
    }
}

TEST_F(RelayLoop, ReceiveErrorsPrintASignedResult)
{
    ScriptedReceive script; // empty: every receive fails
    CRelayState state;
    RunRelay(state, std::ref(script), PathIn("L3_XY_FILE"), After(2));
    EXPECT_EQ(Console(), "multicast receive error; result= -1 \nXPos: 150.000000 YPos: 150.000000 \n"
                         "multicast receive error; result= -1 \nXPos: 150.000000 YPos: 150.000000 \n");
    ClearConsole();
    RunRelay(state, RelayReceive{}, PathIn("L3_XY_FILE"), After(1)); // no receiver: result 0
    EXPECT_EQ(Console(), "multicast receive error; result= 0 \nXPos: 150.000000 YPos: 150.000000 \n");
}

TEST_F(RelayLoop, PositionFileTextTable)
{
    struct Case {
        float x, y;
        const char* text;
    } cases[] = {
        {1.5f, -2.25f, "1.500000,-2.250000"},
        {0.0f, -0.0f, "0.000000,-0.000000"},
        {1234567.0f, 0.1f, "1234567.000000,0.100000"},
        {1e30f, -1e-30f, "1000000015047466219876688855040.000000,-0.000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatPosition(c.x, c.y), c.text);
        ASSERT_TRUE(WritePositionFile(PathIn("pos"), c.x, c.y));
        EXPECT_EQ(ReadFileText(PathIn("pos")), c.text);
    }
}

TEST_F(RelayLoop, UnwritableFileIsReportedOnceAndLoopGoesOn)
{
    ScriptedReceive script;
    script.datagrams.push_back(MakeDatagram(2048, 1.0f, 2.0f));
    CRelayState state;
    std::string out = PathIn("no such folder/L3_XY_FILE");
    RunRelay(state, std::ref(script), out, After(3));
    EXPECT_EQ(script.calls, 3);
    size_t first = Console().find("Cannot write ");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(Console().find("Cannot write ", first + 1), std::string::npos);
    EXPECT_FLOAT_EQ(state.lastX, 1.0f);
}

TEST_F(RelayLoop, NoReceiverEndsTheProgram)
{
    struct Case {
        const char* ini; // null: no file
        const char* expect;
        bool socketTried; // the settings were usable, the socket was not
    } cases[] = {
        {nullptr, "Cannot read ", false},
        {"Address garbled\nPort 30001\n", "L3.ini: the address \"garbled\" is not four numbers", false},
        {"Address 239.1.2.3.4\nPort 30001\n", "L3.ini: the address \"239.1.2.3.4\" is not four numbers", false},
        {"Address 239.1.2\nPort 30001\n", "L3.ini: the address \"239.1.2\" is not four", false},
        {"Address 239.1.256.3\nPort 30001\n", "L3.ini: the address \"239.1.256.3\" is not four", false},
        {"Address 239.1.2.3\nPort 0\n", "L3.ini: the port must be a number from 1 to 65535 (read as 0)", false},
        {"Address 239.1.2.3\nPort abc\n", "L3.ini: the port must be a number from 1 to 65535 (read as 0)", false},
        {"Address 239.1.2.3\nPort 70000\n", "L3.ini: the port must be a number from 1 to 65535 (read as 70000)", false},
        {"Address 10.1.2.3\nPort 30001\n", "IP_ADD_MEMBERSHIP error: EINVAL", true}, // not a group
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ini ? c.ini : "no file");
        std::filesystem::remove(PathIn("L3.ini"));
        if (c.ini)
            WriteText("L3.ini", c.ini);
        ClearConsole();
        CRelayOptions options;
        options.stop = [] {
            ADD_FAILURE() << "the loop must not start";
            return true;
        };
        EXPECT_EQ(PelmoraMain(Folder(), options), 1);
        EXPECT_NE(Console().find(c.expect), std::string::npos) << Console();
        EXPECT_EQ(Console().find("Error Creating Multicast Socket\n") != std::string::npos, c.socketTried);
        EXPECT_FALSE(std::filesystem::exists(PathIn("L3_XY_FILE")));
    }
}
