#include "ui/InputChecksAhead.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <utility>

InputChecksAhead::InputChecksAhead(std::vector<std::string> paths, int threads)
    : m_paths(std::move(paths)), m_verdicts(m_paths.size())
{
    const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(std::max(1, threads)),
                                                     m_paths.size());
    for (std::size_t k = 0; k < wanted; ++k)
        m_threads.emplace_back([this] { Work(); });
}

InputChecksAhead::~InputChecksAhead()
{
    m_stopping = true;
    for (std::thread& thread : m_threads)
        thread.join();
}

void InputChecksAhead::Work()
{
    // A little behind the window's own thread, which must keep handling
    // events, and well ahead of the pictures (RowPictures).
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
    for (;;) {
        const std::size_t index = m_next++;
        if (index >= m_paths.size() || m_stopping)
            return;
        InputVerdict verdict = CheckInput(m_paths[index]);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_verdicts[index] = std::move(verdict);
        }
        m_ready.notify_all();
    }
}

std::optional<InputVerdict> InputChecksAhead::Take(std::size_t index,
                                                  std::chrono::steady_clock::time_point deadline)
{
    if (index >= m_verdicts.size())
        return std::nullopt;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_ready.wait_until(lock, deadline, [&] { return m_verdicts[index].has_value(); }))
        return std::nullopt;
    std::optional<InputVerdict> verdict = std::move(m_verdicts[index]);
    m_verdicts[index].reset();
    return verdict;
}
