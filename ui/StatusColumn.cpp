#include "ui/StatusColumn.h"

#include "settings/LanguageTexts.h"

#include <algorithm>

QStringList StatusWords()
{
    return {QString::fromStdString(g_texts.window.ready), QString::fromStdString(g_texts.prompts.done),
            QString::fromStdString(g_texts.prompts.failed)};
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
