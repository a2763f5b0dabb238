#include "controls/PathElide.h"

#include <gtest/gtest.h>

namespace {

// One unit per character, so the expectations read as character counts.
int Chars(const QString& text)
{
    return static_cast<int>(text.size());
}

QString Elide(const QString& path, int width)
{
    return ElidePath(path, Chars, width);
}

TEST(PathElide, DropsWholeFoldersAfterTheLeadingOnesThatFit)
{
    const QString path = QStringLiteral("/home/me/Videos/2024/holiday.mp4");  // 32
    EXPECT_EQ(Elide(path, 32), path);
    EXPECT_EQ(Elide(path, 31), QStringLiteral("/home/me/Videos/…/holiday.mp4"));
    EXPECT_EQ(Elide(path, 28), QStringLiteral("/home/me/…/holiday.mp4"));
    EXPECT_EQ(Elide(path, 19), QStringLiteral("/home/…/holiday.mp4"));
    EXPECT_EQ(Elide(path, 18), QStringLiteral("/…/holiday.mp4"));
    EXPECT_EQ(Elide(path, 13), QStringLiteral("…/holiday.mp4"));
    // Not even the name fits: the name alone, without its middle.
    EXPECT_EQ(Elide(path, 10), QStringLiteral("holi…y.mp4"));
    EXPECT_EQ(Elide(path, 9), QStringLiteral("holi….mp4"));
    EXPECT_LE(Chars(Elide(path, 9)), 9);
    EXPECT_EQ(Elide(path, 1), QStringLiteral("…"));
}

TEST(PathElide, RelativePathsNamesAndShortPaths)
{
    EXPECT_EQ(Elide(QStringLiteral("clips/old/a.mp4"), 13), QStringLiteral("clips/…/a.mp4"));
    EXPECT_EQ(Elide(QStringLiteral("clips/old/a.mp4"), 12), QStringLiteral("…/a.mp4"));
    // A name alone in its folder, too long for the room.
    EXPECT_EQ(Elide(QStringLiteral("/a-long-name.mp4"), 10), QStringLiteral("a-lo…e.mp4"));
    EXPECT_EQ(Elide(QStringLiteral("a-long-name.mp4"), 9), QStringLiteral("a-lo….mp4"));
    EXPECT_EQ(Elide(QString(), 0), QString());
}

}  // namespace
