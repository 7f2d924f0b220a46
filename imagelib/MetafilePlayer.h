// Plays Windows and enhanced metafile records onto a device context: mapping modes, saved states, pens, brushes,
// fonts, lines, rectangles, ellipses, polygons in either fill mode, arcs, pies, chords, Bezier curves, region fills
// and text.
#pragma once

#include "platform/gdi/DeviceContext.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

// What the header record of an enhanced metafile says.
struct MetafileEmfHeader {
    int32_t left = 0, top = 0, right = 0, bottom = 0; // bounds, in reference-device pixels
    uint32_t bytes = 0;                               // length of the whole metafile
    uint16_t handles = 0;                             // object table size, slot 0 included
    int32_t deviceWidth = 0, deviceHeight = 0;        // reference device, pixels
    int32_t millimetresWidth = 0, millimetresHeight = 0;
};

// Reads the header record at the start of `data`; false when there is none, or when its own size or the
// metafile's length does not fit in `size` bytes.
bool ReadEmfHeader(const uint8_t* data, size_t size, MetafileEmfHeader& header);

class CMetafilePlayer {
public:
    // Records played at most, and nesting of saved states at most.
    static constexpr uint32_t kMaxRecords = 1u << 20;
    static constexpr size_t kMaxSavedStates = 4096;

    // Draws into `dc`, whose picture is `width` x `height` pixels (nothing is drawn outside it).
    CMetafilePlayer(platform::gdi::DeviceContext& dc, int width, int height);

    // A Windows metafile, its 18-byte header first; the logical box (left, top) - (right, bottom) fills the
    // picture until the records set their own window and viewport.
    void PlayWmf(const uint8_t* data, size_t size, int32_t left, int32_t top, int32_t right, int32_t bottom);
    // An enhanced metafile, its header record first (see ReadEmfHeader); its bounds fill the picture.
    void PlayEmf(const uint8_t* data, size_t size);

    uint32_t RecordsPlayed() const { return m_nRecords; }
    // Why playback ended early: empty when it reached the end-of-file record or the end of the data.
    const std::string& StopReason() const { return m_strStop; }

private:
    // A logical font as the records describe it; heights in logical units.
    struct LogFont {
        int32_t height = 0;
        int32_t weight = 400;
        bool italic = false;
        bool underline = false;
        std::string face;
    };
    // A rectangle in logical units: left, top, right, bottom (right and bottom outside it).
    using Box = std::array<double, 4>;
    struct Object {
        enum Kind : uint8_t { Empty, Pen, Brush, Font, Region, Other };
        Kind kind = Empty;
        platform::gdi::Pen pen;
        platform::gdi::Brush brush;
        LogFont font;
        std::vector<Box> region; // the rectangles a region is made of
    };
    struct State {
        int mapMode = 1;
        double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
        double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
        platform::gdi::Pen pen;
        platform::gdi::Brush brush;
        std::optional<LogFont> font; // none: the default font
        COLORREF textColour = 0;
        COLORREF bkColour = 0xFFFFFF;
        int bkMode = platform::gdi::OPAQUE;
        uint32_t textAlign = 0;
        int fillMode = platform::gdi::ALTERNATE;
        bool clockwise = false;    // arcs run clockwise on the picture
        double curX = 0, curY = 0; // current position, logical
    };
    enum class ArcKind { Arc, ArcTo, Chord, Pie };
    using LogicalPoint = std::array<double, 2>;

    // Records of each kind; each returns false when the record is too short for what it says.
    bool WmfRecord(uint16_t function, const uint8_t* p, size_t n);
    bool WmfCreate(uint16_t function, const uint8_t* p, size_t n);
    bool WmfText(uint16_t function, const uint8_t* p, size_t n);
    bool EmfRecord(uint32_t type, const uint8_t* p, size_t n);
    bool EmfPolys(uint32_t type, const uint8_t* p, size_t n);
    bool EmfCreate(uint32_t type, const uint8_t* p, size_t n);
    bool EmfText(uint32_t type, const uint8_t* p, size_t n);
    bool EmfBezier(uint32_t type, const uint8_t* p, size_t n);
    bool EmfRegion(uint32_t type, const uint8_t* p, size_t n);
    // A Windows metafile region object: its scans as rectangles (none when the object is malformed).
    static std::vector<Box> WmfRegion(const uint8_t* p, size_t n);
    // Rectangles of enhanced metafile region data; false when they do not fit in `n` bytes.
    static bool EmfRegionData(const uint8_t* p, size_t n, std::vector<Box>& rects);

