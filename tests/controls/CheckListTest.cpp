#include "controls/BitmapResources.h"
#include "controls/CCheckHeadCtrl.h"
#include "controls/CCheckListCtrl.h"
#include "tests/controls/WidgetPixels.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A list as the main window sets it up: columns first, then the header box.
std::unique_ptr<CCheckListCtrl> MakeList(int rows)
{
    auto list = std::make_unique<CCheckListCtrl>();
    list->setHeaderLabels({"文件", "时长", "大小"});
    list->setColumnWidth(0, 160);
    list->setColumnWidth(1, 80);
    list->resize(400, 300);
    list->InitCheckHeader();
    for (int row = 0; row < rows; ++row)
        list->InsertItem(row, QStringLiteral("/videos/clip%1.mp4").arg(row));
    list->show();
    return list;
}

void ClickSection(CCheckListCtrl& list, int section, int offset = 20)
{
    QHeaderView* header = list.header();
    const int x = header->sectionViewportPosition(section) + offset;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

// True when the header's first section shows image `index` of the strip.
bool HeaderShowsBox(CCheckListCtrl& list, int index)
{
    const QImage box = StripImage(LoadBitmapResource(kCheckBoxStripId), index, 16).toImage();
    const QImage shot = Shot(*list.header());
    const int width = list.header()->sectionSize(0);
    for (int y = 0; y + 16 <= shot.height(); ++y)
        for (int x = 0; x + 16 <= width; ++x)
            if (ShowsFace(shot.copy(x, y, 16, 16), box))
                return true;
    return false;
}

QStringList Texts(const CCheckListCtrl& list)
{
    QStringList texts;
    for (int row = 0; row < list.GetItemCount(); ++row)
        texts << list.GetItemText(row, 0);
    return texts;
}

}  // namespace

TEST(CheckList, HeaderBoxTicksAndClearsEveryRow)
{
    auto list = MakeList(5);
    list->SetCheck(1, true);
    list->SetCheck(3, true);
    ASSERT_EQ(list->CheckHeader()->Image(), 1);

    ClickSection(*list, 0);
    EXPECT_EQ(list->CheckHeader()->Image(), 2);
    for (int row = 0; row < 5; ++row)
        EXPECT_TRUE(list->GetCheck(row)) << row;

    ClickSection(*list, 0);
    EXPECT_EQ(list->CheckHeader()->Image(), 1);
    for (int row = 0; row < 5; ++row)
        EXPECT_FALSE(list->GetCheck(row)) << row;

    // The caption belongs to the header item too: a click on it toggles.
    ClickSection(*list, 0, 80);
    EXPECT_EQ(list->CheckHeader()->Image(), 2);
    EXPECT_TRUE(list->GetCheck(4));
}

TEST(CheckList, HeaderDrawsTheBoxOfItsImage)
{
    auto list = MakeList(2);
    EXPECT_TRUE(HeaderShowsBox(*list, 1));
    EXPECT_FALSE(HeaderShowsBox(*list, 2));
    ClickSection(*list, 0);
    EXPECT_TRUE(HeaderShowsBox(*list, 2));
    EXPECT_FALSE(HeaderShowsBox(*list, 1));
}

TEST(CheckList, DraggingASectionEdgeResizesWithoutToggling)
{
    auto list = MakeList(2);
    QWidget* bar = list->header()->viewport();
    const int edge = list->header()->sectionSize(0) - 1;
    const int y = list->header()->height() / 2;
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(edge, y));
    QTest::mouseMove(bar, QPoint(edge + 40, y));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(edge + 40, y));
    EXPECT_EQ(list->header()->sectionSize(0), 200);
    EXPECT_EQ(list->CheckHeader()->Image(), 1);
    EXPECT_FALSE(list->GetCheck(0));
}

TEST(CheckList, OtherHeadersNeitherToggleNorSort)
{
    auto list = MakeList(3);
    list->SetItemText(0, 1, "c");
    list->SetItemText(1, 1, "a");
    list->SetItemText(2, 1, "b");
    const QStringList before = Texts(*list);
    int clicked = 0;
    QObject::connect(list->header(), &QHeaderView::sectionClicked, [&] { ++clicked; });

    ClickSection(*list, 1);
    ClickSection(*list, 2);
    ClickSection(*list, 0);  // toggling the box must not sort either
    EXPECT_EQ(Texts(*list), before);
    EXPECT_EQ(clicked, 0);
    EXPECT_EQ(list->CheckHeader()->Image(), 2);
}

