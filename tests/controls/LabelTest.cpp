#include "controls/CLabel.h"
#include "tests/controls/WidgetPixels.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

struct LabelOnDialog {
    QWidget dialog;
    CLabel* label;

    LabelOnDialog(const QString& text, Qt::Alignment alignment, int pixelSize = 14)
    {
        dialog.resize(320, 120);
        label = new CLabel(&dialog);
        QFont font = label->font();
        font.setPixelSize(pixelSize);
        label->setFont(font);
        label->setGeometry(10, 10, 300, 80);
        label->setAlignment(alignment);
        label->setText(text);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    QRect Ink() { return InkBounds(Shot(*label), label->BackgroundColour()); }
};

}  // namespace

TEST(Label, AlignmentAndCentringFollowTheFormatRules)
{
    {
        LabelOnDialog ui("进度 42%", Qt::AlignRight);
        const QRect ink = ui.Ink();
        EXPECT_GT(ink.left(), 150);
        EXPECT_LT(ink.top(), 10);
    }
    {
        // Centred both ways on one line.
        LabelOnDialog ui("居中的一行", Qt::AlignVCenter);
        const QRect ink = ui.Ink();
        EXPECT_NEAR(ink.center().x(), 150, 3);
        EXPECT_NEAR(ink.center().y(), 40, 4);
    }
    {
        // With a line break: centred across, but from the top, on two lines.
        LabelOnDialog ui("第一行\r\n第二行", Qt::AlignVCenter);
        const QRect ink = ui.Ink();
        EXPECT_NEAR(ink.center().x(), 150, 3);
        EXPECT_LT(ink.top(), 10);
        EXPECT_GT(ink.height(), 24);
    }
    {
        // Long left-aligned text wraps onto more lines unless told not to.
        const QString words = "one two three four five six seven eight nine ten eleven twelve";
        LabelOnDialog wrapped(words, Qt::AlignLeft);
        LabelOnDialog single(words, Qt::AlignLeft);
        single.label->setWordWrap(false);
        EXPECT_GT(wrapped.Ink().height(), single.Ink().height() + 8);
        EXPECT_GT(single.Ink().right(), 290);
    }
}

TEST(Label, TabsAreExpanded)
{
    LabelOnDialog tabbed("ab\tcd", Qt::AlignLeft);
    LabelOnDialog plain("ab cd", Qt::AlignLeft);
    EXPECT_GT(tabbed.Ink().width(), plain.Ink().width() + 10);
}

TEST(Label, KeepsTheFontItHadWhenAttached)
{
    LabelOnDialog ui("文字", Qt::AlignLeft, 12);
    const int before = ui.Ink().height();
    QFont larger = ui.label->font();
    larger.setPixelSize(40);
    ui.label->setFont(larger);
    ui.label->setText("文字 ");
    EXPECT_EQ(ui.label->PaintFont().pixelSize(), 12);
    EXPECT_EQ(ui.Ink().height(), before);
}

TEST(Label, PaletteChangeRefreshesBackgroundButNotTextColour)
{
    LabelOnDialog ui("状态", Qt::AlignLeft);
    const QColor text = ui.label->TextColour();
    QPalette palette = ui.label->palette();
    palette.setColor(QPalette::Button, QColor(200, 30, 30));
    palette.setColor(QPalette::WindowText, QColor(0, 200, 0));
    ui.label->setPalette(palette);

    EXPECT_EQ(ui.label->BackgroundColour(), QColor(200, 30, 30));
    EXPECT_EQ(ui.label->TextColour(), text);
    const QImage shot = Shot(*ui.label);
    EXPECT_EQ(QColor(shot.pixel(295, 75)), QColor(200, 30, 30));
    // No pixel of the text takes the new text colour.
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            ASSERT_NE(QColor(shot.pixel(x, y)), QColor(0, 200, 0));
}

TEST(Label, SwitchingTheFlashOffRestoresTheBackground)
{
    LabelOnDialog ui("状态", Qt::AlignLeft);
    ui.label->SetBackgroundFlash(false);  // nothing to stop
    EXPECT_FALSE(ui.label->IsFlashing());
    ui.label->SetBackgroundFlash(true);
    EXPECT_TRUE(ui.label->IsFlashing());
    QTest::qWait(600);
    ui.label->SetBackgroundFlash(false);
    EXPECT_FALSE(ui.label->IsFlashing());
    EXPECT_EQ(QColor(Shot(*ui.label).pixel(295, 75)), ui.label->BackgroundColour());
}
