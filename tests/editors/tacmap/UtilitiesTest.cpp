// The editor's utilities: the random generator, GUID text and stored forms, the stored version, "GameInfo.txt".
#include "TacMapFixtures.h"

#include "editors/tacmap/model/GameInfo.h"
#include "editors/tacmap/model/QFRand.h"
#include "editors/tacmap/model/Utilities.h"

namespace {

using namespace tacmaptest;

TEST(TacMapRand, StepsFromZeroAndReseedsByItsReinitFlag)
{
    CQFRand r;
    EXPECT_EQ(r.Rand(1000), 13u); // (1013904223 >> 4) mod 1000 from a state of 0
    CQFRand same;
    EXPECT_EQ(same.Rand(0), 0u); // no step
    EXPECT_EQ(same.GetState(), 0u);
    EXPECT_EQ(same.Rand(1), 0u); // a step
    EXPECT_EQ(same.GetState(), 1013904223u);

    CQFRand once(0);
    once.SRand(5);
    once.SRand(9); // ignored: seeded and not reinitialising
    EXPECT_EQ(once.GetState(), 5u);
    once.SetReinit(1);
    once.SRand(9);
    EXPECT_EQ(once.GetState(), 9u);
    CQFRand copy;
    copy = once;
    EXPECT_EQ(copy.Rand(100), once.Rand(100));
}

TEST(TacMapRand, FRandTakesTheWholePartAloneAndStopsBelowItsResolution)
{
    CQFRand r;
    EXPECT_EQ(r.FRand(0.000005f), 0.0f);
    EXPECT_EQ(r.GetState(), 0u);
    for (int i = 0; i < 200; ++i) {
        const float v = r.FRand(2.5f);
        EXPECT_GE(v, 0.0f);
        EXPECT_LT(v, 2.0f); // the fraction of 2.5 plays no part
        const float small = r.FRand(0.5f);
        EXPECT_LT(small, 0.5f);
    }
    CQFRand a, b;
    a.FRand(3.0f);
    b.Rand(1);
    b.Rand(1);
    EXPECT_EQ(a.GetState(), b.GetState()); // two steps for a value of 1 or more
}

TEST(TacMapGuid, ParsesTheBracedFormAndStaysInsideItsText)
{
    CGUID g;
    g.Parse("{0A1B2C3D-0001-0002-0304-05060708090A}");
    EXPECT_EQ(g.Data1, 0x0A1B2C3Du);
    EXPECT_EQ(g.Data2, 1);
    EXPECT_EQ(g.Data3, 2);
    const uint8_t expected[8] = {3, 4, 5, 6, 7, 8, 9, 10};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(g.Data4[i], expected[i]) << i;
    EXPECT_EQ(g.Format(), "A1B2C3D-1-2-34-5678910");

    for (const char* text : {"no separators here", "", "{", "1-2", "-", "1-2-3-4-"}) {
        CGUID h;
        h.Data1 = 7;
        h.Parse(text);
        if (std::string(text).find('-') == std::string::npos) {
            EXPECT_EQ(h.Data1, 0u) << text;
        }
        EXPECT_EQ(h.Data4[7], 0) << text; // nothing read from past the text
    }
    CGUID copy;
    copy.Assign(g);
    EXPECT_EQ(copy.Format(), g.Format());
}

TEST(TacMapGuid, StoredFormIsSixteenBytesAndAShortReadFails)
{
    CGUID g;
    g.Parse("{01020304-0506-0708-090A-0B0C0D0E0F10}");
    CObjectArchive out;
    ASSERT_TRUE(g.Serialize(out));
    const std::vector<uint8_t> expected = {4, 3, 2, 1, 6, 5, 8, 7, 9, 10, 11, 12, 13, 14, 15, 16};
    EXPECT_EQ(out.Bytes(), expected);
    std::unique_ptr<CStoredObject> made = CreateStoredObject("CGUID");
    ASSERT_TRUE(made);
    CObjectArchive in(out.Bytes(), 1);
    ASSERT_TRUE(made->Serialize(in));
    EXPECT_EQ(static_cast<CGUID*>(made.get())->Format(), g.Format());
    CObjectArchive shortIn(std::vector<uint8_t>(expected.begin(), expected.begin() + 15), 1);
    CGUID h;
    EXPECT_FALSE(h.Serialize(shortIn));
    EXPECT_TRUE(shortIn.Failed());

    CQFVersion v;
    v.SetVersion(0x1234);
    CObjectArchive vOut;
    ASSERT_TRUE(v.Serialize(vOut));
    EXPECT_EQ(vOut.Bytes(), (std::vector<uint8_t>{0x34, 0x12}));
    std::unique_ptr<CStoredObject> version = CreateStoredObject("CQFVersion");
    CObjectArchive vIn(vOut.Bytes(), 1);
    ASSERT_TRUE(version->Serialize(vIn));
    EXPECT_EQ(static_cast<CQFVersion*>(version.get())->GetVersion(), 0x1234);
    EXPECT_EQ(CreateStoredObject("CObject"), nullptr);
}

TEST_F(TacMapTest, MissingGameInfoIsOneBoxNamingItsPath)
{
    const fs::path folder = TempFolder("noinfo");
    std::vector<std::string> names;
    EXPECT_FALSE(tacmap::ReadGameInfo(folder.string(), 8, &names));
    fs::create_directories(folder / "GameInfo.txt"); // a folder of that name does not read either
    EXPECT_FALSE(tacmap::ReadGameInfo(folder.string(), 8, &names));
    const auto boxes = platform::RecordedMessages();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Failed to open the game info file.");
    EXPECT_EQ(boxes[0].title, (folder / "GameInfo.txt").string());
    fs::remove_all(folder);
}

} // namespace
