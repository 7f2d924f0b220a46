// GIF animations: each frame laid over the picture composed so far. The picture keeps palette indices while the
// colours of its frames fit one palette, and goes to 24 bits (alpha for what stays clear) once they do not.
#include "imagelib/RasterGIF.h"
#include "imagelib/RasterGIFCodes.h"

#include <algorithm>
#include <cstring>

namespace {

bool SameRgb(const RGBQUAD& a, const RGBQUAD& b)
{
    return a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed;
}

// Marks the indices an image holds, but `skip`.
void MarkIndices(CRaster& img, int32_t skip, bool used[256])
{
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    uint32_t seen[256] = {};
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* row = img.GetBits(y);
        if (bpp == 8) {
            for (uint32_t x = 0; x < w; ++x)
                seen[row[x]] = 1;
        } else {
            for (uint32_t x = 0; x < w; ++x)
                seen[GifIndexAt(row, x, bpp)] = 1;
        }
    }
    for (uint32_t i = 0; i < 256; ++i)
        if (seen[i] && static_cast<int32_t>(i) != skip)
            used[i] = true;
}

// Finds where a frame's indices go in the picture's palette of `colors` entries. Entries the picture may show keep
// their colour and the clear index is kept for the clear parts; a frame index lands on its own entry when it can,
// else on an entry of the same colour or a free one. `pal` becomes the palette after the frame: free entries take
// the frame's colours. False when the colours do not fit.
bool MapFrame(RGBQUAD* pal, uint32_t colors, bool used[256], int32_t clear, const RGBQUAD* fpal, uint32_t fcolors,
              const bool fused[256], uint8_t map[256])
{
    bool taken[256];
    std::copy(used, used + 256, taken);
    if (clear >= 0)
        taken[clear] = true;
    RGBQUAD out[256];
    std::copy(pal, pal + colors, out);
    uint8_t pending[256];
    uint32_t npending = 0;
    for (uint32_t k = 0; k < 256; ++k) {
        if (!fused[k])
            continue;
        const RGBQUAD c = k < fcolors ? fpal[k] : RGBQUAD{};
        if (k < colors && static_cast<int32_t>(k) != clear && (!taken[k] || SameRgb(out[k], c))) {
            map[k] = static_cast<uint8_t>(k);
            out[k] = c;
            taken[k] = true;
        } else {
            pending[npending++] = static_cast<uint8_t>(k);
        }
    }
    for (uint32_t i = 0; i < npending; ++i) {
        const uint32_t k = pending[i];
        const RGBQUAD c = k < fcolors ? fpal[k] : RGBQUAD{};
        uint32_t at = colors;
        for (uint32_t j = 0; j < colors && at == colors; ++j)
            if (taken[j] && static_cast<int32_t>(j) != clear && SameRgb(out[j], c))
                at = j;
        for (uint32_t j = 0; j < colors && at == colors; ++j)
            if (!taken[j])
                at = j;
        if (at == colors)
            return false;
        map[k] = static_cast<uint8_t>(at);
        out[at] = c;
        taken[at] = true;
    }
    for (uint32_t j = 0; j < colors; ++j) {
        const bool shown = taken[j] && static_cast<int32_t>(j) != clear;
        if (!shown && j < fcolors)
            out[j] = fpal[j];
        used[j] = shown;
    }
    std::copy(out, out + colors, pal);
    return true;
}

} // namespace

// The first frame: the screen at the picture's depth, filled with the index that stays clear (transparency on) or
// the screen's background index; a frame that covers the whole screen at that depth is the picture itself.
bool CRasterGIF::DecodeState::Start(CRasterGIF& self, CRasterGIF& frame, const tag_image& at, int32_t trans)
{
    remembered = trans;
    // The background index names an entry of the global table.
    uint32_t index = 0;
    if (trans >= 0)
        index = static_cast<uint32_t>(trans);
    else if (global.sogct)
        index = std::min<uint32_t>(dscgif.bcindx, global.sogct - 1);
    CRasterGIF& pic = *canvas;
    if (at.l == 0 && at.t == 0 && at.w == dscgif.scrwidth && at.h == dscgif.scrheight && frame.GetBpp() == bpp) {
        if (!pic.Transfer(frame))
            return self.Fail("Can't allocate memory");
        SetBackground(index);
        pic.SetTransIndex(trans);
        usedKnown = false; // counted when a second frame comes
        return true;
    }
    // The clear parts must be able to hold the transparent index.
    if (trans >= (1 << bpp))
        bpp = 8;
    pic.CopyInfo(self);
    if (!pic.Create(dscgif.scrwidth, dscgif.scrheight, bpp, RASTER_FORMAT_GIF))
        return self.Fail(pic.GetLastError());
    if (global.sogct)
        pic.SetPalette(global.paleta, global.sogct);
    else if (frame.IsValid())
        pic.SetPalette(frame.GetPalette(), frame.GetNumColors());
    SetBackground(index);
    pic.Clear(bkgIndex);
    if (static_cast<int32_t>(bkgIndex) != trans)
        used[bkgIndex] = true;
    return Mix(self, frame, at, trans);
}

