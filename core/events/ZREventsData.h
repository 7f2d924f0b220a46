// A scenario's script: its zones, events and triggers, start and end time and intro text.
#pragma once

#include "core/events/TacticalMapZone.h"
#include "core/events/ZRArgument.h"
#include "core/events/ZREvent.h"
#include "core/persist/QFArchive.h"

#include <cstdint>
#include <list>
#include <map>
#include <string>
#include <vector>

class CZREventsData : public QFSerializeBase {
    QF_DECLARE_SERIAL(CZREventsData)
public:
    CZREventsData() = default;
    ~CZREventsData() override;
    CZREventsData(const CZREventsData&) = delete;
    CZREventsData& operator=(const CZREventsData&) = delete;

    // The first trigger, in key order, whose own id is `id`; null when none.
    CZRArgument* FindArgument(uint32_t id) const;

    // Raises the zone, trigger and event id counters past the largest id (or trigger key) this script holds, so
    // that no new object takes an id in use; ids of -1 ("none") are left out. A load does it for the stored
    // counters; counters already past every id stay as they are.
    void RaiseIdSources() const;

    // Stores or loads the whole script. A load that skipped something (a null zone, event, trigger or
    // condition, a repeated trigger key) keeps the rest, returns false and lists what in GetLoadProblems.
    bool Serialize(QFArchive* archive) override;
    const std::vector<std::string>& GetLoadProblems() const { return m_vLoadProblems; }

    std::vector<CTacticalMapZone*> m_vZones;         // owned
    std::list<CZREvent*> m_lstEvents;                // owned, in file order
    std::map<uint32_t, CZRArgument*> m_mapArguments; // owned, keyed by trigger id
    std::string m_strOriginalScenarioTitle;
    std::string m_strIntroText;
    int32_t m_nGameStartTime = 0; // HHMM
    int32_t m_nGameEndTime = 400; // HHMM
    bool m_bModified = false;     // not stored

private:
    void DeleteContents();
    void LoadZones(QFArchive* archive);
    void LoadEvents(QFArchive* archive);
    void LoadArguments(QFArchive* archive);

    std::vector<std::string> m_vLoadProblems;
    // Triggers displaced by a repeated key. The archive may still hand them out by id until its document
    // ends, so they are deleted with this object (or at its next load), not at once.
    std::vector<CZRArgument*> m_vDisplaced;
};
