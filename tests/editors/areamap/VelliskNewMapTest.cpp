// Tests of Vellisk's new-map flow (locator, map-bitmap dialog, TOWN.ZRA), of bad files and targets that change
// nothing, and of saved area maps played in the game.
#include "tests/editors/areamap/VelliskWindowFixture.h"

#include "editors/areamap/ui/EsriDialogs.h"
#include "editors/areamap/ui/StationDialog.h"
#include "editors/common/MenuInput.h"
#include "editors/common/ui/EditorDialog.h"
#include "editors/common/ui/ListHelpers.h"

#include "core/persist/QFSerializeBase.h"
#include "core/world/AreaMapData.h"
#include "tests/game/app/DemoGame.h"
#include "tests/support/DisplayFixtures.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <csignal>
#include <cmath>
#include <cstring>
#include <functional>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using namespace areamaptest;

namespace {

class VelliskNewMap : public VelliskWindowFixture {};
class VelliskBadInput : public VelliskWindowFixture {};

// An answer for the ESRI locator: points it at the given folder and accepts.
std::function<void(QDialog&)> LocateEsriIn(const std::string& esriFolder)
{
    return [esriFolder](QDialog& d) {
        GetDlgItem<QLineEdit>(&d, CDialogLocateESRIData::kFolderId)->setText(QString::fromStdString(esriFolder));
        d.accept();
    };
}

// An answer for the map-bitmap dialog: Save, which the test makes fail (no path kept), then Done.
void SaveRefusedThenDone(QDialog& d)
{
    GetDlgItem<QPushButton>(&d, CDialogAreaMapMO::kSaveId)->click();
    EXPECT_EQ(static_cast<CDialogAreaMapMO&>(d).SavedPath(), "");
    GetDlgItem<QPushButton>(&d, IDOK)->click();
}

uint32_t U32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
}

// The game's view of an area map saved as "<name>.zra": the scenario's files copied under that name, the game's own
// area-map class, one station's route, travel time and resources.
struct PlayedStation {
    bool loaded = false;
    std::string bitmap;
    int stations = 0;
    std::vector<POINT> route;
    int minutes = 0;
    int resources = 0;
    // A squad dispatched from that station: its vehicle's positions on the area map, sampled every 500 ms from
    // its start until it left the area map for the incident.
    bool dispatched = false;
    std::vector<POINT> drive;
    bool reachedIncident = false;
};

// Sends the station's first resource line and follows its vehicle until it reaches the incident.
void DispatchAndFollow(demo_game::CDemoGame& run, CSprite* station, PlayedStation* out)
{
    CSquadManager& area = *run.Game().m_pSquadGame->Area();
    out->dispatched = area.RequestDispatch(station, 0) && !area.Vehicles().empty();
    if (!out->dispatched)
        return;
    CSquad* vehicle = area.Vehicles().back();
    auto at = [&] { return POINT{static_cast<int32_t>(vehicle->m_fX), static_cast<int32_t>(vehicle->m_fY)}; };
    out->drive.push_back(at());
    for (int step = 0; step < 2000 && vehicle->m_pManager == &area; ++step) {
        run.Step();
        if (vehicle->m_pManager == &area)
            out->drive.push_back(at());
    }
    out->reachedIncident = vehicle->m_pManager == run.Game().m_pSquadGame->Scenario() &&
                           run.Game().m_pSquadGame->m_score.nAreaSquadsCalled == 1;
}

// Distance from p to the polyline, and how far along it the nearest point lies.
std::pair<double, double> NearestOnRoute(const std::vector<POINT>& route, POINT p)
{
    double best = 1e18, along = 0, walked = 0;
    for (size_t i = 1; i < route.size(); ++i) {
        const double ax = route[i - 1].x, ay = route[i - 1].y, dx = route[i].x - ax, dy = route[i].y - ay;
        const double length = std::hypot(dx, dy);
        double t = length > 0 ? ((p.x - ax) * dx + (p.y - ay) * dy) / (length * length) : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double d = std::hypot(ax + t * dx - p.x, ay + t * dy - p.y);
        if (d < best) {
            best = d;
            along = walked + t * length;
        }
        walked += length;
    }
    return {best, along};
}

