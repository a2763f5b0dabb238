#include "controls/BitmapResources.h"
#include "controls/CControlButton.h"
#include "tests/controls/WidgetPixels.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace {

const QImage& Face(unsigned id)
{
    static std::map<unsigned, QImage> faces;
    auto it = faces.find(id);
    if (it == faces.end())
        it = faces.emplace(id, LoadBitmapResource(id).toImage()).first;
    return it->second;
}

// The add-files button as the main window sets it up, with a pressed face
// of its own where a test needs to tell it apart.
struct ButtonOnDialog {
    QWidget dialog;
    CControlButton* button;
    CControlButton* neighbour;

    explicit ButtonOnDialog(unsigned pressed = 178)
    {
        dialog.resize(300, 100);
        button = new CControlButton(&dialog);
        button->SetBitmaps(336, 178, pressed, 336);
        button->setGeometry(10, 10, 115, 52);
        neighbour = new CControlButton(&dialog);
        neighbour->SetBitmaps(343, 331, 331, 343);
        neighbour->setGeometry(125, 10, 115, 52);
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
};

}  // namespace

TEST(ControlButton, PointerShowsHoverFaceAndPressShowsPressedFace)
{
    ButtonOnDialog ui(331);
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), Face(178)));

    QTest::mouseMove(ui.button, QPoint(50, 25));
    EXPECT_TRUE(ui.button->IsHovered());
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), Face(336)));

    QSignalSpy clicked(ui.button, &QAbstractButton::clicked);
    QTest::mousePress(ui.button, Qt::LeftButton, {}, QPoint(50, 25));
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), Face(331)));
    QTest::mouseRelease(ui.button, Qt::LeftButton, {}, QPoint(50, 25));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), Face(336)));

    // Straight onto the neighbour: the first goes back to rest.
    QTest::mouseMove(ui.neighbour, QPoint(50, 25));
    EXPECT_FALSE(ui.button->IsHovered());
    EXPECT_TRUE(ui.neighbour->IsHovered());
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), Face(178)));
    EXPECT_TRUE(ShowsFace(Shot(*ui.neighbour), Face(343)));
}

TEST(ControlButton, KeyboardPressShowsPressedFaceWhileHeld)
{
    ButtonOnDialog ui(331);
    QSignalSpy clicked(ui.button, &QAbstractButton::clicked);
    ui.button->setFocus();
    QTest::keyPress(ui.button, Qt::Key_Space);
    EXPECT_TRUE(ui.button->isDown());
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), Face(331)));
    QTest::keyRelease(ui.button, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), Face(178)));
}

TEST(ControlButton, FocusAndDisabledStatesDrawTheSameFace)
{
    ButtonOnDialog ui;
    const QImage rest = Shot(*ui.button);
    ui.button->setFocus();
    EXPECT_EQ(Shot(*ui.button), rest);
    ui.button->setEnabled(false);
    EXPECT_EQ(Shot(*ui.button), rest);
}

TEST(ControlButton, NewBitmapsReplaceTheOldAtTheNextPaint)
{
    ButtonOnDialog ui;
    ui.button->SetBitmaps(345, 295, 295, 345);
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), Face(295)));
    // The owner never resizes the button: a larger face is cut off.
    EXPECT_EQ(ui.button->size(), QSize(115, 52));

    // Ids that name nothing leave the faces empty; nothing is drawn.
    ui.button->SetBitmaps(1, 2, 3, 4);
    EXPECT_TRUE(ui.button->CurrentFace().isNull());
    EXPECT_FALSE(ShowsFace(Shot(*ui.button), Face(295)));
}

// Faces drawn twice as fine for high-density screens. The widget part runs
// where the screen's ratio is 2 (ctest runs it with QT_SCALE_FACTOR=2).
TEST(ControlButtonHighDensity, ButtonsShowTheFacesDrawnAtTwiceTheSize)
{
    for (unsigned id : {178u, 336u, 331u, 343u, 214u, 341u, 295u, 345u, 268u, 340u, 335u, 337u}) {
        const QPixmap fine = LoadBitmapResource(id, 2.0);
        const QPixmap plain = LoadBitmapResource(id);
        EXPECT_EQ(fine.devicePixelRatio(), 2.0) << id;
        EXPECT_EQ(fine.size(), plain.size() * 2) << id;
        EXPECT_EQ(fine.deviceIndependentSize(), QSizeF(plain.size())) << id;
    }
    // Where nothing finer was drawn, the 1x bitmap serves.
    EXPECT_EQ(LoadBitmapResource(kCheckBoxStripId, 2.0).devicePixelRatio(), 1.0);

    ButtonOnDialog ui(331);
    if (ui.button->devicePixelRatioF() != 2.0)
        GTEST_SKIP() << "the screen's ratio is " << ui.button->devicePixelRatioF();
    const QImage shot = Shot(*ui.button);
    ASSERT_EQ(shot.size(), QSize(230, 104));
    EXPECT_FALSE(ShowsFace(shot, Face(178)));  // not the 1x face blown up
    EXPECT_TRUE(ShowsFace(shot, LoadBitmapResource(178, 2.0).toImage()));
    EXPECT_EQ(ui.button->sizeHint(), QSize(115, 52));
    QTest::mouseMove(ui.button, QPoint(50, 25));
    EXPECT_TRUE(ShowsFace(Shot(*ui.button), LoadBitmapResource(336, 2.0).toImage()));
}
