#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>
#include <functional>

class QPainter;

// Static text painted double-buffered on the button-face colour, with the
// font it had when it was attached. Alignment follows Qt::Alignment set with
// setAlignment(); text with tabs has them expanded.
//
// Format rules: centred and right-aligned text wraps at word boundaries;
// left-aligned text wraps too unless word wrap is switched off. Qt::AlignVCenter
// plays the part of "centre the text": the text is then centred
// horizontally, and also vertically on a single line when it holds no line
// break.
class CLabel : public QWidget
{
    Q_OBJECT

public:
    explicit CLabel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return m_alignment; }
    // Only left-aligned text can be kept from wrapping.
    void setWordWrap(bool on);
    bool wordWrap() const { return m_wordWrap; }

    // Flashing alternates the background with the highlight colour every
    // half second; switching it off restores the button-face colour.
    void SetBackgroundFlash(bool on);
    bool IsFlashing() const { return m_flashing != 0; }

    // Colours and font the label paints with.
    QColor TextColour() const { return m_textColour; }
    QColor BackgroundColour() const { return m_backColour; }
    QFont PaintFont() const;

    // Where the path at the start of a text ends (the text's length when it
    // is all path).
    using PathEnd = std::function<qsizetype(const QString& text)>;
    // With a PathEnd, the text is one line, a leading path followed by a
    // tail (such as "   37% done"): when the line is too wide, only the
    // path is shortened in the middle, so the file name and the tail stay
    // in sight. text() stays the whole text. An empty function ends it.
    void SetPathElision(PathEnd pathEnd);
    // The text as the label draws it.
    QString ShownText() const;

    // Qt::TextFlag and Qt::AlignmentFlag bits for drawing `text`.
    static int TextFormat(Qt::Alignment alignment, bool wordWrap, const QString& text);

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void TakeFont();
    void Render(QPainter& painter) const;

    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    bool m_wordWrap = true;
    PathEnd m_pathEnd;
    QColor m_textColour;
    QColor m_backColour;
    QFont m_font;
    bool m_fontTaken = false;
    int m_flashing = 0;
    int m_flashTimer = 0;
    bool m_flashOn = false;
};
