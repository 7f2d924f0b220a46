// Tests of Vellisk's rules without windows: the ESRI data locator, names, "GameInfo.txt" lines and the station
// details dialog's lists and packing.
#include "editors/areamap/model/AreaMapNames.h"
#include "editors/areamap/model/EsriData.h"
#include "editors/areamap/model/StationDialogRules.h"
#include "tests/editors/areamap/AreaMapTestSupport.h"

#include "core/world/SpriteManager.h"

#include <gtest/gtest.h>

using namespace vellisk;
using namespace areamaptest;

namespace {

std::string Texts(const std::vector<CUserMessage>& messages)
{
    std::string out;
    for (const CUserMessage& m : messages)
        out += "[" + m.caption + "] " + m.text + "\n";
    return out;
}

} // namespace

TEST(VelliskModelLocator, FoldersAreListedByNameAndSortedByKind)
{
    struct Case {
        const char* what;
        std::vector<std::string> files;
        bool accepted;
        std::vector<std::pair<int, std::string>> slots; // expected non-empty slots
        std::string caption;                            // of the last message, "" for none
        std::string inText;
    };
    const Case cases[] = {
        {"a road and another",
         {"roads_lka.shp", "misc.shp"},
         true,
         {{3, "roads_lka.shp"}, {4, "misc.shp"}},
         "Partial ESRI Data Set",
         "County line data\nCity/town data\nWater data\n\nThe software can work"},
        {"two county files: the later kept",
         {"a_cty.shp", "b_cty.shp", "t_plc.shp", "w_wat.shp", "r_lka.SHP"},
         true,
         {{0, "b_cty.shp"}, {1, "t_plc.shp"}, {2, "w_wat.shp"}, {3, "r_lka.SHP"}},
         "",
         ""},
        {"county before water",
         {"cty_wat.shp"},
         true,
         {{0, "cty_wat.shp"}},
         "Partial ESRI Data Set",
         "City/town data\nWater data\nRoad data\n"},
        {"none of the four kinds",
         {"misc.shp", "other.shp", "notes.txt"},
         false,
         {{0, "misc.shp"}, {1, "other.shp"}},
         "Partial ESRI Data Set",
         "None of the basic ESRI data files"},
        {"no shapefile", {"notes.txt", "roads_lka.dbf"}, false, {}, "Can't find ESRI data", "(*.shp) were found"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        for (const std::string& f : c.files)
            dir.Write(f, "x");
        CLocatorOutcome out = LocateEsriData(dir.Path());
        EXPECT_EQ(out.accepted, c.accepted) << Texts(out.messages);
        EXPECT_EQ(out.folder, dir.Path() + "/");
        ShapefileSlots expected;
        for (const auto& [slot, name] : c.slots)
            expected[static_cast<size_t>(slot)] = dir.Path() + "/" + name;
        if (!c.slots.empty()) {
            EXPECT_EQ(out.slots, expected);
        }
        EXPECT_EQ(out.slotsSet, !c.slots.empty());
        if (c.caption.empty()) {
            EXPECT_TRUE(out.messages.empty()) << Texts(out.messages);
        } else {
            ASSERT_FALSE(out.messages.empty());
            EXPECT_EQ(out.messages.back().caption, c.caption);
            EXPECT_NE(out.messages.back().text.find(c.inText), std::string::npos) << out.messages.back().text;
        }
    }
}

TEST(VelliskModelLocator, BadPathsAndTooManyFiles)
{
    for (std::string path : {std::string(), std::string("/no/such/folder")}) {
        CLocatorOutcome out = LocateEsriData(path);
        EXPECT_FALSE(out.accepted);
        EXPECT_FALSE(out.slotsSet);
        ASSERT_EQ(out.messages.size(), 1u);
        EXPECT_EQ(out.messages[0].caption, "Invalid Path");
    }
    // 25 files: the first 20 by name are taken, the water file among the 5 left out; 19 others fit 16 slots.
    TempDir dir;
    dir.Write("a_lka.shp", "x");
    for (int i = 0; i < 23; ++i)
        dir.Write("m" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".shp", "x");
    dir.Write("z_wat.shp", "x");
    CLocatorOutcome out = LocateEsriData(dir.Path() + "/");
    ASSERT_TRUE(out.accepted);
    EXPECT_EQ(out.folder, dir.Path() + "/");
    EXPECT_EQ(out.slots[3], dir.Path() + "/a_lka.shp");
    EXPECT_EQ(out.slots[2], "");
    EXPECT_EQ(out.slots[4], dir.Path() + "/m00.shp");
    EXPECT_EQ(out.slots[19], dir.Path() + "/m15.shp");
    ASSERT_EQ(out.messages.size(), 2u);
    EXPECT_NE(out.messages[0].text.find("25 found, 8 left out"), std::string::npos) << out.messages[0].text;
}

TEST(VelliskModelLocator, LayerColoursGoByTheFileName)
{
    EXPECT_EQ(LayerColour(ClassifyShapefile("/data/CTY/roads_LKA.shp")), RGB(0, 0, 0)); // the folder is not read
    EXPECT_EQ(ClassifyShapefile("/data/CTY/roads_LKA.shp"), kRoad);
    EXPECT_EQ(LayerColour(ClassifyShapefile("Millbrook_Cty.shp")), RGB(131, 187, 68));
    EXPECT_EQ(LayerColour(kCityTown), 0xD0FFFFu);
    EXPECT_EQ(LayerColour(kWater), 0xFA9E05u);
    EXPECT_EQ(ClassifyShapefile("millbrook_rail.shp"), kOtherShapefile);
}

TEST(VelliskModelNames, BitmapNamesAndNamesFromANewBitmap)
{
    struct Bitmap {
        std::string name;
        bool ok;
        std::string bitmap;
    };
    const Bitmap bitmaps[] = {{"Town.zra", true, "Town.bmp"},
                              {"Town", true, "Town.bmp"},
                              {"Town.ZRA", true, "Town.ZRA.bmp"},
                              {"a.zra.zra", true, "a.bmp"},
                              {std::string(255, 'n'), true, std::string(255, 'n') + ".bmp"},
                              {std::string(256, 'n'), false, ""}};
    for (const Bitmap& b : bitmaps) {
        std::string out = "unchanged";
        EXPECT_EQ(MakeBitmapName(b.name, &out), b.ok) << b.name;
        EXPECT_EQ(out, b.ok ? b.bitmap : "unchanged");
    }
    struct New {
        std::string path;
        bool ok;
        std::string pathName, title, bitmap;
    };
    const New news[] = {
        {"/d/Maps/Town.bmp", true, "/data/TOWN.ZRA", "Town", "Town.bmp"},
        {"/d/Maps/river.map.BMP", true, "/data/RIVER.MAP.ZRA", "river.map", "river.map.BMP"},
        {"/d/Maps/Town.png", false, "", "", ""},
        {"/d/Maps/Town.bmp.bmp", false, "", "", ""},
        {"Town.bmp", false, "", "", ""},
        {"/Town.bmp", false, "", "", ""},
        {"/d/.bmp", false, "", "", ""},
    };
    for (const New& n : news) {
        CAreaMapNames names{"p", "t", "b"};
        EXPECT_EQ(NamesFromBitmap(n.path, "/data", &names), n.ok) << n.path;
        if (n.ok) {
            EXPECT_EQ(names.pathName, n.pathName);
            EXPECT_EQ(names.fileTitle, n.title);
            EXPECT_EQ(names.bitmapName, n.bitmap);
        } else {
            EXPECT_EQ(names.pathName, "p");
        }
    }
    EXPECT_EQ(FileTitle("/a/b/Edited.zra"), "Edited");

    // A map picture is named in an area map only when it lies in the Maps folder itself.
    TempDir dir;
    fs::create_directories(dir.File("Maps/Sub"));
    const std::pair<std::string, std::string> pictures[] = {
        {dir.File("Maps/Town.v2"), "Town.v2"},
        {dir.File("maps/Town.bmp"), "Town.bmp"},
        {dir.File("Maps/../Maps/T.bmp"), "T.bmp"},
        {dir.File("Maps/Sub/Town.bmp"), ""},
        {dir.File("Town.bmp"), ""},
        {"Town.bmp", ""},
        {dir.File("Maps/" + std::string(260, 'n')), ""},
    };
    for (const auto& [path, name] : pictures) {
        std::string out = "unchanged";
        EXPECT_EQ(MapsPictureName(path, dir.Path(), &out), !name.empty()) << path;
        EXPECT_EQ(out, name.empty() ? "unchanged" : name) << path;
    }
}

class VelliskModelStationDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(DemoData().empty());
        platform::SetMessageEcho(false);
        ASSERT_TRUE(sprites.LoadReferenceLists(DemoData(), "Agency.csv", nullptr));
    }
    static CStationResource Line(int row, int kind, const char* name, int count, int onCall)
    {
        CStationResource r;
        r.m_AgencyIndex = row;
        r.m_nAgencyKind = kind;
        CopyName(r.m_szName, CStationResource::kNameSize, name);
        r.m_nResCount = count;
        r.m_bOnCall = onCall;
        return r;
    }
    CStationDialogInput InputFrom(const CStationDialogView& view) const
    {
        CStationDialogInput in;
        in.name = view.name;
        in.minutes = view.minutes;
        for (int n = 0; n < kStationLines; ++n) {
            in.agencies[n] = view.lines[n].agencies;
            in.squadTypes[n] = view.lines[n].squadTypes;
            in.lines[n] = {view.lines[n].agency, view.lines[n].squadType, view.lines[n].duty, view.lines[n].number};
        }
        return in;
    }
    CSpriteManager sprites;
};

