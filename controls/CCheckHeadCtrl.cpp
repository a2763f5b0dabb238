#include "controls/CCheckHeadCtrl.h"

#include "controls/BitmapResources.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <algorithm>

namespace {

constexpr int kBoxSize = 16;
constexpr int kBoxGap = 4;

}  // namespace

CCheckHeadCtrl::CCheckHeadCtrl(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
{
    // Sections never act as buttons: no sort indicator, no sectionClicked.
    setSectionsClickable(false);
    setSortIndicatorShown(false);
    const QPixmap strip = LoadBitmapResource(kCheckBoxStripId);
    for (int i = 0; i < 3; ++i)
        m_boxes[i] = StripImage(strip, i, kBoxSize);
}

void CCheckHeadCtrl::SetImage(int image)
{
    if (image == m_image)
        return;
    m_image = image;
    viewport()->update();
}

void CCheckHeadCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (logicalIndex != 0 || m_image <= 0) {
        painter->save();
        QHeaderView::paintSection(painter, rect, logicalIndex);
        painter->restore();
        return;
    }

    // The box stands to the left of the first column's caption: the section
    // is drawn without its caption, then the box, then the caption beside it.
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, logicalIndex);
    option.rect = rect;
    painter->save();
    style()->drawControl(QStyle::CE_HeaderSection, &option, painter, this);

    const QPixmap& box = m_boxes[std::min(m_image, 2)];
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const QPoint boxAt(rect.left() + margin, rect.top() + (rect.height() - kBoxSize) / 2);
    if (!box.isNull())
        painter->drawPixmap(boxAt, box);

    QStyleOptionHeader label = option;
    label.rect = rect.adjusted(margin + kBoxSize + kBoxGap, 0, 0, 0);
    style()->drawControl(QStyle::CE_HeaderLabel, &label, painter, this);
    painter->restore();
}

bool CCheckHeadCtrl::OnSectionEdge(int x) const
{
    const int section = logicalIndexAt(x);
    if (section < 0)
        return false;
    const int grip = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    const int start = sectionViewportPosition(section);
    const int end = start + sectionSize(section);
    const bool nearStart = x - start < grip && visualIndex(section) > 0;
    return nearStart || end - x <= grip;
}

void CCheckHeadCtrl::mousePressEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    // Dragging a section edge still resizes the column.
    if (OnSectionEdge(x)) {
        QHeaderView::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton || logicalIndexAt(x) != 0)
        return;
    const int image = m_image == 1 ? 2 : 1;
    SetImage(image);
    emit OnHeaderItemClick(image);
}