PlayedStation PlayInGame(const std::string& folder, const std::string& name, const std::string& station,
                         bool dispatch = false)
{
    const fs::path dir(folder);
    fs::copy_file(dir / "Millbrook.zri", dir / (name + ".zri"), fs::copy_options::overwrite_existing);
    fs::copy_file(dir / "Millbrook.csv", dir / (name + ".csv"), fs::copy_options::overwrite_existing);
    fs::copy_file(dir / "Millbrook Scores.csv", dir / (name + " Scores.csv"), fs::copy_options::overwrite_existing);
    QFClassFactory::Instance().Register("CAreaMapData", &::CAreaMapData::CreateObject);
    PlayedStation out;
    {
        demo_game::CDemoGame run(dir);
        out.loaded = run.LoadScenario(name + ".zri");
        if (out.loaded) {
            const ::CAreaMapData& map = *run.Game().m_pAreaMap;
            out.bitmap = map.m_szMapBitmap;
            CSprite* found = nullptr;
            for (CSprite* s = map.m_pSpriteManager->GetHead(); s; s = s->m_pNext) {
                if (s->Kind() != kStationSprite)
                    continue;
                ++out.stations;
                if (station != s->m_pStationData->m_szName)
                    continue;
                out.route = s->m_pStationData->m_pptWaypoints;
                out.minutes = s->m_pStationData->m_nMinutesToSite;
                for (int n = 0; n < CStationData::kResourceSlots; ++n)
                    out.resources += s->m_pStationData->GetResource(n) != nullptr;
                found = s;
            }
            if (dispatch && found)
                DispatchAndFollow(run, found, &out);
        }
    }
    vellisk::RegisterVelliskClasses();
    return out;
}


// Temporaries left anywhere under a folder.
std::vector<std::string> Leftovers(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.path().filename().string().find(".tmp") != std::string::npos)
            out.push_back(e.path().string());
    return out;
}

} // namespace

static bool operator==(const POINT& a, const POINT& b)
{
    return a.x == b.x && a.y == b.y;
}
[[maybe_unused]] static std::ostream& operator<<(std::ostream& out, const POINT& p)
{
    return out << "(" << p.x << "," << p.y << ")";
}

