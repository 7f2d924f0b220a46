// The view the editors' 16-bit displays present to: a widget that shows each presented back buffer 1:1 and turns
// Qt's mouse and key events into the MK_ flags and virtual-key codes the views' handlers take.
#pragma once

#include "platform/display/PresentTarget.h"

#include <QWidget>

#include <cstdint>
#include <memory>

class QImage;

// Cursor shapes of the views' edit modes.
enum class EViewCursor { Arrow, Hidden, Wait, Cross, PointingHand, ZoomIn };

class CPresenterView : public QWidget, public platform::IPresentTarget {
public:
    // A view for a back buffer of width x height pixels (its size hint).
    CPresenterView(int width, int height, QWidget* parent = nullptr);
    ~CPresenterView() override;

    // The view rectangle is the back buffer: (0, 0) and its size, wherever the widget stands.
    SIZE ClientSize() const override { return m_size; }
    POINT ClientOrigin() const override { return POINT{0, 0}; }
    // Keeps a copy of the frame (5-6-5 pixels) and repaints; inside OnDraw the copy is painted at once.
    bool Present(const platform::PixelSurface& frame, std::string* error) override;

    // The last frame presented (null before the first) and how many were presented.
    const QImage* GetFrame() const { return m_pFrame.get(); }
    int GetPresentCount() const { return m_nPresents; }

    void SetViewCursor(EViewCursor cursor);
    EViewCursor GetViewCursor() const { return m_eCursor; }

    QSize sizeHint() const override;

protected:
    // Draws the back buffer and presents it; called for every paint.
    virtual void OnDraw() {}
    // Mouse handlers: flags are MK_ bits, x and y view pixels.
    virtual void OnMouseMove(uint32_t /*flags*/, int /*x*/, int /*y*/) {}
    virtual void OnLButtonDown(uint32_t /*flags*/, int /*x*/, int /*y*/) {}
    virtual void OnLButtonUp(uint32_t /*flags*/, int /*x*/, int /*y*/) {}
    virtual void OnLButtonDblClk(uint32_t /*flags*/, int /*x*/, int /*y*/) {}
    virtual void OnRButtonDown(uint32_t /*flags*/, int /*x*/, int /*y*/) {}
    virtual void OnRButtonUp(uint32_t /*flags*/, int /*x*/, int /*y*/) {}
    // delta: 120 a notch, positive away from the user.
    virtual void OnMouseWheel(uint32_t /*flags*/, int /*delta*/, int /*x*/, int /*y*/) {}
    // Key handlers: a virtual-key code and the MK_SHIFT and MK_CONTROL bits held. A held key repeats OnKeyDown;
    // OnKeyUp comes once, when it is let go.
    virtual void OnKeyDown(uint32_t /*vk*/, uint32_t /*flags*/) {}
    virtual void OnKeyUp(uint32_t /*vk*/, uint32_t /*flags*/) {}

    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    SIZE m_size;
    std::unique_ptr<QImage> m_pFrame;
    int m_nPresents = 0;
    bool m_bInPaint = false;
    EViewCursor m_eCursor = EViewCursor::Arrow;
};
