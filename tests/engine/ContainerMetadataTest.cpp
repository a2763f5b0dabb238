#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/remux/ContainerMetadata.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;

class Dictionary
{
public:
    explicit Dictionary(const Entries& entries = {})
    {
        for (const auto& [key, value] : entries)
            av_dict_set(&dict_, key.c_str(), value.c_str(), 0);
    }
    ~Dictionary() { av_dict_free(&dict_); }
    Dictionary(const Dictionary&) = delete;
    Dictionary& operator=(const Dictionary&) = delete;
    AVDictionary* get() const { return dict_; }
    AVDictionary** address() { return &dict_; }
    Entries entries() const
    {
        Entries all;
        const AVDictionaryEntry* e = nullptr;
        while ((e = av_dict_get(dict_, "", e, AV_DICT_IGNORE_SUFFIX)))
            all.emplace_back(e->key, e->value);
        return all;
    }

private:
    AVDictionary* dict_ = nullptr;
};

// What the MOV demuxer makes of a phone's recording that some tool gave a
// title and a place in the user data too.
const Entries kPhoneInput = {
    {"major_brand", "qt  "},
    {"minor_version", "0"},
    {"compatible_brands", "qt  "},
    {"creation_time", "2023-07-14T16:22:05.000000Z"},
    {"encoder", "Lavf59.27.100"},
    {"com.apple.quicktime.make", "Apple"},
    {"com.apple.quicktime.location.ISO6709", "+48.8577+002.2950+035.000/"},
    {"title", "Lake"},
    {"location", "+48.8577+002.2950/"},
    {"location-eng", "+48.8577+002.2950/"},
    {"make", "Other"},
};

}  // namespace

TEST(ContainerMetadata, KeysGoBackAsKeysWithNothingTheMuxerWouldTurnIntoJunk)
{
    Dictionary input(kPhoneInput);
    ASSERT_TRUE(HasQuickTimeKeys(input.get()));
    Dictionary output;
    ASSERT_EQ(FillContainerMetadata(input.get(), true, output.address()), 0);
    const Entries expected = {
        {"com.apple.quicktime.make", "Apple"},
        {"com.apple.quicktime.location.ISO6709", "+48.8577+002.2950+035.000/"},
        {"com.apple.quicktime.title", "Lake"},
        {"creation_time", "2023-07-14T16:22:05.000000Z"},
    };
    EXPECT_EQ(output.entries(), expected);
    // After the header only the keys remain, also when the muxer added
    // its encoder entry.
    av_dict_set(output.address(), "encoder", "Lavf59.27.100", 0);
    DropHeaderOnlyMetadata(output.address());
    EXPECT_EQ(output.entries(), Entries(expected.begin(), expected.end() - 1));
}

TEST(ContainerMetadata, WithoutKeysEverythingIsCopiedAsBefore)
{
    Dictionary input(
        {{"major_brand", "isom"}, {"title", "Lake"}, {"location", "+48.8577+002.2950/"}});
    EXPECT_FALSE(HasQuickTimeKeys(input.get()));
    Dictionary output;
    ASSERT_EQ(FillContainerMetadata(input.get(), false, output.address()), 0);
    EXPECT_EQ(output.entries(), input.entries());

    // A plain place becomes the key's place when the input has keys but none for it.
    Dictionary keyed(
        {{"com.apple.quicktime.model", "iPhone 12"}, {"location", "+48.8577+002.2950/"}});
    Dictionary mapped;
    ASSERT_EQ(FillContainerMetadata(keyed.get(), true, mapped.address()), 0);
    const Entries expected = {{"com.apple.quicktime.model", "iPhone 12"},
                              {"com.apple.quicktime.location.ISO6709", "+48.8577+002.2950/"}};
    EXPECT_EQ(mapped.entries(), expected);
}

TEST(ContainerMetadata, MatroskaTagsAlsoGetTheNamesTheMuxerWrites)
{
    Dictionary input({{"TITLE", "Holiday"},
                      {"DATE_RELEASED", "2020"},
                      {"DATE_RECORDED", "2019-05-06"},
                      {"RECORDING_LOCATION", "+48.8577+002.2950+035.000/"},
                      {"creation_time", "2019-05-06T10:00:00.000000Z"}});
    Dictionary output;
    ASSERT_EQ(FillContainerMetadata(input.get(), false, output.address()), 0);
    Entries expected = input.entries();
    expected.emplace_back("date", "2019-05-06");
    expected.emplace_back("location", "+48.8577+002.2950+035.000/");
    EXPECT_EQ(output.entries(), expected);

    // The input's own date stays; a country is no place the muxer can write.
    Dictionary dated({{"date", "2018"}, {"DATE_RECORDED", "2019"}, {"RECORDING_LOCATION", "FR"}});
    Dictionary kept;
    ASSERT_EQ(FillContainerMetadata(dated.get(), false, kept.address()), 0);
    EXPECT_EQ(kept.entries(), dated.entries());
}
