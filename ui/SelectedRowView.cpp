#include "ui/SelectedRowView.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

constexpr int kGap = 8;  // between the row's picture and the view

}  // namespace

QPoint PlaceBeside(const QSize& size, const QRect& anchor, const QRect& screen)
{
    int x = anchor.right() + 1 + kGap;
    if (x + size.width() > screen.right() + 1)
        x = anchor.left() - kGap - size.width();
    x = std::clamp(x, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    const int y = std::clamp(anchor.top(), screen.top(),
                             std::max(screen.top(), screen.bottom() + 1 - size.height()));
    return {x, y};
}

SelectedRowView::SelectedRowView(QWidget* owner)
    : QLabel(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    // Dressed as the tooltip that shows the same view on hovering.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setMargin(2);
    setTextFormat(Qt::RichText);
    setObjectName(QStringLiteral("selectedRowView"));
}

void SelectedRowView::ShowBeside(int row, const QString& view, const QRect& anchor)
{
    m_row = row;
    if (view != m_view) {
        m_view = view;
        setText(view);
        adjustSize();
    }
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(anchor.topLeft(), size());
    move(PlaceBeside(size(), anchor, room));
    if (!isVisible())
        show();
}

void SelectedRowView::HideView()
{
    m_row = -1;
    hide();
}
