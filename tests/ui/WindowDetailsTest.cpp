// What a user meets at the edges of the two windows: files named on the
// command line, long paths, moving the window, the window buttons and the
// names screen readers read.
#include "tests/ui/WindowTestFolder.h"

#include "controls/CCheckListCtrl.h"
#include "controls/CControlButton.h"
#include "controls/CHyperLink.h"
#include "controls/CLabel.h"
#include "controls/PathDelegate.h"
#include "settings/LanguageTexts.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CAVConvertDlg.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FolderChoices.h"
#include "ui/MainWindowStart.h"
#include "ui/ProgressTexts.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace fs = std::filesystem;

namespace {

class WindowDetails : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetDesktopHooks();
        Desktop().showMessage = [this](QWidget*, const QString& text) { m_messages << text; };
        m_files = m_folder.root + "/files";
        fs::create_directories(m_files);
    }
    void TearDown() override
    {
        m_dlg.reset();
        ResetDesktopHooks();
    }

    void Open(const std::string& language = "chinese.ini")
    {
        m_folder.CopyLanguageFile(language);
        m_folder.WriteSettings("[LANGUAGE]\nfile=" + language + "\n");
        m_dlg = OpenWindow();
        ASSERT_TRUE(m_dlg);
    }

    // A copy of a test video under m_files.
    QString Video(const std::string& relative) const
    {
        const fs::path path = m_files + "/" + relative;
        fs::create_directories(path.parent_path());
        fs::copy_file(Media().video320.toStdString(), path);
        return QString::fromStdString(path.string());
    }

    void Send(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButton button,
              Qt::MouseButtons held)
    {
        QMouseEvent event(type, QPointF(at), QPointF(to->mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(to, &event);
    }

    WindowTestFolder m_folder;
    std::string m_files;
    std::unique_ptr<CFennexAVConverterDlg> m_dlg;
    QStringList m_messages;
};

// --- files named on the command line --------------------------------------

TEST_F(WindowDetails, CommandLineArgumentsAreAllFilesTakenFromTheCurrentFolder)
{
    EXPECT_EQ(FilesFromArguments({"prog", "-x", "./a b.mp4", "/abs/c.mkv", "", "--"}, "/cwd"),
              QStringList({"/cwd/-x", "/cwd/a b.mp4", "/abs/c.mkv", "/cwd/--"}));
    EXPECT_EQ(FilesFromArguments({"prog", "v.mp4"}, "/"), QStringList({"/v.mp4"}));
    EXPECT_TRUE(FilesFromArguments({"prog"}, "/cwd").isEmpty());
}

TEST_F(WindowDetails, CommandLineFilesAreAddedAsADropAddsThem)
{
    Open();
    const QString dashed = Video("-x");
    const QString clip = Video("clip.mp4");
    fs::copy_file(Media().audioOnly.toStdString(), m_files + "/song.m4a");
    Video("later.mp4");
    StartMainWindow(*m_dlg, FilesFromArguments({"prog", "-x", "clip.mp4", "song.m4a", "later.mp4"},
                                               QString::fromStdString(m_files)));
    // Added once the event loop runs, each probed; the refused one is named
    // at the end.
    QTRY_COMPARE(m_messages.size(), 1);
    EXPECT_TRUE(m_messages[0].startsWith(QString::fromStdString(g_texts.prompts.theFile) +
                                         "song.m4a " +
                                         QString::fromStdString(g_texts.prompts.notRotatable)));
    CCheckListCtrl* list = m_dlg->FileList();
    ASSERT_EQ(list->GetItemCount(), 3);
    EXPECT_EQ(list->GetItemText(2, 0), QString::fromStdString(m_files + "/later.mp4"));
    EXPECT_EQ(list->GetItemText(0, 0), dashed);
    EXPECT_EQ(list->GetItemText(1, 0), clip);
    EXPECT_EQ(list->GetItemText(1, 3), QStringLiteral("320*240"));
    EXPECT_TRUE(list->GetCheck(1));
}

// --- long paths ---------------------------------------------------------------

TEST_F(WindowDetails, ALongPathShowsItsFileNameInTheListButKeepsItsText)
{
    Open();
    const QString path =
        Video("Videos/2024 summer holiday at the seaside/day three, the long walk/holiday.mp4");
    m_dlg->AddDroppedFiles({path});
    CCheckListCtrl* list = m_dlg->FileList();
    ASSERT_EQ(list->GetItemCount(), 1);
    EXPECT_EQ(list->GetItemText(0, 0), path);

    const QModelIndex index = list->model()->index(0, 0);
    auto* delegate = qobject_cast<PathDelegate*>(list->itemDelegateForIndex(index));
    ASSERT_NE(delegate, nullptr);
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.widget = list;
    option.rect = list->visualRect(index);
    const QString shown = delegate->ShownText(option, index);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("…/holiday.mp4"))) << shown.toStdString();
    EXPECT_TRUE(shown.startsWith(path.left(5))) << shown.toStdString();
    EXPECT_LT(QFontMetrics(list->font()).horizontalAdvance(shown), list->columnWidth(0));

    // The other columns are not paths and are left to the standard drawing.
    EXPECT_EQ(qobject_cast<PathDelegate*>(list->itemDelegateForIndex(list->model()->index(0, 1))),
              nullptr);
}

