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

// How many entries the preset list of kind has (1, 13, 12, 20, 4, 7).
int PresetEntryCount(PresetKind kind);

// The caption of entry index of a preset list: the fixed text, or
// sameAsSourceCaption (the language text [JIEMIAN] ywjyy) for the
// same-as-the-source entry at index 0 of size, frame rate and quality;
// empty outside the list.
std::string PresetEntryText(PresetKind kind, int index, const std::string& sameAsSourceCaption);
