// Tests of the presenter view: the core's display presents into it 1:1 (every 5-6-5 value comes back from a grab),
// drawing inside a paint presents without looping, and Qt's input reaches the handlers as virtual keys and MK_ flags.
#include "editors/common/ui/PresenterView.h"

#include "editors/common/ui/Pictures.h"

#include "core/display/CDisplay.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/window/WindowMessages.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QWheelEvent>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

struct Event {
    char kind;
    uint32_t code; // key or flags
    int x, y;
    bool operator==(const Event& o) const { return kind == o.kind && code == o.code && x == o.x && y == o.y; }
};

class CRecordingView : public CPresenterView {
public:
    CRecordingView() : CPresenterView(256, 256), m_display(this, 256, 256, 16, RGB(255, 130, 100), true) {}

    CDisplay m_display;
    std::vector<Event> m_events;
    int m_nDraws = 0;

protected:
    void OnDraw() override
    {
        ++m_nDraws;
        m_display.Present();
    }
    void OnMouseMove(uint32_t f, int x, int y) override { m_events.push_back({'m', f, x, y}); }
    void OnLButtonDown(uint32_t f, int x, int y) override { m_events.push_back({'L', f, x, y}); }
    void OnLButtonUp(uint32_t f, int x, int y) override { m_events.push_back({'l', f, x, y}); }
    void OnLButtonDblClk(uint32_t f, int x, int y) override { m_events.push_back({'D', f, x, y}); }
    void OnRButtonDown(uint32_t f, int x, int y) override { m_events.push_back({'R', f, x, y}); }
    void OnRButtonUp(uint32_t f, int x, int y) override { m_events.push_back({'r', f, x, y}); }
    void OnMouseWheel(uint32_t f, int delta, int x, int y) override { m_events.push_back({'W', f, delta, x + y}); }
    void OnKeyDown(uint32_t vk, uint32_t f) override { m_events.push_back({'K', vk, static_cast<int>(f), 0}); }
    void OnKeyUp(uint32_t vk, uint32_t f) override { m_events.push_back({'k', vk, static_cast<int>(f), 0}); }
};

TEST(EditorUiPresenter, GrabEqualsTheBackBufferPixelForPixel)
{
    CRecordingView view;
    ASSERT_TRUE(view.m_display.IsUsable());
    // The view rectangle is the back buffer's, wherever the widget stands.
    EXPECT_EQ(view.m_display.GetWindowRect(), (RECT{0, 0, 256, 256}));
    CSurface* back = view.m_display.GetBackBuffer();
    PixelSurface* pixels = back->GetPixels();
    // Every 5-6-5 value once, then a line drawn through the surface's device context.
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            pixels->SetPixel(x, y, static_cast<uint16_t>(y * 256 + x));
    gdi::DeviceContext* dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    dc->SelectPen(gdi::Pen{gdi::PS_SOLID, RGB(255, 255, 0)});
    dc->MoveTo(3, 250);
    dc->LineTo(250, 3);
    back->ReleaseDC(dc);

    view.show();
    const QImage grab = view.grab().toImage().convertToFormat(QImage::Format_RGB16);
    ASSERT_GE(grab.width(), 256);
    ASSERT_GE(grab.height(), 256);
    int mismatches = 0;
    for (int y = 0; y < 256; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(grab.constScanLine(y));
        for (int x = 0; x < 256; ++x)
            mismatches += row[x] != pixels->GetPixel(x, y);
    }
    EXPECT_EQ(mismatches, 0);
    ASSERT_NE(view.GetFrame(), nullptr);
    EXPECT_EQ(view.GetFrame()->format(), QImage::Format_RGB16);
    EXPECT_EQ(QColor(view.grab().toImage().pixel(5, 248)), QColor(255, 255, 0));
}

TEST(EditorUiPresenter, DrawingInsideAPaintPresentsOnceWithoutAnotherPaint)
{
    CRecordingView view;
    view.show();
    view.grab();
    QApplication::processEvents();
    const int draws = view.m_nDraws;
    EXPECT_GE(draws, 1);
    EXPECT_EQ(view.GetPresentCount(), draws);
    QApplication::processEvents();
    EXPECT_EQ(view.m_nDraws, draws); // presenting from OnDraw asked for no further paint
    // A present from outside a paint schedules one.
    view.m_display.Present();
    view.grab();
    EXPECT_GT(view.m_nDraws, draws);
}

