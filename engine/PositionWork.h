#pragma once

#include "engine/Failure.h"
#include "engine/FileWriter.h"
#include "engine/LeftOutStream.h"
#include "engine/ProgressSink.h"
#include "files/CreatedFile.h"

#include <ctime>
#include <optional>
#include <string>

struct ConversionJob;

// One position of a batch as a writer sees it: what to read and what is
// asked, and the rules every way of writing shares. Its destructor closes
// the output and removes it when the position failed (or when a writer
// asked for it), only while its name still holds the very file created.
//
// What stays on disk:
//  - done: the complete output, with the input's access and modification
//    times;
//  - cancelled: what the writer leaves (the remux way: the output up to
//    the cancel, closed so that it plays; the caller may remove it by the
//    identity reported in the job record);
//  - failed: nothing; a created output is removed.
class PositionWork
{
public:
    PositionWork(ConversionJob& job, int index);
    ~PositionWork();
    PositionWork(const PositionWork&) = delete;
    PositionWork& operator=(const PositionWork&) = delete;

    int Index() const { return index_; }
    const std::string& InputPath() const;
    int RotationDeg() const;
    double DurationS() const;  // as probed; 0 or less when unknown
    bool CancelRequested() const;
    ProgressSink& Progress() { return progress_; }
    // Runs the job's test hook between two chunks of a copy, if it has one.
    void BetweenChunks();

    // Creates the output exclusively under the position's name, or under
    // the next name the job offers while names are taken (never opening a
    // file that exists, least of all the input), and reports it through the
    // job record before anything is written into it. accessFlags: O_WRONLY
    // or O_RDWR. Returns nothing when the output is open; otherwise the
    // position has failed and the result says how the batch goes on.
    std::optional<FileWriter::Next> CreateOutput(int accessFlags);
    int OutputFd() const { return fd_; }
    const CreatedFile& Output() const { return output_; }

    // Notes a stream of the input that the output does not carry, for the
    // report of a done file.
    void NoteLeftOut(LeftOutStream stream);

    // Stores the failure and status "failed"; the output goes at the end.
    void Fail(Failure failure);
    bool Failed() const { return failed_; }
    // Removes the output at the end even though the position did not fail
    // (a copy cut short by a cancel, which would not play).
    void RemoveOutputAtEnd() { remove_output_ = true; }

    // Gives the output the input's access and modification times, syncs its
    // data to the disk, closes it and, unless a cancel came, stores status
    // "done". A failure of the sync or the close (a full disk that shows
    // only now) fails the position instead.
    // Returns whether the position is done.
    bool Complete();

private:
    // The input's times, taken before anything reads it.
    void RememberInputTimes();
    void CloseOutput();

    ConversionJob& job_;
    const int index_;
    ProgressSink progress_;
    CreatedFile output_;
    int fd_ = -1;
    bool created_ = false;
    bool failed_ = false;
    bool remove_output_ = false;
    timespec input_times_[2]{};  // access, modification
    bool input_times_known_ = false;
};
