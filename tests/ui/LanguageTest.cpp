// Every text both windows and their message boxes show comes from the
// language file: an English file leaves no Chinese anywhere, the Chinese
// file shows the window's familiar texts, and Qt's own dialogs follow it.
#include "tests/ui/WindowTestFolder.h"

#include "batch/NameJournal.h"
#include "batch/PositionOutcome.h"
#include "controls/CCheckListCtrl.h"
#include "controls/CControlButton.h"
#include "controls/CHyperLink.h"
#include "engine/Failure.h"
#include "engine/LeftOutStream.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CAVConvertDlg.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FailureText.h"
#include "ui/FileErrorText.h"
#include "ui/FileListColumns.h"
#include "ui/LanguageMenu.h"
#include "ui/QtTranslations.h"
#include "ui/StatusColumn.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/avutil.h>
#include <libavutil/error.h>
}

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

bool HasCjk(const QString& text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u >= 0x2E80 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
            (u >= 0xFF00 && u <= 0xFFEF) || (u >= 0xAC00 && u <= 0xD7AF) || c.isSurrogate())
            return true;
    }
    return false;
}

// Every text a user can see in a window or point at: its title, labels,
// buttons (a bitmap button by the lines painted on its face), group titles,
// the list's headings and cells, and every tooltip.
QStringList VisibleTexts(QWidget& window)
{
    QStringList texts{window.windowTitle()};
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!widget->isVisibleTo(&window))
            continue;
        if (!widget->toolTip().isEmpty())
            texts << widget->toolTip();
        if (auto* face = qobject_cast<CControlButton*>(widget)) {
            for (const CaptionLine& line : face->CaptionLines())
                texts << line.text;
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            texts << button->text();
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            texts << label->text();
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            texts << group->title();
        } else if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
            for (int column = 0; column < list->columnCount(); ++column) {
                if (list->isColumnHidden(column))
                    continue;
                texts << list->headerItem()->text(column);
                for (int row = 0; row < list->topLevelItemCount(); ++row)
                    texts << list->topLevelItem(row)->text(column)
                          << list->topLevelItem(row)->toolTip(column);
            }
        }
    }
    texts.removeAll(QString());
    return texts;
}

class Language : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetDesktopHooks();
        Desktop().showMessage = [this](QWidget*, const QString& text) { m_messages << text; };
        Desktop().showFileError = [this](QWidget*, const QString& path, int error) {
            m_messages << FileErrorText(path, error);
        };
        Desktop().askYesNo = [this](QWidget*, const QString& text) {
            m_messages << text;
            return false;
        };
        Desktop().chooseFiles = [this](QWidget*, const QString& filter, const QString&) {
            m_messages << filter;
            return m_filesToChoose;
        };
        Desktop().chooseFolder = [this](QWidget*, const QString& title) {
            m_messages << title;
            return m_folderToChoose;
        };
        Desktop().openWithDefaultHandler = [](const QString&) {};
    }

    void TearDown() override
    {
        m_progress.reset();
        m_dlg.reset();
        ResetDesktopHooks();
    }

    void Open(const std::string& language)
    {
        m_folder.CopyLanguageFile(language);
        m_folder.WriteSettings("[LANGUAGE]\nfile=" + language + "\n");
        m_dlg = OpenWindow();
        ASSERT_TRUE(m_dlg);
    }

    // The progress dialog as a batch opens it.
    CAVConvertDlg& OpenProgress()
    {
        m_progress = std::make_unique<CAVConvertDlg>(m_dlg.get());
        m_progress->OnInitDialog();
        m_progress->show();
        return *m_progress;
    }

    // What a killed batch of an earlier version leaves: an input under its
    // temporary name, and the record of it as that version wrote it.
    void LeaveAKilledBatch()
    {
        const std::string own = m_folder.root + "/holiday.mp4";
        const std::string temporary = m_folder.root + "/holiday.mov";
        ASSERT_TRUE(WriteBytes(temporary, "the user's video"));
        ASSERT_TRUE(WriteBytes(m_folder.exe + "/pending-names.txt",
                               std::string("P") + '\0' + own + '\0' + temporary + '\0'));
    }

    WindowTestFolder m_folder;
    std::unique_ptr<CFennexAVConverterDlg> m_dlg;
    std::unique_ptr<CAVConvertDlg> m_progress;
    QStringList m_messages;
    QStringList m_filesToChoose;
    QString m_folderToChoose;
};

