#include "settings/AppSettings.h"
#include "settings/IniFile.h"
#include "tests/support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

bool OnlyFileIn(const std::string& folder, const std::string& name)
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != name)
            return false;
        ++count;
    }
    return count == 1;
}

TEST(IniWrite, ChangesOnlyItsOwnLine)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    WriteBytes(ini, "; kept comment\n"
                    "[Path]\n"
                    "  Name = old\n"
                    "stray line without equals\n"
                    "\n"
                    "# comment of dir\n"
                    "[DIR]\n"
                    "open=1\n"
                    "open=duplicate kept\n"
                    "\n"
                    "; trailing comment");
    ASSERT_TRUE(WriteText(ini, "PATH", "NAME", "/new"));
    ASSERT_TRUE(WriteText(ini, "dir", "extra", "x"));
    ASSERT_TRUE(WriteText(ini, "JOIN", "quality", "0"));
    EXPECT_EQ(ReadWholeFile(ini), "; kept comment\n"
                                  "[Path]\n"
                                  "  Name=/new\n"
                                  "stray line without equals\n"
                                  "\n"
                                  "# comment of dir\n"
                                  "[DIR]\n"
                                  "open=1\n"
                                  "open=duplicate kept\n"
                                  "extra=x\n"
                                  "\n"
                                  "; trailing comment\n"
                                  "\n"
                                  "[JOIN]\n"
                                  "quality=0\n");
    EXPECT_EQ(ReadText(ini, "path", "name", ""), "/new");
    EXPECT_EQ(ReadText(ini, "DIR", "extra", ""), "x");
}

TEST(IniWrite, CreatesFileSectionAndKeyAsUtf8)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    const std::string path = "/home/用户/我的 视频/输出 文件夹";
    ASSERT_TRUE(WriteOutputFolder(ini, path));
    EXPECT_EQ(ReadWholeFile(ini), "[PATH]\nname=" + path + "\n");
    EXPECT_EQ(ReadOutputFolder(ini), path);
    EXPECT_TRUE(OnlyFileIn(folder.path(), "setting.ini"));
}

TEST(IniWrite, ValuesReadBackExactly)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    for (const std::string value :
         {" leading", "trailing ", "\"quoted\"", "\"", "", "a\\b\\c", "x=y;z"}) {
        ASSERT_TRUE(WriteText(ini, "S", "k", value)) << value;
        EXPECT_EQ(ReadText(ini, "S", "k", "default"), value);
    }
}

TEST(IniWrite, KeepsCrLfEndingsAndUtf16Files)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    WriteBytes(ini, "[A]\r\nk=1\r\n");
    ASSERT_TRUE(WriteText(ini, "A", "j", "2"));
    EXPECT_EQ(ReadWholeFile(ini), "[A]\r\nk=1\r\nj=2\r\n");

    WriteBytes(ini, "\xEF\xBB\xBF[A]\nk=1\n");
    ASSERT_TRUE(WriteText(ini, "a", "K", "2"));
    EXPECT_EQ(ReadWholeFile(ini), "\xEF\xBB\xBF[A]\nk=2\n");

    // "[A]\nk=1\n" in UTF-16 LE: the file stays UTF-16 with its mark.
    WriteBytes(ini, std::string("\xFF\xFE[\0A\0]\0\n\0k\0=\0001\0\n\0", 18));
    ASSERT_TRUE(WriteText(ini, "A", "k", "中"));
    EXPECT_EQ(ReadWholeFile(ini), std::string("\xFF\xFE[\0A\0]\0\n\0k\0=\0\x2D\x4E\n\0", 18));
    EXPECT_EQ(ReadText(ini, "A", "k", ""), "中");

    // Without its mark the same file is bytes with NULs: left alone.
    const std::string unmarked("[\0A\0]\0\n\0", 8);
    WriteBytes(ini, unmarked);
    EXPECT_FALSE(WriteText(ini, "A", "k", "1"));
    EXPECT_EQ(ReadWholeFile(ini), unmarked);
}

TEST(IniWrite, RefusesWhatNoLineCanHold)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    WriteBytes(ini, "[A]\nk=old\n");
    EXPECT_FALSE(WriteText(ini, "A", "k", "two\nlines"));
    EXPECT_FALSE(WriteText(ini, "A]", "k", "v"));
    EXPECT_FALSE(WriteText(ini, "A", "k=", "v"));
    EXPECT_FALSE(WriteText(ini, "", "k", "v"));
    // Several keys at once: all or nothing.
    EXPECT_FALSE(WriteTexts(ini, "A", {{"k", "new"}, {"j", "bad\r"}}));
    EXPECT_EQ(ReadWholeFile(ini), "[A]\nk=old\n");
    EXPECT_TRUE(WriteTexts(ini, "A", {{"k", "new"}, {"j", "2"}}));
    EXPECT_EQ(ReadWholeFile(ini), "[A]\nk=new\nj=2\n");
}

// A write that cannot happen returns false and loses nothing.
TEST(IniWrite, FailureKeepsTheOldContent)
{
    TempFolder folder;
    const std::string old = "[PATH]\nname=/old\n";

    // A read-only file, even for a user allowed to replace it.
    const std::string readOnly = folder.File("readonly.ini");
    WriteBytes(readOnly, old);
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(WriteText(readOnly, "PATH", "name", "/new"));
    EXPECT_EQ(ReadWholeFile(readOnly), old);

    // A folder where the file should be.
    fs::create_directory(folder.File("setting.ini"));
    EXPECT_FALSE(WriteText(folder.File("setting.ini"), "PATH", "name", "/new"));
    EXPECT_TRUE(fs::is_empty(folder.File("setting.ini")));

    // A "folder" that is a file.
    WriteBytes(folder.File("plain"), "x");
    EXPECT_FALSE(WriteText(folder.File("plain") + "/setting.ini", "PATH", "name", "/new"));
    EXPECT_EQ(ReadWholeFile(folder.File("plain")), "x");

    // A folder no one may create files in, whoever runs the tests.
    EXPECT_FALSE(WriteText("/proc/setting.ini", "PATH", "name", "/new"));

    // No temporary file is left behind by any of them.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 3);
}

TEST(IniWrite, ReadOnlyFolderKeepsTheOldContent)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    const std::string old = "[PATH]\nname=/old\n";
    WriteBytes(ini, old);
    ::chmod(folder.path().c_str(), 0555);
    if (::access(folder.path().c_str(), W_OK) == 0)
        GTEST_SKIP() << "this user may write into read-only folders";
    EXPECT_FALSE(WriteOutputFolder(ini, "/new"));
    EXPECT_FALSE(WriteText(folder.File("new.ini"), "PATH", "name", "/new"));
    EXPECT_EQ(ReadOutputFolder(ini), "/old");
    EXPECT_TRUE(OnlyFileIn(folder.path(), "setting.ini"));
}

TEST(IniWrite, KeepsPermissionsAndFollowsLinks)
{
    TempFolder folder;
    const std::string real = folder.File("real.ini");
    WriteBytes(real, "[A]\nk=1\n");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink(real, folder.File("link.ini"));
    ASSERT_TRUE(WriteText(folder.File("link.ini"), "A", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(folder.File("link.ini")));
    EXPECT_EQ(ReadWholeFile(real), "[A]\nk=2\n");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

}  // namespace
