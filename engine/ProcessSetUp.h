#pragma once

#include <cstddef>

// The cap on any single allocation of FFmpeg's libraries.
inline constexpr std::size_t kMaxLibavAllocation = std::size_t{256} << 20;

// What both programs set first thing, before anything opens a file: how
// the C library hands out memory for the demuxer's and muxer's index
// arrays, the cap on any one allocation of FFmpeg's libraries, and how
// much of FFmpeg's own logging reaches standard error. Our own messages
// say why a file fails; FFmpeg's ("moov atom not found", stream layouts)
// show only when verbose is asked for.
void SetUpProcess(bool verbose);
