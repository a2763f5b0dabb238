#include "cli/CommandLine.h"
#include "cli/InterruptRelay.h"
#include "cli/RotateCli.h"

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <csignal>
#include <iostream>
#include <malloc.h>
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
    // so a second one ends the program at once.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that goes away (`fennex-rotate ... | head -1`) must not kill
    // the program halfway through a file; the batch goes on unprinted.
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    // The log level has to be set before anything opens a file.
    const bool verbose = ParseCommandLine(args).verbose;
    // The MOV demuxer and muxer grow one index entry per packet. With
    // glibc's sliding mmap threshold those arrays end up on the heap after
    // the probe has freed its own, and fragment it: a two-hour file then
    // peaked at 125 MB instead of 90. Large blocks are mapped on their own;
    // the packets, well below 1 MB, stay on the heap, which is trimmed
    // rarely enough not to refault them.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 16 << 20);
    // FFmpeg's stream layouts are noise on a terminal unless asked for.
    av_log_set_level(verbose ? AV_LOG_INFO : AV_LOG_ERROR);
    InstallInterruptHandlers();
    return RunRotateCli(args, std::cout, std::cerr, g_interrupt, ::isatty(STDERR_FILENO) == 1);
}
