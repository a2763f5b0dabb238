#pragma once

#include <QCursor>
#include <QFont>
#include <QLabel>
#include <functional>

// A static text that looks and acts as a link: link, visited and hover
// colours, underline modes, a pointer cursor, a tooltip with the target,
// and a click opens the target with the desktop's default handler.
//
// The link is "attached" when it is first polished (placed in its dialog
// and about to be shown): it then takes its text as the target when it has
// none, or the target as its text when it has no text, and fits its size to
// the text.
class CHyperLink : public QLabel
{
    Q_OBJECT

public:
    // Opens a target; returns an empty string on success, otherwise the
    // reason it failed. Tests replace it.
    using Opener = std::function<QString(const QString& target)>;
    // Shows the failure message; replaceable so tests can observe it.
    using MessageHook = std::function<void(QWidget* parent, const QString& text)>;

    explicit CHyperLink(QWidget* parent = nullptr);

    void SetTarget(const QString& target);
    QString Target() const { return m_target; }
    void SetUnderlineMode(int mode);  // -1 while hovered, 0 never, 1 always
    int UnderlineMode() const { return m_underlineMode; }
    void SetPointerCursor(const QCursor* cursor);  // nullptr: a hand
    void SetOpener(Opener opener);
    void SetFitToText(bool on) { m_fitToText = on ? 1 : 0; }

    bool IsVisited() const { return m_visited != 0; }
    bool IsPointerOver() const { return m_pointerOver != 0; }

    // What a click opens: the target, or the link's own text without one.
    QString EffectiveTarget() const;
    // The colour and font the text is drawn with right now.
    QColor CurrentColour() const;
    QFont CurrentFont() const;

    // Opens the target as a click does.
    void OpenTarget();

    // The message box hook shared by all links; an empty function restores
    // the default warning box.
    static void SetMessageHook(MessageHook hook);

    // Reason texts for the failure codes of opening a target.
    static QString ReasonText(int code);
    // The failure code that best describes an errno value.
    static int CodeFromErrno(int error);
    // The default opener: the desktop's handler, then xdg-open.
    static QString OpenWithDesktop(const QString& target);

    static inline const QString kFailurePrefix = QStringLiteral("Unable to open hyperlink:\n\n");

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Attach();
    void FitToText();
    void HoverStart();

    QColor m_linkColour{0, 0, 238};
    QColor m_visitedColour{85, 26, 139};
    QColor m_hoverColour{255, 0, 0};
    int m_pointerOver = 0;
    int m_visited = 0;
    int m_underlineMode = -1;
    int m_fitToText = 1;
    bool m_attached = false;
    QString m_target;
    Opener m_opener;
};
