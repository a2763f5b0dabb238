#pragma once

#include <string>

// The words a failed file is reported with: the step that failed and
// FFmpeg's text for the error ("cannot write the output: File too large"),
// or plain words where those say more.

// FFmpeg's text for an error code ("No space left on device").
std::string ErrorText(int av_error);

// "<step>: <FFmpeg's text>".
std::string StepFailure(const std::string& step, int av_error);

// A step that writes the output; a full disk is said as such.
std::string OutputFailure(const std::string& step, int av_error);

// A step that reads the input; data the demuxer cannot make sense of is
// called damage.
std::string InputFailure(const std::string& step, int av_error);

// The readable part of one of FFmpeg's long names: "H.265 / HEVC (High
// Efficiency Video Coding)" gives "H.265", "QuickTime / MOV" "QuickTime".
std::string ReadableName(const char* long_name);

// A codec's readable name ("Windows Media Audio 2"), its short name when it
// has no long one, "an unknown codec" for none.
std::string CodecName(int codec_id);
