// The GIF codec: reads pictures, animations (one frame composed over those before it) and true-colour mosaics;
// writes pictures, animations and mosaics with LZW, plain or run-length codes.
#pragma once

#include "imagelib/Raster.h"

class GifInput;
class GifOutput;
struct tag_dscgif;
struct tag_TabCol;
struct tag_image;

// Compression modes of the encoder, taken from the image's codec option for GIF.
enum : uint32_t {
    RASTER_GIF_LZW = 0,
    RASTER_GIF_NONE = 1,
    RASTER_GIF_RLE = 2,
};

class CRasterGIF : public CRaster {
public:
    CRasterGIF();
    CRasterGIF(const CRasterGIF& src);
    CRasterGIF& operator=(const CRasterGIF& src);
    ~CRasterGIF() override = default;

    // Reads the frame the information record asks for (0-based); the frame count goes to the record.
    bool Decode(CRasterFile* fp);
    bool Decode(FILE* fp);
    // One picture: palette images as they are, deeper ones as a mosaic of tiles with their own palettes.
    bool Encode(CRasterFile* fp);
    bool Encode(FILE* fp);
    // An animation: the first image gives the screen and the global table; later frames take a local table when
    // asked or when their palette differs from the global one.
    bool Encode(CRasterFile* fp, CRaster** pImages, int32_t pagecount, bool bLocalColorMap = false);
    bool Encode(FILE* fp, CRaster** pImages, int32_t pagecount, bool bLocalColorMap = false);

    // Loop count as stored here: the file's loop field plus one, 0 for none or endless.
    void SetLoops(int32_t loops) { m_loops = loops; }
    int32_t GetLoops() const { return m_loops; }
    void SetDisposalMethod(int32_t dm) { m_dispmeth = dm; }
    int32_t GetDisposalMethod() const { return m_dispmeth; }
    // At most 255 characters are kept or handed out; null pointers do nothing.
    void SetComment(const char* sz_com);
    void GetComment(char* sz_com) const;

protected:
    // The graphic control record as stored in the file.
    struct GifControl {
        uint8_t flags = 0; // disposal method in bits 2-4, transparency in bit 0
        uint16_t delaytime = 0;
        uint8_t transpcolindex = 0;
    };
    // What the block walk keeps between frames while decoding.
    struct DecodeState;

    bool Fail(const char* text);
    // Reads one extension after its 0x21 byte; without a decode state it only steps over it.
    bool DecodeExtension(GifInput& in, DecodeState* st);
    // Counts the frames that reach into the screen, the deepest palette among them and how many pixels their data
    // could fill at most; the input is put back.
    int32_t get_num_frames(GifInput& in, const tag_dscgif& dscgif, const tag_TabCol& global, uint32_t& maxBpp,
                           uint64_t& fill);
    bool DecodeFrame(GifInput& in, const tag_image& image, const tag_TabCol& table, DecodeState& st);
    // Decodes a frame's data into `frame`, the part `at` on the screen; false with a text for broken data.
    bool ReadFrame(GifInput& in, const tag_image& image, const tag_image& at, const tag_TabCol& table, int32_t trans,
                   DecodeState& st, CRasterGIF& frame);
    // Copies a mosaic tile's colours into the true-colour picture.
    bool PaintTile(CRasterGIF& frame, const tag_image& at, DecodeState& st);
    // Disposes of the previous frame as it asked, then lays a frame's part on the screen (at `at`, empty for a
    // frame that draws nothing) over the picture composed so far; `disposal` is what this frame asks for after it.
    bool Compose(CRasterGIF& frame, const tag_image& at, int32_t trans, int disposal, DecodeState& st);
    // Copies the frame's indices but `trans` onto the background, through `map` when given.
    static void GifMix(CRaster& bkg, CRaster& frame, const tag_image& at, int32_t trans, const uint8_t* map);

    bool CheckSize(CRaster* image);
    void EncodeHeader(GifOutput& out);
    void EncodeLoopExtension(GifOutput& out);
    void EncodeExtension(GifOutput& out);
    void EncodeComment(GifOutput& out);
    void EncodeBody(GifOutput& out, bool bLocalColorMap, int32_t left, int32_t top);
    bool EncodeRGB(GifOutput& out);
    bool FinishWrite(GifOutput& out);

    GifControl m_gifgce;
    char m_comment[256];
    int32_t m_loops;
    int32_t m_dispmeth;
};
