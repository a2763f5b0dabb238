#include "ui/BatchEndNotice.h"

#include "controls/PathElide.h"
#include "settings/LanguageTexts.h"
#include "ui/FailureText.h"

#include <functional>

namespace {

// The longest list a message names file by file; a box taller than the
// screen would hide its button.
constexpr qsizetype kMostNamed = 20;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The lines under a heading, the ones past kMostNamed counted.
QString Lines(const QStringList& lines)
{
    QString text;
    for (qsizetype k = 0; k < lines.size() && k < kMostNamed; ++k)
        text += QLatin1Char('\n') + lines[k];
    if (lines.size() > kMostNamed)
        text += QLatin1Char('\n') + Q(g_texts.failures.moreFiles).arg(lines.size() - kMostNamed);
    return text;
}

QString FailedFilesText(const std::vector<const EndedFile*>& failed, const QStringList& unreached,
                        const std::function<QString(const QString&)>& shownName)
{
    const LanguageTexts::Prompts& t = g_texts.prompts;
    const LanguageTexts::Failures& s = g_texts.failures;
    QString text;
    if (failed.size() == 1) {
        const EndedFile& file = *failed.front();
        text = Q(s.oneFileFailed).arg(shownName(file.path)) + QLatin1Char('\n') +
               Q(t.reason).arg(FailureText(file.outcome.failure));
    } else if (!failed.empty()) {
        QStringList lines;
        for (const EndedFile* file : failed)
            lines << Q(t.fileAndReason).arg(shownName(file->path), FailureText(file->outcome.failure));
        text = Q(s.filesFailed) + Lines(lines);
    }
    if (!unreached.isEmpty()) {
        if (!text.isEmpty())
            text += QStringLiteral("\n\n");
        QStringList names;
        for (const QString& path : unreached)
            names << shownName(path);
        text += Q(s.filesNotReached) + Lines(names);
    }
    return text;
}

}  // namespace

BatchEndNotice NoticeAtBatchEnd(BatchEnd end, bool failedAtEnd, const std::vector<EndedFile>& files,
                                const QStringList& listedPaths, bool openFolderWhenDone)
{
    BatchEndNotice notice;
    if (end == BatchEnd::kCancelled)
        return notice;
    std::vector<const EndedFile*> failed;
    QStringList unreached;
    bool anyDone = false;
    for (const EndedFile& file : files) {
        switch (file.outcome.kind) {
        case PositionOutcome::kDone:
            anyDone = true;
            break;
        case PositionOutcome::kFailed:
            failed.push_back(&file);
            break;
        case PositionOutcome::kNotReached:
            if (end == BatchEnd::kWorkerEndedEarly)
                unreached << file.path;
            break;
        case PositionOutcome::kPending:
        case PositionOutcome::kStopped:
            break;
        }
    }
    if (!failed.empty() || !unreached.isEmpty()) {
        const auto shownName = [&listedPaths](const QString& path) {
            return PathTail(path, DistinguishingFolders(path, listedPaths));
        };
        notice.message = FailedFilesText(failed, unreached, shownName);
    }
    // As it always has, the folder opens after a batch that did not end on
    // a failure.
    notice.openFolder = openFolderWhenDone && !failedAtEnd && anyDone;
    return notice;
}
