#include "ui/FolderChoices.h"

#include <QFileInfo>

namespace {

bool IsFolder(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

}  // namespace

QString AddDialogFolder(const QString& lastAddedFrom, const QString& videos, const QString& home)
{
    if (IsFolder(lastAddedFrom))
        return lastAddedFrom;
    if (IsFolder(videos))
        return videos;
    return home;
}

bool MayOfferToCreateFolder(const QString& folder)
{
    // A relative path would land wherever the program happens to run; a
    // dangling link or anything else under the name is not ours to replace.
    if (folder.isEmpty() || !folder.startsWith(QLatin1Char('/')))
        return false;
    const QFileInfo info(folder);
    return !info.exists() && !info.isSymLink();
}
