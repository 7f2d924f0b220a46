// GIF decoding: the block walk, extensions, frame counting, row placement and the composition of frames.
#include "imagelib/RasterGIF.h"
#include "imagelib/RasterGIFCodes.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

uint32_t DepthFor(uint32_t colors)
{
    return colors <= 2 ? 1 : colors <= 16 ? 4 : 8;
}

bool ReadTable(GifInput& in, tag_TabCol& table)
{
    uint8_t raw[768] = {};
    uint32_t got = in.Read(raw, table.sogct * 3);
    for (uint32_t i = 0; i < table.sogct; ++i)
        table.paleta[i] = rgb_color{raw[3 * i], raw[3 * i + 1], raw[3 * i + 2]};
    return got == table.sogct * 3;
}

// Frames that reach into the screen are read, and clipped to it; others are frames that draw nothing.
bool OnScreen(const tag_image& image, const tag_dscgif& dscgif)
{
    return image.w > 0 && image.h > 0 && image.l < dscgif.scrwidth && image.t < dscgif.scrheight;
}

// The part of a frame on the screen; empty (no width, no height) for a frame wholly outside it.
tag_image Visible(const tag_image& image, const tag_dscgif& dscgif)
{
    tag_image v = image;
    if (!OnScreen(image, dscgif)) {
        v.w = v.h = 0;
        return v;
    }
    v.w = static_cast<uint16_t>(std::min<uint32_t>(image.w, dscgif.scrwidth - image.l));
    v.h = static_cast<uint16_t>(std::min<uint32_t>(image.h, dscgif.scrheight - image.t));
    return v;
}

// The most pixels LZW data of `bytes` bytes can give: each code after a clear is at most one pixel longer than the
// one before, and none is longer than the table.
uint64_t MaxPixels(uint64_t bytes, int codeSize)
{
    if (codeSize < 2 || codeSize > 8)
        return 0;
    const uint64_t codes = bytes * 8 / static_cast<uint64_t>(codeSize + 1);
    if (codes <= 4096)
        return codes * (codes + 1) / 2;
    return 4096ull * 4097 / 2 + (codes - 4096) * 4096;
}

tag_image ParseImage(const uint8_t* d)
{
    return tag_image{rasterbytes::Get16(d), rasterbytes::Get16(d + 2), rasterbytes::Get16(d + 4),
                     rasterbytes::Get16(d + 6), d[8]};
}

// Frame rows in file order: plain top to bottom, or the four interlace passes; -1 once every row is placed.
class GifRowPlacer {
public:
    GifRowPlacer(uint32_t height, bool interlaced) : m_height(height), m_interlaced(interlaced) {}
    int32_t Next()
    {
        if (!m_interlaced)
            return m_row < m_height ? static_cast<int32_t>(m_row++) : -1;
        static const uint32_t kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        // A pass that starts at or past the height has no rows: go on to the next.
        while (m_pass < 4 && m_row >= m_height) {
            if (++m_pass < 4)
                m_row = kStart[m_pass];
        }
        if (m_pass >= 4)
            return -1;
        uint32_t r = m_row;
        m_row += kStep[m_pass];
        return static_cast<int32_t>(r);
    }

private:
    uint32_t m_height;
    bool m_interlaced;
    int m_pass = 0;
    uint32_t m_row = 0;
};

// Packs a row of indices into a stored row of 1, 4 or 8 bits.
void PackRow(uint8_t* row, const uint8_t* line, uint32_t len, uint32_t bpp)
{
    if (bpp == 8) {
        std::memcpy(row, line, len);
        return;
    }
    for (uint32_t x = 0; x < len; ++x)
        GifSetIndexAt(row, x, bpp, line[x]);
}

} // namespace

CRasterGIF::CRasterGIF() : CRaster(RASTER_FORMAT_GIF), m_comment{}, m_loops(0), m_dispmeth(0) {}

CRasterGIF::CRasterGIF(const CRasterGIF& src) : CRaster(src, true, true, true)
{
    m_gifgce = src.m_gifgce;
    std::memcpy(m_comment, src.m_comment, sizeof(m_comment));
    m_loops = src.m_loops;
    m_dispmeth = src.m_dispmeth;
}

CRasterGIF& CRasterGIF::operator=(const CRasterGIF& src)
{
    if (this != &src) {
        Copy(src, true, true, true);
        m_gifgce = src.m_gifgce;
        std::memcpy(m_comment, src.m_comment, sizeof(m_comment));
        m_loops = src.m_loops;
        m_dispmeth = src.m_dispmeth;
    }
    return *this;
}

