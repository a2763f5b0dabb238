#include "ui/AddRefusalText.h"

#include "controls/PathElide.h"
#include "settings/LanguageTexts.h"

#include <QStringList>
#include <cerrno>
#include <cstring>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

bool StartsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

}  // namespace

QString RefusalReasonText(const std::string& reason)
{
    // The input check words its reasons in English for the command line;
    // the window says them in its own language.
    const LanguageTexts::Yuanyin& y = g_texts.yuanyin;
    if (reason == "no video stream")
        return Q(y.wsp);
    if (reason == "not a media file we can read")
        return Q(y.bsmt);
    if (reason == "its stream information cannot be read")
        return Q(y.wfdq);
    if (reason == "out of memory while reading it")
        return Q(y.ncbz);
    if (StartsWith(reason, "a decoder for one of its streams cannot be opened"))
        return Q(y.jmq);
    if (reason == "is a folder, not a file")
        return Q(y.wjj);
    if (reason == "not a regular file")
        return Q(y.bspt);
    if (reason == "empty file")
        return Q(y.kwj);
    const std::string cannotOpen = "cannot open: ";
    if (StartsWith(reason, cannotOpen)) {
        const std::string why = reason.substr(cannotOpen.size());
        if (why == std::strerror(ENOENT) || why == std::strerror(ENOTDIR))
            return Q(y.bcz);
        if (why == std::strerror(EACCES) || why == std::strerror(EPERM))
            return Q(y.wqx);
        return Q(y.wfdk);
    }
    return Q(reason);
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
               Q(t.yy).arg(RefusalReasonText(file.reason));
    }
    QString text = Q(t.dgwj);
    for (const RefusedFile& file : refused)
        text +=
            QLatin1Char('\n') + Q(t.wjyy).arg(shownName(file.path), RefusalReasonText(file.reason));
    return text;
}
