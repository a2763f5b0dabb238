// The batch members of the main dialog: starting a batch, polling the
// worker every 300 ms, finishing the batch whichever way it ended, and
// giving a killed batch's inputs their names back at start-up.
#include "ui/CFennexAVConverterDlg.h"

#include "batch/BatchPlan.h"
#include "batch/BatchSession.h"
#include "batch/FileNames.h"
#include "batch/JournalPlace.h"
#include "batch/NameJournal.h"
#include "controls/CCheckListCtrl.h"
#include "controls/CLabel.h"
#include "engine/ConversionJob.h"
#include "settings/LanguageTexts.h"
#include "ui/CAVConvertDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FileErrorText.h"
#include "ui/FileListColumns.h"
#include "ui/FolderChoices.h"
#include "ui/ProgressTexts.h"

#include <QApplication>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidgetItem>
#include <cstdlib>
#include <memory>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// The program waits half a second before each file. Tests that drive the
// real window shorten it with FENNEX_PRE_FILE_WAIT_MS, read once.
int PreFileWaitMs()
{
    static const int wait = [] {
        const char* text = std::getenv("FENNEX_PRE_FILE_WAIT_MS");
        if (!text || !*text)
            return 500;
        const int value = std::atoi(text);
        return value < 0 ? 500 : value;
    }();
    return wait;
}

QString RefusalText(StartRefusal refusal)
{
    switch (refusal) {
    case StartRefusal::kNoRows:
        return Q(g_texts.tishi.qxtjsp);
    case StartRefusal::kNothingTicked:
        return Q(g_texts.tishi.qxxzwj);
    case StartRefusal::kTooManyTicked:
        return Q(g_texts.tishi.zdcl).arg(kMaxJobFiles);
    case StartRefusal::kFolderMissing:
        return Q(g_texts.tishi.mlbcz);
    case StartRefusal::kFolderNotWritable:
        return Q(g_texts.tishi.mlbkx);
    case StartRefusal::kNotEnoughSpace:
        return Q(g_texts.tishi.kjbz);
    case StartRefusal::kFolderIsRoot:
    case StartRefusal::kNone:
        break;
    }
    return QString();
}

}  // namespace

// What the batch code keeps between the start, the ticks and the end. A
// child of the main dialog, so it goes with it.
class CFennexAVConverterDlg::CBatchState : public QObject
{
public:
    explicit CBatchState(QObject* parent) : QObject(parent) {}

    // The journal for the next batch: the one in use while it still lists
    // something, else one in the place the folders allow now.
    NameJournal& JournalForNextBatch()
    {
        session.reset();  // it uses the journal; its worker has ended
        if (!journal || (journal->Pending().empty() && journal->PendingOutputs().empty()))
            journal = std::make_unique<NameJournal>(JournalPath());
        return *journal;
    }

    std::unique_ptr<NameJournal> journal;
    std::unique_ptr<BatchSession> session;  // the last batch; goes before the journal it uses
    bool inTick = false;
};

CFennexAVConverterDlg::CBatchState& CFennexAVConverterDlg::Batch()
{
    if (!m_batch)
        m_batch = new CBatchState(this);
    return *m_batch;
}

void CFennexAVConverterDlg::RequestCancel()
{
    if (m_batch && m_batch->session)
        m_batch->session->Cancel();
    else
        ConversionJob::Instance().cancel_requested = true;
}

void CFennexAVConverterDlg::WaitForWorker()
{
    if (!m_batch || !m_batch->session)
        return;
    const bool running = m_batch->session->WorkerRunning();
    if (running)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    m_batch->session->Join();
    if (running)
        QApplication::restoreOverrideCursor();
}

void CFennexAVConverterDlg::StopBatchWorker()
{
    if (m_batch && m_batch->session) {
        m_batch->session->Cancel();
        m_batch->session->Join();
    }
}

QTimer* CFennexAVConverterDlg::Timer1() const
{
    return m_timer1;
}

CAVConvertDlg* CFennexAVConverterDlg::ProgressDialog() const
{
    return m_progressDlg;
}

