#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include "tests/support/MediaFixtures.h"
#include "ui/LargerPictures.h"
#include "ui/RowPictures.h"

namespace {

class RowPicturesTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        folder_ = new TempFolder("rowpictures");
        for (int rotation : {0, 90}) {
            MediaRecipe recipe;
            recipe.width = 320;
            recipe.height = 180;
            recipe.seconds = 0.2;
            recipe.audio_codec = "";
            recipe.rotation_cw = rotation;
            recipe.mirror = rotation == 90;
            ASSERT_EQ(MakeMediaFile(Clip(rotation), recipe), "");
        }
    }
    static void TearDownTestSuite()
    {
        delete folder_;
        folder_ = nullptr;
    }
    static std::string Clip(int rotation)
    {
        return *folder_ / ("clip" + std::to_string(rotation) + ".mov");
    }

    static TempFolder* folder_;
};

TempFolder* RowPicturesTest::folder_ = nullptr;

TEST_F(RowPicturesTest, RowsOnScreenFirstDroppedRowsNeverAndAFileOnceOnly)
{
    RowPictures pictures(1);
    QSignalSpy ready(&pictures, &RowPictures::pictureReady);
    pictures.Pause();
    pictures.Request(1, Clip(0));
    pictures.Request(2, *folder_ / "missing.mp4");
    pictures.Request(3, Clip(90));
    pictures.Request(4, Clip(0));  // the same file as row 1
    pictures.Drop(2);
    pictures.PreferRows({3});
    EXPECT_EQ(pictures.PendingCount(), 3);
    pictures.Resume();
    QTRY_COMPARE(ready.count(), 3);
    // Row 3 was on screen: it came first.
    EXPECT_EQ(ready.at(0).at(0).toInt(), 3);
    EXPECT_EQ(pictures.Picture(2), nullptr);
    ASSERT_NE(pictures.Picture(1), nullptr);
    ASSERT_NE(pictures.Picture(4), nullptr);
    // Row 4's file was in the cache; the missing file was never looked at.
    EXPECT_EQ(pictures.DecodeCount(), 2);
    EXPECT_EQ(pictures.Picture(4), pictures.Picture(1));

    // The same file added again later comes from the cache too.
    pictures.Request(5, Clip(90));
    QTRY_VERIFY(pictures.Picture(5) != nullptr);
    EXPECT_EQ(pictures.DecodeCount(), 2);

    // A turn redraws from the kept picture, without decoding.
    const VideoPicture& turned = *pictures.Picture(1);
    EXPECT_EQ(ShownImage(turned, 0).size(), QSize(160, 90));
    EXPECT_EQ(ShownImage(turned, 90).size(), QSize(90, 160));
    EXPECT_EQ(ShownImage(turned, 90).pixel(89, 0), ShownImage(turned, 0).pixel(0, 0));
    EXPECT_EQ(pictures.DecodeCount(), 2);

    // A file that cannot be read gets a failure, not a picture.
    pictures.Request(6, *folder_ / "missing.mp4");
    QTRY_VERIFY(pictures.Picture(6) != nullptr);
    EXPECT_FALSE(pictures.Picture(6)->ok());
    EXPECT_TRUE(ShownImage(*pictures.Picture(6), 0).isNull());
}

// The cache keeps the files used last, up to its limit: a file pushed out
// is decoded again, one kept is not.
TEST_F(RowPicturesTest, TheCacheKeepsTheFilesUsedLastUpToItsLimit)
{
    MediaRecipe recipe;
    recipe.width = 64;
    recipe.height = 36;
    recipe.seconds = 0.2;
    recipe.audio_codec = "";
    const std::string third = *folder_ / "third.mov";
    ASSERT_EQ(MakeMediaFile(third, recipe), "");
    const std::string missing = *folder_ / "missing.mp4";  // no identity: never kept

    RowPictures pictures(1, 2);
    const struct {
        std::string path;
        int decodedAfter;
    } requests[] = {
        {Clip(0), 1},  {Clip(90), 2}, {Clip(0), 2},  // both kept; 0 used last
        {missing, 3},  {missing, 4},                 // decoded each time
        {Clip(90), 4}, {Clip(0), 4},                 // still both; 0 used last
        {third, 5},                                  // pushes out 90, not 0
        {Clip(0), 5},  {Clip(90), 6},
    };
    int id = 0;
    for (const auto& request : requests) {
        pictures.Request(++id, request.path);
        QTRY_VERIFY(pictures.Picture(id) != nullptr);
        EXPECT_EQ(pictures.DecodeCount(), request.decodedAfter) << id;
    }
}

