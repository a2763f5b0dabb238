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
    const LanguageTexts::Refusals& y = g_texts.refusals;
    switch (verdict.rejection) {
    case InputVerdict::kNoVideo:
        return Q(y.noVideoStream);
    case InputVerdict::kNotMedia:
        return Q(y.notMedia);
    case InputVerdict::kNoStreamInfo:
        return Q(y.streamsUnreadable);
    case InputVerdict::kOutOfMemory:
        return Q(y.outOfMemory);
    case InputVerdict::kDecoderFailed:
        return Q(y.noDecoder);
    case InputVerdict::kSamplesOverclaimed:
        return Q(y.samplesOverclaimed);
    case InputVerdict::kTooManyStreams:
        return Q(y.tooManyStreams);
    case InputVerdict::kFolder:
        return Q(y.isFolder);
    case InputVerdict::kNotRegularFile:
        return Q(y.notRegularFile);
    case InputVerdict::kEmpty:
        return Q(y.empty);
    case InputVerdict::kCannotOpen:
        if (verdict.error == ENOENT || verdict.error == ENOTDIR)
            return Q(y.missing);
        if (verdict.error == EACCES || verdict.error == EPERM)
            return Q(y.notReadable);
        return Q(y.cannotOpen);
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
    const LanguageTexts::Prompts& t = g_texts.prompts;
    if (refused.size() == 1) {
        const RefusedFile& file = refused.front();
        return Q(t.theFile) + shownName(file.path) + QLatin1Char(' ') + Q(t.notRotatable) + QLatin1Char('\n') +
               Q(t.reason).arg(RefusalReasonText(file.verdict));
    }
    QString text = Q(t.filesNotAdded);
    for (const RefusedFile& file : refused)
        text +=
            QLatin1Char('\n') + Q(t.fileAndReason).arg(shownName(file.path), RefusalReasonText(file.verdict));
    return text;
}
