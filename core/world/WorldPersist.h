// Persistence helpers of the world model: reading and dropping surplus object records.
#pragma once

#include "core/persist/QFArchive.h"

// Reads one object-pointer record that no member keeps (a surplus entry of a list), so the stream stays in step.
// The archive frees what it read at the end of the document. Does nothing when storing.
template <class T> void QFDropPointer(QFArchive* archive, const std::string& name)
{
    if (!archive->IsLoading() || archive->Failed())
        return;
    bool isFuture = false;
    int32_t id = -1;
    archive->ReadObjectPointer(&T::s_classInfo, name, &isFuture, &id);
}
