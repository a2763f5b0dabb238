#include "ui/RowStatus.h"

#include "batch/PositionOutcome.h"
#include "settings/LanguageTexts.h"
#include "ui/FailureText.h"
#include "ui/FileListColumns.h"
#include "ui/StatusColumn.h"

#include <QTreeWidgetItem>

RowStatus RowStatusOf(const PositionOutcome& outcome)
{
    switch (outcome.kind) {
    case PositionOutcome::kDone:
        return {RowStatus::kDone, {}, outcome.leftOut, outcome.output};
    case PositionOutcome::kFailed:
        return {RowStatus::kFailed, outcome.failure, {}, {}};
    default:
        return {};
    }
}

QString RowStatusText(const RowStatus& status)
{
    switch (status.kind) {
    case RowStatus::kDone:
        return QString::fromStdString(g_texts.prompts.done);
    case RowStatus::kFailed:
        return ShortFailureText(status.failure);
    case RowStatus::kReady:
        break;
    }
    return QString::fromStdString(g_texts.window.ready);
}

void ShowRowStatus(QTreeWidgetItem& item, const RowStatus& status)
{
    QString tip;
    if (status.kind == RowStatus::kDone)
        tip = DoneText(status.output, status.leftOut);
    else if (status.kind == RowStatus::kFailed)
        tip = FailureText(status.failure);
    item.setText(kColumnStatus, RowStatusText(status));
    item.setToolTip(kColumnStatus, tip);
    if (status.kind == RowStatus::kFailed)
        item.setForeground(kColumnStatus, FailedStatusColour());
    else
        item.setData(kColumnStatus, Qt::ForegroundRole, QVariant());
}