// The background index as the picture can hold it, and its colour (from the global table when there is one).
void CRasterGIF::DecodeState::SetBackground(uint32_t index)
{
    CRasterGIF& pic = *canvas;
    bkgIndex = static_cast<uint8_t>(std::min(index, pic.GetNumColors() - 1));
    if (bkgIndex < global.sogct) {
        const rgb_color& g = global.paleta[bkgIndex];
        bkgColor = RGBQUAD{g.b, g.g, g.r, 0};
    } else {
        bkgColor = pic.GetPaletteColor(bkgIndex);
    }
}

// Disposal 2: the previous frame's part goes back to clear, or to the background.
void CRasterGIF::DecodeState::Restore()
{
    CRasterGIF& pic = *canvas;
    const tag_image& p = prevImage;
    const uint32_t h = pic.GetHeight(), bpp = pic.GetBpp();
    if (!deep && remembered < 0 && !used[bkgIndex]) {
        pic.SetPaletteColor(bkgIndex, bkgColor);
        used[bkgIndex] = true;
    }
    const uint8_t idx = remembered >= 0 ? static_cast<uint8_t>(remembered) : bkgIndex;
    for (uint32_t r = 0; r < p.h; ++r) {
        const uint32_t y = h - 1u - (p.t + r);
        uint8_t* row = pic.GetBits(y);
        for (uint32_t c = 0; c < p.w; ++c) {
            if (!deep) {
                GifSetIndexAt(row, p.l + c, bpp, idx);
                continue;
            }
            uint8_t* px = row + 3 * (p.l + c);
            px[0] = bkgColor.rgbBlue;
            px[1] = bkgColor.rgbGreen;
            px[2] = bkgColor.rgbRed;
            if (pic.AlphaIsValid())
                pic.AlphaSet(static_cast<int32_t>(p.l + c), static_cast<int32_t>(y), remembered >= 0 ? 0 : 255);
        }
    }
}

// Disposal 3: keeps what a frame is about to cover at `at`, as the picture holds it now.
bool CRasterGIF::DecodeState::SavePrevious(CRasterGIF& self, const tag_image& at)
{
    previous.Destroy();
    if (at.w == 0 || at.h == 0)
        return true;
    CRasterGIF& pic = *canvas;
    const uint32_t h = pic.GetHeight(), bpp = pic.GetBpp();
    if (!previous.Create(at.w, at.h, bpp, RASTER_FORMAT_GIF) || (deep && pic.AlphaIsValid() && !previous.AlphaCreate()))
        return self.Fail("Can't allocate memory");
    if (!deep)
        previous.SetPalette(pic.GetPalette(), pic.GetNumColors());
    for (uint32_t r = 0; r < at.h; ++r) {
        const uint32_t y = h - 1u - (at.t + r), py = at.h - 1u - r;
        const uint8_t* src = pic.GetBits(y);
        uint8_t* dst = previous.GetBits(py);
        if (!deep) {
            for (uint32_t c = 0; c < at.w; ++c)
                GifSetIndexAt(dst, c, bpp, GifIndexAt(src, at.l + c, bpp));
            continue;
        }
        std::memcpy(dst, src + 3 * at.l, 3 * at.w);
        if (previous.AlphaIsValid())
            std::memcpy(previous.AlphaGetPointer(0, static_cast<int32_t>(py)),
                        pic.AlphaGetPointer(at.l, static_cast<int32_t>(y)), at.w);
    }
    return true;
}

