// The lobby driven by mouse and keys over the demo data: page states, entries, quick starts, refusals, and
// single play of a new scenario and of a saved game end to end.
#include "FrontEndFixture.h"

#include "core/display/CDisplay.h"
#include "core/util/ByteStream.h"
#include "game/app/SavedGame.h"
#include "game/screens/briefing/BriefingIF.h"
#include "game/screens/hud/HUD.h"
#include "net/session/NetGameSession.h"
#include "platform/system/FileLayer.h"
#include "tests/support/DisplayFixtures.h"

#include <algorithm>
#include <fstream>

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kF4 = 0x73, kF6 = 0x75, kF7 = 0x76;

class LobbyTest : public FrontEndFixture {
protected:
    // From the briefing (which the start click may already have passed) into play.
    void EnterPlay()
    {
        if (!Game().m_pHUD) {
            ASSERT_TRUE(Game().m_uMode & kModeBriefing);
            ASSERT_TRUE(Game().StartScenario());
        }
        EXPECT_TRUE(Game().m_pHUD);
        EXPECT_TRUE(Game().m_uMode & kModeRunning);
    }
};

TEST_F(LobbyTest, StartsWithSingleAndNetworkEnabledAndEveryPartOnScreen)
{
    MPlayIF& lobby = Lobby();
    EXPECT_TRUE(lobby.m_bShown);
    EXPECT_EQ(lobby.m_nPageState, 0);
    EXPECT_EQ(lobby.m_uEnabled, MPlayIF::Bit(0) | MPlayIF::Bit(1) | MPlayIF::Bit(4));
    for (const CScreenRect& rc : lobby.m_rcButtons)
        EXPECT_TRUE(rc.width > 0 && rc.Fits());
    for (const CScreenRect* rc : {&lobby.m_rcName, &lobby.m_rcAddress, &lobby.m_rcList, &lobby.m_rcStatus,
                                  &lobby.m_rcNext, &lobby.m_rcExit, &lobby.m_rcReset})
        EXPECT_TRUE(rc->width > 0 && rc->Fits());
    EXPECT_TRUE(platform::RecordedMessages().empty());
}

TEST_F(LobbyTest, SinglePlayOfANewScenarioByMouseReachesTheBriefingAndPlay)
{
    ClickButton(0);
    EXPECT_EQ(Lobby().m_nPageState, 1);
    EXPECT_EQ(Lobby().m_uEnabled & (MPlayIF::Bit(1) | MPlayIF::Bit(2) | MPlayIF::Bit(3)),
              MPlayIF::Bit(2) | MPlayIF::Bit(3));
    ClickButton(2);
    EXPECT_EQ(Lobby().m_nPageState, 5);
    EXPECT_EQ(Lobby().m_aList, std::vector<std::string>{"Millbrook"});
    EXPECT_EQ(Lobby().GetSelectedName(), "Millbrook");
    Type("Chief");
    EXPECT_EQ(Lobby().m_strPlayerName, "Chief");
    Click(Lobby().m_rcNext);
    EXPECT_EQ(Lobby().m_strChosenName, "Millbrook.zri");
    EXPECT_TRUE(Game().m_uMode & kModeSingle);
    EXPECT_FALSE(Game().m_uMode & kModeLobby);
    EXPECT_FALSE(Lobby().m_bShown);
    ASSERT_TRUE(Game().m_pMap);
    EXPECT_EQ(Game().m_strScenarioName, "Millbrook.zri");
    EXPECT_EQ(Game().GetLocalPlayerName().substr(Game().GetLocalPlayerName().size() - 5), "Chief");
    EnterPlay();
}