TEST_F(VelliskNewMap, ShapefilesBecomeTownBmpAndTownZraThatTheGamePlays)
{
    Start(true);
    CScriptedPrompts prompts;
    prompts.ExpectFolder(folder + "/Maps/ESRI").ExpectSaveFile(folder + "/Maps/Town");
    CModalAnswers answers;
    answers
        .Then([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "Where is the ESRI data?");
            GetDlgItem<QPushButton>(&d, CDialogLocateESRIData::kBrowseId)->click();
            EXPECT_EQ(GetDlgItem<QLineEdit>(&d, CDialogLocateESRIData::kFolderId)->text().toStdString(),
                      folder + "/Maps/ESRI");
            d.accept();
        })
        .Then([&](QDialog& d) {
            EXPECT_EQ(d.windowTitle(), "New Area Map Bitmap");
            auto& dialog = static_cast<CDialogAreaMapMO&>(d);
            EXPECT_EQ(dialog.Map().Layers().Count(), 5);
            // The map control's window shows the picture at the dialog's top-left corner.
            QWidget* map = GetDlgItem<QWidget>(&d, CMapControlView::kMapId);
            ASSERT_NE(map, nullptr);
            EXPECT_EQ(map->geometry(), QRect(0, 0, 800, 448));
            // No blank band under the buttons: the dialog ends with the row under the map.
            QWidget* done = GetDlgItem<QWidget>(&d, IDOK);
            EXPECT_LE(d.height() - done->geometry().bottom(), 16);
            EXPECT_TRUE(d.grab().save(QString::fromStdString(std::string(ZR_VELLISK_OUTPUT) + "/map-dialog.png")));
            GetDlgItem<QPushButton>(&d, CDialogAreaMapMO::kSaveId)->click();
            EXPECT_EQ(dialog.SavedPath(), folder + "/Maps/Town.bmp");
            GetDlgItem<QPushButton>(&d, IDOK)->click();
        });
    Run("New");
    EXPECT_EQ(answers.Remaining(), 0u);
    EXPECT_EQ(frame->windowTitle(), "Town");
    EXPECT_EQ(app->PathName(), folder + "/TOWN.ZRA");
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Town.bmp");
    EXPECT_TRUE(fs::exists(folder + "/TOWN.ZRA"));
    EXPECT_TRUE(frame->SpriteList()->List()->isEnabled());
    EXPECT_EQ(Stations().size(), 1u); // the incident site alone
    EXPECT_FALSE(app->IsModified());

    // A 24-bit BMP of 800 x 448 with a 40-byte header, not all white.
    const std::string bmp = ReadBytes(folder + "/Maps/Town.bmp");
    ASSERT_GE(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(U32(bmp, 14), 40u);
    EXPECT_EQ(U32(bmp, 18), 800u);
    EXPECT_EQ(U32(bmp, 22), 448u);
    EXPECT_EQ(bmp[28], 24);
    EXPECT_EQ(bmp.size(), 54u + 800u * 3u * 448u);
    EXPECT_NE(bmp.find_first_not_of('\xFF', 54), std::string::npos);

    // A routed station, then Save.
    const QPoint site = Centre(Model().FindIncidentSite());
    PickStationTemplate("Millbrook Fire Station 1");
    Click(QPoint(100, 100));
    Click(QPoint(150, 150));
    Click(site - QPoint(8, 8));
    ASSERT_TRUE(Enabled("Save"));
    Run("Save");
    EXPECT_FALSE(app->IsModified());
    OpenFile(folder + "/TOWN.ZRA");
    EXPECT_EQ(Stations().size(), 2u);
    CSprite* fire = Station("Millbrook Fire Station 1 1");
    ASSERT_NE(fire, nullptr);
    const std::vector<POINT> route = fire->m_pStationData->m_pptWaypoints;
    EXPECT_EQ(route.size(), 3u);

    const PlayedStation played = PlayInGame(folder, "Town", "Millbrook Fire Station 1 1");
    ASSERT_TRUE(played.loaded);
    EXPECT_EQ(played.bitmap, "Town.bmp");
    EXPECT_EQ(played.stations, 2);
    EXPECT_EQ(played.route, route);
}

