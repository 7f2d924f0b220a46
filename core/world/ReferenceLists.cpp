// The six reference lists read into the sprite manager: agencies, units, features, stations, vehicles, modifiers.
#include "core/display/CDisplay.h"
#include "core/persist/DataRange.h"
#include "core/world/SpriteManager.h"
#include "core/world/StationData.h"
#include "core/world/UnitTaskRecord.h"
#include "core/world/WorldContext.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

// Field-by-field reading of a comma-separated row; every text field is bounded to its 260-character buffer.
class CsvRow {
public:
    explicit CsvRow(FILE* file, const std::string& path = "") : m_file(file), m_range(path) {}

    // Text up to the next comma (or line end); longer text is cut and the rest skipped.
    void Text(char (&out)[260])
    {
        ++m_nColumn;
        out[0] = '\0';
        Check(std::fscanf(m_file, "%259[^,\r\n]", out));
        Check(std::fscanf(m_file, "%*[^,\r\n]"));
        Comma();
    }
    // Numbers stop at the end of their line: a short row keeps the defaults of its missing fields instead of
    // taking the next row's numbers ("%d" alone would skip the line end).
    // Old behaviour: numbers were taken without range; every one is now bounded (counts, ids and sizes within
    // a million, rates and amounts finite as well, percentages 0 to 100) and a value outside is reported.
    int Int(int value = 0)
    {
        ++m_nColumn;
        if (!AtLineEnd())
            Check(std::fscanf(m_file, "%d", &value));
        Comma();
        return m_range.Int(m_nLine, Field().c_str(), value, -kBound, kBound);
    }
    float Float(float value = 0.0f)
    {
        ++m_nColumn;
        if (!AtLineEnd())
            Check(std::fscanf(m_file, "%f", &value));
        Comma();
        return m_range.Float(m_nLine, Field().c_str(), value, -kBound, kBound, 0.0f);
    }
    // A number followed by a percent sign.
    int Percent(int value = 0)
    {
        ++m_nColumn;
        if (!AtLineEnd())
            Check(std::fscanf(m_file, "%d%%", &value));
        Comma();
        return m_range.Int(m_nLine, Field().c_str(), value, 0, 100);
    }
    // The rest of the line and the line end.
    void SkipLine()
    {
        int c;
        while ((c = std::fgetc(m_file)) != EOF && c != '\n') {
        }
        ++m_nLine;
        m_nColumn = 0;
    }
    bool AtEnd() { return std::feof(m_file) != 0; }

private:
    void Comma() { Check(std::fscanf(m_file, ",")); }
    // Skips blanks and tabs; true when the line (or the file) ends there, with the line end left unread.
    bool AtLineEnd()
    {
        int c;
        while ((c = std::fgetc(m_file)) == ' ' || c == '\t') {
        }
        if (c == EOF)
            return true;
        std::ungetc(c, m_file);
        return c == '\n' || c == '\r';
    }
    // A field that does not match keeps its default; the row reading goes on.
    static void Check(int) {}
    std::string Field() const { return "column " + std::to_string(m_nColumn); }
    static constexpr int32_t kBound = 1000000;
    FILE* m_file;
    CListRange m_range;
    int m_nLine = 1;
    int m_nColumn = 0;
};

FILE* OpenList(const std::string& path, bool report)
{
    FILE* file = platform::OpenFile(path, "r");
    if (!file && report)
        platform::ShowMessageBox(path, "Failed to open file", platform::MessageIcon::Error);
    return file;
}

void SkipHeader(CsvRow& row, int lines)
{
    for (int i = 0; i < lines; ++i)
        row.SkipLine();
}

double Percentage(float value)
{
    return value * 0.01;
}
} // namespace

std::string CSpriteManager::AgencyFileFor(const std::string& scenarioName)
{
    if (scenarioName.empty())
        return "Agency.csv";
    // A name shorter than its extension gets ".csv" added.
    if (scenarioName.size() < 4)
        return scenarioName + ".csv";
    return scenarioName.substr(0, scenarioName.size() - 4) + ".csv";
}

// ---- agency list ----

void CSpriteManager::ReadAgencyList(FILE* file)
{
    CsvRow row(file);
    m_mapAgencies.clear();
    SkipHeader(row, 1);
    for (int index = 0; !row.AtEnd(); ++index) {
        char name[260];
        char kind[260];
        row.Text(name);
        if (name[0] == '\0')
            break;
        row.Text(kind);
        row.SkipLine();
        CAgencyRecord record;
        // A kind that matches none of the nine keeps its row (indexes stay aligned) but is marked unknown (-1).
        record.m_nKind = AgencyKindIndex(kind);
        CopyName(record.m_szName, sizeof(record.m_szName), name);
        m_mapAgencies[index] = record;
    }
}

bool CSpriteManager::LoadAgencyList(const std::string& path)
{
    FILE* file = OpenList(path, false);
    if (!file) {
        std::string fallback = platform::JoinPath(m_strDataFolder, "Agency.csv");
        file = OpenList(fallback, false);
        if (!file) {
            platform::ShowMessageBox(path, "Failed to open file", platform::MessageIcon::Error);
            return false;
        }
    }
    ReadAgencyList(file);
    std::fclose(file);
    return true;
}