TEST_F(LobbyTest, SinglePlayOfASavedGameByMouseRestoresIt)
{
    // A game is played and saved, then a new program picks the save from the lobby's list.
    ClickButton(0);
    ClickButton(2);
    Click(Lobby().m_rcNext);
    EnterPlay();
    ASSERT_TRUE(Game().SaveGame("Morning Drill"));
    Restart();
    ClickButton(0);
    ClickButton(3);
    EXPECT_TRUE(Game().m_uMode & kModeFromSave);
    EXPECT_EQ(Lobby().m_aList, std::vector<std::string>{"Morning Drill"});
    EXPECT_FALSE(Lobby().m_uEnabled & MPlayIF::Bit(2));
    Click(Lobby().m_rcNext);
    EXPECT_EQ(Lobby().m_strChosenName, "Morning Drill");
    EXPECT_EQ(Game().m_strSavedGameName, "Morning Drill");
    ASSERT_TRUE(Game().m_pMap);
    EXPECT_NE(Game().m_strScenarioName.find("Saves/Morning Drill/"), std::string::npos);
    EnterPlay();
    EXPECT_FALSE(Game().m_uMode & kModeFromSave);
}

TEST_F(LobbyTest, ABrokenScenarioOrSaveLeavesTheLobbyWithTheReason)
{
    std::ofstream(m_dir / "Millbrook.zri", std::ios::binary | std::ios::trunc) << "not an archive";
    ClickButton(0);
    ClickButton(2);
    Click(Lobby().m_rcNext);
    EXPECT_TRUE(Game().m_uMode & kModeLobby);
    EXPECT_FALSE(Game().m_pMap);
    EXPECT_TRUE(Lobby().m_bNoticeShown);
    EXPECT_EQ(Lobby().m_strNotice, "The game could not be loaded.");

    // A state file whose header reads, written by a later version.
    fs::create_directories(m_dir / "Saves" / "Broken");
    CByteWriter header;
    ASSERT_TRUE(WriteSaveHeader(header, {"9.9", "Millbrook.zri", 930}));
    std::ofstream(m_dir / "Saves" / "Broken" / "SaveData.zrd", std::ios::binary)
        << std::string(header.Data().begin(), header.Data().end());
    Click(Lobby().m_rcReset);
    ClickButton(0);
    ClickButton(3);
    ASSERT_EQ(Lobby().m_aList, std::vector<std::string>{"Broken"});
    Click(Lobby().m_rcNext);
    EXPECT_TRUE(Game().m_uMode & kModeLobby);
    EXPECT_FALSE(Game().m_uMode & kModeFromSave && Game().m_pMap);
    EXPECT_NE(Lobby().m_strNotice.find("The saved game \"Broken\" cannot be loaded"), std::string::npos);
}

TEST_F(LobbyTest, NextWithAnEmptyListSaysSoAndStays)
{
    ClickButton(0);
    ClickButton(3); // no saves yet
    Click(Lobby().m_rcNext);
    EXPECT_EQ(Lobby().m_strNotice, "*** No Saved Games Available ****");
    EXPECT_TRUE(Game().m_uMode & kModeLobby);
    EXPECT_EQ(LastSound(), 2);
}

TEST_F(LobbyTest, SavedGamesThatCannotBeReadAreCountedNotListed)
{
    // A state file cut inside its header, and a folder without one.
    fs::create_directories(m_dir / "Saves" / "Cut");
    std::ofstream(m_dir / "Saves" / "Cut" / "SaveData.zrd", std::ios::binary) << std::string("1.0\0\0\0\0\0", 9);
    fs::create_directories(m_dir / "Saves" / "Empty");
    ClickButton(0);
    ClickButton(3);
    EXPECT_TRUE(Lobby().m_aList.empty());
    EXPECT_TRUE(Lobby().m_bNoticeShown);
    EXPECT_EQ(Lobby().m_strNotice, "2 saved games could not be read.");
}

