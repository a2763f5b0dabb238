// The batch members of the main dialog: starting a batch from the ticked
// rows, following it through its SessionSignals, finishing it whichever way
// it ended, and giving a killed batch's inputs their names back at start-up.
#include "ui/CFennexAVConverterDlg.h"

#include "batch/BatchPlan.h"
#include "batch/BatchSession.h"
#include "batch/FileNames.h"
#include "batch/JournalPlace.h"
#include "batch/NameJournal.h"
#include "controls/CCheckListCtrl.h"
#include "settings/LanguageTexts.h"
#include "ui/BatchEndNotice.h"
#include "ui/CAVConvertDlg.h"
#include "ui/DesktopHooks.h"
#include "ui/FailureText.h"
#include "ui/FolderChoices.h"
#include "ui/SessionSignals.h"
#include "ui/StatusColumn.h"

#include <QApplication>
#include <QRadioButton>
#include <QTimer>
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
        return Q(g_texts.prompts.addVideosFirst);
    case StartRefusal::kNothingTicked:
        return Q(g_texts.prompts.tickFilesFirst);
    case StartRefusal::kFolderMissing:
        return Q(g_texts.prompts.folderMissing);
    case StartRefusal::kFolderNotWritable:
        return Q(g_texts.prompts.folderNotWritable);
    case StartRefusal::kNotEnoughSpace:
        return Q(g_texts.prompts.notEnoughSpace);
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
        if (!journal || journal->PendingOutputs().empty())
            journal = std::make_unique<NameJournal>(JournalPath());
        return *journal;
    }

    std::unique_ptr<NameJournal> journal;
    std::unique_ptr<BatchSession> session;  // the last batch; goes before the journal it uses
    int lastTurn = 0;                       // the rotation group's turn the last batch ran with
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

QTimer* CFennexAVConverterDlg::PollTimer() const
{
    return m_sessionSignals ? m_sessionSignals->PollTimer() : nullptr;
}

CAVConvertDlg* CFennexAVConverterDlg::ProgressDialog() const
{
    return m_progressDlg;
}

bool CFennexAVConverterDlg::BatchWorkerRunning() const
{
    return m_batch && m_batch->session && m_batch->session->WorkerRunning();
}

int CFennexAVConverterDlg::BatchWorkerPosition() const
{
    return m_batch && m_batch->session ? m_batch->session->WorkerPosition() : -1;
}

void CFennexAVConverterDlg::OnStart()
{
    // A worker still finishing a stopped batch would go on with the new
    // batch's positions beside the new worker.
    WaitForWorker();
    DoDataExchange(true);

    const int groupTurn = ChosenTurn();
    const BatchRows chosen = m_rows.Ticked(groupTurn);
    if (!MayStart(chosen))
        return;
    KeepTypedFolder(m_outputFolder);

    PreparedBatch prepared;
    if (!Prepare(chosen, prepared))
        return;

    CBatchState& batch = Batch();
    batch.lastTurn = groupTurn;
    batch.session = std::make_unique<BatchSession>(&batch.JournalForNextBatch());
    batch.session->Start(prepared.files, preFileWaitMs);
    batch.running = true;

    RunProgressDialog();

    // The dialog has ended: the last poll closed it, or the user stopped.
    m_sessionSignals->Stop();
    WaitForWorker();
    FinishBatch();
    batch.running = false;
    if (batch.closeRequested) {
        batch.closeRequested = false;
        close();
    }
}

int CFennexAVConverterDlg::ChosenTurn() const
{
    if (Rotate90Radio()->isChecked())
        return 90;
    if (Rotate180Radio()->isChecked())
        return 180;
    if (Rotate270Radio()->isChecked())
        return 270;
    // With no rotation button chosen the last batch's rotation stays.
    return m_batch ? m_batch->lastTurn : 0;
}

// The start checks; a folder typed in that does not exist may be created
// first. False, after saying why where there is something to say, when
// the batch is not to start.
bool CFennexAVConverterDlg::MayStart(const BatchRows& chosen)
{
    const std::string folder = m_outputFolder.toStdString();
    StartRefusal refusal = CheckBatchStart(m_rows.Count(), chosen.rows, folder);
    if (refusal == StartRefusal::kFolderMissing && MayOfferToCreateFolder(m_outputFolder)) {
        // Declined, or it could not be made (said so): nothing more to say.
        if (!OfferToCreateFolder(m_outputFolder))
            return false;
        refusal = CheckBatchStart(m_rows.Count(), chosen.rows, folder);
    }
    if (refusal == StartRefusal::kNone)
        return true;
    const QString text = RefusalText(refusal);
    if (!text.isEmpty())
        Desktop().showMessage(this, text);
    return false;
}

