#pragma once

#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a call on the thread of the event
// loop, so that a logout, a service manager or `kill` ends the program
// through the window's ordinary close path instead of killing it with
// inputs under temporary names. The handlers only write the signal's number
// into a pipe, which the event loop reads. A signal ignored when the object
// is made (nohup) stays ignored.
//
// One object at a time; it restores the default actions when it goes.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(std::function<void()> onSignal, QObject* parent = nullptr);
    ~QuitSignals() override;
    QuitSignals(const QuitSignals&) = delete;
    QuitSignals& operator=(const QuitSignals&) = delete;

    // False when the pipe could not be made: the default actions stay.
    bool Installed() const { return m_notifier != nullptr; }

private:
    void Drain();

    std::function<void()> m_onSignal;
    int m_readEnd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
