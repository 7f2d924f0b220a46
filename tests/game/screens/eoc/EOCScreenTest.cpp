// The EOC screen over the demo scenario: ordering units and chiefs, double cost, refunds, RP arrows, the commit.
#include "core/display/CDisplay.h"
#include "core/widgets/CPopupMenu.h"
#include "core/widgets/CPopupMenuView.h"
#include "game/rules/RulesGame.h"
#include "game/screens/art/ScreenKit.h"
#include "tests/game/screens/eoc/EOCFixture.h"
#include "tests/support/DisplayFixtures.h"

#include <cmath>

namespace {

// Operations units of the demo: 0 Law Operations Group (cost 5, after unit 2), 1 Staging Area Manager (cost 3),
// 2 Law Enforcement Branch (cost 6). Command unit 1 is the Operations chief (cost 10, 5 minutes).
class EOCScreenTest : public ScreenFixture {
public:
    void OpenOn(int section, float rp)
    {
        Data().m_aSections[static_cast<size_t>(section)].fResourcePoints = rp;
        Eoc().Open();
        ClickEoc(Eoc().TabRect(section));
        ASSERT_EQ(Eoc().m_nSection, section);
        Sounds().clear();
    }
};

TEST_F(EOCScreenTest, ChiefOrderedWithDoneBecomesActiveOnTheClock)
{
    OpenOn(0, 25.0f);
    ClickEoc(Eoc().UnitRect(0, 1));
    EXPECT_EQ(LastSound(), 0);
    EXPECT_EQ(Eoc().m_aWork[1].bChiefOrdered, 1);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[0].fResourcePoints, 15.0f);
    EXPECT_EQ(Data().m_aSections[1].bChiefOrdered, 0); // nothing committed yet
    ClickEoc(Eoc().DoneRect());
    EXPECT_FALSE(Eoc().m_bShown);
    ASSERT_EQ(CountPosts(kGmUnitUpdate), 1);
    EXPECT_EQ(LastPost(kGmUnitUpdate)->payload.size(), kUnitUpdateSize);
    EXPECT_EQ(Data().m_aSections[1].bChiefOrdered, 1);
    EXPECT_FLOAT_EQ(Data().m_aSections[0].fResourcePoints, 15.0f);
    const int32_t ordered = Data().Unit(0, 1).nOrderTime;
    EXPECT_EQ(ordered, Game().GetTimeOfDay());
    EXPECT_FALSE(Data().Tick(AddTimeHHMM(ordered, 4)));
    ASSERT_TRUE(Data().Tick(AddTimeHHMM(ordered, 5)));
    Game().PostGameMessage(kGmUnitUpdate, Data().UpdateRecord().data(), kUnitUpdateSize);
    EXPECT_EQ(Data().m_aSections[1].bChiefActive, 1);
    EXPECT_NE(Game().GetLocalRoleFlags() & 0x2000, 0u);
}

TEST_F(EOCScreenTest, LockedSectionRefusesItsUnits)
{
    OpenOn(1, 50.0f);
    ClickEoc(Eoc().UnitRect(1, 1));
    EXPECT_EQ(LastSound(), 2);
    EXPECT_EQ(Eoc().m_aWork[1].uOrdered, 0u);
}

TEST_F(EOCScreenTest, CancelBeforeDoneRefundsAndAfterDoneIsRefused)
{
    ActivateChief(1);
    OpenOn(1, 12.0f);
    ClickEoc(Eoc().UnitRect(1, 1));
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fResourcePoints, 9.0f);
    ClickEoc(Eoc().UnitRect(1, 1));
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fResourcePoints, 12.0f);
    EXPECT_EQ(Eoc().m_aWork[1].uOrdered, 0u);
    ClickEoc(Eoc().UnitRect(1, 1));
    ClickEoc(Eoc().DoneRect());
    EXPECT_EQ(Data().m_aSections[1].uOrdered, 0x2u);
    EXPECT_FLOAT_EQ(Data().m_aSections[1].fResourcePoints, 9.0f);
    Eoc().Open();
    ClickEoc(Eoc().TabRect(1));
    ClickEoc(Eoc().UnitRect(1, 1));
    EXPECT_EQ(LastSound(), 2);
    EXPECT_EQ(Eoc().m_aWork[1].uOrdered, 0x2u);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fResourcePoints, 9.0f);
}

