#pragma once

#include "controls/BitmapResources.h"
#include "controls/ButtonCaption.h"

#include <QAbstractButton>
#include <QPixmap>
#include <vector>

class QPainter;

// Push button whose whole face is a bitmap: the normal face at rest, the
// hover face while the pointer is over it, the pressed face while held down.
// The icon and frame are part of the artwork; the caption is drawn over it
// at run time, in the current language, where its style says. Focus,
// default and disabled states never change the picture.
class CControlButton : public QAbstractButton
{
    Q_OBJECT

public:
    explicit CControlButton(QWidget* parent = nullptr);

    // Bitmap resource ids, in this order; replaces any faces held before.
    // Does not repaint. An id that names no bitmap leaves that face empty.
    // The extra face is never drawn, so it is not loaded. Each face comes
    // at 1x and, where it was drawn, at 2x for high-density screens.
    void SetBitmaps(unsigned hover, unsigned normal, unsigned pressed, unsigned extra);
    // A main-window button's faces: its hover face, and its normal one at
    // rest and while pressed.
    void SetFace(const ButtonFaceIds& face)
    {
        SetBitmaps(face.hover, face.normal, face.normal, face.hover);
    }

    bool IsHovered() const { return m_hover != 0; }

    // The caption drawn over every face (also the button's text). An empty
    // one draws nothing. Repaints.
    void SetCaption(const QString& caption, const ButtonCaptionStyle& style);
    // The caption as it is painted now: its lines, fonts and boxes, fitted
    // with the font metrics of this button's painter.
    std::vector<CaptionLine> CaptionLines() const;

    // The face the button shows right now, drawn for the button's device
    // pixel ratio (null when it has none).
    const QPixmap& CurrentFace() const;

    // The size of the normal face; the owner decides the real size.
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

    // Paints the face into the button's rectangle, cut off at its right and
    // bottom edges when the bitmap is larger.
    void DrawItem(QPainter& painter, const QRect& rect, bool pressed);

private:
    struct Faces {
        QPixmap normal, pressed, hover;
    };
    // The faces for the ratio the button is painted at.
    const Faces& FacesForScreen() const;
    const QPixmap& Face(bool pressed) const;

    int m_hover = 0;
    QString m_caption;
    ButtonCaptionStyle m_captionStyle;
    Faces m_faces;    // 1x
    Faces m_faces2x;  // 2x where drawn, else the 1x faces again
};
