#pragma once

#include "batch/FolderScan.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <thread>

// Runs a FolderScan on a thread of its own for the window, so that the
// window keeps answering while thousands of files are checked. Progress and
// the end arrive as signals on the object's own (the window's) thread.
class FolderAdder : public QObject
{
    Q_OBJECT

public:
    explicit FolderAdder(QObject* parent = nullptr);
    ~FolderAdder() override;  // stops a running scan and waits for it

    // Starts scanning root; false while a scan runs.
    bool Start(const QString& root);
    // Asks a running scan to stop after the file in hand; finished still
    // comes, with what was found so far.
    void Cancel();
    bool Running() const { return m_running; }

signals:
    void progress(const FolderScanProgress& state);
    void finished(const FolderScanResult& result);

private:
    void Join();

    std::thread m_thread;
    std::atomic<bool> m_cancel{false};
    bool m_running = false;
};
