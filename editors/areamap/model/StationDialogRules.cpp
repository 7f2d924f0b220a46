// Station details: list contents and selections, number fields, and the station data OK builds.
#include "editors/areamap/model/StationDialogRules.h"

#include "core/world/ICSNames.h"
#include "core/world/SpriteManager.h"
#include "core/world/UnitTaskRecord.h"

#include <cctype>
#include <climits>
#include <strings.h>

namespace vellisk {

std::vector<CListEntry> AgencyEntries(const CSpriteManager* sprites)
{
    std::vector<CListEntry> entries{{"", 0}};
    if (!sprites)
        return entries;
    for (const auto& [row, agency] : sprites->GetAgencies())
        if (agency.m_nKind != 5 && agency.m_nKind != 6)
            entries.push_back({agency.m_szName, row});
    return entries;
}

int AgencySelection(const std::vector<CListEntry>& entries, int agencyRow)
{
    for (size_t i = 1; i < entries.size(); ++i)
        if (entries[i].data == agencyRow)
            return static_cast<int>(i);
    return 0;
}

int AgencyKindOfRow(const CSpriteManager* sprites, int agencyRow)
{
    if (!sprites)
        return -1;
    auto it = sprites->GetAgencies().find(agencyRow);
    return it == sprites->GetAgencies().end() ? -1 : it->second.m_nKind;
}

std::vector<CListEntry> SquadTypeEntries(const CSpriteManager* sprites, int kind)
{
    std::vector<CListEntry> entries{{"", -1}};
    if (!sprites)
        return entries;
    const CSprite* units = sprites->GetTemplates(kUnitSprite);
    for (int i = 0; units && i < sprites->GetTemplateCount(kUnitSprite); ++i) {
        const CSprite& t = units[i];
        if (t.m_pUnitTask && t.m_pUnitTask->m_nAgencyKind == kind && t.m_szName[0])
            entries.push_back({t.m_szName, i});
    }
    return entries;
}

int SquadTypeSelection(const std::vector<CListEntry>& entries, const std::string& name)
{
    int selected = 0;
    for (size_t i = 1; i < entries.size(); ++i)
        if (!name.empty() && strcasecmp(entries[i].text.c_str(), name.c_str()) == 0)
            selected = static_cast<int>(i);
    return selected;
}

std::vector<CListEntry> DutyEntries()
{
    return {{"At station", 0}, {"On call", 1}};
}

std::vector<CListEntry> KindEntries()
{
    std::vector<CListEntry> entries;
    for (int k = 0; k < kAgencyNameCount; ++k)
        entries.push_back({AgencyKindName(k), 0});
    return entries;
}

int ReadNumberText(const std::string& text)
{
    if (text.empty())
        return 0;
    long long value = 0;
    for (unsigned char c : text) {
        if (!std::isdigit(c))
            return 0;
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    return static_cast<int>(value);
}

CStationDialogView StationDialogView(const CStationData& station, const CSpriteManager* sprites)
{
    CStationDialogView view;
    view.name = station.m_szName;
    view.kind = station.m_nStationKind;
    view.minutes = std::to_string(station.m_nMinutesToSite);
    for (int n = 0; n < kStationLines; ++n) {
        CStationLineView& line = view.lines[n];
        const CStationResource* r = station.GetResource(n);
        line.agencies = AgencyEntries(sprites);
        int kind = -1;
        if (r) {
            line.number = std::to_string(r->m_nResCount);
            // An agency row the list does not hold leaves the line's kind unknown (no squad types).
            kind = AgencyKindOfRow(sprites, r->m_AgencyIndex);
            line.agency = kind >= 0 ? AgencySelection(line.agencies, r->m_AgencyIndex) : 0;
            line.duty = r->m_bOnCall == 1 ? 1 : 0;
        }
        line.squadTypes = SquadTypeEntries(sprites, kind);
        line.squadType = r ? SquadTypeSelection(line.squadTypes, r->m_szName) : 0;
    }
    return view;
}

std::optional<CStationResource> ReadStationLine(const CStationDialogInput& input, int line,
                                                const CSpriteManager* sprites)
{
    if (line < 0 || line >= kStationLines || !sprites)
        return std::nullopt;
    const CStationLineInput& in = input.lines[line];
    const auto& agencies = input.agencies[line];
    const auto& squads = input.squadTypes[line];
    if (in.agency <= 0 || in.agency >= static_cast<int>(agencies.size()) || in.squadType <= 0 ||
        in.squadType >= static_cast<int>(squads.size()))
        return std::nullopt;
    const int index = squads[static_cast<size_t>(in.squadType)].data;
    if (index < 0 || index >= sprites->GetTemplateCount(kUnitSprite))
        return std::nullopt;
    const CSprite& unit = sprites->GetTemplates(kUnitSprite)[index];
    CStationResource r;
    r.m_AgencyIndex = agencies[static_cast<size_t>(in.agency)].data;
    // The whole template name: the game finds the unit by it.
    CopyName(r.m_szName, CStationResource::kNameSize, unit.m_szName);
    r.m_nAgencyKind = unit.m_pUnitTask ? unit.m_pUnitTask->m_nAgencyKind : 0;
    r.m_bOnCall = in.duty == 1 ? 1 : 0;
    r.m_nResCount = ReadNumberText(in.number);
    r.m_nAvailable = r.m_nResCount;
    return r;
}

std::unique_ptr<CStationData> BuildStationData(const CStationDialogInput& input, const CStationData& old,
                                               const CSpriteManager* sprites, CUserMessage* refusal)
{
    if (input.name.empty()) {
        if (refusal)
            *refusal = {"Every station must have a name.", "Station Name Error", platform::MessageIcon::Warning};
        return nullptr;
    }
    // The game divides the route's length by the travel time.
    const int minutes = ReadNumberText(input.minutes);
    if (minutes < 1) {
        if (refusal)
            *refusal = {"The travel time must be at least 1 minute.", "Station Travel Time Error",
                        platform::MessageIcon::Warning};
        return nullptr;
    }
    auto data = std::make_unique<CStationData>();
    data->SetName(input.name.c_str());
    data->m_nMinutesToSite = minutes;
    for (int n = 0; n < kStationLines; ++n)
        if (auto r = ReadStationLine(input, n, sprites))
            data->AddResource(*r);
    data->SetWaypoints(old.m_pptWaypoints);
    data->m_nStationKind = old.m_nStationKind;
    data->m_AgencyIndex = old.m_AgencyIndex;
    return data;
}

} // namespace vellisk
