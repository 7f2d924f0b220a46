// The IAP phase screen over the demo scenario: modes by role, percentage steps, approval, rejection, the saved delay.
#include "core/display/CDisplay.h"
#include "game/screens/art/ScreenKit.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"
#include "tests/game/screens/eoc/EOCFixture.h"
#include "tests/support/DisplayFixtures.h"

namespace {

class IAPScreenTest : public ScreenFixture {
public:
    void SetPlan(std::initializer_list<int32_t> values)
    {
        size_t s = 0;
        for (int32_t v : values)
            Iap().m_aWork[s++].nProposed = v;
    }
    std::vector<int32_t> PlanPayload() const
    {
        std::vector<int32_t> values;
        const CPost* post = LastPost(kGmAllocation);
        if (!post)
            return values;
        CByteReader in(post->payload.data(), post->payload.size());
        int32_t v = 0;
        while (in.ReadI32(v))
            values.push_back(v);
        return values;
    }
};

TEST_F(IAPScreenTest, SinglePlayStartsFromTheCurrentAllocation)
{
    Data().m_aSections[2].nAllocation = 30;
    Iap().Open(IAP_PhaseIF::kModeSingle);
    EXPECT_TRUE(Iap().m_bShown);
    EXPECT_EQ(Iap().m_uMode, IAP_PhaseIF::kModeSingle);
    EXPECT_EQ(Iap().m_aWork[2].nProposed, 30);
    EXPECT_EQ(Iap().m_aBase[2].nProposed, 30);
    EXPECT_EQ(Iap().ButtonCaption(0, false), "Submit");
    EXPECT_EQ(Iap().ButtonCaption(1, false), "");
}

TEST_F(IAPScreenTest, CommandStopsAtThirtyAndOthersAtEighty)
{
    Iap().Open(IAP_PhaseIF::kModeSingle);
    EXPECT_TRUE(Iap().StepPercentage(0, 0)); // 20 -> 30
    EXPECT_EQ(Iap().m_aWork[0].nProposed, 30);
    m_run->Step();
    EXPECT_FALSE(Iap().StepPercentage(0, 0));
    EXPECT_EQ(Iap().m_aWork[0].nProposed, 30);
    Iap().m_aWork[1].nProposed = 70;
    EXPECT_TRUE(Iap().StepPercentage(1, 0));
    m_run->Step();
    EXPECT_FALSE(Iap().StepPercentage(1, 0));
    EXPECT_EQ(Iap().m_aWork[1].nProposed, 80);
    Iap().m_aWork[4].nProposed = 0;
    EXPECT_FALSE(Iap().StepPercentage(4, 1));
    EXPECT_EQ(Iap().m_aWork[4].nProposed, 0);
}

TEST_F(IAPScreenTest, TwoClicksWithinAHundredMillisecondsStepOnce)
{
    Iap().Open(IAP_PhaseIF::kModeSingle);
    ClickIap(Iap().ArrowRect(3, 1));
    ClickIap(Iap().ArrowRect(3, 1));
    EXPECT_EQ(Iap().m_aWork[3].nProposed, 10);
    m_run->Step();
    ClickIap(Iap().ArrowRect(3, 1));
    EXPECT_EQ(Iap().m_aWork[3].nProposed, 0);
}

TEST_F(IAPScreenTest, ApprovalNeedsExactlyOneHundred)
{
    Game().m_uMode |= kModePaused | kModeIAPReview;
    Iap().Open(IAP_PhaseIF::kModeSingle);
    SetPlan({30, 20, 20, 20, 20});
    ClickIap(Iap().ButtonRect(0));
    EXPECT_EQ(LastSound(), 2);
    EXPECT_TRUE(Iap().m_bShown);
    EXPECT_EQ(CountPosts(kGmAllocation), 0);
    // A refused plan is not a review.
    EXPECT_EQ(CountPosts(kGmIAPReviewed), 0);
    EXPECT_TRUE(Game().m_uMode & kModeIAPReview);
    EXPECT_EQ(Iap().ButtonCaption(0, true), "Not 100 %");

    SetPlan({30, 20, 20, 20, 10});
    ClickIap(Iap().ButtonRect(0));
    EXPECT_FALSE(Iap().m_bShown);
    EXPECT_EQ(PlanPayload(), (std::vector<int32_t>{30, 20, 20, 20, 10, 30, 20, 20, 20, 10}));
    EXPECT_EQ(Data().m_aSections[0].nAllocation, 30);
    EXPECT_EQ(Data().m_aSections[4].nAllocation, 10);
    EXPECT_EQ(CountPosts(kGmIAPReviewed), 1);
    EXPECT_FALSE(Game().m_uMode & kModeIAPReview);
    EXPECT_EQ(CountPosts(kGmIAPPenalty), 1);
    EXPECT_EQ(CountPosts(kGmIAPApproved), 1);
    EXPECT_FALSE(Game().m_uMode & kModePaused);
    const auto& lines = Game().m_log.m_messages.aLines;
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const CLogLine& l) {
        return l.strText.find("The Zoranth has approved") != std::string::npos;
    }));
}

