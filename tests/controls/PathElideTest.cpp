#include "controls/PathElide.h"

#include "controls/CCheckListCtrl.h"
#include "controls/PathDelegate.h"

#include <QIcon>
#include <QPixmap>
#include <QStyle>
#include <QTest>
#include <functional>
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

// Two files of one name in folders that differ far from it.
TEST(PathElide, SameNamedPathsKeepTheFolderThatTellsThemApart)
{
    const QString a = QStringLiteral("/home/me/Videos/trip/day1/phone.mp4");
    const QString b = QStringLiteral("/home/me/Videos/trip/day2/phone.mp4");
    const QString c = QStringLiteral("/home/me/Music/day1/phone.mp4");
    const QStringList all = {a, b, c, QStringLiteral("/elsewhere/other.mp4"), a};
    EXPECT_EQ(DistinguishingFolders(a, {a, QStringLiteral("/x/other.mp4")}), 0);
    EXPECT_EQ(DistinguishingFolders(a, {a, b}), 1);
    EXPECT_EQ(DistinguishingFolders(a, all), 2);  // day1 alone would match c
    EXPECT_EQ(DistinguishingFolders(c, all), 2);
    EXPECT_EQ(PathTail(a, 1), QStringLiteral("day1/phone.mp4"));
    EXPECT_EQ(PathTail(a, 0), QStringLiteral("phone.mp4"));
    EXPECT_EQ(PathTail(QStringLiteral("/a/b.mp4"), 5), QStringLiteral("/a/b.mp4"));
    // A path inside the other's folder: the extra folder tells them apart.
    EXPECT_EQ(DistinguishingFolders(QStringLiteral("/a/b/n.mp4"), {QStringLiteral("/b/n.mp4")}), 2);

    // Narrow cells: the shown texts still differ, and each ends in the name.
    for (int width : {30, 22, 16}) {
        const QString shownA = ElidePath(a, Chars, width, 1);
        const QString shownB = ElidePath(b, Chars, width, 1);
        EXPECT_NE(shownA, shownB) << width;
        EXPECT_LE(Chars(shownA), width);
        EXPECT_TRUE(shownA.endsWith(QStringLiteral("day1/phone.mp4"))) << shownA.toStdString();
    }
    EXPECT_EQ(ElidePath(a, Chars, 22, 1), QStringLiteral("/home/…/day1/phone.mp4"));
    // Kept folders that do not fit: the first of them, then the name.
    EXPECT_EQ(ElidePath(a, Chars, 20, 3), QStringLiteral("…/Videos/…/phone.mp4"));
}

// Whatever the width of the column, the style draws a path cell's text as
// the delegate shortened it: it finds nothing more to cut off its end
// (the style measures the exact, unrounded width of the text).
TEST(PathDelegate, TheStyleFindsNothingMoreToCut)
{
    CCheckListCtrl list;
    list.setColumnCount(2);
    list.setRootIsDecorated(false);
    list.InitCheckHeader();
    auto* delegate = new PathDelegate(&list);
    list.setItemDelegateForColumn(0, delegate);
    const QStringList paths = {
        QStringLiteral("/tmp/Videos/2024 summer holiday/day three at the seaside/garden-party.mkv"),
        QStringLiteral(
            "/tmp/Videos/2024 summer holiday/day three at the seaside/holiday-beach.mp4"),
        QStringLiteral("/home/me/old-camcorder.avi"), QStringLiteral("/v/a/clip.mp4"),
        QStringLiteral("/v/b/clip.mp4")};
    for (const QString& path : paths) {
        const int row = list.InsertItem(list.GetItemCount(), path);
        list.SetCheck(row, row % 2 == 0);
    }
    list.resize(400, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QStyle* style = list.style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &list) + 1;
    for (int width = 60; width <= 220; ++width) {
        list.setColumnWidth(0, width);
        for (int row = 0; row < list.GetItemCount(); ++row) {
            const QModelIndex index = list.model()->index(row, 0);
            QStyleOptionViewItem option;
            option.initFrom(list.viewport());
            option.widget = &list;
            option.rect = list.visualRect(index);
            QStyleOptionViewItem shown = option;
            const QString text = delegate->ShownText(option, index);
            shown.text = text;
            shown.features =
                QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasCheckIndicator;
            const int room =
                style->subElementRect(QStyle::SE_ItemViewItemText, &shown, &list).width() -
                2 * margin;
            EXPECT_EQ(list.fontMetrics().elidedText(text, Qt::ElideRight, room), text)
                << width << " " << text.toStdString();
        }
    }
}

