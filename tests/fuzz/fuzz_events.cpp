// Fuzzes loading an events data (".zre" body) or a scenario description from arbitrary bytes, binary or XML;
// whatever loads cleanly must store, load and store again to the same bytes, and describe and evaluate safely.
#include "core/events/ConditionHooks.h"
#include "core/events/ZREventsData.h"
#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/world/ScenarioData.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <type_traits>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// An in-memory file reachable by path, so the archive's file stream can read and write it.
class ScratchFile {
public:
    ScratchFile() : m_fd(memfd_create("zr_fuzz_events", 0)), m_path("/proc/self/fd/" + std::to_string(m_fd)) {}
    ~ScratchFile() { close(m_fd); }
    void Put(const uint8_t* data, size_t size)
    {
        if (ftruncate(m_fd, 0) != 0 || pwrite(m_fd, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
    }
    std::string Get() const
    {
        std::string bytes(static_cast<size_t>(lseek(m_fd, 0, SEEK_END)), '\0');
        if (pread(m_fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
            std::abort();
        return bytes;
    }
    const std::string& Path() const { return m_path; }

private:
    int m_fd;
    std::string m_path;
};

template <class T> T* LoadFrom(ScratchFile& file, int format, bool* failed)
{
    QFFileStream stream;
    if (!stream.Open(file.Path(), format == QFArchive::kBinary ? 1 : 0, 0))
        std::abort();
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, format);
    T* object = nullptr;
    QFSerializePointer(&archive, &object, "CZREventsData");
    archive.EndDocument();
    *failed = archive.Failed();
    stream.Close();
    return object;
}

template <class T> std::string StoreTo(ScratchFile& file, T* object, int format)
{
    file.Put(nullptr, 0);
    QFFileStream stream;
    if (!stream.Open(file.Path(), format == QFArchive::kBinary ? 1 : 0, 4))
        std::abort();
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, format);
    QFSerializePointer(&archive, &object, "CZREventsData");
    archive.EndDocument();
    stream.Close();
    return file.Get();
}

// Describes every condition and runs every trigger against a context taken from the data.
void Exercise(const CZREventsData& data)
{
    SetConditionHooks({{}, {}, [&data]() -> const ZoneVector& { return data.m_vZones; }});
    for (const auto& [key, trigger] : data.m_mapArguments) {
        for (CZRCondition* condition : trigger->m_vConditions) {
            (void)condition->Describe();
            delete condition->Clone();
        }
        trigger->Reset();
        trigger->m_nCtxGameTime = static_cast<int32_t>(key % 2400);
        trigger->m_nCtxX = static_cast<int32_t>(key % 97);
        trigger->m_nCtxY = static_cast<int32_t>(key % 89);
        trigger->m_pCtxEvent = data.m_lstEvents.empty() ? nullptr : data.m_lstEvents.front();
        trigger->Evaluate();
    }
    for (CTacticalMapZone* zone : data.m_vZones)
        zone->SnapBoundingBox();
    ResetConditionHooks();
}

// Loads the bytes and, when that went cleanly, stores and reloads until the stored form settles: binary at
// once; XML after one pass (its values are single lines, so the first store may normalise a text).
template <class T> void RoundTrip(ScratchFile& file, const uint8_t* data, size_t size, int format)
{
    file.Put(data, size);
    bool failed = false;
    T* object = LoadFrom<T>(file, format, &failed);
    if (!object || failed) {
        delete object;
        return;
    }
    std::string previous = StoreTo(file, object, format);
    const int passes = format == QFArchive::kBinary ? 1 : 2;
    for (int pass = 0; pass < passes; ++pass) {
        delete object;
        file.Put(reinterpret_cast<const uint8_t*>(previous.data()), previous.size());
        object = LoadFrom<T>(file, format, &failed);
        if (!object || failed)
            std::abort(); // what we wrote must load
        const std::string next = StoreTo(file, object, format);
        if (pass == passes - 1 && next != previous)
            std::abort();
        previous = next;
    }
    if constexpr (std::is_same_v<T, CZREventsData>)
        Exercise(*object);
    else if (object->m_pEvents)
        Exercise(*object->m_pEvents);
    delete object;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = (RegisterCoreClasses(), true);
    (void)registered;
    if (size < 1)
        return 0;
    static ScratchFile file;
    const int format = (data[0] & 2) ? QFArchive::kXML : QFArchive::kBinary;
    if (data[0] & 1)
        RoundTrip<CScenarioData>(file, data + 1, size - 1, format);
    else
        RoundTrip<CZREventsData>(file, data + 1, size - 1, format);
    return 0;
}