TEST_F(WindowDetails, RowsOfFilesWithTheSameNameShowTheFoldersThatTellThemApart)
{
    Open();
    const std::string shared = "Videos/2024 summer holiday at the seaside/phone backup/";
    const QString first = Video(shared + "day one/phone.mp4");
    const QString second = Video(shared + "day two/phone.mp4");
    const QString other = Video(shared + "day two/other.mp4");
    m_dlg->AddDroppedFiles({first, second, other, first});
    CCheckListCtrl* list = m_dlg->FileList();
    ASSERT_EQ(list->GetItemCount(), 4);

    const auto shown = [list](int row) {
        const QModelIndex index = list->model()->index(row, 0);
        auto* delegate = qobject_cast<PathDelegate*>(list->itemDelegateForIndex(index));
        QStyleOptionViewItem option;
        option.initFrom(list->viewport());
        option.widget = list;
        option.rect = list->visualRect(index);
        return delegate->ShownText(option, index);
    };
    // The column is narrow: the folder that differs wins over the ones before it.
    EXPECT_TRUE(shown(0).startsWith(QStringLiteral("…/day one/"))) << shown(0).toStdString();
    EXPECT_TRUE(shown(1).startsWith(QStringLiteral("…/day two/"))) << shown(1).toStdString();
    // The name gives way in its middle, keeping its start and its end.
    EXPECT_TRUE(shown(0).startsWith(QStringLiteral("…/day one/ph"))) << shown(0).toStdString();
    EXPECT_TRUE(shown(0).endsWith(QStringLiteral("p4"))) << shown(0).toStdString();
    // A name of its own needs no folder; the same file twice looks the same.
    EXPECT_TRUE(shown(2).endsWith(QStringLiteral("…/other.mp4"))) << shown(2).toStdString();
    EXPECT_EQ(shown(3), shown(0));
    for (int row = 0; row < 4; ++row) {
        EXPECT_LE(QFontMetrics(list->font()).horizontalAdvance(shown(row)), list->columnWidth(0));
        // The tip's first line: the whole path (the picture's caption below it).
        EXPECT_EQ(list->topLevelItem(row)->toolTip(0).section('\n', 0, 0),
                  list->GetItemText(row, 0))
            << row;
    }

    // Once the namesake has gone, the name alone does again.
    list->clearSelection();
    list->topLevelItem(1)->setSelected(true);
    m_dlg->DeleteSelectedRow();
    EXPECT_TRUE(shown(0).endsWith(QStringLiteral("…/phone.mp4")) &&
                !shown(0).contains(QStringLiteral("day one")))
        << shown(0).toStdString();
}

