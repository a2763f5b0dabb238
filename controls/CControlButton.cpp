#include "controls/CControlButton.h"

#include "controls/BitmapResources.h"

#include <QPainter>

CControlButton::CControlButton(QWidget* parent) : QAbstractButton(parent) {}

void CControlButton::SetBitmaps(unsigned hover, unsigned normal, unsigned pressed,
                                unsigned /*extra*/)
{
    // Assigning releases whatever face was held before.
    m_faces = {LoadBitmapResource(normal), LoadBitmapResource(pressed), LoadBitmapResource(hover)};
    m_faces2x = {LoadBitmapResource(normal, 2.0), LoadBitmapResource(pressed, 2.0),
                 LoadBitmapResource(hover, 2.0)};
    updateGeometry();
}

const CControlButton::Faces& CControlButton::FacesForScreen() const
{
    // A ratio between 1 and 2 takes the finer picture and scales it down.
    return devicePixelRatioF() > 1.0 ? m_faces2x : m_faces;
}

const QPixmap& CControlButton::Face(bool pressed) const
{
    const Faces& faces = FacesForScreen();
    if (pressed)
        return faces.pressed;
    return m_hover ? faces.hover : faces.normal;
}

const QPixmap& CControlButton::CurrentFace() const
{
    return Face(isDown());
}

QSize CControlButton::sizeHint() const
{
    if (!m_faces.normal.isNull())
        return m_faces.normal.deviceIndependentSize().toSize();
    return {32, 32};
}

void CControlButton::SetCaption(const QString& caption, const ButtonCaptionStyle& style)
{
    m_caption = caption;
    m_captionStyle = style;
    setText(caption);
    update();
}

std::vector<CaptionLine> CControlButton::CaptionLines() const
{
    return LayOutCaption(m_caption, m_captionStyle, this);
}

void CControlButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    DrawItem(painter, rect(), isDown());
}

void CControlButton::DrawItem(QPainter& painter, const QRect& rect, bool pressed)
{
    // The pressed face covers the base face completely, so only one face is
    // painted: drawing both would let the base show through the pressed
    // face's translucent edges.
    const QPixmap& face = Face(pressed);
    if (face.isNull())
        return;
    painter.save();
    painter.setClipRect(rect);
    painter.drawPixmap(rect.topLeft(), face);
    painter.translate(rect.topLeft());
    DrawCaption(painter, CaptionLines(), m_captionStyle, m_hover && !pressed);
    painter.restore();
}

void CControlButton::enterEvent(QEnterEvent* event)
{
    m_hover = 1;
    update();
    QAbstractButton::enterEvent(event);
}

void CControlButton::leaveEvent(QEvent* event)
{
    m_hover = 0;
    update();
    QAbstractButton::leaveEvent(event);
}
