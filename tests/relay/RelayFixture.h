// Shared pieces of the relay tests: captured console output, a scratch folder, datagrams and file reads.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// Captures the relay's console text and gives each test its own empty folder.
class RelayTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Console() const { return m_console; }
    void ClearConsole() { m_console.clear(); }
    std::string Folder() const { return m_folder.string(); }
    std::string PathIn(const std::string& name) const { return (m_folder / name).string(); }
    void WriteText(const std::string& name, const std::string& text) const;

private:
    std::string m_console;
    std::filesystem::path m_folder;
};

// A datagram of `length` bytes with X and Y at bytes 528 and 532 (when it is long enough) and filler elsewhere.
std::vector<char> MakeDatagram(int length, float x, float y);

// The whole content of a file, or "<missing>".
std::string ReadFileText(const std::string& path);