TEST_F(WindowDetails, TheAddDialogOpensWhereFilesWereLastAddedFrom)
{
    const QString videos = QString::fromStdString(m_files);
    const QString home = QString::fromStdString(m_folder.root);
    EXPECT_EQ(AddDialogFolder(QString(), videos, home), videos);
    EXPECT_EQ(AddDialogFolder(home + "/gone", videos, home), videos);
    EXPECT_EQ(AddDialogFolder(QString(), home + "/no videos", home), home);
    EXPECT_EQ(AddDialogFolder(videos, home, home), videos);

    Open();
    QStringList startFolders;
    QStringList toChoose;
    Desktop().chooseFiles = [&](QWidget*, const QString&, const QString& folder) {
        startFolders << folder;
        return toChoose;
    };
    const QString clip = Video("from here/clip.mp4");
    m_dlg->AddFilesByDialog();  // cancelled: nothing is remembered
    toChoose = {clip};
    m_dlg->AddFilesByDialog();
    m_dlg->AddFilesByDialog();
    ASSERT_EQ(startFolders.size(), 3);
    EXPECT_EQ(startFolders[0],
              AddDialogFolder(QString(),
                              QStandardPaths::writableLocation(QStandardPaths::MoviesLocation),
                              QDir::homePath()));
    EXPECT_EQ(startFolders[1], startFolders[0]);
    EXPECT_EQ(startFolders[2], QString::fromStdString(m_files + "/from here"));

    // Kept for the next start of the program, as long as the folder is there.
    m_dlg.reset();
    m_dlg = std::make_unique<CFennexAVConverterDlg>();
    m_dlg->endProcess = [] {};
    m_dlg->AddFilesByDialog();
    EXPECT_EQ(startFolders.last(), QString::fromStdString(m_files + "/from here"));
    fs::remove_all(m_files + "/from here");
    m_dlg->AddFilesByDialog();
    EXPECT_EQ(startFolders.last(), startFolders[0]);
}

TEST_F(WindowDetails, TheProgressRowShortensOnlyThePathAndKeepsThePercentage)
{
    Open();
    CAVConvertDlg progress(m_dlg.get());
    progress.OnInitDialog();
    progress.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
    CLabel* label = progress.FileLine();
    const QFontMetrics metrics(label->PaintFont());

    const std::string longPath = m_files + "/Videos/2024 summer holiday at the seaside/"
                                           "day three, the long walk to the old lighthouse/"
                                           "holiday.mp4";
    const QString text = QString::fromStdString(FileLabelText(longPath, 37, "已完成"));
    label->setText(text);
    EXPECT_EQ(label->text(), text);
    ASSERT_GT(metrics.horizontalAdvance(text), label->width());
    const QString shown = label->ShownText();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("…/holiday.mp4   37% 已完成")))
        << shown.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(shown), label->width());
    // One line, drawn inside the label: the last ink is the percentage's.
    label->repaint();
    const QImage shot = label->grab().toImage();
    int inkRight = -1;
    for (int x = 0; x < shot.width(); ++x)
        for (int y = 0; y < shot.height(); ++y)
            if (shot.pixelColor(x, y) != label->BackgroundColour())
                inkRight = x;
    EXPECT_GT(inkRight, shot.width() / 2);

    // A path that fits is shown whole.
    const QString shortText = QString::fromStdString(FileLabelText("/v/a.mp4", 5, "已完成"));
    label->setText(shortText);
    EXPECT_EQ(label->ShownText(), shortText);
}

// --- moving the window --------------------------------------------------------

