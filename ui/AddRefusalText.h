#pragma once

#include "batch/InputCheck.h"

#include <QString>
#include <vector>

// A file the Add dialog or a drop could not add, and why (the input
// check's verdict).
struct RefusedFile {
    QString path;
    InputVerdict verdict;
};

// Why a file was refused, in the current language ([YUANYIN] of g_texts).
QString RefusalReasonText(const InputVerdict& verdict);

// The one message for the files refused in one adding, in the current
// language: for one file, the sentence naming it and its reason below; for
// several, a heading and a line per file. Files of the same name show as
// many of their folders as tell them apart. Empty when none was refused.
QString RefusedFilesMessage(const std::vector<RefusedFile>& refused);