TEST_F(IAPScreenTest, PlanningOutsideItsStateOnlyViews)
{
    MakeNetworked(0x4000);
    Iap().Open(0x4000);
    EXPECT_EQ(Iap().m_uMode, IAP_PhaseIF::kModeView);
    EXPECT_EQ(Iap().ButtonCaption(0, false), "");
    EXPECT_EQ(Iap().ButtonCaption(1, false), "Exit");
    EXPECT_FALSE(Iap().StepPercentage(1, 0));
    ClickIap(Iap().ButtonRect(1));
    EXPECT_FALSE(Iap().m_bShown);
    EXPECT_EQ(CountPosts(kGmAllocation), 0);
    EXPECT_EQ(CountPosts(kGmIAPReviewed), 0); // looking is not reviewing
}

TEST_F(IAPScreenTest, PlanningSubmitsOnlyTheProposal)
{
    MakeNetworked(0x4000);
    Game().m_uMode |= kModeIAPReview;
    Iap().Open(0x4000);
    ASSERT_EQ(Iap().m_uMode, IAP_PhaseIF::kModePropose);
    SetPlan({30, 30, 20, 10, 10});
    ASSERT_TRUE(Iap().PressButton(0));
    EXPECT_EQ(PlanPayload(), (std::vector<int32_t>{20, 20, 20, 20, 20, 30, 30, 20, 10, 10}));
    EXPECT_EQ(Data().m_aSections[0].nAllocation, 20);
    EXPECT_EQ(Data().m_aSections[1].nProposed, 30);
    EXPECT_EQ(CountPosts(kGmIAPSubmitted), 1);
    EXPECT_TRUE(Game().m_uMode & kModeIAPApproval);
    EXPECT_FALSE(Game().m_uMode & kModeIAPReview);
}

TEST_F(IAPScreenTest, ZoranthRejectsBackToPlanning)
{
    MakeNetworked(0x400);
    Game().m_uMode |= kModeIAPApproval;
    Iap().Open(0x400);
    ASSERT_EQ(Iap().m_uMode, IAP_PhaseIF::kModeApprove);
    EXPECT_EQ(Iap().ButtonCaption(1, false), "Reject");
    ASSERT_TRUE(Iap().PressButton(1));
    EXPECT_EQ(CountPosts(kGmAllocation), 0);
    EXPECT_EQ(CountPosts(kGmIAPApproved), 1);
    EXPECT_EQ(CountPosts(kGmIAPReviewDue), 1);
    EXPECT_FALSE(Game().m_uMode & kModeIAPApproval);
    EXPECT_TRUE(Game().m_uMode & kModeIAPReview);
}

