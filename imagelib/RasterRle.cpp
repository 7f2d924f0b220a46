// Run-length decoders of the published 8-bit and 4-bit bitmap codings, clipped to the image.
#include "imagelib/RasterRle.h"

namespace {

// Buffered byte reader over a stream; -1 at the end.
class ByteReader {
public:
    explicit ByteReader(CRasterFile* file) : m_file(file) {}
    int Get()
    {
        if (m_pos == m_len) {
            if (m_end || !m_file)
                return -1;
            m_len = m_file->Read(m_buf, 1, sizeof(m_buf));
            m_pos = 0;
            if (m_len == 0) {
                m_end = true;
                return -1;
            }
        }
        return m_buf[m_pos++];
    }

private:
    CRasterFile* m_file;
    uint8_t m_buf[65536];
    uint32_t m_pos = 0, m_len = 0;
    bool m_end = false;
};

// Walks the escape codes common to both codings; `store` puts one unit (byte or nibble) at the cursor.
template <class Run, class Absolute>
void Walk(ByteReader& in, CRaster& image, int64_t& x, int64_t& y, uint8_t*& row, Run run, Absolute absolute)
{
    const int64_t height = image.GetHeight();
    while (y < height) {
        int count = in.Get();
        if (count < 0)
            return;
        if (count > 0) {
            int v = in.Get();
            if (v < 0)
                return;
            run(count, v);
            continue;
        }
        int esc = in.Get();
        if (esc < 0 || esc == 1)
            return;
        if (esc == 0) {
            x = 0;
            ++y;
        } else if (esc == 2) {
            int dx = in.Get(), dy = in.Get();
            if (dx < 0 || dy < 0)
                return;
            x += dx;
            y += dy;
        } else if (!absolute(esc)) {
            return;
        }
        if (y < height)
            row = image.GetBits(static_cast<uint32_t>(y));
    }
}

} // namespace

void RasterDecodeRle8(CRaster& image, CRasterFile* hFile)
{
    if (!image.IsValid())
        return;
    ByteReader in(hFile);
    const int64_t height = image.GetHeight();
    // Byte columns, clipped to the bytes the row's pixels occupy.
    const int64_t limit = (static_cast<int64_t>(image.GetWidth()) * image.GetBpp() + 7) / 8;
    int64_t x = 0, y = 0;
    uint8_t* row = image.GetBits(0);
    auto store = [&](int v) {
        if (x < limit && y < height)
            row[x] = static_cast<uint8_t>(v);
        ++x;
    };
    Walk(
        in, image, x, y, row,
        [&](int count, int v) {
            for (int i = 0; i < count; ++i)
                store(v);
        },
        [&](int n) {
            for (int i = 0; i < n; ++i) {
                int v = in.Get();
                if (v < 0)
                    return false;
                store(v);
            }
            if (n & 1)
                in.Get();
            return true;
        });
}

void RasterDecodeRle4(CRaster& image, CRasterFile* hFile)
{
    if (!image.IsValid())
        return;
    ByteReader in(hFile);
    const int64_t height = image.GetHeight();
    // Nibble columns: the pixels of a 4-bit row, else the nibbles of its bytes.
    const int64_t rowBytes = (static_cast<int64_t>(image.GetWidth()) * image.GetBpp() + 7) / 8;
    const int64_t limit = image.GetBpp() == 4 ? static_cast<int64_t>(image.GetWidth()) : rowBytes * 2;
    int64_t x = 0, y = 0;
    uint8_t* row = image.GetBits(0);
    auto store = [&](int nibble) {
        if (x < limit && y < height) {
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | nibble) : static_cast<uint8_t>((b & 0x0F) | (nibble << 4));
        }
        ++x;
    };
    Walk(
        in, image, x, y, row,
        [&](int count, int v) {
            for (int i = 0; i < count; ++i)
                store((i & 1) ? (v & 0x0F) : (v >> 4));
        },
        [&](int n) {
            int bytes = (n + 1) / 2;
            for (int i = 0; i < bytes; ++i) {
                int v = in.Get();
                if (v < 0)
                    return false;
                store(v >> 4);
                if (2 * i + 1 < n)
                    store(v & 0x0F);
            }
            if (bytes & 1)
                in.Get();
            return true;
        });
}
