// Batches run through the real main window on real files, offscreen.
#include "batch/BatchPlan.h"
#include "batch/BatchSession.h"
#include "batch/NameJournal.h"
#include "controls/CCheckListCtrl.h"
#include "controls/CControlButton.h"
#include "controls/CLabel.h"
#include "controls/PathDelegate.h"
#include "engine/LeftOutStream.h"
#include "settings/ExeFolder.h"
#include "settings/IniFile.h"
#include "settings/LanguageTexts.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CAVConvertDlg.h"
#include "ui/CFennexAVConverterDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FailureText.h"
#include "ui/FileErrorText.h"
#include "ui/FileListColumns.h"
#include "ui/RowPictures.h"
#include "ui/SelectedRowView.h"
#include "ui/SessionSignals.h"
#include "ui/StatusColumn.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTimer>
#include <QTreeWidgetItem>
#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace fs = std::filesystem;

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::vector<std::string> FolderNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

class BatchWindowTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> m_temp;
    std::string m_root, m_in, m_out;
    std::unique_ptr<CFennexAVConverterDlg> m_dlg;
    QStringList m_messages, m_fileErrors, m_opened, m_questions;
    QStringList m_order;    // "message" and "open", as they came
    bool m_answer = false;  // to every question
    std::function<void(CAVConvertDlg*)>
        m_duringBatch;  // called every 20 ms while the progress dialog is up
    int m_maxFileBar = 0, m_maxBatchBar = 0;
    QString m_lastFileLabel, m_lastBatchLabel;

    std::string Input(const std::string& name, const MediaRecipe& recipe = {})
    {
        const std::string path = m_in + "/" + name;
        const std::string error =
            MakeMediaFile(path, recipe, name.find('.') == std::string::npos ? "mp4" : "");
        if (!error.empty())
            qFatal("fixture %s: %s", name.c_str(), error.c_str());
        return path;
    }

    void Add(const std::vector<std::string>& paths)
    {
        QStringList list;
        for (const std::string& p : paths)
            list << Q(p);
        m_dlg->AddDroppedFiles(list);
    }

    // Presses Start with the output folder typed in (m_out unless told);
    // returns when the progress dialog has ended.
    void Start(const std::string& folder = "-")
    {
        m_dlg->OutputCombo()->setEditText(Q(folder == "-" ? m_out : folder));
        QTimer watcher;
        watcher.setInterval(20);
        connect(&watcher, &QTimer::timeout, this, [this] {
            CAVConvertDlg* progress = m_dlg->ProgressDialog();
            if (!progress || !progress->isVisible())
                return;
            m_maxFileBar = std::max(m_maxFileBar, progress->FileBar()->value());
            m_maxBatchBar = std::max(m_maxBatchBar, progress->BatchBar()->value());
            if (!progress->FileLine()->text().isEmpty())
                m_lastFileLabel = progress->FileLine()->text();
            m_lastBatchLabel = progress->BatchLine()->text();
            if (m_duringBatch)
                m_duringBatch(progress);
        });
        watcher.start();
        QTimer::singleShot(10000, &watcher, [this] {
            // A batch that never ends fails the test instead of hanging it.
            if (m_dlg->ProgressDialog() && m_dlg->ProgressDialog()->isVisible()) {
                m_messages << QStringLiteral("progress dialog still open after 10 s");
                m_dlg->ProgressDialog()->OnStop();
            }
        });
        m_dlg->StartButton()->click();
        m_duringBatch = nullptr;
    }

    // Opens the window anew with a language file of the source tree.
    void UseLanguage(const QString& file)
    {
        m_dlg.reset();
        const std::string name = file.toStdString();
        const std::string copy = m_root + "/exe/languages/" + name;
        if (!fs::exists(copy))
            fs::copy_file(std::string(FENNEX_RESOURCES) + "/languages/" + name, copy);
        QVERIFY(WriteText(m_root + "/exe/setting.ini", "LANGUAGE", "file", name));
        m_dlg = std::make_unique<CFennexAVConverterDlg>();
        m_dlg->endProcess = [] {};
        m_dlg->preFileWaitMs = 300;
        m_dlg->show();
    }

    // An input added whole and cut short afterwards, as a copy that had not
    // finished when it was listed: it should run 3 s and ends near 1 s.
    std::string CutShortInput(const std::string& name)
    {
        MediaRecipe longer;
        longer.seconds = 3;
        const std::string path = Input(name, longer);
        Add({path});
        fs::resize_file(path, fs::file_size(path) / 2);
        return path;
    }

    // Whether a row's status shows whole in the status column, in sight.
    bool StatusFits(int row) const
    {
        const int margin =
            List()->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, List()) + 1;
        const int room = List()->columnWidth(6) - 2 * margin;
        QHeaderView* header = List()->header();
        return QFontMetrics(List()->font()).horizontalAdvance(Status(row)) <= room &&
               header->sectionViewportPosition(6) + header->sectionSize(6) <=
                   List()->viewport()->width();
    }

    CCheckListCtrl* List() const { return m_dlg->FileList(); }
    QString Status(int row) const { return List()->GetItemText(row, 6); }
    bool IsProgressUp() const
    {
        return m_dlg->ProgressDialog() && m_dlg->ProgressDialog()->isVisible();
    }

