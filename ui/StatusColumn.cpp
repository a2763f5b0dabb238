#include "ui/StatusColumn.h"

#include "batch/PositionOutcome.h"
#include "settings/LanguageTexts.h"
#include "ui/FailureText.h"

#include <algorithm>

QStringList StatusWords()
{
    return {QString::fromStdString(g_texts.jiemian.zb), QString::fromStdString(g_texts.tishi.wc),
            QString::fromStdString(g_texts.tishi.sb)};
}

QString StatusText(const PositionOutcome& outcome)
{
    switch (outcome.kind) {
    case PositionOutcome::kDone:
        return QString::fromStdString(g_texts.tishi.wc);
    case PositionOutcome::kFailed:
        return ShortFailureText(outcome.failure);
    default:
        return QString::fromStdString(g_texts.jiemian.zb);
    }
}

int FittingColumnWidth(const QStringList& texts, const TextWidth& width, int margins, int minimum)
{
    int widest = 0;
    for (const QString& text : texts)
        widest = std::max(widest, width(text));
    return std::max(minimum, widest + margins);
}

QColor FailedStatusColour()
{
    return QColor(176, 0, 32);
}
