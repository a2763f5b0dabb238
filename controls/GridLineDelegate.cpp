#include "controls/GridLineDelegate.h"

#include <QPainter>

GridLineDelegate::GridLineDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

void GridLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    QColor line = option.palette.color(QPalette::Mid);
    line.setAlpha(110);
    painter->setPen(line);
    const QRect& r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}
