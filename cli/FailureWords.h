#pragma once

#include <string>
#include <vector>

struct Failure;
struct InputVerdict;
struct LeftOutStream;

// The command line's English words for what went wrong with a file.

// Why a position failed: "cannot write the output: File too large", "no
// space left on the output disk", "the input ends at 0:01 of 0:03".
std::string FailureSentence(const Failure& failure);

// Why an input was not taken: "no video stream", "empty file".
std::string RejectionSentence(const InputVerdict& verdict);

// What a done file's output does not carry, as a note beside "done": "DVD
// subtitles left out: the output container cannot hold them". "" for no
// stream.
std::string LeftOutNote(const std::vector<LeftOutStream>& streams);