TEST_F(LobbyTest, ASettingsFileThatCannotBeWrittenIsToldOnceInPlay)
{
    std::vector<std::string> lines;
    Game().m_fnLogObserver = [&lines](const std::string& line) { lines.push_back(line); };
    const std::string before = demo_game::ReadFileText(m_dir / "ZR.ini");
    platform::CRecordingFileLayer layer;
    layer.FailCallsStartingWith("create " + (m_dir / "ZR.ini").string(), EACCES);
    {
        platform::CFileLayerScope scope(layer);
        ClickButton(0);
        ClickButton(2);
        Click(Lobby().m_rcNext);
    }
    EnterPlay();
    EXPECT_EQ(demo_game::ReadFileText(m_dir / "ZR.ini"), before);
    // This machine's line, not a chat line under the player's name.
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ZR.ini could not be written: Permission denied."), 1) << [&] {
        std::string all;
        for (const std::string& l : lines)
            all += l + "\n";
        return all;
    }();
    // In the log the panel shows, from the start of a line.
    const std::vector<CLogLine>& shown = Game().m_log.m_messages.aLines;
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                            [](const CLogLine& l) { return l.strText.rfind("ZR.ini could not be written", 0) == 0; }));
}

TEST_F(LobbyTest, ListArrowsMoveTheSelectionAndRefuseAtTheEnds)
{
    std::ofstream(m_dir / "Second.zri") << "x";
    std::ofstream(m_dir / "second.zra") << "x";
    ClickButton(0);
    ClickButton(2);
    ASSERT_EQ(Lobby().m_aList.size(), 2u);
    Click(Lobby().m_rcArrowUp);
    EXPECT_EQ(LastSound(), 2);
    Click(Lobby().m_rcArrowDown);
    EXPECT_EQ(Lobby().GetSelectedName(), "Second");
    Click(Lobby().m_rcArrowDown);
    EXPECT_EQ(LastSound(), 2);
    EXPECT_EQ(Lobby().GetSelectedName(), "Second");
}

TEST_F(LobbyTest, JoinNeedsEightAddressCharactersBeforeNext)
{
    ClickButton(1);
    EXPECT_EQ(Lobby().m_nPageState, 2);
    ClickButton(5);
    EXPECT_EQ(Lobby().m_nPageState, 4);
    Lobby().OnMouseMove(Lobby().m_rcAddress.x + 2, Lobby().m_rcAddress.y + 2, 0);
    EXPECT_EQ(Lobby().m_nFocus, 1);
    Type("10.0.0.");
    ClickButton(4);
    EXPECT_EQ(Lobby().m_nPageState, 4);
    Type("1");
    EXPECT_EQ(Lobby().m_strHostAddress, "10.0.0.1");
    ClickButton(4);
    EXPECT_EQ(Lobby().m_nPageState, 5);
    // No transport yet: the join fails as one that found no host; the message clears after four seconds.
    Click(Lobby().m_rcNext);
    EXPECT_TRUE(Game().m_uMode & kModeLobby);
    EXPECT_TRUE(Lobby().m_bShown);
    EXPECT_EQ(Lobby().m_strNotice, "Unable to join Host - please check Host address or that Host is Ready.");
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    m_clock->Advance(3999);
    Lobby().Draw(back);
    EXPECT_TRUE(Lobby().m_bNoticeShown);
    m_clock->Advance(1);
    Lobby().Draw(back);
    EXPECT_FALSE(Lobby().m_bNoticeShown);
}

TEST_F(LobbyTest, EntriesTakeOnlyWhatTheyMayHold)
{
    ClickButton(1);
    ClickButton(5);
    Lobby().OnMouseMove(Lobby().m_rcAddress.x + 2, Lobby().m_rcAddress.y + 2, 0);
    Type("1a");
    EXPECT_EQ(Lobby().m_strHostAddress, "1");
    EXPECT_EQ(LastSound(), 2);
    Type("23.456.789.0123"); // 16 characters in all
    EXPECT_EQ(Lobby().m_strHostAddress.size(), 15u);
    EXPECT_EQ(LastSound(), 2);
    Lobby().OnMouseMove(Lobby().m_rcName.x + 2, Lobby().m_rcName.y + 2, 0);
    Lobby().m_strPlayerName.clear();
    Type(std::string(18, 'n'));
    m_sounds.clear();
    Type("x");
    EXPECT_EQ(Lobby().m_strPlayerName, std::string(18, 'n'));
    EXPECT_EQ(m_sounds, std::vector<int>{2});
    Type("\b");
    EXPECT_EQ(Lobby().m_strPlayerName.size(), 17u);
    Lobby().m_strPlayerName.clear();
    Type("\b");
    EXPECT_EQ(LastSound(), 2);
}

