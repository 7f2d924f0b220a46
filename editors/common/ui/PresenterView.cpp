// The presenter view: frames painted 1:1, input turned into the views' handlers, cursors per mode.
#include "editors/common/ui/PresenterView.h"

#include "editors/common/ui/Input.h"
#include "editors/common/ui/Pictures.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace {

// A magnifying glass with a plus, drawn once.
QCursor ZoomInCursor()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QPen(Qt::white, 3));
    p.drawEllipse(3, 3, 16, 16);
    p.drawLine(17, 17, 28, 28);
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(3, 3, 16, 16);
    p.drawLine(17, 17, 28, 28);
    p.drawLine(7, 11, 15, 11);
    p.drawLine(11, 7, 11, 15);
    p.end();
    return QCursor(pixmap, 11, 11);
}

int X(const QMouseEvent* e)
{
    return static_cast<int>(e->position().x());
}

int Y(const QMouseEvent* e)
{
    return static_cast<int>(e->position().y());
}

} // namespace

CPresenterView::CPresenterView(int width, int height, QWidget* parent) : QWidget(parent), m_size{width, height}
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPresenterView::~CPresenterView() = default;

bool CPresenterView::Present(const platform::PixelSurface& frame, std::string* error)
{
    if (frame.Empty()) {
        if (error)
            *error = "nothing to present";
        return false;
    }
    m_pFrame = std::make_unique<QImage>(ToQImage(frame));
    ++m_nPresents;
    if (!m_bInPaint)
        update();
    return true;
}

QSize CPresenterView::sizeHint() const
{
    return QSize(m_size.cx, m_size.cy);
}

void CPresenterView::SetViewCursor(EViewCursor cursor)
{
    m_eCursor = cursor;
    switch (cursor) {
    case EViewCursor::Arrow:
        setCursor(Qt::ArrowCursor);
        break;
    case EViewCursor::Hidden:
        setCursor(Qt::BlankCursor);
        break;
    case EViewCursor::Wait:
        setCursor(Qt::WaitCursor);
        break;
    case EViewCursor::Cross:
        setCursor(Qt::CrossCursor);
        break;
    case EViewCursor::PointingHand:
        setCursor(Qt::PointingHandCursor);
        break;
    case EViewCursor::ZoomIn:
        setCursor(ZoomInCursor());
        break;
    }
}

void CPresenterView::paintEvent(QPaintEvent*)
{
    m_bInPaint = true;
    OnDraw();
    m_bInPaint = false;
    QPainter painter(this);
    QRect shown;
    if (m_pFrame) {
        painter.drawImage(0, 0, *m_pFrame);
        shown = m_pFrame->rect();
    }
    // Around the picture: the window's own ground.
    const QRegion rest = QRegion(rect()) - shown;
    for (const QRect& r : rest)
        painter.fillRect(r, palette().window());
}

void CPresenterView::mouseMoveEvent(QMouseEvent* e)
{
    OnMouseMove(MouseFlagsFromQt(e->buttons(), e->modifiers()), X(e), Y(e));
}

void CPresenterView::mousePressEvent(QMouseEvent* e)
{
    const uint32_t flags = MouseFlagsFromQt(e->buttons(), e->modifiers());
    if (e->button() == Qt::LeftButton)
        OnLButtonDown(flags, X(e), Y(e));
    else if (e->button() == Qt::RightButton)
        OnRButtonDown(flags, X(e), Y(e));
    else
        QWidget::mousePressEvent(e);
}

void CPresenterView::mouseReleaseEvent(QMouseEvent* e)
{
    const uint32_t flags = MouseFlagsFromQt(e->buttons(), e->modifiers());
    if (e->button() == Qt::LeftButton)
        OnLButtonUp(flags, X(e), Y(e));
    else if (e->button() == Qt::RightButton)
        OnRButtonUp(flags, X(e), Y(e));
    else
        QWidget::mouseReleaseEvent(e);
}

void CPresenterView::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a double click comes as a double click only, as in a window that takes them.
    if (e->button() == Qt::LeftButton)
        OnLButtonDblClk(MouseFlagsFromQt(e->buttons(), e->modifiers()), X(e), Y(e));
    else
        QWidget::mouseDoubleClickEvent(e);
}

void CPresenterView::wheelEvent(QWheelEvent* e)
{
    OnMouseWheel(MouseFlagsFromQt(e->buttons(), e->modifiers()), e->angleDelta().y(),
                 static_cast<int>(e->position().x()), static_cast<int>(e->position().y()));
}

void CPresenterView::keyPressEvent(QKeyEvent* e)
{
    const uint32_t vk = VirtualKeyFromQt(e->key(), e->modifiers() & Qt::KeypadModifier);
    if (!vk) {
        QWidget::keyPressEvent(e);
        return;
    }
    OnKeyDown(vk, MouseFlagsFromQt(0, e->modifiers()));
}

void CPresenterView::keyReleaseEvent(QKeyEvent* e)
{
    const uint32_t vk = VirtualKeyFromQt(e->key(), e->modifiers() & Qt::KeypadModifier);
    if (!vk) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    if (!e->isAutoRepeat())
        OnKeyUp(vk, MouseFlagsFromQt(0, e->modifiers()));
}

bool CPresenterView::focusNextPrevChild(bool)
{
    // Tab is a key of the view, not a move to the next control.
    return false;
}
