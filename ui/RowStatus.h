#pragma once

#include "engine/Failure.h"
#include "engine/LeftOutStream.h"

#include <QString>
#include <string>
#include <vector>

class QTreeWidgetItem;
struct PositionOutcome;

// What a row of the file list says in its status column; the window's
// rows (FileRows) keep what it comes from, so that a change of language
// words it again.
struct RowStatus {
    enum Kind {
        kReady,
        kDone,
        kFailed
    } kind = kReady;
    Failure failure;                     // why a failed row failed
    std::vector<LeftOutStream> leftOut;  // what a done row's output lacks
    std::string output;                  // a done row's new file
};

// The status of a row whose last settled outcome is outcome: ready while
// there is none (kPending), done, or failed.
RowStatus RowStatusOf(const PositionOutcome& outcome);

// The words of the status column for status, in the current language.
QString RowStatusText(const RowStatus& status);

// Shows status in the row's status column in the current language: its
// words, their tooltip and colour.
void ShowRowStatus(QTreeWidgetItem& item, const RowStatus& status);
