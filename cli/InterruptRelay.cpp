#include "cli/InterruptRelay.h"

namespace {

std::atomic<std::atomic<bool>*> g_target{nullptr};
static_assert(std::atomic<std::atomic<bool>*>::is_always_lock_free);
static_assert(std::atomic<bool>::is_always_lock_free);

}  // namespace

void SetInterruptTarget(std::atomic<bool>* cancelFlag)
{
    g_target.store(cancelFlag);
}

void RelayInterrupt()
{
    // The flag belongs to a job record that outlives every worker run, so a
    // late store can only ask a finished or the next batch to stop, which
    // the interrupt asks for anyway.
    if (std::atomic<bool>* target = g_target.load())
        target->store(true);
}
