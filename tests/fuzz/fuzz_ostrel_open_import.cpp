// Fuzz target: a ".zre" of arbitrary bytes opened as the events editor's document, then imported into it; a refused
// file must leave the document and the id counters as they were.
#include "editors/events/model/EventsDocument.h"
#include "editors/events/model/EventsModel.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string folder = "/tmp";
    static const std::string path = folder + "/fuzz_ostrel." + std::to_string(::getpid()) + ".zre";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    const CIdCounters start = CIdCounters::Current();
    {
        COstrelDocument document(folder);
        COstrelError error;
        const bool opened = document.Load(path, false, &error);
        const CIdCounters before = CIdCounters::Current();
        const CZREventsData* data = document.GetEventsData();
        const size_t events = data->m_lstEvents.size();
        if (!document.Load(path, true, &error)) {
            const CIdCounters after = CIdCounters::Current();
            if (after.event != before.event || after.trigger != before.trigger || after.zone != before.zone ||
                document.GetEventsData() != data || data->m_lstEvents.size() != events)
                __builtin_trap();
        } else if (opened && data->m_lstEvents.size() < events) {
            __builtin_trap();
        }
        for (const auto& [key, trigger] : data->m_mapArguments)
            if (trigger)
                for (const CZRCondition* condition : trigger->m_vConditions)
                    if (condition)
                        condition->Describe();
    }
    start.Restore();
    std::remove(path.c_str());
    return 0;
}
