#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

class QWidget;

// What a widget looks like on screen, for tests that judge by pixels.
QImage Shot(QWidget& widget);

// The smallest rectangle holding every pixel that differs from `background`
// (empty when there is none).
QRect InkBounds(const QImage& image, QColor background);

// True when `image` shows `face` at its top-left corner: every opaque pixel
// of the face that lies inside the image is there unchanged.
bool ShowsFace(const QImage& image, const QImage& face);