TEST_F(EOCScreenTest, DoubleCostAskedThenOrderedOnOk)
{
    ActivateChief(1);
    OpenOn(1, 12.0f);
    ClickEoc(Eoc().UnitRect(1, 0));
    ASSERT_TRUE(Eoc().MessageBox()->m_bShown);
    EXPECT_EQ(Eoc().MessageBox()->m_strText, EOC::kDoubleCostText);
    EXPECT_EQ(Eoc().m_aWork[1].uOrdered, 0u);
    const int ok = CMessageBox::kPanelX + 235 + 5, top = CMessageBox::kPanelY + 165;
    Eoc().OnClick(ok, top, 1, nullptr);
    EXPECT_FALSE(Eoc().MessageBox()->m_bShown);
    EXPECT_EQ(Eoc().m_aWork[1].uOrdered, 0x1u);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fResourcePoints, 2.0f);
    // Taken back before Done, the whole double cost comes back.
    ClickEoc(Eoc().UnitRect(1, 0));
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fResourcePoints, 12.0f);
}

TEST_F(EOCScreenTest, DoubleCostCancelledLeavesTheUnit)
{
    ActivateChief(1);
    OpenOn(1, 12.0f);
    ClickEoc(Eoc().UnitRect(1, 0));
    ASSERT_TRUE(Eoc().MessageBox()->m_bShown);
    Eoc().OnClick(CMessageBox::kPanelX + 315, CMessageBox::kPanelY + 165, 1, nullptr);
    EXPECT_FALSE(Eoc().MessageBox()->m_bShown);
    EXPECT_EQ(Eoc().m_aWork[1].uOrdered, 0u);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fResourcePoints, 12.0f);
    EXPECT_FALSE(Eoc().m_bDoubleConfirmed);
}

TEST_F(EOCScreenTest, DoubleCostBeyondThePointsIsRefusedWithoutTheQuestion)
{
    ActivateChief(1);
    OpenOn(1, 9.0f);
    ClickEoc(Eoc().UnitRect(1, 0));
    EXPECT_FALSE(Eoc().MessageBox()->m_bShown);
    EXPECT_EQ(LastSound(), 2);
    EXPECT_EQ(Eoc().m_aWork[1].uOrdered, 0u);
}

TEST_F(EOCScreenTest, GrantedPointsAreSpentAfterTheSectionsOwn)
{
    ActivateChief(1);
    Data().m_aSections[0].fResourcePoints = 3.0f;
    OpenOn(1, 2.0f);
    ClickEoc(Eoc().UnitRect(1, 1)); // cost 3 > 2
    EXPECT_EQ(LastSound(), 2);
    Eoc().m_nSection = 0;
    Eoc().m_aWork[1].fGranted = 1.0f;
    Eoc().m_aWork[0].fResourcePoints = 2.0f;
    Eoc().m_nSection = 1;
    EXPECT_EQ(Eoc().OrderUnit(1, 1, 1000), EOC::kChanged);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fResourcePoints, 0.0f);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fGranted, 0.0f);
    ASSERT_TRUE(Eoc().Commit(1000));
    // Command gave one point, Operations spent three of its own and granted ones.
    EXPECT_FLOAT_EQ(Data().m_aSections[0].fResourcePoints, 2.0f);
    EXPECT_FLOAT_EQ(Data().m_aSections[1].fResourcePoints, 0.0f);
}