TEST_F(VelliskNewMap, WithNoPictureSavedAnExistingOneInMapsIsPickedAndCancelChangesNothing)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    const CStationData* before = Stations()[0]->m_pStationData;
    fs::copy_file(folder + "/Maps/Millbrook_Area.bmp", folder + "/Outside.bmp");
    auto locate = LocateEsriIn(folder + "/Maps/ESRI");
    auto doneWithoutSave = [](QDialog& d) { GetDlgItem<QPushButton>(&d, IDOK)->click(); };
    {
        // The locator cancelled, then the picker: it starts in Maps on "*.bmp"; cancelled, nothing changes.
        CScriptedPrompts prompts;
        prompts.ExpectOpenFile("");
        CModalAnswers answers;
        answers.Reject();
        Run("New");
        ASSERT_EQ(prompts.Log().size(), 1u);
        const FileChoice& choice = prompts.Log()[0].choice;
        EXPECT_EQ(choice.initialName, folder + "/Maps/*.bmp");
        EXPECT_EQ(choice.defaultExt, "bmp");
        EXPECT_EQ(choice.filter, "Bitmap Files (*.bmp)|*.bmp|All Files (*.*)|*.*||");
    }
    {
        // Done without Save; a picture outside Maps is refused.
        CScriptedPrompts prompts;
        prompts.ExpectOpenFile(folder + "/Outside.bmp").ExpectMessage("is not in the Maps folder", IDOK);
        CModalAnswers answers;
        answers.Then(locate).Then(doneWithoutSave);
        Run("New");
    }
    EXPECT_EQ(frame->windowTitle(), "Millbrook");
    EXPECT_EQ(Stations().size(), 5u);
    EXPECT_EQ(Stations()[0]->m_pStationData, before);
    EXPECT_FALSE(app->IsModified());
    EXPECT_FALSE(fs::exists(folder + "/OUTSIDE.ZRA"));

    // Done without Save, then the demo's own picture: a new map on it, saved as MILLBROOK_AREA.ZRA.
    {
        CScriptedPrompts prompts;
        prompts.ExpectOpenFile(folder + "/Maps/Millbrook_Area.bmp");
        CModalAnswers answers;
        answers.Then(locate).Then(doneWithoutSave);
        Run("New");
    }
    EXPECT_EQ(frame->windowTitle(), "Millbrook_Area");
    EXPECT_EQ(app->PathName(), folder + "/MILLBROOK_AREA.ZRA");
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Millbrook_Area.bmp");
    EXPECT_EQ(Stations().size(), 1u);
    EXPECT_FALSE(app->IsModified());
    OpenFile(folder + "/MILLBROOK_AREA.ZRA");
    EXPECT_EQ(Stations().size(), 1u);
}

// File New after another map: the new map's stations are numbered from 1, not after the other map's.
TEST_F(VelliskNewMap, ANewMapAfterAnotherNumbersItsStationsFromOne)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    PickStationTemplate("Millbrook Police Station");
    Click(QPoint(100, 380));
    QTest::keyClick(View(), Qt::Key_Escape);
    ASSERT_NE(Station("Millbrook Police Station 3"), nullptr);
    {
        CScriptedPrompts prompts;
        prompts.ExpectMessage("Do you want to save now?", IDNO, "Starting New Area Map")
            .ExpectOpenFile(folder + "/Maps/Millbrook_Area.bmp");
        CModalAnswers answers;
        answers.Then(LocateEsriIn(folder + "/Maps/ESRI")).Then([](QDialog& d) {
            GetDlgItem<QPushButton>(&d, IDOK)->click();
        });
        PressKeys(frame.get(), QKeySequence(Qt::CTRL | Qt::Key_N));
    }
    ASSERT_EQ(frame->windowTitle(), "Millbrook_Area");
    ASSERT_EQ(Stations().size(), 1u);
    PickStationTemplate("Millbrook Police Station");
    Click(QPoint(100, 380));
    QTest::keyClick(View(), Qt::Key_Escape);
    EXPECT_NE(Station("Millbrook Police Station 1"), nullptr);
    EXPECT_EQ(Station("Millbrook Police Station 3"), nullptr);
}

// A picture saved under a name without a single ".bmp": the new map takes that picture and has no file until it is
// saved under a name the user gives; the map open before is never written.
TEST_F(VelliskNewMap, APictureNotNamedBmpGivesAMapWithNoFileUntilSaved)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    const std::string millbrook = ReadBytes(folder + "/Millbrook.zra");
    {
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile(folder + "/Maps/Town.v2");
        CModalAnswers answers;
        answers
            .Then(LocateEsriIn(folder + "/Maps/ESRI"))
            .Then([](QDialog& d) {
                GetDlgItem<QPushButton>(&d, CDialogAreaMapMO::kSaveId)->click();
                GetDlgItem<QPushButton>(&d, IDOK)->click();
            });
        Run("New");
    }
    EXPECT_EQ(app->PathName(), "");
    EXPECT_EQ(app->FileTitle(), "");
    EXPECT_EQ(frame->windowTitle(), "Vellisk");
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Town.v2");
    EXPECT_EQ(Stations().size(), 1u);
    ASSERT_TRUE(app->IsModified());
    {
        // Save asks for a name; cancelled, nothing is written.
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile("");
        Run("Save");
    }
    EXPECT_EQ(ReadBytes(folder + "/Millbrook.zra"), millbrook);
    {
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile(folder + "/Town");
        Run("Save");
    }
    EXPECT_EQ(ReadBytes(folder + "/Millbrook.zra"), millbrook);
    EXPECT_EQ(frame->windowTitle(), "Town");
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Town.bmp");
    EXPECT_EQ(ReadBytes(folder + "/Maps/Town.bmp"), ReadBytes(folder + "/Maps/Town.v2"));
    OpenFile(folder + "/Town.zra");
    EXPECT_EQ(Stations().size(), 1u);
    EXPECT_STREQ(app->Document()->m_szMapBitmap, "Town.bmp");
}

