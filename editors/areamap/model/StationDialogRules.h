// The station details dialog's rules without its widgets: what each list holds and selects, and the new
// station data built from the controls on OK.
#pragma once

#include "editors/areamap/model/EsriData.h"

#include "core/world/StationData.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class CSpriteManager;

namespace vellisk {

constexpr int kStationLines = CStationData::kResourceSlots;

// One list entry: its text and its item data.
struct CListEntry {
    std::string text;
    int data = 0;
};

// The agency list: the empty entry (data 0), then every agency of the sprite manager's agency map in row order
// but "Civs" and "Threat" kinds, data = its row. Only the empty entry without a sprite manager.
std::vector<CListEntry> AgencyEntries(const CSpriteManager* sprites);
// The index of the entry of that agency row, or 0 (the empty entry) when it is not listed.
int AgencySelection(const std::vector<CListEntry>& entries, int agencyRow);
// The agency kind of a row of the agency map, -1 when the row is not there.
int AgencyKindOfRow(const CSpriteManager* sprites, int agencyRow);

// The squad-type list of a kind: the empty entry (data -1), then each named unit template of that kind in
// template order, data = its index.
std::vector<CListEntry> SquadTypeEntries(const CSpriteManager* sprites, int kind);
// The entry whose template name equals `name` ignoring case (the last such wins), or 0.
int SquadTypeSelection(const std::vector<CListEntry>& entries, const std::string& name);

// "At station" (0) and "On call" (1).
std::vector<CListEntry> DutyEntries();
// "Primary Service": the nine kind names.
std::vector<CListEntry> KindEntries();

// A number field: digits only, read as an integer; anything else (or nothing) reads 0.
int ReadNumberText(const std::string& text);

// What the dialog shows for one resource line when it opens.
struct CStationLineView {
    std::vector<CListEntry> agencies;
    int agency = 0;
    std::vector<CListEntry> squadTypes;
    int squadType = 0;
    int duty = 0;
    std::string number; // empty without a resource
};

struct CStationDialogView {
    std::string name;
    int kind = 0;
    std::string minutes;
    CStationLineView lines[kStationLines];
};

CStationDialogView StationDialogView(const CStationData& station, const CSpriteManager* sprites);

// The controls on OK: the list indices selected (-1 none) and the texts.
struct CStationLineInput {
    int agency = -1;
    int squadType = -1;
    int duty = -1;
    std::string number;
};

struct CStationDialogInput {
    std::string name;
    std::string minutes;
    CStationLineInput lines[kStationLines];
    // The lists as they stand (each line's squad types may have been refilled by an agency change).
    std::vector<CListEntry> agencies[kStationLines];
    std::vector<CListEntry> squadTypes[kStationLines];
};

// A complete line as a resource; nothing for an incomplete one.
std::optional<CStationResource> ReadStationLine(const CStationDialogInput& input, int line,
                                                const CSpriteManager* sprites);

// OK: the new station data (name, travel time, the complete lines packed from slot 0, and the old station's
// route, kind and agency index), or null with the refusal to show (an empty name, a travel time below 1).
std::unique_ptr<CStationData> BuildStationData(const CStationDialogInput& input, const CStationData& old,
                                               const CSpriteManager* sprites, CUserMessage* refusal);

} // namespace vellisk
