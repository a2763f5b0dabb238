// Drives the real main window with the desktop's choosers and message boxes
// replaced; the settings and language files live in a temporary folder.
#include "tests/ui/WindowTestFolder.h"

#include "controls/CCheckHeadCtrl.h"
#include "controls/CCheckListCtrl.h"
#include "controls/CControlButton.h"
#include "controls/CHyperLink.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FileListColumns.h"

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QUrl>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetDesktopHooks();
        Desktop().showMessage = [this](QWidget*, const QString& text) { m_messages << text; };
        Desktop().chooseFiles = [this](QWidget*, const QString& filter, const QString& folder) {
            m_filters << filter;
            m_startFolders << folder;
            return m_filesToChoose;
        };
        Desktop().chooseFolder = [this](QWidget*, const QString& title) {
            m_folderTitles << title;
            return m_folderToChoose;
        };
        Desktop().openWithDefaultHandler = [this](const QString& target) { m_opened << target; };
    }

    void TearDown() override
    {
        m_dlg.reset();
        ResetDesktopHooks();
    }

    // Starts the window; a Chinese language file unless told otherwise.
    void Open(bool withLanguage = true, const std::string& extraSettings = "")
    {
        if (withLanguage) {
            m_folder.CopyLanguageFile("chinese.ini");
            m_folder.WriteSettings("[LANGUAGE]\nfile=chinese.ini\n" + extraSettings);
        } else if (!extraSettings.empty()) {
            m_folder.WriteSettings(extraSettings);
        }
        m_dlg = std::make_unique<CFennexAVConverterDlg>();
        m_dlg->endProcess = [this] { ++m_ended; };
        m_dlg->show();
        QCoreApplication::processEvents();
    }

    CCheckListCtrl* List() const { return m_dlg->FileList(); }

    void AddRows(int count)
    {
        QStringList paths;
        for (int i = 0; i < count; ++i)
            paths << Media().video320;
        m_dlg->AddDroppedFiles(paths);
        ASSERT_EQ(List()->GetItemCount(), count);
    }

    void SelectOnly(std::initializer_list<int> rows)
    {
        List()->clearSelection();
        for (int row : rows)
            List()->topLevelItem(row)->setSelected(true);
    }

    std::vector<int> SelectedRows() const
    {
        std::vector<int> rows;
        for (int row = 0; row < List()->GetItemCount(); ++row) {
            if (List()->topLevelItem(row)->isSelected())
                rows.push_back(row);
        }
        return rows;
    }

    bool Drop(const QList<QUrl>& urls)
    {
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at(100, 100);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_dlg.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_dlg.get(), &drop);
        return drop.isAccepted();
    }

    // The message for one refused file, with the reason in the window's words.
    QString Rejection(const QString& name, const std::string& reason) const
    {
        return Q(g_texts.prompts.theFile) + name + QLatin1Char(' ') +
               Q(g_texts.prompts.notRotatable) + QLatin1Char('\n') +
               Q(g_texts.prompts.reason).arg(Q(reason));
    }

    WindowTestFolder m_folder;
    std::unique_ptr<CFennexAVConverterDlg> m_dlg;
    QStringList m_messages, m_filters, m_startFolders, m_folderTitles, m_opened;
    QStringList m_filesToChoose;
    QString m_folderToChoose;
    int m_ended = 0;
};

// --- start-up and closing -------------------------------------------------

