// GIF byte input and output, the pixel source of the encoder, the LZW decoder and the LZW and plain code writers.
#include "imagelib/RasterGIFCodes.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>

// ---- input ----

GifInput::GifInput(CRasterFile* file) : m_file(file), m_start(file->Tell()), m_data(m_buf)
{
    // A memory stream is read in place.
    if (auto* mem = dynamic_cast<CRasterMemFile*>(file); mem && mem->Data() && m_start >= 0 && mem->Size() >= m_start) {
        m_view = mem->Data();
        m_viewSize = static_cast<uint32_t>(mem->Size());
    }
}

int GifInput::Refill()
{
    m_start += static_cast<int32_t>(m_fill);
    m_pos = 0;
    if (m_view) {
        const uint32_t at = static_cast<uint32_t>(m_start);
        m_data = m_view + std::min(at, m_viewSize);
        m_fill = at < m_viewSize ? m_viewSize - at : 0;
    } else {
        m_fill = m_file->Read(m_buf, 1, sizeof(m_buf));
    }
    if (m_fill == 0)
        return -1;
    return m_data[m_pos++];
}

uint32_t GifInput::Read(uint8_t* dst, uint32_t n)
{
    uint32_t done = 0;
    while (done < n) {
        if (m_pos == m_fill) {
            if (Refill() < 0)
                break;
            --m_pos;
        }
        uint32_t take = std::min(n - done, m_fill - m_pos);
        std::memcpy(dst + done, m_data + m_pos, take);
        m_pos += take;
        done += take;
    }
    return done;
}

bool GifInput::Skip(uint32_t n)
{
    while (n) {
        if (m_pos == m_fill) {
            if (Refill() < 0)
                return false;
            --m_pos;
        }
        uint32_t take = std::min(n, m_fill - m_pos);
        m_pos += take;
        n -= take;
    }
    return true;
}

bool GifInput::SkipSubBlocks(uint64_t* bytes)
{
    int n;
    while ((n = get_byte()) > 0) {
        if (!Skip(static_cast<uint32_t>(n)))
            return false;
        if (bytes)
            *bytes += static_cast<uint32_t>(n);
    }
    return n == 0;
}

bool GifInput::Seek(int32_t pos)
{
    m_pos = m_fill = 0;
    m_start = pos;
    return m_file->Seek(pos, SEEK_SET);
}

// ---- pixel source ----

GifPixels::GifPixels(CRaster& image) : m_image(image), m_rowsLeft(image.GetHeight())
{
    m_line.resize(image.GetWidth());
    m_x = static_cast<uint32_t>(m_line.size());
}

bool GifPixels::NextRow()
{
    if (m_rowsLeft == 0 || m_line.empty())
        return false;
    // Top row first: the top row is the last one stored.
    const uint8_t* row = m_image.GetBits(--m_rowsLeft);
    const uint32_t w = static_cast<uint32_t>(m_line.size());
    switch (m_image.GetBpp()) {
    case 8:
        std::memcpy(m_line.data(), row, w);
        break;
    case 4:
        for (uint32_t x = 0; x < w; ++x)
            m_line[x] = (x & 1) ? (row[x >> 1] & 0x0F) : static_cast<uint8_t>(row[x >> 1] >> 4);
        break;
    case 1:
        for (uint32_t x = 0; x < w; ++x)
            m_line[x] = (row[x >> 3] >> (7 - (x & 7))) & 1;
        break;
    default:
        std::fill(m_line.begin(), m_line.end(), 0);
        break;
    }
    m_x = 0;
    return true;
}

// ---- LZW decoder ----

void GifLzwDecoder::init_exp(int size)
{
    const uint32_t clear = 1u << size;
    for (uint32_t i = 0; i < clear && i < 4096; ++i) {
        m_prefix[i] = 0;
        m_suffix[i] = static_cast<uint8_t>(i);
        m_first[i] = static_cast<uint8_t>(i);
        m_length[i] = 1;
    }
    m_codeSize = size + 1;
}

