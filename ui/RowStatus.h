#pragma once

#include "engine/Failure.h"
#include "engine/LeftOutStream.h"

#include <QMetaType>
#include <string>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// What a row of the file list says in its status column, kept on the row
// so that a change of language words it again.
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
Q_DECLARE_METATYPE(RowStatus)

// Shows status in the row's status column in the current language (its
// words, their tooltip and colour) and keeps it on the row.
void ShowRowStatus(QTreeWidgetItem& item, const RowStatus& status);

// Words the kept status of every row again in the current language; a row
// without one keeps its texts.
void RewordRowStatuses(QTreeWidget& list);
