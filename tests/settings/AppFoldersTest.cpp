#include "settings/AppFolders.h"
#include "settings/ExeFolder.h"
#include "settings/UserSettings.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// A program folder <root>/bin with, when asked, <root>/share/FennexAVConverter.
struct Layout {
    TempFolder root;
    std::string bin = root.File("bin");
    std::string share = root.File("share/FennexAVConverter");
    std::map<std::string, std::string> vars{{"HOME", "/home/me"}};

    Layout() { fs::create_directories(bin); }

    AppFolders Decide(bool binWritable = true) const
    {
        const auto env = [this](const char* name) -> const char* {
            const auto it = vars.find(name);
            return it == vars.end() ? nullptr : it->second.c_str();
        };
        return DecideAppFolders(bin, env, [&](const std::string& folder) {
            return folder == bin ? binWritable : true;
        });
    }
};

TEST(AppFolders, SettingsBesideAWritableProgramMeanPortable)
{
    Layout layout;
    WriteBytes(layout.bin + "/setting.ini", "");
    fs::create_directories(layout.share);  // an installed tree beside it changes nothing
    const AppFolders folders = layout.Decide();
    EXPECT_TRUE(folders.portable);
    EXPECT_EQ(folders.settings, layout.bin);
    EXPECT_EQ(folders.data, layout.bin);
    EXPECT_EQ(folders.state, "/home/me/.local/state/FennexAVConverter");
}

TEST(AppFolders, NoSettingsOrAFolderTheUserCannotWriteMeanInstalled)
{
    Layout layout;
    fs::create_directories(layout.share);
    AppFolders folders = layout.Decide();
    EXPECT_FALSE(folders.portable);
    EXPECT_EQ(folders.settings, "/home/me/.config/FennexAVConverter");
    EXPECT_EQ(folders.data, layout.share);

    // A setting.ini under /usr/bin (say) does not make it portable; it is
    // not even read, since the installed data is there.
    WriteBytes(layout.bin + "/setting.ini", "");
    folders = layout.Decide(false);
    EXPECT_FALSE(folders.portable);
    EXPECT_EQ(folders.data, layout.share);

    // A folder of its own and no share/ is served as the data: a read-only
    // unpacked folder still finds its languages.
    fs::remove_all(layout.root.File("share"));
    folders = layout.Decide(false);
    EXPECT_FALSE(folders.portable);
    EXPECT_EQ(folders.data, layout.bin);
    EXPECT_EQ(folders.settings, "/home/me/.config/FennexAVConverter");

    // A folder named setting.ini is no settings file.
    fs::remove(layout.bin + "/setting.ini");
    fs::create_directory(layout.bin + "/setting.ini");
    EXPECT_FALSE(layout.Decide().portable);
}

TEST(AppFolders, XdgVariablesCountOnlyAsAbsolutePaths)
{
    Layout layout;
    layout.vars["XDG_CONFIG_HOME"] = "/cfg";
    layout.vars["XDG_STATE_HOME"] = "/st";
    AppFolders folders = layout.Decide();
    EXPECT_EQ(folders.settings, "/cfg/FennexAVConverter");
    EXPECT_EQ(folders.state, "/st/FennexAVConverter");

    layout.vars["XDG_CONFIG_HOME"] = "relative/cfg";
    layout.vars["XDG_STATE_HOME"] = "";
    folders = layout.Decide();
    EXPECT_EQ(folders.settings, "/home/me/.config/FennexAVConverter");
    EXPECT_EQ(folders.state, "/home/me/.local/state/FennexAVConverter");
}

TEST(AppFolders, AnOverriddenProgramFolderIsPortableWhateverItHolds)
{
    TempFolder folder;
    OverrideExeFolder(folder.path());
    EXPECT_TRUE(CurrentAppFolders().portable);
    EXPECT_EQ(SettingsFolder(), folder.path());
    EXPECT_EQ(DataFolder(), folder.path());
    EXPECT_EQ(SettingsFilePath(), folder.path() + "/setting.ini");
    OverrideExeFolder("");
}

// --- the user's copy of the default settings --------------------------------

AppFolders Installed(const TempFolder& root)
{
    AppFolders folders;
    folders.portable = false;
    folders.settings = root.File("home/.config/FennexAVConverter");
    folders.data = root.File("share");
    fs::create_directories(folders.data);
    return folders;
}

TEST(UserSettings, FirstStartCopiesTheDefaultIntoPrivateFolders)
{
    TempFolder root;
    const AppFolders folders = Installed(root);
    WriteBytes(folders.data + "/setting.ini", "[LANGUAGE]\nfile=english.ini\n");
    EXPECT_TRUE(PrepareUserSettings(folders));
    EXPECT_EQ(ReadWholeFile(folders.settings + "/setting.ini"), "[LANGUAGE]\nfile=english.ini\n");
    for (const std::string& made : {root.File("home"), root.File("home/.config"), folders.settings})
        EXPECT_EQ(fs::status(made).permissions() & fs::perms::all, fs::perms::owner_all) << made;
    // Nothing but the file is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folders.settings), fs::directory_iterator()), 1);
}

TEST(UserSettings, NeverReplacesWhatIsThere)
{
    TempFolder root;
    const AppFolders folders = Installed(root);
    WriteBytes(folders.data + "/setting.ini", "default");
    fs::create_directories(folders.settings);

    WriteBytes(folders.settings + "/setting.ini", "mine");
    EXPECT_TRUE(PrepareUserSettings(folders));
    EXPECT_EQ(ReadWholeFile(folders.settings + "/setting.ini"), "mine");

    // Not even a dangling link of that name.
    fs::remove(folders.settings + "/setting.ini");
    fs::create_symlink(root.File("elsewhere.ini"), folders.settings + "/setting.ini");
    PrepareUserSettings(folders);
    EXPECT_TRUE(fs::is_symlink(folders.settings + "/setting.ini"));
    EXPECT_FALSE(fs::exists(root.File("elsewhere.ini")));
}

TEST(UserSettings, WithoutADefaultOnlyTheFolderIsMade)
{
    TempFolder root;
    const AppFolders folders = Installed(root);
    EXPECT_FALSE(PrepareUserSettings(folders));
    EXPECT_TRUE(fs::is_directory(folders.settings));
    EXPECT_FALSE(fs::exists(folders.settings + "/setting.ini"));
}

TEST(UserSettings, PortableFoldersAreLeftAlone)
{
    TempFolder root;
    AppFolders folders;
    folders.settings = root.File("bin");
    folders.data = folders.settings;
    EXPECT_FALSE(PrepareUserSettings(folders));
    EXPECT_FALSE(fs::exists(folders.settings));
}

}  // namespace
