#include "cli/CommandLine.h"
#include "cli/InterruptRelay.h"
#include "cli/RotateCli.h"
#include "engine/ProcessSetUp.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Lock-free, so the signal handler may store to it.
std::atomic<bool> g_interrupt{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int)
{
    g_interrupt.store(true);
    RelayInterrupt();
}

void InstallInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // The first Ctrl+C asks for a clean stop; the handler then resets itself,
    // so a second one ends the program at once. A closed terminal (SIGHUP)
    // stops the batch the same way: no partial output stays.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    // A reader that goes away (`fennex-rotate ... | head -1`) must not kill
    // the program halfway through a file; the batch goes on unprinted.
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Set up before anything opens a file; --verbose lets FFmpeg speak.
    SetUpProcess(ParseCommandLine(args).verbose);
    InstallInterruptHandlers();
    return RunRotateCli(args, std::cout, std::cerr, g_interrupt, ::isatty(STDERR_FILENO) == 1);
}
