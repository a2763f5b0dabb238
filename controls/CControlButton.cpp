#include "CControlButton.h"

#include "BitmapResources.h"

#include <QPainter>

CControlButton::CControlButton(QWidget* parent) : QAbstractButton(parent) {}

void CControlButton::SetBitmaps(unsigned hover, unsigned normal, unsigned pressed, unsigned /*extra*/)
{
    // Assigning releases whatever face was held before.
    m_bmpNormal = LoadBitmapResource(normal);
    m_bmpPressed = LoadBitmapResource(pressed);
    m_bmpHover = LoadBitmapResource(hover);
    updateGeometry();
}

const QPixmap& CControlButton::CurrentFace() const
{
    if (isDown())
        return m_bmpPressed;
    return m_hover ? m_bmpHover : m_bmpNormal;
}

QSize CControlButton::sizeHint() const
{
    if (!m_bmpNormal.isNull())
        return m_bmpNormal.deviceIndependentSize().toSize();
    return {32, 32};
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
    const QPixmap& face = pressed ? m_bmpPressed : (m_hover ? m_bmpHover : m_bmpNormal);
    if (face.isNull())
        return;
    painter.save();
    painter.setClipRect(rect);
    painter.drawPixmap(rect.topLeft(), face);
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
