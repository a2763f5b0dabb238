#pragma once

// What of the input a done file does not carry, as data: a stream (bitmap
// subtitles the output container cannot hold, a cover picture), or what
// the container cannot say about a stream it carries (the stereo 3D mode
// of a video). The window words it in the user's language, the command
// line in English.
struct LeftOutStream {
    enum What {
        kStream,      // the whole stream
        kStereoMode,  // the video is kept, shown flat
    };
    int codec_id = 0;     // AVCodecID
    int media_type = -1;  // AVMediaType
    What what = kStream;

    friend bool operator==(const LeftOutStream&, const LeftOutStream&) = default;
};
