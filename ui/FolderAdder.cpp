#include "ui/FolderAdder.h"

#include <QMetaObject>
#include <chrono>
#include <memory>

namespace {

// Progress reports closer together than this are not passed on: the label
// cannot show them faster than it repaints.
constexpr auto kReportGap = std::chrono::milliseconds(50);

}  // namespace

FolderAdder::FolderAdder(QObject* parent) : QObject(parent) {}

FolderAdder::~FolderAdder()
{
    m_cancel = true;
    Join();
}

bool FolderAdder::Start(const QString& root)
{
    if (m_running)
        return false;
    Join();
    m_cancel = false;
    m_running = true;
    m_thread = std::thread([this, root = root.toStdString()] {
        auto last = std::chrono::steady_clock::now() - kReportGap;
        auto result = std::make_shared<FolderScanResult>(FolderScan().Scan(
            root, &m_cancel, [&](const FolderScanProgress& state) {
                const auto now = std::chrono::steady_clock::now();
                if (now - last < kReportGap)
                    return;
                last = now;
                QMetaObject::invokeMethod(
                    this, [this, state] { emit progress(state); }, Qt::QueuedConnection);
            }));
        // Posted to this object: dropped with it when the window goes first.
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                Join();
                m_running = false;
                emit finished(*result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void FolderAdder::Cancel()
{
    m_cancel = true;
}

void FolderAdder::Join()
{
    if (m_thread.joinable())
        m_thread.join();
}
