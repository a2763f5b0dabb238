#pragma once

#include <atomic>

// Where a writer publishes how far it got with the current file: a share
// of the file's whole (its duration, its size) as a percentage, read by the
// window and the command line while the file is written.
class ProgressSink
{
public:
    explicit ProgressSink(std::atomic<int>& percent) : percent_(percent) {}

    // done of whole, truncated toward zero and at most 100. A share that
    // cannot be worked out (a whole of 0) is published as INT_MIN, which
    // readers ignore.
    void Publish(double done, double whole);

private:
    std::atomic<int>& percent_;
};
