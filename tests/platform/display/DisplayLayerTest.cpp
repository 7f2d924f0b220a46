// Tests of the 16-bit pixel surfaces, the colour conversions and the present targets.
#include "platform/display/PixelSurface.h"
#include "platform/display/PresentTarget.h"
#include "platform/display/SdlMessageBox.h"
#include "platform/display/SdlWindowTarget.h"
#include "support/DisplayFixtures.h"

#include <SDL.h>

#include <gtest/gtest.h>

using namespace platform;

namespace {

constexpr uint16_t kMagenta = 0xF81F;

PixelSurface Make(int w, int h, uint16_t fill)
{
    PixelSurface s;
    EXPECT_TRUE(s.Create(w, h));
    s.Fill(nullptr, fill);
    return s;
}

} // namespace

TEST(PixelColour, ConversionsOfKnownColours)
{
    EXPECT_EQ(ColorRefTo565(0xFF00FF), kMagenta);
    EXPECT_EQ(ColorRefTo565(0xFF8264), (12 << 11) | (32 << 5) | 31); // red 100, green 130, blue 255
    EXPECT_EQ(ColorRefTo565(0xFFFFFF), 0xFFFF);
    EXPECT_EQ(Rgb565ToColorRef(0xFFFF), 0xFFFFFFu);
    EXPECT_EQ(Rgb565ToColorRef(kMagenta), 0xFF00FFu);
    EXPECT_EQ(Rgb565ToColorRef(0), 0u);
}

TEST(PixelSurface, CreateRefusesNegativeAndHugeSizes)
{
    PixelSurface s;
    EXPECT_FALSE(s.Create(-1, 4));
    EXPECT_FALSE(s.Create(kMaxSurfaceSide + 1, 1));
    EXPECT_FALSE(s.Create(kMaxSurfaceSide, kMaxSurfaceSide));
    EXPECT_TRUE(s.Empty());
    EXPECT_TRUE(s.Create(3, 2));
    EXPECT_EQ(s.PitchBytes(), 6);
    EXPECT_EQ(s.GetPixel(2, 1), 0);
}

TEST(PixelSurface, KeyedCopySkipsKeyPlainCopyDoesNot)
{
    // A source of 20 pixels per row (past the 8-pixel vector step) with magenta on even columns.
    PixelSurface src;
    ASSERT_TRUE(src.Create(20, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 20; ++x)
            src.SetPixel(x, y, x % 2 ? 0x1234 : kMagenta);
    PixelKey key{kMagenta, kMagenta};
    PixelSurface keyed = Make(24, 4, 0x0700), plain = Make(24, 4, 0x0700);
    keyed.CopyFrom(2, 1, src, src.Bounds(), &key);
    plain.CopyFrom(2, 1, src, src.Bounds());
    for (int x = 0; x < 20; ++x) {
        EXPECT_EQ(keyed.GetPixel(x + 2, 2), x % 2 ? 0x1234 : 0x0700) << x;
        EXPECT_EQ(plain.GetPixel(x + 2, 2), x % 2 ? 0x1234 : kMagenta) << x;
    }
    EXPECT_EQ(keyed.GetPixel(1, 2), 0x0700);
    EXPECT_EQ(keyed.GetPixel(2, 0), 0x0700);
}

TEST(PixelSurface, KeyRangeSkipsEveryValueInside)
{
    PixelSurface src;
    ASSERT_TRUE(src.Create(4, 1));
    for (int x = 0; x < 4; ++x)
        src.SetPixel(x, 0, static_cast<uint16_t>(10 + x));
    PixelKey key{11, 12};
    PixelSurface dst = Make(4, 1, 0);
    dst.CopyFrom(0, 0, src, src.Bounds(), &key);
    EXPECT_EQ(dst.GetPixel(0, 0), 10);
    EXPECT_EQ(dst.GetPixel(1, 0), 0);
    EXPECT_EQ(dst.GetPixel(2, 0), 0);
    EXPECT_EQ(dst.GetPixel(3, 0), 13);
}

TEST(PixelSurface, CopiesClipAtEveryEdge)
{
    PixelSurface src = Make(4, 4, 0x00AA);
    struct Case {
        int x, y;
        RECT from;
        int expectedPixels;
    } cases[] = {
        {-2, -2, {0, 0, 4, 4}, 4}, // top-left corner overhangs
        {8, 8, {0, 0, 4, 4}, 4},   // bottom-right corner overhangs
        {0, 0, {-2, 0, 2, 4}, 8},  // source rectangle reaching left of the source
        {0, 0, {3, 3, 10, 10}, 1}, // source rectangle reaching past the source
        {20, 0, {0, 0, 4, 4}, 0},  // wholly outside
    };
    for (const Case& c : cases) {
        PixelSurface dst = Make(10, 10, 0);
        dst.CopyFrom(c.x, c.y, src, c.from);
        int count = 0;
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x)
                count += dst.GetPixel(x, y) == 0x00AA;
        EXPECT_EQ(count, c.expectedPixels) << c.x << "," << c.y;
    }
    // A source rectangle reaching left keeps the unclipped origin: source column 0 lands at x 2.
    PixelSurface dst = Make(10, 1, 0);
    PixelSurface row;
    ASSERT_TRUE(row.Create(4, 1));
    for (int x = 0; x < 4; ++x)
        row.SetPixel(x, 0, static_cast<uint16_t>(x + 1));
    dst.CopyFrom(0, 0, row, RECT{-2, 0, 2, 1});
    EXPECT_EQ(dst.GetPixel(1, 0), 0);
    EXPECT_EQ(dst.GetPixel(2, 0), 1);
}