TEST_F(MainWindow, StartsWithoutSettingsAndWritesThemOnClose)
{
    Open(false);
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral(" "));
    EXPECT_EQ(m_dlg->OutputCombo()->currentText(), QString());
    EXPECT_EQ(m_dlg->OutputCombo()->count(), 0);
    EXPECT_TRUE(m_dlg->m_openFolderWhenDone);
    EXPECT_TRUE(m_dlg->Rotate90Radio()->isChecked());
    EXPECT_FALSE(m_dlg->Rotate180Radio()->isChecked());
    QTreeWidgetItem* headings = List()->headerItem();
    EXPECT_EQ(headings->text(0), QString());
    EXPECT_EQ(headings->text(4), QStringLiteral("视频质量"));
    EXPECT_FALSE(fs::exists(m_folder.ini()));

    m_dlg->close();
    EXPECT_EQ(m_ended, 1);
    EXPECT_FALSE(m_dlg->isVisible());
    ASSERT_TRUE(fs::exists(m_folder.ini()));
    for (const char* key : {"quality", "size", "framerate", "audioquality", "samplerate"})
        EXPECT_EQ(ReadText(m_folder.ini(), "JOIN", key, "missing"), "0") << key;
    EXPECT_EQ(ReadText(m_folder.ini(), "JOIN", "format", "missing"), "missing");
}

TEST_F(MainWindow, StartsFromSettingsAndLanguageFile)
{
    Open(true, "[PATH]\nname=/some/where\n[DIR]\nopen=0\n[JOIN]\nsize=99\nquality=3\n");
    EXPECT_EQ(m_dlg->windowTitle(),
              Q(g_texts.application.name + " " + g_texts.application.version));
    EXPECT_FALSE(g_texts.application.name.empty());
    EXPECT_EQ(m_dlg->OutputCombo()->currentText(), QStringLiteral("/some/where"));
    EXPECT_EQ(m_dlg->OutputCombo()->count(), 0);
    EXPECT_FALSE(m_dlg->m_openFolderWhenDone);

    CHyperLink* link = m_dlg->HelpLink();
    EXPECT_EQ(link->text(), Q(g_texts.window.helpLink));
    EXPECT_EQ(link->Target(), Q(g_texts.application.url));
    EXPECT_EQ(link->UnderlineMode(), 1);
    EXPECT_EQ(link->font().pointSize(), 10);

    QTreeWidgetItem* headings = List()->headerItem();
    EXPECT_EQ(headings->text(0), Q(g_texts.window.fileColumn));
    EXPECT_EQ(headings->text(6), Q(g_texts.window.statusColumn));
    EXPECT_EQ(headings->text(9), QStringLiteral("src"));

    EXPECT_EQ(m_dlg->StartButton()->toolTip(), Q(g_texts.tips.start));
    EXPECT_EQ(m_dlg->AddFilesButton()->toolTip(), Q(g_texts.tips.addFiles));
    EXPECT_EQ(m_dlg->RemoveButton()->toolTip(), Q(g_texts.tips.remove));
    EXPECT_EQ(m_dlg->RemoveAllButton()->toolTip(), QStringLiteral("删除所有文件"));
    EXPECT_EQ(List()->toolTip(), QStringLiteral("拖放文件到这里"));
    EXPECT_TRUE(m_dlg->BrowseButton()->toolTip().isEmpty());
    EXPECT_TRUE(m_dlg->OutputCombo()->toolTip().isEmpty());

    // An index beyond its preset list goes back as "no selection".
    m_dlg->close();
    EXPECT_EQ(ReadText(m_folder.ini(), "JOIN", "size", ""), "-1");
    EXPECT_EQ(ReadText(m_folder.ini(), "JOIN", "quality", ""), "3");
    EXPECT_EQ(ReadText(m_folder.ini(), "PATH", "name", ""), "/some/where");
    EXPECT_EQ(ReadText(m_folder.ini(), "DIR", "open", ""), "0");
}

TEST_F(MainWindow, HoveringTheListShowsItsTipOverRowsAndEmptySpace)
{
    Open();
    AddRows(1);
    m_dlg->activateWindow();
    // A cell without a tip of its own: the duration.
    const QRect firstRow = List()->visualRect(List()->model()->index(0, kColumnDuration));
    for (const QPoint spot : {firstRow.center(), QPoint(200, 200)}) {
        QToolTip::hideText();
        QTest::mouseMove(List()->viewport(), spot);
        for (int i = 0; i < 40 && !QToolTip::isVisible(); ++i)
            QTest::qWait(50);
        EXPECT_TRUE(QToolTip::isVisible()) << spot.x() << "," << spot.y();
        EXPECT_EQ(QToolTip::text(), QStringLiteral("拖放文件到这里"));
    }
    QToolTip::hideText();
}

