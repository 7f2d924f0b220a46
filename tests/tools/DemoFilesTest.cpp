// The demo folder's positional text files read with the patterns the game uses, its cursor and wave files
// checked field by field, and two runs of the generator compared byte for byte.
#include "tests/tools/DemoFolder.h"

#include "core/sound/CSoundManager.h"
#include "core/world/ICSNames.h"

#include <cstdio>
#include <cstring>
#include <map>

using namespace demotest;

namespace {

// A text file opened for scanf-style reading, closed with the object.
struct Text {
    explicit Text(const std::string& relative) : file(std::fopen(DataFile(relative).c_str(), "r")) {}
    ~Text()
    {
        if (file)
            std::fclose(file);
    }
    // One "%[^\n]\n": the rest of the current line.
    void Line()
    {
        char skip[4096];
        [[maybe_unused]] int r = std::fscanf(file, "%4095[^\n]", skip);
        r = std::fscanf(file, "\n");
    }
    FILE* file;
};

// "GameInfo.txt": 17 lines of a file name and a comment.
std::vector<std::string> GameInfoNames()
{
    Text t("GameInfo.txt");
    std::vector<std::string> names;
    char name[512], rest[4096];
    while (t.file && names.size() < 17 && std::fscanf(t.file, "%511s%4095[^\n]\n", name, rest) >= 1)
        names.push_back(name);
    return names;
}

TEST(DemoFiles, GameInfoNamesFilesThatExistWhereTheyAreRead)
{
    ASSERT_TRUE(Made().ok);
    std::vector<std::string> names = GameInfoNames();
    ASSERT_EQ(names.size(), 17u);
    for (size_t i = 0; i < names.size(); ++i) {
        std::string folder = i < 2 ? "Art/" : i == 5 ? "GUI/" : "";
        EXPECT_TRUE(std::filesystem::exists(DataFile(folder + names[i]))) << "line " << i + 1 << ": " << names[i];
    }
    // The same lists the sprite manager opens by fixed name.
    EXPECT_EQ(names[3], "ZR_Unit-Task_List.csv");
    EXPECT_EQ(names[4], "Terrain_Features_List.csv");
    EXPECT_EQ(names[6], "Area_Map_Stations_List.csv");
    // The events editor opens the unit lists by these fixed names: the game's lists serve both.
    const char* editorTables[] = {"Unit_Data_Command.csv", "Unit_data_ops.csv", "unit_data_planning.csv",
                                  "Unit_Data_Logistics.csv", "Unit_Data_Finance.csv"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(names[8 + i], editorTables[i]);
    for (const char* folder : {"ScenarioFromHost/Maps", "GameFromHost", "Saves"})
        EXPECT_TRUE(std::filesystem::is_directory(DataFile(folder))) << folder;
    for (const char* fixed : {"Agency.csv", "Millbrook.csv", "ZR_Vehicle-Task_List.csv", "SpriteModifiers.txt",
                              "Millbrook Scores.csv", "_Scores.csv", "ZR.ini", "Info.txt", "IAP Screen Info.txt",
                              "Terrain Feature CueCard Text.txt", "Art/accid___.ttf"})
        EXPECT_TRUE(std::filesystem::exists(DataFile(fixed))) << fixed;
}

TEST(DemoFiles, ScoreRulesGiveElevenValues)
{
    Text t(GameInfoNames().at(16));
    ASSERT_TRUE(t.file);
    t.Line();
    char a[256], b[256], c[256];
    float value = -1;
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%255[^,],%255[^,],,%f", a, b, c, &value), 4);
    EXPECT_GT(value, 0);
    for (int row = 1; row <= 10; ++row) {
        t.Line();
        value = -1;
        ASSERT_EQ(std::fscanf(t.file, ",,%255[^,],,%f", a, &value), 2) << row;
        EXPECT_GT(value, 0) << a;
    }
}

TEST(DemoFiles, ParametersReadInTheirFixedPositions)
{
    Text t(GameInfoNames().at(15));
    ASSERT_TRUE(t.file);
    char a[256], b[256];
    float f[3];
    int n[3];
    auto skip = [&] { t.Line(), t.Line(); };
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%255[^,],%f", a, b, &f[0]), 3);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%f", b, &f[1]), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%f", b, &f[2]), 2);
    skip();
    EXPECT_GT(f[0], 0);
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%255[^,],%d", a, b, &n[0]), 3);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%d", b, &n[1]), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%d", b, &n[2]), 2);
    skip();
    EXPECT_LT(n[0], n[1]);
    EXPECT_LT(n[1], n[2]);
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%255[^,],%d", a, b, &n[0]), 3); // spread chances
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%d", b, &n[1]), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%d", b, &n[2]), 2);
    skip();
    float wind = 0;
    int burnOut = 0, batch = 0;
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%f", b, &wind), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],,%d", a, &burnOut), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],,%d", a, &batch), 2);
    skip();
    EXPECT_GT(burnOut, 0);
    EXPECT_GT(batch, 0);
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%255[^,],%d", a, b, &n[0]), 3); // object reactions
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%d", b, &n[1]), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%d", b, &n[2]), 2);
    t.Line();
    float spill[4];
    for (float& k : spill) { // each after one dropped line
        t.Line();
        ASSERT_EQ(std::fscanf(t.file, "%255[^,],,%f", a, &k), 2);
        EXPECT_GT(k, 0) << a;
    }
    t.Line();
    float base = 0;
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],,%f", a, &base), 2);
    skip();
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%255[^,],%f", a, b, &f[0]), 3); // spill amounts
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%f", b, &f[1]), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%255[^,],%f", b, &f[2]), 2);
    skip();
    EXPECT_LT(f[0], f[2]);
    float obstruction = 0;
    int flash = 0, lifetime = 0;
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%f", a, &obstruction), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%d", a, &flash), 2);
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, "%255[^,],%d", a, &lifetime), 2);
    skip();
    t.Line();
    EXPECT_GT(obstruction, 0);
    EXPECT_GT(flash, 0);
    EXPECT_GT(lifetime, flash);
    // The terrain table: one row per tile type code, all 256.
    int rows = 0;
    for (; rows < 256; ++rows) {
        int resistance = -1, flow = -1;
        b[0] = '\0';
        if (std::fscanf(t.file, "%255[^,],%255[^,],%d,%d", a, b, &resistance, &flow) != 4)
            break;
        EXPECT_GE(resistance, 0);
        EXPECT_LE(resistance, 100);
        t.Line();
    }
    EXPECT_EQ(rows, 256);
}

