#pragma once

#include <QLabel>
#include <QPoint>
#include <QRect>
#include <QSize>

// The highlighted row's picture larger, now and after its turn, in a small
// window of the tooltip's kind beside the row's picture. It takes no focus
// and no clicks; the main window says when it shows and where.
class SelectedRowView : public QLabel
{
    Q_OBJECT

public:
    explicit SelectedRowView(QWidget* owner);

    // Shows view (rich text) beside anchor, a rectangle in global
    // coordinates; the row it belongs to is kept for the window's checks.
    void ShowBeside(int row, const QString& view, const QRect& anchor);
    // Hides the view; Row() is -1 afterwards.
    void HideView();
    int Row() const { return m_row; }

private:
    int m_row = -1;
    QString m_view;
};

// Where a window of size goes beside anchor on screen: to the right of it,
// level with its top, else to its left; always whole on the screen when it
// fits there.
QPoint PlaceBeside(const QSize& size, const QRect& anchor, const QRect& screen);