TEST_F(Language, TheEnglishFileLeavesNoChineseInEitherWindowOrItsMessages)
{
    // Every text of the file, the messages no test below reaches included.
    const std::string file = std::string(FENNEX_SOURCE_DIR) + "/resources/languages/english.ini";
    for (const auto& [section, key] : LanguageCatalogueKeys())
        EXPECT_FALSE(HasCjk(Q(ReadText(file, section, key, "")))) << section << " " << key;

    LanguageTexts texts;
    ReadLanguageTexts(file, texts);
    LeaveAKilledBatch();
    Open("english.ini");
    ASSERT_EQ(m_messages.size(), 1);  // the recovery message
    EXPECT_TRUE(m_messages[0].startsWith(Q(texts.prompts.namesGivenBack)))
        << m_messages[0].toStdString();

    // Start refused: no rows, then nothing ticked, then each folder problem.
    m_dlg->OnStart();
    m_filesToChoose = {Media().audioOnly, Media().video320};
    m_dlg->AddFilesByDialog();
    ASSERT_EQ(m_dlg->FileList()->GetItemCount(), 1);
    m_dlg->FileList()->SetCheck(0, false);
    m_dlg->OnStart();
    m_dlg->FileList()->SetCheck(0, true);
    for (const QString& folder : {QString(), QStringLiteral("/proc"), Q(m_folder.root + "/new")}) {
        m_dlg->OutputCombo()->setEditText(folder);
        m_dlg->OnStart();
    }
    m_folderToChoose = QStringLiteral("/proc");
    m_dlg->OnBrowse();
    m_messages << FileErrorText(QStringLiteral("/x"), EACCES)
               << FileErrorText(QStringLiteral("/x"), EIO)
               << FileErrorText(QStringLiteral("/x"), ENOTRECOVERABLE);

    EXPECT_GE(m_messages.size(), 12);
    for (const QString& message : m_messages)
        EXPECT_FALSE(HasCjk(message)) << message.toStdString();
    for (const QString& text : VisibleTexts(*m_dlg))
        EXPECT_FALSE(HasCjk(text)) << text.toStdString();
    EXPECT_EQ(m_dlg->StartButton()->CaptionLines().front().text, QStringLiteral("Start"));
    for (const QString& text : VisibleTexts(OpenProgress()))
        EXPECT_FALSE(HasCjk(text)) << text.toStdString();
}

TEST_F(Language, TheChineseFileShowsTheWindowsFamiliarTexts)
{
    Open("chinese.ini");
    const QStringList expected = {
        QStringLiteral("FennexAVConverter 1.0.0"),
        QStringLiteral("开始旋转勾选的视频"),
        QStringLiteral("开始"),
        QStringLiteral("拖放文件到这里"),
        QStringLiteral("源文件"),
        QStringLiteral("视频格式"),
        QStringLiteral("视频时长"),
        QStringLiteral("视频尺寸"),
        QStringLiteral("视频质量"),
        QStringLiteral("帧率"),
        QStringLiteral("状态"),
        QStringLiteral("设置旋转角度"),
        Q(g_texts.application.url),  // the help link's tip: where it leads
        QStringLiteral("使用帮助"),
        QStringLiteral("从列表中删除选中的文件"),
        QStringLiteral("删除"),
        QStringLiteral("添加视频文件"),
        QStringLiteral("添加"),
        QStringLiteral("删除所有文件"),
        QStringLiteral("删除"),
        QStringLiteral("所有文件"),
        QStringLiteral("浏览"),
        QStringLiteral("输出目录"),
        QStringLiteral("打开目录"),
        QStringLiteral("顺时针旋转90度"),
        QStringLiteral("顺时针旋转180度"),
        QStringLiteral("顺时针旋转270度"),
        QStringLiteral("选择视频所在的文件夹"),
        QStringLiteral("添加文件夹"),
        QStringLiteral("选择界面语言"),
        QStringLiteral("语言"),
    };
    EXPECT_EQ(VisibleTexts(*m_dlg), expected) << VisibleTexts(*m_dlg).join("|").toStdString();
    EXPECT_EQ(VisibleTexts(OpenProgress()),
              (QStringList{QStringLiteral("FennexAVConverter"), QStringLiteral("当前文件："),
                           QStringLiteral("总进度："), QStringLiteral("完成后打开文件夹"),
                           QStringLiteral("停止旋转"), QStringLiteral("停止旋转")}));
}

