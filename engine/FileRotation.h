#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "engine/EarliestStart.h"
#include "engine/OutputFile.h"
#include "engine/TimestampShift.h"

struct AVCodecContext;
struct AVFormatContext;
struct AVPacket;
struct ConversionJob;

// One position of a batch: opens the input, creates the output with the
// rotated display matrix, copies every packet of the copied streams and
// completes the file. Everything it opens is released by its destructor.
//
// What stays on disk:
//  - done (status 1): the complete output, with the input's access and
//    modification times;
//  - cancelled (status stays 255): the output as far as it was copied,
//    closed with a trailer, so it plays up to the point of the cancel;
//  - failed (status 2) once the output file was created (header, write,
//    trailer or close failure): nothing, the incomplete output is removed;
//  - failed before that: no output was created.
// The output is always a file the worker created itself: a name that is
// taken is never opened for writing (the job may offer another name), and
// only the created file, while its name still holds it, is ever removed.
// The input is only ever read: an output path that names the input itself
// fails the file before anything is opened for writing.
class FileRotation
{
public:
    enum class Setup {
        kReady,              // header written, go on with CopyAndComplete
        kEndBatch,           // failed; the batch ends here
        kNextFile,           // failed; take the next file
        kNextFileAfterWait,  // failed writing the header; wait, then the next file
    };

    FileRotation(ConversionJob& job, int index);
    ~FileRotation();
    FileRotation(const FileRotation&) = delete;
    FileRotation& operator=(const FileRotation&) = delete;

    // Every failure stores status 2 at the position.
    Setup Prepare();
    // Copies the packets until the input ends or a cancel arrives, writes
    // the trailer, closes the output and stores the position's status.
    void CopyAndComplete();

private:
    // What the copy does with the packets of one input stream, settled at
    // set-up so that the per-packet work is a look-up.
    struct StreamSlot {
        AVCodecContext* decoder = nullptr;
        int output_index = -1;  // -1: the stream is not copied
        int media_type = -1;    // AVMediaType of the copied stream
        bool drives_progress = false;
    };

    // Each returns "" or the reason the file fails.
    std::string OpenDecoders();
    std::string CreateOutputStreams();
    std::string RefusedStream() const;

    int CopyStreamSideData(int input_index, int output_index);
    int CopyContainerMetadata();
    int CopyChapters();
    void AssignProgress();
    // At the first packet, once the muxer has settled the output streams'
    // time bases: gives every output stream the shift of the earliest
    // start (found at set-up, or else taken from that packet).
    void SetShifts();
    // Creates the output file under the position's name, or under the next
    // name the job offers when that one is taken, and reports it.
    Setup CreateOutputFile();
    // Notes the input's access and modification times before it is read.
    void RememberInputTimes();
    void PublishProgress();
    // Rescales, shifts and repairs the timestamps of a packet of a copied
    // stream for the slot's output stream.
    void AdjustPacket(AVPacket* packet, const StreamSlot& slot);
    // Stores status 2 with the reason the user is shown for it.
    void Fail(const std::string& reason);

    ConversionJob& job_;
    const int index_;
    AVFormatContext* input_ = nullptr;
    AVFormatContext* output_ = nullptr;
    AVPacket* packet_ = nullptr;
    OutputFile output_file_;
    bool remove_output_ = false;
    timespec input_times_[2]{};  // access, modification
    bool input_times_known_ = false;
    std::vector<StreamSlot> slots_;         // per input stream
    std::vector<MonotonicDts> output_dts_;  // per output stream
    EarliestStart start_;
    bool shifts_set_ = false;
    std::vector<TimestampShift> shifts_;  // per output stream
    // The output writes QuickTime keys (see ContainerMetadata.h).
    bool writes_keys_ = false;
};