// One section's unit list: names in row order.
std::vector<std::string> UnitNames(const std::string& file)
{
    Text t(file);
    std::vector<std::string> names;
    if (!t.file)
        return names;
    t.Line(), t.Line(), t.Line();
    for (int row = 0; row < 28; ++row) {
        char name[260] = "", label[100], note[260];
        int v[7];
        if (std::fscanf(t.file, "%259[^,],%99[^,],%259[^,],%d,%d,%d,%d,%d,%d,%d", name, label, note, &v[0], &v[1],
                        &v[2], &v[3], &v[4], &v[5], &v[6]) != 10)
            break;
        names.push_back(name);
        t.Line();
    }
    return names;
}

TEST(DemoFiles, UnitListsUseTheICSNamesInTableOrder)
{
    std::vector<std::string> info = GameInfoNames();
    ASSERT_EQ(info.size(), 17u);
    std::function<int(const std::string&)> lookups[] = {LookupPositionIndex, LookupOperationsIndex, LookupPlanningIndex,
                                                        LookupLogisticsIndex, LookupFinanceIndex};
    for (int section = 0; section < 5; ++section) {
        std::vector<std::string> names = UnitNames(info[8 + section]);
        ASSERT_FALSE(names.empty()) << info[8 + section];
        for (size_t unit = 0; unit < names.size(); ++unit)
            EXPECT_EQ(lookups[section](names[unit]), static_cast<int>(unit)) << names[unit];
    }
    // The factor file: 28 records per section, each with 18 values, in section order.
    Text t(info[14]);
    ASSERT_TRUE(t.file);
    t.Line(), t.Line(), t.Line();
    for (int record = 0; record < 140; ++record) {
        char name[260], text[260];
        ASSERT_EQ(std::fscanf(t.file, ",%259[^,],%259[^,]", name, text), 2) << record;
        for (int v = 0; v < 18; ++v) {
            float value = -1;
            ASSERT_EQ(std::fscanf(t.file, ",%f", &value), 1) << name;
            EXPECT_GE(value, 0) << name;
        }
        std::vector<std::string> names = UnitNames(info[8 + record / 28]);
        if (static_cast<size_t>(record % 28) < names.size()) {
            EXPECT_EQ(names[record % 28], name);
        }
        t.Line();
    }
}

