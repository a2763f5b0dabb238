#pragma once

#include "engine/AvioOverFd.h"
#include "engine/BoundedInput.h"
#include "engine/remux/EarliestStart.h"
#include "engine/remux/LeadingEditList.h"
#include "engine/Failure.h"
#include "engine/FileWriter.h"
#include "engine/remux/TimedTextConverter.h"
#include "engine/remux/TimestampShift.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVCodecParameters;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

// The way for every file that is not rewritten byte for byte: libavformat
// reads the input and its QuickTime or MP4 muxer writes the copied streams
// into a new file, with the rotated display matrix, without decoding any
// picture or sound. The container is the one that holds the video and
// sound (QuickTime first, see ChooseContainer), whatever the output's name
// says. Text subtitles go along as timed text; bitmap subtitles that the
// container cannot hold are left out and noted. A cancelled file's output
// stops where the cancel found it.
//
// Every step returns a Failure; one of step kNone means it went well.
class RemuxWriter : public FileWriter
{
public:
    RemuxWriter() = default;
    ~RemuxWriter() override;
    RemuxWriter(const RemuxWriter&) = delete;
    RemuxWriter& operator=(const RemuxWriter&) = delete;

    WriteResult Write(PositionWork& work) override;

private:
    // What the copy does with the packets of one input stream, settled at
    // set-up so that the per-packet work is a look-up.
    struct StreamSlot {
        AVCodecContext* decoder = nullptr;
        int output_index = -1;  // -1: the stream is not copied
        int media_type = -1;    // AVMediaType of the copied stream
        // Text subtitles: what turns their cues into timed text.
        std::unique_ptr<TimedTextConverter> timed_text;
        bool drives_progress = false;
        // The picture that becomes the output's cover: its one packet is
        // written as it is, at time 0.
        bool cover = false;
        // Sound: where the next frame's samples start, in samples
        // (av_rescale_delta's state); INT64_MIN before the first.
        std::int64_t next_sample = INT64_MIN;
    };

    // Opens the input and checks its decoders.
    Failure OpenInput();
    // Sets up the output, creates its file and writes its header.
    Failure PrepareOutput();
    // Copies the packets until the input ends or a cancel arrives.
    Failure CopyPackets();
    // Writes the packet in hand into its output stream, or skips it.
    Failure CopyPacket();
    // Writes the trailer and the last bytes.
    Failure CompleteOutput();

    Failure OpenDecoders();
    Failure CreateOutputStreams();
    Failure CreateCopiedStream(unsigned s);
    // Creates the output stream of subtitle stream s when the output can
    // carry it, or notes it as left out.
    Failure CreateSubtitleStream(unsigned s);
    int OpenTimedText(unsigned s, AVCodecParameters* par);
    // Creates the output's cover from the input's stream cover_stream_,
    // if the container holds one.
    Failure CreateCoverStream(int output_index);

    // Reads the first packets until every copied video stream's earliest
    // presentation time is settled (see LeadingPictures), or a bound is
    // reached, and offers those times to the earliest start. The packets
    // are copied first.
    void ReadAhead();
    // The next packet of the input into packet_: a packet read ahead, then
    // the input's. Returns av_read_frame's result.
    int NextPacket();

    Failure CopyStreamSideData(int input_index, int output_index);
    Failure CopyContainerMetadata();
    Failure CopyChapters();
    void AssignProgress();
    // At the first packet, once the muxer has settled the output streams'
    // time bases: gives every output stream the shift of the earliest
    // start (found at set-up, or else taken from that packet).
    void SetShifts();
    void PublishProgress();
    // Rescales, shifts and repairs the timestamps of a packet of a copied
    // stream for the slot's output stream. False: a cue that is over before
    // the output starts, not to be written.
    bool AdjustPacket(AVPacket* packet, StreamSlot& slot);
    // AdjustPacket's steps: from the input's time base to the output's,
    // then the shift of the output's start and the repairs.
    void RescaleTimes(AVPacket* packet, StreamSlot& slot, const AVStream* in, const AVStream* out);
    bool ShiftTimes(AVPacket* packet, StreamSlot& slot, const AVStream* out);

    PositionWork* work_ = nullptr;
    std::vector<LeftOutStream> left_out_;  // the input's streams the output does not carry
    BoundedInput source_;
    AVFormatContext* input_ = nullptr;  // source_'s
    AVFormatContext* output_ = nullptr;
    AVPacket* packet_ = nullptr;
    AvioOverFd io_;
    std::vector<StreamSlot> slots_;         // per input stream
    std::vector<MonotonicDts> output_dts_;  // per output stream
    EarliestStart start_;
    bool shifts_set_ = false;
    std::vector<TimestampShift> shifts_;  // per output stream
    std::deque<AVPacket*> ahead_;         // packets read ahead, in file order
    int ahead_end_ = 0;  // the read that ended the read-ahead, if it failed or ended the input
    // Per output stream: where a video track starts, for its edit list
    // (timescale 0 until its first packet).
    std::vector<LeadingTrack> track_starts_;
    // The input's stream that becomes the output's cover, or -1.
    int cover_stream_ = -1;
    // The output writes QuickTime keys (see ContainerMetadata.h).
    bool writes_keys_ = false;
    // Where the copy is, in seconds of the output's timeline.
    double video_position_s_ = 0.0;
    double audio_position_s_ = 0.0;
};