TEST_F(Language, AnOlderLanguageFileKeepsTheTextsOnceBuiltIn)
{
    // A file from before the window's fixed texts had keys.
    std::ofstream(m_folder.exe + "/languages/old.ini")
        << "[APPLICATION]\nname=Old\n[ANNIU]\ntj=Add\n";
    m_folder.WriteSettings("[LANGUAGE]\nfile=old.ini\n");
    m_dlg = std::make_unique<CFennexAVConverterDlg>();
    m_dlg->endProcess = [] {};
    EXPECT_EQ(m_dlg->Rotate180Radio()->text(), QStringLiteral("顺时针旋转180度"));
    EXPECT_EQ(m_dlg->FileList()->headerItem()->text(4), QStringLiteral("视频质量"));
    EXPECT_EQ(m_dlg->AddFilesButton()->text(), QStringLiteral("Add"));
    EXPECT_EQ(m_dlg->RemoveAllButton()->CaptionLines().size(), 2u);
    EXPECT_EQ(FileErrorText(QStringLiteral("/a"), ENOENT), QStringLiteral("未找到 /a。"));
    // Keys that always came from the file stay empty.
    EXPECT_EQ(m_dlg->StartButton()->toolTip(), QString());
}

TEST_F(Language, QtsOwnDialogsSpeakTheLanguageOfTheFile)
{
    const QLocale before;
    m_folder.CopyLanguageFile("chinese.ini");
    m_folder.CopyLanguageFile("english.ini");
    m_folder.WriteSettings("[LANGUAGE]\nfile=chinese.ini\n");
    EXPECT_EQ(CurrentLanguageLocale(), QStringLiteral("zh_CN"));
    QTranslator* chinese =
        InstallQtTranslations(*QCoreApplication::instance(), CurrentLanguageLocale());
    ASSERT_NE(chinese, nullptr) << "Qt's translations (qt6-translations-l10n) are missing";
    // The file chooser's own words.
    const QString lookIn = QCoreApplication::translate("QFileDialog", "Look in:");
    EXPECT_NE(lookIn, QStringLiteral("Look in:"));
    EXPECT_TRUE(HasCjk(lookIn)) << lookIn.toStdString();
    EXPECT_TRUE(HasCjk(QCoreApplication::translate("QPlatformTheme", "&Yes")));
    EXPECT_EQ(QLocale().name(), QStringLiteral("zh_CN"));
    QCoreApplication::removeTranslator(chinese);
    delete chinese;

    m_folder.WriteSettings("[LANGUAGE]\nfile=english.ini\n");
    EXPECT_EQ(CurrentLanguageLocale(), QStringLiteral("en"));
    QTranslator* english =
        InstallQtTranslations(*QCoreApplication::instance(), QStringLiteral("en"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    if (english) {
        QCoreApplication::removeTranslator(english);
        delete english;
    }
    QLocale::setDefault(before);

    // Without a locale key, the file's name tells; a name that tells
    // nothing gives no translations.
    std::ofstream(m_folder.exe + "/languages/mine.ini") << "[APPLICATION]\nname=Mine\n";
    m_folder.WriteSettings("[LANGUAGE]\nfile=mine.ini\n");
    EXPECT_EQ(CurrentLanguageLocale(), QString());
    EXPECT_EQ(InstallQtTranslations(*QCoreApplication::instance(), QString()), nullptr);
    EXPECT_EQ(LanguageLocale("chinese.ini", ""), "zh_CN");
    EXPECT_EQ(LanguageLocale("English.ini", ""), "en");
    EXPECT_EQ(LanguageLocale("de_DE.ini", ""), "de_DE");
    EXPECT_EQ(LanguageLocale("chinese.ini", "zh_TW"), "zh_TW");
}

TEST_F(Language, MessageBoxesAreWideEnoughForTheirTitle)
{
    QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);

    QMessageBox box(QMessageBox::Warning, QStringLiteral("FennexAVConverter"), QStringLiteral("x"),
                    QMessageBox::Ok);
    const int before = box.sizeHint().width();
    FitMessageBoxToTitle(box);
    box.show();
    EXPECT_GE(box.width(), MessageBoxWidthForTitle(box.windowTitle(), metrics));
    EXPECT_GT(box.width(), before);
    EXPECT_GT(MessageBoxWidthForTitle(box.windowTitle(), metrics),
              metrics.horizontalAdvance(box.windowTitle()));

    // The program's own boxes, through the desktop hooks.
    ResetDesktopHooks();
    QWidget parent;
    int width = 0;
    QString title;
    QTimer::singleShot(0, &parent, [&] {
        if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            width = shown->width();
            title = shown->windowTitle();
            shown->accept();
        }
    });
    Desktop().showMessage(&parent, QStringLiteral("x"));
    EXPECT_EQ(title, ApplicationName());
    EXPECT_GE(width, MessageBoxWidthForTitle(title, metrics));
}

}  // namespace