// The same-name table follows the list: rows added after a paint, a text
// changed, a row removed; a picture set on a row changes nothing.
TEST(PathDelegate, SameNamedRowsFollowTheListsChanges)
{
    CCheckListCtrl list;
    list.setColumnCount(1);
    list.setRootIsDecorated(false);
    auto* delegate = new PathDelegate(&list);
    list.setItemDelegateForColumn(0, delegate);
    list.resize(260, 200);
    list.setColumnWidth(0, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QString folder = QStringLiteral("/home/me/Videos/2024 summer holiday at the seaside/");
    const auto shown = [&](int row) {
        const QModelIndex index = list.model()->index(row, 0);
        QStyleOptionViewItem option;
        option.initFrom(list.viewport());
        option.widget = &list;
        option.rect = list.visualRect(index);
        return delegate->ShownText(option, index);
    };
    list.InsertItem(0, folder + "day one/phone.mp4");
    list.InsertItem(1, folder + "day two/other.mp4");
    const QString alone = shown(0);
    EXPECT_FALSE(alone.contains(QStringLiteral("day one"))) << alone.toStdString();

    const struct {
        const char* step;
        std::function<void()> change;
        bool namesake;  // row 0 has a namesake afterwards
    } steps[] = {
        {"a namesake added", [&] { list.InsertItem(2, folder + "day two/phone.mp4"); }, true},
        {"a picture set", [&] { list.topLevelItem(2)->setIcon(0, QIcon(QPixmap(8, 8))); }, true},
        {"the namesake renamed", [&] { list.SetItemText(2, 0, folder + "day two/video.mp4"); },
         false},
        {"another added", [&] { list.InsertItem(3, folder + "day three/phone.mp4"); }, true},
        {"and removed", [&] { list.DeleteItem(3); }, false},
    };
    for (const auto& step : steps) {
        step.change();
        const QString text = shown(0);
        EXPECT_EQ(text.contains(QStringLiteral("day one")), step.namesake)
            << step.step << ": " << text.toStdString();
        EXPECT_EQ(text == alone, !step.namesake) << step.step;
    }
}

// The caption stands right of the picture, above the path, within the
// cell: its lines cut at the cell's edge; none without a picture.
TEST(PathDelegate, TheCaptionStandsBesideThePictureWithinTheCell)
{
    CCheckListCtrl list;
    list.setColumnCount(2);  // the first column not stretched as the last is
    list.setRootIsDecorated(false);
    list.InitCheckHeader();
    list.setIconSize(QSize(40, 40));
    auto* delegate = new PathDelegate(&list);
    list.setItemDelegateForColumn(0, delegate);
    list.resize(400, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    const QString caption = QString::fromUtf8("90° · mirrored\n720×1280\nTurn 180°");
    for (int row = 0; row < 2; ++row) {
        list.InsertItem(row, QStringLiteral("/v/clip%1.mp4").arg(row));
        list.topLevelItem(row)->setData(0, PathDelegate::kCaptionRole, caption);
    }
    QPixmap portrait(22, 40);
    portrait.fill(Qt::red);
    list.topLevelItem(0)->setIcon(0, QIcon(portrait));
    const auto option = [&](int row) {
        QStyleOptionViewItem cell;
        cell.initFrom(list.viewport());
        cell.widget = &list;
        cell.rect = list.visualRect(list.model()->index(row, 0));
        cell.decorationSize = list.iconSize();
        cell.font = list.font();
        return cell;
    };
    const QModelIndex first = list.model()->index(0, 0);
    for (int width : {300, 90}) {
        list.setColumnWidth(0, width);
        const QRect picture = delegate->PictureRect(option(0), first);
        const QRect room = delegate->CaptionRect(option(0), first);
        // The picture keeps the square room, whatever its shape.
        EXPECT_EQ(picture.size(), QSize(40, 40)) << width;
        EXPECT_GT(room.left(), picture.right()) << width;
        EXPECT_LE(room.right(), option(0).rect.right()) << width;
        const QStringList lines = delegate->ShownCaption(option(0), first);
        ASSERT_EQ(lines.size(), 3) << width;
        EXPECT_EQ(lines == caption.split('\n'), width == 300) << lines.join('|').toStdString();
    }
    EXPECT_TRUE(delegate->ShownCaption(option(1), list.model()->index(1, 0)).isEmpty());
}

}  // namespace
