#pragma once

#include <array>
#include <string>

// The six encoder-preset indexes carried in setting.ini [JOIN] from one run
// to the next. The rotation batch does not use them.
enum PresetKind {
    kPresetFormat,
    kPresetSize,
    kPresetFrameRate,
    kPresetQuality,
    kPresetSampleRate,
    kPresetAudioQuality,
    kPresetKindCount
};

using PresetIndexes = std::array<int, kPresetKindCount>;

// Reads [JOIN] format, size, framerate, quality, samplerate, audioquality
// (default 0); an index outside its preset list becomes -1.
PresetIndexes ReadPresetIndexes(const std::string& iniPath);

// Writes [JOIN] quality, size, framerate, audioquality, samplerate in that
// order; format is never written.
void WritePresetIndexes(const std::string& iniPath, const PresetIndexes& indexes);