void CRasterGIF::SetComment(const char* sz_com)
{
    if (!sz_com)
        return;
    const size_t n = strnlen(sz_com, 255);
    std::memcpy(m_comment, sz_com, n);
    m_comment[n] = 0;
}

void CRasterGIF::GetComment(char* sz_com) const
{
    if (!sz_com)
        return;
    const size_t n = strnlen(m_comment, 255);
    std::memcpy(sz_com, m_comment, n);
    sz_com[n] = 0;
}

bool CRasterGIF::Fail(const char* text)
{
    SetError(text);
    return false;
}

bool CRasterGIF::Decode(FILE* fp)
{
    CRasterIOFile file(fp);
    return Decode(&file);
}

bool CRasterGIF::DecodeExtension(GifInput& in, DecodeState* st)
{
    const int label = in.get_byte();
    if (label < 0)
        return false;
    bool ok = true;
    if (label == 0xF9) {
        const int size = in.get_byte();
        uint8_t r[4];
        ok = in.Read(r, 4) == 4 && size == 4;
        if (ok && st) {
            m_gifgce.flags = r[0];
            m_gifgce.delaytime = rasterbytes::Get16(r + 1);
            m_gifgce.transpcolindex = r[3];
            m_info.dwFrameDelay = m_gifgce.delaytime;
            m_dispmeth = (r[0] >> 2) & 7;
            st->gcePending = true;
        }
    } else if (label == 0xFE) {
        const int n = in.get_byte();
        if (n <= 0)
            return n == 0; // an empty comment: that byte was the terminator
        uint8_t text[256];
        uint32_t got = in.Read(text, static_cast<uint32_t>(n));
        ok = got == static_cast<uint32_t>(n);
        if (st) {
            std::memcpy(m_comment, text, got);
            m_comment[got] = 0;
        }
    } else if (label == 0xFF) {
        if (in.get_byte() != 11)
            return false;
        uint8_t id[11];
        if (in.Read(id, 11) != 11)
            return false;
        const int n = in.get_byte();
        if (n <= 0)
            return n == 0;
        uint8_t block[256];
        if (in.Read(block, static_cast<uint32_t>(n)) != static_cast<uint32_t>(n))
            return false;
        // Only the looping blocks carry a loop field; other applications' data is stepped over.
        bool looping = std::memcmp(id, "NETSCAPE2.0", 11) == 0 || std::memcmp(id, "ANIMEXTS1.0", 11) == 0;
        if (st && looping && n > 2) {
            int32_t field = block[1] + 256 * block[2];
            m_loops = field ? field + 1 : 0;
        }
    }
    int n;
    while ((n = in.get_byte()) > 0)
        if (!in.Skip(static_cast<uint32_t>(n)))
            return ok;
    return ok;
}

int32_t CRasterGIF::get_num_frames(GifInput& in, const tag_dscgif& dscgif, const tag_TabCol& global, uint32_t& maxBpp,
                                   uint64_t& fill)
{
    const int32_t pos = in.Tell();
    int32_t count = 0;
    int prev = 0;
    bool go = true;
    maxBpp = 1;
    fill = 0;
    while (go) {
        const int ch = in.get_byte();
        if (ch < 0)
            break;
        if (prev != 0 && ch != 0) {
            prev = ch;
            continue;
        }
        prev = 0;
        if (ch == 0x21) {
            go = DecodeExtension(in, nullptr);
        } else if (ch == 0x3B) {
            go = false;
        } else if (ch == 0x2C) {
            uint8_t d[9];
            if (in.Read(d, 9) != 9)
                break;
            tag_image image = ParseImage(d);
            uint32_t colors = global.sogct;
            if (image.pf & 0x80) {
                colors = 1u << ((image.pf & 7) + 1);
                if (!in.Skip(colors * 3))
                    break;
            }
            // Mended: a frame wholly outside the screen was not counted, which shifted every later frame number.
            ++count;
            const bool shown = OnScreen(image, dscgif);
            if (shown)
                maxBpp = std::max(maxBpp, DepthFor(colors));
            const int codeSize = in.get_byte();
            uint64_t bytes = 0;
            if (codeSize < 0 || !in.SkipSubBlocks(&bytes))
                break;
            if (shown) {
                const tag_image v = Visible(image, dscgif);
                fill += std::min<uint64_t>(static_cast<uint64_t>(v.w) * v.h, MaxPixels(bytes, codeSize));
            }
        } else {
            prev = ch;
        }
    }
    in.Seek(pos);
    return count;
}

