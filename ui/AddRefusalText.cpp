#include "ui/AddRefusalText.h"

#include "controls/PathElide.h"
#include "settings/LanguageTexts.h"

#include <QStringList>
#include <cerrno>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

QString RefusalReasonText(const InputVerdict& verdict)
{
    const LanguageTexts::Yuanyin& y = g_texts.yuanyin;
    switch (verdict.rejection) {
    case InputVerdict::kNoVideo:
        return Q(y.wsp);
    case InputVerdict::kNotMedia:
        return Q(y.bsmt);
    case InputVerdict::kNoStreamInfo:
        return Q(y.wfdq);
    case InputVerdict::kOutOfMemory:
        return Q(y.ncbz);
    case InputVerdict::kDecoderFailed:
        return Q(y.jmq);
    case InputVerdict::kSamplesOverclaimed:
        return Q(y.ybdy);
    case InputVerdict::kTooManyStreams:
        return Q(y.lgd);
    case InputVerdict::kFolder:
        return Q(y.wjj);
    case InputVerdict::kNotRegularFile:
        return Q(y.bspt);
    case InputVerdict::kEmpty:
        return Q(y.kwj);
    case InputVerdict::kCannotOpen:
        if (verdict.error == ENOENT || verdict.error == ENOTDIR)
            return Q(y.bcz);
        if (verdict.error == EACCES || verdict.error == EPERM)
            return Q(y.wqx);
        return Q(y.wfdk);
    case InputVerdict::kAccepted:
        break;
    }
    return QString();
}

QString RefusedFilesMessage(const std::vector<RefusedFile>& refused)
{
    if (refused.empty())
        return {};
    QStringList paths;
    for (const RefusedFile& file : refused)
        paths << file.path;
    const auto shownName = [&paths](const QString& path) {
        return PathTail(path, DistinguishingFolders(path, paths));
    };
    const LanguageTexts::Tishi& t = g_texts.tishi;
    if (refused.size() == 1) {
        const RefusedFile& file = refused.front();
        return Q(t.wj) + shownName(file.path) + QLatin1Char(' ') + Q(t.wx) + QLatin1Char('\n') +
               Q(t.yy).arg(RefusalReasonText(file.verdict));
    }
    QString text = Q(t.dgwj);
    for (const RefusedFile& file : refused)
        text +=
            QLatin1Char('\n') + Q(t.wjyy).arg(shownName(file.path), RefusalReasonText(file.verdict));
    return text;
}