TEST(EditorUiPresenter, KeysArriveAsVirtualKeyCodes)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        uint32_t vk;
    };
    const Case cases[] = {
        {Qt::Key_Escape, {}, VK_ESCAPE},
        {Qt::Key_Left, {}, 0x25},
        {Qt::Key_Left, Qt::KeypadModifier, 0x25}, // a keypad arrow is an arrow
        {Qt::Key_4, Qt::KeypadModifier, 0x64},
        {Qt::Key_4, {}, 0x34},
        {Qt::Key_C, {}, 0x43},
        {Qt::Key_3, Qt::KeypadModifier, 0x63},
        {Qt::Key_7, Qt::KeypadModifier, 0x67},
        {Qt::Key_F3, {}, 0x72},
        {Qt::Key_R, Qt::ShiftModifier, 0x52},
        {Qt::Key_Plus, Qt::KeypadModifier, VK_ADD},
        {Qt::Key_Plus, Qt::ShiftModifier, VK_OEM_PLUS},
        {Qt::Key_Equal, {}, VK_OEM_PLUS},
        {Qt::Key_Minus, Qt::KeypadModifier, VK_SUBTRACT},
        {Qt::Key_Minus, {}, VK_OEM_MINUS},
        {Qt::Key_Tab, {}, VK_TAB},
    };
    CRecordingView view;
    view.show();
    for (const Case& c : cases) {
        view.m_events.clear();
        QTest::keyClick(&view, c.key, c.modifiers);
        const uint32_t flags = (c.modifiers & Qt::ShiftModifier) ? MK_SHIFT : 0;
        // The Shift key itself comes first and last, as VK_SHIFT.
        std::erase_if(view.m_events, [](const Event& e) { return e.code == VK_SHIFT; });
        ASSERT_EQ(view.m_events.size(), 2u) << c.key;
        EXPECT_EQ(view.m_events[0], (Event{'K', c.vk, static_cast<int>(flags), 0})) << std::hex << c.vk;
        EXPECT_EQ(view.m_events[1], (Event{'k', c.vk, static_cast<int>(flags), 0})) << std::hex << c.vk;
    }
    // A held key repeats its key-down; the key-up comes once, when it is let go.
    view.m_events.clear();
    for (bool repeat : {false, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier, QString(), repeat);
        QApplication::sendEvent(&view, &press);
        if (repeat) {
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_F3, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(&view, &release);
        }
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_F3, Qt::NoModifier);
    QApplication::sendEvent(&view, &release);
    EXPECT_EQ(view.m_events.size(), 4u);
    EXPECT_EQ(view.m_events.back().kind, 'k');
}

TEST(EditorUiPresenter, MouseArrivesWithMkFlags)
{
    CRecordingView view;
    view.show();
    QTest::mousePress(&view, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, QPoint(10, 20));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::ControlModifier, QPoint(11, 21));
    QTest::mousePress(&view, Qt::RightButton, {}, QPoint(30, 40));
    QTest::mouseRelease(&view, Qt::RightButton, {}, QPoint(30, 40));
    QMouseEvent drag(QEvent::MouseMove, QPointF(50, 60), QPointF(50, 60), Qt::NoButton, Qt::LeftButton,
                     Qt::ShiftModifier);
    QApplication::sendEvent(&view, &drag);
    // A double click as the window system sends it: press, release, double click, release.
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const bool down = type != QEvent::MouseButtonRelease;
        QMouseEvent click(type, QPointF(7, 8), view.mapToGlobal(QPointF(7, 8)), Qt::LeftButton,
                          down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &click);
    }
    QWheelEvent wheel(QPointF(3, 4), view.mapToGlobal(QPointF(3, 4)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);

    const std::vector<Event> expected = {
        {'L', MK_LBUTTON | MK_SHIFT | MK_CONTROL, 10, 20},
        {'l', MK_CONTROL, 11, 21},
        {'R', MK_RBUTTON, 30, 40},
        {'r', 0, 30, 40},
        {'m', MK_LBUTTON | MK_SHIFT, 50, 60},
    };
    ASSERT_GE(view.m_events.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(view.m_events[i], expected[i]) << i;
    std::vector<char> tail;
    for (size_t i = expected.size(); i < view.m_events.size(); ++i)
        if (view.m_events[i].kind != 'm')
            tail.push_back(view.m_events[i].kind);
    EXPECT_EQ(tail, (std::vector<char>{'L', 'l', 'D', 'l', 'W'}));
    EXPECT_EQ(view.m_events.back(), (Event{'W', MK_CONTROL, 120, 7}));
}

TEST(EditorUiPresenter, DeviceBitmapsBecomeImagesColourForColour)
{
    gdi::DeviceBitmap map;
    ASSERT_TRUE(map.Create(4, 3, 32));
    map.SetPixel(1, 2, RGB(131, 187, 68));
    map.SetPixel(3, 0, RGB(5, 158, 250));
    const QImage image = ToQImage(map);
    ASSERT_EQ(image.size(), QSize(4, 3));
    EXPECT_EQ(QColor(image.pixel(1, 2)), QColor(131, 187, 68));
    EXPECT_EQ(QColor(image.pixel(3, 0)), QColor(5, 158, 250));
    EXPECT_EQ(QColor(image.pixel(0, 0)), QColor(0, 0, 0));
    gdi::DeviceBitmap indexed;
    ASSERT_TRUE(indexed.Create(2, 1, 8, {RGB(0, 0, 0), RGB(255, 255, 208)}));
    indexed.SetRaw(1, 0, 1);
    EXPECT_EQ(QColor(ToQImage(indexed).pixel(1, 0)), QColor(255, 255, 208));
    EXPECT_TRUE(ToQImage(gdi::DeviceBitmap{}).isNull());
}

TEST(EditorUiPresenter, CursorsFollowTheModes)
{
    CRecordingView view;
    view.SetViewCursor(EViewCursor::Hidden);
    EXPECT_EQ(view.cursor().shape(), Qt::BlankCursor);
    view.SetViewCursor(EViewCursor::Cross);
    EXPECT_EQ(view.cursor().shape(), Qt::CrossCursor);
    view.SetViewCursor(EViewCursor::ZoomIn);
    EXPECT_EQ(view.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(view.GetViewCursor(), EViewCursor::ZoomIn);
    view.SetViewCursor(EViewCursor::Arrow);
    EXPECT_EQ(view.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
