#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QFontMetrics;

// Measures a text in pixels.
using TextWidth = std::function<int(const QString& text)>;

// Shortens a path in the middle so that it fits maxWidth, keeping the file
// name and its last keptFolders folders: whole folders after the leading
// ones that fit give way to "…", so "/home/me/Videos/2024/holiday.mp4"
// becomes "/home/me/…/holiday.mp4" or "/…/holiday.mp4" (or, keeping one
// folder, "/home/me/…/2024/holiday.mp4"). When the kept folders do not fit,
// the first of them stays beside the name ("…/a/…/name"), the name and then
// the folder giving way in their middle as the room requires. Otherwise,
// only when not even "…/" and the name fit does the name alone show, cut in
// its own middle, keeping its start and its end (the extension). A path
// that fits comes back as it is.
QString ElidePath(const QString& path, const TextWidth& width, int maxWidth, int keptFolders = 0);
QString ElidePath(const QString& path, const QFontMetrics& metrics, int maxWidth,
                  int keptFolders = 0);

// How many of its last folders a path must show beside its file name to be
// told from every other path of `paths` with the same file name: 0 when the
// name alone does. Paths equal to it are not told apart.
int DistinguishingFolders(const QString& path, const QStringList& paths);

// The file name of path with its last `folders` folders before it
// ("2024/holiday.mp4"); the whole path when it has no more folders.
QString PathTail(const QString& path, int folders);
