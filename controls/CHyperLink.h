#pragma once

#include <QCursor>
#include <QFont>
#include <QLabel>
#include <functional>

// A static text that looks and acts as a link: link, visited and hover
// colours, underline modes, a pointer cursor, a tooltip with the target,
// and a click opens the target with the desktop's default handler.
class CHyperLink : public QLabel
{
    Q_OBJECT

public:
    // Opens a target; returns an empty string on success, otherwise the
    // reason it failed. Tests replace it.
    using Opener = std::function<QString(const QString& target)>;

    explicit CHyperLink(QWidget* parent = nullptr);

    void SetTarget(const QString& target);
    QString Target() const { return m_target; }
    void SetUnderlineMode(int mode);  // -1 while hovered, 0 never, 1 always
    void SetPointerCursor(const QCursor* cursor);  // nullptr: a hand
    void SetOpener(Opener opener);

    bool IsVisited() const { return m_visited != 0; }
    bool IsPointerOver() const { return m_pointerOver != 0; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void OpenTarget();
    void FitToText();

    QColor m_linkColour{0, 0, 238};
    QColor m_visitedColour{85, 26, 139};
    QColor m_hoverColour{255, 0, 0};
    int m_pointerOver = 0;
    int m_visited = 0;
    int m_underlineMode = -1;
    int m_fitToText = 1;
    QString m_target;
    Opener m_opener;
};
