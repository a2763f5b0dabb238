// The status column of the file list shows each of its words whole and in
// sight, in Chinese and in English; ctest runs these at scale 1 and again
// at QT_SCALE_FACTOR=2.
#include "tests/ui/WindowTestFolder.h"

#include "controls/CCheckListCtrl.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FileListColumns.h"
#include "ui/StatusColumn.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class StatusColumn : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        ResetDesktopHooks();
        Desktop().showMessage = [](QWidget*, const QString&) {};
        m_folder.CopyLanguageFile(GetParam());
        m_folder.WriteSettings(std::string("[LANGUAGE]\nfile=") + GetParam() + "\n");
        m_dlg = OpenWindow();
        ASSERT_TRUE(m_dlg);
    }
    void TearDown() override
    {
        m_dlg.reset();
        ResetDesktopHooks();
    }

    // What the style leaves of a status cell for its text, as it draws it.
    int TextRoom(int row) const
    {
        CCheckListCtrl* list = m_dlg->FileList();
        const QModelIndex index = list->model()->index(row, kColumnStatus);
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.widget = list;
        option.rect = list->visualRect(index);
        option.font = list->font();
        option.fontMetrics = QFontMetrics(list->font());
        option.features = QStyleOptionViewItem::HasDisplay;
        option.text = index.data().toString();
        QStyle* style = list->style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
        return style->subElementRect(QStyle::SE_ItemViewItemText, &option, list).width() -
               2 * margin;
    }

    WindowTestFolder m_folder;
    std::unique_ptr<CFennexAVConverterDlg> m_dlg;
};

TEST_P(StatusColumn, ShowsEachWordWholeAndInSight)
{
    m_dlg->AddDroppedFiles({Media().video320});
    CCheckListCtrl* list = m_dlg->FileList();
    ASSERT_EQ(list->GetItemCount(), 1);
    const QFontMetrics metrics(list->font());
    for (const QString& word : StatusWords()) {
        ASSERT_FALSE(word.isEmpty());
        list->SetItemText(0, kColumnStatus, word);
        const int room = TextRoom(0);
        EXPECT_EQ(metrics.elidedText(word, Qt::ElideRight, room), word)
            << word.toStdString() << " in " << room;
        EXPECT_LE(metrics.horizontalAdvance(word), room) << word.toStdString();
    }
    // The heading too, and the column lies inside the list: no scrolling
    // sideways to see it.
    QHeaderView* header = list->header();
    const int headerMargin = list->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    EXPECT_LE(
        QFontMetrics(header->font()).horizontalAdvance(list->headerItem()->text(kColumnStatus)) +
            2 * headerMargin,
        header->sectionSize(kColumnStatus));
    EXPECT_LE(header->sectionViewportPosition(kColumnStatus) + header->sectionSize(kColumnStatus),
              list->viewport()->width());
    EXPECT_LE(header->length(), list->viewport()->width());
    // The path column gives up the room; it stays wide enough for a name.
    EXPECT_GE(list->columnWidth(kColumnPath), 120);
}

INSTANTIATE_TEST_SUITE_P(Languages, StatusColumn, ::testing::Values("chinese.ini", "english.ini"));

}  // namespace
