#pragma once

#include "engine/Failure.h"

#include <cstdint>
#include <vector>

struct AVCodecParameters;
struct AVFormatContext;
struct AVOutputFormat;
struct AVStream;

// How the output container carries a copied stream, and which container
// the remux way writes.

// The codec tag for the output stream: the input's own tag (hvc1, apcs,
// avc3, XVID ...) when the output format's tag tables give that tag to the
// same codec, or do not list the codec at all; otherwise 0, so that the
// muxer chooses. FFmpeg's command line decides the same way on stream copy.
std::uint32_t OutputCodecTag(const AVOutputFormat* format, const AVCodecParameters* input);

// Why the output format cannot carry this stream of the input (its codec
// parameters and time base) faithfully: step kStreamRefused, or
// kCheckOutputStreams when memory ran out; a failure with step kNone when
// it can. Decided without an output file:
//  - QuickTime writes a codec its tag tables do not list under a Windows
//    fourcc; that reads back only for the codecs on a short list that was
//    tried (Windows Media sound, for one, loses what its decoder needs);
//  - the muxer itself refuses some codecs it lists (VP9 and Opus outside
//    MP4, VP8 everywhere): its set-up is tried on a stream in memory, with
//    the codec tag the copy would give it.
Failure CarriageRefusal(const AVOutputFormat* format, const AVStream* stream);

// The container that carries the streams that must be copied (the video
// and sound of a file):
//  - QuickTime when it holds every one;
//  - otherwise MP4 (ISO base media with MP4 brands), which holds VP9, AV1,
//    Opus, FLAC, Vorbis ... that QuickTime refuses;
//  - otherwise none: the refusal names a stream that neither holds, in
//    QuickTime's words ("QuickTime cannot hold On2 VP8 video"), or, when
//    each holds some but neither all, QuickTime's first refusal.
// The choice looks at the streams only, never at a file name. mp4_first
// tries MP4 before QuickTime (the refusal still speaks QuickTime's words).
struct ContainerChoice {
    const AVOutputFormat* format = nullptr;  // null when refused
    Failure refusal;                         // step kNone when a container was chosen
};
ContainerChoice ChooseContainer(const std::vector<const AVStream*>& streams,
                                bool mp4_first = false);

// Lets the output's muxer write what the check above let through although
// FFmpeg 5.1 still calls it experimental (FLAC in MP4, which reads back and
// decodes sample for sample), and the stereo mode of a stereo 3D video into
// MP4 (FFmpeg writes its st3d box only when unofficial boxes are allowed);
// leaves every other output as strict as it is. Call once the output
// streams and their side data exist.
void AllowCheckedExperiments(AVFormatContext* output);
