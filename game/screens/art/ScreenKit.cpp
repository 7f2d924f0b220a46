// Surface copies, fonts, text on surfaces, captioned buttons and screen sounds for the game's screens.
#include "game/screens/art/ScreenKit.h"

#include "core/display/CDisplay.h"
#include "game/app/Game.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"
#include "platform/system/MessageBox.h"
#include "platform/system/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace gdi = platform::gdi;

namespace {

double RelativeLuminance(COLORREF c)
{
    auto linear = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(GetRValue(c)) + 0.7152 * linear(GetGValue(c)) + 0.0722 * linear(GetBValue(c));
}

} // namespace

double ContrastRatio(COLORREF a, COLORREF b)
{
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

SurfacePtr CopySurface(CDisplay* display, CSurface* source)
{
    if (!display || !source || !source->IsCreated())
        return nullptr;
    CSurface* copy = display->CreateKeyedSurface(source, source->GetWidth(), source->GetHeight());
    if (!copy)
        return nullptr;
    return SurfacePtr(copy, [](CSurface* s) {
        s->Release();
        delete s;
    });
}

SurfacePtr CopyArt(CDisplay* display, const CArtRow& row)
{
    if (!display || !display->IsUsable() || row.width <= 0 || row.height <= 0)
        return nullptr;
    return CopySurface(display, row.pSurface.get());
}

int TopBandHeight(CSurface* panel)
{
    const platform::PixelSurface* pixels = panel ? panel->GetPixels() : nullptr;
    if (!pixels || pixels->Width() <= 0 || pixels->Height() <= 0)
        return 0;
    const int x = pixels->Width() / 2, h = pixels->Height();
    const uint32_t body = pixels->GetPixel(x, h / 2);
    // The rows above the body colour's first row at the centre column (a band of a third of the panel at most).
    for (int y = 0; y < h / 3; ++y)
        if (pixels->GetPixel(x, y) == body)
            return y;
    return 0;
}

SurfacePtr MakeFace(CDisplay* display, const CArtRow& row, const std::string& caption, platform::gdi::Font* font,
                    COLORREF colour, bool rightAligned)
{
    SurfacePtr face = CopyArt(display, row);
    if (face && !caption.empty()) {
        RECT rect{10, 0, row.width - 10, row.height};
        DrawTextOn(face.get(), font, caption, rect, colour,
                   (rightAligned ? platform::gdi::DT_RIGHT : platform::gdi::DT_CENTER) | platform::gdi::DT_VCENTER |
                       platform::gdi::DT_SINGLELINE);
    }
    return face;
}

void RestoreSurface(CSurface* target, CSurface* source)
{
    if (!target || !source)
        return;
    RECT all{0, 0, source->GetWidth(), source->GetHeight()};
    target->BltFast(0, 0, source, &all, DDBLTFAST_NOCOLORKEY);
}

std::unique_ptr<gdi::Font> MakeArial(int height, bool bold, bool antialias)
{
    gdi::FontDesc desc;
    desc.height = height;
    desc.weight = bold ? gdi::FW_BOLD : gdi::FW_NORMAL;
    desc.face = "Arial";
    desc.antialias = antialias;
    return gdi::Font::Create(desc);
}

bool DrawTextOn(CSurface* surface, gdi::Font* font, const std::string& text, RECT rect, COLORREF colour,
                unsigned format)
{
    if (!surface || !surface->IsCreated())
        return false;
    gdi::DeviceContext* dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK || !dc)
        return false;
    gdi::Font* old = dc->SelectFont(font);
    dc->SetBkMode(gdi::TRANSPARENT);
    dc->SetTextColor(colour);
    dc->DrawText(text.c_str(), -1, &rect, format | gdi::DT_NOPREFIX);
    dc->SelectFont(old);
    surface->ReleaseDC(dc);
    return true;
}