// Points granted on the Command tab are the section's to spend in the same visit, before Done.
TEST_F(EOCScreenTest, PointsGrantedOnTheCommandTabAreSpentOnTheSectionTab)
{
    ActivateChief(1);
    Data().m_aSections[1].fResourcePoints = 0.0f;
    OpenOn(0, 10.0f);
    for (int i = 0; i < 3; ++i) {
        ClickEoc(Eoc().ArrowRect(1, 0));
        m_run->Step();
    }
    ASSERT_FLOAT_EQ(Eoc().m_aWork[1].fGranted, 3.0f);
    ClickEoc(Eoc().TabRect(1));
    // The section's panel shows them at once beside its own points and chief.
    const auto& texts = Eoc().PanelTexts();
    for (const char* line : {"Chief: Single Player", "Own points: 0", "Granted now: 3", "Resource Points 3"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), line), texts.end()) << line;
    Sounds().clear();
    ClickEoc(Eoc().UnitRect(1, 1)); // Staging Area Manager, cost 3
    EXPECT_EQ(LastSound(), 0);
    EXPECT_EQ(Eoc().m_aWork[1].uOrdered, 0x2u);
}

// A refused order says why on the section's panel: the points it lacks (and where more come from), a chief not
// in office, an order already committed.
TEST_F(EOCScreenTest, RefusedOrdersSayWhyOnTheSectionPanel)
{
    auto notice = [&] {
        const auto& texts = Eoc().PanelTexts();
        return texts.size() >= 2 ? texts[texts.size() - 2] : std::string();
    };
    OpenOn(1, 10.0f);
    ClickEoc(Eoc().UnitRect(1, 1));
    EXPECT_EQ(LastSound(), 2);
    EXPECT_NE(notice().find("no chief in office yet: order one on the Command tab."), std::string::npos) << notice();
    // A chief ordered in the same visit takes office minutes after Done; once committed, at its time.
    Data().m_aSections[0].fResourcePoints = 25.0f;
    OpenOn(0, 25.0f);
    ClickEoc(Eoc().UnitRect(0, 1));
    ClickEoc(Eoc().TabRect(1));
    ClickEoc(Eoc().UnitRect(1, 1));
    EXPECT_NE(notice().find("the one ordered takes office 5 minutes after Done."), std::string::npos) << notice();
    ClickEoc(Eoc().DoneRect());
    const int32_t due = AddTimeHHMM(Data().Unit(0, 1).nOrderTime, 5);
    OpenOn(1, 10.0f);
    ClickEoc(Eoc().UnitRect(1, 1));
    char at[40];
    std::snprintf(at, sizeof at, "takes office at %02d:%02d.", due / 100, due % 100);
    EXPECT_NE(notice().find(at), std::string::npos) << notice();

    ActivateChief(1);
    Data().m_aSections[0].fResourcePoints = 5.0f;
    OpenOn(1, 2.0f);
    ClickEoc(Eoc().UnitRect(1, 1)); // cost 3 > 2
    EXPECT_EQ(LastSound(), 2);
    EXPECT_NE(notice().find("needs 3 RP; Operations has 2."), std::string::npos) << notice();
    EXPECT_NE(notice().find("Command tab"), std::string::npos) << notice();
    // An order that goes through clears the reason.
    Eoc().m_aWork[1].fResourcePoints = 3.0f;
    ClickEoc(Eoc().UnitRect(1, 1));
    EXPECT_EQ(LastSound(), 0);
    EXPECT_EQ(Eoc().PanelTexts().size(), 4u);
    ClickEoc(Eoc().DoneRect());
    OpenOn(1, 5.0f);
    ClickEoc(Eoc().UnitRect(1, 1));
    EXPECT_NE(notice().find("cannot be taken back"), std::string::npos) << notice();
}

