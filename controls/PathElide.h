#pragma once

#include <QString>
#include <functional>

class QFontMetrics;

// Measures a text in pixels.
using TextWidth = std::function<int(const QString& text)>;

// Shortens a path in the middle so that it fits maxWidth, keeping the file
// name: whole folders after the leading ones that fit give way to "…", so
// "/home/me/Videos/2024/holiday.mp4" becomes "/home/me/…/holiday.mp4" or
// "/…/holiday.mp4". Only when not even "…/" and the name fit does the name
// alone show, cut in its own middle, keeping its start and its end (the
// extension). A path that fits comes back as it is.
QString ElidePath(const QString& path, const TextWidth& width, int maxWidth);
QString ElidePath(const QString& path, const QFontMetrics& metrics, int maxWidth);
