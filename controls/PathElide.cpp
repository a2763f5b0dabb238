#include "controls/PathElide.h"

#include <QFontMetrics>

namespace {

const QChar kEllipsis(0x2026);

// The text cut in its middle to fit, its end kept a character longer than
// its start; just the ellipsis when nothing else fits.
QString ElideMiddle(const QString& text, const TextWidth& width, int maxWidth)
{
    for (qsizetype kept = text.size() - 1; kept > 0; --kept) {
        const qsizetype head = kept / 2;
        const QString candidate = text.left(head) + kEllipsis + text.right(kept - head);
        if (width(candidate) <= maxWidth)
            return candidate;
    }
    return QString(kEllipsis);
}

}  // namespace

QString ElidePath(const QString& path, const TextWidth& width, int maxWidth)
{
    if (width(path) <= maxWidth)
        return path;
    const qsizetype lastSlash = path.lastIndexOf(QLatin1Char('/'));
    if (lastSlash < 0)
        return ElideMiddle(path, width, maxWidth);
    const QString tail = kEllipsis + path.mid(lastSlash);  // "…/name"
    // The longest run of leading folders that still leaves room for the name.
    // (A negative start would make lastIndexOf search from the end.)
    qsizetype slash = lastSlash > 0 ? path.lastIndexOf(QLatin1Char('/'), lastSlash - 1) : -1;
    while (slash >= 0) {
        const QString candidate = path.left(slash + 1) + tail;
        if (width(candidate) <= maxWidth)
            return candidate;
        slash = slash > 0 ? path.lastIndexOf(QLatin1Char('/'), slash - 1) : -1;
    }
    if (width(tail) <= maxWidth)
        return tail;
    // The folders are lost anyway: the room goes to the name.
    return ElideMiddle(path.mid(lastSlash + 1), width, maxWidth);
}

QString ElidePath(const QString& path, const QFontMetrics& metrics, int maxWidth)
{
    return ElidePath(
        path, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); },
        maxWidth);
}
