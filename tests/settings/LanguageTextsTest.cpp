#include "settings/LanguageTexts.h"
#include "settings/ExeFolder.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::string Utf16Le(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

TEST(LanguageTexts, Utf16FileWithMixedCaseNames)
{
    TempFolder folder;
    const std::string file = folder.File("lang.ini");
    // "[application]\nNAME=Rotator\n[Jiemian]\nzt=" + "状态" + "\n" in UTF-16 LE.
    std::string bytes = Utf16Le("[application]\r\nNAME=Rotator\r\n[Jiemian]\r\nzt=");
    bytes += std::string("\xB6\x72\x01\x60", 4);  // U+72B6 U+6001
    bytes += std::string("\r\0\n\0", 4);
    WriteBytes(file, bytes);

    LanguageTexts texts;
    texts.prompts.failed = "stale";
    ReadLanguageTexts(file, texts);
    EXPECT_EQ(texts.application.name, "Rotator");
    EXPECT_EQ(texts.window.statusColumn, "状态");
    EXPECT_EQ(texts.application.version, "");
    EXPECT_EQ(texts.prompts.failed, "");  // a missing key empties an earlier text
}

TEST(LanguageTexts, MissingFileOrEmptyNameGivesEmptyTexts)
{
    TempFolder folder;
    OverrideExeFolder(folder.path());
    fs::create_directory(folder.File("languages"));
    g_languageFile = "";
    // With no name the path is the languages folder itself.
    EXPECT_EQ(LanguageFilePath(), folder.path() + "/languages/");
    g_texts.application.name = "stale";
    ReadLanguageTexts(LanguageFilePath(), g_texts);
    EXPECT_EQ(g_texts.application.name, "");

    g_languageFile = "absent.ini";
    ReadLanguageTexts(LanguageFilePath(), g_texts);
    EXPECT_EQ(g_texts.tips.remove, "");
    OverrideExeFolder("");
    g_languageFile.clear();
}

TEST(LanguageTexts, LongTextsAreCut)
{
    TempFolder folder;
    const std::string file = folder.File("lang.ini");
    WriteBytes(file, "[TISHI]\nhbsb=" + std::string(1200, 'x') + "\n");
    LanguageTexts texts;
    ReadLanguageTexts(file, texts);
    EXPECT_EQ(texts.prompts.lastFileFailed, std::string(999, 'x'));
}

// The files we ship hold a text for every key, and speak of rotating.
class ShippedLanguageFile : public ::testing::TestWithParam<const char*>
{};

TEST_P(ShippedLanguageFile, HoldsEveryKey)
{
    const std::string file = std::string(FENNEX_LANGUAGES_DIR) + "/" + GetParam();
    ASSERT_TRUE(fs::is_regular_file(file)) << file;
    for (const auto& [section, key] : LanguageCatalogueKeys())
        EXPECT_NE(ReadText(file, section, key, ""), "") << "[" << section << "] " << key;

    LanguageTexts texts;
    ReadLanguageTexts(file, texts);
    EXPECT_EQ(texts.application.name, "FennexAVConverter");
    EXPECT_EQ(texts.application.url.rfind("file:///", 0), 0u) << texts.application.url;
    for (const std::string& rotating : {texts.tips.start, texts.prompts.lastFileFailed})
        EXPECT_TRUE(rotating.find("旋转") != std::string::npos ||
                    rotating.find("otat") != std::string::npos)
            << rotating;
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageFile,
                         ::testing::Values("chinese.ini", "english.ini"));

// The build lays out languages/, setting.ini and the README beside the
// programs; the default setting.ini names no language file, so the
// desktop's locale picks one of those there.
TEST(BuildTree, HasLanguagesReadmeAndDefaultSettings)
{
    const std::string bin = FENNEX_BIN_DIR;
    const std::string ini = bin + "/setting.ini";
    if (!fs::exists(ini))
        GTEST_SKIP() << "no program folder in this build";
    EXPECT_EQ(ReadText(std::string(FENNEX_SOURCE_DIR) + "/resources/setting.ini", "LANGUAGE",
                      "file", "none"),
              "");
    for (const char* language : {"chinese.ini", "english.ini"}) {
        const std::string file = bin + "/languages/" + language;
        ASSERT_TRUE(fs::is_regular_file(file)) << file;
        EXPECT_EQ(ReadText(file, "APPLICATION", "name", ""), "FennexAVConverter");
        EXPECT_EQ(ReadText(file, "APPLICATION", "url", ""), "file://" + bin + "/README.md");
    }
    EXPECT_EQ(ReadWholeFile(bin + "/README.md"),
              ReadWholeFile(std::string(FENNEX_SOURCE_DIR) + "/README.md"));
}

}  // namespace