TEST_F(MainWindow, DefaultLayoutHasTheControlsInTabOrder)
{
    Open();
    EXPECT_EQ(m_dlg->size(), QSize(679, 444));
    EXPECT_EQ(m_dlg->minimumSize(), QSize(679, 444));
    const Qt::WindowFlags flags = m_dlg->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(List()->geometry(), QRect(11, 0, 553, 274));
    EXPECT_EQ(m_dlg->StartButton()->geometry(), QRect(576, 317, 98, 101));
    EXPECT_EQ(m_dlg->OutputCombo()->geometry(), QRect(68, 401, 347, 23));
    EXPECT_EQ(m_dlg->Rotate270Radio()->geometry(), QRect(432, 336, 124, 19));

    // The status column is as wide as its words need (at least 40), the
    // paths take what is left of the list.
    const int widths[7] = {0, 60, 90, 75, 70, 65, 40};
    for (int column = 1; column < 6; ++column)
        EXPECT_EQ(List()->columnWidth(column), widths[column]) << column;
    EXPECT_GE(List()->columnWidth(6), widths[6]);
    EXPECT_EQ(List()->header()->length(), List()->viewport()->width());
    for (int column = 0; column < 7; ++column)
        EXPECT_FALSE(List()->isColumnHidden(column)) << column;
    for (int column = 7; column < 10; ++column)
        EXPECT_TRUE(List()->isColumnHidden(column)) << column;
    EXPECT_NE(List()->CheckHeader(), nullptr);
    EXPECT_EQ(List()->palette().color(QPalette::Base), QColor(241, 250, 233));
    EXPECT_EQ(m_dlg->palette().color(QPalette::Window), QColor(187, 222, 251));

    // Tab visits these, in this order; statics, group and radios never.
    const QStringList expected = {"startButton",      "fileList",         "removeButton",
                                  "addFilesButton",   "removeAllButton",  "browseButton",
                                  "openFolderButton", "outputFolderCombo"};
    QStringList order;
    QWidget* w = m_dlg->StartButton();
    for (int guard = 0; guard < 200 && order.size() < expected.size(); ++guard) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() &&
            w->objectName().at(0) != QLatin1Char('q') && !order.contains(w->objectName()))
            order << w->objectName();
        w = w->nextInFocusChain();
    }
    EXPECT_EQ(order, expected);
    for (QWidget* radio : {static_cast<QWidget*>(m_dlg->Rotate90Radio()),
                           static_cast<QWidget*>(m_dlg->Rotate180Radio())})
        EXPECT_FALSE(radio->focusPolicy() & Qt::TabFocus);
}

TEST_F(MainWindow, EnterAndEscapeLeaveItOpen)
{
    Open();
    QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
    QTest::keyClick(m_dlg.get(), Qt::Key_Return);
    QTest::keyClick(m_dlg->StartButton(), Qt::Key_Enter);
    EXPECT_TRUE(m_dlg->isVisible());
    EXPECT_EQ(m_ended, 0);
}