private slots:
    void init()
    {
        m_temp = std::make_unique<TempFolder>("batch-window");
        m_root = m_temp->path();
        m_in = m_root + "/in";
        m_out = m_root + "/out";
        fs::create_directories(m_in);
        fs::create_directories(m_out);
        fs::create_directories(m_root + "/exe/languages");
        fs::copy_file(FENNEX_RESOURCES "/languages/chinese.ini",
                      m_root + "/exe/languages/chinese.ini");
        fs::copy_file(FENNEX_RESOURCES "/setting.ini", m_root + "/exe/setting.ini");
        // The default names no language file; these tests speak Chinese.
        WriteText(m_root + "/exe/setting.ini", "LANGUAGE", "file", "chinese.ini");
        OverrideExeFolder(m_root + "/exe");

        m_messages.clear();
        m_fileErrors.clear();
        m_opened.clear();
        m_questions.clear();
        m_order.clear();
        m_answer = false;
        m_maxFileBar = m_maxBatchBar = 0;
        m_lastFileLabel.clear();
        m_lastBatchLabel.clear();
        ResetDesktopHooks();
        Desktop().showMessage = [this](QWidget*, const QString& text) {
            m_messages << text;
            m_order << QStringLiteral("message");
        };
        Desktop().showFileError = [this](QWidget*, const QString& path, int error) {
            m_fileErrors << FileErrorText(path, error);
        };
        Desktop().openWithDefaultHandler = [this](const QString& target) {
            m_opened << target;
            m_order << QStringLiteral("open");
        };
        Desktop().askYesNo = [this](QWidget*, const QString& text) {
            m_questions << text;
            return m_answer;
        };

        m_dlg = std::make_unique<CFennexAVConverterDlg>();
        m_dlg->endProcess = [] {};
        m_dlg->preFileWaitMs = 300;
        m_dlg->show();
    }

    void cleanup()
    {
        m_dlg.reset();
        m_temp.reset();
    }

    void threeFilesAreRotatedAndInputsKeepTheirNames()
    {
        MediaRecipe portrait;
        portrait.rotation_cw = 90;
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mkv");
        const std::string c = Input("c.MOV", portrait);
        const std::string contentA = ReadWholeFile(a), contentB = ReadWholeFile(b),
                          contentC = ReadWholeFile(c);
        Add({a, b, c});
        QCOMPARE(List()->GetItemCount(), 3);
        m_dlg->Rotate90Radio()->setChecked(true);

        Start();

        QVERIFY(!IsProgressUp());
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(m_fileErrors, QStringList());
        QCOMPARE(ReadRotationCw(m_out + "/a.mp4"), 90);
        // The Matroska input's output says the QuickTime file it is.
        QCOMPARE(ReadRotationCw(m_out + "/b.mov"), 90);
        QCOMPARE(ReadRotationCw(m_out + "/c.MOV"), 180);
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4", "b.mov", "c.MOV"}));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mkv", "c.MOV"}));
        QVERIFY(ReadWholeFile(a) == contentA);
        QVERIFY(ReadWholeFile(b) == contentB);
        QVERIFY(ReadWholeFile(c) == contentC);
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(Status(row), Q(g_texts.prompts.done));
            QVERIFY(!List()->GetCheck(row));
            // No input is read under a temporary name.
            QVERIFY(List()->GetItemText(row, kColumnSource).isEmpty());
        }
        // The batch bar lags a tick behind the count; on a loaded machine a
        // tick may see two files pass at once, so either bar will do.
        QVERIFY(m_maxBatchBar > 0 || m_maxFileBar > 0);
        QVERIFY(m_lastFileLabel.contains(QStringLiteral("%")));
        QVERIFY(m_lastBatchLabel.contains(QStringLiteral(" 3 ")));
        QCOMPARE(m_opened, QStringList{Q(m_out)});
        QVERIFY(!fs::exists(m_root + "/exe/pending-names.txt") ||
                fs::file_size(m_root + "/exe/pending-names.txt") == 0);
    }

    // A poll comes only once the worker has passed each file (it has
    // reported the file's 100 and gone on to wait before the next): the
    // progress dialog still shows each done file's bar full before it moves
    // on, and the batch's bar full at the end.
    void aDoneFilesBarEndsFullThoughPollsMissItsLastReport()
    {
        const std::vector<std::string> inputs{Input("a.mp4"), Input("b.mkv"), Input("c.mov")};
        BatchSession session(nullptr);
        session.Start(PlanBatch(inputs, m_out), 90, 1000);
        CAVConvertDlg progress;
        SessionSignals watcher;
        connect(&watcher, &SessionSignals::progressed, &progress, &CAVConvertDlg::ShowProgress);
        QString shownPath;
        std::map<QString, int> lastFileBar;  // per path on the file line
        connect(&watcher, &SessionSignals::progressed, this, [&](const ProgressView& view) {
            if (view.updateFileLine && !view.path.isEmpty())
                shownPath = view.path;
            if (!shownPath.isEmpty())
                lastFileBar[shownPath] = progress.FileBar()->value();
        });
        QSignalSpy ended(&watcher, &SessionSignals::batchEnded);
        watcher.Watch(&session, 3600 * 1000);  // the polls come from here
        watcher.Poll();
        for (int passed = 1; passed <= static_cast<int>(inputs.size()); ++passed) {
            QTRY_VERIFY_WITH_TIMEOUT(session.WorkerPosition() >= passed, 30000);
            watcher.Poll();
        }
        QCOMPARE(ended.count(), 1);
        session.Join();
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            QCOMPARE(session.Outcome(static_cast<int>(i)).kind, PositionOutcome::kDone);
            QCOMPARE(lastFileBar[Q(inputs[i])], 100);
        }
        QVERIFY(progress.FileLine()->text().contains(QStringLiteral("100%")));
        QCOMPARE(progress.BatchBar()->value(), 100);
    }

    void rotationFollowsTheRadioButtons()
    {
        const std::string a = Input("a.mp4");
        Add({a});
        m_dlg->Rotate270Radio()->setChecked(true);
        Start();
        QCOMPARE(ReadRotationCw(m_out + "/a.mp4"), 270);
    }

    // A row with a turn of its own is turned by it; the others follow the
    // rotation group.
    void aRowWithATurnOfItsOwnIsTurnedByIt()
    {
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mp4");
        const std::string c = Input("c.mp4");
        Add({a, b, c});
        m_dlg->SetRowTurn(1, 270);
        m_dlg->SetRowTurn(2, 180);
        m_dlg->SetRowTurn(2, std::nullopt);
        m_dlg->Rotate90Radio()->setChecked(true);
        Start();
        QCOMPARE(ReadRotationCw(m_out + "/a.mp4"), 90);
        QCOMPARE(ReadRotationCw(m_out + "/b.mp4"), 270);
        QCOMPARE(ReadRotationCw(m_out + "/c.mp4"), 90);
    }

    // Turns given through the list itself: Ctrl+Right and Ctrl+Left on
    // the highlighted rows, the context menu, a click on a picture. A row
    // whose own turn comes back to 0° is left out and says so; the others
    // follow the rotation group. Pictures follow every turn without a
    // second decoding.
    void turnsGivenInTheListReachEachOutput()
    {
        MediaRecipe portrait;
        portrait.rotation_cw = 90;
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mov", portrait);
        const std::string c = Input("c.mp4");
        const std::string d = Input("d.mkv");
        const std::string e = Input("e.mp4", portrait);
        const std::string contentC = ReadWholeFile(c);
        Add({a, b, c, d, e});
        m_dlg->Rotate90Radio()->setChecked(true);
        RowPictures& pictures = m_dlg->Pictures();
        QTRY_VERIFY(pictures.PendingCount() == 0 && pictures.DecodeCount() == 5);
        const auto image = [this](int row) {
            const QIcon icon =
                List()->topLevelItem(row)->data(0, Qt::DecorationRole).value<QIcon>();
            return icon.pixmap(List()->iconSize()).toImage();
        };
        // Each picture is posted to the window before the row has it.
        for (int row = 0; row < 5; ++row)
            QTRY_VERIFY(pictures.Picture(m_dlg->Rows().At(row).id) != nullptr);
        QCoreApplication::processEvents();
        // A portrait file turned by the group a quarter more: shown landscape.
        QVERIFY(image(1).width() > image(1).height());
        QVERIFY(image(0).height() > image(0).width());
        QVERIFY(List()->topLevelItem(1)->toolTip(3).startsWith(QString::fromUtf8("90° · 120×160")));

        // Beside each picture, how the file is shown today.
        QCOMPARE(List()->topLevelItem(1)->data(0, PathDelegate::kCaptionRole).toString(),
                 QString::fromUtf8("90°\n120×160"));

        // Rows 0 and 1 highlighted: Ctrl+Right twice (group 90 + 180 = 270),
        // then Ctrl+Left once: 180 each. Two rows highlighted: no larger view.
        m_dlg->activateWindow();
        QTRY_VERIFY(m_dlg->isActiveWindow());
        List()->setFocus();
        List()->clearSelection();
        List()->topLevelItem(0)->setSelected(true);
        List()->topLevelItem(1)->setSelected(true);
        QTest::keyClick(List(), Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(List(), Qt::Key_Right, Qt::ControlModifier);
        QTest::keyClick(List(), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(m_dlg->Rows().At(0).turn, std::optional<int>(180));
        QCOMPARE(m_dlg->Rows().At(1).turn, std::optional<int>(180));
        QCoreApplication::processEvents();
        QVERIFY(!m_dlg->SelectedView()->isVisible());
        // Row 2 alone: its larger view stands beside its picture, and
        // follows its turn: Ctrl+Left from the group's 90 to 0°, nothing to do.
        List()->clearSelection();
        List()->topLevelItem(2)->setSelected(true);
        SelectedRowView* view = m_dlg->SelectedView();
        QTRY_VERIFY(view->isVisible());
        QCOMPARE(view->Row(), 2);
        // The small picture at first, the one decoded at the view's size after.
        QTRY_COMPARE(view->text(), m_dlg->RowLargerView(2));
        const QRect beside =
            m_dlg->PictureRect(2).translated(List()->viewport()->mapToGlobal(QPoint()));
        QVERIFY(view->geometry().left() > beside.right() ||
                view->geometry().right() < beside.left());
        const QString before0 = view->text();
        QTest::keyClick(List(), Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(m_dlg->Rows().At(2).turn, std::optional<int>(0));
        QTRY_VERIFY(view->text() != before0);
        QTRY_COMPARE(view->text(), m_dlg->RowLargerView(2));
        QVERIFY(List()->topLevelItem(2)->toolTip(3).contains(Q(g_texts.window.nothingToTurn)));
        QVERIFY(List()
                    ->topLevelItem(2)
                    ->data(0, PathDelegate::kCaptionRole)
                    .toString()
                    .endsWith(Q(g_texts.window.nothingToTurnShort)));
        // The list without the focus shows none.
        m_dlg->OutputCombo()->setFocus();
        QTRY_VERIFY(!view->isVisible());
        List()->setFocus();
        // Row 3 from the menu: 270; then back to the group.
        List()->clearSelection();
        List()->topLevelItem(3)->setSelected(true);
        QMenu* menu = m_dlg->TurnMenu();
        QCOMPARE(menu->actions().size(), 4);
        QCOMPARE(menu->actions()[2]->text(), Q(g_texts.window.turn270));
        menu->actions()[2]->trigger();
        QCOMPARE(m_dlg->Rows().At(3).turn, std::optional<int>(270));
        menu->actions()[3]->trigger();
        QCOMPARE(m_dlg->Rows().At(3).turn, std::optional<int>());
        // Row 4: a click on its picture adds a quarter to the group's 90.
        const QImage before = image(4);
        const QRect picture = m_dlg->PictureRect(4);
        QVERIFY(!picture.isEmpty());
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, picture.center());
        QCOMPARE(m_dlg->Rows().At(4).turn, std::optional<int>(180));
        QVERIFY(image(4) != before);
        QCOMPARE(image(4).size(), before.size().transposed());

        // The group's choice redraws the rows that follow it.
        const QImage followed = image(3);
        m_dlg->Rotate180Radio()->setChecked(true);
        QCOMPARE(image(3).size(), followed.size().transposed());
        m_dlg->Rotate90Radio()->setChecked(true);
        QCOMPARE(pictures.DecodeCount(), 5);

        Start();
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(ReadRotationCw(m_out + "/a.mp4"), 180);
        QCOMPARE(ReadRotationCw(m_out + "/b.mov"), 270);
        QCOMPARE(ReadRotationCw(m_out + "/d.mov"), 90);
        QCOMPARE(ReadRotationCw(m_out + "/e.mp4"), 270);
        // The 0° row was left out: no output, input untouched, row still ticked.
        QVERIFY(!fs::exists(m_out + "/c.mp4"));
        QVERIFY(ReadWholeFile(c) == contentC);
        QVERIFY(List()->GetCheck(2));
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QVERIFY(Status(2) != Q(g_texts.prompts.done));
    }

    void doneRowSaysWhichSubtitlesItLeftOut()
    {
        MediaRecipe dvd;
        dvd.video_codec = "h264";
        dvd.dvd_subtitle = true;
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mkv", dvd);
        Add({a, b});
        m_dlg->Rotate90Radio()->setChecked(true);
        Start();

        QCOMPARE(m_messages, QStringList());
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QCOMPARE(Status(1), Q(g_texts.prompts.done));
        // The tip names the new file, whose extension says its container.
        QCOMPARE(List()->topLevelItem(0)->toolTip(6),
                 QStringLiteral("新文件：") + Q(m_out + "/a.mp4"));
        // The window's sentence from its language file, the names put in.
        QVERIFY(g_texts.prompts.leftOut.find("%1") != std::string::npos);
        const QString tip = List()->topLevelItem(1)->toolTip(6);
        QCOMPARE(tip,
                 DoneText(m_out + "/b.mov", {{AV_CODEC_ID_DVD_SUBTITLE, AVMEDIA_TYPE_SUBTITLE}}));
        QCOMPARE(tip, QStringLiteral("新文件：") + Q(m_out + "/b.mov") +
                          QStringLiteral("\n未保留DVD字幕：输出文件的格式无法容纳"));
        QCOMPARE(ReadRotationCw(m_out + "/b.mov"), 90);
    }

    // The second of three files turns out cut short: the batch goes on, and
    // at its end one message in the window's language names the file and
    // why; its row says so in a few words, the whole reason in its tip.
    void aFailedMiddleFileIsNamedWithItsReasonAtTheEnd_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("status");
        QTest::newRow("chinese")
            << QStringLiteral("chinese.ini")
            << QStringLiteral(
                   "文件 b.mkv 没有旋转成功。\n原因：源文件不完整：在 0:01 处中断，应有 0:03")
            << QStringLiteral("源文件不完整：在 0:01 处中断，应有 0:03")
            << QStringLiteral("不完整");
        QTest::newRow("english")
            << QStringLiteral("english.ini")
            << QStringLiteral("The file b.mkv could not be rotated.\nReason: The input is cut "
                              "short: it ends at 0:01 of 0:03")
            << QStringLiteral("The input is cut short: it ends at 0:01 of 0:03")
            << QStringLiteral("Cut short");
    }

    void aFailedMiddleFileIsNamedWithItsReasonAtTheEnd()
    {
        QFETCH(QString, language);
        QFETCH(QString, message);
        QFETCH(QString, reason);
        QFETCH(QString, status);
        UseLanguage(language);
        const std::string a = Input("a.mp4");
        Add({a});
        const std::string b = CutShortInput("b.mkv");
        const std::string cutBytes = ReadWholeFile(b);
        const std::string c = Input("c.avi");
        Add({c});
        Start();

        QCOMPARE(m_messages, QStringList{message});
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QCOMPARE(Status(2), Q(g_texts.prompts.done));
        QCOMPARE(Status(1), status);
        QCOMPARE(List()->topLevelItem(1)->toolTip(6), reason);
        QCOMPARE(List()->topLevelItem(1)->foreground(6).color(), FailedStatusColour());
        QVERIFY(StatusFits(1));
        QVERIFY(List()->GetCheck(1));
        QVERIFY(!List()->GetCheck(0) && !List()->GetCheck(2));
        // The message first, then the folder with the files that are done.
        QCOMPARE(m_order, (QStringList{QStringLiteral("message"), QStringLiteral("open")}));
        QCOMPARE(ReadRotationCw(m_out + "/a.mp4"), 90);
        QCOMPARE(ReadRotationCw(m_out + "/c.mov"), 90);
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4", "c.mov"}));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mkv", "c.avi"}));
        QVERIFY(ReadWholeFile(b) == cutBytes);

        // Done again, the row loses the failure's colour and words.
        fs::remove(b);
        MediaRecipe whole;
        whole.seconds = 3;
        Input("b.mkv", whole);
        List()->SetCheck(0, false);
        List()->SetCheck(2, false);
        m_messages.clear();
        Start();
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(Status(1), Q(g_texts.prompts.done));
        QCOMPARE(List()->topLevelItem(1)->toolTip(6), DoneText(m_out + "/b.mov", {}));
        QVERIFY(!List()->topLevelItem(1)->data(6, Qt::ForegroundRole).isValid());
    }

    // Files of the same name are told apart by their folders, as in the list.
    void severalFailedFilesAreListedInOneMessage()
    {
        fs::create_directories(m_in + "/day one");
        fs::create_directories(m_in + "/day two");
        MediaRecipe vp8;
        vp8.video_codec = "vp8";
        vp8.audio_codec = "";
        const std::string one = CutShortInput("day one/clip.mkv");
        const std::string a = Input("a.mp4");
        const std::string two = Input("day two/clip.mkv", vp8);  // QuickTime takes no VP8
        Add({a, two});
        Start();

        QCOMPARE(m_messages, QStringList{QStringLiteral(
                                 "以下文件没有旋转成功：\n"
                                 "day one/clip.mkv：源文件不完整：在 0:01 处中断，应有 0:03\n"
                                 "day two/clip.mkv：QuickTime格式的文件无法容纳On2 VP8视频")});
        QCOMPARE(Status(0), QStringLiteral("不完整"));
        QCOMPARE(Status(1), Q(g_texts.prompts.done));
        QCOMPARE(Status(2), QStringLiteral("编码不支持"));
        QVERIFY(StatusFits(0) && StatusFits(2));
        QVERIFY(m_opened.isEmpty());  // the last file failed
        // The broken outputs of the failed files are gone; nothing else is.
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4"}));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "day one", "day two"}));
        QCOMPARE(FolderNames(m_in + "/day two"), (std::vector<std::string>{"clip.mkv"}));
    }

    // The last file failing says so in the same message, and, as always
    // after a failed last file, the folder does not open.
    void aFailedLastFileIsNamedAndTheFolderStaysClosed()
    {
        MediaRecipe vp8;
        vp8.video_codec = "vp8";
        vp8.audio_codec = "";
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mkv", vp8);
        Add({a, b});
        Start();

        const QString message = QStringLiteral(
            "文件 b.mkv 没有旋转成功。\n原因：QuickTime格式的文件无法容纳On2 VP8视频");
        QCOMPARE(m_messages, QStringList{message});
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QCOMPARE(Status(1), QStringLiteral("编码不支持"));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mkv"}));
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4"}));
        QCOMPARE(m_order, QStringList{QStringLiteral("message")});

        // Only the failed file is still ticked: nothing is done this time.
        m_messages.clear();
        m_opened.clear();
        Start();
        QCOMPARE(m_messages, QStringList{message});
        QVERIFY(m_opened.isEmpty());
    }

    void workerEndingEarlyEndsTheBatchInTheWindow()
    {
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mp4");
        const std::string c = Input("c.mp4");
        Add({a, b, c});
        WriteBytes(b, "no longer a video");  // cannot be opened: the worker ends there

        Start();

        QVERIFY(!IsProgressUp());
        // The message names the file that ended the batch and the one it
        // kept from its turn.
        QCOMPARE(m_messages, QStringList{QStringLiteral(
                                 "文件 b.mp4 没有旋转成功。\n原因：无法打开源文件：数据已损坏\n\n"
                                 "转换到此结束，以下文件没有旋转：\nc.mp4")});
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QCOMPARE(Status(1), QStringLiteral("已损坏"));
        QCOMPARE(Status(2), Q(g_texts.window.ready));
        QVERIFY(List()->GetCheck(2));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mp4", "c.mp4"}));
        QCOMPARE(ReadWholeFile(b), std::string("no longer a video"));
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4"}));
    }

    void stopKeepsWhatIsDoneAndTheNextStartWorks()
    {
        MediaRecipe longer;
        longer.seconds = 30;
        longer.width = 64;
        longer.height = 48;
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mp4", longer);
        const std::string c = Input("c.mp4");
        Add({a, b, c});
        bool stopped = false;
        m_duringBatch = [&](CAVConvertDlg* progress) {
            if (!stopped && m_dlg->BatchWorkerPosition() >= 1) {
                stopped = true;
                progress->StopButton()->click();
            }
        };
        Start();

        QVERIFY(stopped);
        QVERIFY(!IsProgressUp());
        QVERIFY(!m_dlg->BatchWorkerRunning());  // waited for before anything else starts
        QCOMPARE(m_messages, QStringList());
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QVERIFY(!List()->GetCheck(0));
        QVERIFY(List()->GetCheck(1));
        QVERIFY(List()->GetCheck(2));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mp4", "c.mp4"}));
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4"}));

        Start();
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4", "b.mp4", "c.mp4"}));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mp4", "c.mp4"}));
        QCOMPARE(ReadRotationCw(m_out + "/b.mp4"), 90);
    }

    // A row is marked once, from what the batch settled for its file: a
    // file reported done whose output is gone before it gets its final name
    // is failed, and its row was never shown done nor unticked.
    void aRowIsMarkedOnceFromItsSettledOutcome()
    {
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mp4");
        Add({a, b});
        // Every change the first row goes through.
        QStringList statusesOfRow0;
        bool unticked = false;
        const QMetaObject::Connection watch = connect(
            List(), &QTreeWidget::itemChanged, this, [&](QTreeWidgetItem* item, int column) {
                if (List()->indexOfTopLevelItem(item) != 0)
                    return;
                const QString status = item->text(6);
                if (column == 6 && status != Q(g_texts.window.ready) &&
                    (statusesOfRow0.isEmpty() || statusesOfRow0.back() != status))
                    statusesOfRow0 << status;
                unticked = unticked || !List()->GetCheck(0);
            });
        bool removed = false;
        m_duringBatch = [&](CAVConvertDlg*) {
            if (removed)
                return;
            // No tick may look at the first file until its output is gone.
            m_dlg->PollTimer()->stop();
            if (m_dlg->BatchWorkerPosition() < 1)
                return;
            removed = true;
            QVERIFY(fs::remove(m_out + "/a.mov"));
            m_dlg->PollTimer()->start(300);
        };
        Start();
        disconnect(watch);

        QVERIFY(removed);
        QCOMPARE(statusesOfRow0, QStringList{QStringLiteral("输出已丢失")});
        QVERIFY(!unticked);
        QCOMPARE(List()->topLevelItem(0)->toolTip(6),
                 QStringLiteral("输出文件 %1 不见了").arg(Q(m_out + "/a.mov")));
        QCOMPARE(Status(1), Q(g_texts.prompts.done));
        QVERIFY(!List()->GetCheck(1));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mp4"}));
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"b.mp4"}));
    }

    // Asked to close during a batch (as on SIGTERM), the window stops the
    // batch, gives the inputs their names back and only then closes through
    // its close path; without a batch it closes at once.
    // The batch is built from the rows, not from the cells: an unticked row
    // stays out, and a row removed while the batch runs shifts no outcome
    // onto another row.
    void outcomesFindTheirRowsAfterARowIsRemovedDuringTheBatch()
    {
        const std::string x = Input("x.mp4");
        const std::string a = Input("a.mp4");
        Add({x, a});
        CutShortInput("b.mkv");
        const std::string c = Input("c.mp4");
        Add({c});
        List()->SetCheck(0, false);
        bool removed = false;
        m_duringBatch = [&](CAVConvertDlg*) {
            if (removed)
                return;
            removed = true;
            List()->topLevelItem(0)->setSelected(true);
            m_dlg->DeleteSelectedRow();
        };
        Start();

        QVERIFY(removed);
        QCOMPARE(List()->GetItemCount(), 3);
        QCOMPARE(List()->GetItemText(0, 0), Q(a));
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QCOMPARE(Status(1), QStringLiteral("不完整"));
        QCOMPARE(Status(2), Q(g_texts.prompts.done));
        QVERIFY(!List()->GetCheck(0));
        QVERIFY(List()->GetCheck(1));
        QVERIFY(!List()->GetCheck(2));
        QCOMPARE(ReadRotationCw(m_out + "/c.mp4"), 90);
        QVERIFY(!fs::exists(m_out + "/x.mp4"));
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].contains(QStringLiteral("b.mkv")));
    }

    void aCloseRequestDuringABatchStopsItFirst()
    {
        MediaRecipe longer;
        longer.seconds = 30;
        longer.width = 64;
        longer.height = 48;
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mp4", longer);
        Add({a, b});
        std::vector<std::vector<std::string>> inputsAtClose;
        m_dlg->endProcess = [&] { inputsAtClose.push_back(FolderNames(m_in)); };
        bool requested = false;
        m_duringBatch = [&](CAVConvertDlg*) {
            if (!requested && m_dlg->BatchWorkerPosition() >= 1) {
                requested = true;
                m_dlg->RequestClose();
                QVERIFY(inputsAtClose.empty());
            }
        };
        Start();

        QVERIFY(requested);
        QVERIFY(!IsProgressUp());
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(inputsAtClose, (std::vector<std::vector<std::string>>{{"a.mp4", "b.mp4"}}));
        QCOMPARE(m_messages, QStringList());
        QVERIFY(m_opened.isEmpty());
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4"}));
        // The close path wrote the settings.
        QVERIFY(ReadWholeFile(m_root + "/exe/setting.ini").find("[JOIN]") != std::string::npos);

        m_dlg->show();
        m_dlg->RequestClose();
        QCOMPARE(inputsAtClose.size(), std::size_t(2));
    }

    void progressDialogKeysAndCheckBox()
    {
        const std::string a = Input("a.mp4");
        Add({a});
        bool checked = false;
        m_duringBatch = [&](CAVConvertDlg* progress) {
            if (checked)
                return;
            checked = true;
            QTest::keyClick(progress, Qt::Key_Escape);
            QTest::keyClick(progress->StopButton(), Qt::Key_Return);
            QVERIFY(progress->isVisible());
            QCOMPARE(progress->OpenFolderCheck()->text(), QStringLiteral("完成后打开文件夹"));
            progress->OpenFolderCheck()->click();  // now unticked: no folder at the end
        };
        Start();
        QVERIFY(checked);
        QVERIFY(!m_dlg->m_openFolderWhenDone);
        QVERIFY(m_opened.isEmpty());
        // The end of the batch closes the dialog through its close path,
        // which keeps the box in the settings.
        std::string ini = ReadWholeFile(m_root + "/exe/setting.ini");
        QVERIFY(ini.find("open=0") != std::string::npos);
    }

    void closeBoxSavesTheCheckBoxAndStopDoesNot()
    {
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mp4");
        Add({a, b});
        const std::string ini = m_root + "/exe/setting.ini";
        bool closed = false;
        m_duringBatch = [&](CAVConvertDlg* progress) {
            if (closed)
                return;
            closed = true;
            // Captions come from the language file; [DIR] open is absent.
            QCOMPARE(progress->windowTitle(), Q(g_texts.application.name));
            QCOMPARE(progress->findChild<QLabel*>("fileCaption")->text(),
                     Q(g_texts.window.currentFile));
            QCOMPARE(progress->findChild<QLabel*>("batchCaption")->text(),
                     Q(g_texts.window.overall));
            QCOMPARE(progress->StopButton()->text(), Q(g_texts.window.stop));
            QCOMPARE(progress->StopButton()->toolTip(), Q(g_texts.window.stop));
            QVERIFY(progress->OpenFolderCheck()->isChecked());
            progress->close();
        };
        Start();
        QVERIFY(closed);
        QVERIFY(!IsProgressUp());
        QVERIFY(ReadWholeFile(ini).find("open=1") != std::string::npos);
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mp4"}));
        QVERIFY(m_opened.isEmpty());

        bool stopped = false;
        m_duringBatch = [&](CAVConvertDlg* progress) {
            if (stopped)
                return;
            stopped = true;
            progress->OpenFolderCheck()->click();
            progress->StopButton()->click();
        };
        Start();
        QVERIFY(stopped);
        QVERIFY(!m_dlg->m_openFolderWhenDone);
        QVERIFY(ReadWholeFile(ini).find("open=1") != std::string::npos);
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "b.mp4"}));
    }

    void nameWithoutDotEndsTheStartAndChangesNothing()
    {
        const std::string a = Input("a.mp4");
        const std::string bare = Input("clip");
        Add({a, bare});
        QCOMPARE(List()->GetItemCount(), 2);
        Start();
        QVERIFY(m_dlg->ProgressDialog() == nullptr || !m_dlg->ProgressDialog()->isVisible());
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4", "clip"}));
        QVERIFY(FolderNames(m_out).empty());
    }

    void sameInputTickedTwice()
    {
        const std::string a = Input("a.mp4");
        Add({a, a});
        QCOMPARE(List()->GetItemCount(), 2);
        Start();
        // Read twice under its own name, written twice.
        QCOMPARE(m_fileErrors, QStringList());
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4"}));
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a(0).mp4", "a.mp4"}));
    }

    void aFileDroppedUnderAWorkingNameIsLeftAndTheRowFollowsTheNewName()
    {
        const std::string a = Input("a.mp4");
        const std::string b = Input("b.mp4");
        Add({a, b});
        bool dropped = false;
        m_duringBatch = [&](CAVConvertDlg*) {
            // While the worker waits before the second file, somebody saves
            // a file under the name the batch chose for it.
            if (dropped || m_dlg->BatchWorkerPosition() < 1)
                return;
            dropped = true;
            const int fd = ::open((m_out + "/b.mov").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            QVERIFY2(fd >= 0, "the worker was there first");
            QCOMPARE(::write(fd, "mine", 4), ssize_t(4));
            ::close(fd);
        };
        Start();
        QVERIFY(dropped);
        QCOMPARE(m_fileErrors, QStringList());
        QCOMPARE(Status(1), Q(g_texts.prompts.done));
        QCOMPARE(List()->GetItemText(1, 8), Q(m_out + "/b(0).mov"));
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4", "b.mov", "b.mp4"}));
        QCOMPARE(ReadWholeFile(m_out + "/b.mov"), std::string("mine"));
        QCOMPARE(ReadRotationCw(m_out + "/b.mp4"), 90);
    }

    // The crash record only guards outputs: a batch goes on without it,
    // and no input is touched either way.
    void aJournalThatCannotBeWrittenDoesNotHoldTheBatchUp()
    {
        const std::string a = Input("a.mp4");
        Add({a});
        // Not even the administrator can write a file where a folder is.
        fs::create_directory(m_root + "/exe/pending-names.txt");
        Start();
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4"}));
        QCOMPARE(FolderNames(m_out), (std::vector<std::string>{"a.mp4"}));
    }

    void startUpRemovesTheUnfinishedOutputOfAKilledBatch()
    {
        const std::string a = Input("a.mp4");
        const std::string partial = m_out + "/a.mov";
        const CreatedFile created = CreateAsTheProgramDoes(partial, "cut short");
        QVERIFY(!created.path.empty());
        {
            // What a batch of an earlier version, which renamed its inputs,
            // left when it was killed in the middle of its file: the
            // record of the input's temporary name as that version wrote
            // it, then the output's.
            std::ofstream old(m_root + "/exe/pending-names.txt", std::ios::binary);
            old << "P" << '\0' << a << '\0' << m_in + "/a.mov" << '\0';
            old.close();
            QCOMPARE(::rename(a.c_str(), (m_in + "/a.mov").c_str()), 0);
            NameJournal journal(m_root + "/exe/pending-names.txt");
            QVERIFY(journal.AddOutput(created));
        }
        m_messages.clear();
        m_dlg.reset();
        m_dlg = std::make_unique<CFennexAVConverterDlg>();
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4"}));
        QVERIFY(FolderNames(m_out).empty());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages[0].startsWith(
            QStringLiteral("上次转换没有正常结束，以下文件已恢复原来的名称：\n") + Q(a)));
        QVERIFY(m_messages[0].endsWith(QStringLiteral("\n\n以下未完成的输出文件已删除：\n") +
                                       Q(partial)));
    }

    void startChecksShowTheirMessages()
    {
        Start();
        QCOMPARE(m_messages, QStringList{Q(g_texts.prompts.addVideosFirst)});

        const std::string a = Input("a.mp4");
        Add({a});
        List()->SetCheck(0, false);
        m_messages.clear();
        Start();
        QCOMPARE(m_messages, QStringList{QStringLiteral("请先选中文件!")});

        List()->SetCheck(0, true);
        m_messages.clear();
        Start("");
        QCOMPARE(m_messages, QStringList{Q(g_texts.prompts.folderMissing)});
        QVERIFY(m_questions.isEmpty());
        QCOMPARE(FolderNames(m_in), (std::vector<std::string>{"a.mp4"}));
    }

    void aTypedFolderThatIsMissingIsCreatedOnlyWhenTheUserSaysYes()
    {
        const std::string a = Input("a.mp4");
        Add({a});
        const std::string wanted = m_root + "/new/deeper";

        // No: nothing is made, nothing starts, nothing more is said.
        Start(wanted);
        QCOMPARE(m_questions,
                 QStringList{
                     QStringLiteral("输出文件夹 %1 不存在。要创建这个文件夹吗？").arg(Q(wanted))});
        QVERIFY(!fs::exists(m_root + "/new"));
        QCOMPARE(m_messages, QStringList());
        QVERIFY(!m_dlg->ProgressDialog());
        QCOMPARE(Status(0), Q(g_texts.window.ready));

        // Yes: made with its parent, and the batch goes on into it.
        m_answer = true;
        Start(wanted);
        QCOMPARE(m_questions.size(), 2);
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(FolderNames(wanted), (std::vector<std::string>{"a.mp4"}));
        QCOMPARE(Status(0), Q(g_texts.prompts.done));

        // A relative path is never offered: where it would land is anyone's guess.
        List()->SetCheck(0, true);
        m_messages.clear();
        Start("relative/folder");
        QCOMPARE(m_questions.size(), 2);
        QCOMPARE(m_messages, QStringList{Q(g_texts.prompts.folderMissing)});
    }

    void aFolderThatCannotBeMadeSaysWhy()
    {
        const std::string a = Input("a.mp4");
        Add({a});
        m_answer = true;
        // A plain file stands where a parent folder would go.
        WriteBytes(m_root + "/blocker", "a file, not a folder");
        const std::string wanted = m_root + "/blocker/out";
        Start(wanted);
        QCOMPARE(m_questions.size(), 1);
        QCOMPARE(m_fileErrors.size(), 1);
        QVERIFY(m_fileErrors[0].contains(Q(wanted)));
        QCOMPARE(m_messages, QStringList());
        QCOMPARE(ReadWholeFile(m_root + "/blocker"), std::string("a file, not a folder"));
        QVERIFY(!m_dlg->ProgressDialog());
    }

    void aTypedFolderIsRememberedAsABrowsedOneIs()
    {
        const std::string a = Input("a.mp4");
        Add({a});
        const std::string typed = m_root + "/typed";
        fs::create_directories(typed);
        Start(typed);
        QCOMPARE(Status(0), Q(g_texts.prompts.done));
        QCOMPARE(ReadText(m_root + "/exe/setting.ini", "PATH", "name", ""), typed);
        QComboBox* combo = m_dlg->OutputCombo();
        QCOMPARE(combo->count(), 1);
        QCOMPARE(combo->itemText(0), Q(typed));
        // Once in the list, however often it is used.
        List()->SetCheck(0, true);
        Start(typed);
        QCOMPARE(combo->count(), 1);

        // The next start shows it again.
        m_dlg.reset();
        m_dlg = std::make_unique<CFennexAVConverterDlg>();
        QCOMPARE(m_dlg->OutputCombo()->currentText(), Q(typed));
    }
};

QTEST_MAIN(BatchWindowTest)
#include "BatchWindowTest.moc"
