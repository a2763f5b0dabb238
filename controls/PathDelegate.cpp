#include "controls/PathDelegate.h"

#include "controls/PathElide.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

PathDelegate::PathDelegate(QObject* parent) : GridLineDelegate(parent) {}

void PathDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    GridLineDelegate::initStyleOption(option, index);
    if (option->text.isEmpty() || option->rect.isEmpty())
        return;
    // The room the style leaves for the text once the check box and the
    // margins are placed; it draws the text inside a margin on either side.
    const QWidget* widget = option->widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int room =
        style->subElementRect(QStyle::SE_ItemViewItemText, option, widget).width() - 2 * margin;
    option->text = ElidePath(option->text, option->fontMetrics, room);
}

QString PathDelegate::ShownText(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    return shown.text;
}