TEST(PixelSurface, OverlappingCopyWithinOneSurface)
{
    PixelSurface s;
    ASSERT_TRUE(s.Create(6, 6));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            s.SetPixel(x, y, static_cast<uint16_t>(y * 6 + x));
    s.CopyFrom(1, 1, s, RECT{0, 0, 5, 5});
    for (int y = 1; y < 6; ++y)
        for (int x = 1; x < 6; ++x)
            EXPECT_EQ(s.GetPixel(x, y), (y - 1) * 6 + (x - 1));
}

TEST(PixelSurface, StretchDoublesAndHonoursKey)
{
    PixelSurface src;
    ASSERT_TRUE(src.Create(2, 1));
    src.SetPixel(0, 0, 0x1111);
    src.SetPixel(1, 0, kMagenta);
    PixelKey key{kMagenta, kMagenta};
    PixelSurface dst = Make(4, 2, 0x2222);
    dst.StretchFrom(RECT{0, 0, 4, 2}, src, src.Bounds(), &key);
    EXPECT_EQ(dst.GetPixel(0, 0), 0x1111);
    EXPECT_EQ(dst.GetPixel(1, 1), 0x1111);
    EXPECT_EQ(dst.GetPixel(2, 0), 0x2222);
    EXPECT_EQ(dst.GetPixel(3, 1), 0x2222);
}

TEST(PixelSurface, ConstantAlphaBlend)
{
    PixelSurface src = Make(2, 2, ColorRefTo565(RGB(255, 255, 255)));
    PixelSurface dst = Make(4, 4, 0);
    dst.BlendFrom(1, 1, src, src.Bounds(), 128);
    COLORREF mid = Rgb565ToColorRef(dst.GetPixel(1, 1));
    EXPECT_NEAR(GetRValue(mid), 128, 8);
    EXPECT_NEAR(GetGValue(mid), 128, 8);
    EXPECT_EQ(dst.GetPixel(0, 0), 0);
    dst.BlendFrom(1, 1, src, src.Bounds(), 0);
    EXPECT_EQ(Rgb565ToColorRef(dst.GetPixel(1, 1)), mid);
    dst.BlendFrom(1, 1, src, src.Bounds(), 255);
    EXPECT_EQ(dst.GetPixel(2, 2), 0xFFFF);
}

