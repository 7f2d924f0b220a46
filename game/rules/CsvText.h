// Bounded reading of the positional CSV files of the rules: whole text, lines and fields, numbers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rules_csv {

// The largest file read (a score table is a few hundred short lines).
constexpr size_t kMaxFileBytes = 1 << 20;
// Fields kept of one line; the rest of a longer line is ignored.
constexpr size_t kMaxFields = 16;

// Reads a whole file (at most kMaxFileBytes); false when it cannot be opened.
bool ReadTextFile(const std::string& path, std::string& text);

// Hands out the lines of a text one by one, without their line ends ("\n", "\r\n").
class CLineReader {
public:
    explicit CLineReader(const std::string& text) : m_text(text) {}
    // False at the end of the text.
    bool Next(std::string& line);
    // Skips one line; false at the end.
    bool Skip();
    bool AtEnd() const { return m_nPos >= m_text.size(); }
    // The 1-based number of the last line handed out or skipped (0 before the first).
    int Line() const { return m_nLine; }

private:
    const std::string& m_text;
    size_t m_nPos = 0;
    int m_nLine = 0;
};

// The comma-separated fields of a line, at most kMaxFields; missing fields read as empty.
class CFields {
public:
    explicit CFields(const std::string& line);
    const std::string& Text(size_t index) const;
    bool Empty(size_t index) const { return Text(index).empty(); }
    // A float as "%f" reads it (leading blanks, then a number); 0 when the field holds none or no finite one.
    float Float(size_t index) const;
    // An integer as "%d" reads it, kept within int32; 0 when the field holds none.
    int32_t Int(size_t index) const;
    // The number the field starts with, as read ("nan" and "inf" included); false when it holds none.
    bool Number(size_t index, double& value) const;

private:
    std::vector<std::string> m_aFields;
};

} // namespace rules_csv
