#pragma once

class PositionWork;

// One way of writing a position's output. The worker picks one per file at
// set-up (see RotationWorker); each writes through the PositionWork it is
// given, which holds everything the ways share: the input's path and
// times, the creation of the output, progress, the cancel, failure and the
// "done" ending.
class FileWriter
{
public:
    // How the batch goes on after the file.
    enum class Next {
        kNextFile,
        kNextFileAfterWait,  // wait as before a file, then the next one
        kEndBatch,           // a failure that ends the batch
    };

    virtual ~FileWriter() = default;

    // Writes the output, or fails the position with a reason. The position's
    // status is stored before this returns.
    virtual Next Write(PositionWork& work) = 0;
};
