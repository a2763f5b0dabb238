// Runs the real program from a folder of its own: start-up without a
// setting.ini, and the settings it writes when its window is closed.
#include "IniFile.h"
#include "MediaFixtures.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace fs = std::filesystem;

namespace {

class ProgramStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_temp = std::make_unique<TempFolder>("program");
        m_root = m_temp->path();
        fs::create_directories(m_root + "/languages");
        fs::copy_file(FENNEX_PROGRAM, m_root + "/FennexAVConverter");
        fs::copy_file(std::string(FENNEX_SOURCE_DIR) + "/resources/languages/chinese.ini",
                      m_root + "/languages/chinese.ini");
    }
    void TearDown() override { m_temp.reset(); }

    // Starts the program, lets it close its window after start-up and
    // returns its exit code (-1 when it did not end by itself).
    int Run()
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("FENNEX_CLOSE_AFTER_MS"), QStringLiteral("300"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QString::fromStdString(m_root));
        process.start(QString::fromStdString(m_root + "/FennexAVConverter"), {});
        if (!process.waitForFinished(30000)) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    std::string Ini() const { return m_root + "/setting.ini"; }

    std::unique_ptr<TempFolder> m_temp;
    std::string m_root;
};

TEST_F(ProgramStart, WithoutSettingIniItStartsAndWritesOneOnClose)
{
    ASSERT_FALSE(fs::exists(Ini()));
    EXPECT_EQ(Run(), 0);
    ASSERT_TRUE(fs::exists(Ini()));
    for (const char* key : {"quality", "size", "framerate", "audioquality", "samplerate"})
        EXPECT_EQ(ReadText(Ini(), "JOIN", key, "missing"), "0") << key;
    EXPECT_EQ(ReadText(Ini(), "JOIN", "format", "missing"), "missing");
}

TEST_F(ProgramStart, KeepsTheUsersSettingsAndRewritesOnlyThePresets)
{
    std::ofstream(Ini()) << "; my settings\n[LANGUAGE]\nfile=chinese.ini\n[PATH]\nname=/videos/out\n"
                            "[DIR]\nopen=0\n[JOIN]\nformat=7\nsize=3\nquality=999\n";
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ReadText(Ini(), "LANGUAGE", "file", ""), "chinese.ini");
    EXPECT_EQ(ReadText(Ini(), "PATH", "name", ""), "/videos/out");
    EXPECT_EQ(ReadText(Ini(), "DIR", "open", ""), "0");
    EXPECT_EQ(ReadText(Ini(), "JOIN", "format", ""), "7");
    EXPECT_EQ(ReadText(Ini(), "JOIN", "size", ""), "3");
    EXPECT_EQ(ReadText(Ini(), "JOIN", "quality", ""), "-1");
    EXPECT_EQ(ReadWholeFile(Ini()).rfind("; my settings", 0), 0u);
}

}  // namespace