// The map-bitmap dialog keeps pictures in Maps: Save into another folder is refused and writes nothing.
TEST_F(VelliskNewMap, APictureSavedOutsideMapsIsRefusedInTheDialog)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    fs::create_directories(folder + "/Elsewhere");
    CScriptedPrompts prompts;
    prompts.ExpectSaveFile(folder + "/Elsewhere/Town.bmp")
        .ExpectMessage("is not in the Maps folder", IDOK, "File Save Error")
        .ExpectOpenFile("");
    {
        CModalAnswers answers;
        answers
            .Then(LocateEsriIn(folder + "/Maps/ESRI"))
            .Then(SaveRefusedThenDone);
        Run("New");
        EXPECT_EQ(answers.Remaining(), 0u);
    }
    EXPECT_FALSE(fs::exists(folder + "/Elsewhere/Town.bmp"));
    EXPECT_FALSE(fs::exists(folder + "/TOWN.ZRA"));
    EXPECT_EQ(frame->windowTitle(), "Millbrook");
    EXPECT_EQ(Stations().size(), 5u);
    ShowBox(prompts.Messages().at(0), "outside-maps-box.png");
}

// A picture larger than the map shows is loaded and told about, on New and on Open.
TEST_F(VelliskNewMap, APictureLargerThanTheMapIsToldOnLoad)
{
    Start();
    ASSERT_TRUE(fixtures::WriteFile(folder + "/Maps/Big.bmp",
                                    fixtures::MakeBmp24(1000, 600, [](int x, int) { return RGB(x % 256, 90, 40); })));
    {
        CScriptedPrompts prompts;
        prompts.ExpectOpenFile(folder + "/Maps/Big.bmp")
            .ExpectMessage("Big.bmp is 1000 x 600 pixels", IDOK, "Map Bitmap Too Large");
        {
            CModalAnswers answers;
            answers.Reject(); // the locator: straight to the picker
            Run("New");
        }
        ShowBox(prompts.Messages().at(0), "too-large-box.png");
    }
    EXPECT_EQ(app->PathName(), folder + "/BIG.ZRA");
    CScriptedPrompts prompts;
    prompts.ExpectOpenFile(folder + "/BIG.ZRA")
        .ExpectMessage("only its top-left 800 x 448", IDOK, "Map Bitmap Too Large");
    Run("Open");
    EXPECT_EQ(frame->windowTitle(), "BIG");
}