TEST_F(VelliskModelStationDialog, ListsOpenFromTheStation)
{
    CStationData station;
    station.SetName("Millbrook Police Station 2");
    station.m_nStationKind = 0;
    station.m_nMinutesToSite = 9;
    station.AddResource(Line(0, 0, "swat team", 2, 1));        // names match ignoring case
    station.AddResource(Line(42, 0, "Patrol Officers", 3, 0)); // a row the agency list lacks
    CStationDialogView view = StationDialogView(station, &sprites);
    EXPECT_EQ(view.name, "Millbrook Police Station 2");
    EXPECT_EQ(view.minutes, "9");
    std::vector<std::string> agencies;
    for (const CListEntry& e : view.lines[0].agencies)
        agencies.push_back(e.text);
    const std::vector<std::string> expected = {
        "",           "Millbrook Police", "Millbrook Fire", "Millbrook Schools", "Millbrook Public Works",
        "County EMS", "Incident Site",    "Route Waypoints"};
    EXPECT_EQ(agencies, expected); // no Civs or Threat rows
    EXPECT_EQ(view.lines[0].agency, 1);
    EXPECT_EQ(view.lines[0].squadTypes[static_cast<size_t>(view.lines[0].squadType)].text, "SWAT Team");
    EXPECT_EQ(view.lines[0].squadTypes[0].data, -1);
    EXPECT_EQ(view.lines[0].duty, 1);
    EXPECT_EQ(view.lines[0].number, "2");
    EXPECT_EQ(view.lines[1].agency, 0);
    EXPECT_EQ(view.lines[1].squadTypes.size(), 1u); // unknown kind: only the empty entry
    EXPECT_EQ(view.lines[5].number, "");
    EXPECT_EQ(view.lines[5].squadTypes.size(), 1u);
    EXPECT_EQ(view.lines[5].duty, 0);
    EXPECT_EQ(KindEntries()[7].text, "Incident Site");
    EXPECT_EQ(DutyEntries()[1].text, "On call");
    // The empty agency entry has data 0: choosing it lists the squad types of row 0's kind (police).
    EXPECT_EQ(AgencyKindOfRow(&sprites, view.lines[0].agencies[0].data), 0);
}