// After a frame with disposal 3: its part goes back to what it was before it. The picture may have gone to 8 or
// 24 bits meanwhile; the entries the kept indices name still hold their colours.
void CRasterGIF::DecodeState::RestorePrevious()
{
    if (!previous.IsValid())
        return;
    CRasterGIF& pic = *canvas;
    const tag_image& p = prevImage;
    const uint32_t h = pic.GetHeight(), bpp = pic.GetBpp(), from = previous.GetBpp();
    const RGBQUAD* pal = previous.GetPalette();
    for (uint32_t r = 0; r < p.h; ++r) {
        const uint32_t y = h - 1u - (p.t + r), py = p.h - 1u - r;
        const uint8_t* src = previous.GetBits(py);
        uint8_t* dst = pic.GetBits(y);
        uint8_t* alpha = pic.AlphaIsValid() ? pic.AlphaGetPointer(p.l, static_cast<int32_t>(y)) : nullptr;
        const uint8_t* kept = previous.AlphaIsValid() ? previous.AlphaGetPointer(0, static_cast<int32_t>(py)) : nullptr;
        for (uint32_t c = 0; c < p.w; ++c) {
            if (from == 24) {
                std::memcpy(dst + 3 * (p.l + c), src + 3 * c, 3);
                if (alpha)
                    alpha[c] = kept ? kept[c] : 255;
                continue;
            }
            const uint8_t idx = GifIndexAt(src, c, from);
            if (!deep) {
                GifSetIndexAt(dst, p.l + c, bpp, idx);
                if (idx != remembered)
                    used[idx] = true;
                continue;
            }
            uint8_t* px = dst + 3 * (p.l + c);
            px[0] = pal[idx].rgbBlue;
            px[1] = pal[idx].rgbGreen;
            px[2] = pal[idx].rgbRed;
            if (alpha)
                alpha[c] = idx == remembered ? 0 : 255;
        }
    }
    previous.Destroy();
}

// The picture at 8 bits: more palette entries for the colours of a frame.
bool CRasterGIF::DecodeState::Widen(CRasterGIF& self)
{
    CRasterGIF& pic = *canvas;
    CRasterGIF wide;
    wide.CopyInfo(pic);
    if (!wide.Create(pic.GetWidth(), pic.GetHeight(), 8, RASTER_FORMAT_GIF))
        return self.Fail(wide.GetLastError());
    wide.SetPalette(pic.GetPalette(), pic.GetNumColors());
    const uint32_t w = pic.GetWidth(), from = pic.GetBpp();
    for (uint32_t y = 0; y < pic.GetHeight(); ++y) {
        const uint8_t* src = pic.GetBits(y);
        uint8_t* dst = wide.GetBits(y);
        for (uint32_t x = 0; x < w; ++x)
            dst[x] = GifIndexAt(src, x, from);
    }
    bpp = 8;
    return pic.Transfer(wide) || self.Fail("Can't allocate memory");
}

// The picture in 24 bits; what is clear gets alpha 0.
bool CRasterGIF::DecodeState::Deepen(CRasterGIF& self)
{
    CRasterGIF& pic = *canvas;
    CRasterGIF rgbPic;
    rgbPic.CopyInfo(pic);
    if (!rgbPic.Create(pic.GetWidth(), pic.GetHeight(), 24, RASTER_FORMAT_GIF))
        return self.Fail(rgbPic.GetLastError());
    if (remembered >= 0 && !rgbPic.AlphaCreate())
        return self.Fail("Can't allocate memory");
    const RGBQUAD* pal = pic.GetPalette();
    const uint32_t w = pic.GetWidth(), from = pic.GetBpp();
    for (uint32_t y = 0; y < pic.GetHeight(); ++y) {
        const uint8_t* src = pic.GetBits(y);
        uint8_t* dst = rgbPic.GetBits(y);
        uint8_t* alpha = remembered >= 0 ? rgbPic.AlphaGetPointer(0, static_cast<int32_t>(y)) : nullptr;
        for (uint32_t x = 0; x < w; ++x) {
            const uint8_t idx = GifIndexAt(src, x, from);
            dst[3 * x] = pal[idx].rgbBlue;
            dst[3 * x + 1] = pal[idx].rgbGreen;
            dst[3 * x + 2] = pal[idx].rgbRed;
            if (alpha && idx == remembered)
                alpha[x] = 0;
        }
    }
    rgbPic.SetTransIndex(-1);
    deep = true;
    return pic.Transfer(rgbPic) || self.Fail("Can't allocate memory");
}