TEST(CheckList, RowChangesBringTheHeaderUpToDate)
{
    auto list = MakeList(3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list->CheckHeader()->Image(), 1) << "before ticking row " << row;
        list->SetCheck(row, true);
    }
    EXPECT_EQ(list->CheckHeader()->Image(), 2);

    list->SetCheck(1, false);
    EXPECT_EQ(list->CheckHeader()->Image(), 1);

    // A row without a box counts as ticked for the header, but not for the
    // owner asking which rows to process.
    list->SetCheckImage(1, 0);
    EXPECT_EQ(list->CheckHeader()->Image(), 2);
    EXPECT_FALSE(list->GetCheck(1));
    EXPECT_EQ(list->GetCheckImage(1), 0);

    // The user ticking with the keyboard goes the same way.
    list->SetCheck(1, true);
    list->SetCheck(2, false);
    list->setFocus();
    list->setCurrentItem(list->topLevelItem(2));
    QTest::keyClick(list.get(), Qt::Key_Space);
    EXPECT_TRUE(list->GetCheck(2));
    EXPECT_EQ(list->CheckHeader()->Image(), 2);
}

TEST(CheckList, TextChangesDoNotReevaluateTheHeader)
{
    auto list = MakeList(2);
    list->SetCheck(0, true);
    list->DeleteItem(1);  // the box is now out of date
    ASSERT_EQ(list->CheckHeader()->Image(), 1);
    list->SetItemText(0, 1, "00:01:00");
    list->SetItemText(0, 0, "/videos/renamed.mp4");
    EXPECT_EQ(list->CheckHeader()->Image(), 1);
}

TEST(CheckList, RemovalLeavesTheBoxUntilTheNextRowChange)
{
    auto list = MakeList(3);
    list->SetCheck(0, true);
    list->SetCheck(1, true);
    list->setCurrentItem(list->topLevelItem(2));
    ASSERT_EQ(list->CheckHeader()->Image(), 1);

    list->DeleteItem(2);
    EXPECT_EQ(list->CheckHeader()->Image(), 1);
    // Selecting a remaining row corrects it.
    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_EQ(list->CheckHeader()->Image(), 2);

    // An emptied list keeps the last image until a row is added and ticked.
    list->SetCheck(1, false);
    list->DeleteAllItems();
    EXPECT_EQ(list->CheckHeader()->Image(), 1);
    list->InsertItem(0, "/videos/new.mp4");
    EXPECT_EQ(list->CheckHeader()->Image(), 1);
    list->SetCheck(0, true);
    EXPECT_EQ(list->CheckHeader()->Image(), 2);
}

TEST(CheckList, EmptyListOnlyTogglesTheBox)
{
    auto list = MakeList(0);
    ClickSection(*list, 0);
    EXPECT_EQ(list->CheckHeader()->Image(), 2);
    ClickSection(*list, 0);
    EXPECT_EQ(list->CheckHeader()->Image(), 1);
}

TEST(CheckList, HeaderBoxAppearsOnlyOnce)
{
    CCheckListCtrl list;
    list.setHeaderLabels({"a", "b"});
    list.InsertItem(0, "x");
    list.SetCheck(0, true);
    EXPECT_EQ(list.CheckHeader(), nullptr);

    EXPECT_TRUE(list.InitCheckHeader());
    CCheckHeadCtrl* header = list.CheckHeader();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(list.header(), header);
    EXPECT_EQ(header->Image(), 1);
    EXPECT_EQ(list.columnCount(), 2);

    header->SetImage(2);
    EXPECT_TRUE(list.InitCheckHeader());
    EXPECT_EQ(list.CheckHeader(), header);
    EXPECT_EQ(header->Image(), 2);
}

TEST(CheckList, InsertedRowsHaveAnEmptyBox)
{
    auto list = MakeList(0);
    EXPECT_EQ(list->InsertItem(0, "b"), 0);
    EXPECT_EQ(list->InsertItem(0, "a"), 0);
    EXPECT_EQ(list->InsertItem(99, "c"), 2);
    EXPECT_EQ(Texts(*list), QStringList({"a", "b", "c"}));
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(list->GetCheckImage(row), 1);
    EXPECT_EQ(list->GetCheckImage(3), -1);
    EXPECT_FALSE(list->GetCheck(3));
}
