// A screen's art list: the bitmaps named in its GUI layout file with their positions.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CDisplay;
class CSurface;

struct CArtRow {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::shared_ptr<CSurface> pSurface; // null when the bitmap could not be loaded
};

class CArtList {
public:
    // Reads "<base>/GUI/<file>": two header lines, then up to `rows` rows "name,x,y". Each bitmap comes from
    // "<base>/GUI/<name>". A missing list or bitmap shows "Failed to open file:" with the path; the rows that
    // loaded are kept. False when the list is missing or any row failed.
    bool Load(CDisplay* display, const std::string& base, const std::string& file, int rows);
    // Draws row 0 (the screen's panel) at its place; nothing when it is missing.
    void DrawPanel(CSurface* target) const;

    const std::vector<CArtRow>& Rows() const { return m_aRows; }
    bool HasPanel() const { return !m_aRows.empty() && m_aRows[0].pSurface; }

private:
    std::vector<CArtRow> m_aRows;
};
