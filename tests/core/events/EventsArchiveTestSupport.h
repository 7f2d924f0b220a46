// Test helpers: store an object into a binary or XML document and load one back from bytes, via a temp file.
#pragma once

#include "core/persist/QFArchive.h"
#include "core/persist/QFFileStream.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <unistd.h>

namespace evtest {

// Written after the object in sentinel documents; reading it back proves the object took exactly its bytes.
inline constexpr int32_t kSentinel = 0x5EED1234;

inline std::string TempPath()
{
    static std::atomic<int> counter{0};
    return (std::filesystem::temp_directory_path() /
            ("zr_events_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
        .string();
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The document holding `object` under `name` (and the sentinel when asked).
template <class T>
std::string Store(T* object, int format = QFArchive::kBinary, bool withSentinel = false, const char* name = "obj")
{
    const std::string path = TempPath();
    std::string bytes;
    {
        QFFileStream stream;
        if (!stream.Open(path, format == QFArchive::kBinary ? 1 : 0, 4))
            return bytes;
        QFArchive archive;
        archive.BeginDocument(QFArchive::kStoring, &stream, format);
        T* member = object;
        QFSerializePointer(&archive, &member, name);
        if (withSentinel) {
            int32_t sentinel = kSentinel;
            QFSerializeValue(&archive, &sentinel, "sentinel");
        }
        archive.EndDocument();
        stream.Close();
    }
    bytes = ReadFile(path);
    std::filesystem::remove(path);
    return bytes;
}

template <class T> struct Loaded {
    std::unique_ptr<T> object;
    bool failed = false;
    std::string reason;
    int32_t sentinel = 0;
};

// Loads the object named `name` from a document's bytes, then (when asked) the sentinel after it.
template <class T>
Loaded<T> Load(const std::string& bytes, int format = QFArchive::kBinary, bool withSentinel = false,
               const char* name = "obj")
{
    const std::string path = TempPath();
    {
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    Loaded<T> result;
    {
        QFFileStream stream;
        if (stream.Open(path, format == QFArchive::kBinary ? 1 : 0, 0)) {
            QFArchive archive;
            archive.BeginDocument(QFArchive::kLoading, &stream, format);
            T* member = nullptr;
            QFSerializePointer(&archive, &member, name);
            if (withSentinel)
                QFSerializeValue(&archive, &result.sentinel, "sentinel");
            archive.EndDocument();
            result.object.reset(member);
            result.failed = archive.Failed();
            result.reason = archive.FailReason();
            stream.Close();
        } else {
            result.failed = true;
        }
    }
    std::filesystem::remove(path);
    return result;
}

} // namespace evtest

#include "core/events/ConditionHooks.h"
#include "core/events/TacticalMapZone.h"
#include "core/events/ZRArgument.h"
#include "core/events/ZREvent.h"

#include <gtest/gtest.h>

namespace evtest {

// Registers the classes and puts the process-wide id counters and condition hooks back to their start.
class EventsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterCoreClasses();
        CZREvent::m_nEventIDsource = 0;
        CZRArgument::m_nArgIDsource = 0;
        CTacticalMapZone::m_nZoneIDsource = 0;
        ResetConditionHooks();
    }
    void TearDown() override { ResetConditionHooks(); }
};

} // namespace evtest
