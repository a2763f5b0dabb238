#include "controls/PathDelegate.h"

#include "controls/PathElide.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFontMetricsF>
#include <QStyle>
#include <QWidget>
#include <cmath>

namespace {

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

}  // namespace

PathDelegate::PathDelegate(QObject* parent) : GridLineDelegate(parent) {}

void PathDelegate::Watch(const QAbstractItemModel* model) const
{
    if (m_model)
        disconnect(m_model, nullptr, this, nullptr);
    m_model = model;
    m_stale = true;
    if (!model)
        return;
    const auto stale = [this] { m_stale = true; };
    // Rows added to a gathered column join it as they come: a long add
    // repaints the list many times, and each gathering of the whole
    // column costs as many rows as it has.
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int first, int last) {
                if (parent.isValid())
                    m_stale = true;
                if (m_stale)
                    return;
                for (int row = first; row <= last; ++row)
                    Gather(m_model->index(row, m_column, parent).data().toString());
            });
    connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
    connect(model, &QAbstractItemModel::modelReset, this, stale);
    // Only a change of the column's text counts, not of its picture or tip.
    connect(model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles) {
                if (topLeft.column() <= m_column && m_column <= bottomRight.column() &&
                    (roles.isEmpty() || roles.contains(Qt::DisplayRole) ||
                     roles.contains(Qt::EditRole)))
                    m_stale = true;
            });
}

void PathDelegate::Gather(const QString& path) const
{
    QStringList& same = m_byName[FileNameOf(path)];
    if (!same.contains(path))
        same.append(path);
}

const QStringList& PathDelegate::SameNamed(const QModelIndex& index) const
{
    if (m_model != index.model() || m_column != index.column()) {
        m_column = index.column();
        Watch(index.model());
    }
    if (m_stale) {
        // Once per change of the list, not per cell painted.
        m_byName.clear();
        const int rows = m_model->rowCount(index.parent());
        for (int row = 0; row < rows; ++row)
            Gather(m_model->index(row, m_column, index.parent()).data().toString());
        m_stale = false;
    }
    static const QStringList none;
    const auto it = m_byName.constFind(FileNameOf(index.data().toString()));
    return it == m_byName.constEnd() ? none : *it;
}

void PathDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    GridLineDelegate::initStyleOption(option, index);
    // A picture of the row goes above its path: the path keeps the
    // column's whole width.
    if (option->features & QStyleOptionViewItem::HasDecoration) {
        option->decorationPosition = QStyleOptionViewItem::Top;
        option->decorationAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    if (option->text.isEmpty() || option->rect.isEmpty())
        return;
    // The room the style leaves for the text once the check box and the
    // margins are placed; it draws the text inside a margin on either side.
    const QWidget* widget = option->widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const int room =
        style->subElementRect(QStyle::SE_ItemViewItemText, option, widget).width() - 2 * margin;
    const QStringList& same = SameNamed(index);
    const int kept = same.size() > 1 ? DistinguishingFolders(option->text, same) : 0;
    // The style cuts a text whose exact width exceeds the room by a fraction
    // of a pixel, which a rounded width would not show: widths round up.
    const QFontMetricsF metrics(option->font);
    option->text = ElidePath(
        option->text,
        [&metrics](const QString& text) {
            return static_cast<int>(std::ceil(metrics.horizontalAdvance(text)));
        },
        room, kept);
}

QString PathDelegate::ShownText(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem shown = option;
    initStyleOption(&shown, index);
    return shown.text;
}
