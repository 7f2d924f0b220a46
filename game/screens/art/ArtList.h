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

// One parsed row of an art list: "name,x,y" (the rest of the line is ignored). False for a malformed row.
bool ParseArtRow(const std::string& line, std::string& name, int& x, int& y);

class CArtList {
public:
    // Reads "<base>/GUI/<file>": two header lines, then up to `rows` rows "name,x,y". Each bitmap comes from
    // "<base>/GUI/<name>". A missing list or bitmap shows "Failed to open file:" with the path; the rows that
    // loaded are kept; a list of fewer rows says which are missing. A row placed or sized beyond 800 x 600 is
    // fatal (RaiseScreenFatal). False when the list is missing or short or any row failed.
    bool Load(CDisplay* display, const std::string& base, const std::string& file, int rows);
    // Draws row 0 (the screen's panel) at its place; nothing when it is missing.
    void DrawPanel(CSurface* target) const;

    const std::vector<CArtRow>& Rows() const { return m_aRows; }
    // Row i, or an empty row when the list has fewer.
    const CArtRow& Row(size_t i) const;
    bool HasPanel() const { return !m_aRows.empty() && m_aRows[0].pSurface; }

private:
    std::vector<CArtRow> m_aRows;
};

// Art or a part built from it beyond the 800 x 600 screen ends the game with exit code 1. The reader shows
// the message naming the file and row and raises the latch; the game's tick turns the latch into the exit, so a
// test sees the failure without its process ending.
void RaiseScreenFatal(const std::string& what);
bool ScreenFatalPending();
void ClearScreenFatal();
// True when the rectangle lies within 0..800 x 0..600.
bool FitsScreen(int x, int y, int width, int height);
// Checks a part built at (x, y) with the given size; raises the latch naming it when it does not fit.
bool CheckOnScreen(const std::string& what, int x, int y, int width, int height);
