// Fuzz helpers for the world model: feeding bytes to the archive loader through an in-memory file.
#pragma once

#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "platform/system/MessageBox.h"
#include "support/MemoryFile.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace worldfuzz {

// No echo of message boxes and debugger lines, and no record piling up from one input to the next.
inline void QuietMessages()
{
    platform::SetMessageEcho(false);
    platform::ClearRecordedMessages();
}

// Reads one top-level pointer of class T from the bytes; the caller owns the result.
template <class T> T* LoadFromBytes(const uint8_t* data, size_t size, const std::string& name)
{
    MemoryFile file(data, size);
    QFFileStream stream;
    if (!file.IsValid() || !stream.Open(file.Path(), QFFileStream::kBinary, QFFileStream::kRead))
        return nullptr;
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, QFArchive::kBinary);
    T* object = nullptr;
    QFSerializePointer(&archive, &object, name);
    archive.EndDocument();
    stream.Close();
    return object;
}

// The bytes as a read-only FILE (text readers); null for empty input.
inline FILE* OpenMemory(const uint8_t* data, size_t size)
{
    if (size == 0)
        return nullptr;
    return fmemopen(const_cast<uint8_t*>(data), size, "r");
}

} // namespace worldfuzz
