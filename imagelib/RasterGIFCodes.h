// Inside the GIF codec: buffered byte input, checked byte output, file descriptors, the LZW decoder and the three
// code writers (LZW, plain, run-length).
#pragma once

#include "imagelib/RasterGIF.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The screen descriptor.
struct tag_dscgif {
    uint8_t header[6];
    uint16_t scrwidth;
    uint16_t scrheight;
    uint8_t pflds;
    uint8_t bcindx;
    uint8_t pxasrat;
};

// A colour table: its entry count and the entries.
struct tag_TabCol {
    uint32_t sogct = 0;
    rgb_color paleta[256] = {};
};

// An image descriptor.
struct tag_image {
    uint16_t l;
    uint16_t t;
    uint16_t w;
    uint16_t h;
    uint8_t pf;
};

// Index x of a stored row of 1, 4 or 8 bits.
inline uint8_t GifIndexAt(const uint8_t* row, uint32_t x, uint32_t bpp)
{
    if (bpp == 8)
        return row[x];
    if (bpp == 4)
        return (x & 1) ? (row[x >> 1] & 0x0F) : static_cast<uint8_t>(row[x >> 1] >> 4);
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

inline void GifSetIndexAt(uint8_t* row, uint32_t x, uint32_t bpp, uint8_t v)
{
    if (bpp == 8) {
        row[x] = v;
    } else if (bpp == 4) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (v & 0x0F)) : static_cast<uint8_t>((b & 0x0F) | (v << 4));
    } else {
        uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
        uint8_t& b = row[x >> 3];
        b = (v & 1) ? static_cast<uint8_t>(b | mask) : static_cast<uint8_t>(b & ~mask);
    }
}

// Bytes from a stream through a 16384-byte block buffer, or straight from the block of a memory stream; Tell
// counts only what was taken.
class GifInput {
public:
    explicit GifInput(CRasterFile* file);
    int get_byte() { return m_pos < m_fill ? m_data[m_pos++] : Refill(); }
    // Reads up to n bytes; the count read.
    uint32_t Read(uint8_t* dst, uint32_t n);
    // Steps over n bytes; false when the data ends first.
    bool Skip(uint32_t n);
    // Steps over data sub-blocks up to and including the terminator, adding their data bytes to `bytes` when given;
    // false when the data ends first.
    bool SkipSubBlocks(uint64_t* bytes = nullptr);
    int32_t Tell() const { return m_start + static_cast<int32_t>(m_pos); }
    bool Seek(int32_t pos);

private:
    int Refill();

    CRasterFile* m_file;
    const uint8_t* m_view = nullptr; // a memory stream's whole block
    uint32_t m_viewSize = 0;
    int32_t m_start; // stream position of the buffer's first byte
    const uint8_t* m_data;
    uint32_t m_pos = 0;
    uint32_t m_fill = 0;
    uint8_t m_buf[16384];
};

// Bytes to a stream; remembers whether any write failed.
class GifOutput {
public:
    explicit GifOutput(CRasterFile* file) : m_file(file) {}
    void PutC(uint8_t c)
    {
        if (!m_file->PutC(c))
            m_failed = true;
    }
    void Write(const void* data, uint32_t n)
    {
        if (n && m_file->Write(data, 1, n) != n)
            m_failed = true;
    }
    // 16 bits, low byte first.
    void Putword(uint32_t w)
    {
        uint8_t b[2] = {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)};
        Write(b, 2);
    }
    bool Failed() const { return m_failed; }
    CRasterFile* File() const { return m_file; }

private:
    CRasterFile* m_file;
    bool m_failed = false;
};

// Palette indices of an image, top row first, left to right.
class GifPixels {
public:
    explicit GifPixels(CRaster& image);
    // The next index, or -1 when none is left.
    int GifNextPixel()
    {
        if (m_x == m_line.size() && !NextRow())
            return -1;
        return m_line[m_x++];
    }
    // The pixels left in the current row (the next row when it is used up), or null when none is left.
    const uint8_t* Rest(uint32_t& n)
    {
        if (m_x == m_line.size() && !NextRow())
            return nullptr;
        n = static_cast<uint32_t>(m_line.size()) - m_x;
        const uint8_t* p = m_line.data() + m_x;
        m_x = static_cast<uint32_t>(m_line.size());
        return p;
    }

private:
    bool NextRow();

    CRaster& m_image;
    uint32_t m_rowsLeft;
    uint32_t m_x = 0;
    std::vector<uint8_t> m_line;
};

