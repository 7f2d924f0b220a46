// One generated demo folder shared by the tests of a program run, and small file helpers.
#pragma once

#include "tools/demo/DemoData.h"

#include "platform/system/MessageBox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace demotest {

// A fresh temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zr-demo-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()))
            m_path = buffer.data();
    }
    ~TempFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return m_path; }
    std::string File(const std::string& relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

// The demo set made once into a temporary folder, with the generator's record.
struct MadeFolder {
    TempFolder folder;
    demo::Output record{""};
    bool ok = false;
    std::vector<platform::MessageRecord> messages;
};

inline MadeFolder& Made()
{
    static MadeFolder* made = [] {
        auto* m = new MadeFolder();
        platform::SetMessageEcho(false);
        m->ok = demo::MakeDemoData(ZR_DEMO_SOURCES, m->folder.Path() + "/data", &m->record);
        m->messages = platform::RecordedMessages();
        return m;
    }();
    return *made;
}

inline std::string DataFolder()
{
    return Made().folder.Path() + "/data";
}
inline std::string DataFile(const std::string& relative)
{
    return DataFolder() + "/" + relative;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline uint32_t U32(const std::vector<uint8_t>& b, size_t at)
{
    return at + 4 <= b.size() ? b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24 : 0;
}
inline uint32_t U16(const std::vector<uint8_t>& b, size_t at)
{
    return at + 2 <= b.size() ? b[at] | b[at + 1] << 8 : 0;
}

} // namespace demotest