// Unit captions read on every face: locked grey, ordered gold, available red and active green.
TEST_F(EOCScreenTest, UnitCaptionsReadOnEveryFace)
{
    ActivateChief(1);
    OpenOn(1, 10.0f);
    ClickEoc(Eoc().UnitRect(1, 1));
    ASSERT_EQ(Eoc().m_aWork[1].uOrdered, 0x2u);
    Eoc().OnMouseMove(2, 598, 0);
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    // The best contrast of the caption's ink against the face beside it.
    auto captionContrast = [&](int section, int unit) {
        const platform::PixelSurface& pixels = *back->GetPixels();
        const RECT r = Eoc().UnitRect(section, unit);
        const COLORREF face = platform::Rgb565ToColorRef(pixels.GetPixel(r.left + 4, (r.top + r.bottom) / 2));
        double best = 1.0;
        for (int y = r.top + 3; y < r.bottom - 3; ++y)
            for (int x = r.left + 10; x < r.right - 10; ++x)
                best = std::max(best, ContrastRatio(platform::Rgb565ToColorRef(pixels.GetPixel(x, y)), face));
        return best;
    };
    struct Case {
        int tab, unit;
        const char* face;
    } cases[] = {{1, 0, "locked"}, {1, 1, "ordered"}, {1, 2, "available"}, {0, 0, "active"}, {0, 2, "available"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.face);
        ClickEoc(Eoc().TabRect(c.tab));
        Eoc().OnMouseMove(2, 598, 0);
        Game().m_pDisplay->Clear(true);
        Eoc().Draw(back);
        EXPECT_GE(captionContrast(c.tab, c.unit), 4.5);
    }
}

TEST_F(EOCScreenTest, DoneWithoutChangeSendsNothing)
{
    OpenOn(0, 10.0f);
    ClickEoc(Eoc().DoneRect());
    EXPECT_FALSE(Eoc().m_bShown);
    EXPECT_EQ(CountPosts(kGmUnitUpdate), 0);
}

TEST_F(EOCScreenTest, CancelDropsTheWorkingCopy)
{
    OpenOn(0, 25.0f);
    ClickEoc(Eoc().UnitRect(0, 2));
    ClickEoc(Eoc().CancelRect());
    EXPECT_FALSE(Eoc().m_bShown);
    EXPECT_EQ(CountPosts(kGmUnitUpdate), 0);
    EXPECT_EQ(Data().m_aSections[2].bChiefOrdered, 0);
    EXPECT_FLOAT_EQ(Data().m_aSections[0].fResourcePoints, 25.0f);
}

TEST_F(EOCScreenTest, PlusArrowMovesOnePointAtMostEveryHundredMilliseconds)
{
    OpenOn(0, 0.0f);
    ClickEoc(Eoc().ArrowRect(1, 0));
    EXPECT_EQ(LastSound(), 2);
    EXPECT_EQ(Eoc().m_aWork[1].fGranted, 0.0f);
    Data().m_aSections[0].fResourcePoints = 3.0f;
    Eoc().Open();
    ClickEoc(Eoc().ArrowRect(1, 0));
    EXPECT_EQ(LastSound(), 0);
    ClickEoc(Eoc().ArrowRect(1, 0)); // same tick: no move
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fGranted, 1.0f);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[0].fResourcePoints, 2.0f);
    m_run->Step();
    ClickEoc(Eoc().ArrowRect(1, 1));
    EXPECT_FLOAT_EQ(Eoc().m_aWork[1].fGranted, 0.0f);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[0].fResourcePoints, 3.0f);
    ClickEoc(Eoc().DoneRect());
    EXPECT_EQ(CountPosts(kGmUnitUpdate), 0);
}

TEST_F(EOCScreenTest, RightClickShowsTheUnitsInfoText)
{
    ActivateChief(1);
    OpenOn(1, 0.0f);
    ClickEoc(Eoc().UnitRect(1, 2), 2);
    ASSERT_TRUE(Game().m_pInfoBox->m_bShown);
    EXPECT_EQ(Game().m_pInfoBox->m_nEntry, Data().Unit(1, 2).nInfoTextId);
    EXPECT_EQ(Eoc().m_nHoverUnit, -1);
}