namespace {

// The desktop's locale for one test: LANG set, LC_ALL and LC_MESSAGES unset;
// the environment is put back afterwards.
class DesktopLocaleForTest
{
public:
    explicit DesktopLocaleForTest(const char* lang)
    {
        for (const char* name : kNames) {
            m_had.push_back(qEnvironmentVariableIsSet(name));
            m_was.push_back(qgetenv(name));
            qunsetenv(name);
        }
        qputenv("LANG", lang);
    }
    ~DesktopLocaleForTest()
    {
        for (std::size_t i = 0; i < std::size(kNames); ++i) {
            if (m_had[i])
                qputenv(kNames[i], m_was[i]);
            else
                qunsetenv(kNames[i]);
        }
    }

private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    std::vector<bool> m_had;
    std::vector<QByteArray> m_was;
};

struct FirstStartCase {
    const char* lang;
    bool chinese;
};

class FirstStart : public Language, public ::testing::WithParamInterface<FirstStartCase>
{};

// A first start: the shipped default setting.ini names no language file, so
// the desktop's locale picks one for both windows and Qt's own dialogs.
TEST_P(FirstStart, TheDesktopsLocalePicksTheLanguage)
{
    const DesktopLocaleForTest locale(GetParam().lang);
    const bool chinese = GetParam().chinese;
    m_folder.CopyLanguageFile("chinese.ini");
    m_folder.CopyLanguageFile("english.ini");
    fs::copy_file(std::string(FENNEX_SOURCE_DIR) + "/resources/setting.ini", m_folder.ini());
    m_dlg = std::make_unique<CFennexAVConverterDlg>();
    m_dlg->endProcess = [] {};
    EXPECT_EQ(m_dlg->StartButton()->text(),
              chinese ? QStringLiteral("开始") : QStringLiteral("Start"));
    EXPECT_EQ(m_dlg->FileList()->headerItem()->text(kColumnStatus),
              chinese ? QStringLiteral("状态") : QStringLiteral("Status"));
    EXPECT_EQ(m_dlg->Languages()->Link()->text(),
              chinese ? QStringLiteral("语言") : QStringLiteral("Language"));
    EXPECT_EQ(OpenProgress().StopButton()->text(),
              chinese ? QStringLiteral("停止旋转") : QStringLiteral("Stop rotating"));
    EXPECT_EQ(CurrentLanguageLocale(), chinese ? QStringLiteral("zh_CN") : QStringLiteral("en"));
    // The pick is not written: the desktop's locale keeps choosing.
    EXPECT_EQ(ReadText(m_folder.ini(), "LANGUAGE", "file", "none"), "");
}

INSTANTIATE_TEST_SUITE_P(Locales, FirstStart,
                         ::testing::Values(FirstStartCase{"en_US.UTF-8", false},
                                           FirstStartCase{"zh_CN.UTF-8", true},
                                           FirstStartCase{"de_DE.UTF-8", false},
                                           FirstStartCase{"C", false},
                                           FirstStartCase{"POSIX", false}));

QAction* MenuEntry(LanguageMenu& menu, const QString& file)
{
    for (QAction* action : menu.Menu()->actions()) {
        if (action->data().toString() == file)
            return action;
    }
    return nullptr;
}

TEST_F(Language, TheMenuSwitchesEveryTextAtOnceAndKeepsTheChoice)
{
    const QLocale before;
    m_folder.CopyLanguageFile("chinese.ini");
    m_folder.CopyLanguageFile("english.ini");
    ASSERT_TRUE(WriteBytes(m_folder.exe + "/README.md", "# README"));
    m_folder.WriteSettings("; my settings\n[LANGUAGE]\nfile=chinese.ini\n; the folder\n"
                           "[PATH]\nname=/videos/out\n[DIR]\nopen=0\n");
    m_dlg = OpenWindow();
    ASSERT_TRUE(m_dlg);
    EXPECT_EQ(m_dlg->HelpLink()->Target(), Q(m_folder.exe + "/README.md"));

    // Rows in each state: ready, done with a stream left out, failed.
    m_dlg->AddDroppedFiles({Media().video320, Media().video640, Media().video8fps});
    ASSERT_EQ(m_dlg->FileList()->GetItemCount(), 3);
    QTreeWidgetItem& done = *m_dlg->FileList()->topLevelItem(1);
    QTreeWidgetItem& failed = *m_dlg->FileList()->topLevelItem(2);
    const std::vector<LeftOutStream> leftOut{{AV_CODEC_ID_DVD_SUBTITLE, AVMEDIA_TYPE_SUBTITLE}};
    const Failure full(Failure::kWriteOutput, AVERROR(ENOSPC));
    PositionOutcome doneOutcome;
    doneOutcome.kind = PositionOutcome::kDone;
    doneOutcome.leftOut = leftOut;
    doneOutcome.output = "/out/b.mov";
    PositionOutcome failedOutcome;
    failedOutcome.kind = PositionOutcome::kFailed;
    failedOutcome.failure = full;
    ASSERT_TRUE(m_dlg->SettleRow(1, doneOutcome));
    ASSERT_TRUE(m_dlg->SettleRow(2, failedOutcome));
    EXPECT_EQ(failed.text(kColumnStatus), QStringLiteral("磁盘已满"));

    // The menu offers each language by its own name, the one in use ticked;
    // a click on the link opens it.
    LanguageMenu& menu = *m_dlg->Languages();
    QTest::mouseClick(menu.Link(), Qt::LeftButton);
    EXPECT_TRUE(menu.Menu()->isVisible());
    QAction* english = MenuEntry(menu, QStringLiteral("english.ini"));
    QAction* chinese = MenuEntry(menu, QStringLiteral("chinese.ini"));
    ASSERT_TRUE(english && chinese);
    EXPECT_EQ(english->text(), QStringLiteral("English"));
    EXPECT_EQ(chinese->text(), QStringLiteral("简体中文"));
    EXPECT_TRUE(chinese->isChecked());
    EXPECT_FALSE(english->isChecked());
    english->trigger();
    menu.Menu()->hide();

    // setting.ini names the choice; every other line stays.
    EXPECT_EQ(ReadWholeFile(m_folder.ini()),
              "; my settings\n[LANGUAGE]\nfile=english.ini\n; the folder\n"
              "[PATH]\nname=/videos/out\n[DIR]\nopen=0\n");
    // Every text of the open window is English now, the rows' status words
    // and tooltips and the painted captions included.
    for (const QString& text : VisibleTexts(*m_dlg))
        EXPECT_FALSE(HasCjk(text)) << text.toStdString();
    EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("FennexAVConverter 1.0.0"));
    EXPECT_EQ(m_dlg->StartButton()->CaptionLines().front().text, QStringLiteral("Start"));
    EXPECT_EQ(m_dlg->StartButton()->accessibleName(), QStringLiteral("Start"));
    EXPECT_EQ(m_dlg->FileList()->headerItem()->text(kColumnPath), QStringLiteral("File"));
    EXPECT_EQ(m_dlg->Rotate90Radio()->text(), Q(g_texts.window.rotate90));
    EXPECT_EQ(m_dlg->HelpLink()->text(), QStringLiteral("Help"));
    EXPECT_EQ(m_dlg->FileList()->topLevelItem(0)->text(kColumnStatus), QStringLiteral("Ready"));
    EXPECT_EQ(done.text(kColumnStatus), Q(g_texts.prompts.done));
    EXPECT_EQ(done.toolTip(kColumnStatus), DoneText("/out/b.mov", leftOut));
    EXPECT_EQ(failed.text(kColumnStatus), ShortFailureText(full));
    EXPECT_EQ(failed.toolTip(kColumnStatus), FailureText(full));
    EXPECT_EQ(failed.foreground(kColumnStatus).color(), FailedStatusColour());
    // The status column is wide enough for the new words.
    const int needed =
        m_dlg->FileList()->fontMetrics().horizontalAdvance(failed.text(kColumnStatus));
    EXPECT_GT(m_dlg->FileList()->columnWidth(kColumnStatus), needed);
    EXPECT_EQ(m_dlg->HelpLink()->Target(), Q(m_folder.exe + "/README.md"));
    // Qt's own dialogs follow, and so does the next progress dialog.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));
    EXPECT_EQ(OpenProgress().StopButton()->text(), QStringLiteral("Stop rotating"));
    EXPECT_TRUE(MenuEntry(menu, QStringLiteral("english.ini"))->isChecked());