// Lays a frame (its part on the screen, at `at`) over the picture.
bool CRasterGIF::DecodeState::Mix(CRasterGIF& self, CRasterGIF& frame, const tag_image& at, int32_t trans)
{
    if (!frame.IsValid())
        return true; // nothing of it is on the screen
    CRasterGIF& pic = *canvas;
    const RGBQUAD* fpal = frame.GetPalette();
    const uint32_t fcolors = fpal ? frame.GetNumColors() : 0;
    if (!deep) {
        bool fused[256] = {};
        MarkIndices(frame, trans, fused);
        uint8_t map[256];
        RGBQUAD pal[256];
        const uint32_t colors = pic.GetNumColors();
        std::copy(pic.GetPalette(), pic.GetPalette() + colors, pal);
        bool fits = MapFrame(pal, colors, used, remembered, fpal, fcolors, fused, map);
        if (!fits) {
            // What the picture may show was counted generously: count what it does show, then widen or deepen.
            std::fill(used, used + 256, false);
            MarkIndices(pic, remembered, used);
            fits = MapFrame(pal, colors, used, remembered, fpal, fcolors, fused, map);
        }
        if (!fits && bpp < 8) {
            if (!Widen(self))
                return false;
            return Mix(self, frame, at, trans);
        }
        if (fits) {
            bool identity = true;
            for (uint32_t k = 0; k < 256 && identity; ++k)
                identity = !fused[k] || map[k] == k;
            GifMix(pic, frame, at, trans, identity ? nullptr : map);
            pic.SetPalette(pal, colors);
            pic.SetTransIndex(remembered);
            return true;
        }
        if (!Deepen(self))
            return false;
    }
    const uint32_t h = pic.GetHeight(), fbpp = frame.GetBpp();
    for (uint32_t r = 0; r < at.h; ++r) {
        const uint32_t y = h - 1u - (at.t + r);
        const uint8_t* src = frame.GetBits(at.h - 1u - r);
        uint8_t* dst = pic.GetBits(y) + 3 * at.l;
        uint8_t* alpha = pic.AlphaIsValid() ? pic.AlphaGetPointer(at.l, static_cast<int32_t>(y)) : nullptr;
        for (uint32_t c = 0; c < at.w; ++c) {
            const uint8_t idx = GifIndexAt(src, c, fbpp);
            if (static_cast<int32_t>(idx) == trans)
                continue;
            const RGBQUAD col = idx < fcolors ? fpal[idx] : RGBQUAD{};
            dst[3 * c] = col.rgbBlue;
            dst[3 * c + 1] = col.rgbGreen;
            dst[3 * c + 2] = col.rgbRed;
            if (alpha)
                alpha[c] = 255;
        }
    }
    return true;
}

bool CRasterGIF::Compose(CRasterGIF& frame, const tag_image& at, int32_t trans, int disposal, DecodeState& st)
{
    if (st.iImage == 0)
        return st.Start(*this, frame, at, trans);
    if (!st.usedKnown && !st.deep) {
        MarkIndices(*st.canvas, st.remembered, st.used);
        st.usedKnown = true;
    }
    if (st.prevDisposal == 2)
        st.Restore();
    else if (st.prevDisposal == 3)
        st.RestorePrevious(); // mended: disposal 3 was left in place
    // Kept only when a later frame is read.
    if (disposal == 3 && st.iImage != st.requested && !st.SavePrevious(*this, at))
        return false;
    return st.Mix(*this, frame, at, trans);
}

void CRasterGIF::GifMix(CRaster& bkg, CRaster& frame, const tag_image& at, int32_t trans, const uint8_t* map)
{
    const uint32_t bh = bkg.GetHeight(), bbpp = bkg.GetBpp(), fbpp = frame.GetBpp();
    for (uint32_t r = 0; r < at.h; ++r) {
        const uint8_t* src = frame.GetBits(at.h - 1 - r);
        uint8_t* dst = bkg.GetBits(bh - 1 - (at.t + r));
        if (trans < 0 && !map && bbpp == 8 && fbpp == 8) {
            std::memcpy(dst + at.l, src, at.w);
            continue;
        }
        for (uint32_t c = 0; c < at.w; ++c) {
            const uint8_t idx = GifIndexAt(src, c, fbpp);
            if (static_cast<int32_t>(idx) != trans)
                GifSetIndexAt(dst, at.l + c, bbpp, map ? map[idx] : idx);
        }
    }
}