TEST_F(EOCScreenTest, HoverReportsTheUnitToTheGameAndClearsOutside)
{
    ActivateChief(1);
    OpenOn(1, 0.0f);
    const POINT p = Centre(Eoc().UnitRect(1, 2));
    EXPECT_TRUE(Eoc().OnMouseMove(p.x, p.y, 0));
    EXPECT_EQ(Eoc().m_nHoverSection, 1);
    EXPECT_EQ(Eoc().m_nHoverUnit, 2);
    EXPECT_TRUE(Eoc().OnMouseMove(2, 598, 0));
    EXPECT_EQ(Eoc().m_nHoverUnit, -1);
    EXPECT_EQ(Eoc().m_nHoverTab, -1);
    Eoc().Close();
    EXPECT_FALSE(Eoc().OnMouseMove(p.x, p.y, 0));
    EXPECT_FALSE(Eoc().OnClick(p.x, p.y, 1));
}

TEST_F(EOCScreenTest, ResourcePointMessagesReachAnOpenScreen)
{
    for (CEOCSection& s : Data().m_aSections)
        s.bChiefActive = 1;
    OpenOn(0, 0.0f);
    Data().GrantResourcePoints(50.0f);
    for (int s = 0; s < kSections; ++s) {
        EXPECT_FLOAT_EQ(Eoc().m_aWork[static_cast<size_t>(s)].fResourcePoints, 10.0f);
        EXPECT_FLOAT_EQ(Eoc().m_aBase[static_cast<size_t>(s)].fResourcePoints, 10.0f);
    }
}

TEST_F(EOCScreenTest, CommandPanelNamesTheChiefs)
{
    ActivateChief(2);
    OpenOn(0, 7.0f);
    const auto& texts = Eoc().PanelTexts();
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], "Command: Single Player");
    EXPECT_EQ(texts[1], "Operations:  0 0");
    EXPECT_EQ(texts[2], "Planning: Single Player 0 0");
    EXPECT_EQ(texts[5], "Resource Points 7");
}

TEST_F(EOCScreenTest, NetworkZoranthPicksTheChiefFromThePlayers)
{
    MakeNetworked(0x400);
    OpenOn(0, 20.0f);
    ClickEoc(Eoc().UnitRect(0, 1));
    ASSERT_TRUE(Eoc().m_bChoosingChief);
    ASSERT_TRUE(Game().m_pPopupView->IsShown());
    EXPECT_EQ(Game().m_pPopupView->GetOpenMenu(), Eoc().PlayerMenu());
    ASSERT_EQ(Eoc().PlayerMenu()->GetCount(), 2);
    EXPECT_STREQ(Eoc().PlayerMenu()->GetItem(1)->szText, "Robin");
    // The game hands the choice on the list to the EOC.
    const CPopupMenuView& view = *Game().m_pPopupView;
    const CPopupMenu& menu = *Eoc().PlayerMenu();
    const int x = menu.GetX() + 10, y = menu.GetY() + view.GetEdgeHeight() + view.GetItemHeight() * 3 / 2;
    Game().OnPanelInput(0, x, y, 0);
    Game().OnPanelInput(1, x, y, 1);
    EXPECT_FALSE(Eoc().m_bChoosingChief);
    EXPECT_EQ(Eoc().m_aWork[1].nChief, 2);
    EXPECT_FLOAT_EQ(Eoc().m_aWork[0].fResourcePoints, 10.0f);
    ASSERT_TRUE(Eoc().Commit(1000));
    EXPECT_EQ(Data().m_aSections[1].nChief, 2);
    ASSERT_TRUE(Data().Tick(1005));
    EXPECT_NE(Game().m_pSession->Slot(1).m_uRoleFlags & 0x2000, 0u);
    EXPECT_EQ(Game().m_pSession->Slot(0).m_uRoleFlags & 0x2000, 0u);
}

