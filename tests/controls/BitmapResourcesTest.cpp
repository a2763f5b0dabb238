#include "controls/BitmapResources.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

struct Face {
    unsigned hover;
    unsigned normal;
    QSize size;
    Face(ButtonFaceIds ids, QSize faceSize) : hover(ids.hover), normal(ids.normal), size(faceSize)
    {}
};

const Face kFaces[] = {
    {kAddFilesFace, {115, 52}}, {kRemoveFace, {115, 52}},    {kRemoveAllFace, {115, 52}},
    {kStartFace, {90, 93}},     {kOpenFolderFace, {96, 35}}, {kBrowseFace, {65, 35}},
};

bool SameImage(const QPixmap& a, const QPixmap& b)
{
    return a.toImage().convertToFormat(QImage::Format_ARGB32) ==
           b.toImage().convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

TEST(BitmapResources, EveryButtonFaceIsCompiledInAtItsSize)
{
    for (const Face& face : kFaces) {
        const QPixmap hover = LoadBitmapResource(face.hover);
        const QPixmap normal = LoadBitmapResource(face.normal);
        ASSERT_FALSE(hover.isNull()) << face.hover;
        ASSERT_FALSE(normal.isNull()) << face.normal;
        EXPECT_EQ(hover.size(), face.size) << face.hover;
        EXPECT_EQ(normal.size(), face.size) << face.normal;
        EXPECT_FALSE(SameImage(hover, normal)) << "hover face " << face.hover << " looks the same";
        // The corners let the dialog's background show through.
        EXPECT_EQ(qAlpha(normal.toImage().pixel(0, 0)), 0) << face.normal;
    }
    const QPixmap icon = LoadBitmapResource(kApplicationIconId);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.width(), icon.height());
}

TEST(BitmapResources, UnknownIdsGiveNoBitmap)
{
    EXPECT_TRUE(LoadBitmapResource(0).isNull());
    EXPECT_TRUE(LoadBitmapResource(1).isNull());
    // Ids are 16-bit: a wider one must not alias a real bitmap.
    EXPECT_TRUE(LoadBitmapResource(0x10000u + 178).isNull());
}

TEST(BitmapResources, CheckBoxStripCutsIntoBlankEmptyAndTicked)
{
    const QPixmap strip = LoadBitmapResource(kCheckBoxStripId);
    ASSERT_EQ(strip.size(), QSize(48, 16));

    const QImage blank = StripImage(strip, 0, 16).toImage();
    const QImage empty = StripImage(strip, 1, 16).toImage();
    const QImage ticked = StripImage(strip, 2, 16).toImage();
    ASSERT_EQ(blank.size(), QSize(16, 16));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(qAlpha(blank.pixel(x, y)), 0) << x << "," << y;

    // Both boxes are opaque in the middle, transparent at the corner, and
    // differ from each other; no magenta is left over anywhere.
    for (const QImage* box : {&empty, &ticked}) {
        EXPECT_EQ(qAlpha(box->pixel(8, 8)), 255);
        EXPECT_EQ(qAlpha(box->pixel(0, 0)), 0);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                ASSERT_NE(box->pixel(x, y), kMaskColour | 0xFF000000u);
    }
    EXPECT_NE(empty, ticked);
    EXPECT_TRUE(StripImage(strip, 3, 16).isNull());
}
