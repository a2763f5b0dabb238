#include "ui/FileErrorText.h"

#include "settings/LanguageTexts.h"

#include <cerrno>

QString FileErrorText(const QString& path, int errorNumber)
{
    const LanguageTexts::Wjcw& texts = g_texts.wjcw;
    const std::string* text = &texts.wzcw;
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS:
        text = &texts.jjfw;
        break;
    case EBUSY:
    case ETXTBSY:
        text = &texts.gxct;
        break;
    case ENOENT:
        text = &texts.wzd;
        break;
    case EEXIST:
    case ENOTEMPTY:
        text = &texts.mbcz;
        break;
    case ENOSPC:
    case EDQUOT:
        text = &texts.cpym;
        break;
    case ENAMETOOLONG:
    case ENOTDIR:
    case EINVAL:
    case ELOOP:
        text = &texts.wxlj;
        break;
    case EXDEV:
        text = &texts.kcp;
        break;
    case EMFILE:
    case ENFILE:
        text = &texts.wjgd;
        break;
    case EIO:
        text = &texts.yjcw;
        break;
    default:
        break;
    }
    return QString::fromStdString(*text).arg(path);
}
