#pragma once

#include "engine/iso/IsoInspection.h"

#include <cstdint>
#include <functional>
#include <string>

struct AVFormatContext;
struct AVIOContext;

// Opening a media file for libavformat so that neither its name nor its
// content decides what the program does or how much it spends:
//  - the name is a path: the file is opened here, as a regular file only,
//    without blocking on a FIFO or a device, and libavformat reads it
//    through an I/O context over that descriptor (a name such as
//    "pipe:0.mkv" or "http:x.mp4" is just a file name);
//  - an MP4, MOV or 3GP file is judged by the box reader first: tables
//    that declare more samples than the file has bytes are refused before
//    the demuxer builds an index entry per declared sample;
//  - the probe reads a bounded amount of data, and a file with more than
//    kMaxInputStreams streams is refused before a decoder is opened.
// Every libav allocation is capped once for the process (SetUpProcess).

inline constexpr unsigned kMaxInputStreams = 100;

// Codes beside FFmpeg's AVERROR values, for what an opening refuses.
inline constexpr int kInputNotRegularFile = -0x46784e52;  // a FIFO, a device, a folder
inline constexpr int kInputTooManyStreams = -0x46785374;  // more than kMaxInputStreams
inline constexpr int kInputSamplesOverclaimed = -0x46784f63;  // tables claim more than the file holds

// Opens path for reading as a regular file: never blocks on a FIFO or a
// device (O_NONBLOCK, cleared once the descriptor is known to be a regular
// file), never makes a terminal the controlling one. Returns the descriptor,
// or -1 with errno set (EINVAL for anything but a regular file).
int OpenRegularInput(const std::string& path);

class BoundedInput
{
public:
    BoundedInput() = default;
    ~BoundedInput();
    BoundedInput(const BoundedInput&) = delete;
    BoundedInput& operator=(const BoundedInput&) = delete;

    // Opens the file and its container (avformat_open_input). Returns 0, or
    // a negative AVERROR value or one of the kInput codes above.
    int Open(const std::string& path);
    // The same, also for a named pipe a program feeds: it is opened without
    // waiting for its writer, and a read waits for data only while
    // `stop()` says false (checked every 100 ms).
    int OpenAlsoPipe(const std::string& path, std::function<bool()> stop);
    // Reads the stream information within the probe's bounds and refuses a
    // file with too many streams. Returns 0 or a negative code as Open.
    int FindStreamInfo();

    AVFormatContext* context() const { return context_; }
    // What the box reader found when Open judged an ISO file (verdict
    // kNotTaken for any other file).
    const IsoInspection& inspection() const { return inspection_; }

    void Close();

private:
    static int ReadPacket(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence);

    int Start(const std::string& path);

    int fd_ = -1;
    bool pipe_ = false;
    bool pipe_fed_ = false;  // the pipe has given data
    std::function<bool()> stop_;
    AVIOContext* io_ = nullptr;
    AVFormatContext* context_ = nullptr;
    IsoInspection inspection_;
};
