// Shared helpers of Ostrel's tests: the demo data folder, per-case output folders and whole-file reads.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace ostrel_test {

inline std::string DemoData()
{
    return ZR_DEMO_DATA;
}

// build/test-output/ostrel/<name>, emptied, holding a copy of the demo folder's top-level files.
inline std::string CaseFolder(const std::string& name)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(ZR_OSTREL_OUTPUT) / name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const auto& entry : fs::directory_iterator(DemoData()))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), folder / entry.path().filename());
    return folder.string();
}

inline std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The names in a folder, sorted.
inline std::vector<std::string> Listing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace ostrel_test
