// Shared helpers of the events model: id counters, ids stored as unsigned longs, owned list elements.
#pragma once

#include "core/persist/QFArchive.h"

#include <cstdint>
#include <string>

namespace events_detail {

// Takes the counter's value as a new id and advances it; the 32-bit counter wraps rather than overflowing.
inline int32_t TakeNextId(int32_t& source)
{
    const int32_t id = source;
    source = static_cast<int32_t>(static_cast<uint32_t>(source) + 1u);
    return id;
}

// An int32 member stored under the "unsigned_long" type (ids and id counters); a failed read leaves it.
inline void SerializeIdULong(QFArchive* archive, int32_t* value, const std::string& name)
{
    uint32_t raw = static_cast<uint32_t>(*value);
    QFSerializeULong(archive, &raw, name);
    if (archive->Loads())
        *value = static_cast<int32_t>(raw);
}

// Reads one owned element of a list (zones, events, triggers, conditions). The element lives in a container,
// so a forward reference, which would be filled in later through the member's address, is refused: it fails
// the archive and gives null. A null record gives null with the archive still sound.
template <class T> T* ReadOwnedElement(QFArchive* archive, const std::string& name)
{
    bool isFuture = false;
    int32_t id = -1;
    QFSerializeBase* object = archive->ReadObjectPointer(&T::s_classInfo, name, &isFuture, &id);
    if (isFuture) {
        archive->SetFailed("forward reference to an owned " + std::string(T::s_classInfo.className) + " in " + name);
        return nullptr;
    }
    T* typed = nullptr;
    qf_detail::AssignLoaded(archive, &typed, object, archive->LastWasReference(), true, name);
    return typed;
}

// Writes one owned element (the same record a pointer member writes).
template <class T> void WriteOwnedElement(QFArchive* archive, T* element, const std::string& name)
{
    T* member = element;
    QFSerializePointer(archive, &member, name);
}

} // namespace events_detail