TEST(NullPresentTarget, CountsFramesAndFailsOnRequest)
{
    NullPresentTarget target(800, 600);
    PixelSurface frame = Make(800, 600, 0);
    std::string error;
    EXPECT_TRUE(target.Present(frame, &error));
    EXPECT_EQ(target.PresentCount(), 1);
    EXPECT_EQ(target.LastFrameSize().cx, 800);
    target.SetFailPresents(true);
    EXPECT_FALSE(target.Present(frame, &error));
    EXPECT_FALSE(error.empty());
}

TEST(SdlWindowTarget, WindowedAndFullScreenPresentOnOffscreenDriver)
{
    for (bool windowed : {true, false}) {
        std::string error;
        auto target = SdlWindowTarget::Create("Zoranth", 800, 600, windowed, &error);
        ASSERT_TRUE(target) << error;
        EXPECT_EQ(target->ClientSize().cx, 800);
        EXPECT_EQ(target->ClientSize().cy, 600);
        EXPECT_EQ(target->IsWindowed(), windowed);
        target->Show(true);
        PixelSurface frame = Make(800, 600, 0xF800);
        EXPECT_TRUE(target->Present(frame, &error)) << error;
        EXPECT_TRUE(target->Present(frame, &error)) << error;
        PixelSurface empty;
        EXPECT_FALSE(target->Present(empty, &error));
    }
    std::string error;
    EXPECT_FALSE(SdlWindowTarget::Create("Zoranth", 0, 600, true, &error));
}

TEST(SdlWindowTarget, TheSamePictureIsShownOnceUntilTheWindowMayHaveLostIt)
{
    std::string error;
    auto target = SdlWindowTarget::Create("Zoranth", 320, 200, true, &error);
    ASSERT_TRUE(target) << error;
    target->Show(true);
    SDL_PumpEvents();
    PixelSurface frame = Make(320, 200, 0x001F);
    ASSERT_TRUE(target->Present(frame, &error)) << error;
    EXPECT_TRUE(target->Present(frame, &error));
    EXPECT_EQ(target->ShownCount(), 1);
    // One pixel changed, in the last row: shown.
    frame.Row(199)[319] = 0xFFFF;
    EXPECT_TRUE(target->Present(frame, &error));
    EXPECT_EQ(target->ShownCount(), 2);
    // Another window exposed: nothing to show again; this window exposed or resized: shown again.
    auto push = [&](uint32_t windowId, uint8_t what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = windowId;
        e.window.event = what;
        SDL_PushEvent(&e);
    };
    push(SDL_GetWindowID(target->Window()) + 100, SDL_WINDOWEVENT_EXPOSED);
    EXPECT_TRUE(target->Present(frame, &error));
    EXPECT_EQ(target->ShownCount(), 2);
    for (uint8_t what : {SDL_WINDOWEVENT_EXPOSED, SDL_WINDOWEVENT_SIZE_CHANGED}) {
        push(SDL_GetWindowID(target->Window()), what);
        EXPECT_TRUE(target->Present(frame, &error));
        EXPECT_TRUE(target->Present(frame, &error));
    }
    EXPECT_EQ(target->ShownCount(), 4);
    // A frame of another size is shown.
    PixelSurface other = Make(320, 100, 0x001F);
    EXPECT_TRUE(target->Present(other, &error));
    EXPECT_EQ(target->ShownCount(), 5);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

TEST(SdlMessageBox, HeadlessRunNeverShowsADialog)
{
    ASSERT_FALSE(SdlMessageBoxBackend::HasWindowSystem()); // tests run with the offscreen driver
    SdlMessageBoxBackend backend;
    SetMessageEcho(false);
    SetMessageBoxBackend(&backend);
    ShowMessageBox("DirectDrawFailed", "MAIN_WINDOW", MessageIcon::Error); // returns at once
    SetMessageBoxBackend(nullptr);
    SetMessageEcho(true);
    ASSERT_FALSE(RecordedMessages().empty());
    EXPECT_EQ(RecordedMessages().back().title, "MAIN_WINDOW");
    ClearRecordedMessages();
}