// Names the batch's outputs, gives each file its row's turn and shows the
// names in their rows; false when a file name has no '.', which ends the
// start without a word, as it always has. Inputs are read under their own
// names; nothing on disk changes.
bool CFennexAVConverterDlg::Prepare(const BatchRows& chosen, PreparedBatch& prepared)
{
    prepared = PrepareBatch(chosen.rows, m_outputFolder.toStdString());
    // The files come in the order of the rows they were made from.
    for (std::size_t k = 0; k < prepared.files.size(); ++k) {
        BatchFile& file = prepared.files[k];
        file.turnDeg = chosen.turns[k];
        const int index = m_rows.IndexOf(file.row);
        m_rows.SetOutput(index, file.output);
        ShowRow(index);
    }
    return prepared.Complete();
}

// Shows the progress dialog until the batch ends or the user stops it; the
// session's signals drive both the dialog and the rows meanwhile.
void CFennexAVConverterDlg::RunProgressDialog()
{
    if (!m_progressDlg) {
        m_progressDlg = new CAVConvertDlg(this);
        m_sessionSignals = new SessionSignals(this);
        connect(m_sessionSignals, &SessionSignals::progressed, m_progressDlg,
                &CAVConvertDlg::ShowProgress);
        connect(m_sessionSignals, &SessionSignals::positionsSettled, this,
                &CFennexAVConverterDlg::ShowSettled);
        connect(m_sessionSignals, &SessionSignals::batchEnded, m_progressDlg,
                &CAVConvertDlg::OnClose);
        connect(m_progressDlg, &CAVConvertDlg::stopRequested, this, [this] {
            RequestCancel();
            m_sessionSignals->Stop();
        });
        connect(m_progressDlg, &CAVConvertDlg::openFolderWhenDoneChanged, this,
                [this](bool open) { m_openFolderWhenDone = open; });
    }
    m_sessionSignals->Watch(Batch().session.get());
    if (!m_progressDlg->isVisible())
        m_progressDlg->DoModal();
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

void CFennexAVConverterDlg::ShowSettled(const SessionPoll& poll)
{
    ShowOutputNames(poll.outputNames);
    MarkSettledRows(poll.settled);
    ShowFileErrors(poll.errors);
}

void CFennexAVConverterDlg::ShowOutputNames(const std::vector<std::pair<int, std::string>>& names)
{
    const BatchSession& session = *Batch().session;
    for (const auto& [position, name] : names) {
        const int index = m_rows.IndexOf(session.File(position).row);
        m_rows.SetOutput(index, name);
        if (index >= 0)
            ShowRow(index);
    }
}

// Marks the rows of positions the session has just settled, each once and
// from its settled outcome: a done row says so, names its new file and
// what that file left out in the tooltip of its status, and is unticked; a
// failed one shows a few words of why in its status, in the failure
// colour, and the whole reason in the tooltip (elsewhere the list shows its
// own); a stopped or unreached row keeps its status and its tick. A row
// removed meanwhile is passed by.
void CFennexAVConverterDlg::MarkSettledRows(const std::vector<int>& positions)
{
    const BatchSession& session = *Batch().session;
    bool marked = false;
    for (int position : positions) {
        if (SettleRow(m_rows.IndexOf(session.File(position).row), session.Outcome(position)))
            marked = true;
    }
    if (marked)
        FitStatusColumn();
}

bool CFennexAVConverterDlg::SettleRow(int index, const PositionOutcome& outcome)
{
    if (!m_rows.Settle(index, outcome))
        return false;
    ShowRow(index);
    return true;
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

    ShowOutputNames(end.outputNames);
    MarkSettledRows(end.settled);
    ShowFileErrors(end.errors);

    // Stopped: no message, no folder. Otherwise one message for every file
    // that failed, then the output folder.
    std::vector<EndedFile> files;
    for (int position = 0; position < session.FileCount(); ++position)
        files.push_back({Q(session.File(position).input), session.Outcome(position)});
    QStringList listed;
    for (int index = 0; index < m_rows.Count(); ++index)
        listed << Q(m_rows.At(index).path);
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
        text =
            Q(g_texts.prompts.namesGivenBack) + QLatin1Char('\n') + lines.join(QLatin1Char('\n'));
    if (!outputs.isEmpty()) {
        text += text.isEmpty()
                    ? Q(g_texts.prompts.unfinishedOutputsRemoved) + QLatin1Char('\n')
                    : QStringLiteral("\n\n") + Q(g_texts.prompts.alsoUnfinishedOutputsRemoved) +
                          QLatin1Char('\n');
        text += outputs.join(QLatin1Char('\n'));
    }
    if (!text.isEmpty())
        Desktop().showMessage(this, text);
}