// The settings' name stays when nothing is typed; Backspace edits it; the labels are silent.
TEST_F(LobbyTest, OfferedNameStaysUntilTypedAndLabelsAreNoButtons)
{
    Restart(true);
    EXPECT_EQ(Lobby().m_strPlayerName, "Trainee");
    ClickButton(0);
    ClickButton(2);
    Lobby().OnMouseMove(Lobby().m_rcName.x + 2, Lobby().m_rcName.y + 2, 0);
    Type("\b");
    EXPECT_EQ(Lobby().m_strPlayerName, "Traine");
    Type("e Ann");
    EXPECT_EQ(Lobby().m_strPlayerName, "Trainee Ann");
    for (int label : {4, 7}) {
        ASSERT_TRUE(Lobby().m_uEnabled & MPlayIF::Bit(label));
        m_sounds.clear();
        ClickButton(label);
        EXPECT_EQ(std::count(m_sounds.begin(), m_sounds.end(), 2), 0) << "label " << label;
    }
    Click(Lobby().m_rcNext);
    EXPECT_EQ(Game().GetLocalPlayerName(), "Trainee Ann");
}

TEST_F(LobbyTest, TheFirstKeyReplacesTheOfferedName)
{
    Restart(true);
    ClickButton(0);
    ClickButton(2);
    Lobby().OnMouseMove(Lobby().m_rcName.x + 2, Lobby().m_rcName.y + 2, 0);
    Type("Chief Ann");
    EXPECT_EQ(Lobby().m_strPlayerName, "Chief Ann");
}

// The first page shows the name box with its label and takes typing into it; its label is no button.
TEST_F(LobbyTest, TheFirstPageTakesTheNameUnderItsLabel)
{
    Lobby().m_strPlayerName.clear();
    Type("Ann");
    EXPECT_EQ(Lobby().m_strPlayerName, "Ann");
    EXPECT_TRUE(Lobby().m_uEnabled & MPlayIF::Bit(4));
    m_sounds.clear();
    ClickButton(4);
    EXPECT_EQ(Lobby().m_nPageState, 0);
    EXPECT_TRUE(m_sounds.empty());
    // A refusal locks the name.
    Lobby().ShowScenarioStarted();
    Type("x");
    EXPECT_EQ(Lobby().m_strPlayerName, "Ann");
}

// Joining: the typed address alone shows "Next" once it has 8 characters, and hides it again below.
TEST_F(LobbyTest, TypingTheHostAddressReachesNext)
{
    ClickButton(1);
    ClickButton(5);
    ASSERT_EQ(Lobby().m_nPageState, 4);
    Lobby().OnMouseMove(Lobby().m_rcAddress.x + 2, Lobby().m_rcAddress.y + 2, 0);
    Type("10.0.0.");
    EXPECT_EQ(Lobby().m_nPageState, 4);
    Type("1");
    EXPECT_EQ(Lobby().m_nPageState, 5);
    Type("\b");
    EXPECT_EQ(Lobby().m_nPageState, 4);
}

