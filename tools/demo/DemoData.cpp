// Runs the generator's steps and keeps the record of what was written.
#include "tools/demo/DemoData.h"

#include "tools/demo/FileWriters.h"

#include "core/persist/QFSerializeBase.h"
#include "platform/system/MessageBox.h"

#include <filesystem>

namespace demo {

std::string Output::Path(const std::string& relative) const
{
    return m_strRoot + "/" + relative;
}

void Output::Bitmap(const std::string& relative, const Canvas& picture)
{
    Bytes(relative, EncodeBmp(picture));
}

void Output::Bytes(const std::string& relative, const std::vector<uint8_t>& bytes)
{
    if (WriteFileBytes(Path(relative), bytes))
        m_vFiles.push_back(relative);
    else
        Fail("cannot write " + Path(relative));
}

void Output::Text(const std::string& relative, const std::string& text)
{
    Bytes(relative, std::vector<uint8_t>(text.begin(), text.end()));
}

uint32_t Hash(uint32_t a, uint32_t b, uint32_t c)
{
    uint32_t h = 2166136261u;
    for (uint32_t v : {a, b, c}) {
        h ^= v;
        h *= 16777619u;
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        h ^= h >> 15;
    }
    return h;
}

bool MakeDemoData(const std::string& sourceFolder, const std::string& outputFolder, Output* record)
{
    RegisterCoreClasses();
    Output out(outputFolder);
    std::error_code ec;
    std::filesystem::create_directories(outputFolder, ec);
    if (ec)
        out.Fail("cannot make " + outputFolder + ": " + ec.message());
    // The core's loaders report problems in message boxes; any shown during generation is a failure.
    platform::ClearRecordedMessages();
    if (out.Ok()) {
        CopyTextSources(sourceFolder, out);
        MakeTileArt(out.Path(kTileTypes), out);
        MakeSpriteArt(out);
        MakeScreenArt(out);
        MakeScreenLists(out);
        MakeAreaMapArt(out);
        MakeShapefiles(out);
        MakeSounds(out);
        MakeCursors(out);
        MakeFont(out);
        MakeArchives(out);
        MakeFolders(out);
    }
    for (const platform::MessageRecord& m : platform::RecordedMessages())
        out.Fail("message box \"" + m.title + "\": " + m.text);
    bool ok = out.Ok();
    if (record)
        *record = out;
    return ok;
}

} // namespace demo