TEST_F(IAPScreenTest, RightClickOnARowShowsItsChiefsInfo)
{
    Iap().Open(IAP_PhaseIF::kModeSingle);
    ClickIap(Iap().RowRect(2), 2);
    ASSERT_TRUE(Game().m_pInfoBox->m_bShown);
    EXPECT_EQ(Game().m_pInfoBox->m_nEntry, Data().Unit(0, 2).nInfoTextId);
    ClickIap(Iap().ButtonRect(2));
    EXPECT_EQ(Game().m_pInfoBox->m_nEntry, 26);
    EXPECT_EQ(Game().m_pInfoBox->m_strTitle, "About the IAP");
    EXPECT_TRUE(Iap().m_bShown);
}

TEST_F(IAPScreenTest, AccumulatedDelaySurvivesASave)
{
    for (int32_t delay : {5, 10}) {
        CByteWriter w;
        w.WriteI32(delay);
        Game().PostGameMessage(kGmIAPPenalty, w.Bytes(), w.Size());
    }
    EXPECT_EQ(Iap().m_nPenaltyTotal, 15);
    ASSERT_TRUE(Game().SaveGame("iap"));
    ASSERT_TRUE(m_run->LoadSaved("iap"));
    EXPECT_EQ(Game().m_pIAP->m_nPenaltyTotal, 15);
}

// Every mode's explanation, after its two blank lines, fits the panel the layout gives it.
TEST_F(IAPScreenTest, EveryExplanationFitsItsPanel)
{
    const CArtRow& panel = Iap().Art().Row(1);
    ASSERT_GT(panel.width, 16);
    auto font = MakeArial(16, true);
    platform::PixelSurface surface;
    ASSERT_TRUE(surface.Create(8, 8));
    platform::gdi::DeviceContext dc(surface);
    dc.SelectFont(font.get());
    for (uint32_t mode :
         {IAP_PhaseIF::kModeSingle, IAP_PhaseIF::kModePropose, IAP_PhaseIF::kModeApprove, IAP_PhaseIF::kModeView}) {
        Iap().m_uMode = mode;
        const std::string text = "\n\n" + Iap().ExplanationText();
        RECT rect{8, 0, panel.width - 8, 0};
        dc.DrawText(text.c_str(), -1, &rect, platform::gdi::DT_WORDBREAK | platform::gdi::DT_CALCRECT);
        EXPECT_LE(rect.bottom, panel.height - 4) << "mode " << mode;
    }
}

// The first IAP of play, as the game opens it over the map and the HUD.
TEST_F(IAPScreenTest, ScreenshotOfTheFirstIAP)
{
    Game().CheckIAPReminders(0);
    ASSERT_TRUE(Iap().m_bShown);
    Game().Draw();
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*Game().m_pDisplay->GetBackBuffer()->GetPixels(), "iap_first.bmp"));
}

TEST_F(IAPScreenTest, ScreenshotOfSinglePlay)
{
    Iap().Open(IAP_PhaseIF::kModeSingle);
    CSurface* back = Game().m_pDisplay->GetBackBuffer();
    ASSERT_TRUE(back);
    Game().m_pDisplay->Clear(true);
    Iap().Draw(back);
    ASSERT_TRUE(fixtures::SaveSurfaceBmp(*back->GetPixels(), "iap_screenshot.bmp"));
}

} // namespace

TEST(IAPPenalty, AddsOnlyAReminderStepAndStopsAtItsLimit)
{
    const struct {
        int32_t total, amount, after;
        bool added;
    } cases[] = {
        {0, 30, 30, true},
        {0, 0, 0, false},
        {0, -30, 0, false},
        {0, INT32_MAX, 0, false},
        {IAP_PhaseIF::kMaxPenaltyTotal - 10, 30, IAP_PhaseIF::kMaxPenaltyTotal, true},
    };
    for (const auto& c : cases) {
        int32_t total = c.total;
        EXPECT_EQ(IAP_PhaseIF::AddPenalty(total, c.amount), c.added) << c.amount;
        EXPECT_EQ(total, c.after) << c.amount;
    }
}