// The settings' address is offered: the first typed key replaces it rather than adding to it.
TEST_F(LobbyTest, TheFirstKeyReplacesTheRememberedAddress)
{
    {
        std::ofstream ini(m_dir / "ZR.ini", std::ios::trunc);
        ini << "Name: Trainee\nWindowed 1\nAStarLog 0\nSound 1\nIncidentOrders 0\nHost 127.0.0.1\nSkipSplash 0\n";
    }
    Restart(true);
    ASSERT_EQ(Lobby().m_strHostAddress, "127.0.0.1");
    ClickButton(1);
    ClickButton(5);
    EXPECT_EQ(Lobby().m_nPageState, 5);
    Lobby().OnMouseMove(Lobby().m_rcAddress.x + 2, Lobby().m_rcAddress.y + 2, 0);
    Type("10.");
    EXPECT_EQ(Lobby().m_strHostAddress, "10.");
    EXPECT_EQ(Lobby().m_nPageState, 4);
    Type("1.2.3");
    EXPECT_EQ(Lobby().m_strHostAddress, "10.1.2.3");
    EXPECT_EQ(Lobby().m_nPageState, 5);
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    Game().m_pDisplay->Clear(true);
    Lobby().Draw(back);
    ASSERT_TRUE(back->GetPixels());
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(*back->GetPixels(), "lobby_join_typed.bmp"));
}

TEST_F(LobbyTest, SinglePlayerQuickStartNamesAnEmptyNameAndKeepsATypedOne)
{
    Lobby().m_strPlayerName.clear();
    EXPECT_FALSE(Game().OnKeyDown(kF7, 3));
    EXPECT_EQ(Lobby().m_strPlayerName, "Single Player");
    EXPECT_EQ(Lobby().m_strChosenName, "Millbrook.zri");
    EXPECT_TRUE(Game().m_uMode & kModeBriefing);
    EXPECT_TRUE(Game().m_pMap);

    Restart();
    Lobby().m_strPlayerName = "Ann";
    Game().OnKeyDown(kF7, 3);
    EXPECT_EQ(Lobby().m_strPlayerName, "Ann");
}

TEST_F(LobbyTest, HostQuickStartHostsTheFirstScenarioOnTheOwnAddress)
{
    Lobby().m_strPlayerName.clear();
    Game().OnKeyDown(kF4, 3);
    EXPECT_EQ(Lobby().m_strPlayerName, "Test Host");
    EXPECT_EQ(Lobby().m_strHostAddress, "127.0.0.1");
    ASSERT_TRUE(Game().m_pSession);
    EXPECT_TRUE(Game().m_pSession->IsHost());
    EXPECT_GT(Game().m_pSession->GetTcpPort(), 0);
    EXPECT_TRUE(Game().m_uMode & kModeBriefing);
    EXPECT_TRUE(Game().m_uMode & (kModeNetworked | kModeHosting));
    EXPECT_FALSE(Game().m_uMode & kModePaused);
    ASSERT_TRUE(Game().m_pMap);
    // The host holds every role and keeps the scenario's four files compressed for its clients.
    Game().PollNetwork();
    ASSERT_TRUE(Game().m_pSession->GetLocalPlayer());
    EXPECT_EQ(Game().m_pSession->GetLocalPlayer()->m_strName, "Test Host");
    EXPECT_EQ(Game().GetLocalRoleFlags(), RoleIF::kAllRoles);
    for (int slot : {0, 1, 2, 5})
        EXPECT_FALSE(Game().m_aSendFiles[static_cast<size_t>(slot)].empty()) << slot;
}

TEST_F(LobbyTest, ClientQuickStartWithoutAHostFailsCleanly)
{
    Lobby().m_strPlayerName = "Pat";
    Game().OnKeyDown(kF6, 3);
    EXPECT_EQ(Lobby().m_strPlayerName, "Pat");
    EXPECT_EQ(Lobby().m_strHostAddress, "127.0.0.1");
    EXPECT_TRUE(Game().m_uMode & kModeLobby);
    EXPECT_FALSE(Game().m_uMode & (kModeNetworked | kModeHosting | kModeBriefing));
    EXPECT_EQ(Lobby().m_strNotice, "Unable to join Host - please check Host address or that Host is Ready.");
    EXPECT_FALSE(Game().m_pSession);
    EXPECT_FALSE(Game().m_pMap);
    EXPECT_FALSE(fs::exists(m_dir / "ScenarioFromHost" / "Millbrook.zri"));
}

