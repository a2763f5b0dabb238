#include "engine/remux/ContainerMetadata.h"

#include <cstring>
#include <string>

extern "C" {
#include <libavutil/dict.h>
}

namespace {

constexpr const char* kKeyPrefix = "com.apple.quicktime.";

// Plain names that a QuickTime key says the same as.
struct PlainName {
    const char* plain;
    const char* key;
};
constexpr PlainName kPlainNames[] = {
    {"title", "com.apple.quicktime.title"},
    {"artist", "com.apple.quicktime.artist"},
    {"author", "com.apple.quicktime.author"},
    {"album", "com.apple.quicktime.album"},
    {"comment", "com.apple.quicktime.comment"},
    {"description", "com.apple.quicktime.description"},
    {"genre", "com.apple.quicktime.genre"},
    {"copyright", "com.apple.quicktime.copyright"},
    {"keywords", "com.apple.quicktime.keywords"},
    {"make", "com.apple.quicktime.make"},
    {"model", "com.apple.quicktime.model"},
    {"location", "com.apple.quicktime.location.ISO6709"},
};

bool IsKey(const char* name)
{
    return std::strchr(name, '.') != nullptr;
}

// Tags of other containers (Matroska's names) that the muxer knows under a
// plain name, in the order they are looked for.
struct Counterpart {
    const char* tag;
    const char* plain;
    bool coordinates;  // taken only when written as ISO 6709 coordinates
};
constexpr Counterpart kCounterparts[] = {
    {"DATE_RECORDED", "date", false},
    {"DATE_RELEASED", "date", false},
    {"RECORDING_LOCATION", "location", true},
};

// "+48.8577+002.2950/", "+48.8577+002.2950+035.000/": a signed latitude
// and longitude, an optional signed height, a closing slash.
bool IsIso6709(const char* text)
{
    int numbers = 0;
    const char* p = text;
    while (*p == '+' || *p == '-') {
        ++p;
        const char* digits = p;
        while ((*p >= '0' && *p <= '9') || *p == '.')
            ++p;
        if (p == digits)
            return false;
        ++numbers;
    }
    const bool ends = *p == '\0' || (*p == '/' && p[1] == '\0');
    return (numbers == 2 || numbers == 3) && ends;
}

int AddCounterparts(const AVDictionary* input, AVDictionary** output)
{
    for (const Counterpart& c : kCounterparts) {
        // The plain name, in any case, given by the input or found earlier.
        if (av_dict_get(*output, c.plain, nullptr, 0))
            continue;
        const AVDictionaryEntry* tag = av_dict_get(input, c.tag, nullptr, 0);
        if (!tag || (c.coordinates && !IsIso6709(tag->value)))
            continue;
        if (const int ret = av_dict_set(output, c.plain, tag->value, 0); ret < 0)
            return ret;
    }
    return 0;
}

}  // namespace

bool HasQuickTimeKeys(const AVDictionary* input)
{
    return av_dict_get(input, kKeyPrefix, nullptr, AV_DICT_IGNORE_SUFFIX) != nullptr;
}

int FillContainerMetadata(const AVDictionary* input, bool with_keys, AVDictionary** output)
{
    if (!with_keys) {
        if (const int ret = av_dict_copy(output, input, 0); ret < 0)
            return ret;
        return AddCounterparts(input, output);
    }
    const AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(input, "", entry, AV_DICT_IGNORE_SUFFIX))) {
        if (!IsKey(entry->key))
            continue;
        if (const int ret = av_dict_set(output, entry->key, entry->value, 0); ret < 0)
            return ret;
    }
    for (const PlainName& name : kPlainNames) {
        const AVDictionaryEntry* plain =
            av_dict_get(input, name.plain, nullptr, AV_DICT_MATCH_CASE);
        if (!plain || av_dict_get(*output, name.key, nullptr, AV_DICT_MATCH_CASE))
            continue;
        if (const int ret = av_dict_set(output, name.key, plain->value, 0); ret < 0)
            return ret;
    }
    if (const AVDictionaryEntry* created =
            av_dict_get(input, "creation_time", nullptr, AV_DICT_MATCH_CASE))
        return av_dict_set(output, created->key, created->value, 0);
    return 0;
}

void DropHeaderOnlyMetadata(AVDictionary** output)
{
    av_dict_set(output, "creation_time", nullptr, AV_DICT_MATCH_CASE);
    av_dict_set(output, "encoder", nullptr, AV_DICT_MATCH_CASE);
}
