#pragma once

#include "controls/GridLineDelegate.h"

#include <QHash>
#include <QPointer>
#include <QStringList>

class QAbstractItemModel;

// The grid cell of a column of paths: a path too long for its cell is
// shortened in the middle (PathElide.h), so the file name stays in sight,
// and keeps the folders that tell it from the column's other paths of the
// same file name. Only the picture changes; the item's text stays the full
// path. A cell with a picture draws it above the path, and the lines of its
// kCaptionRole text beside the picture, each cut at the cell's edge.
class PathDelegate : public GridLineDelegate
{
    Q_OBJECT

public:
    static constexpr int kCaptionRole = Qt::UserRole + 40;

    explicit PathDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Where the picture of a cell is drawn; empty without one.
    QRect PictureRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // Where the caption of a cell goes: right of its picture, as high as the
    // picture's row; empty without a picture.
    QRect CaptionRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // The caption's lines as drawn in that room.
    QStringList ShownCaption(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    // The text the cell shows for an option as the view paints it.
    QString ShownText(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    // The option of a cell as the style lays it out, the picture placed.
    QStyleOptionViewItem Layout(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    // The column's paths by file name, gathered again after the model
    // changed (rows added join it without a new gathering).
    const QStringList& SameNamed(const QModelIndex& index) const;
    void Watch(const QAbstractItemModel* model) const;
    void Gather(const QString& path) const;

    mutable QPointer<const QAbstractItemModel> m_model;
    mutable int m_column = -1;
    mutable bool m_stale = true;
    mutable QHash<QString, QStringList> m_byName;
};
