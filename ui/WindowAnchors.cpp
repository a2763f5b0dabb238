#include "ui/WindowAnchors.h"

#include <algorithm>

void WindowAnchors::Hold(QWidget* widget, Qt::Edges edges)
{
    m_held.push_back({widget, widget->geometry(), edges});
}

void WindowAnchors::Apply(QSize now) const
{
    for (const Held& held : m_held)
        held.widget->setGeometry(Placed(held.design, held.edges, m_designSize, now));
}

QRect WindowAnchors::Placed(const QRect& design, Qt::Edges edges, QSize designSize, QSize now)
{
    const int dx = std::max(0, now.width() - designSize.width());
    const int dy = std::max(0, now.height() - designSize.height());
    QRect placed = design;
    if (edges & Qt::RightEdge) {
        if (edges & Qt::LeftEdge)
            placed.setWidth(design.width() + dx);
        else
            placed.moveLeft(design.left() + dx);
    }
    if (edges & Qt::BottomEdge) {
        if (edges & Qt::TopEdge)
            placed.setHeight(design.height() + dy);
        else
            placed.moveTop(design.top() + dy);
    }
    return placed;
}