TEST_F(RowPicturesTest, CaptionSaysTheRotationAndTheSizeAsShown)
{
    RowPictures pictures(1);
    pictures.Request(1, Clip(0));
    pictures.Request(2, Clip(90));
    QTRY_VERIFY(pictures.Picture(1) != nullptr && pictures.Picture(2) != nullptr);
    EXPECT_EQ(RotationCaption(*pictures.Picture(1), "mirrored"), QString::fromUtf8("0° · 320×180"));
    EXPECT_EQ(RotationCaption(*pictures.Picture(2), "mirrored"),
              QString::fromUtf8("90° · 180×320 · mirrored"));
    // The short lines beside the row's picture.
    EXPECT_EQ(RotationLines(*pictures.Picture(1), "mirrored"), QString::fromUtf8("0°\n320×180"));
    EXPECT_EQ(RotationLines(*pictures.Picture(2), "mirrored"),
              QString::fromUtf8("90° · mirrored\n180×320"));
}

// The images of the larger view, in the order they are shown.
QList<QImage> ViewImages(const QString& html)
{
    QList<QImage> images;
    const QRegularExpression source(QStringLiteral("src=\"data:image/png;base64,([^\"]+)\""));
    for (auto match = source.globalMatch(html); match.hasNext();)
        images << QImage::fromData(QByteArray::fromBase64(match.next().captured(1).toLatin1()),
                                   "PNG")
                      .convertToFormat(QImage::Format_RGB888);
    return images;
}

TEST_F(RowPicturesTest, LargerViewShowsNowAndAfterTheTurnSideBySide)
{
    RowPictures pictures(1);
    pictures.Request(1, Clip(90));
    QTRY_VERIFY(pictures.Picture(1) != nullptr);
    const VideoPicture& picture = *pictures.Picture(1);
    ASSERT_TRUE(picture.ok());
    const auto atSide = [](const QImage& image) {
        return image.scaled(120, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_RGB888);
    };
    for (int turn : {0, 90, 180, 270}) {
        const QString html = NowAfterView(picture, turn, "Now", "<After>", 120);
        const QList<QImage> images = ViewImages(html);
        ASSERT_EQ(images.size(), 2) << turn;
        EXPECT_EQ(images[0], atSide(ShownImage(picture, 0))) << turn;
        EXPECT_EQ(images[1], atSide(ShownImage(picture, turn))) << turn;
        // The stored 320×180 turned 90 stands; a quarter more lies down.
        EXPECT_EQ(images[1].width() > images[1].height(), turn % 180 != 0) << turn;
        // The captions, escaped, above the pictures in their order.
        const qsizetype now = html.indexOf("Now"), after = html.indexOf("&lt;After&gt;");
        EXPECT_TRUE(now >= 0 && now < after && after < html.indexOf("src="))
            << html.left(200).toStdString();
    }
    // On a screen of scale 2: twice the pixels, drawn at the same size.
    const QString sharp = NowAfterView(picture, 90, "Now", "After", 120, 2.0);
    const QList<QImage> images = ViewImages(sharp);
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(images[0].size(),
              QSize(ShownImage(picture, 0).size().scaled(240, 240, Qt::KeepAspectRatio)));
    EXPECT_TRUE(
        sharp.contains(QStringLiteral("width=\"%1\" height=\"120\"").arg(images[0].width() / 2)))
        << sharp.left(300).toStdString();
    // A file without a picture has no larger view.
    VideoPicture failed;
    failed.failure = PictureFailure::kUndecodable;
    EXPECT_TRUE(NowAfterView(failed, 90, "Now", "After", 120).isEmpty());
}

// The picture a user looks at larger is decoded again at that size, once,
// and only the last few are kept.
TEST_F(RowPicturesTest, LargerPicturesAreDecodedAtTheirSizeOnceAndTheLastFewKept)
{
    LargerPictures larger(2);
    QSignalSpy ready(&larger, &LargerPictures::pictureReady);
    EXPECT_EQ(larger.Get(1, Clip(0), 300), nullptr);
    QTRY_COMPARE(ready.count(), 1);
    const auto picture = larger.Get(1, Clip(0), 300);
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(picture->ok());
    EXPECT_EQ(picture->stored.width, 300);
    EXPECT_LE(picture->stored.height, 300);
    // A smaller view takes the same; a larger one decodes again.
    EXPECT_EQ(larger.Get(1, Clip(0), 200), picture);
    EXPECT_EQ(larger.DecodeCount(), 1);
    EXPECT_EQ(larger.Get(1, Clip(0), 320), nullptr);
    QTRY_COMPARE(ready.count(), 2);
    EXPECT_EQ(larger.Get(1, Clip(0), 320)->stored.width, 320);
    // Two more rows: the first goes; a dropped row is asked for again.
    for (int id : {2, 3}) {
        larger.Get(id, Clip(90), 100);
        QTRY_VERIFY(larger.Get(id, Clip(90), 100) != nullptr);
    }
    EXPECT_NE(larger.Get(2, Clip(90), 100), nullptr);
    larger.Drop(3);
    EXPECT_EQ(larger.Get(3, Clip(90), 100), nullptr);
    QTRY_VERIFY(larger.Get(3, Clip(90), 100) != nullptr);
    EXPECT_EQ(larger.Get(1, Clip(0), 100), nullptr);
    QTRY_COMPARE(larger.DecodeCount(), 6);
}

}  // namespace
