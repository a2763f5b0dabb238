#include "ui/SessionSignals.h"

#include <QTimer>

SessionSignals::SessionSignals(QObject* parent) : QObject(parent), m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, &SessionSignals::Poll);
}

void SessionSignals::Watch(BatchSession* session, int intervalMs)
{
    m_session = session;
    m_timer->start(intervalMs);
}

void SessionSignals::Stop()
{
    m_timer->stop();
}

void SessionSignals::Poll()
{
    if (m_inPoll || !m_session)
        return;
    m_inPoll = true;
    const SessionPoll poll = m_session->Poll();
    const TickResult& tick = poll.tick;

    ProgressView view;
    view.updateFileLine = tick.updateFileLabel;
    if (tick.updateFileLabel && tick.pathPosition >= 0)
        view.path = QString::fromStdString(m_session->File(tick.pathPosition).input);
    view.filePercent = tick.percent;
    view.updateFileBar = tick.updateFileBar;
    view.doneCount = tick.labelDoneCount;
    view.total = poll.job.total;
    view.batchPercent = tick.batchPercent;

    // A file the worker finished between two polls still ends at 100 on
    // its bar: the poll that finds it done shows it full (and the batch's
    // share with it), and the file after it shows from the next poll on.
    int doneNow = -1;
    for (const int position : poll.settled) {
        if (m_session->Outcome(position).kind == PositionOutcome::kDone)
            doneNow = position;
    }
    if (doneNow >= 0) {
        view.updateFileLine = true;
        view.path = QString::fromStdString(m_session->File(doneNow).input);
        view.filePercent = 100;
        view.updateFileBar = true;
        view.doneCount = tick.doneCount;
        view.batchPercent = view.total > 0 ? tick.doneCount * 100 / view.total : 0;
    }
    emit progressed(view);
    emit positionsSettled(poll);

    if (tick.CloseDialog()) {
        m_timer->stop();
        emit batchEnded();
    }
    m_inPoll = false;
}
