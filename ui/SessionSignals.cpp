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
    emit progressed(view);
    emit positionsSettled(poll);

    if (tick.CloseDialog()) {
        m_timer->stop();
        emit batchEnded();
    }
    m_inPoll = false;
}
