#pragma once

#include <QRect>
#include <QSize>
#include <QWidget>
#include <vector>

// Keeps child widgets placed against the edges of a window that is larger
// than the size its form was drawn at. Each widget is held to the edges
// named: held to both left and right it grows with the window's width, to
// the right alone it moves with the right edge, to the left alone (or
// neither) it stays; the same for top and bottom.
class WindowAnchors
{
public:
    // designSize: the window's size the widgets' present geometries belong to.
    explicit WindowAnchors(QSize designSize = {}) : m_designSize(designSize) {}

    // Takes widget's present geometry as its place at the design size.
    void Hold(QWidget* widget, Qt::Edges edges);
    // Places every widget held for a window of size now (at least the
    // design size).
    void Apply(QSize now) const;

    // Where a widget of geometry design at the design size goes in a
    // window of size now.
    static QRect Placed(const QRect& design, Qt::Edges edges, QSize designSize, QSize now);

private:
    struct Held {
        QWidget* widget;
        QRect design;
        Qt::Edges edges;
    };
    QSize m_designSize;
    std::vector<Held> m_held;
};
