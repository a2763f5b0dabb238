#include "controls/ButtonCaption.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace {

const QColor kCaptionColour(22, 66, 120);
const QColor kCaptionHover(10, 82, 168);
const QColor kCaptionShadow(255, 255, 255, 170);

qreal Advance(const QString& text, const QFont& font, const QPaintDevice* device)
{
    return QFontMetricsF(font, device).horizontalAdvance(text);
}

// One line in its box, at the largest size from pixelSize down that fits;
// cut short at the smallest size when none does. `shrunk` is the size it
// got, or 0 when it had to be cut.
CaptionLine FitLine(const QString& text, const QRectF& box, int pixelSize,
                    const QPaintDevice* device, int* shrunk)
{
    for (int size = pixelSize; size >= kMinCaptionPixelSize; --size) {
        QFont font = CaptionFont(size);
        if (Advance(text, font, device) <= box.width()) {
            *shrunk = size;
            return {text, font, box};
        }
    }
    QFont font = CaptionFont(kMinCaptionPixelSize);
    const QFontMetricsF metrics(font, device);
    QString cut = metrics.elidedText(text, Qt::ElideRight, box.width());
    // Rounding in the elision can leave it a fraction too long.
    while (!cut.isEmpty() && metrics.horizontalAdvance(cut) > box.width())
        cut = metrics.elidedText(text, Qt::ElideRight, metrics.horizontalAdvance(cut) - 1);
    *shrunk = 0;
    return {cut, font, box};
}

struct Candidate {
    std::vector<CaptionLine> lines;
    int smallest = 0;  // the smallest size of its lines, 0 when one is cut
    qreal widest = 0;  // its widest line, for telling equal splits apart
};

}  // namespace

ButtonCaptionStyle ButtonCaptionStyle::ListButton()
{
    ButtonCaptionStyle style;
    style.box = QRectF(50, 1, 60, 45);
    style.pixelSize = 18;
    style.lineBoxes[0] = QRectF(50, 4, 60, 20);
    style.lineBoxes[1] = QRectF(50, 23, 60, 20);
    style.linePixelSizes[0] = 15;
    style.linePixelSizes[1] = 13;
    style.colour = kCaptionColour;
    style.hoverColour = kCaptionHover;
    style.shadowColour = kCaptionShadow;
    return style;
}

ButtonCaptionStyle ButtonCaptionStyle::StartButton()
{
    // The ball's inner circle has its centre at (45, 46) and a radius of 37.5.
    ButtonCaptionStyle style;
    style.box = QRectF(7.5, 30, 75, 34);
    style.pixelSize = 25;
    style.lineBoxes[0] = QRectF(12, 26, 66, 21);
    style.lineBoxes[1] = QRectF(12, 46, 66, 21);
    style.linePixelSizes[0] = 17;
    style.linePixelSizes[1] = 17;
    style.colour = Qt::white;
    style.hoverColour = Qt::white;
    style.shadowColour = QColor(6, 40, 100, 150);
    style.shadowOffset = 1.2;
    return style;
}

ButtonCaptionStyle ButtonCaptionStyle::SmallButton(int plateWidth, bool withIcon)
{
    // The plates are 32 pixels high; an icon takes their left 27 pixels.
    const qreal left = withIcon ? 27 : 4;
    const qreal width = plateWidth - 4 - left;
    ButtonCaptionStyle style;
    style.box = QRectF(left, 0, width, 31);
    style.pixelSize = withIcon ? 14 : 15;
    style.lineBoxes[0] = QRectF(left, 1, width, 15);
    style.lineBoxes[1] = QRectF(left, 15, width, 15);
    style.linePixelSizes[0] = 12;
    style.linePixelSizes[1] = 12;
    style.colour = kCaptionColour;
    style.hoverColour = kCaptionHover;
    style.shadowColour = kCaptionShadow;
    return style;
}

QFont CaptionFont(int pixelSize)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

std::vector<CaptionLine> LayOutCaption(const QString& text, const ButtonCaptionStyle& style,
                                       const QPaintDevice* device)
{
    const QString caption = text.simplified();
    if (caption.isEmpty())
        return {};

    Candidate best;
    best.lines.push_back(FitLine(caption, style.box, style.pixelSize, device, &best.smallest));
    best.widest = Advance(best.lines[0].text, best.lines[0].font, device);
    if (best.smallest == style.pixelSize || !style.CanBreak())
        return best.lines;

    for (qsizetype blank = caption.indexOf(QLatin1Char(' ')); blank > 0;
         blank = caption.indexOf(QLatin1Char(' '), blank + 1)) {
        const QString parts[2] = {caption.left(blank), caption.mid(blank + 1)};
        Candidate split;
        split.smallest = style.linePixelSizes[0];
        for (int i = 0; i < 2; ++i) {
            int size = 0;
            split.lines.push_back(
                FitLine(parts[i], style.lineBoxes[i], style.linePixelSizes[i], device, &size));
            split.smallest = std::min(split.smallest, size);
            split.widest =
                std::max(split.widest, Advance(split.lines[i].text, split.lines[i].font, device));
        }
        const bool larger = split.smallest > best.smallest;
        const bool evener =
            split.smallest == best.smallest && best.lines.size() == 2 && split.widest < best.widest;
        if (larger || evener)
            best = split;
    }
    return best.lines;
}

QString CaptionAsOneLine(const QString& caption)
{
    const auto isCjk = [](QChar c) {
        const QChar::Script script = c.script();
        return script == QChar::Script_Han || script == QChar::Script_Hiragana ||
               script == QChar::Script_Katakana || script == QChar::Script_Hangul;
    };
    const QString text = caption.simplified();
    QString line;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char(' ') && i > 0 && i + 1 < text.size() && isCjk(text[i - 1]) &&
            isCjk(text[i + 1]))
            continue;
        line += text[i];
    }
    return line;
}

void DrawCaption(QPainter& painter, const std::vector<CaptionLine>& lines,
                 const ButtonCaptionStyle& style, bool hover)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const CaptionLine& line : lines) {
        painter.setFont(line.font);
        painter.setPen(style.shadowColour);
        painter.drawText(line.box.translated(0, style.shadowOffset), Qt::AlignCenter, line.text);
        painter.setPen(hover ? style.hoverColour : style.colour);
        painter.drawText(line.box, Qt::AlignCenter, line.text);
    }
    painter.restore();
}
