#include "settings/IniDocument.h"
#include "settings/IniLineEditor.h"
#include "settings/TextEncoding.h"

#include <gtest/gtest.h>

namespace {

std::string Read(const std::string& text, const std::string& section, const std::string& key)
{
    IniDocument document;
    document.Parse(text);
    return document.Value(section, key).value_or("<missing>");
}

// The writer must change the very line the reader takes, whatever the
// layout; otherwise a write would report success and read back old text.
TEST(IniLayout, WriterEditsTheLineTheReaderReads)
{
    const char* const layouts[] = {
        "[ Sec ]\n  k = old\n",
        "[sec]  trailing words\nk=old",
        "[SEC]\r\n\tK\t=old\r\n",
        "[Other]\nk=not this\n[sec]\nk=old\nk=second\n",
        "[sec]\nx=1\n[other]\n[SEC]\nk=old\n",  // the key lives in the second block
        "[sec\nk=junk\n[sec]\n=nokey\n;k=comment\nk\nk=old\n",
        "[sec]\rk=old\r",
    };
    for (const char* layout : layouts) {
        ASSERT_EQ(Read(layout, "sec", "k"), "old") << layout;
        const auto edited = SetIniValue(layout, "SEC", "k", "new");
        ASSERT_TRUE(edited) << layout;
        EXPECT_EQ(Read(*edited, "sec", "k"), "new") << *edited;
    }
}

TEST(IniLayout, NewKeysGoToTheFirstBlockOfTheirSection)
{
    EXPECT_EQ(*SetIniValue("[a]\nx=1\n\n; about b\n[b]\ny=2\n[a]\nz=3\n", "A", "k", "v"),
              "[a]\nx=1\nk=v\n\n; about b\n[b]\ny=2\n[a]\nz=3\n");
    EXPECT_EQ(*SetIniValue("[a]", "a", "k", "v"), "[a]\nk=v");
    EXPECT_EQ(*SetIniValue("", "a", "k", "v"), "[a]\nk=v\n");
    EXPECT_EQ(*SetIniValue("x=1\r\n", "a", "k", "v"), "x=1\r\n\r\n[a]\r\nk=v\r\n");
}

TEST(IniLayout, TextsWithNulAreNotEdited)
{
    // A UTF-16 file that lost its byte-order mark reads as bytes with NULs.
    EXPECT_FALSE(SetIniValue(std::string("[\0a\0]\0", 6), "a", "k", "v"));
    EXPECT_FALSE(SetIniValue("[a]\n", "a", "k", std::string("v\0w", 3)));
}

TEST(TextEncoding, BrokenUtf16BecomesReplacementCharacters)
{
    // A lone high surrogate, a lone low surrogate, a pair, an odd last byte.
    const std::string le("\xFF\xFE\x00\xD8"
                         "A\x00"
                         "\x00\xDC"
                         "\x3D\xD8\x00\xDE"
                         "B",
                         13);
    const DecodedText decoded = DecodeText(le);
    EXPECT_EQ(decoded.encoding, TextEncoding::kUtf16LeBom);
    EXPECT_EQ(decoded.utf8, "\xEF\xBF\xBD"
                            "A"
                            "\xEF\xBF\xBD"
                            "\xF0\x9F\x98\x80"
                            "\xEF\xBF\xBD");
}

TEST(TextEncoding, RoundTripsEveryEncoding)
{
    const std::string text = "[A]\nk=中文 \xF0\x9F\x98\x80\n";
    for (TextEncoding encoding : {TextEncoding::kUtf8, TextEncoding::kUtf8Bom,
                                  TextEncoding::kUtf16LeBom, TextEncoding::kUtf16BeBom}) {
        const DecodedText decoded = DecodeText(EncodeText(text, encoding));
        EXPECT_EQ(decoded.utf8, text);
        EXPECT_EQ(decoded.encoding, encoding);
    }
    // Invalid UTF-8 cannot go into UTF-16 as it is.
    EXPECT_EQ(DecodeText(EncodeText("a\xFF", TextEncoding::kUtf16LeBom)).utf8, "a\xEF\xBF\xBD");
    EXPECT_EQ(Utf8Prefix("中文字", 2), "中文");
    EXPECT_EQ(Utf8Prefix("ab", 5), "ab");
}

}  // namespace