bool DrawLogLineOn(CSurface* surface, gdi::Font* font, const std::string& text, RECT rect, COLORREF colour,
                   COLORREF back, bool opaque, unsigned format)
{
    if (!surface || !surface->IsCreated())
        return false;
    gdi::DeviceContext* dc = nullptr;
    if (surface->GetDC(&dc) != DD_OK || !dc)
        return false;
    gdi::Font* old = dc->SelectFont(font);
    dc->SetBkMode(opaque ? gdi::OPAQUE : gdi::TRANSPARENT);
    dc->SetBkColor(back);
    dc->SetTextColor(colour);
    dc->DrawText(text.c_str(), -1, &rect, format | gdi::DT_NOPREFIX);
    dc->SelectFont(old);
    surface->ReleaseDC(dc);
    return true;
}

int MeasureText(gdi::Font* font, const std::string& text)
{
    if (!font)
        return 0;
    int width = 0;
    for (unsigned char c : text)
        width += font->Advance(c);
    return width;
}

std::string TailThatFits(gdi::Font* font, const std::string& text, int width)
{
    size_t start = 0;
    int measured = MeasureText(font, text);
    while (start < text.size() && measured > width && font)
        measured -= font->Advance(static_cast<unsigned char>(text[start++]));
    return text.substr(start);
}

bool CScreenButton::Build(CDisplay* display, const CArtRow& face, int px, int py, const std::string& caption,
                          gdi::Font* font)
{
    return BuildSized(display, face, px, py, face.width, face.height, caption, font);
}

bool CScreenButton::BuildSized(CDisplay* display, const CArtRow& face, int px, int py, int w, int h,
                               const std::string& caption, gdi::Font* font)
{
    x = px;
    y = py;
    width = w;
    height = h;
    strCaption = caption;
    pNormal.reset();
    pHover.reset();
    if (!display || !face.pSurface || w <= 0 || h <= 0)
        return false;
    auto make = [&]() -> SurfacePtr {
        CSurface* copy = display->CreateKeyedSurface(face.pSurface.get(), w, h);
        if (!copy)
            return nullptr;
        return SurfacePtr(copy, [](CSurface* s) {
            s->Release();
            delete s;
        });
    };
    pNormal = make();
    pHover = make();
    if (!pNormal || !pHover)
        return false;
    RECT text{10, 0, width - 10, height};
    const unsigned format = gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE;
    DrawTextOn(pNormal.get(), font, caption, text, kCaptionNormal, format);
    DrawTextOn(pHover.get(), font, caption, text, kCaptionHover, format);
    return true;
}

HRESULT CScreenButton::Draw(CSurface* target, bool hovered) const
{
    return BlitKeyed(target, x, y, (hovered ? pHover : pNormal).get());
}

HRESULT BlitKeyed(CSurface* target, int x, int y, CSurface* source)
{
    if (!target || !source)
        return DD_OK;
    RECT src{0, 0, source->GetWidth(), source->GetHeight()};
    return target->BltFast(x, y, source, &src, DDBLTFAST_SRCCOLORKEY);
}

void ScreenSound(int id)
{
    if (g_pGame)
        g_pGame->PlaySound(id, id == 1 ? 0.4f : 1.0f);
}

SurfacePtr LoadKeyedBitmap(CDisplay* display, const std::string& path)
{
    if (!display || !display->IsUsable())
        return nullptr;
    int w = 0, h = 0;
    CSurface* surface = display->BitmapToSurface(path, &w, &h, false);
    if (!surface) {
        platform::ShowMessageBox(path, "Failed to open file:", platform::MessageIcon::Error);
        return nullptr;
    }
    DDCOLORKEY key{};
    key.dwColorSpaceLowValue = key.dwColorSpaceHighValue = display->ColorMatch(surface, 0xFF00FF);
    surface->SetColorKey(DDCKEY_SRCBLT, &key);
    return SurfacePtr(surface, [](CSurface* s) {
        s->Release();
        delete s;
    });
}
