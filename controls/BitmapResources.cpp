#include "controls/BitmapResources.h"

#include <QImage>
#include <QString>

QPixmap LoadBitmapResource(unsigned id)
{
    // Ids are 16-bit resource ordinals; anything wider names no bitmap.
    if (id == 0 || id > 0xFFFF)
        return {};
    QPixmap pixmap;
    if (!pixmap.load(QStringLiteral(":/bitmaps/%1.png").arg(id)))
        return {};
    return pixmap;
}

QPixmap LoadBitmapResource(unsigned id, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1.0 && id != 0 && id <= 0xFFFF) {
        QPixmap pixmap;
        if (pixmap.load(QStringLiteral(":/bitmaps/%1@2x.png").arg(id))) {
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    return LoadBitmapResource(id);
}

QPixmap StripImage(const QPixmap& strip, int index, int width, QRgb mask)
{
    if (strip.isNull() || width <= 0 || index < 0 || (index + 1) * width > strip.width())
        return {};
    QImage image = strip.copy(index * width, 0, width, strip.height())
                       .toImage()
                       .convertToFormat(QImage::Format_ARGB32);
    const QRgb key = mask | 0xFF000000u;
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key)
                line[x] = 0;
        }
    }
    return QPixmap::fromImage(image);
}
