#pragma once

#include <QWidget>

// Static text painted double-buffered on the button-face colour, with the
// font it had when it was attached. Alignment follows Qt::Alignment set with
// setAlignment(); text with tabs has them expanded.
class CLabel : public QWidget
{
    Q_OBJECT

public:
    explicit CLabel(QWidget* parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString& text);
    void setAlignment(Qt::Alignment alignment);
    Qt::Alignment alignment() const { return m_alignment; }

    void SetBackgroundFlash(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString m_text;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignTop;
    QFont m_font;
    bool m_fontTaken = false;
    int m_flashing = 0;
};
