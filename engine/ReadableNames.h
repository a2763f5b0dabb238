#pragma once

#include <string>

// Names of FFmpeg's codecs and containers as a reader knows them.

// The readable part of one of FFmpeg's long names: "H.265 / HEVC (High
// Efficiency Video Coding)" gives "H.265", "QuickTime / MOV" "QuickTime".
std::string ReadableName(const char* long_name);

// A codec's readable name ("Windows Media Audio 2"), its short name when it
// has no long one, "" for none or an unknown one.
std::string CodecName(int codec_id);

// FFmpeg's text for an error code ("No space left on device"), in English.
std::string ErrorText(int av_error);
