// FreeType fonts: face lookup (Arial -> Liberation Sans), cell-height sizing and glyph rendering.
#include "platform/gdi/Font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

namespace platform::gdi {
namespace {

struct Library {
    std::mutex lock;
    FT_Library ft = nullptr;
    bool failed = false;
    // lower-case family name -> style index (bit 0 bold, bit 1 italic) -> file
    std::map<std::string, std::map<int, std::string>> added;
};

Library& TheLibrary()
{
    static Library* library = new Library(); // lives to process end; fonts may be freed by late destructors
    return *library;
}

// Locked access to the FreeType library; null when it cannot start.
FT_Library LockedLibrary(Library& lib)
{
    if (!lib.ft && !lib.failed && FT_Init_FreeType(&lib.ft) != 0) {
        lib.ft = nullptr;
        lib.failed = true;
    }
    return lib.ft;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

int StyleIndex(bool bold, bool italic)
{
    return (bold ? 1 : 0) | (italic ? 2 : 0);
}

std::vector<std::string> FontFolders()
{
    std::vector<std::string> folders;
    if (const char* env = std::getenv("ZR_FONT_DIR"); env && *env)
        folders.emplace_back(env);
    folders.emplace_back("/usr/share/fonts/truetype/liberation2");
    folders.emplace_back("/usr/share/fonts/truetype/liberation");
    return folders;
}

} // namespace

unsigned int CodePointOf(unsigned char ch)
{
    static const unsigned short k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                           0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
    if (ch >= 0x80 && ch < 0xA0)
        return k80[ch - 0x80];
    return ch;
}

std::string FindFontFile(const std::string& face, bool bold, bool italic)
{
    std::string name = Lower(face);
    {
        Library& lib = TheLibrary();
        std::lock_guard<std::mutex> guard(lib.lock);
        auto it = lib.added.find(name);
        if (it != lib.added.end() && !it->second.empty()) {
            auto exact = it->second.find(StyleIndex(bold, italic));
            return exact != it->second.end() ? exact->second : it->second.begin()->second;
        }
    }
    std::string family = "LiberationSans";
    if (name.find("times") != std::string::npos || name.find("serif") != std::string::npos)
        family = "LiberationSerif";
    if (name.find("sans") != std::string::npos)
        family = "LiberationSans";
    if (name.find("courier") != std::string::npos || name.find("mono") != std::string::npos)
        family = "LiberationMono";
    static const char* kStyles[4] = {"Regular", "Bold", "Italic", "BoldItalic"};
    std::string file = family + "-" + kStyles[StyleIndex(bold, italic)] + ".ttf";
    std::error_code ec;
    for (const std::string& folder : FontFolders()) {
        std::filesystem::path p = std::filesystem::path(folder) / file;
        if (std::filesystem::is_regular_file(p, ec))
            return p.string();
    }
    return {};
}

bool AddFontFile(const std::string& path)
{
    Library& lib = TheLibrary();
    std::lock_guard<std::mutex> guard(lib.lock);
    FT_Library ft = LockedLibrary(lib);
    FT_Face face = nullptr;
    if (!ft || FT_New_Face(ft, path.c_str(), 0, &face) != 0)
        return false;
    bool ok = face->family_name != nullptr;
    if (ok) {
        bool bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
        bool italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
        lib.added[Lower(face->family_name)][StyleIndex(bold, italic)] = path;
    }
    FT_Done_Face(face);
    return ok;
}

bool RemoveFontFile(const std::string& path)
{
    Library& lib = TheLibrary();
    std::lock_guard<std::mutex> guard(lib.lock);
    bool removed = false;
    for (auto it = lib.added.begin(); it != lib.added.end();) {
        for (auto s = it->second.begin(); s != it->second.end();) {
            if (s->second == path) {
                s = it->second.erase(s);
                removed = true;
            } else {
                ++s;
            }
        }
        it = it->second.empty() ? lib.added.erase(it) : std::next(it);
    }
    return removed;
}

namespace {

// A character rendered once: text is drawn again every frame, and FreeType's hinting is the dear part.
struct CachedGlyph {
    int state = 0; // 0 not rendered yet, 1 rendered, -1 FreeType could not render it
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<unsigned char> coverage;
};

} // namespace

struct Font::Impl {
    FT_Face face = nullptr;
    int advances[256];
    CachedGlyph glyphs[256];
};

std::unique_ptr<Font> Font::Create(const FontDesc& desc, std::string* error)
{
    bool bold = desc.weight >= 600;
    std::string file = FindFontFile(desc.face, bold, desc.italic);
    if (file.empty())
        file = FindFontFile("Arial", bold, desc.italic);
    if (file.empty()) {
        if (error)
            *error = "no font file found for \"" + desc.face + "\" (install fonts-liberation2)";
        return nullptr;
    }
    std::unique_ptr<Font> font(new Font());
    font->m_impl = std::make_unique<Impl>();
    std::fill(std::begin(font->m_impl->advances), std::end(font->m_impl->advances), -1);
    font->m_desc = desc;
    font->m_file = file;
    Library& lib = TheLibrary();
    {
        std::lock_guard<std::mutex> guard(lib.lock);
        FT_Library ft = LockedLibrary(lib);
        if (!ft || FT_New_Face(ft, file.c_str(), 0, &font->m_impl->face) != 0) {
            font->m_impl->face = nullptr;
            if (error)
                *error = "cannot open font file " + file;
            return nullptr;
        }
    }
    FT_Face face = font->m_impl->face;
    double upem = face->units_per_EM ? face->units_per_EM : 2048;
    double winAscent = face->ascender, winDescent = -face->descender;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
        winAscent = os2->usWinAscent;
        winDescent = os2->usWinDescent;
    }
    int height = desc.height == 0 ? 16 : std::min(std::abs(desc.height), 1000);
    double ppem = desc.height < 0 ? height : height * upem / (winAscent + winDescent);
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(std::lround(ppem * 64.0)), 72, 72);
    FontMetrics& m = font->m_metrics;
    m.ascent = static_cast<int>(std::lround(winAscent * ppem / upem));
    if (desc.height > 0) {
        m.descent = height - m.ascent;
    } else {
        m.descent = static_cast<int>(std::lround(winDescent * ppem / upem));
    }
    m.height = m.ascent + m.descent;
    m.averageWidth = font->Advance('x');
    return font;
}

