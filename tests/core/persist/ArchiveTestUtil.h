// Helpers for archive tests: a temporary folder, whole-file bytes, and storing or loading one document.
#pragma once

#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"
#include "support/PersistTestClasses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zr_persist_XXXXXX").string();
        m_path = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline int StreamType(int format)
{
    return format == QFArchive::kBinary ? QFFileStream::kBinary : QFFileStream::kText;
}

// Runs `body` inside a storing document and answers the file's bytes.
template <class Body> std::string StoreWith(int format, Body body)
{
    TempFolder folder;
    std::string path = folder.File("doc");
    QFFileStream stream;
    EXPECT_TRUE(stream.Open(path, StreamType(format), QFFileStream::kWrite));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kStoring, &stream, format);
    body(archive);
    EXPECT_FALSE(archive.Failed()) << archive.FailReason();
    archive.EndDocument();
    EXPECT_TRUE(stream.Close());
    return ReadBytes(path);
}

template <class T> std::string StoreDocument(T* root, int format, const std::string& name = "Root")
{
    return StoreWith(format, [&](QFArchive& archive) { QFSerializePointer(&archive, &root, name); });
}

template <class T> struct Loaded {
    std::unique_ptr<T> object;
    bool failed = false;
    std::string reason;
};

// Loads one top-level pointer of class T from `bytes`.
template <class T> Loaded<T> LoadDocument(const std::string& bytes, int format, const std::string& name = "Root")
{
    TempFolder folder;
    std::string path = folder.File("doc");
    WriteBytes(path, bytes);
    QFFileStream stream;
    EXPECT_TRUE(stream.Open(path, StreamType(format), QFFileStream::kRead));
    QFArchive archive;
    archive.BeginDocument(QFArchive::kLoading, &stream, format);
    T* root = nullptr;
    QFSerializePointer(&archive, &root, name);
    archive.EndDocument();
    stream.Close();
    Loaded<T> result;
    result.object.reset(root);
    result.failed = archive.Failed();
    result.reason = archive.FailReason();
    return result;
}

class PersistTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestClasses(); }
};