TEST_F(VelliskNewMap, EditedAreaMapPlaysInTheGame)
{
    Start(true);
    OpenFile(folder + "/Millbrook.zra");
    const QPoint site = Centre(Model().FindIncidentSite());
    PickStationTemplate("Public Works Yard");
    Click(QPoint(40, 60));
    CSprite* yard = Model().SelectedStation();
    ASSERT_NE(yard, nullptr);
    const std::string name = yard->m_pStationData->m_szName;
    Click(QPoint(200, 60));
    Click(QPoint(300, 150));
    Click(site - QPoint(8, 8));
    const std::vector<POINT> route = yard->m_pStationData->m_pptWaypoints;
    ASSERT_EQ(route.size(), 4u);
    // Its stock: two squads of the first Public Works squad type, at the station; 3 minutes to the site.
    CModalAnswers answers;
    answers.Then([](QDialog& d) {
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kMinutesId)->setText("3");
        QComboBox* agency = GetDlgItem<QComboBox>(&d, CDialogStationResources::kAgencyIds[0]);
        const int row = FindStringExact(agency, "Millbrook Public Works");
        ASSERT_GE(row, 0);
        agency->setCurrentIndex(row);
        Q_EMIT agency->activated(row);
        QComboBox* squads = GetDlgItem<QComboBox>(&d, CDialogStationResources::kSquadTypeIds[0]);
        ASSERT_GT(squads->count(), 1);
        squads->setCurrentIndex(1);
        GetDlgItem<QLineEdit>(&d, CDialogStationResources::kNumberIds[0])->setText("2");
        d.accept();
    });
    QTest::mouseDClick(View(), Qt::LeftButton, {}, Centre(yard));
    ASSERT_EQ(answers.Remaining(), 0u);
    yard = Station(name);
    ASSERT_NE(yard, nullptr);
    int resources = 0;
    for (int n = 0; n < CStationData::kResourceSlots; ++n)
        resources += yard->m_pStationData->GetResource(n) != nullptr;
    ASSERT_EQ(resources, 1);
    const int minutes = yard->m_pStationData->m_nMinutesToSite;
    EXPECT_EQ(minutes, 3);
    {
        CScriptedPrompts prompts;
        prompts.ExpectSaveFile(folder + "/Edited.zra");
        Run("SaveAs");
    }
    const PlayedStation played = PlayInGame(folder, "Edited", name, true);
    ASSERT_TRUE(played.loaded);
    EXPECT_EQ(played.bitmap, "Edited.bmp");
    EXPECT_EQ(played.stations, 6);
    EXPECT_EQ(played.route, route);
    EXPECT_EQ(played.minutes, minutes);
    EXPECT_EQ(played.resources, resources);

    // A squad dispatched from the new station drives its route, waypoint by waypoint, to the site.
    ASSERT_TRUE(played.dispatched);
    EXPECT_TRUE(played.reachedIncident);
    ASSERT_GE(played.drive.size(), 3u);
    EXPECT_EQ(played.drive.front(), route.front());
    double progress = 0;
    for (const POINT& p : played.drive) {
        SCOPED_TRACE(::testing::Message() << "at " << p);
        const auto [off, along] = NearestOnRoute(route, p);
        EXPECT_LE(off, 2.0);
        EXPECT_GE(along, progress - 2.0);
        progress = std::max(progress, along);
    }
    // Its last point on the area map is at the end of the route, the site.
    const auto [offEnd, alongEnd] = NearestOnRoute(route, played.drive.back());
    const double total = NearestOnRoute(route, route.back()).second;
    EXPECT_LE(offEnd, 2.0);
    EXPECT_GE(alongEnd, total - 40.0);
}