Font::~Font()
{
    if (m_impl && m_impl->face) {
        Library& lib = TheLibrary();
        std::lock_guard<std::mutex> guard(lib.lock);
        FT_Done_Face(m_impl->face);
    }
}

static FT_Int32 LoadFlags(const FontDesc& desc)
{
    return desc.antialias ? FT_LOAD_TARGET_NORMAL : (FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME);
}

int Font::Advance(unsigned char ch)
{
    int& cached = m_impl->advances[ch];
    if (cached >= 0)
        return cached;
    FT_Face face = m_impl->face;
    cached = 0;
    if (FT_Load_Char(face, CodePointOf(ch), LoadFlags(m_desc)) == 0)
        cached = static_cast<int>((face->glyph->advance.x + 32) >> 6);
    return cached;
}

static bool Rasterize(FT_Face face, FT_Int32 flags, unsigned char ch, CachedGlyph& out)
{
    if (FT_Load_Char(face, CodePointOf(ch), flags | FT_LOAD_RENDER) != 0)
        return false;
    const FT_Bitmap& bm = face->glyph->bitmap;
    out.left = face->glyph->bitmap_left;
    out.top = face->glyph->bitmap_top;
    out.width = static_cast<int>(bm.width);
    out.rows = static_cast<int>(bm.rows);
    std::vector<unsigned char>& cov = out.coverage;
    cov.assign(static_cast<size_t>(out.width) * out.rows, 0);
    int pitch = std::abs(bm.pitch);
    for (int y = 0; y < out.rows; ++y) {
        const unsigned char* row = bm.buffer + static_cast<ptrdiff_t>(y) * pitch;
        for (int x = 0; x < out.width; ++x) {
            unsigned char v;
            if (bm.pixel_mode == FT_PIXEL_MODE_MONO)
                v = (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            else
                v = row[x];
            cov[static_cast<size_t>(y) * out.width + x] = v;
        }
    }
    return true;
}

bool Font::RenderGlyph(unsigned char ch, Glyph& glyph)
{
    CachedGlyph& cached = m_impl->glyphs[ch];
    if (cached.state == 0)
        cached.state = Rasterize(m_impl->face, LoadFlags(m_desc), ch, cached) ? 1 : -1;
    glyph = Glyph{};
    glyph.advance = Advance(ch);
    if (cached.state < 0)
        return false;
    glyph.left = cached.left;
    glyph.top = cached.top;
    glyph.width = cached.width;
    glyph.rows = cached.rows;
    glyph.coverage = cached.coverage.data();
    return true;
}

} // namespace platform::gdi