TEST_F(MainWindow, DraggingAFreeSpotMovesTheWindow)
{
    Open();
    const QPoint before = m_dlg->pos();
    const QPoint spot(300, 285);  // between the list and the rotation group
    ASSERT_EQ(m_dlg->childAt(spot), nullptr);
    const QPoint global = m_dlg->mapToGlobal(spot);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(spot), QPointF(global), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_dlg.get(), &press);
    QMouseEvent move(QEvent::MouseMove, QPointF(spot + QPoint(40, 25)),
                     QPointF(global + QPoint(40, 25)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(m_dlg.get(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(spot), QPointF(global + QPoint(40, 25)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(m_dlg.get(), &release);
    EXPECT_EQ(m_dlg->pos(), before + QPoint(40, 25));
}

// --- adding files ---------------------------------------------------------

TEST_F(MainWindow, AddedFileShowsItsProbedFigures)
{
    Open();
    m_filesToChoose = {Media().video320, Media().video8fps, Media().video640};
    m_dlg->AddFilesByDialog();
    ASSERT_EQ(m_filters.size(), 1);
    EXPECT_TRUE(
        m_filters[0].startsWith(Q(g_texts.window.videoFilesFilter) + " (*.rm *.rmvb *.flv"));
    EXPECT_TRUE(m_filters[0].contains(" *.wmv *.wm);;"));
    EXPECT_TRUE(m_filters[0].endsWith(";;" + Q(g_texts.window.allFilesFilter) + " (*)"));
    EXPECT_TRUE(m_messages.isEmpty());

    ASSERT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(List()->GetItemText(0, 0), Media().video320);
    EXPECT_EQ(List()->GetItemText(0, 1), QStringLiteral("mp4"));
    EXPECT_TRUE(List()->GetItemText(0, 2).contains(QRegularExpression("^00:00:0[12]\\.\\d{3}$")))
        << List()->GetItemText(0, 2).toStdString();
    EXPECT_EQ(List()->GetItemText(0, 3), QStringLiteral("320*240"));
    EXPECT_TRUE(List()->GetItemText(0, 4).contains(QRegularExpression("^\\d+kbps$")));
    EXPECT_EQ(List()->GetItemText(0, 5), QStringLiteral("25.00fps"));
    EXPECT_EQ(List()->GetItemText(0, 6), Q(g_texts.window.ready));
    EXPECT_TRUE(List()->GetItemText(0, 7).contains(QRegularExpression("^-?\\d+$")));
    EXPECT_TRUE(List()->GetItemText(0, 8).isEmpty());
    EXPECT_TRUE(List()->GetItemText(0, 9).isEmpty());
    EXPECT_EQ(List()->GetItemText(1, 5), QStringLiteral(" 8.00fps"));
    EXPECT_EQ(List()->GetItemText(2, 1), QStringLiteral("mov"));
    EXPECT_EQ(List()->GetItemText(2, 3), QStringLiteral("640*360"));
    EXPECT_EQ(List()->GetItemText(2, 5), QStringLiteral("29.97fps"));
    for (int row = 0; row < 3; ++row)
        EXPECT_TRUE(List()->GetCheck(row)) << row;
}

TEST_F(MainWindow, RefusedFilesDoNotStopTheAddingAndOneMessageNamesThem)
{
    Open();
    // A refused file first, then a good one, a file that is no media at all,
    // and another good one.
    const std::string notes = m_folder.root + "/notes.mp4";
    ASSERT_TRUE(WriteBytes(notes, "shopping list, not a video"));
    m_filesToChoose = {Media().audioOnly, Media().video320, Q(notes), Media().video640};
    m_dlg->AddFilesByDialog();
    ASSERT_EQ(List()->GetItemCount(), 2);
    EXPECT_EQ(List()->GetItemText(0, 0), Media().video320);
    EXPECT_EQ(List()->GetItemText(1, 0), Media().video640);
    const QString expected = QStringLiteral("以下文件不是可以旋转的视频文件，无法添加：\n"
                                            "song.m4a：没有视频流\n"
                                            "notes.mp4：不是可以读取的媒体文件");
    EXPECT_EQ(m_messages, QStringList{expected});

    // One refused file: the sentence and its reason.
    m_messages.clear();
    m_filesToChoose = {Media().video8fps, Media().audioOnly};
    m_dlg->AddFilesByDialog();
    EXPECT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(m_messages,
              QStringList{QStringLiteral("文件 song.m4a 不是可以旋转的视频文件，无法添加。\n"
                                         "原因：没有视频流")});

    // A cancelled chooser changes nothing.
    m_messages.clear();
    m_filesToChoose.clear();
    m_dlg->AddFilesByDialog();
    EXPECT_EQ(List()->GetItemCount(), 3);
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(MainWindow, TheWindowHandlesEventsWhileItAdds)
{
    Open();
    for (int i = 0; i < 40; ++i)
        m_filesToChoose << Media().video320;
    // Posted before the add starts; it can only run if the add lets the
    // event loop turn.
    int rowsWhenHandled = -1;
    Desktop().chooseFiles = [&](QWidget*, const QString&, const QString&) {
        QTimer::singleShot(0, m_dlg.get(), [&] { rowsWhenHandled = List()->GetItemCount(); });
        return m_filesToChoose;
    };
    m_dlg->AddFilesByDialog();
    EXPECT_EQ(List()->GetItemCount(), 40);
    EXPECT_GE(rowsWhenHandled, 0);
    EXPECT_LT(rowsWhenHandled, 40);
}

TEST_F(MainWindow, AddingTheSameFileTwiceGivesTwoRowsAndClearsRowZerosSelection)
{
    Open();
    AddRows(1);
    SelectOnly({0});
    m_dlg->AddDroppedFiles({Media().video320});
    EXPECT_EQ(List()->GetItemCount(), 2);
    EXPECT_EQ(List()->GetItemText(1, 0), List()->GetItemText(0, 0));
    EXPECT_TRUE(SelectedRows().empty());
}

TEST_F(MainWindow, DroppedFilesAreAddedInOrderAndAFolderIsRejected)
{
    Open();
    EXPECT_TRUE(m_dlg->acceptDrops());
    // Drops over the list reach the window, which takes them.
    EXPECT_FALSE(List()->acceptDrops());
    EXPECT_FALSE(List()->viewport()->acceptDrops());

    ASSERT_TRUE(Drop({QUrl::fromLocalFile(Media().video8fps), QUrl::fromLocalFile(Media().video320),
                      QUrl::fromLocalFile(Media().video640)}));
    ASSERT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(List()->GetItemText(0, 0), Media().video8fps);
    EXPECT_EQ(List()->GetItemText(1, 0), Media().video320);
    EXPECT_EQ(List()->GetItemText(2, 0), Media().video640);
    EXPECT_TRUE(m_messages.isEmpty());

    // A long name arrives whole.
    const std::string longName =
        m_folder.root + "/" + std::string(200, 'n') + "/" + std::string(150, 'm') + ".mp4";
    fs::create_directories(fs::path(longName).parent_path());
    fs::copy_file(Media().video320.toStdString(), longName);
    ASSERT_TRUE(Drop({QUrl::fromLocalFile(Q(longName))}));
    ASSERT_EQ(List()->GetItemCount(), 4);
    EXPECT_EQ(List()->GetItemText(3, 0), Q(longName));

    const QString folder = Q(m_folder.root + "/clips");
    fs::create_directories(folder.toStdString());
    // A folder is refused; the file after it is still added.
    ASSERT_TRUE(Drop({QUrl::fromLocalFile(folder), QUrl::fromLocalFile(Media().video320)}));
    EXPECT_EQ(List()->GetItemCount(), 5);
    EXPECT_EQ(m_messages,
              QStringList{Rejection(QStringLiteral("clips"), g_texts.refusals.isFolder)});

    // Only local files are taken.
    EXPECT_FALSE(Drop({QUrl(QStringLiteral("https://example.com/a.mp4"))}));
    EXPECT_EQ(List()->GetItemCount(), 5);
}

TEST_F(MainWindow, ADroppedPipeIsRefusedWithoutHoldingTheWindowUp)
{
    Open();
    const std::string pipe = m_folder.root + "/stream.mp4";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    // Should the probe ever open the pipe, a writer that comes and goes
    // sets it free again, so that the test fails instead of hanging. A
    // writer can only open the pipe while somebody holds it open for reading.
    std::atomic<bool> finished{false};
    std::atomic<bool> heldOpen{false};
    std::thread rescue([&] {
        for (int waited = 0; !finished && waited < 5000; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        while (!finished) {
            const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                heldOpen = true;
                ::close(fd);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const bool dropped =
        Drop({QUrl::fromLocalFile(Q(pipe)), QUrl::fromLocalFile(Media().video320)});
    finished = true;
    rescue.join();

    EXPECT_TRUE(dropped);
    EXPECT_FALSE(heldOpen) << "the window waited on the pipe for a writer";
    EXPECT_EQ(List()->GetItemCount(), 1);
    EXPECT_EQ(m_messages, QStringList{Rejection(QStringLiteral("stream.mp4"),
                                                g_texts.refusals.notRegularFile)});
}

// --- removing rows --------------------------------------------------------

TEST_F(MainWindow, DeleteSelectsTheRowThatTakesThePlaceOrTheNewLastRow)
{
    Open();
    AddRows(4);
    List()->SetItemText(3, 1, "last");
    SelectOnly({3});
    m_dlg->DeleteSelectedRow();
    EXPECT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(List()->currentIndex().row(), 2);

    List()->SetItemText(1, 1, "second");
    SelectOnly({0});
    m_dlg->DeleteSelectedRow();
    EXPECT_EQ(List()->GetItemCount(), 2);
    EXPECT_EQ(List()->GetItemText(0, 1), QStringLiteral("second"));
    EXPECT_EQ(SelectedRows(), std::vector<int>{0});

    // Nothing selected: nothing happens.
    List()->clearSelection();
    m_dlg->DeleteSelectedRow();
    EXPECT_EQ(List()->GetItemCount(), 2);

    // The last row goes, and nothing is left to select.
    SelectOnly({0});
    m_dlg->DeleteSelectedRow();
    SelectOnly({0});
    m_dlg->DeleteSelectedRow();
    EXPECT_EQ(List()->GetItemCount(), 0);
}

TEST_F(MainWindow, DeleteRemovesOnlyTheFirstOfSeveralSelectedRows)
{
    Open();
    AddRows(4);
    List()->SetItemText(3, 1, "fourth");
    SelectOnly({1, 3});
    QTest::mouseClick(m_dlg->RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(List()->GetItemCount(), 3);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(List()->GetItemText(2, 1), QStringLiteral("fourth"));
}

TEST_F(MainWindow, DeleteKeyInTheComboRemovesARowNotACharacter)
{
    Open();
    AddRows(2);
    SelectOnly({0});
    QLineEdit* edit = m_dlg->OutputCombo()->lineEdit();
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("/out"));
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_Delete);
    EXPECT_EQ(List()->GetItemCount(), 1);
    EXPECT_EQ(edit->text(), QStringLiteral("/out"));

    // And on the list itself and on a button.
    SelectOnly({0});
    QTest::keyClick(List(), Qt::Key_Delete);
    EXPECT_EQ(List()->GetItemCount(), 0);
    AddRows(1);
    SelectOnly({0});
    QTest::keyClick(m_dlg->StartButton(), Qt::Key_Delete);
    EXPECT_EQ(List()->GetItemCount(), 0);
}

TEST_F(MainWindow, RemoveAllEmptiesTheListAndLeavesTheHeaderBox)
{
    Open();
    AddRows(3);
    const int image = List()->CheckHeader()->Image();
    EXPECT_EQ(image, 2);
    QTest::mouseClick(m_dlg->RemoveAllButton(), Qt::LeftButton);
    EXPECT_EQ(List()->GetItemCount(), 0);
    EXPECT_EQ(List()->CheckHeader()->Image(), image);
    m_dlg->RemoveAllRows();  // an empty list stays empty
    EXPECT_EQ(List()->GetItemCount(), 0);
}

// --- output folder --------------------------------------------------------

TEST_F(MainWindow, BrowseTakesAWritableFolderAndRemembersIt)
{
    Open();
    const std::string out = m_folder.root + "/out";
    fs::create_directories(out);
    m_folderToChoose = Q(out);
    QTest::mouseClick(m_dlg->BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(m_folderTitles, QStringList{QStringLiteral("请选择输出目录：")});
    EXPECT_TRUE(m_messages.isEmpty());
    EXPECT_EQ(m_dlg->OutputCombo()->currentText(), Q(out));
    EXPECT_EQ(m_dlg->m_outputFolder, Q(out));
    EXPECT_EQ(ReadText(m_folder.ini(), "PATH", "name", ""), out);
    EXPECT_FALSE(fs::exists(out + "/jlewhqlhqwenqfwk.mp4"));

    // The same folder again, then one that sorts first: the list keeps
    // duplicates and its order.
    m_dlg->OnBrowse();
    const std::string early = m_folder.root + "/Aaa";
    fs::create_directories(early);
    m_folderToChoose = Q(early);
    m_dlg->OnBrowse();
    QComboBox* combo = m_dlg->OutputCombo();
    ASSERT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), Q(early));
    EXPECT_EQ(combo->itemText(1), Q(out));
    EXPECT_EQ(combo->itemText(2), Q(out));
    EXPECT_EQ(combo->currentText(), Q(early));
    EXPECT_EQ(ReadText(m_folder.ini(), "PATH", "name", ""), early);
}

TEST_F(MainWindow, BrowseLeavesAUsersFileOfTheTestNameAlone)
{
    Open();
    const std::string out = m_folder.root + "/mine";
    fs::create_directories(out);
    ASSERT_TRUE(WriteBytes(out + "/jlewhqlhqwenqfwk.mp4", "the user's own video"));
    m_folderToChoose = Q(out);
    m_dlg->OnBrowse();
    EXPECT_EQ(m_dlg->OutputCombo()->currentText(), Q(out));
    EXPECT_EQ(ReadWholeFile(out + "/jlewhqlhqwenqfwk.mp4"), "the user's own video");
}

TEST_F(MainWindow, BrowseRefusesUnwritableAndMissingFolders)
{
    Open(true, "[PATH]\nname=/before\n");
    m_folderToChoose.clear();  // cancelled
    m_dlg->OnBrowse();
    EXPECT_TRUE(m_messages.isEmpty());

    // Nothing can be created in /proc, not even by root.
    m_folderToChoose = QStringLiteral("/proc");
    m_dlg->OnBrowse();
    EXPECT_EQ(m_messages, QStringList{QStringLiteral("没有写权限，请保存到其他目录!")});

    m_messages.clear();
    m_folderToChoose = Q(m_folder.root + "/missing");
    m_dlg->OnBrowse();
    EXPECT_EQ(m_messages, (QStringList{QStringLiteral("目录无效!请点击浏览按钮选择保存其他目录"),
                                       QStringLiteral("没有写权限，请保存到其他目录!")}));
    EXPECT_FALSE(fs::exists(m_folder.root + "/missing"));

    EXPECT_EQ(m_dlg->OutputCombo()->currentText(), QStringLiteral("/before"));
    EXPECT_EQ(m_dlg->OutputCombo()->count(), 0);
    EXPECT_EQ(ReadText(m_folder.ini(), "PATH", "name", ""), "/before");
}

TEST_F(MainWindow, OpenFolderPassesTheComboTextAsItIs)
{
    Open();
    QTest::mouseClick(m_dlg->OpenFolderButton(), Qt::LeftButton);
    m_dlg->OutputCombo()->setEditText(QStringLiteral("/typed/by hand"));
    m_dlg->OnOpenFolder();
    EXPECT_EQ(m_opened, (QStringList{QString(), QStringLiteral("/typed/by hand")}));
    EXPECT_TRUE(m_messages.isEmpty());
}

TEST_F(MainWindow, ATypedFolderIsNotRememberedUntilABatchStartsWithIt)
{
    Open(true, "[PATH]\nname=/browsed\n");
    m_dlg->OutputCombo()->setEditText(QStringLiteral("/typed"));
    m_dlg->DoDataExchange(true);
    EXPECT_EQ(m_dlg->m_outputFolder, QStringLiteral("/typed"));
    m_dlg->close();
    EXPECT_EQ(ReadText(m_folder.ini(), "PATH", "name", ""), "/browsed");
}

}  // namespace