// Each bad file or target: one box, and the map, names, caption and modified flag as they were.
TEST_F(VelliskBadInput, OneBoxAndNothingChanged)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    QTest::mouseClick(View(), Qt::RightButton, {}, Centre(Station("County EMS Station")));
    ASSERT_TRUE(app->IsModified());
    const std::string zra = ReadBytes(folder + "/Millbrook.zra");
    std::string otherBitmap = zra;
    const std::string from = std::string("\x12\0\0\0", 4) + "Millbrook_Area.bmp";
    const size_t at = otherBitmap.find(from);
    ASSERT_NE(at, std::string::npos);
    otherBitmap.replace(at, from.size(), std::string("\x12\0\0\0", 4) + "Broken_Areas_x.bmp");
    std::ofstream(folder + "/Maps/Broken_Areas_x.bmp", std::ios::binary) << "this is not a bitmap";
    fs::create_directories(folder + "/Folder.zra");
    fs::create_directories(folder + "/Maps/Folder.bmp");

    struct Case {
        const char* what;
        std::string file;  // written before the command
        std::string bytes;
        const char* command;
        std::string answer; // the path chosen
        const char* caption;
        std::string says;     // the end of the box's text: the file named, then what is wrong
        rlim_t sizeLimit = 0; // a full disk: no file may grow past this many bytes
    };
    const std::string damaged = "\n\nIt is not an area map, or it is damaged.";
    std::vector<Case> cases = {
        {"truncated", "Cut.zra", zra.substr(0, zra.size() / 2), "Open", "Cut.zra", "Failed to open file",
         "Cut.zra" + damaged},
        {"garbage", "Junk.zra", std::string(700, '\x5A'), "Open", "Junk.zra", "Failed to open file",
         "Junk.zra" + damaged},
        {"empty", "Empty.zra", "", "Open", "Empty.zra", "Failed to open file", "Empty.zra" + damaged},
        {"non-BMP bitmap", "Broken.zra", otherBitmap, "Open", "Broken.zra", "Failed to open file",
         "Broken.zra\n\nCouldn't load the map bitmap " + folder + "/Maps/Broken_Areas_x.bmp"},
        {"a folder as target", "", "", "SaveAs", "Folder.zra", "Save As Failed",
         "Folder.zra.\nA folder of that name is in the way."},
        {"full disk on Save", "", "", "Save", "Millbrook.zra", "Save As Failed", "Millbrook.zra.\nFile too large.",
         1000},
        {"full disk on Save As", "", "", "SaveAs", "Full.zra", "Save As Failed", "Full.zra.\nFile too large.", 1000},
    };
    if (geteuid() != 0) { // root writes into read-only folders
        fs::create_directories(folder + "/locked");
        fs::permissions(folder + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
        cases.push_back({"a read-only folder", "", "", "SaveAs", "locked/X.zra", "Save As Failed",
                         "X.zra.\nThe file or its folder is read-only."});
    }
    const CStationData* before = Stations()[0]->m_pStationData;
    const size_t stations = Stations().size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.file.empty())
            std::ofstream(folder + "/" + c.file, std::ios::binary) << c.bytes;
        CScriptedPrompts prompts;
        const std::string command = c.command;
        if (command == "Open") {
            prompts.ExpectMessage("Do you want to save now?", IDNO, "Starting New Area Map");
            prompts.ExpectOpenFile(folder + "/" + c.answer);
        } else if (command == "SaveAs") {
            prompts.ExpectSaveFile(folder + "/" + c.answer);
        }
        prompts.ExpectMessage(c.answer, IDOK, c.caption);
        {
            std::optional<FileSizeLimit> full;
            if (c.sizeLimit)
                full.emplace(c.sizeLimit);
            Run(c.command);
        }
        ASSERT_EQ(prompts.Messages().size(), command == "Open" ? 2u : 1u);
        const std::string shown = prompts.Messages().back().text;
        EXPECT_EQ(shown.substr(shown.size() - std::min(shown.size(), c.says.size())), c.says);
        EXPECT_TRUE(Leftovers(folder).empty());
        EXPECT_FALSE(fs::exists(folder + "/Maps/Full.bmp"));
        EXPECT_FALSE(fs::exists(folder + "/Full.zra"));
        EXPECT_EQ(frame->windowTitle(), "Millbrook");
        EXPECT_EQ(app->PathName(), folder + "/Millbrook.zra");
        EXPECT_STREQ(app->Document()->m_szMapBitmap, "Millbrook_Area.bmp");
        EXPECT_TRUE(app->IsModified());
        EXPECT_EQ(Stations().size(), stations);
        EXPECT_EQ(Stations()[0]->m_pStationData, before);
    }
    EXPECT_EQ(ReadBytes(folder + "/Millbrook.zra"), zra);
    if (geteuid() != 0)
        fs::permissions(folder + "/locked", fs::perms::owner_all);

    // The map-bitmap dialog's Save onto a folder: "File Save Error", no path kept.
    CScriptedPrompts prompts;
    prompts.ExpectMessage("Do you want to save now?", IDNO).ExpectSaveFile(folder + "/Maps/Folder.bmp");
    prompts.ExpectMessage("Folder.bmp", IDOK, "File Save Error").ExpectOpenFile("");
    CModalAnswers answers;
    answers
        .Then(LocateEsriIn(folder + "/Maps/ESRI"))
        .Then(SaveRefusedThenDone);
    Run("New");
    EXPECT_EQ(frame->windowTitle(), "Millbrook");
    EXPECT_EQ(Stations().size(), stations);
    EXPECT_TRUE(app->IsModified());
}