void CFennexAVConverterDlg::OnStart()
{
    // A worker still finishing a stopped batch would go on with the new
    // batch's positions beside the new worker.
    WaitForWorker();
    DoDataExchange(true);

    CCheckListCtrl* list = FileList();
    const int rowCount = list->GetItemCount();
    std::vector<TickedRow> ticked;
    for (int row = 0; row < rowCount; ++row) {
        if (list->GetCheck(row)) {
            ticked.push_back({row, list->GetItemText(row, kColumnPath).toStdString(),
                              list->GetItemText(row, kColumnDuration).toStdString()});
        }
    }

    const std::string folder = m_outputFolder.toStdString();
    StartRefusal refusal = CheckBatchStart(rowCount, ticked, folder);
    if (refusal == StartRefusal::kFolderMissing && MayOfferToCreateFolder(m_outputFolder)) {
        // Declined, or it could not be made (said so): nothing more to say.
        if (!OfferToCreateFolder(m_outputFolder))
            return;
        refusal = CheckBatchStart(rowCount, ticked, folder);
    }
    if (refusal != StartRefusal::kNone) {
        const QString text = RefusalText(refusal);
        if (!text.isEmpty())
            Desktop().showMessage(this, text);
        return;
    }
    KeepTypedFolder(m_outputFolder);

    m_selectedRows.assign(kMaxJobFiles, -1);
    for (std::size_t k = 0; k < ticked.size(); ++k)
        m_selectedRows[k] = ticked[k].row;

    CBatchState& batch = Batch();
    NameJournal& journal = batch.JournalForNextBatch();
    const PreparedBatch prepared = PrepareBatch(ticked, folder, DefaultBatchFileOps(&journal));
    for (const BatchFile& file : prepared.files) {
        list->SetItemText(file.row, kColumnSource, Q(file.source));
        list->SetItemText(file.row, kColumnOutput, Q(file.output));
    }
    if (!prepared.Complete()) {
        // The inputs already moved have their names back; a file name
        // without a '.' ends the start without a word, as it always has.
        if (prepared.stop == PreparedBatch::Stop::kRenameFailed)
            Desktop().showFileError(this, Q(prepared.failedPath), prepared.error);
        if (prepared.stop == PreparedBatch::Stop::kJournalFailed) {
            Desktop().showMessage(
                this,
                Q(g_texts.tishi.wfjl).arg(FileErrorText(Q(prepared.failedPath), prepared.error)));
        }
        for (const auto& [path, error] : prepared.rollbackFailures)
            Desktop().showFileError(this, Q(path), error);
        return;
    }

    // With no rotation button chosen the last batch's rotation stays.
    int rotation = ConversionJob::Instance().rotation_deg;
    if (Rotate90Radio()->isChecked())
        rotation = 90;
    else if (Rotate180Radio()->isChecked())
        rotation = 180;
    else if (Rotate270Radio()->isChecked())
        rotation = 270;

    batch.session = std::make_unique<BatchSession>(ConversionJob::Instance(), &journal);
    batch.session->Start(prepared.files, rotation, PreFileWaitMs());

    if (!m_timer1) {
        m_timer1 = new QTimer(this);
        connect(m_timer1, &QTimer::timeout, this, &CFennexAVConverterDlg::OnTimer);
    }
    m_timer1->start(300);

    if (!m_progressDlg)
        m_progressDlg = new CAVConvertDlg(this);
    m_progressDlg->m_owner = this;
    if (!m_progressDlg->isVisible())
        m_progressDlg->DoModal();

    // The dialog has ended: the last tick closed it, or the user stopped.
    m_timer1->stop();
    WaitForWorker();
    FinishBatch();
}

void CFennexAVConverterDlg::OnTimer()
{
    CBatchState& batch = Batch();
    // A file-error box runs its own event loop; its ticks wait for it.
    if (batch.inTick || !m_progressDlg || !batch.session)
        return;
    batch.inTick = true;

    const SessionPoll poll = batch.session->Poll();
    const TickResult& tick = poll.tick;
    CCheckListCtrl* list = FileList();

    if (tick.updateFileLabel) {
        const QString path = tick.pathPosition >= 0
                                 ? list->GetItemText(m_selectedRows[tick.pathPosition], kColumnPath)
                                 : QString();
        m_progressDlg->m_fileText->setText(
            Q(FileLabelText(path.toStdString(), tick.percent, g_texts.tishi.wjwc)));
    }
    m_progressDlg->m_batchText->setText(Q(BatchLabelText(tick.labelDoneCount, poll.job.total,
                                                         g_texts.tishi.wjwczg, g_texts.tishi.wj1)));
    m_progressDlg->m_batchProgress->setValue(tick.batchPercent);
    if (tick.updateFileBar)
        m_progressDlg->m_fileProgress->setValue(tick.percent);

    // Every tick while a file is in work reports the one before it as done;
    // its row is finished off on the first of those ticks only (FinishBatch
    // goes over every done row again at the end).
    const bool newlyDone = tick.donePosition >= 0 && tick.doneCount != tick.labelDoneCount;
    for (const auto& [position, name] : poll.outputNames)
        list->SetItemText(m_selectedRows[position], kColumnOutput, Q(name));
    for (int position : tick.failedPositions)
        MarkRow(m_selectedRows[position], false,
                poll.job.reason[static_cast<std::size_t>(position)]);
    if (newlyDone) {
        MarkRow(m_selectedRows[tick.donePosition], true, std::string());
        list->SetCheck(m_selectedRows[tick.donePosition], false);
    }
    ShowFileErrors(poll.errors);

    if (tick.CloseDialog()) {
        m_timer1->stop();
        m_progressDlg->OnClose();
    }
    batch.inTick = false;
}

