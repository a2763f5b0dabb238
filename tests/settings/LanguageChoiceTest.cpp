// The language file the windows use at start (the one setting.ini names,
// else the desktop's), the files offered for a switch, and the README the
// Help link opens in each layout.
#include "settings/LanguageChoice.h"
#include "settings/AppFolders.h"
#include "settings/HelpFile.h"
#include "settings/LanguageTexts.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace {

namespace fs = std::filesystem;

using Vars = std::map<std::string, std::string>;

EnvLookup Env(const Vars& vars)
{
    return [&vars](const char* name) -> const char* {
        const auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    };
}

TEST(LanguageChoice, TheNamedFileElseTheDesktopsLocale)
{
    // The shipped default setting.ini stands for "names none".
    const std::string shippedDefault = std::string(FENNEX_SOURCE_DIR) + "/resources/setting.ini";
    struct Case {
        std::string named;  // "" = the shipped default setting.ini
        Vars env;
        std::string expected;
    };
    const Case cases[] = {
        {"", {{"LANG", "en_US.UTF-8"}}, "english.ini"},
        {"", {{"LANG", "zh_CN.UTF-8"}}, "chinese.ini"},
        {"", {{"LANG", "de_DE.UTF-8"}}, "english.ini"},
        {"", {{"LANG", "C"}}, "english.ini"},
        {"", {{"LANG", "POSIX"}}, "english.ini"},
        {"", {{"LANG", "C.UTF-8"}}, "english.ini"},
        {"", {}, "english.ini"},
        {"", {{"LANG", "zh_TW.Big5"}}, "chinese.ini"},
        {"", {{"LANG", "zh"}}, "chinese.ini"},
        {"", {{"LANG", "zu_ZA.UTF-8"}}, "english.ini"},  // Zulu is not Chinese
        // LC_ALL before LC_MESSAGES before LANG; a set but empty one counts
        // as not set.
        {"", {{"LC_ALL", "zh_CN.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}}, "chinese.ini"},
        {"", {{"LC_MESSAGES", "en_GB.UTF-8"}, {"LANG", "zh_CN.UTF-8"}}, "english.ini"},
        {"", {{"LC_ALL", ""}, {"LC_MESSAGES", ""}, {"LANG", "zh_CN.UTF-8"}}, "chinese.ini"},
        {"", {{"LC_CTYPE", "zh_CN.UTF-8"}, {"LANG", "en_US.UTF-8"}}, "english.ini"},
        // A named file is taken as it is, whatever the desktop speaks.
        {"english.ini", {{"LANG", "zh_CN.UTF-8"}}, "english.ini"},
        {"chinese.ini", {{"LANG", "en_US.UTF-8"}}, "chinese.ini"},
        {"chinese.ini", {{"LANG", "de_DE.UTF-8"}}, "chinese.ini"},
        {"mine.ini", {{"LANG", "C"}}, "mine.ini"},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::string ini = folder.File("setting.ini");
        if (c.named.empty())
            fs::copy_file(shippedDefault, ini, fs::copy_options::overwrite_existing);
        else
            WriteBytes(ini, "; mine\n[LANGUAGE]\nfile=" + c.named + "\n");
        const std::string lang = c.env.count("LANG") ? c.env.at("LANG") : "(none)";
        EXPECT_EQ(LanguageFileInUse(ini, Env(c.env)), c.expected) << c.named << " " << lang;
    }
    // No setting.ini at all.
    EXPECT_EQ(LanguageFileInUse(folder.File("absent.ini"), Env({{"LANG", "zh_CN.UTF-8"}})),
              "chinese.ini");
}

TEST(LanguageChoice, EveryLanguageFileOfTheFolderByItsOwnName)
{
    const auto shipped = AvailableLanguages(FENNEX_LANGUAGES_DIR);
    ASSERT_EQ(shipped.size(), 2u);
    EXPECT_EQ(shipped[0].file, "chinese.ini");
    EXPECT_EQ(shipped[0].name, "简体中文");
    EXPECT_EQ(shipped[1].file, "english.ini");
    EXPECT_EQ(shipped[1].name, "English");

    // A file without a name goes by its file's; what is not an INI file,
    // or not a file, is not offered.
    TempFolder folder;
    WriteBytes(folder.File("Mine.INI"), "[APPLICATION]\nname=Mine\n");
    WriteBytes(folder.File("deutsch.ini"), "[APPLICATION]\nlanguage=Deutsch\n");
    WriteBytes(folder.File("notes.txt"), "");
    WriteBytes(folder.File(".ini"), "");
    fs::create_directory(folder.File("old.ini"));
    const auto found = AvailableLanguages(folder.path());
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].file, "Mine.INI");
    EXPECT_EQ(found[0].name, "Mine");
    EXPECT_EQ(found[1].file, "deutsch.ini");
    EXPECT_EQ(found[1].name, "Deutsch");
    EXPECT_TRUE(AvailableLanguages(folder.File("absent")).empty());
}

// Each text field of LanguageTexts has its key in the catalogue: a text
// added to the structure but not to the catalogue would stay empty.
TEST(LanguageChoice, EveryTextOfTheWindowHasItsKey)
{
    EXPECT_EQ(LanguageCatalogueKeys().size(), sizeof(LanguageTexts) / sizeof(std::string));
}

TEST(HelpFile, TheReadmeOfTheProgramsOwnLayout)
{
    TempFolder root;
    const auto exists = [](const std::string& path) { return fs::is_regular_file(path); };
    const std::string url = "https://example.invalid/manual";
    struct Case {
        const char* what;
        std::string bin;     // the program's folder
        bool portable;       // a writable setting.ini beside it
        std::string readme;  // where the layout puts the README
    };
    const Case cases[] = {
        {"portable", root.File("unpacked"), true, root.File("unpacked/README.md")},
        {"installed", root.File("usr/bin"), false,
         root.File("usr/share/doc/FennexAVConverter/README.md")},
        {"read-only copy without share/", root.File("ro"), false, root.File("ro/README.md")},
    };
    for (const Case& c : cases) {
        fs::create_directories(c.bin);
        if (c.portable || c.what == std::string("read-only copy without share/"))
            WriteBytes(c.bin + "/setting.ini", "");
        else
            fs::create_directories(root.File("usr/share/FennexAVConverter"));
        const AppFolders folders = DecideAppFolders(c.bin, Env({{"HOME", "/home/me"}}),
                                                    [&](const std::string&) { return c.portable; });
        ASSERT_EQ(folders.portable, c.portable) << c.what;
        EXPECT_EQ(ReadmePath(folders), c.readme) << c.what;
        // Without the README the language file's url stands in; without
        // either the link names the README that is missing.
        EXPECT_EQ(HelpTarget(folders, url, exists), url) << c.what;
        EXPECT_EQ(HelpTarget(folders, "", exists), c.readme) << c.what;
        fs::create_directories(fs::path(c.readme).parent_path());
        ASSERT_TRUE(WriteBytes(c.readme, "# README"));
        EXPECT_EQ(HelpTarget(folders, url, exists), c.readme) << c.what;
    }
}

}  // namespace
