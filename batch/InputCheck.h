#pragma once

#include "engine/ProbeMedia.h"

#include <string>

// What the check of one input found.
struct InputVerdict {
    enum Rejection {
        kAccepted,
        kCannotOpen,       // error: the errno of stat or open
        kFolder,           // a folder, not a file
        kNotRegularFile,   // a device, a pipe, a socket
        kEmpty,            // a file of no bytes
        kNoVideo,          // a media file without a video stream
        kNotMedia,         // nothing the demuxers can read
        kNoStreamInfo,     // its stream information cannot be read
        kOutOfMemory,
        kDecoderFailed,    // error: FFmpeg's code for a decoder that would not open
        kSamplesOverclaimed,  // its tables describe more samples than the file holds
        kTooManyStreams,      // more streams than any video needs
    } rejection = kAccepted;
    int error = 0;
    double duration_s = 0;  // container duration, the denominator of the progress
    MediaProbe facts;       // what the probe found (all zero when it did not run)

    bool accepted() const { return rejection == kAccepted; }
};

// Checks one input the way the window's Add-files does: the probe decides,
// after a few plain file-system checks that keep folders, devices and pipes
// away from the demuxer (a pipe would block it). Shares nothing with a
// batch, so it may run while one runs.
InputVerdict CheckInput(const std::string& path);