    // And back.
    menu.Choose("chinese.ini");
    EXPECT_EQ(ReadText(m_folder.ini(), "LANGUAGE", "file", ""), "chinese.ini");
    EXPECT_EQ(m_dlg->StartButton()->CaptionLines().front().text, QStringLiteral("开始"));
    EXPECT_EQ(m_dlg->FileList()->topLevelItem(0)->text(kColumnStatus), QStringLiteral("准备"));
    EXPECT_EQ(failed.text(kColumnStatus), QStringLiteral("磁盘已满"));
    EXPECT_EQ(menu.Link()->text(), QStringLiteral("语言"));
    EXPECT_TRUE(HasCjk(QCoreApplication::translate("QFileDialog", "Look in:")));
    InstallQtTranslations(*QCoreApplication::instance(), QString());
    QLocale::setDefault(before);
}

TEST_F(Language, AChoiceSettingIniCannotTakeStillSwitchesAndSaysItWillNotLast)
{
    m_folder.CopyLanguageFile("chinese.ini");
    m_folder.CopyLanguageFile("english.ini");
    fs::create_directory(m_folder.ini());  // no file can be written there
    const DesktopLocaleForTest locale("zh_CN.UTF-8");
    m_dlg = std::make_unique<CFennexAVConverterDlg>();
    m_dlg->endProcess = [] {};
    ASSERT_EQ(m_dlg->StartButton()->text(), QStringLiteral("开始"));
    m_dlg->Languages()->Choose("english.ini");
    EXPECT_EQ(m_dlg->StartButton()->text(), QStringLiteral("Start"));
    ASSERT_EQ(m_messages.size(), 1);
    EXPECT_EQ(m_messages[0], Q(g_texts.prompts.languageNotKept).arg(Q(m_folder.ini())));
    EXPECT_TRUE(fs::is_directory(m_folder.ini()));
    InstallQtTranslations(*QCoreApplication::instance(), QString());
}

}  // namespace