// ---- unit and vehicle lists ----

void CSpriteManager::ReadUnitList(FILE* file, int kind, const std::string& path)
{
    CsvRow row(file, path);
    TemplateSet& set = Fresh(kind);
    SkipHeader(row, 3);
    while (set.count < kMaxTemplates) {
        char skip[260], kindName[260], name[260], text[260];
        CUnitTaskRecord r;
        row.Text(skip);
        row.Text(kindName);
        row.Text(name);
        if (name[0] == '\0')
            break;
        r.m_nAgencyKind = AgencyKindIndex(kindName);
        if (kind == kUnitSprite) {
            row.Text(text);
            CopyName(r.m_szCarrierName, sizeof(r.m_szCarrierName), text);
            r.m_fCostRate = static_cast<float>(row.Float() * (1.0 / 1800.0));
            r.m_fListValue6 = row.Float();
            r.m_fMaxHealth = row.Float();
            r.m_nDamageLow = row.Int();
            r.m_nDamageHigh = row.Int();
            r.m_nPersons = row.Int();
            row.Text(text);
            CopyName(r.m_szListText11, sizeof(r.m_szListText11), text);
            r.m_nResourceCost = row.Int();
            r.m_fMaxFatigue = row.Float();
            r.m_nInfoEntry = row.Int();
            float* abilities[15] = {&r.m_fSpeed,         &r.m_fAssault,    &r.m_fPerimeter,   &r.m_fEvacuate,
                                    &r.m_fSearchForBomb, &r.m_fFirstAid,   &r.m_fClearDebris, &r.m_fFightFire,
                                    &r.m_fFightHazard,   &r.m_fDefuseBomb, &r.m_fNegotiate,   &r.m_fDirect,
                                    &r.m_fUtilityWork,   &r.m_fEscort,     &r.m_fSupervise};
            for (float* a : abilities)
                *a = row.Float();
            for (float* a : {&r.m_fSearchForBomb, &r.m_fFirstAid, &r.m_fFightFire, &r.m_fFightHazard, &r.m_fDefuseBomb})
                *a = static_cast<float>(Percentage(*a));
        } else {
            r.m_fCostRate = static_cast<float>(row.Float() * (1.0 / 1800.0));
            r.m_nCapacity = row.Int();
            r.m_fMaxHealth = row.Float();
            r.m_nInfoEntry = row.Int();
            r.m_fSpeed = row.Float();
            for (float* a : {&r.m_fFightFire, &r.m_fClearDebris, &r.m_fEvacuate, &r.m_fPerimeter, &r.m_fSearchForBomb,
                             &r.m_fFirstAid, &r.m_fFightHazard, &r.m_fUtilityWork})
                *a = static_cast<float>(Percentage(row.Float()));
            r.m_nDetectionRange = row.Int();
        }
        row.SkipLine();
        CSprite& t = set.sprites[set.count];
        t.SetupUnitTemplate(set.count, name, r, kind, AgencyKindName(r.m_nAgencyKind), m_strDataFolder, m_pDisplay);
        ++set.count;
    }
}

bool CSpriteManager::LoadUnitList(const std::string& path)
{
    FILE* file = OpenList(path, true);
    if (!file)
        return false;
    ReadUnitList(file, kUnitSprite, path);
    std::fclose(file);
    return true;
}

bool CSpriteManager::LoadVehicleList(const std::string& path)
{
    FILE* file = OpenList(path, true);
    if (!file)
        return false;
    ReadUnitList(file, kVehicleSprite, path);
    std::fclose(file);
    return true;
}

// ---- terrain features ----

void CSpriteManager::ReadFeatureList(FILE* file, const std::string& path)
{
    CsvRow row(file, path);
    TemplateSet& set = Fresh(kFeatureSprite);
    m_nWaypointMarkerTemplate = -1;
    SkipHeader(row, 3);
    while (set.count < kMaxTemplates) {
        char skip[260], name[260], bitmap[260];
        row.Text(skip);
        row.Text(name);
        if (name[0] == '\0')
            break;
        row.Text(bitmap);
        int column4 = row.Int();
        int column5 = row.Int();
        int depth = row.Int();
        int alpha = row.Percent();
        int visibility = row.Int();
        int option0 = row.Int();
        int option1 = row.Int();
        int optionType = row.Int();
        // An empty linked-template or cycle-group column means none.
        int column12 = row.Int(-1);
        int column13 = row.Int(-1);
        int structure = row.Int();
        row.SkipLine();
        if (column4 > 0)
            column4 -= 4;
        if (visibility > 0)
            visibility -= 4;
        if (strcasecmp(name, "Waypoint Marker") == 0)
            m_nWaypointMarkerTemplate = set.count;
        CSprite& t = set.sprites[set.count];
        t.SetupFeatureTemplate(set.count, name, bitmap, depth, alpha, visibility, option0, option1, optionType, column4,
                               column5, column12, column13, m_strDataFolder, m_pDisplay);
        if (structure != 0)
            t.m_Placement.Flags |= kSpriteStructure;
        ++set.count;
    }
}