TEST_F(VelliskModelStationDialog, OkPacksCompleteLinesAndKeepsRouteKindAndAgency)
{
    CStationData old;
    old.SetName("Old");
    old.m_nStationKind = 7;
    old.m_AgencyIndex = 7;
    old.SetWaypoints({{1, 2}, {3, 4}, {5, 6}});
    old.AddResource(Line(1, 1, "Engine Company", 3, 0));
    CStationDialogInput in = InputFrom(StationDialogView(old, &sprites));
    in.name = std::string(60, 'N');
    in.minutes = "12";
    in.lines[0] = {}; // line 1 emptied
    const int fire = AgencySelection(in.agencies[1], 1);
    in.squadTypes[1] = SquadTypeEntries(&sprites, 1);
    in.lines[1] = {fire, SquadTypeSelection(in.squadTypes[1], "Ladder Company"), 1, "4"};
    in.lines[2] = {fire, 0, 0, "5"}; // no squad type: dropped
    in.squadTypes[3] = SquadTypeEntries(&sprites, 1);
    in.lines[3] = {fire, 1, -1, "x7"}; // not a number: 0
    CUserMessage refusal;
    std::unique_ptr<CStationData> made = BuildStationData(in, old, &sprites, &refusal);
    ASSERT_TRUE(made);
    EXPECT_EQ(std::string(made->m_szName), std::string(49, 'N'));
    EXPECT_EQ(made->m_nMinutesToSite, 12);
    EXPECT_EQ(made->m_nStationKind, 7);
    EXPECT_EQ(made->m_AgencyIndex, 7);
    EXPECT_EQ(made->m_nNumWaypoints, 3);
    EXPECT_EQ(made->m_pptWaypoints[2].y, 6);
    ASSERT_NE(made->GetResource(0), nullptr);
    EXPECT_STREQ(made->GetResource(0)->m_szName, "Ladder Company");
    EXPECT_EQ(made->GetResource(0)->m_nAgencyKind, 1);
    EXPECT_EQ(made->GetResource(0)->m_AgencyIndex, 1);
    EXPECT_EQ(made->GetResource(0)->m_nResCount, 4);
    EXPECT_EQ(made->GetResource(0)->m_bOnCall, 1);
    ASSERT_NE(made->GetResource(1), nullptr);
    EXPECT_EQ(made->GetResource(1)->m_nResCount, 0);
    EXPECT_EQ(made->GetResource(1)->m_bOnCall, 0);
    EXPECT_EQ(made->GetResource(2), nullptr);
}

TEST_F(VelliskModelStationDialog, EmptyNameOrTravelTimeBelowOneIsRefused)
{
    CStationData old;
    struct Case {
        std::string name, minutes, caption;
    };
    const Case cases[] = {{"", "10", "Station Name Error"},
                          {"A", "0", "Station Travel Time Error"},
                          {"A", "", "Station Travel Time Error"},
                          {"A", "-3", "Station Travel Time Error"}};
    for (const Case& c : cases) {
        CStationDialogInput in;
        in.name = c.name;
        in.minutes = c.minutes;
        CUserMessage refusal;
        EXPECT_FALSE(BuildStationData(in, old, &sprites, &refusal)) << c.minutes;
        EXPECT_EQ(refusal.caption, c.caption);
    }
    CStationDialogInput ok;
    ok.name = "A";
    ok.minutes = "1";
    EXPECT_TRUE(BuildStationData(ok, old, &sprites, nullptr));
}
