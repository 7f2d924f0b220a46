// Ostrel's document: the one events data object being edited, its path, the reference lists and ICS unit tables
// the dialogs fill their lists from, and the ".zre" file operations.
#pragma once

#include "core/events/ZREventsData.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CSpriteManager;

// The five ICS unit tables: Command, Operations, Planning, Logistics, Finance/Admin.
constexpr int kUnitSections = 5;
constexpr std::array<int, kUnitSections> kUnitTableSizes = {8, 17, 5, 9, 4};
// Their files in the start folder, in section order.
extern const std::array<const char*, kUnitSections> kUnitTableFiles;

// The reference lists loaded with every new or opened document (names relative to the data folder).
extern const char* const kUnitTaskList;
extern const char* const kFeatureList;
extern const char* const kStationList;
extern const char* const kVehicleTaskList;
extern const char* const kDefaultAgencyList;

// What a failed file operation reports to the user: a box with this text and caption.
struct COstrelError {
    std::string text;
    std::string caption;
};

class COstrelDocument {
public:
    // An empty document over the data folder `startFolder` (reference lists and unit tables are read from it). The
    // reference lists of a new document are loaded at once; the unit tables by LoadUnitTables.
    explicit COstrelDocument(std::string startFolder);
    ~COstrelDocument();
    COstrelDocument(const COstrelDocument&) = delete;
    COstrelDocument& operator=(const COstrelDocument&) = delete;

    // The events data being edited; never null.
    CZREventsData* GetEventsData() const { return m_pEventsData.get(); }
    // The reference lists (agencies, unit, feature, station and vehicle templates); never null.
    CSpriteManager* GetSpriteManager() const { return m_pSprites.get(); }
    const std::string& GetStartFolder() const { return m_strStartFolder; }

    // The current file ("" while untitled) and its file name without folder.
    const std::string& GetPath() const { return m_strPath; }
    std::string GetFileTitle() const;
    bool IsModified() const { return m_pEventsData->m_bModified; }
    void SetModified(bool modified = true) { m_pEventsData->m_bModified = modified; }

    // Reads the five unit tables from the start folder; returns the paths of the tables that did not open.
    std::vector<std::string> LoadUnitTables();
    // Reads one unit table from `path` into `table` (sized to the section); false when the file does not open.
    static bool ReadUnitTable(const std::string& path, std::vector<std::string>* table);
    // The name of unit `index` of section 0-4; "" outside a section or past its table.
    std::string GetUnitName(int32_t section, int32_t index) const;
    const std::vector<std::string>& GetUnitTable(int32_t section) const;

    // The name of the first event with that id, "" when none.
    std::string GetEventName(int32_t eventId) const;
    // Makes the conditions' program lookups (unit names, event names, zones) read this document.
    void InstallConditionHooks() const;

    // A new, untitled, empty document: fresh events data and reference lists; the path is emptied.
    void New();
    // Opens `path` as the document (import false) or merges it into the current one (import true). On failure
    // nothing changes (data, path, modified flag, id counters) and `error` says why. A file whose damaged parts
    // were skipped loads with `warning` set to what was dropped, and the document is marked modified.
    bool Load(const std::string& path, bool import, COstrelError* error, std::string* warning = nullptr);
    // Writes the events data to `path` through a temporary; on success the modified flag clears and, when
    // `takePath`, the path becomes the document's. On failure nothing on disk or in the document changes.
    bool Save(const std::string& path, bool takePath, COstrelError* error);

private:
    void LoadReferenceLists(const std::string& agencyList);

    std::string m_strStartFolder;
    std::string m_strPath;
    std::unique_ptr<CZREventsData> m_pEventsData;
    std::unique_ptr<CSpriteManager> m_pSprites;
    std::array<std::vector<std::string>, kUnitSections> m_astrUnitNames;
    mutable bool m_bHooksInstalled = false;
};

// The agency list a ".zre" file names: its file name after the last '/' or '\', cut at its last '.', plus ".csv"
// ("C:\scen\Flood.zre" gives "Flood.csv", "x.y.zre" gives "x.y.csv", "Flood" gives "Flood.csv").
std::string AgencyListNameFor(const std::string& path);
