#pragma once

#include "batch/BatchSession.h"

#include <QObject>
#include <QString>

class QTimer;

// What the progress dialog shows after one poll of a batch.
struct ProgressView {
    bool updateFileLine = false;  // the file line shows path and filePercent
    QString path;                 // the input in work; empty before the first
    int filePercent = 0;
    bool updateFileBar = false;  // filePercent is one to show on the file's bar
    int doneCount = 0;           // finished files shown now
    int total = 0;               // files in the batch
    int batchPercent = 0;
};

// Polls a running batch session at a steady pace and tells what each poll
// found as signals: the progress to show, the positions just settled (with
// the output names and failed moves the poll found), and the end of the
// batch. The window marks its rows from them and the progress dialog
// paints its bars and lines from them; neither reaches into the other.
// A file found done shows at 100 on its bar before the next one shows.
class SessionSignals : public QObject
{
    Q_OBJECT

public:
    explicit SessionSignals(QObject* parent = nullptr);

    // Starts polling session every intervalMs until the batch ends or Stop.
    void Watch(BatchSession* session, int intervalMs = 300);
    void Stop();
    // The timer that paces the polls (tests hold polls back with it).
    QTimer* PollTimer() const { return m_timer; }

    // One poll. A poll that comes while the listeners of the last one are
    // still busy (a message box runs its own event loop) is skipped.
    void Poll();

signals:
    void progressed(const ProgressView& view);
    void positionsSettled(const SessionPoll& poll);
    void batchEnded();

private:
    BatchSession* m_session = nullptr;
    QTimer* m_timer = nullptr;
    bool m_inPoll = false;
};
