// Reading and rewriting "ZR.ini" line by line, so empty values never shift the lines after them.
#include "game/app/Settings.h"

#include "core/util/TextLine.h"
#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <cstdio>
#include <vector>

namespace {

constexpr size_t kLineMax = 4096; // longer lines are cut; the values kept are bounded anyway
constexpr int kSwitchLines = 6;   // lines 2 to 7


// Splits a switch line at its first blank: the label before it and the value word after it.
void SplitSwitch(const std::string& line, std::string& label, std::string& value)
{
    size_t blank = line.find_first_of(" \t");
    label = line.substr(0, blank);
    value.clear();
    if (blank == std::string::npos)
        return;
    size_t start = blank + 1;
    size_t end = line.find_first_of(" \t", start);
    value = line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::string NameFromLine(const std::string& line)
{
    static const std::string prefix = "Name:";
    if (line.compare(0, prefix.size(), prefix) != 0)
        return {};
    size_t start = prefix.size();
    if (start < line.size() && line[start] == ' ')
        ++start;
    return line.substr(start, kSettingsNameMax);
}

struct SwitchLine {
    std::string strLabel;
    std::string strValue;
    bool bPresent = false;
};

std::vector<SwitchLine> ReadSwitchLines(FILE* file)
{
    std::vector<SwitchLine> lines(kSwitchLines);
    std::string line;
    for (auto& sw : lines) {
        if (!ReadBoundedLine(file, line, kLineMax))
            break;
        SplitSwitch(line, sw.strLabel, sw.strValue);
        sw.bPresent = true;
    }
    return lines;
}

} // namespace

bool ReadSettingsFile(const std::string& path, CSettingsValues& values)
{
    values.bWindowed = false;
    FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return false;
    std::string line;
    if (ReadBoundedLine(file, line, kLineMax))
        values.strName = NameFromLine(line);
    std::vector<SwitchLine> lines = ReadSwitchLines(file);
    std::fclose(file);

    auto first = [&](int i) { return lines[i].strValue.empty() ? '\0' : lines[i].strValue[0]; };
    if (first(0) == '1')
        values.bWindowed = true;
    if (first(1) == '1')
        values.bAStarLog = true;
    if (first(2) == '0')
        values.bSound = false;
    if (first(3) == '1')
        values.bIncidentOrders = true;
    if (lines[4].bPresent)
        values.strHost = lines[4].strValue.substr(0, kSettingsHostMax);
    if (first(5) == '1')
        values.bSkipSplash = true;
    return true;
}

bool RewriteSettingsFile(const std::string& path, const std::string& name, const std::string& host,
                         const CSettingsValues& current, std::string* error)
{
    std::string target = platform::ResolvePathCase(path);
    std::vector<SwitchLine> lines(kSwitchLines);
    if (FILE* old = platform::OpenFile(target, "rb")) {
        std::string skipped;
        ReadBoundedLine(old, skipped, kLineMax);
        lines = ReadSwitchLines(old);
        std::fclose(old);
    }
    const char* labels[kSwitchLines] = {"Windowed", "AStarLog", "Sound", "IncidentOrders", "Host", "SkipSplash"};
    const bool flags[kSwitchLines] = {
        current.bWindowed, current.bAStarLog, current.bSound, current.bIncidentOrders, false, current.bSkipSplash};
    for (int i = 0; i < kSwitchLines; ++i) {
        if (lines[i].bPresent)
            continue;
        lines[i].strLabel = labels[i];
        lines[i].strValue = i == 4 ? current.strHost : (flags[i] ? "1" : "0");
    }
    if (!host.empty())
        lines[4].strValue = host.substr(0, kSettingsHostMax);

    // As "%s" wrote them: each text up to a NUL it may hold.
    std::string text = "Name: " + std::string(name.substr(0, kSettingsNameMax).c_str()) + "\n";
    for (const auto& sw : lines)
        text += std::string(sw.strLabel.c_str()) + " " + std::string(sw.strValue.c_str()) + "\n";
    return platform::WriteFileSafely(target, text, error);
}