// Results of the LZW decoder.
enum : int {
    GIF_LZW_END = 0,             // the end code
    GIF_LZW_DATA_ENDED = -1,     // the data ended before the end code: what was read stands
    GIF_LZW_NO_MEMORY = -10,     // no room for a row
    GIF_LZW_BAD_CODE_SIZE = -20, // a minimum code size outside 2..8
    GIF_LZW_PAST_TABLE = -21,    // a code past the next free entry of the table
    GIF_LZW_NO_CLEAR = -22,      // data that starts with a string code before any clear code
};

// One frame's LZW decoder. The output hands over each row of indices (and a last partial one); it answers false
// to stop decoding.
class GifLzwDecoder {
public:
    using LineOut = std::function<bool(const uint8_t* line, uint32_t length)>;
    // Decodes the image data at the input (code size byte, sub-blocks) and leaves the input after its terminator.
    // One of the results above; an output that stopped decoding also gives GIF_LZW_END.
    int decoder(GifInput& in, uint32_t width, const LineOut& out_line);
    // The failure text of a result below 0 that makes the frame unreadable, or null.
    static const char* ErrorText(int result);

private:
    static constexpr uint32_t kStage = 16384;

    void init_exp(int size);
    int get_next_code(GifInput& in)
    {
        if (m_bits < m_codeSize && !Refill(in))
            return -1;
        const int code = static_cast<int>(m_acc & ((1u << m_codeSize) - 1));
        m_acc >>= m_codeSize;
        m_bits -= m_codeSize;
        return code;
    }
    // Tops up the bits from the staged data; false when fewer than a code's bits are left.
    bool Refill(GifInput& in);
    // Stages the next data sub-blocks behind what is left, without their size bytes.
    void Stage(GifInput& in);
    void Finish(GifInput& in);

    int m_codeSize = 0;
    uint64_t m_acc = 0;
    int m_bits = 0;
    bool m_ended = false; // no sub-block is left to stage
    uint32_t m_stagePos = 0;
    uint32_t m_stageEnd = 0;
    uint8_t m_stage[kStage + 8];
    uint16_t m_prefix[4096];
    uint16_t m_length[4096];
    uint8_t m_suffix[4096];
    uint8_t m_first[4096];
};

// The three code writers. Each writes the frame's data sub-blocks (not the code size byte or the terminator);
// init_bits is the initial code size plus one.
void compressLZW(int init_bits, GifPixels& pixels, GifOutput& out);
void compressNONE(int init_bits, GifPixels& pixels, GifOutput& out);
void compressRLE(int init_bits, GifPixels& pixels, GifOutput& out);

// What the block walk keeps between frames while decoding.
struct CRasterGIF::DecodeState {
    tag_dscgif dscgif{};
    tag_TabCol global;
    uint32_t bpp = 1;        // depth of the composed picture: the deepest frame's
    int bTrueColor = 0;      // 2 or more: the frames are tiles of a true-colour mosaic
    int32_t iImage = 0;      // frames read so far
    int32_t requested = 0;   // the frame that ends the walk
    bool gcePending = false; // a graphic control record waits for the next frame
    int32_t remembered = -1; // the first frame's transparent index: what stays clear in the composed picture
    uint8_t bkgIndex = 0;    // the index the uncovered screen holds
    RGBQUAD bkgColor{};      // and its colour, for a picture composed in 24 bits
    int prevDisposal = 0;
    tag_image prevImage{}; // the previous frame's part on the screen
    RGBQUAD lastTransColor{};
    bool lastTrans = false;
    CRasterGIF* rgb = nullptr;    // the mosaic
    CRasterGIF* canvas = nullptr; // the composed picture
    bool used[256] = {};          // indices that may be on the composed picture (never fewer than are)
    bool usedKnown = true;        // false until `used` is counted for a first frame that was the whole picture
    bool deep = false;            // the composed picture went to 24 bits: its frames' colours did not fit one palette
    CRaster previous;             // what a frame with disposal 3 covered, as the picture held it, at prevImage
    std::unique_ptr<GifLzwDecoder> lzw;

    // The composition steps (RasterGIFCompose.cpp); `self` is the decoding image, which takes failure texts.
    bool Start(CRasterGIF& self, CRasterGIF& frame, const tag_image& at, int32_t trans);
    bool Mix(CRasterGIF& self, CRasterGIF& frame, const tag_image& at, int32_t trans);
    void SetBackground(uint32_t index);
    void Restore();
    bool SavePrevious(CRasterGIF& self, const tag_image& at);
    void RestorePrevious();
    bool Widen(CRasterGIF& self);
    bool Deepen(CRasterGIF& self);
};
