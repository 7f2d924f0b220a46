// A private copy of the build's demo data folder for a benchmark run, removed afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>

class CDemoCopy {
public:
    CDemoCopy()
    {
        std::random_device rd;
        m_dir = std::filesystem::temp_directory_path() / ("zr-bench-" + std::to_string(rd()) + std::to_string(rd()));
        std::error_code ec;
        std::filesystem::copy(ZR_DEMO_DATA_DIR, m_dir, std::filesystem::copy_options::recursive, ec);
        m_bReady = !ec && std::filesystem::exists(m_dir / "Millbrook.zri");
    }
    ~CDemoCopy()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    CDemoCopy(const CDemoCopy&) = delete;
    CDemoCopy& operator=(const CDemoCopy&) = delete;

    bool Ready() const { return m_bReady; }
    std::string Folder() const { return m_dir.string(); }

private:
    std::filesystem::path m_dir;
    bool m_bReady = false;
};