// Shapefiles that do not read: one box naming them and what is wrong, the map made from the rest; Done without Save
// and a cancelled picker change nothing.
TEST_F(VelliskBadInput, ShapefilesThatDoNotReadAreNamedOnceAndLeftOff)
{
    Start();
    OpenFile(folder + "/Millbrook.zra");
    const std::string bad = folder + "/Maps/Bad";
    fs::copy(folder + "/Maps/ESRI", bad);
    const std::string water = ReadBytes(bad + "/millbrook_wat.shp");
    std::ofstream(bad + "/millbrook_wat.shp", std::ios::binary) << water.substr(0, water.size() / 2);
    fs::remove(bad + "/millbrook_lka.shx");

    CScriptedPrompts prompts;
    prompts.ExpectMessage("could not be read", IDOK, "Map Layer Error").ExpectOpenFile("");
    {
        CModalAnswers answers;
        answers
            .Then([&](QDialog& d) {
                GetDlgItem<QLineEdit>(&d, CDialogLocateESRIData::kFolderId)->setText(QString::fromStdString(bad));
                d.accept();
            })
            .Then([](QDialog& d) {
                EXPECT_EQ(static_cast<CDialogAreaMapMO&>(d).Map().Layers().Count(), 3);
                GetDlgItem<QPushButton>(&d, IDOK)->click();
            });
        Run("New");
        EXPECT_EQ(answers.Remaining(), 0u);
    }
    ASSERT_EQ(prompts.Messages().size(), 1u);
    const std::string shown = prompts.Messages()[0].text;
    // Each file named with what is wrong with it, in the editor's words.
    EXPECT_NE(shown.find("millbrook_wat.shp: the file is cut short"), std::string::npos) << shown;
    EXPECT_NE(shown.find("millbrook_lka.shp: its index file millbrook_lka.shx is missing"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("SHAPE_RESTORE_SHX"), std::string::npos) << shown;
    ShowBox(prompts.Messages()[0], "shapefile-error-box.png");
    EXPECT_EQ(frame->windowTitle(), "Millbrook");
    EXPECT_EQ(Stations().size(), 5u);
    EXPECT_FALSE(app->IsModified());
}

// No "GameInfo.txt": one box naming it at start-up; opening a map then fails with its own box, and nothing breaks.
TEST_F(VelliskBadInput, AMissingGameInfoIsReportedOnceAndOpenFails)
{
    CScriptedPrompts prompts;
    prompts.ExpectMessage("GameInfo.txt", IDOK, "Failed to open the game info file.");
    Start(
        false, [](const std::string& folder) { fs::remove(folder + "/GameInfo.txt"); }, false);
    EXPECT_EQ(prompts.Messages().size(), 1u);
    EXPECT_FALSE(Enabled("SaveAs"));
    EXPECT_FALSE(frame->SpriteList()->List()->isEnabled());
    prompts.ExpectOpenFile(folder + "/Millbrook.zra").ExpectMessage("GameInfo.txt", IDOK, "Failed to open file");
    Run("Open");
    EXPECT_EQ(prompts.Messages().size(), 2u);
    EXPECT_EQ(frame->windowTitle(), "Vellisk");
    EXPECT_FALSE(Enabled("SaveAs"));
    Move(QPoint(100, 100));
    QTest::mouseClick(View(), Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseClick(View(), Qt::RightButton, {}, QPoint(100, 100));
    QTest::keyClick(View(), Qt::Key_Escape);
    View()->repaint();
}