bool CRasterGIF::Decode(CRasterFile* fp)
{
    if (!fp)
        return false;
    GifInput in(fp);
    uint8_t head[13];
    if (in.Read(head, 13) != 13 || std::memcmp(head, "GIF8", 4) != 0)
        return Fail("Not a GIF");
    DecodeState st;
    std::memcpy(st.dscgif.header, head, 6);
    st.dscgif.scrwidth = rasterbytes::Get16(head + 6);
    st.dscgif.scrheight = rasterbytes::Get16(head + 8);
    st.dscgif.pflds = head[10];
    st.dscgif.bcindx = head[11];
    st.dscgif.pxasrat = head[12];
    if (GetEscape() == -1) {
        m_head.biWidth = st.dscgif.scrwidth;
        m_head.biHeight = st.dscgif.scrheight;
        return true;
    }
    tag_TabCol& global = st.global;
    if (st.dscgif.pflds & 0x80) {
        global.sogct = 1u << ((st.dscgif.pflds & 7) + 1);
        ReadTable(in, global);
    }
    st.bTrueColor = (st.dscgif.pflds & 0x80) ? 0 : 1;
    // Nothing of an earlier picture carries over into this one.
    m_info.nBkgndIndex = -1;
    m_info.dwFrameDelay = 0;
    m_gifgce = GifControl{};
    uint64_t fill = 0;
    const int32_t count = get_num_frames(in, st.dscgif, global, st.bpp, fill);
    m_info.nNumFrames = count;
    if (GetFrame() < 0 || GetFrame() >= count)
        return Fail("GIF frame not found");
    // A few bytes must not declare a screen of hundreds of megabytes.
    const uint64_t screen = static_cast<uint64_t>(st.dscgif.scrwidth) * st.dscgif.scrheight;
    if (!RasterDataCanFill(screen, fill))
        return Fail("GIF screen too large for its image data");
    if (count == 1)
        st.bTrueColor = 0;
    st.requested = GetFrame();
    try {
        st.lzw = std::make_unique<GifLzwDecoder>();
    } catch (...) {
        return Fail("Can't allocate memory");
    }
    CRasterGIF rgb, canvas;
    st.rgb = &rgb;
    st.canvas = &canvas;

    int prev = 0;
    bool go = true;
    while (go) {
        const int ch = in.get_byte();
        if (ch < 0)
            break;
        if (GetEscape() > 0)
            return Fail("Cancelled");
        if (prev != 0 && ch != 0) {
            prev = ch;
            continue;
        }
        prev = 0;
        if (ch == 0x21) {
            go = DecodeExtension(in, &st);
        } else if (ch == 0x3B) {
            go = false;
        } else if (ch == 0x2C) {
            uint8_t d[9];
            if (in.Read(d, 9) != 9)
                break;
            tag_image image = ParseImage(d);
            tag_TabCol local;
            const bool hasLocal = image.pf & 0x80;
            if (hasLocal) {
                local.sogct = 1u << ((image.pf & 7) + 1);
                ReadTable(in, local);
            }
            // A frame without a table of its own uses the global one.
            if (!DecodeFrame(in, image, hasLocal ? local : global, st))
                return false;
            if (st.iImage == st.requested)
                go = false;
            else
                ++st.iImage;
        } else {
            prev = ch;
        }
    }
    if (st.bTrueColor >= 2 && rgb.IsValid()) {
        rgb.SetTransIndex(-1);
        if (m_gifgce.flags & 1) {
            rgb.SetTransColor(st.lastTransColor);
            rgb.SetTransIndex(0);
        }
        Transfer(rgb);
    } else if (canvas.IsValid()) {
        // The picture with this image's record as it stands after the walk.
        RASTERINFO info = m_info;
        info.dwEffWidth = canvas.m_info.dwEffWidth;
        info.pImage = canvas.m_info.pImage;
        info.dwType = canvas.m_info.dwType;
        info.nBkgndIndex = canvas.m_info.nBkgndIndex;
        info.last_c_isvalid = false;
        canvas.m_info = info;
        Transfer(canvas);
    }
    if (!IsValid())
        return Fail("GIF frame not found");
    // Composed pictures lie at the screen's origin.
    SetOffset(0, 0);
    return true;
}

