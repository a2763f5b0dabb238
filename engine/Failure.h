#pragma once

#include <string>
#include <utility>

// Why a position of a batch failed, as data: the step that failed, the
// code the system or FFmpeg gave, and what is involved (a path, a codec, a
// time). The window words it in the user's language, the command line in
// English; nothing below them holds a sentence.
struct Failure {
    enum Step {
        kNone,
        kOpenInput,           // code
        kReadStreams,         // code: reading the input's stream information
        kSetUpDecoder,        // code, codec_id
        kOpenDecoder,         // code, codec_id
        kSetUpOutput,         // code: the output's muxer or streams could not be set up
        kCheckOutputStreams,  // code: the trial set-up of a stream ran out of memory
        kStreamRefused,       // container, codec_id, media_type: the container cannot hold it
        kCreateOutputFile,    // code, path
        kOutputNameTaken,     // path: the name and every further one offered were taken
        kOutputIsInput,       // the output's name is the input itself
        kWriteHeader,         // code
        kReadInput,           // code
        kWriteOutput,         // code
        kCompleteOutput,      // code: the trailer, the last bytes or the close
        kCutShort,            // ends_at_s, duration_s, units_read, units_listed
        kOutOfMemory,
        kRotationNotWritten,  // wanted_cw, found_cw: the written file does not show the
                              // rotation asked for
        kOutputDisappeared,   // path: the finished output is no longer there
        kSamplesOverclaimed,  // the input's tables describe more samples than it holds
        kTooManyStreams,      // the input has more streams than any video needs
        kInputChanged,        // the input changed on disk while it was copied
    } step = kNone;

    Failure() = default;
    explicit Failure(Step failedStep, int failureCode = 0, std::string involvedPath = {})
        : step(failedStep), code(failureCode), path(std::move(involvedPath))
    {}

    // AVERROR value: a negated errno, or one of FFmpeg's own codes; 0 when
    // the step has none.
    int code = 0;
    std::string path;

    // kSetUpDecoder, kOpenDecoder, kStreamRefused.
    int codec_id = 0;       // AVCodecID; 0 when unknown
    int media_type = -1;    // AVMediaType of the refused stream
    std::string container;  // the readable name of the output container ("QuickTime")

    // kCutShort: where the input's media stops and how long it should run
    // (0 when unknown); units_read of units_listed pictures (or sound
    // packets, or packets: unit_kind) when a count tells it, else -1.
    double ends_at_s = 0;
    double duration_s = 0;
    long long units_read = -1;
    long long units_listed = -1;
    int unit_kind = -1;  // AVMediaType of the counted stream

    // kRotationNotWritten.
    int wanted_cw = 0;
    int found_cw = 0;

    bool failed() const { return step != kNone; }
};