void GifLzwDecoder::Stage(GifInput& in)
{
    const uint32_t left = m_stageEnd - m_stagePos;
    std::memmove(m_stage, m_stage + m_stagePos, left);
    m_stagePos = 0;
    m_stageEnd = left;
    while (!m_ended && m_stageEnd + 255 <= kStage) {
        const int n = in.get_byte();
        if (n <= 0) {
            m_ended = true;
            break;
        }
        const uint32_t got = in.Read(m_stage + m_stageEnd, static_cast<uint32_t>(n));
        m_stageEnd += got;
        if (got < static_cast<uint32_t>(n))
            m_ended = true;
    }
}

bool GifLzwDecoder::Refill(GifInput& in)
{
    if (m_stageEnd - m_stagePos < 8)
        Stage(in);
    if (m_stageEnd - m_stagePos >= 8) {
        // Whole bytes up to 63 bits in one load.
        uint64_t word;
        std::memcpy(&word, m_stage + m_stagePos, 8);
        const int n = (63 - m_bits) >> 3;
        m_acc |= (word & ((1ull << (8 * n)) - 1)) << m_bits;
        m_stagePos += static_cast<uint32_t>(n);
        m_bits += 8 * n;
        return true;
    }
    while (m_bits < m_codeSize && m_stagePos < m_stageEnd) {
        m_acc |= static_cast<uint64_t>(m_stage[m_stagePos++]) << m_bits;
        m_bits += 8;
    }
    return m_bits >= m_codeSize;
}

// Leaves the input after the frame's terminator, whatever the codes did. Staging takes whole sub-blocks, so the
// input stands at a size byte.
void GifLzwDecoder::Finish(GifInput& in)
{
    if (m_ended)
        return;
    in.SkipSubBlocks();
    m_ended = true;
}

const char* GifLzwDecoder::ErrorText(int result)
{
    switch (result) {
    case GIF_LZW_NO_MEMORY:
        return "Can't allocate memory";
    case GIF_LZW_BAD_CODE_SIZE:
        return "Corrupt GIF: minimum code size outside 2 to 8";
    case GIF_LZW_PAST_TABLE:
        return "Corrupt GIF: code past the code table";
    case GIF_LZW_NO_CLEAR:
        return "Corrupt GIF: no clear code before the first string code";
    default:
        return nullptr;
    }
}

