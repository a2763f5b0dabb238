#pragma once

#include "engine/Failure.h"

#include <cstdint>

struct AVCodecParameters;
struct AVOutputFormat;
struct AVStream;

// How the output container carries a copied stream.

// The codec tag for the output stream: the input's own tag (hvc1, apcs,
// avc3, XVID ...) when the output format's tag tables give that tag to the
// same codec, or do not list the codec at all; otherwise 0, so that the
// muxer chooses. FFmpeg's command line decides the same way on stream copy.
std::uint32_t OutputCodecTag(const AVOutputFormat* format, const AVCodecParameters* input);

// Why the output format cannot carry this output stream faithfully (step
// kStreamRefused, or kCheckOutputStreams when memory ran out), a failure
// with step kNone when it can. Decided without an output file:
//  - QuickTime writes a codec its tag tables do not list under a Windows
//    fourcc; that reads back only for the codecs on a short list that was
//    tried (Windows Media sound, for one, loses what its decoder needs);
//  - the muxer itself refuses some codecs it lists (VP9 and Opus outside
//    MP4, VP8 everywhere): its set-up is tried on a stream in memory.
Failure CarriageRefusal(const AVOutputFormat* format, const AVStream* output_stream);
