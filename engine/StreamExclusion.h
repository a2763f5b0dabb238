#pragma once

struct AVStream;

// Which streams of an input the rotation leaves out, for the probe and the
// worker alike.
enum class StreamExclusion {
    kKept,
    kNotMedia,  // PNG or DVD navigation stream, or subtitles: never looked at as
                // video or sound (the remux way carries subtitles apart)
    kCoverArt,  // an MJPEG stream in a file of three or more streams
};

StreamExclusion ExclusionOf(const AVStream* stream, unsigned streamCount);
