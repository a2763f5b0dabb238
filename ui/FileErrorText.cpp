#include "ui/FileErrorText.h"

#include "settings/LanguageTexts.h"

#include <cerrno>

QString FileErrorText(const QString& path, int errorNumber)
{
    const LanguageTexts::FileErrors& texts = g_texts.fileErrors;
    const std::string* text = &texts.unknown;
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS:
        text = &texts.accessDenied;
        break;
    case EBUSY:
    case ETXTBSY:
        text = &texts.inUse;
        break;
    case ENOENT:
        text = &texts.notFound;
        break;
    case EEXIST:
    case ENOTEMPTY:
        text = &texts.targetExists;
        break;
    case ENOSPC:
    case EDQUOT:
        text = &texts.diskFull;
        break;
    case ENAMETOOLONG:
    case ENOTDIR:
    case EINVAL:
    case ELOOP:
        text = &texts.invalidPath;
        break;
    case EXDEV:
        text = &texts.otherDisk;
        break;
    case EMFILE:
    case ENFILE:
        text = &texts.tooManyOpen;
        break;
    case EIO:
        text = &texts.hardwareError;
        break;
    default:
        break;
    }
    return QString::fromStdString(*text).arg(path);
}
