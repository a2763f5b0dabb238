#include "settings/IniFile.h"
#include "settings/AppSettings.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// A setting.ini as a person might edit it by hand.
const char* const kHandWritten = "; settings of the rotation tool\n"
                                 "[Language]\n"
                                 "FILE=english.ini\n"
                                 "\n"
                                 "[path]\n"
                                 "Name = /home/u/My Videos/旋转 输出\n"
                                 "colour=Blue\n"
                                 "# another comment\n"
                                 "[dir]\n"
                                 "open=1\n"
                                 "[JOIN]\n"
                                 "quality=7 kbps\n"
                                 "size=-3\n"
                                 "framerate=abc\n"
                                 "samplerate=\n"
                                 "audioquality=  42\n"
                                 "format=99999999999\n";

class IniRead : public ::testing::Test
{
protected:
    void SetUp() override { WriteBytes(m_ini, kHandWritten); }
    TempFolder m_folder;
    std::string m_ini = m_folder.File("setting.ini");
};

TEST_F(IniRead, NamesIgnoreCaseAndValuesKeepTheirs)
{
    EXPECT_EQ(ReadText(m_ini, "LANGUAGE", "file", "x"), "english.ini");
    EXPECT_EQ(ReadText(m_ini, "PATH", "name", ""), "/home/u/My Videos/旋转 输出");
    EXPECT_EQ(ReadText(m_ini, "Path", "COLOUR", ""), "Blue");
    EXPECT_EQ(ReadText(m_ini, "path", "colour", ""), "Blue");
}

TEST_F(IniRead, MissingKeySectionOrFileGivesTheDefault)
{
    EXPECT_EQ(ReadText(m_ini, "PATH", "nothing", "def"), "def");
    EXPECT_EQ(ReadText(m_ini, "NOSECTION", "name", "def"), "def");
    EXPECT_EQ(ReadText(m_folder.File("absent.ini"), "PATH", "name", "def"), "def");
    // A folder where the file should be reads as a missing file.
    EXPECT_EQ(ReadText(m_folder.path(), "PATH", "name", "def"), "def");
    EXPECT_EQ(ReadInt(m_folder.File("absent.ini"), "JOIN", "size", 5), 5);
    EXPECT_EQ(ReadInt(m_ini, "JOIN", "nothing", 5), 5);
    // A comment line is not a key.
    EXPECT_EQ(ReadText(m_ini, "PATH", "# another comment", "def"), "def");
}

TEST_F(IniRead, APipeUnderTheNameReadsAsAMissingFileWithoutWaiting)
{
    // Nobody ever writes into it: an open that waited for a writer would
    // hold the program's start for good.
    const std::string pipe = m_folder.File("pipe.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ReadText(pipe, "PATH", "name", "def"), "def");
}

TEST_F(IniRead, IntegersAreTheDecimalNumberAtTheStart)
{
    EXPECT_EQ(ReadInt(m_ini, "JOIN", "quality", 0), 7);
    EXPECT_EQ(ReadInt(m_ini, "JOIN", "size", 0), -3);
    EXPECT_EQ(ReadInt(m_ini, "JOIN", "framerate", 9), 0);
    EXPECT_EQ(ReadInt(m_ini, "JOIN", "samplerate", 9), 9);
    EXPECT_EQ(ReadInt(m_ini, "JOIN", "audioquality", 0), 42);
    // Too many digits stop at the limit instead of wrapping to a small number.
    EXPECT_EQ(ReadInt(m_ini, "JOIN", "format", 0), 2147483647);
}

TEST(IniText, LongValuesAreCutTo999Characters)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    std::string longAscii(1200, 'a');
    std::string longChinese;
    for (int i = 0; i < 1200; ++i)
        longChinese += "旋";
    WriteBytes(ini, "[A]\nascii=" + longAscii + "\nchinese=" + longChinese + "\n");
    EXPECT_EQ(ReadText(ini, "A", "ascii", ""), std::string(999, 'a'));
    const std::string cut = ReadText(ini, "A", "chinese", "");
    EXPECT_EQ(cut.size(), 999u * 3u);
    EXPECT_EQ(cut, longChinese.substr(0, 999 * 3));
}

TEST(IniText, FirstOfDuplicateKeysWins)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    WriteBytes(ini, "[A]\nk=first\nk=second\n[B]\n[a]\nk=third\nother=x\n");
    EXPECT_EQ(ReadText(ini, "A", "k", ""), "first");
    EXPECT_EQ(ReadText(ini, "A", "other", ""), "x");
}

TEST(IniText, EncodingsWithAndWithoutMarks)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    WriteBytes(ini, "\xEF\xBB\xBF[PATH]\r\nname=/tmp/中文 目录\r\n");
    EXPECT_EQ(ReadText(ini, "PATH", "name", ""), "/tmp/中文 目录");

    // "[P]\nk=中\n" in UTF-16 LE and BE, each with its mark.
    const std::string le("\xFF\xFE[\0P\0]\0\n\0k\0=\0\x2D\x4E\n\0", 18);
    WriteBytes(ini, le);
    EXPECT_EQ(ReadText(ini, "P", "k", ""), "中");
    const std::string be("\xFE\xFF\0[\0P\0]\0\n\0k\0=\x4E\x2D\0\n", 18);
    WriteBytes(ini, be);
    EXPECT_EQ(ReadText(ini, "p", "K", ""), "中");
}

TEST(OpenFolderAfterBatch, OnlyTheExactTextOneMeansTrue)
{
    TempFolder folder;
    const std::string ini = folder.File("setting.ini");
    EXPECT_TRUE(ReadOpenFolderAfterBatch(ini));  // fresh installation
    WriteBytes(ini, "[DIR]\nopen=\"1 \"\n");
    EXPECT_FALSE(ReadOpenFolderAfterBatch(ini));
    WriteBytes(ini, "[DIR]\nopen=true\n");
    EXPECT_FALSE(ReadOpenFolderAfterBatch(ini));
    WriteBytes(ini, "[dir]\nOPEN=1\n");
    EXPECT_TRUE(ReadOpenFolderAfterBatch(ini));

    EXPECT_TRUE(WriteText(ini, "DIR", "open", "1 "));
    EXPECT_EQ(ReadText(ini, "DIR", "open", ""), "1 ");
    EXPECT_FALSE(ReadOpenFolderAfterBatch(ini));

    EXPECT_TRUE(WriteOpenFolderAfterBatch(ini, false));
    EXPECT_FALSE(ReadOpenFolderAfterBatch(ini));
    EXPECT_TRUE(WriteOpenFolderAfterBatch(ini, true));
    EXPECT_TRUE(ReadOpenFolderAfterBatch(ini));
}

}  // namespace