TEST(DemoFiles, ScoreTableNamesResolveInTheICSTables)
{
    Text t("Millbrook Scores.csv");
    ASSERT_TRUE(t.file);
    t.Line(), t.Line(), t.Line();
    std::function<int(const std::string&)> units[] = {LookupPositionIndex, LookupOperationsIndex, LookupPlanningIndex,
                                                      LookupLogisticsIndex, LookupFinanceIndex};
    char section[260] = "", unit[260], name[260];
    float max = 0, rate = 0, target = 0;
    int deadline = 0, current = -1, rows = 0;
    for (;;) { // unit rows until the unit column is empty
        char s[260] = "";
        unit[0] = '\0';
        [[maybe_unused]] int r = std::fscanf(t.file, ",%259[^,]", s);
        if (s[0])
            std::strcpy(section, s);
        if (std::fscanf(t.file, ",%259[^,],%f,,%d,%f", unit, &max, &deadline, &rate) != 4)
            break;
        if (s[0])
            current = LookupSectionIndex(section);
        ASSERT_GE(current, 0) << section;
        EXPECT_GE(units[current](unit), 0) << section << " / " << unit;
        ++rows;
        t.Line();
    }
    EXPECT_GT(rows, 20);
    t.Line();
    auto facilities = [&](int expected) {
        int count = 0;
        for (;;) {
            char s[260];
            name[0] = '\0';
            [[maybe_unused]] int r = std::fscanf(t.file, ",%259[^,]", s);
            if (std::fscanf(t.file, ",%259[^,],%f,,%d,%f", name, &max, &deadline, &rate) != 4)
                break;
            EXPECT_GE(LookupFacilityIndex(name), 0) << name;
            ++count;
            t.Line();
        }
        t.Line();
        EXPECT_EQ(count, expected);
    };
    facilities(3);
    ASSERT_EQ(std::fscanf(t.file, ",%259[^,],,%f,,%f", name, &max, &target), 3);
    EXPECT_STREQ(name, "IAP");
    t.Line();
    ASSERT_EQ(std::fscanf(t.file, ",%259[^,],,%f", name, &max), 2);
    EXPECT_STREQ(name, "Demobilization");
    t.Line(), t.Line();
    auto decay = [&](const char* expected) {
        char first[260] = "";
        int allowance = -1;
        name[0] = '\0';
        if (std::fscanf(t.file, ",%259[^,],%259[^,],%f", first, name, &max) != 3) {
            ASSERT_EQ(std::fscanf(t.file, ",%259[^,],%f", name, &max), 2) << expected;
        }
        ASSERT_EQ(std::fscanf(t.file, ",,%d", &allowance), 1) << expected;
        ASSERT_EQ(std::fscanf(t.file, ",%f", &rate), 1) << expected;
        EXPECT_STREQ(name, expected);
        t.Line();
    };
    auto ratio = [&](const char* expected) {
        ASSERT_EQ(std::fscanf(t.file, ",,%259[^,],%f", name, &max), 2) << expected;
        EXPECT_STREQ(name, expected);
    };
    for (const char* n : {"Fire Containment", "Chemical Containment", "Fire Remaining", "Chemical Sources Remaining",
                          "Chemical Remaining", "Bombs Remaining", "Explosions", "Rubble"})
        decay(n);
    for (const char* n : {"Gas Hazards Cleared", "Electrical Hazards Cleared", "Water Hazards Cleared"}) {
        ratio(n);
        t.Line();
    }
    ratio("Debris Cleared");
    t.Line(), t.Line();
    for (const char* n : {"Civilian Fatalities", "Responder Fatalities", "Assaults"})
        decay(n);
    facilities(2);
    decay("Casualty Center Usage");
    decay("Threats Subdued"); // its rest of line, then the one free line
    t.Line();
    facilities(1);
    for (const char* n : {"Media Center Usage", "Media Annoyance", "Media Infiltration"})
        decay(n);
}

