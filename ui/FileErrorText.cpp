#include "ui/FileErrorText.h"

#include <cerrno>

QString FileErrorText(const QString& path, int errorNumber)
{
    QString text;
    switch (errorNumber) {
    case EACCES:
    case EPERM:
    case EROFS:
        text = QStringLiteral("拒绝访问 %1。");
        break;
    case EBUSY:
    case ETXTBSY:
        text = QStringLiteral("访问 %1 时遇到了共享冲突。");
        break;
    case ENOENT:
        text = QStringLiteral("未找到 %1。");
        break;
    case EEXIST:
    case ENOTEMPTY:
        text = QStringLiteral("无法移动 %1，目标文件已存在。");
        break;
    case ENOSPC:
    case EDQUOT:
        text = QStringLiteral("磁盘已满，无法访问 %1。");
        break;
    case ENAMETOOLONG:
    case ENOTDIR:
    case EINVAL:
    case ELOOP:
        text = QStringLiteral("%1 包含无效路径。");
        break;
    case EXDEV:
        text = QStringLiteral("无法将 %1 移动到另一个磁盘。");
        break;
    case EMFILE:
    case ENFILE:
        text = QStringLiteral("打开的文件过多，无法访问 %1。");
        break;
    case EIO:
        text = QStringLiteral("读写 %1 时发生硬件 I/O 错误。");
        break;
    default:
        text = QStringLiteral("访问 %1 时发生未知错误。");
        break;
    }
    return text.arg(path);
}
