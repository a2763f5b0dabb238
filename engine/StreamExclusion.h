#pragma once

struct AVFormatContext;
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

// Whether the remux way copies stream s of the input packet for packet:
// its kept video and sound. A picture attached to the file (a cover) is
// not copied as a video track when another video is, nor is a PNG one.
bool CopiedStream(const AVFormatContext* input, unsigned s);

// The stream of the input that becomes the output's cover, or -1: of the
// pictures attached to the file (Matroska's image attachments among them)
// that are not copied as video and that a cover can hold (JPEG, PNG, BMP),
// the first whose file name starts with "cover", else the first.
int CoverStream(const AVFormatContext* input);
