#pragma once

#include <QString>
#include <vector>

struct Failure;
struct LeftOutStream;

// The window's words, from the language file ([SHIBAI] of g_texts), for
// why a file of a batch failed and for what a done file's output lacks.
// Codec and container names are FFmpeg's, and so is the text of an error
// code that has no words of its own; the sentences around them are the
// language file's.

// The whole reason: the step that failed and, where the code tells more,
// its cause ("The output cannot be written: there is no space left on the
// disk", "The input is cut short: it ends at 0:01 of 0:03"). Never empty:
// a step without words says the rotation failed.
QString FailureText(const Failure& failure);

// A few words for the status column: "Disk full", "Cut short",
// "Unsupported". The cause's words when the code has some, else the step's.
QString ShortFailureText(const Failure& failure);

// A stream by its codec and kind: "DVD subtitles", "VP8 video".
QString StreamText(int codecId, int mediaType);

// The note beside a done file whose output left streams out ([TISHI] wbl,
// the streams named once each); empty for none.
QString LeftOutText(const std::vector<LeftOutStream>& streams);

// The tip of a done file's status: its new file's name ([TISHI] xwj), and
// on a line of its own what it left out, if anything.
QString DoneText(const std::string& output, const std::vector<LeftOutStream>& streams);
