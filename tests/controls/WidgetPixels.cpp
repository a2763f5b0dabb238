#include "tests/controls/WidgetPixels.h"

#include <QWidget>

QImage Shot(QWidget& widget)
{
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

QRect InkBounds(const QImage& image, QColor background)
{
    const QRgb back = background.rgb();
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) | 0xFF000000u) != (back | 0xFF000000u))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

bool ShowsFace(const QImage& image, const QImage& face)
{
    const QImage f = face.convertToFormat(QImage::Format_ARGB32);
    int compared = 0;
    for (int y = 0; y < std::min(image.height(), f.height()); ++y) {
        for (int x = 0; x < std::min(image.width(), f.width()); ++x) {
            const QRgb want = f.pixel(x, y);
            if (qAlpha(want) != 255)
                continue;
            ++compared;
            if ((image.pixel(x, y) | 0xFF000000u) != want)
                return false;
        }
    }
    return compared > 0;
}
