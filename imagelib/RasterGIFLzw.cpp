// GIF byte input and output, the pixel source of the encoder, the LZW decoder and the LZW and plain code writers.
#include "imagelib/RasterGIFCodes.h"

#include <algorithm>
#include <cstring>

// ---- input ----

GifInput::GifInput(CRasterFile* file) : m_file(file), m_start(file->Tell()) {}

int GifInput::Refill()
{
    m_start += static_cast<int32_t>(m_fill);
    m_pos = 0;
    m_fill = m_file->Read(m_buf, 1, sizeof(m_buf));
    if (m_fill == 0)
        return -1;
    return m_buf[m_pos++];
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
        std::memcpy(dst + done, m_buf + m_pos, take);
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

int GifLzwDecoder::get_next_code(GifInput& in)
{
    while (m_bits < m_codeSize) {
        if (m_blockLeft == 0) {
            if (m_ended)
                return -1;
            int n = in.get_byte();
            if (n <= 0) {
                m_ended = true;
                return -1;
            }
            m_blockLeft = static_cast<uint32_t>(n);
        }
        int b = in.get_byte();
        if (b < 0) {
            m_ended = true;
            return -1;
        }
        --m_blockLeft;
        m_acc |= static_cast<uint32_t>(b) << m_bits;
        m_bits += 8;
    }
    int code = static_cast<int>(m_acc & ((1u << m_codeSize) - 1));
    m_acc >>= m_codeSize;
    m_bits -= m_codeSize;
    return code;
}

// Leaves the input after the frame's terminator, whatever the codes did.
void GifLzwDecoder::Finish(GifInput& in)
{
    if (m_ended)
        return;
    if (in.Skip(m_blockLeft))
        in.SkipSubBlocks();
    m_ended = true;
}

int GifLzwDecoder::decoder(GifInput& in, uint32_t width, const LineOut& out_line)
{
    m_acc = 0;
    m_bits = 0;
    m_blockLeft = 0;
    m_ended = false;
    m_badCodes = 0;
    const int size = in.get_byte();
    if (size < 0)
        return size;
    if (size < 2 || size > 9 || width == 0) {
        Finish(in);
        return -20;
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
        return -10;
    }
    uint8_t* const buf = line.data();
    uint32_t fill = 0;
    int prev = -1;
    int result = -1;
    bool stopped = false;
    for (;;) {
        int c = get_next_code(in);
        if (c < 0)
            break;
        if (c == clear) {
            m_codeSize = size + 1;
            slot = clear + 2;
            topSlot = 1 << (size + 1);
            prev = -1;
            continue;
        }
        if (c == end) {
            result = 0;
            break;
        }
        uint32_t len;
        int code = c;
        if (prev < 0) {
            // First code after a clear: a root, anything else counts as 0.
            if (code >= clear)
                code = 0;
            len = 1;
            buf[fill] = m_suffix[code];
        } else {
            bool repeat = code >= slot;
            if (repeat) {
                if (code > slot)
                    ++m_badCodes;
                code = prev;
            }
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
    if (!stopped && fill > 0)
        out_line(buf, std::min(fill, width));
    Finish(in);
    return stopped ? 0 : result;
}

// ---- LZW and plain code writers ----

namespace {

constexpr int kMaxBits = 12;
constexpr int kMaxMaxCode = 1 << kMaxBits;
constexpr int kHashSize = 5003;

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

void compressLZW(int init_bits, GifPixels& pixels, GifOutput& out)
{
    GifCodeWriter w(init_bits, out);
    std::vector<int32_t> htab(kHashSize);
    std::vector<uint16_t> codetab(kHashSize);
    auto cl_hash = [&] { std::fill(htab.begin(), htab.end(), -1); };
    int hshift = 0;
    for (int32_t fcode = kHashSize; fcode < 65536; fcode *= 2)
        ++hshift;
    hshift = 8 - hshift;

    cl_hash();
    w.output(w.ClearCode);
    int ent = pixels.GifNextPixel();
    if (ent < 0) {
        w.output(w.EOFCode);
        return;
    }
    int c;
    while ((c = pixels.GifNextPixel()) >= 0) {
        const int32_t fcode = (static_cast<int32_t>(c) << kMaxBits) + ent;
        int i = (c << hshift) ^ ent;
        if (htab[i] == fcode) {
            ent = codetab[i];
            continue;
        }
        bool found = false;
        if (htab[i] >= 0) {
            // Secondary probe, stepping back with wrap-around.
            const int disp = i == 0 ? 1 : kHashSize - i;
            do {
                i -= disp;
                if (i < 0)
                    i += kHashSize;
                if (htab[i] == fcode) {
                    ent = codetab[i];
                    found = true;
                    break;
                }
            } while (htab[i] >= 0);
        }
        if (found)
            continue;
        w.output(ent);
        ent = c;
        if (w.free_ent < kMaxMaxCode) {
            codetab[i] = static_cast<uint16_t>(w.free_ent++);
            htab[i] = fcode;
        } else {
            // Table full: start over.
            cl_hash();
            w.free_ent = w.ClearCode + 2;
            w.clear_flg = true;
            w.output(w.ClearCode);
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