    // State changes shared by both formats.
    void SetMapMode(int mode);
    // 1 alternate, 2 winding; others are ignored.
    void SetFillMode(int mode);
    void SetWindowOrg(double x, double y);
    void SetWindowExt(double x, double y);
    void SetViewportOrg(double x, double y);
    void SetViewportExt(double x, double y);
    bool ExtentFits(double x, double y) const;
    void ScaleWindowExt(double xNum, double xDenom, double yNum, double yDenom);
    void ScaleViewportExt(double xNum, double xDenom, double yNum, double yDenom);
    void SaveDC();
    void RestoreDC(int32_t which);
    void SelectObject(size_t index);
    void DeleteObject(size_t index);
    // Puts the object into the first empty slot (Windows metafiles); dropped when the table is full.
    void AddObject(const Object& object);
    void SelectStockObject(uint32_t index);
    static std::optional<platform::gdi::Brush> StockBrush(uint32_t index);
    // The brush of an object table index (enhanced metafiles: a stock object when the top bit is set); the null
    // brush when there is none.
    platform::gdi::Brush BrushAt(uint32_t index) const;
    // The rectangles of the region at an object table index (none when it holds no region).
    const std::vector<Box>& RegionAt(size_t index) const;
    static platform::gdi::Pen MakePen(uint32_t style, COLORREF colour);
    static platform::gdi::Brush MakeBrush(uint32_t style, COLORREF colour);

    // Drawing in logical coordinates.
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Poly(const std::vector<POINT>& points, const std::vector<int>& counts, bool closed);
    void Rectangle(double l, double t, double r, double b);
    void RoundRect(double l, double t, double r, double b, double w, double h);
    void Ellipse(double l, double t, double r, double b);
    void SetPixel(double x, double y, COLORREF colour);
    void FillRect(double l, double t, double r, double b, COLORREF colour);
    // An arc of the ellipse in the box from the ray through the start point to the ray through the end point,
    // and the shapes made of it; ArcTo draws a line to its start first and moves the current position to its end.
    void ArcShape(ArcKind kind, double l, double t, double r, double b, double xs, double ys, double xe, double ye);
    // A line from the current position to the start of a circular arc, then the arc; angles in degrees.
    void AngleArc(double x, double y, double radius, double start, double sweep);
    // Cubic Bezier pieces: the first point, then three points a piece (control, control, end); with `fromCurrent`
    // the current position is the first point and the last one becomes current.
    void Bezier(const std::vector<LogicalPoint>& points, bool fromCurrent);
    void FillRegion(const std::vector<Box>& rects, const platform::gdi::Brush& brush);
    // Text of Windows-1252 bytes with the reference point (x, y); `opaque` boxes are filled with the background.
    void Text(double x, double y, const std::string& text, const double* opaque);

    // Logical to picture pixels (kept inside a range the drawing handles), and the scale of one logical unit.
    POINT Map(double x, double y) const;
    // Logical to picture pixels unrounded (kept inside the same range), and a pixel position rounded.
    void MapExact(double x, double y, double& px, double& py) const;
    static POINT ToPixel(double px, double py);
    void Scale(double& sx, double& sy) const;
    // Counts drawing work; playback ends once the budget is spent.
    void Spend(double cost);
    double ShapeCost(const std::vector<POINT>& points) const;
    platform::gdi::Font* RealizeFont();
    void Stop(const char* reason);

    platform::gdi::DeviceContext& m_dc;
    int m_nWidth, m_nHeight;
    // Reference device to picture: x' = x * m_fx + m_ox.
    double m_fx = 1, m_fy = 1, m_ox = 0, m_oy = 0;
    double m_ppmmX = 96 / 25.4, m_ppmmY = 96 / 25.4; // device pixels per millimetre
    State m_state;
    std::vector<State> m_saved;
    std::vector<Object> m_objects;
    std::map<std::tuple<int, int, bool, bool, std::string>, std::unique_ptr<platform::gdi::Font>> m_fonts;
    double m_work = 0, m_workLimit = 0;
    uint32_t m_nRecords = 0;
    bool m_bStopped = false;
    std::string m_strStop;
};
