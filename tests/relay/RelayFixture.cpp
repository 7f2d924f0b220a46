// Shared pieces of the relay tests.
#include "RelayFixture.h"

#include "relay/model/ByteOrder.h"
#include "relay/model/Console.h"
#include "relay/model/Relay.h"

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

void RelayTest::SetUp()
{
    SetRelayConsoleSink([this](const std::string& text) { m_console += text; });
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    m_folder = fs::temp_directory_path() / ("zr_relay_" + std::string(info->test_suite_name()) + "_" + info->name() +
                                            "_" + std::to_string(getpid()));
    fs::remove_all(m_folder);
    fs::create_directories(m_folder);
}

void RelayTest::TearDown()
{
    SetRelayConsoleSink({});
    std::error_code ec;
    fs::remove_all(m_folder, ec);
}

void RelayTest::WriteText(const std::string& name, const std::string& text) const
{
    std::ofstream(m_folder / name, std::ios::binary) << text;
}

std::vector<char> MakeDatagram(int length, float x, float y)
{
    std::vector<char> d(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i)
        d[size_t(i)] = char(i * 7 + 3);
    if (length >= kPositionYOffset + 4) {
        WriteFloatLE(reinterpret_cast<unsigned char*>(d.data()) + kPositionXOffset, x);
        WriteFloatLE(reinterpret_cast<unsigned char*>(d.data()) + kPositionYOffset, y);
    }
    return d;
}

std::string ReadFileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
