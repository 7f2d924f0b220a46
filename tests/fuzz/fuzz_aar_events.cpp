// Reads arbitrary bytes as a "ZR-Log.txt" sent by a host: the lists stay within their bounds.
#include "game/app/MessageLog.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CMessageLog log;
    log.LoadAAREventsFromText(std::string(reinterpret_cast<const char*>(data), size));
    if (log.m_messages.Count() >= static_cast<int>(kLogCapacity) ||
        log.m_events.Count() >= static_cast<int>(kLogCapacity) || log.m_aReview.size() >= kLogCapacity)
        std::abort();
    for (const auto& line : log.m_messages.aLines)
        if (line.strText.size() > kLogLineMax)
            std::abort();
    auto view = log.FillView(39, false);
    if (view.size() > 39)
        std::abort();
    return 0;
}
