#pragma once

// A stream of the input that a done file does not carry (bitmap subtitles
// the output container cannot hold), as data: the window words it in the
// user's language, the command line in English.
struct LeftOutStream {
    int codec_id = 0;     // AVCodecID
    int media_type = -1;  // AVMediaType

    friend bool operator==(const LeftOutStream&, const LeftOutStream&) = default;
};
