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
    // The flag belongs to the running batch's record; the runner names it
    // only between the worker's start and its join.
    if (std::atomic<bool>* target = g_target.load())
        target->store(true);
}