bool CRasterGIF::DecodeFrame(GifInput& in, const tag_image& image, const tag_TabCol& table, DecodeState& st)
{
    if (st.iImage == 0 && (image.w != st.dscgif.scrwidth || image.h != st.dscgif.scrheight)) {
        // A mosaic: every tile is read into one true-colour picture.
        if (++st.bTrueColor >= 2)
            st.requested = m_info.nNumFrames - 1;
    }
    const int32_t trans = st.gcePending && (m_gifgce.flags & 1) ? m_gifgce.transpcolindex : -1;
    int disposal = st.gcePending ? (m_gifgce.flags >> 2) & 7 : 0;
    st.gcePending = false;
    // Before the first frame there is only the background.
    if (disposal == 3 && st.iImage == 0)
        disposal = 2;

    // Only the part on the screen is kept; a frame with none draws nothing and its data is stepped over.
    const tag_image at = Visible(image, st.dscgif);
    CRasterGIF frame;
    if (at.w && at.h) {
        if (!ReadFrame(in, image, at, table, trans, st, frame))
            return false;
    } else if (in.get_byte() >= 0) {
        in.SkipSubBlocks();
    }
    if (GetEscape())
        return Fail("Cancelled");
    if (trans >= 0) {
        st.lastTrans = true;
        // As the frame's palette holds it: the table, then white up to the entries of its depth.
        const uint32_t t = static_cast<uint32_t>(trans);
        rgb_color c{0, 0, 0};
        if (t < table.sogct)
            c = table.paleta[t];
        else if (table.sogct && t < (1u << DepthFor(table.sogct)))
            c = rgb_color{255, 255, 255};
        st.lastTransColor = RGBQUAD{c.b, c.g, c.r, 0};
    }

    if (st.bTrueColor >= 2) {
        if (!PaintTile(frame, at, st))
            return false;
    } else if (!Compose(frame, at, trans, disposal, st)) {
        return false;
    }
    st.prevDisposal = disposal;
    st.prevImage = at;
    return true;
}

bool CRasterGIF::ReadFrame(GifInput& in, const tag_image& image, const tag_image& at, const tag_TabCol& table,
                           int32_t trans, DecodeState& st, CRasterGIF& frame)
{
    const uint32_t bpp = DepthFor(table.sogct);
    frame.CopyInfo(*this);
    if (!frame.Create(at.w, at.h, bpp, RASTER_FORMAT_GIF))
        return Fail(frame.GetLastError());
    if (table.sogct) {
        rgb_color pal[256];
        std::memcpy(pal, table.paleta, sizeof(pal));
        uint32_t n = table.sogct;
        if (trans >= 0 && n < 256) {
            for (uint32_t i = n; i < 256; ++i)
                pal[i] = rgb_color{255, 255, 255};
            n = 256;
        }
        frame.SetPalette(pal, n);
    }
    GifRowPlacer placer(image.h, (image.pf & 0x40) != 0);
    const bool interlaced = (image.pf & 0x40) != 0;
    const int result = st.lzw->decoder(in, image.w, [&](const uint8_t* line, uint32_t len) {
        const int32_t r = placer.Next();
        if (r < 0)
            return false;
        if (static_cast<uint32_t>(r) >= at.h)
            return interlaced; // rows below the screen: only interlaced ones come back above it
        PackRow(frame.GetBits(at.h - 1 - static_cast<uint32_t>(r)), line, std::min<uint32_t>(len, at.w), bpp);
        return true;
    });
    // Data that ends early leaves what was read; data that breaks the code table fails the picture.
    if (const char* text = GifLzwDecoder::ErrorText(result))
        return Fail(text);
    return true;
}

bool CRasterGIF::PaintTile(CRasterGIF& frame, const tag_image& at, DecodeState& st)
{
    CRasterGIF& rgb = *st.rgb;
    if (!rgb.IsValid()) {
        rgb.CopyInfo(*this);
        if (!rgb.Create(st.dscgif.scrwidth, st.dscgif.scrheight, 24, RASTER_FORMAT_GIF))
            return Fail(rgb.GetLastError());
    }
    if (!frame.IsValid())
        return true;
    const RGBQUAD* pal = frame.GetPalette();
    const uint32_t colors = frame.GetNumColors(), bpp = frame.GetBpp();
    for (uint32_t r = 0; r < at.h; ++r) {
        const uint8_t* src = frame.GetBits(at.h - 1 - r);
        uint8_t* dst = rgb.GetBits(st.dscgif.scrheight - 1u - (at.t + r));
        for (uint32_t c = 0; c < at.w; ++c) {
            const uint8_t idx = GifIndexAt(src, c, bpp);
            const RGBQUAD col = idx < colors ? pal[idx] : RGBQUAD{0, 0, 0, 0};
            uint8_t* p = dst + 3 * (at.l + c);
            p[0] = col.rgbBlue;
            p[1] = col.rgbGreen;
            p[2] = col.rgbRed;
        }
    }
    return true;
}
