#include "settings/PresetIndexes.h"

#include "settings/IniDocument.h"
#include "settings/IniFile.h"

#include <vector>

namespace {

// An empty entry is the same-as-the-source entry, whose caption is a
// language text.
const std::vector<const char*>& Entries(PresetKind kind)
{
    static const std::vector<const char*> kFormat{"MP4 - (H264 AAC) AVC(*.mp4)"};
    static const std::vector<const char*> kSize{
        "",          "640*480",   "720*480",   "720*576", "960*540",  "1024*768", "1280*720",
        "1920*1080", "2880*1440", "3840*2160", "540*960", "720*1280", "1080*1920"};
    static const std::vector<const char*> kFrameRate{
        "",         "8.0 fps",  "10.0 fps",  "15.0 fps", "20.0 fps", "23.975 fps",
        "24.0 fps", "25.0 fps", "29.97 fps", "30.0 fps", "50.0 fps", "60.0 fps"};
    static const std::vector<const char*> kQuality{
        "",           "500 kbps",   "1000 kbps",  "2000 kbps",  "3000 kbps",
        "4000 kbps",  "5000 kbps",  "6000 kbps",  "8000 kbps",  "12000 kbps",
        "16000 kbps", "20000 kbps", "30000 kbps", "40000 kbps", "50000 kbps",
        "60000 kbps", "70000 kbps", "80000 kbps", "90000 kbps", "100000 kbps"};
    static const std::vector<const char*> kSampleRate{"44100 Hz", "48000 Hz", "22050 Hz",
                                                      "32000 Hz"};
    static const std::vector<const char*> kAudioQuality{
        "64 kbps", "96 kbps", "128 kbps", "160 kbps", "192 kbps", "256 kbps", "320 kbps"};
    static const std::vector<const char*> kNone;
    switch (kind) {
    case kPresetFormat:
        return kFormat;
    case kPresetSize:
        return kSize;
    case kPresetFrameRate:
        return kFrameRate;
    case kPresetQuality:
        return kQuality;
    case kPresetSampleRate:
        return kSampleRate;
    case kPresetAudioQuality:
        return kAudioQuality;
    case kPresetKindCount:
        break;
    }
    return kNone;
}

const char* KeyOf(PresetKind kind)
{
    switch (kind) {
    case kPresetFormat:
        return "format";
    case kPresetSize:
        return "size";
    case kPresetFrameRate:
        return "framerate";
    case kPresetQuality:
        return "quality";
    case kPresetSampleRate:
        return "samplerate";
    case kPresetAudioQuality:
        return "audioquality";
    case kPresetKindCount:
        break;
    }
    return "";
}

constexpr const char* kSection = "JOIN";

}  // namespace

int PresetEntryCount(PresetKind kind)
{
    return static_cast<int>(Entries(kind).size());
}

std::string PresetEntryText(PresetKind kind, int index, const std::string& sameAsSourceCaption)
{
    if (index < 0 || index >= PresetEntryCount(kind))
        return {};
    const std::string text = Entries(kind)[static_cast<std::size_t>(index)];
    return text.empty() ? sameAsSourceCaption : text;
}

PresetIndexes ReadPresetIndexes(const std::string& iniPath)
{
    // One read of the file for all six keys.
    const auto document = IniDocument::Load(iniPath);
    PresetIndexes indexes{};
    for (int k = 0; k < kPresetKindCount; ++k) {
        const auto kind = static_cast<PresetKind>(k);
        const int index = ReadInt(*document, kSection, KeyOf(kind), 0);
        indexes[static_cast<std::size_t>(k)] =
            index >= 0 && index < PresetEntryCount(kind) ? index : -1;
    }
    return indexes;
}

void WritePresetIndexes(const std::string& iniPath, const PresetIndexes& indexes)
{
    std::vector<std::pair<std::string, std::string>> entries;
    for (PresetKind kind :
         {kPresetQuality, kPresetSize, kPresetFrameRate, kPresetAudioQuality, kPresetSampleRate})
        entries.emplace_back(KeyOf(kind), std::to_string(indexes[kind]));
    // One replacement of the file for all five. A failed write is ignored:
    // the next start reads the old values.
    WriteTexts(iniPath, kSection, entries);
}
