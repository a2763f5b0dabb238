// Adding a folder through the window: the videos of the tree become rows,
// one message says how many from how many folders and why the others were
// refused; a stop keeps what was found.
#include "tests/ui/WindowTestFolder.h"

#include "controls/CCheckListCtrl.h"
#include "controls/CHyperLink.h"
#include "tests/support/ClipTree.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FileListColumns.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

class FolderAdd : public ::testing::TestWithParam<std::string>
{
protected:
    void SetUp() override
    {
        ResetDesktopHooks();
        Desktop().showMessage = [this](QWidget*, const QString& text) { m_messages << text; };
        Desktop().chooseFolder = [this](QWidget*, const QString& title) {
            m_titles << title;
            return QString::fromStdString(m_root);
        };
        m_tree = MakeClipTree(m_root);
        ASSERT_EQ(m_tree.error, "");
        m_folder.CopyLanguageFile(GetParam());
        m_folder.WriteSettings("[LANGUAGE]\nfile=" + GetParam() + "\n");
        m_dlg = OpenWindow();
        ASSERT_TRUE(m_dlg);
    }
    void TearDown() override
    {
        m_dlg.reset();
        ResetDesktopHooks();
    }
    bool WaitForMessage()
    {
        return QTest::qWaitFor([this] { return !m_messages.isEmpty(); }, 20000);
    }
    QStringList Rows() const
    {
        QStringList rows;
        CCheckListCtrl* list = m_dlg->FileList();
        for (int row = 0; row < list->GetItemCount(); ++row)
            rows << list->GetItemText(row, kColumnPath);
        return rows;
    }

    WindowTestFolder m_folder;
    std::string m_root = m_folder.root + "/phone";
    ClipTree m_tree;
    std::unique_ptr<CFennexAVConverterDlg> m_dlg;
    QStringList m_messages, m_titles;
};

TEST_P(FolderAdd, EveryVideoOfTheTreeBecomesARowWithOneMessage)
{
    const bool english = GetParam() == "english.ini";
    EXPECT_EQ(m_dlg->AddFolderLink()->text(), english ? "Add folder" : "添加文件夹");
    m_dlg->AddFolderLink()->OpenTarget();
    ASSERT_EQ(m_titles.size(), 1);
    EXPECT_EQ(m_titles[0], english ? "Choose a folder of videos" : "选择视频所在的文件夹");
    // While it looks (the end comes through the event loop), the link stops it.
    EXPECT_EQ(m_dlg->AddFolderLink()->text(), english ? "Stop looking" : "停止查找");
    ASSERT_TRUE(WaitForMessage());
    EXPECT_EQ(m_messages.size(), 1);

    QStringList expected;
    for (const std::string& video : m_tree.videos)
        expected << QString::fromStdString(video);
    EXPECT_EQ(Rows(), expected);
    const QString message = m_messages.value(0);
    EXPECT_TRUE(message.startsWith(english ? "3 videos were added from 3 folders."
                                           : "已从 3 个文件夹添加 3 个视频。"))
        << message.toStdString();
    // The refused video with its reason, in the words of a refused drop.
    EXPECT_TRUE(message.contains("fake.mp4")) << message.toStdString();
    EXPECT_EQ(message.count("fake.mp4"), 1);
    for (const char* never : {"notes.txt", "photo.jpg", "pipe.mp4", ".hidden", "/c.mp4", "/e.mp4"})
        EXPECT_FALSE(message.contains(never)) << never;
    EXPECT_EQ(m_dlg->AddFolderLink()->text(), english ? "Add folder" : "添加文件夹");
}

TEST_P(FolderAdd, AStopKeepsWhatWasFound)
{
    m_dlg->AddFolderLink()->OpenTarget();
    // The end comes through the event loop: the second click stops the
    // scan and opens no chooser.
    m_dlg->AddFolderLink()->OpenTarget();
    EXPECT_EQ(m_titles.size(), 1);
    ASSERT_TRUE(WaitForMessage());
    EXPECT_EQ(m_messages.size(), 1);
    EXPECT_TRUE(m_messages.value(0).contains(QString::number(Rows().size())));
    const QStringList rows = Rows();
    EXPECT_LE(rows.size(), 3);
    for (int i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i].toStdString(), m_tree.videos[static_cast<std::size_t>(i)]);
}

INSTANTIATE_TEST_SUITE_P(Languages, FolderAdd, ::testing::Values("english.ini", "chinese.ini"));

}  // namespace
