// Test helpers for the world model: temporary folders, little-endian byte streams and archive round trips.
#pragma once

#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "core/world/WorldContext.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace worldtest {

// A folder of its own under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder()
    {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("zr_world_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string Path() const { return m_path.string(); }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::filesystem::create_directories((m_path / name).parent_path());
        std::ofstream out(File(name), std::ios::binary);
        out << text;
        return File(name);
    }
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const
    {
        return Write(name, std::string(bytes.begin(), bytes.end()));
    }

private:
    std::filesystem::path m_path;
};

// Appends little-endian fields as the binary archive lays them out.
class Bytes {
public:
    Bytes& I8(int v)
    {
        m_data.push_back(static_cast<uint8_t>(v));
        return *this;
    }
    Bytes& I16(int v)
    {
        for (int i = 0; i < 2; ++i)
            m_data.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    Bytes& I32(int64_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_data.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
        return *this;
    }
    Bytes& Str(const std::string& s)
    {
        I32(static_cast<int64_t>(s.size()));
        m_data.insert(m_data.end(), s.begin(), s.end());
        return *this;
    }
    // A new-object pointer record: tag 2, id, class name, then the version.
    Bytes& Object(int id, const std::string& className, int version)
    {
        I8(2).I32(id).Str(className);
        return I16(version);
    }
    Bytes& Null() { return I8(0).I32(0); }
    Bytes& Append(const std::vector<uint8_t>& more)
    {
        m_data.insert(m_data.end(), more.begin(), more.end());
        return *this;
    }
    const std::vector<uint8_t>& Data() const { return m_data; }

private:
    std::vector<uint8_t> m_data;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Reads one top-level object pointer of class T from a file (binary unless told); failed tells whether the
// archive failed.
template <class T>
T* LoadObject(const std::string& path, const std::string& name, bool* failed = nullptr, int format = QFArchive::kBinary)
{
    QFFileStream stream;
    const int type = format == QFArchive::kBinary ? QFFileStream::kBinary : QFFileStream::kText;
    if (!stream.Open(path, type, QFFileStream::kRead))
        return nullptr;
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, format);
    T* object = nullptr;
    QFSerializePointer(&archive, &object, name);
    if (failed)
        *failed = archive.Failed();
    archive.EndDocument();
    stream.Close();
    return object;
}

template <class T>
T* LoadBytes(const TempFolder& folder, const std::vector<uint8_t>& bytes, const std::string& name,
             bool* failed = nullptr, int format = QFArchive::kBinary)
{
    return LoadObject<T>(folder.Write("doc.bin", bytes), name, failed, format);
}

// Writes one top-level object pointer (in binary unless told) and returns the file's bytes.
template <class T>
std::vector<uint8_t> StoreObject(const TempFolder& folder, T* object, const std::string& name,
                                 int format = QFArchive::kBinary)
{
    std::string path = folder.File("stored.bin");
    {
        QFFileStream stream;
        const int type = format == QFArchive::kBinary ? QFFileStream::kBinary : QFFileStream::kText;
        if (!stream.Open(path, type, QFFileStream::kWriteUpdate))
            return {};
        QFArchive archive;
        archive.BeginDocument(QFArchive::kStoring, &stream, format);
        QFSerializePointer(&archive, &object, name);
        archive.EndDocument();
        stream.Close();
    }
    return ReadBytes(path);
}

} // namespace worldtest