TEST_F(WindowDetails, AShortPressDoesNotMoveTheWindowAndALostReleaseEndsTheMove)
{
    Open();
    const QPoint spot(300, 285);
    ASSERT_EQ(m_dlg->childAt(spot), nullptr);
    const QPoint before = m_dlg->pos();
    const int distance = QApplication::startDragDistance();

    // Held, but moved less than the drag distance: nothing moves.
    Send(m_dlg.get(), QEvent::MouseButtonPress, spot, Qt::LeftButton, Qt::LeftButton);
    Send(m_dlg.get(), QEvent::MouseMove, spot + QPoint(distance / 2, 0), Qt::NoButton,
         Qt::LeftButton);
    EXPECT_EQ(m_dlg->pos(), before);
    Send(m_dlg.get(), QEvent::MouseButtonRelease, spot, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(m_dlg->pos(), before);

    // A press whose release never arrives: the first move without the
    // button ends it, and a later move with a button does not revive it.
    Send(m_dlg.get(), QEvent::MouseButtonPress, spot, Qt::LeftButton, Qt::LeftButton);
    Send(m_dlg.get(), QEvent::MouseMove, spot + QPoint(60, 30), Qt::NoButton, Qt::NoButton);
    Send(m_dlg.get(), QEvent::MouseMove, spot + QPoint(80, 40), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(m_dlg->pos(), before);

    // A real drag follows the pointer from the press, and stops at release.
    Send(m_dlg.get(), QEvent::MouseButtonPress, spot, Qt::LeftButton, Qt::LeftButton);
    Send(m_dlg.get(), QEvent::MouseMove, spot + QPoint(distance + 30, 20), Qt::NoButton,
         Qt::LeftButton);
    EXPECT_EQ(m_dlg->pos(), before + QPoint(distance + 30, 20));
    const QPoint moved = m_dlg->pos();
    Send(m_dlg.get(), QEvent::MouseButtonRelease, spot, Qt::LeftButton, Qt::NoButton);
    Send(m_dlg.get(), QEvent::MouseMove, spot + QPoint(5, 5), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(m_dlg->pos(), moved);
}

TEST_F(WindowDetails, APressOnTheHelpLinkIsTheLinksOwn)
{
    Open();
    int opened = 0;
    m_dlg->HelpLink()->SetOpener([&](const QString&) {
        ++opened;
        return QString();
    });
    const QPoint before = m_dlg->pos();
    CHyperLink* link = m_dlg->HelpLink();
    const QPoint onLink = link->rect().center();
    Send(link, QEvent::MouseButtonPress, onLink, Qt::LeftButton, Qt::LeftButton);
    // Whatever the pointer does next, the window stays where it is.
    const QPoint far = link->mapTo(m_dlg.get(), onLink) + QPoint(-80, 60);
    Send(m_dlg.get(), QEvent::MouseMove, far, Qt::NoButton, Qt::LeftButton);
    Send(link, QEvent::MouseMove, onLink + QPoint(-80, 60), Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(m_dlg->pos(), before);
    Send(link, QEvent::MouseButtonRelease, onLink, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(m_dlg->pos(), before);
}

// --- window buttons and names ---------------------------------------------------

TEST_F(WindowDetails, OnlyTheMainWindowOffersMaximise)
{
    Open();
    const Qt::WindowFlags main = m_dlg->windowHandle()->flags();
    EXPECT_TRUE(main & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(main & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(main & Qt::WindowMaximizeButtonHint);

    CAVConvertDlg progress(m_dlg.get());
    progress.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&progress));
    const Qt::WindowFlags flags = progress.windowHandle()->flags();
    EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
    EXPECT_EQ(progress.minimumSize(), progress.maximumSize());
    progress.hide();
}

QStringList AccessibleNames(const CFennexAVConverterDlg& dlg)
{
    QStringList names;
    for (CControlButton* button : {dlg.AddFilesButton(), dlg.RemoveButton(), dlg.RemoveAllButton(),
                                   dlg.StartButton(), dlg.OpenFolderButton(), dlg.BrowseButton()})
        names << QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name);
    return names;
}

TEST_F(WindowDetails, BitmapButtonsAreNamedInTheCurrentLanguage)
{
    const QStringList artwork = {"添加", "删除", "删除所有文件", "开始", "打开目录", "浏览"};
    Open("english.ini");
    EXPECT_EQ(AccessibleNames(*m_dlg),
              QStringList({"Add", "Remove", "Remove all files", "Start", "Open folder", "Browse"}));
    m_dlg.reset();

    Open("chinese.ini");
    EXPECT_EQ(AccessibleNames(*m_dlg), artwork);
    m_dlg.reset();

    // A language file without the captions: the artwork's own.
    std::ofstream(m_folder.exe + "/languages/mine.ini") << "[APPLICATION]\nname=Mine\n";
    m_folder.WriteSettings("[LANGUAGE]\nfile=mine.ini\n");
    m_dlg = std::make_unique<CFennexAVConverterDlg>();
    m_dlg->endProcess = [] {};
    EXPECT_EQ(AccessibleNames(*m_dlg), artwork);
}

}  // namespace