bool CSpriteManager::LoadFeatureList(const std::string& path)
{
    FILE* file = OpenList(path, true);
    if (!file)
        return false;
    ReadFeatureList(file, path);
    std::fclose(file);
    return true;
}

// ---- stations ----

void CSpriteManager::ReadStationList(FILE* file, const std::string& path)
{
    CsvRow row(file, path);
    TemplateSet& set = Fresh(kStationSprite);
    m_nIncidentSiteTemplate = -1;
    SkipHeader(row, 3);
    while (set.count < kMaxTemplates) {
        char skip[260], kindName[260], name[260], bitmap[260];
        row.Text(skip);
        row.Text(kindName);
        row.Text(name);
        if (name[0] == '\0')
            break;
        row.Text(bitmap);
        int depth = row.Int();
        int alpha = row.Percent(0);
        int visibility = row.Int(-1);
        int option0 = row.Int();
        int option1 = row.Int();
        int optionType = row.Int();
        int infoPage = row.Int();
        row.SkipLine();
        if (visibility > 0)
            visibility -= 4;
        CStationData station;
        station.m_nStationKind = AgencyKindIndex(kindName);
        station.m_nInfoPage = infoPage;
        if (station.m_nStationKind == 7)
            m_nIncidentSiteTemplate = set.count;
        CSprite& t = set.sprites[set.count];
        t.SetupStationTemplate(set.count, name, bitmap, depth, alpha, visibility, option0, option1, optionType, station,
                               m_strDataFolder, m_pDisplay);
        ++set.count;
    }
}

bool CSpriteManager::LoadStationList(const std::string& path)
{
    FILE* file = OpenList(path, true);
    if (!file)
        return false;
    ReadStationList(file, path);
    std::fclose(file);
    return true;
}

// ---- sprite modifiers ----

void CSpriteManager::ReadModifierNames(FILE* file, std::string names[2 * kModifierCount])
{
    CsvRow row(file);
    for (int i = 0; i < 2 * kModifierCount; ++i) {
        char name[260] = {};
        [[maybe_unused]] int r = std::fscanf(file, "%259[^\r\n]", name);
        row.SkipLine();
        names[i] = name;
    }
}

bool CSpriteManager::LoadModifiers(const std::string& path)
{
    FILE* file = OpenList(path, true);
    if (!file)
        return false;
    std::string names[2 * kModifierCount];
    ReadModifierNames(file, names);
    std::fclose(file);
    FreeModifiers();
    if (!m_pDisplay)
        return true;
    for (int i = 0; i < 2 * kModifierCount; ++i) {
        if (names[i].empty())
            continue; // a short list: the missing lines name no bitmap
        int width = 0;
        int height = 0;
        std::string bitmap = platform::JoinPath(platform::JoinPath(m_strDataFolder, "Sprites"), names[i]);
        CSurface* surface = m_pDisplay->BitmapToSurface(bitmap, &width, &height, true);
        if (!surface)
            continue;
        uint32_t magenta = m_pDisplay->ColorMatch(surface, RGB(255, 0, 255));
        DDCOLORKEY key{magenta, magenta};
        surface->SetColorKey(DDCKEY_SRCBLT, &key);
        m_apModifierSurfaces[i % 2][i / 2] = surface;
    }
    return true;
}

bool CSpriteManager::LoadReferenceLists(const std::string& dataFolder, const std::string& agencyFile, CDisplay* display)
{
    m_strDataFolder = dataFolder;
    m_pDisplay = display;
    auto path = [&](const char* name) { return platform::JoinPath(dataFolder, name); };
    // A scenario named with a full path has its agency list beside it.
    std::string agencyPath = !agencyFile.empty() && agencyFile[0] == '/' ? agencyFile : path(agencyFile.c_str());
    bool ok = LoadAgencyList(agencyPath) && LoadUnitList(path("ZR_Unit-Task_List.csv")) &&
              LoadFeatureList(path("Terrain_Features_List.csv")) &&
              LoadStationList(path("Area_Map_Stations_List.csv")) && LoadVehicleList(path("ZR_Vehicle-Task_List.csv"));
    LoadModifiers(path("SpriteModifiers.txt"));
    return ok;
}

bool CSpriteManager::LoadLists(const std::string& unitList, const std::string& featureList,
                               const std::string& stationList, const std::string& vehicleList,
                               const std::string& agencyList)
{
    const CWorldContext& context = WorldContext();
    m_strDataFolder = context.m_strDataFolder;
    if (context.m_pDisplay)
        m_pDisplay = context.m_pDisplay;
    auto path = [&](const std::string& name) { return platform::JoinPath(m_strDataFolder, name); };
    return LoadAgencyList(path(agencyList)) && LoadUnitList(path(unitList)) && LoadFeatureList(path(featureList)) &&
           LoadStationList(path(stationList)) && LoadVehicleList(path(vehicleList));
}