// The status cell of a done or failed row; a failed one says why in its
// tooltip (elsewhere the list shows its own).
void CFennexAVConverterDlg::MarkRow(int row, bool done, const std::string& reason)
{
    CCheckListCtrl* list = FileList();
    const QString text = Q(done ? g_texts.tishi.wc : g_texts.tishi.sb);
    if (list->GetItemText(row, kColumnStatus) != text)
        list->SetItemText(row, kColumnStatus, text);
    if (QTreeWidgetItem* item = list->topLevelItem(row))
        item->setToolTip(kColumnStatus, done ? QString() : Q(reason));
}

void CFennexAVConverterDlg::ShowFileErrors(const std::vector<FileError>& errors)
{
    for (const FileError& error : errors)
        Desktop().showFileError(this, Q(error.path), error.error);
}

void CFennexAVConverterDlg::FinishBatch()
{
    BatchSession& session = *Batch().session;
    const SessionEnd end = session.Conclude();

    CCheckListCtrl* list = FileList();
    for (const auto& [position, name] : end.outputNames)
        list->SetItemText(m_selectedRows[position], kColumnOutput, Q(name));
    for (int i = 0; i < session.FileCount(); ++i) {
        const int row = m_selectedRows[i];
        if (row < 0 || row >= list->GetItemCount())
            continue;
        const PositionOutcome& outcome = session.Outcome(i);
        switch (outcome.kind) {
        case PositionOutcome::kDone:
            MarkRow(row, true, std::string());
            list->SetCheck(row, false);
            break;
        case PositionOutcome::kFailed:
            MarkRow(row, false, outcome.reason);
            break;
        default:
            break;
        }
    }
    ShowFileErrors(end.errors);

    if (end.end == BatchEnd::kCancelled)
        return;  // stopped: no message, no folder
    if (end.failedAtEnd)
        Desktop().showMessage(this, Q(g_texts.tishi.hbsb));
    else if (m_openFolderWhenDone)
        Desktop().openWithDefaultHandler(m_outputFolder);
}

void CFennexAVConverterDlg::RecoverInterruptedBatch()
{
    std::vector<std::string> removed;
    const std::vector<RestoredName> found = RecoverAllJournals(&removed);
    QStringList lines;
    for (const RestoredName& entry : found) {
        if (entry.error != 0) {
            Desktop().showFileError(this, Q(entry.temporaryName), entry.error);
        } else if (entry.restoredTo == entry.ownName) {
            lines << Q(entry.ownName);
        } else {
            lines << Q(g_texts.tishi.mcbzy).arg(Q(entry.ownName), Q(entry.restoredTo));
        }
    }
    QStringList outputs;
    for (const std::string& path : removed)
        outputs << Q(path);
    QString text;
    if (!lines.isEmpty())
        text = Q(g_texts.tishi.hfmc) + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
    if (!outputs.isEmpty()) {
        text += text.isEmpty()
                    ? Q(g_texts.tishi.scwwc) + QLatin1Char('\n')
                    : QStringLiteral("\n\n") + Q(g_texts.tishi.yscwwc) + QLatin1Char('\n');
        text += outputs.join(QLatin1Char('\n'));
    }
    if (!text.isEmpty())
        Desktop().showMessage(this, text);

    // Test-only: FENNEX_TEST_START_FILES (paths, one a line) and
    // FENNEX_TEST_OUTPUT_FOLDER make a freshly started program add those
    // files and press Start, so that a test can kill it in mid-batch.
    const QString files = qEnvironmentVariable("FENNEX_TEST_START_FILES");
    if (!files.isEmpty()) {
        const QString output = qEnvironmentVariable("FENNEX_TEST_OUTPUT_FOLDER");
        QTimer::singleShot(0, this, [this, files, output] {
            AddDroppedFiles(files.split(QLatin1Char('\n'), Qt::SkipEmptyParts));
            m_outputFolder = output;
            DoDataExchange(false);
            OnStart();
        });
    }
}
