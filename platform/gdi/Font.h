// Fonts for drawing text into surfaces: a face name, cell height and weight mapped to a TrueType file via FreeType.
#pragma once

#include <memory>
#include <string>

namespace platform::gdi {

constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// What a caller asks for, as a Windows font request: a positive height is the cell height (ascent plus
// descent), a negative one the character (em) height; 0 takes a default.
struct FontDesc {
    int height = 0;
    int weight = FW_NORMAL;
    bool italic = false;
    std::string face = "Arial";
    bool antialias = true;
    bool underline = false; // DrawText and TextOut rule a line under the text
};

struct FontMetrics {
    int height = 0; // cell height: ascent + descent
    int ascent = 0;
    int descent = 0;
    int averageWidth = 0;
};

class Font {
public:
    // A font for the request; the face falls back to Liberation Sans when no file of that name is known.
    // Null with a reason when no font file can be opened at all.
    static std::unique_ptr<Font> Create(const FontDesc& desc, std::string* error = nullptr);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    const FontDesc& Desc() const { return m_desc; }
    const FontMetrics& Metrics() const { return m_metrics; }
    // Path of the TrueType file in use.
    const std::string& File() const { return m_file; }

    // Advance of one character (Windows-1252 byte), in pixels.
    int Advance(unsigned char ch);

    struct Glyph {
        int left = 0; // from the pen position
        int top = 0;  // from the baseline, upwards
        int width = 0;
        int rows = 0;
        int advance = 0;
        const unsigned char* coverage = nullptr; // rows x width, 0..255
    };
    // The rendered glyph of a character (rendered once, then kept); valid while the font lives.
    bool RenderGlyph(unsigned char ch, Glyph& glyph);

private:
    Font() = default;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    FontDesc m_desc;
    FontMetrics m_metrics;
    std::string m_file;
};

// Makes the faces of a TrueType file known by their family name (as a font resource added to the system).
// False when the file cannot be read as a font.
bool AddFontFile(const std::string& path);
bool RemoveFontFile(const std::string& path);

// The file that stands for a face name: "Arial" (and unknown names) map to Liberation Sans, found at run time
// under /usr/share/fonts/truetype/liberation2 (or ZR_FONT_DIR). Empty when none is found.
std::string FindFontFile(const std::string& face, bool bold, bool italic);

// Unicode code point of a Windows-1252 byte.
unsigned int CodePointOf(unsigned char ch);

} // namespace platform::gdi
