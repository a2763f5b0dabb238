#include "settings/PresetIndexes.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(PresetIndexes, FreshInstallationWritesFiveZeros)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    const PresetIndexes indexes = ReadPresetIndexes(ini);
    for (int index : indexes)
        EXPECT_EQ(index, 0);
    WritePresetIndexes(ini, indexes);
    EXPECT_EQ(ReadWholeFile(ini),
              "[JOIN]\nquality=0\nsize=0\nframerate=0\naudioquality=0\nsamplerate=0\n");
}

TEST(PresetIndexes, OutOfRangeBecomesMinusOneAndFormatIsNeverWritten)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    WriteBytes(ini, "[JOIN]\nformat=3\nsize=12\nframerate=12\nquality=25\n"
                    "samplerate=-1\naudioquality=6\n");
    const PresetIndexes indexes = ReadPresetIndexes(ini);
    EXPECT_EQ(indexes[kPresetFormat], -1);
    EXPECT_EQ(indexes[kPresetSize], 12);       // last of 13
    EXPECT_EQ(indexes[kPresetFrameRate], -1);  // one past 12
    EXPECT_EQ(indexes[kPresetQuality], -1);
    EXPECT_EQ(indexes[kPresetSampleRate], -1);
    EXPECT_EQ(indexes[kPresetAudioQuality], 6);

    PresetIndexes changed = indexes;
    changed[kPresetQuality] = 7;
    WritePresetIndexes(ini, changed);
    EXPECT_EQ(ReadInt(ini, "JOIN", "format", 0), 3);
    EXPECT_EQ(ReadInt(ini, "JOIN", "quality", 0), 7);
    EXPECT_EQ(ReadInt(ini, "JOIN", "framerate", 0), -1);
    EXPECT_EQ(ReadInt(ini, "JOIN", "samplerate", 0), -1);
}

TEST(PresetIndexes, ListsAndSameAsSourceCaption)
{
    const int counts[kPresetKindCount] = {1, 13, 12, 20, 4, 7};
    for (int k = 0; k < kPresetKindCount; ++k)
        EXPECT_EQ(PresetEntryCount(static_cast<PresetKind>(k)), counts[k]);
    EXPECT_EQ(PresetEntryText(kPresetSize, 0, "原始"), "原始");
    EXPECT_EQ(PresetEntryText(kPresetSize, 12, "原始"), "1080*1920");
    EXPECT_EQ(PresetEntryText(kPresetQuality, 19, ""), "100000 kbps");
    EXPECT_EQ(PresetEntryText(kPresetSampleRate, 0, "原始"), "44100 Hz");
    EXPECT_EQ(PresetEntryText(kPresetFormat, 1, "原始"), "");
}

}  // namespace
