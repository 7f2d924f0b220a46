// Shared body of the archive fuzz targets: load a test-class graph and generic top-level pointers from bytes.
#pragma once

#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "support/MemoryFile.h"
#include "support/PersistTestClasses.h"

#include <cstdint>
#include <cstdlib>

namespace archivefuzz {

template <class T> void LoadPointers(const std::string& path, int count, int streamType, int format)
{
    QFFileStream stream;
    if (!stream.Open(path, streamType, QFFileStream::kRead))
        std::abort();
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, format);
    T* roots[2] = {nullptr, nullptr};
    for (int i = 0; i < count; ++i)
        QFSerializePointer(&archive, &roots[i], "Root");
    archive.EndDocument();
    // A failed document hands out nothing from the pointer that failed; what was loaded belongs to the caller.
    for (int i = 0; i < count; ++i)
        delete roots[i];
}

inline int Run(const uint8_t* data, size_t size, int streamType, int format)
{
    static const bool registered = (RegisterTestClasses(), true);
    (void)registered;
    MemoryFile file(data, size);
    if (!file.IsValid())
        return 0;
    LoadPointers<CTestNode>(file.Path(), 1, streamType, format);
    LoadPointers<QFSerializeBase>(file.Path(), 2, streamType, format);
    return 0;
}

} // namespace archivefuzz
