#pragma once

#include <QHeaderView>
#include <QPixmap>

// Header of CCheckListCtrl: a check box in section 0 that ticks or clears
// every row. Clicking a header never sorts.
class CCheckHeadCtrl : public QHeaderView
{
    Q_OBJECT

public:
    explicit CCheckHeadCtrl(QWidget* parent = nullptr);

    // 0 no box, 1 empty box, 2 ticked box.
    int Image() const { return m_image; }
    void SetImage(int image);

signals:
    // Section 0 was clicked; the new image is already set.
    void OnHeaderItemClick(int newImage);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool OnSectionEdge(int x) const;

    int m_image = 0;
    // Blank, empty and ticked box, cut from the check-box strip.
    QPixmap m_boxes[3];
};
