// Fuzz helpers for the world model: feeding bytes to the archive loader through a scratch file.
#pragma once

#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace worldfuzz {

// A scratch file of this process, rewritten for every input.
inline std::string WriteScratch(const uint8_t* data, size_t size)
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("zr_world_fuzz_" + std::to_string(::getpid()) + ".bin")).string();
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return std::string();
    if (size)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    return path;
}

// Reads one top-level pointer of class T from the bytes; the caller owns the result.
template <class T> T* LoadFromBytes(const uint8_t* data, size_t size, const std::string& name)
{
    std::string path = WriteScratch(data, size);
    QFFileStream stream;
    if (path.empty() || !stream.Open(path, QFFileStream::kBinary, QFFileStream::kRead))
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
