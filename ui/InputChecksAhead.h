#pragma once

#include "batch/InputCheck.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Checks a list of inputs (CheckInput) on a few background threads, ahead
// of the window that takes the verdicts one by one, in the list's order.
// The window's thread then only appends rows and keeps handling events
// while the files are probed.
class InputChecksAhead
{
public:
    explicit InputChecksAhead(std::vector<std::string> paths, int threads = 2);
    // Lets the checks in hand finish, skips the rest, and waits for the threads.
    ~InputChecksAhead();

    InputChecksAhead(const InputChecksAhead&) = delete;
    InputChecksAhead& operator=(const InputChecksAhead&) = delete;

    std::size_t Count() const { return m_paths.size(); }
    // The verdict of input index, waiting for it until deadline at most;
    // none when it is not there by then. Each verdict is taken once.
    std::optional<InputVerdict> Take(std::size_t index,
                                     std::chrono::steady_clock::time_point deadline);

private:
    void Work();

    const std::vector<std::string> m_paths;
    std::atomic<std::size_t> m_next{0};
    std::atomic<bool> m_stopping{false};
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::vector<std::optional<InputVerdict>> m_verdicts;
    std::vector<std::thread> m_threads;
};
