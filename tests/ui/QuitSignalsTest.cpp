// SIGTERM, SIGINT and SIGHUP reach the program as a call on its event loop.
#include "ui/QuitSignals.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <gtest/gtest.h>

namespace {

// Handles events until calls reaches want or a second has passed.
void ProcessEventsUntil(const int& calls, int want)
{
    QElapsedTimer timer;
    timer.start();
    while (calls < want && timer.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void (*HandlerOf(int number))(int)
{
    struct sigaction action {};
    sigaction(number, nullptr, &action);
    return action.sa_handler;
}

TEST(QuitSignals, EachSignalAsksOnTheEventLoopAndIgnoredOnesStayIgnored)
{
    std::signal(SIGHUP, SIG_IGN);  // as under nohup
    int calls = 0;
    {
        const QuitSignals quit([&calls] { ++calls; });
        ASSERT_TRUE(quit.Installed());
        EXPECT_EQ(HandlerOf(SIGHUP), SIG_IGN);

        std::raise(SIGTERM);
        EXPECT_EQ(calls, 0);  // never from within the handler
        ProcessEventsUntil(calls, 1);
        EXPECT_EQ(calls, 1);

        // A second signal asks again rather than ending the program.
        std::raise(SIGINT);
        ProcessEventsUntil(calls, 2);
        EXPECT_EQ(calls, 2);
        std::raise(SIGTERM);
        ProcessEventsUntil(calls, 3);
        EXPECT_EQ(calls, 3);
    }
    // Gone, it leaves the actions as it found them.
    EXPECT_EQ(HandlerOf(SIGTERM), SIG_DFL);
    EXPECT_EQ(HandlerOf(SIGINT), SIG_DFL);
    EXPECT_EQ(HandlerOf(SIGHUP), SIG_IGN);
    std::signal(SIGHUP, SIG_DFL);
}

}  // namespace
