#include "ui/RowStatus.h"

#include "settings/LanguageTexts.h"
#include "ui/FailureText.h"
#include "ui/FileListColumns.h"
#include "ui/StatusColumn.h"

#include <QTreeWidget>

namespace {

constexpr int kStatusRole = Qt::UserRole + 1;

}  // namespace

void ShowRowStatus(QTreeWidgetItem& item, const RowStatus& status)
{
    QString text, tip;
    switch (status.kind) {
    case RowStatus::kReady:
        text = QString::fromStdString(g_texts.jiemian.zb);
        break;
    case RowStatus::kDone:
        text = QString::fromStdString(g_texts.tishi.wc);
        tip = DoneText(status.output, status.leftOut);
        break;
    case RowStatus::kFailed:
        text = ShortFailureText(status.failure);
        tip = FailureText(status.failure);
        break;
    }
    item.setText(kColumnStatus, text);
    item.setToolTip(kColumnStatus, tip);
    if (status.kind == RowStatus::kFailed)
        item.setForeground(kColumnStatus, FailedStatusColour());
    else
        item.setData(kColumnStatus, Qt::ForegroundRole, QVariant());
    item.setData(kColumnStatus, kStatusRole, QVariant::fromValue(status));
}

void RewordRowStatuses(QTreeWidget& list)
{
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
        QTreeWidgetItem& item = *list.topLevelItem(row);
        const QVariant kept = item.data(kColumnStatus, kStatusRole);
        if (kept.canConvert<RowStatus>())
            ShowRowStatus(item, kept.value<RowStatus>());
    }
}
