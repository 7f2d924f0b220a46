// Test support for the scenario editor's model: the demo data set made once per program, a case folder holding a
// copy of it under build/test-output/tarnwick/<case>/, a recording map-view host, and small byte helpers.
#pragma once

#include "core/persist/QFSerializeBase.h"
#include "core/world/PathData.h"
#include "editors/tacmap/model/PathGrid.h"
#include "editors/tacmap/model/TacticalMapView.h"
#include "platform/system/MessageBox.h"
#include "tools/demo/DemoData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace tacmaptest {

namespace fs = std::filesystem;

inline fs::path TempFolder(const std::string& tag)
{
    std::random_device rd;
    fs::path dir = fs::temp_directory_path() / ("zr-tacmap-" + tag + "-" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir);
    return dir;
}

// The demo data: the build's own folder (build/data) when it is there, else made once in a temporary folder that
// is removed at exit.
inline const fs::path& DemoData()
{
    struct Made {
        fs::path root;
        fs::path data;
        Made()
        {
            platform::SetMessageEcho(false);
            if (fs::exists(fs::path(ZR_DEMO_DATA) / "Millbrook.zri")) {
                data = ZR_DEMO_DATA;
                return;
            }
            root = TempFolder("demo");
            data = root / "data";
            // The generator reads its grid back through the game's own path grid.
            RegisterCoreClasses();
            QFClassFactory::Instance().Register("CPathData", &::CPathData::CreateObject);
            demo::Output record(data.string());
            if (!demo::MakeDemoData(ZR_DEMO_SOURCE, data.string(), &record)) {
                for (const std::string& e : record.Errors())
                    ADD_FAILURE() << "demo data: " << e;
                data.clear();
            }
            tacmap::RegisterTarnwickClasses();
        }
        ~Made()
        {
            std::error_code ec;
            if (!root.empty())
                fs::remove_all(root, ec);
        }
    };
    static Made made;
    return made.data;
}

// A copy of the demo data in `dir`: the files and small folders copied, the art and sound folders (read only,
// and most of the bytes) linked.
inline void CopyDemoData(const fs::path& dir)
{
    if (DemoData().empty())
        return;
    fs::create_directories(dir);
    for (const auto& e : fs::directory_iterator(DemoData())) {
        const std::string name = e.path().filename().string();
        const fs::path to = dir / name;
        if (e.is_directory() && (name == "Art" || name == "GUI" || name == "Sounds" || name == "Maps"))
            fs::create_directory_symlink(fs::absolute(e.path()), to);
        else
            fs::copy(e.path(), to, fs::copy_options::recursive);
    }
}

// build/test-output/tarnwick/<case>/, cleared, holding a fresh copy of the demo data; saved files stay there.
inline fs::path CaseFolder(const std::string& name)
{
    const fs::path dir = fs::path(ZR_TARNWICK_OUTPUT) / name;
    std::error_code ec;
    fs::remove_all(dir, ec);
    CopyDemoData(dir);
    return dir;
}

inline std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Files in a folder whose names hold ".tmp" (temporaries left behind by a save).
inline std::vector<std::string> Temporaries(const fs::path& folder)
{
    std::vector<std::string> out;
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return out;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename().string().find(".tmp") != std::string::npos)
            out.push_back(e.path().filename().string());
    return out;
}

// A map-view host that records what the view asks and answers the delete dialog as told.
class RecordingHost : public tacmap::IMapViewHost {
public:
    void SetStatusTexts(const std::string& sprites, const std::string& position) override
    {
        spriteText = sprites;
        positionText = position;
    }
    void Redraw(const RECT&) override { ++redraws; }
    void UpdateCursor() override { ++cursorUpdates; }
    void Beep() override { ++beeps; }
    void SetZoomRadios(bool out) override { zoomedOut = out; }
    bool IsShowChecked() const override { return showChecked; }
    bool ChooseSpritesToDelete(const std::vector<CSprite*>& sprites, std::vector<CSprite*>* chosen) override
    {
        offered = sprites;
        ++deleteDialogs;
        if (!acceptDelete)
            return false;
        chosen->clear();
        for (size_t i : deleteRows)
            if (i < sprites.size())
                chosen->push_back(sprites[i]);
        return true;
    }

    std::string spriteText, positionText;
    int redraws = 0, cursorUpdates = 0, beeps = 0, deleteDialogs = 0;
    bool zoomedOut = false;
    bool showChecked = true;
    bool acceptDelete = true;
    std::vector<size_t> deleteRows;
    std::vector<CSprite*> offered;
};

// Every test of the model starts with the editor's classes registered and no message left from another.
class TacMapTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tacmap::RegisterTarnwickClasses();
        platform::SetMessageEcho(false);
        platform::ClearRecordedMessages();
    }
};

} // namespace tacmaptest
