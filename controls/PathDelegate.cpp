#include "controls/PathDelegate.h"

#include "controls/PathElide.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

QString FileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// A picture of the row goes above its path, at the left: the path keeps the
// column's whole width, the caption the room beside the picture. An icon
// keeps the whole room the view gives pictures (room), whatever its shape,
// so that every row is as tall and the captions line up.
void PlacePicture(QStyleOptionViewItem& option, const QSize& room)
{
    if (option.features & QStyleOptionViewItem::HasDecoration) {
        option.decorationPosition = QStyleOptionViewItem::Top;
        option.decorationAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        if (!option.icon.isNull() && room.isValid())
            option.decorationSize = room;
    }
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
    const QSize pictureRoom = option->decorationSize;
    GridLineDelegate::initStyleOption(option, index);
    PlacePicture(*option, pictureRoom);
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

namespace {

// A caption reads as secondary to the path: a little smaller.
QFont CaptionFont(const QFont& font)
{
    QFont smaller = font;
    if (font.pointSizeF() > 0)
        smaller.setPointSizeF(font.pointSizeF() * 0.9);
    return smaller;
}

}  // namespace

QStyleOptionViewItem PathDelegate::Layout(const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const
{
    // The layout alone: the path's shortening changes no room.
    QStyleOptionViewItem cell = option;
    GridLineDelegate::initStyleOption(&cell, index);
    PlacePicture(cell, option.decorationSize);
    return cell;
}

namespace {

QStyle* StyleOf(const QStyleOptionViewItem& cell)
{
    return cell.widget ? cell.widget->style() : QApplication::style();
}

// Where a laid-out cell's picture goes; empty without one.
QRect PictureIn(const QStyleOptionViewItem& cell)
{
    if (!(cell.features & QStyleOptionViewItem::HasDecoration))
        return {};
    return StyleOf(cell)->subElementRect(QStyle::SE_ItemViewItemDecoration, &cell, cell.widget);
}

// The lines of caption that fit room, in font: each cut at its right edge,
// a line that does not fit whole left out.
QStringList LinesIn(const QString& caption, const QRect& room, const QFont& font)
{
    if (caption.isEmpty() || room.isEmpty())
        return {};
    const QFontMetrics metrics(font);
    QStringList shown;
    int top = 0;
    for (const QString& line : caption.split(QLatin1Char('\n'))) {
        if (top + metrics.height() > room.height() && !shown.isEmpty())
            break;
        shown << metrics.elidedText(line, Qt::ElideRight, room.width());
        top += metrics.lineSpacing();
    }
    return shown;
}

}  // namespace

QRect PathDelegate::PictureRect(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return PictureIn(Layout(option, index));
}

QRect PathDelegate::CaptionRect(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QStyleOptionViewItem cell = Layout(option, index);
    const QRect picture = PictureIn(cell);
    if (picture.isEmpty())
        return {};
    const QWidget* widget = cell.widget;
    QStyle* style = StyleOf(cell);
    const QRect text = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    // From the picture's right to the cell's, down to where the path begins.
    QRect room(QPoint(picture.right() + 1 + 2 * margin, cell.rect.top() + 1),
               QPoint(cell.rect.right() - margin, std::max(picture.bottom(), text.top() - 1)));
    return room.isValid() ? room : QRect();
}

QStringList PathDelegate::ShownCaption(const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const
{
    return LinesIn(index.data(kCaptionRole).toString(), CaptionRect(option, index),
                   CaptionFont(option.font));
}

void PathDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const
{
    GridLineDelegate::paint(painter, option, index);
    const QString caption = index.data(kCaptionRole).toString();
    if (caption.isEmpty())
        return;
    const QRect room = CaptionRect(option, index);
    const QFont font = CaptionFont(option.font);
    const QStringList lines = LinesIn(caption, room, font);
    if (lines.isEmpty())
        return;
    const QFontMetrics metrics(font);
    painter->save();
    painter->setFont(font);
    const bool selected = option.state & QStyle::State_Selected;
    painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setClipRect(room);
    // The lines stand in the middle of the picture's height.
    const int height =
        metrics.lineSpacing() * (static_cast<int>(lines.size()) - 1) + metrics.height();
    int y = room.top() + std::max(0, (room.height() - height) / 2) + metrics.ascent();
    for (const QString& line : lines) {
        painter->drawText(room.left(), y, line);
        y += metrics.lineSpacing();
    }
    painter->restore();
}
