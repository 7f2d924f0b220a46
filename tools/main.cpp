// make-demo-data: writes the demo data folder (lists, art, sounds, cursors, the Millbrook scenario).
#include "tools/demo/DemoData.h"
#include "tools/demo/FileWriters.h"
#include "tools/demo/Preview.h"

#include "core/display/CDisplay.h"

#include "platform/system/MessageBox.h"

#include <cstdio>
#include <string>

namespace {

// Draws a made folder's maps into BMP files: "<prefix>_tactical32.bmp", "_tactical8.bmp", "_area.bmp".
int Preview(const std::string& folder, const std::string& prefix)
{
    CDisplay display(nullptr, 800, 448, 16, 0, true);
    auto loaded = demo::LoadScenarioFolder(folder, demo::kScenarioFile, &display);
    if (!loaded->failure.empty()) {
        std::fprintf(stderr, "make-demo-data: %s\n", loaded->failure.c_str());
        return 1;
    }
    bool ok = demo::WriteFileBytes(prefix + "_tactical32.bmp",
                                   demo::EncodeBmp(demo::RenderTacticalMap(*loaded, folder, display, 0)));
    ok = ok && demo::WriteFileBytes(prefix + "_tactical8.bmp",
                                    demo::EncodeBmp(demo::RenderTacticalMap(*loaded, folder, display, 1)));
    ok = ok &&
         demo::WriteFileBytes(prefix + "_area.bmp", demo::EncodeBmp(demo::RenderAreaMap(*loaded, folder, display)));
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--preview")
        return Preview(argv[2], argv[3]);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-demo-data <source data folder> <output folder>\n"
                             "       make-demo-data --preview <data folder> <picture prefix>\n");
        return 2;
    }
    platform::SetMessageEcho(false); // problems are listed below instead
    demo::Output record("");
    if (!demo::MakeDemoData(argv[1], argv[2], &record)) {
        for (const std::string& e : record.Errors())
            std::fprintf(stderr, "make-demo-data: %s\n", e.c_str());
        return 1;
    }
    std::printf("make-demo-data: %zu files in %s\n", record.Files().size(), argv[2]);
    return 0;
}
