#include "controls/PathElide.h"

#include <QFontMetrics>
#include <algorithm>

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

// The slash that starts the last `folders` folders and the name (0 for the
// leading slash of an absolute path); -1 when the path has fewer folders.
qsizetype TailStart(const QString& path, int folders)
{
    qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    for (int i = 0; i < folders; ++i) {
        if (slash <= 0)
            return -1;
        slash = path.lastIndexOf(QLatin1Char('/'), slash - 1);
    }
    return slash;
}

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

}  // namespace

QString ElidePath(const QString& path, const TextWidth& width, int maxWidth, int keptFolders)
{
    if (width(path) <= maxWidth)
        return path;
    const qsizetype lastSlash = path.lastIndexOf(QLatin1Char('/'));
    if (lastSlash < 0)
        return ElideMiddle(path, width, maxWidth);
    const qsizetype tailStart = TailStart(path, keptFolders);
    if (tailStart < 0) {
        // Every folder is kept: only the name may give way.
        return ElidePath(path, width, maxWidth, 0);
    }
    const QString tail = kEllipsis + path.mid(tailStart);  // "…/folders/name"
    // The longest run of leading folders that still leaves room for the tail.
    // (A negative start would make lastIndexOf search from the end.)
    qsizetype slash = tailStart > 0 ? path.lastIndexOf(QLatin1Char('/'), tailStart - 1) : -1;
    while (slash >= 0) {
        const QString candidate = path.left(slash + 1) + tail;
        if (width(candidate) <= maxWidth)
            return candidate;
        slash = slash > 0 ? path.lastIndexOf(QLatin1Char('/'), slash - 1) : -1;
    }
    if (width(tail) <= maxWidth)
        return tail;
    if (keptFolders > 0) {
        // The folder that tells the path apart stays, with the name; when
        // they do not fit, the name gives way in its middle, and only when
        // that leaves it less than a third of the room does the folder too.
        const qsizetype folderEnd = path.indexOf(QLatin1Char('/'), tailStart + 1);
        QString folder = kEllipsis + path.mid(tailStart, folderEnd - tailStart);  // "…/a"
        if (keptFolders > 1)
            folder += QLatin1Char('/') + kEllipsis;  // "…/a/…"
        folder += QLatin1Char('/');
        const QString name = path.mid(lastSlash + 1);
        if (width(folder + name) <= maxWidth)
            return folder + name;
        if (maxWidth - width(folder) >= maxWidth / 3)
            return folder + ElideMiddle(name, width, maxWidth - width(folder));
        const QString shortFolder = ElideMiddle(folder, width, maxWidth / 2);
        return shortFolder + ElideMiddle(name, width, maxWidth - width(shortFolder));
    }
    // The folders are lost anyway: the room goes to the name.
    return ElideMiddle(path.mid(lastSlash + 1), width, maxWidth);
}

QString ElidePath(const QString& path, const QFontMetrics& metrics, int maxWidth, int keptFolders)
{
    return ElidePath(
        path, [&metrics](const QString& text) { return metrics.horizontalAdvance(text); }, maxWidth,
        keptFolders);
}

int DistinguishingFolders(const QString& path, const QStringList& paths)
{
    const QString name = FileNameOf(path);
    QStringList folders = path.split(QLatin1Char('/'));
    folders.removeLast();
    int needed = 0;
    for (const QString& other : paths) {
        if (other == path || FileNameOf(other) != name)
            continue;
        QStringList otherFolders = other.split(QLatin1Char('/'));
        otherFolders.removeLast();
        // The first folder, counted from the name, in which the two differ.
        int k = 1;
        while (k <= folders.size() && k <= otherFolders.size() &&
               folders[folders.size() - k] == otherFolders[otherFolders.size() - k])
            ++k;
        needed = std::max(needed, k);
    }
    // The leading "" of an absolute path is no folder to show.
    const int available =
        static_cast<int>(folders.size()) - (path.startsWith(QLatin1Char('/')) ? 1 : 0);
    return std::min(needed, std::max(available, 0));
}

QString PathTail(const QString& path, int folders)
{
    const qsizetype start = TailStart(path, folders);
    return start < 0 ? path : path.mid(start + 1);
}
