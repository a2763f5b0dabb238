#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <vector>

class QPaintDevice;
class QPainter;

// Where and how a bitmap button's caption is drawn over its face: the free
// part of the artwork it is centred in, its size and colours. The artwork
// itself carries no text, so any language fits the same faces.
struct ButtonCaptionStyle {
    QRectF box;  // one line, centred in it
    int pixelSize = 15;
    // Two lines, each centred in its box; a caption breaks into them at a
    // blank when one line would have to shrink more. No boxes: never.
    QRectF lineBoxes[2];
    int linePixelSizes[2] = {0, 0};
    QColor colour, hoverColour;
    // A copy drawn first, shadowOffset lower, gives the text its relief.
    QColor shadowColour;
    qreal shadowOffset = 1;

    bool CanBreak() const { return linePixelSizes[0] > 0 && linePixelSizes[1] > 0; }

    // The faces of the main window: the list buttons (add, remove, remove
    // all; 115 x 47 plates with an icon on the left), the round start
    // button, and the small plates (browse; open folder with its icon).
    static ButtonCaptionStyle ListButton();
    static ButtonCaptionStyle StartButton();
    static ButtonCaptionStyle SmallButton(int plateWidth, bool withIcon);
};

// One line of a laid-out caption.
struct CaptionLine {
    QString text;
    QFont font;
    QRectF box;
};

// The captions' typeface (WenQuanYi Micro Hei, bold, for Latin and CJK
// alike) at a pixel size.
QFont CaptionFont(int pixelSize);

// The smallest size a caption shrinks to before it is cut short with "…".
inline constexpr int kMinCaptionPixelSize = 9;

// Lays a caption out for a painter on device, measuring with that device's
// font metrics: one line at the style's size when it fits the box; else the
// layout that keeps the largest text, one line shrunk or two lines split at
// a blank (each shrunk as needed); a line too long even at the smallest size
// is cut short. Every line's advance fits its box. Empty for a blank text.
std::vector<CaptionLine> LayOutCaption(const QString& text, const ButtonCaptionStyle& style,
                                       const QPaintDevice* device);

// The caption as one line of text, for a screen reader: a blank between two
// CJK characters only marks where the face may break, and goes.
QString CaptionAsOneLine(const QString& caption);

// Draws laid-out lines in the style's colours (the hover colour when the
// hover face is shown).
void DrawCaption(QPainter& painter, const std::vector<CaptionLine>& lines,
                 const ButtonCaptionStyle& style, bool hover);
