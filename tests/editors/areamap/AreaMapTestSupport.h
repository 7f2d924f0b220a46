// Shared pieces of Vellisk's tests: a temporary folder and shapefile layers written into it.
#pragma once

#include "platform/shapefile/Shapefile.h"
#include "platform/system/MessageBox.h"
#include "tools/demo/DemoData.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace areamaptest {

namespace fs = std::filesystem;

class TempDir {
public:
    TempDir()
    {
        static int counter = 0;
        m_path =
            fs::temp_directory_path() / ("zr_vellisk_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ec;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Path() const { return m_path.string(); }
    std::string File(const std::string& name) const { return (m_path / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        fs::create_directories((m_path / name).parent_path());
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }
    std::string Read(const std::string& name) const
    {
        std::ifstream in(File(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    fs::path m_path;
};

using platform::shapefile::Shape;
using platform::shapefile::ShapeKind;
using platform::shapefile::ShapeLayer;
using platform::shapefile::ShapePoint;

// Writes "<folder>/<name>.shp" (with ".shx" and ".dbf") and returns the ".shp" path.
inline std::string WriteLayer(const TempDir& dir, const std::string& name, ShapeKind kind, std::vector<Shape> shapes)
{
    ShapeLayer layer;
    layer.kind = kind;
    layer.shapes = std::move(shapes);
    std::string base = dir.File(name), error;
    EXPECT_TRUE(platform::shapefile::WriteShapefile(base, layer, {}, &error)) << error;
    return base + ".shp";
}

// A closed ring through the corners of a rectangle.
inline std::vector<ShapePoint> Box(double left, double bottom, double right, double top)
{
    return {{left, bottom}, {left, top}, {right, top}, {right, bottom}, {left, bottom}};
}

// The build's own demo folder (named by ZR_DEMO_DATA, read only), else one made once per test program (removed at
// exit); empty when it could not be made.
inline const std::string& DemoData()
{
    struct Made {
        std::unique_ptr<TempDir> dir;
        std::string path;
        Made()
        {
            platform::SetMessageEcho(false);
            if (const char* built = std::getenv("ZR_DEMO_DATA")) {
                std::error_code ec;
                if (fs::is_regular_file(fs::path(built) / "GameInfo.txt", ec) &&
                    fs::is_regular_file(fs::path(built) / "Maps" / "ESRI" / "millbrook_cty.shp", ec)) {
                    path = built;
                    return;
                }
            }
            dir = std::make_unique<TempDir>();
            path = dir->File("data");
            if (!demo::MakeDemoData(ZR_DEMO_SOURCE, path))
                path.clear();
            platform::ClearRecordedMessages();
        }
    };
    static Made made;
    return made.path;
}

// A copy of the demo data in `to` (created). The editor's copy leaves out what only the game reads (screen art,
// sounds, the title pictures), so each test copies a few megabytes, not the whole folder.
inline void CopyDemoData(const std::string& to, bool whole = false)
{
    fs::create_directories(to);
    const auto options = fs::copy_options::recursive | fs::copy_options::overwrite_existing;
    for (const auto& entry : fs::directory_iterator(DemoData())) {
        const std::string name = entry.path().filename().string();
        if (!whole && (name == "GUI" || name == "Sounds"))
            continue;
        if (!whole && name == "Art") {
            fs::create_directories(fs::path(to) / "Art");
            for (const char* tiles : {"Tiles_8.bmp", "Tiles_32.bmp"})
                fs::copy(entry.path() / tiles, fs::path(to) / "Art" / tiles, options);
            continue;
        }
        fs::copy(entry.path(), fs::path(to) / name, options);
    }
}

// Lowers the file-size limit for one scope: writes past it fail (EFBIG, SIGXFSZ ignored), as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_old = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_limit);
        rlimit lower = m_limit;
        lower.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_limit);
        std::signal(SIGXFSZ, m_old);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_limit{};
    void (*m_old)(int) = nullptr;
};

} // namespace areamaptest

