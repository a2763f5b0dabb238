#pragma once

#include "engine/Failure.h"
#include "engine/FileWriter.h"
#include "engine/LeftOutStream.h"
#include "engine/ProgressSink.h"
#include "files/CreatedFile.h"

#include <ctime>
#include <string>
#include <vector>

struct ConversionJob;
struct JobFile;
struct PositionReport;

// One position of a batch as a writer sees it: what to read and what is
// asked, and the rules every way of writing shares. Its destructor closes
// an output still open. It removes nothing: what becomes of an output that
// did not get done is the session's to decide, by the identity reported in
// the job record. A done output carries the input's access and
// modification times.
class PositionWork
{
public:
    PositionWork(ConversionJob& job, int index);
    ~PositionWork();
    PositionWork(const PositionWork&) = delete;
    PositionWork& operator=(const PositionWork&) = delete;

    int Index() const { return index_; }
    const std::string& InputPath() const;
    int RotationDeg() const;  // the file's own turn, clockwise
    double DurationS() const;  // as probed; 0 or less when unknown
    bool CancelRequested() const;
    ProgressSink& Progress() { return progress_; }
    // Runs the job's test hook between two chunks of a copy, if it has one.
    void BetweenChunks();

    // Creates the output exclusively under the position's name, or under
    // the next name the job offers while names are taken (never opening a
    // file that exists, least of all the input), and reports it through the
    // job record before anything is written into it. accessFlags: O_WRONLY
    // or O_RDWR. Returns why it could not, or a Failure of step kNone.
    Failure CreateOutput(int accessFlags);
    int OutputFd() const { return fd_; }
    const CreatedFile& Output() const { return output_; }

    // The end of a writer that wrote its whole output: gives the output the
    // input's access and modification times, syncs its data to the disk and
    // closes it. Done (with leftOut, and progress at 100) unless the sync or
    // the close fails (a full disk that shows only now) or a cancel came
    // meanwhile.
    WriteResult Finish(std::vector<LeftOutStream> leftOut = {});

private:
    const JobFile& File() const;
    PositionReport& Report();
    // The input's times, taken before anything reads it.
    void RememberInputTimes();
    void CloseOutput();

    ConversionJob& job_;
    const int index_;
    ProgressSink progress_;
    CreatedFile output_;
    int fd_ = -1;
    timespec input_times_[2]{};  // access, modification
    bool input_times_known_ = false;
};
