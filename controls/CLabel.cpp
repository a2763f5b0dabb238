#include "controls/CLabel.h"

#include "controls/PathElide.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimerEvent>
#include <algorithm>

CLabel::CLabel(QWidget* parent) : QWidget(parent)
{
    // The text colour is read once; a later palette change only refreshes
    // the background.
    m_textColour = palette().color(QPalette::WindowText);
    m_backColour = palette().color(QPalette::Button);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CLabel::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    update();
}

void CLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

void CLabel::setWordWrap(bool on)
{
    m_wordWrap = on;
    update();
}

void CLabel::SetPathElision(PathEnd pathEnd)
{
    m_pathEnd = std::move(pathEnd);
    update();
}

QString CLabel::ShownText() const
{
    // Line breaks arrive as "\r\n" from the language files; Qt breaks on
    // '\n' alone and would draw the '\r' as a box.
    QString shown = m_text;
    shown.remove(QLatin1Char('\r'));
    if (!m_pathEnd)
        return shown;
    const qsizetype end = std::clamp<qsizetype>(m_pathEnd(shown), 0, shown.size());
    const QString tail = shown.mid(end);
    const QFontMetrics metrics(PaintFont());
    return ElidePath(shown.left(end), metrics, width() - metrics.horizontalAdvance(tail)) + tail;
}

QFont CLabel::PaintFont() const
{
    return m_fontTaken ? m_font : font();
}

void CLabel::TakeFont()
{
    // The font the label has when it is placed and first polished is kept
    // for good, whatever font the owner gives the widget afterwards.
    if (m_fontTaken)
        return;
    m_font = font();
    m_fontTaken = true;
}

int CLabel::TextFormat(Qt::Alignment alignment, bool wordWrap, const QString& text)
{
    int format = 0;
    if (alignment & Qt::AlignHCenter)
        format = Qt::AlignHCenter | Qt::TextWordWrap;
    else if (alignment & Qt::AlignRight)
        format = Qt::AlignRight | Qt::TextWordWrap;
    else if (!wordWrap)
        format = Qt::AlignLeft;
    else
        format = Qt::AlignLeft | Qt::TextWordWrap;

    if (text.contains(QLatin1Char('\t')))
        format |= Qt::TextExpandTabs;

    if (alignment & Qt::AlignVCenter) {
        format = Qt::AlignHCenter;
        if (!text.contains(QLatin1Char('\n')))
            format |= Qt::AlignVCenter | Qt::TextSingleLine;
    }
    // Text that is not vertically centred starts at the top.
    if (!(format & Qt::AlignVCenter))
        format |= Qt::AlignTop;
    return format;
}

QSize CLabel::sizeHint() const
{
    const QFontMetrics metrics(PaintFont());
    return metrics.size(Qt::TextExpandTabs, QString(m_text).remove(QLatin1Char('\r')));
}

bool CLabel::event(QEvent* event)
{
    if (event->type() == QEvent::Polish)
        TakeFont();
    return QWidget::event(event);
}

void CLabel::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange) {
        m_backColour = palette().color(QPalette::Button);
        update();
    }
    QWidget::changeEvent(event);
}

void CLabel::Render(QPainter& painter) const
{
    const QRect area(QPoint(0, 0), size());
    QColor back = m_backColour;
    if (m_flashing && m_flashOn)
        back = palette().color(QPalette::Highlight);
    painter.fillRect(area, back);
    painter.setPen(m_textColour);
    painter.setFont(PaintFont());
    int format = TextFormat(m_alignment, m_wordWrap, m_text);
    if (m_pathEnd)
        format = (format & ~Qt::TextWordWrap) | Qt::TextSingleLine;
    painter.drawText(area, format, ShownText());
}

void CLabel::paintEvent(QPaintEvent* /*event*/)
{
    TakeFont();
    // Paint into an off-screen picture first and copy it in one go, so a
    // label whose text changes several times a second never flickers.
    const qreal ratio = devicePixelRatioF();
    QPixmap buffer(size() * ratio);
    buffer.setDevicePixelRatio(ratio);
    {
        QPainter offscreen(&buffer);
        Render(offscreen);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, buffer);
}

void CLabel::SetBackgroundFlash(bool on)
{
    if (on) {
        if (!m_flashing) {
            m_flashTimer = startTimer(500);
            m_flashing = 1;
        }
        return;
    }
    if (m_flashing) {
        killTimer(m_flashTimer);
        m_flashTimer = 0;
        m_flashing = 0;
        m_flashOn = false;
        update();
    }
}

void CLabel::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_flashTimer) {
        m_flashOn = !m_flashOn;
        update();
        return;
    }
    QWidget::timerEvent(event);
}
