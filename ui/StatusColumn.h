#pragma once

#include "controls/PathElide.h"

#include <QColor>
#include <QStringList>

// The status column of the file list.

// The words a row's status shows before anything fails, in the window's
// language: ready, done and failed ([JIEMIAN] zb, [TISHI] wc and sb).
QStringList StatusWords();

// The width a list column needs to show each of texts whole: the widest
// of them by `width` plus `margins` (the room the cell keeps beside its
// text), never less than `minimum`.
int FittingColumnWidth(const QStringList& texts, const TextWidth& width, int margins, int minimum);

// The colour of a failed row's status words.
QColor FailedStatusColour();
