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
#include "ui/BatchEndNotice.h"
#include "ui/CAVConvertDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FailureText.h"
#include "ui/FileErrorText.h"
#include "ui/FileListColumns.h"
#include "ui/FolderChoices.h"
#include "ui/ProgressTexts.h"
#include "ui/RowStatus.h"
#include "ui/StatusColumn.h"

#include <QApplication>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidgetItem>
#include <memory>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
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
    bool running = false;         // from the session's start until the batch is finished off
    bool closeRequested = false;  // the window closes once the running batch has ended
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
    batch.session->Start(prepared.files, rotation, preFileWaitMs);
    batch.running = true;

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
    batch.running = false;
    if (batch.closeRequested) {
        batch.closeRequested = false;
        close();
    }
}

void CFennexAVConverterDlg::RequestClose()
{
    if (!m_batch || !m_batch->running) {
        close();
        return;
    }
    m_batch->closeRequested = true;
    if (m_progressDlg && m_progressDlg->isVisible())
        m_progressDlg->OnStop();
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

    for (const auto& [position, name] : poll.outputNames)
        list->SetItemText(m_selectedRows[position], kColumnOutput, Q(name));
    MarkSettledRows(poll.settled);
    ShowFileErrors(poll.errors);

    if (tick.CloseDialog()) {
        m_timer1->stop();
        m_progressDlg->OnClose();
    }
    batch.inTick = false;
}

// Marks the rows of positions the session has just settled, each once and
// from its settled outcome: a done row says so, names its new file and
// what that file left out in the tooltip of its status, and is unticked; a failed one shows a few
// words of why in its status, in the failure colour, and the whole reason
// in the tooltip (elsewhere the list shows its own); a stopped or unreached
// row keeps its status and its tick.
void CFennexAVConverterDlg::MarkSettledRows(const std::vector<int>& positions)
{
    const BatchSession& session = *Batch().session;
    CCheckListCtrl* list = FileList();
    bool marked = false;
    for (int position : positions) {
        const int row = m_selectedRows[static_cast<std::size_t>(position)];
        QTreeWidgetItem* item = list->topLevelItem(row);
        const PositionOutcome& outcome = session.Outcome(position);
        if (!item ||
            (outcome.kind != PositionOutcome::kDone && outcome.kind != PositionOutcome::kFailed))
            continue;
        const bool done = outcome.kind == PositionOutcome::kDone;
        ShowRowStatus(*item, done ? RowStatus{RowStatus::kDone, {}, outcome.leftOut, outcome.output}
                                  : RowStatus{RowStatus::kFailed, outcome.failure, {}, {}});
        if (done)
            list->SetCheck(row, false);
        marked = true;
    }
    if (marked)
        FitStatusColumn();
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
    MarkSettledRows(end.settled);
    ShowFileErrors(end.errors);

    // Stopped: no message, no folder. Otherwise one message for every file
    // that failed, then the output folder.
    std::vector<EndedFile> files;
    for (int position = 0; position < session.FileCount(); ++position)
        files.push_back({Q(session.File(position).input), session.Outcome(position)});
    QStringList listed;
    for (int row = 0; row < list->GetItemCount(); ++row)
        listed << list->GetItemText(row, kColumnPath);
    const BatchEndNotice notice =
        NoticeAtBatchEnd(end.end, end.failedAtEnd, files, listed, m_openFolderWhenDone);
    if (!notice.message.isEmpty())
        Desktop().showMessage(this, notice.message);
    if (notice.openFolder)
        Desktop().openWithDefaultHandler(m_outputFolder);
}

void CFennexAVConverterDlg::RecoverInterruptedBatch()
{
    std::vector<std::string> removed;
    const std::vector<RestoredName> found = RecoverAllJournals(&removed);
    QStringList lines;
    for (const RestoredName& entry : found) {
        if (entry.error != 0)
            Desktop().showFileError(this, Q(entry.temporaryName), entry.error);
        else
            lines << Q(entry.ownName);
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
}
