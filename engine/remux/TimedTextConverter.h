#pragma once

#include <cstdint>
#include <vector>

struct AVCodecContext;
struct AVCodecParameters;
struct AVPacket;
struct AVStream;

// Carries a text subtitle stream (SubRip, ASS/SSA, WebVTT ...) into a
// QuickTime or MP4 file as timed text (mov_text), cue by cue: the text of
// each packet is decoded by libavcodec's subtitle decoder and written again
// by its mov_text encoder. Pictures and sound are not touched; a cue keeps
// its packet's times, the stream its language and title (the caller's).
// What the timed text cannot show of a cue (ASS positions, karaoke,
// drawings) is lost; its words, line breaks, bold, italic, underline,
// colour and size stay.
class TimedTextConverter
{
public:
    TimedTextConverter() = default;
    ~TimedTextConverter();
    TimedTextConverter(const TimedTextConverter&) = delete;
    TimedTextConverter& operator=(const TimedTextConverter&) = delete;

    // Whether a stream of this codec is carried so: a text subtitle codec
    // that has a decoder here, other than timed text itself (copied as it
    // is).
    static bool Converts(const AVStream* input);

    // Sets up the decoder for `input` and the encoder, and fills `output`
    // with the timed text's codec parameters (its sample description); the
    // output stream keeps the input's time base. The picture's size (0 when
    // unknown) scales the text as the input's script meant it. Returns 0 or
    // FFmpeg's error.
    int Open(const AVStream* input, AVCodecParameters* output, int picture_width,
             int picture_height);

    // Replaces the text of one packet of the input stream with timed text;
    // its times stay (a packet without a duration takes the cue's own, a
    // cue that starts after its packet moves the packet's start with it).
    // Returns 1 when the packet now holds a cue to write, 0 when it holds
    // none (no text), or FFmpeg's error for a cue that cannot be read.
    int Convert(AVPacket* packet);

private:
    AVCodecContext* decoder_ = nullptr;
    AVCodecContext* encoder_ = nullptr;
    std::vector<std::uint8_t> buffer_;
};
