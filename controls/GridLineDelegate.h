#pragma once

#include <QStyledItemDelegate>

// Draws each cell as the standard delegate does, then thin lines on its
// right and bottom edges, so a tree view reads as a report grid.
class GridLineDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit GridLineDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
