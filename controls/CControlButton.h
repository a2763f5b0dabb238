#pragma once

#include <QAbstractButton>
#include <QPixmap>

// Push button whose whole face is a bitmap: the normal face at rest, the
// hover face while the pointer is over it, the pressed face while held down.
class CControlButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit CControlButton(QWidget* parent = nullptr);

    // Bitmap resource ids, in this order; replaces any faces held before.
    // Does not repaint.
    void SetBitmaps(unsigned hover, unsigned normal, unsigned pressed, unsigned extra);

    bool IsHovered() const { return m_hover != 0; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int m_hover = 0;
    QPixmap m_bmpNormal;
    QPixmap m_bmpPressed;
    QPixmap m_bmpExtra;
    QPixmap m_bmpHover;
};