TEST_F(EOCScreenTest, ChiefsAreChosenAmongAllTwentyFourPlayersPageByPage)
{
    MakeNetworked(0x400);
    for (int i = 2; i < 24; ++i) {
        CSessionPlayer& p = Game().m_pSession->Slot(i);
        p.m_uFlags = 1;
        p.m_nPlayerId = i + 1;
        p.m_strName = "Player " + std::to_string(i + 1);
    }
    OpenOn(0, 20.0f);
    ClickEoc(Eoc().UnitRect(0, 1));
    ASSERT_TRUE(Eoc().m_bChoosingChief);
    const CPopupMenu* first = Eoc().PlayerMenu();
    ASSERT_EQ(first->GetCount(), 20);
    EXPECT_STREQ(first->GetItem(0)->szText, "Pat");
    EXPECT_STREQ(first->GetItem(19)->szText, "More players...");
    EXPECT_EQ(first->GetItem(19)->nValue, EOC::kMorePlayers);
    Eoc().OnPopupChoice(EOC::kMorePlayers);
    ASSERT_TRUE(Eoc().m_bChoosingChief);
    const CPopupMenu* second = Eoc().PlayerMenu();
    ASSERT_EQ(second->GetCount(), 6);
    EXPECT_STREQ(second->GetItem(4)->szText, "Player 24");
    EXPECT_EQ(Game().m_pPopupView->GetOpenMenu(), second);
    Eoc().OnPopupChoice(24);
    EXPECT_FALSE(Eoc().m_bChoosingChief);
    EXPECT_EQ(Eoc().m_aWork[1].nChief, 24);
}

TEST_F(EOCScreenTest, OnlyTheZoranthOrdersChiefs)
{
    MakeNetworked(0x4000);
    Game().m_pSession->Slot(1).m_uRoleFlags = 0x400;
    OpenOn(0, 20.0f);
    ClickEoc(Eoc().UnitRect(0, 1));
    EXPECT_EQ(LastSound(), 2);
    EXPECT_FALSE(Eoc().m_bChoosingChief);
    EXPECT_EQ(Eoc().OrderSectionChief(1, 1, 1000), EOC::kRefused);
}

// The EOC that paused single play leaves it running on Done, whatever pausing was done while it was open.
TEST_F(EOCScreenTest, DoneRestoresThePauseStateItFound)
{
    for (int toggles : {0, 1, 2}) {
        Game().SetPaused(false);
        Eoc().Open();
        Game().SetPaused(true);
        Eoc().m_bPausedGame = true; // as the HUD marks it
        for (int i = 0; i < toggles; ++i)
            Game().TogglePause();
        ClickEoc(Eoc().DoneRect());
        EXPECT_FALSE(Eoc().m_bShown);
        EXPECT_FALSE(Game().m_uMode & kModePaused) << toggles << " toggles";
    }
    // A game the player had paused before opening stays paused.
    Game().SetPaused(true);
    Eoc().Open();
    ClickEoc(Eoc().DoneRect());
    EXPECT_TRUE(Game().m_uMode & kModePaused);
}

TEST_F(EOCScreenTest, RunningCostIsShownInGroupsOfThree)
{
    struct Case {
        int32_t dollars;
        const char* text;
    } cases[] = {{1234567, "$1,234,567"}, {5007, "$5,007"},       {999, "$999"}, {0, "$0"},
                 {1000, "$1,000"},        {1000000, "$1,000,000"}};
    for (const Case& c : cases)
        EXPECT_EQ(EOC::FormatMoney(c.dollars), c.text);
}

TEST_F(EOCScreenTest, ScreenshotOfTheCommandTab)
{
    ActivateChief(1);
    Data().m_aSections[1].uOrdered = 0x2;
    OpenOn(0, 42.0f);
    ClickEoc(Eoc().UnitRect(0, 3));
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    ASSERT_TRUE(back);
    Game().m_pDisplay->Clear(true);
    Eoc().Draw(back);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*back->GetPixels(), "eoc_screenshot.bmp"));
    ClickEoc(Eoc().TabRect(1));
    ClickEoc(Eoc().UnitRect(1, 2)); // beyond the section's points: refused, with the reason on the panel
    Game().m_pDisplay->Clear(true);
    Eoc().Draw(back);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*back->GetPixels(), "eoc_operations_screenshot.bmp"));
    ClickEoc(Eoc().TabRect(4));
    Game().m_pDisplay->Clear(true);
    Eoc().Draw(back);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*back->GetPixels(), "eoc_finance_screenshot.bmp"));
}

} // namespace
