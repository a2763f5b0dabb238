#pragma once

#include "controls/GridLineDelegate.h"

// The grid cell of a column of paths: a path too long for its cell is
// shortened in the middle (PathElide.h), so the file name stays in sight.
// Only the picture changes; the item's text stays the full path.
class PathDelegate : public GridLineDelegate
{
    Q_OBJECT

public:
    explicit PathDelegate(QObject* parent = nullptr);

    // The text the cell shows for an option as the view paints it.
    QString ShownText(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