TEST(DemoFiles, EveryCursorIsAThirtyTwoPixelCursorWithItsHotSpot)
{
    // Set 0: "target" and the nineteen order cursors; sets 1 and 2 their "Danger" and "Prohibited" forms.
    const char* orders[] = {"SquadMove",     "VehicleMove",  "GetInVehicle", "Assault",       "DefuseBomb",
                            "RepairUtility", "ClearDebris",  "FightFire",    "ContainHazard", "GiveAid",
                            "Supervise",     "DirectSelect", "DirectTarget", "Perimeter",     "Evacuation",
                            "Escort",        "Tow",          "Search",       "Negotiate"};
    std::vector<std::string> names{"target"};
    for (const char* suffix : {"", "Danger", "Prohibited"})
        for (const char* o : orders)
            names.push_back(std::string(o) + suffix);
    ASSERT_EQ(names.size(), 58u);
    for (const std::string& n : names) {
        std::vector<uint8_t> b = ReadBytes(DataFile("GUI/" + n + ".cur"));
        ASSERT_GT(b.size(), 22u) << n;
        EXPECT_EQ(U16(b, 0), 0u) << n;
        EXPECT_EQ(U16(b, 2), 2u) << n; // a cursor
        EXPECT_EQ(U16(b, 4), 1u) << n;
        EXPECT_EQ(b[6], 32) << n;
        EXPECT_EQ(b[7], 32) << n;
        uint32_t size = U32(b, 14), offset = U32(b, 18);
        EXPECT_EQ(offset + size, b.size()) << n;
        EXPECT_EQ(U32(b, offset), 40u) << n;     // BITMAPINFOHEADER
        EXPECT_EQ(U32(b, offset + 8), 64u) << n; // colour and mask rows
        EXPECT_LT(U16(b, 10), 32u) << n;         // hot spot inside
        EXPECT_LT(U16(b, 12), 32u) << n;
    }
}

TEST(DemoFiles, SoundsAreShortMonoWaves)
{
    for (int i = 0; i < CSoundManager::kSoundCount; ++i) {
        std::vector<uint8_t> b = ReadBytes(DataFile(std::string("Sounds/") + g_aszSoundFiles[i]));
        ASSERT_GT(b.size(), 44u) << g_aszSoundFiles[i];
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
        EXPECT_EQ(U16(b, 20), 1u);  // PCM
        EXPECT_EQ(U16(b, 22), 1u);  // mono
        EXPECT_EQ(U16(b, 34), 16u); // 16 bits
        uint32_t seconds = U32(b, 40) / U32(b, 28);
        EXPECT_LT(seconds, 3u) << g_aszSoundFiles[i];
    }
}

TEST(DemoFiles, TwoRunsMakeTheSameBytes)
{
    TempFolder other;
    demo::Output record("");
    ASSERT_TRUE(demo::MakeDemoData(ZR_DEMO_SOURCES, other.Path(), &record));
    ASSERT_EQ(record.Files(), Made().record.Files());
    for (const std::string& f : record.Files())
        EXPECT_TRUE(ReadBytes(other.File(f)) == ReadBytes(DataFile(f))) << f;
}

} // namespace