TEST_F(LobbyTest, HostingTakesTheOwnAddressAndConfirmsAsHost)
{
    ClickButton(1);
    ClickButton(6);
    EXPECT_EQ(Lobby().m_nPageState, 3);
    ClickButton(2);
    EXPECT_EQ(Lobby().m_nPageState, 5);
    EXPECT_TRUE(Lobby().m_bHosting);
    EXPECT_TRUE(Lobby().m_uEnabled & MPlayIF::Bit(8));
    EXPECT_EQ(Lobby().m_strHostAddress, Game().OwnAddressText());
    Game().m_fnLoadScenario = [](CGame&) { return false; };
    Click(Lobby().m_rcNext);
    EXPECT_TRUE(Lobby().m_bNetworked && Lobby().m_bHosting);
}

TEST_F(LobbyTest, SingleOrNetworkButtonInALaterStateResetsThePage)
{
    ClickButton(0);
    ClickButton(2);
    ClickButton(0);
    EXPECT_EQ(Lobby().m_nPageState, 0);
    EXPECT_EQ(Lobby().m_uChosen, 0u);
    EXPECT_FALSE(Lobby().m_bListShown);
    ClickButton(1);
    ClickButton(0); // not enabled on the network page
    EXPECT_EQ(Lobby().m_nPageState, 2);
    Click(Lobby().m_rcReset);
    EXPECT_EQ(Lobby().m_nPageState, 0);
    EXPECT_EQ(Lobby().m_uEnabled, MPlayIF::Bit(0) | MPlayIF::Bit(1) | MPlayIF::Bit(4));
}

TEST_F(LobbyTest, RefusalsEndTheChoiceAndExitQuits)
{
    Lobby().ShowVersionMismatch("1.503", "1.400");
    EXPECT_EQ(Lobby().m_strNotice, "Unable to join - Host version is 1.400, yours is 1.503 - Please exit.");
    Lobby().ShowScenarioStarted();
    EXPECT_EQ(Lobby().m_strNotice, "Unable to join - The scenario has already started - Please exit.");
    EXPECT_FALSE(Lobby().m_uEnabled & (MPlayIF::Bit(0) | MPlayIF::Bit(1)));
    ClickButton(0);
    EXPECT_EQ(Lobby().m_nPageState, 0);
    Click(Lobby().m_rcExit);
    EXPECT_TRUE(Game().m_uMode & kModeQuit);
    EXPECT_FALSE(Lobby().m_bShown);
    EXPECT_TRUE(Lobby().m_strHostAddress.empty());
}

TEST_F(LobbyTest, ScreenshotOfTheFirstPageWithATypedName)
{
    Restart(true);
    Type("Ann");
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    Game().m_pDisplay->Clear(true);
    Lobby().Draw(back);
    const platform::PixelSurface* pixels = back->GetPixels();
    ASSERT_TRUE(pixels);
    // The label's face stands beside the name box.
    const CScreenRect& label = Lobby().m_rcButtons[4];
    EXPECT_NE(pixels->GetPixel(label.x + 3, label.y + label.height / 2),
              pixels->GetPixel(label.x - 3, label.y + label.height / 2));
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(*pixels, "lobby_first_page.bmp"));
}

TEST_F(LobbyTest, ScreenshotOfTheSaveChoice)
{
    ClickButton(0);
    ClickButton(2);
    Lobby().OnMouseMove(Lobby().m_rcNext.x + 3, Lobby().m_rcNext.y + 3, 0);
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    Game().m_pDisplay->Clear(true);
    Lobby().Draw(back);
    const platform::PixelSurface* pixels = back->GetPixels();
    ASSERT_TRUE(pixels);
    // The chosen button's face differs from the panel behind it.
    const CScreenRect& chosen = Lobby().m_rcButtons[0];
    EXPECT_NE(pixels->GetPixel(chosen.x + 3, chosen.y + chosen.height / 2),
              pixels->GetPixel(chosen.x - 3, chosen.y + chosen.height / 2));
    EXPECT_TRUE(fixtures::SaveSurfaceBmp(*pixels, "lobby_screenshot.bmp"));
}

} // namespace