// Mended: codes past the table, code sizes outside 2..8 and a missing first clear were read as a black picture;
// they now end the frame with their own result.
int GifLzwDecoder::decoder(GifInput& in, uint32_t width, const LineOut& out_line)
{
    m_acc = 0;
    m_bits = 0;
    m_ended = false;
    m_stagePos = m_stageEnd = 0;
    const int size = in.get_byte();
    if (size < 0)
        return GIF_LZW_DATA_ENDED;
    if (size < 2 || size > 8 || width == 0) {
        Finish(in);
        return GIF_LZW_BAD_CODE_SIZE;
    }
    init_exp(size);
    const int clear = 1 << size, end = clear + 1;
    int slot = clear + 2, topSlot = 1 << (size + 1);

    // A row plus room for the longest string: strings are written whole, then whole rows go out.
    std::vector<uint8_t> line;
    try {
        line.resize(static_cast<size_t>(width) + 4097);
    } catch (...) {
        Finish(in);
        return GIF_LZW_NO_MEMORY;
    }
    uint8_t* const buf = line.data();
    uint32_t fill = 0;
    int prev = -1;
    int result = GIF_LZW_DATA_ENDED;
    bool cleared = false, stopped = false;
    for (;;) {
        int c = get_next_code(in);
        if (c < 0)
            break;
        if (c == clear) {
            m_codeSize = size + 1;
            slot = clear + 2;
            topSlot = 1 << (size + 1);
            prev = -1;
            cleared = true;
            continue;
        }
        if (c == end) {
            result = GIF_LZW_END;
            break;
        }
        uint32_t len;
        int code = c;
        if (prev < 0) {
            // First code after a clear (or of the data): only a root has a string yet.
            if (code > end) {
                result = cleared ? GIF_LZW_PAST_TABLE : GIF_LZW_NO_CLEAR;
                break;
            }
            len = 1;
            buf[fill] = m_suffix[code];
        } else {
            // The next free entry is the one being made from the previous string; anything past it is unknown.
            if (code > slot) {
                result = GIF_LZW_PAST_TABLE;
                break;
            }
            bool repeat = code == slot;
            if (repeat)
                code = prev;
            len = m_length[code] + (repeat ? 1u : 0u);
            if (len > 4096)
                break; // no string is longer: the table is broken
            uint8_t* p = buf + fill + len - 1;
            if (repeat)
                *p-- = m_first[prev];
            for (uint32_t k = code, n = m_length[code]; n > 0; --n) {
                *p-- = m_suffix[k];
                k = m_prefix[k];
            }
            if (slot < topSlot) {
                m_prefix[slot] = static_cast<uint16_t>(prev);
                m_suffix[slot] = buf[fill];
                m_first[slot] = m_first[prev];
                m_length[slot] = static_cast<uint16_t>(m_length[prev] + 1);
                if (repeat)
                    c = slot;
                ++slot;
                if (slot >= topSlot && m_codeSize < 12) {
                    topSlot <<= 1;
                    ++m_codeSize;
                }
            } else if (repeat) {
                break; // a full table has no next slot to repeat into
            }
        }
        prev = prev < 0 ? code : c;
        fill += len;
        uint32_t off = 0;
        while (fill - off >= width) {
            if (!out_line(buf + off, width)) {
                stopped = true;
                break;
            }
            off += width;
        }
        if (stopped)
            break;
        if (off) {
            std::memmove(buf, buf + off, fill - off);
            fill -= off;
        }
    }
    if (!stopped && fill > 0 && result >= GIF_LZW_DATA_ENDED)
        out_line(buf, std::min(fill, width));
    Finish(in);
    return stopped ? GIF_LZW_END : result;
}

// ---- LZW and plain code writers ----

namespace {

constexpr int kMaxBits = 12;
constexpr int kMaxMaxCode = 1 << kMaxBits;

// The code packer shared by the LZW and plain writers: codes of growing width in packets of 254 bytes.
class GifCodeWriter {
public:
    GifCodeWriter(int init_bits, GifOutput& out)
        : m_out(out), g_init_bits(init_bits), n_bits(init_bits), maxcode((1 << init_bits) - 1),
          ClearCode(1 << (init_bits - 1)), EOFCode(ClearCode + 1), free_ent(ClearCode + 2)
    {
    }

    void output(int code)
    {
        cur_accum |= static_cast<uint32_t>(code) << cur_bits;
        cur_bits += n_bits;
        while (cur_bits >= 8) {
            char_out(static_cast<uint8_t>(cur_accum));
            cur_accum >>= 8;
            cur_bits -= 8;
        }
        // The width follows the decoder's table: one bit more once the next free code passes the widest one.
        if (free_ent > maxcode || clear_flg) {
            if (clear_flg) {
                n_bits = g_init_bits;
                maxcode = (1 << n_bits) - 1;
                clear_flg = false;
            } else {
                ++n_bits;
                maxcode = n_bits == kMaxBits ? kMaxMaxCode : (1 << n_bits) - 1;
            }
        }
        if (code == EOFCode) {
            while (cur_bits > 0) {
                char_out(static_cast<uint8_t>(cur_accum));
                cur_accum >>= 8;
                cur_bits -= 8;
            }
            flush_char();
        }
    }

    void char_out(uint8_t c)
    {
        accum[a_count++] = c;
        if (a_count >= 254)
            flush_char();
    }

