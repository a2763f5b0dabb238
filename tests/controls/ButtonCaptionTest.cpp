// Captions drawn over the bitmap faces: they stay inside the free part of
// the face in any language, measured with the metrics the button paints
// with, and Chinese ones sit where the artwork once had them. ctest runs
// these at scale 1 and again at QT_SCALE_FACTOR=2.
#include "controls/ButtonCaption.h"
#include "controls/BitmapResources.h"
#include "controls/CControlButton.h"
#include "tests/controls/WidgetPixels.h"

#include <QFontMetricsF>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Face {
    const char* name;
    unsigned hover, normal;
    QSize room;  // what the main window gives the button
    ButtonCaptionStyle style;
};

std::vector<Face> Faces()
{
    const ButtonCaptionStyle list = ButtonCaptionStyle::ListButton();
    return {
        {"add", 336, 178, {115, 47}, list},
        {"remove", 343, 331, {115, 47}, list},
        {"remove all", 341, 214, {115, 47}, list},
        {"start", 345, 295, {98, 101}, ButtonCaptionStyle::StartButton()},
        {"open folder", 340, 268, {96, 32}, ButtonCaptionStyle::SmallButton(96, true)},
        {"browse", 337, 335, {63, 32}, ButtonCaptionStyle::SmallButton(63, false)},
    };
}

struct Shown {
    QWidget dialog;
    CControlButton* button;

    Shown(const Face& face, const QString& caption)
    {
        dialog.resize(200, 120);
        button = new CControlButton(&dialog);
        button->SetBitmaps(face.hover, face.normal, face.normal, face.hover);
        button->SetCaption(caption, face.style);
        button->setGeometry(QRect(QPoint(0, 0), face.room));
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
};

// Every pixel in which the button with its caption differs from the bare
// face lies in one of the caption's boxes (with a pixel for the smoothing
// and the relief below).
void ExpectInkInsideBoxes(const Face& face, const QString& caption)
{
    Shown with(face, caption);
    const std::vector<CaptionLine> lines = with.button->CaptionLines();
    const QImage painted = Shot(*with.button);
    Shown bare(face, QString());
    const QImage plain = Shot(*bare.button);
    ASSERT_EQ(painted.size(), plain.size());
    const qreal ratio = painted.devicePixelRatio();
    int ink = 0;
    for (int y = 0; y < painted.height(); ++y) {
        for (int x = 0; x < painted.width(); ++x) {
            if (painted.pixel(x, y) == plain.pixel(x, y))
                continue;
            ++ink;
            const QPointF at(x / ratio, y / ratio);
            bool inside = false;
            for (const CaptionLine& line : lines)
                inside |= line.box.adjusted(-1, -1, 1, 2).contains(at);
            ASSERT_TRUE(inside) << face.name << " \"" << caption.toStdString() << "\" ink at "
                                << at.x() << "," << at.y();
        }
    }
    EXPECT_GT(ink, 0) << face.name;
}

TEST(ButtonCaption, EveryLineFitsItsBoxInsideTheFace)
{
    const QString longWord = QStringLiteral("Dateiauswahlverzeichnisdialog");
    const char* english[] = {"Add", "Remove", "Remove all files", "Start", "Open folder", "Browse"};
    const char* chinese[] = {"添加", "删除", "删除 所有文件", "开始", "打开目录", "浏览"};
    const std::vector<Face> faces = Faces();
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Face& face = faces[i];
        for (const QString& caption :
             {QString::fromUtf8(english[i]), QString::fromUtf8(chinese[i]), longWord}) {
            Shown shown(face, caption);
            const std::vector<CaptionLine> lines = shown.button->CaptionLines();
            ASSERT_FALSE(lines.empty()) << face.name;
            for (const CaptionLine& line : lines) {
                const QFontMetricsF metrics(line.font, shown.button);
                EXPECT_LE(metrics.horizontalAdvance(line.text), line.box.width())
                    << face.name << " " << line.text.toStdString();
                EXPECT_TRUE(QRectF(shown.button->rect()).contains(line.box)) << face.name;
                EXPECT_GE(line.font.pixelSize(), kMinCaptionPixelSize);
            }
            ExpectInkInsideBoxes(face, caption);
        }
    }
}

TEST(ButtonCaption, ChineseCaptionsKeepTheirSizesAndLongWordsShrinkOrAreCut)
{
    const std::vector<Face> faces = Faces();
    Shown add(faces[0], QStringLiteral("添加"));
    auto lines = add.button->CaptionLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].font.pixelSize(), 18);

    // Too long for one line: two, broken at the blank, as the old artwork.
    Shown removeAll(faces[2], QStringLiteral("删除 所有文件"));
    lines = removeAll.button->CaptionLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, QStringLiteral("删除"));
    EXPECT_EQ(lines[0].font.pixelSize(), 15);
    EXPECT_EQ(lines[1].text, QStringLiteral("所有文件"));
    EXPECT_EQ(lines[1].font.pixelSize(), 13);

    // A blank is only used where it keeps the text larger.
    Shown start(faces[3], QStringLiteral("Start now"));
    lines = start.button->CaptionLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_LT(lines[0].font.pixelSize(), 25);

    // One word that fits nowhere: the smallest size, cut short with "…".
    Shown browse(faces[5], QStringLiteral("Dateiauswahlverzeichnisdialog"));
    lines = browse.button->CaptionLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].font.pixelSize(), kMinCaptionPixelSize);
    EXPECT_TRUE(lines[0].text.endsWith(QChar(0x2026))) << lines[0].text.toStdString();

    Shown empty(faces[0], QStringLiteral("  "));
    EXPECT_TRUE(empty.button->CaptionLines().empty());
    EXPECT_EQ(CaptionAsOneLine(QStringLiteral("删除 所有文件")), QStringLiteral("删除所有文件"));
    EXPECT_EQ(CaptionAsOneLine(QStringLiteral("Remove  all")), QStringLiteral("Remove all"));
}

}  // namespace
