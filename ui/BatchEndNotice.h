#pragma once

#include "batch/PollTick.h"
#include "batch/PositionOutcome.h"

#include <QString>
#include <QStringList>
#include <vector>

// A file of a batch that has ended: its input and what became of it.
struct EndedFile {
    QString path;
    PositionOutcome outcome;
};

// What the window does once a batch has ended.
struct BatchEndNotice {
    QString message;          // shown first; empty for none
    bool openFolder = false;  // then the output folder opens
};

// A stopped batch shows nothing and opens nothing. Otherwise, when any
// file failed, one message in the window's language names each failed file
// and its reason, and the files a failure kept from their turn; each file
// shows as many of its folders as tell it from the other paths of
// `listedPaths` (the file list) of the same name. The output folder opens
// when the user asked for it and the batch did not end on a failure
// (failedAtEnd, as the session says: the last file failed or the worker
// ended before it), as it always has, and some file is done: a batch where
// every file failed has nothing to show there.
BatchEndNotice NoticeAtBatchEnd(BatchEnd end, bool failedAtEnd, const std::vector<EndedFile>& files,
                                const QStringList& listedPaths, bool openFolderWhenDone);