    void flush_char()
    {
        if (a_count > 0) {
            m_out.PutC(static_cast<uint8_t>(a_count));
            m_out.Write(accum, a_count);
            a_count = 0;
        }
    }

    GifOutput& m_out;
    int g_init_bits;
    int n_bits;
    int maxcode;
    int ClearCode;
    int EOFCode;
    int free_ent;
    bool clear_flg = false;
    uint32_t cur_accum = 0;
    int cur_bits = 0;
    uint32_t a_count = 0;
    uint8_t accum[256];
};

} // namespace

namespace {

// The LZW string table of the writer: (prefix code, pixel) keys to codes in an open-addressed hash of twice the
// codes it can hold, so a probe seldom runs long. Each entry is key << 12 | code; a clear empties only the entries
// in use.
class LzwStrings {
public:
    LzwStrings() { std::fill(std::begin(m_tab), std::end(m_tab), kEmpty); }
    // The code of the key, or -1 with `slot` where it would go.
    int Find(uint32_t key, uint32_t& slot) const
    {
        uint32_t h = (key * 2654435761u) >> (32 - kBits);
        for (;;) {
            const uint32_t e = m_tab[h];
            if (e == kEmpty) {
                slot = h;
                return -1;
            }
            if ((e >> 12) == key)
                return static_cast<int>(e & 0xFFF);
            h = (h + 1) & (kSize - 1);
        }
    }
    void Add(uint32_t slot, uint32_t key, int code)
    {
        m_tab[slot] = key << 12 | static_cast<uint32_t>(code);
        m_used[m_count++] = static_cast<uint16_t>(slot);
    }
    void cl_hash()
    {
        for (uint32_t i = 0; i < m_count; ++i)
            m_tab[m_used[i]] = kEmpty;
        m_count = 0;
    }

private:
    static constexpr int kBits = 13;
    static constexpr uint32_t kSize = 1u << kBits;
    // No key reaches this: prefix 4095 is the last code given, so no string extends it.
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
    uint32_t m_tab[kSize];
    uint16_t m_used[kMaxMaxCode];
    uint32_t m_count = 0;
};

} // namespace

void compressLZW(int init_bits, GifPixels& pixels, GifOutput& out)
{
    GifCodeWriter w(init_bits, out);
    auto strings = std::make_unique<LzwStrings>();
    w.output(w.ClearCode);
    int ent = pixels.GifNextPixel();
    if (ent < 0) {
        w.output(w.EOFCode);
        return;
    }
    uint32_t n;
    while (const uint8_t* row = pixels.Rest(n)) {
        for (uint32_t k = 0; k < n; ++k) {
            const uint32_t c = row[k];
            const uint32_t key = static_cast<uint32_t>(ent) << 8 | c;
            uint32_t slot;
            const int code = strings->Find(key, slot);
            if (code >= 0) {
                ent = code;
                continue;
            }
            w.output(ent);
            ent = static_cast<int>(c);
            if (w.free_ent < kMaxMaxCode) {
                strings->Add(slot, key, w.free_ent++);
            } else {
                // Table full: start over.
                strings->cl_hash();
                w.free_ent = w.ClearCode + 2;
                w.clear_flg = true;
                w.output(w.ClearCode);
            }
        }
    }
    w.output(ent);
    w.output(w.EOFCode);
}

void compressNONE(int init_bits, GifPixels& pixels, GifOutput& out)
{
    GifCodeWriter w(init_bits, out);
    w.output(w.ClearCode);
    bool first = true;
    int c;
    while ((c = pixels.GifNextPixel()) >= 0) {
        // The decoder adds an entry for every code but the first after a clear.
        if (!first)
            ++w.free_ent;
        first = false;
        w.output(c);
        if (w.free_ent >= kMaxMaxCode) {
            w.free_ent = w.ClearCode + 2;
            w.clear_flg = true;
            w.output(w.ClearCode);
            first = true;
        }
    }
    w.output(w.EOFCode);
}
