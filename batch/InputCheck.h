#pragma once

#include <string>

struct ConversionJob;

// What the check of one input found.
struct InputVerdict {
    bool accepted = false;
    std::string reason;     // why it was rejected; empty when accepted
    double duration_s = 0;  // container duration, the denominator of the progress
};

// Checks one input the way the window's Add-files does: the probe decides,
// after a few plain file-system checks that keep folders, devices and pipes
// away from the demuxer (a pipe would block it). Uses job's probe fields, so
// it must not run while a worker runs.
InputVerdict CheckInput(const std::string& path, ConversionJob& job);

// Readable reason for a negative probe result on path.
std::string ProbeRejectionReason(const std::string& path, int probeResult);
