#include "ui/QuitSignals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe, read by the handler: lock-free, so that the
// handler may load it.
std::atomic<int> g_writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

void OnQuitSignal(int number)
{
    const int saved = errno;
    const int fd = g_writeEnd.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(number);
        // A full pipe already holds a request that the loop has yet to read.
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = saved;
}

// What each signal did before; restored when the object goes.
struct sigaction g_previous[std::size(kSignals)];

}  // namespace

QuitSignals::QuitSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = ends[0];
    g_writeEnd.store(ends[1]);
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::Drain);
    // Every signal asks again: senders such as timeout(1) send one to the
    // process and one to its group. SA_RESTART: the other threads' system
    // calls go on as if nothing had come.
    struct sigaction action {};
    action.sa_handler = OnQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
        sigaction(kSignals[i], nullptr, &g_previous[i]);
        // A signal ignored from the start (nohup) stays ignored.
        if (g_previous[i].sa_handler != SIG_IGN)
            sigaction(kSignals[i], &action, nullptr);
    }
}

QuitSignals::~QuitSignals()
{
    if (!m_notifier)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &g_previous[i], nullptr);
    const int writeEnd = g_writeEnd.exchange(-1);
    ::close(writeEnd);
    ::close(m_readEnd);
}

void QuitSignals::Drain()
{
    unsigned char bytes[16];
    bool any = false;
    while (::read(m_readEnd, bytes, sizeof bytes) > 0)
        any = true;
    if (any && m_onSignal)
        m_onSignal();
}
