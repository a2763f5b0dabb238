// Runs the real program from a folder of its own, portable (setting.ini
// beside it) and installed (bin/ and share/, the user's settings under a
// fresh HOME): start-up, and the settings it writes when its window closes,
// which SIGTERM does as the close button would.
#include "settings/IniFile.h"
#include "tests/support/MediaFixtures.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Whether the process has a handler of its own for SIGTERM (the SigCgt mask
// of /proc/PID/status).
bool CatchesSigterm(qint64 pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("SigCgt:", 0) != 0)
            continue;
        const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
        return (mask >> (SIGTERM - 1)) & 1;
    }
    return false;
}

class ProgramStart : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_temp = std::make_unique<TempFolder>("program");
        m_root = m_temp->path();
        fs::create_directories(m_root + "/bin");
        fs::create_directories(m_root + "/home");
        fs::copy_file(FENNEX_PROGRAM, m_root + "/bin/FennexAVConverter");
    }
    void TearDown() override { m_temp.reset(); }

    // A language file (and a setting.ini naming it) in folder/languages.
    void LayOutData(const std::string& folder, const std::string& settings) const
    {
        fs::create_directories(folder + "/languages");
        fs::copy_file(std::string(FENNEX_SOURCE_DIR) + "/resources/languages/english.ini",
                      folder + "/languages/english.ini");
        if (!settings.empty())
            std::ofstream(folder + "/setting.ini") << settings;
    }

    // Starts the program with a fresh HOME, lets it start up, asks it to end
    // with SIGTERM and returns its exit code (-1 when it did not end by
    // itself, or died of the signal). m_err holds what it wrote on stderr.
    int Run(const QStringList& arguments = {},
            const QString& platform = QStringLiteral("offscreen"),
            const std::string& configHome = "")
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.insert(QStringLiteral("HOME"), QString::fromStdString(m_root + "/home"));
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
        env.remove(QStringLiteral("XDG_STATE_HOME"));
        if (!configHome.empty())
            env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(configHome));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QString::fromStdString(m_root));
        process.start(QString::fromStdString(m_root + "/bin/FennexAVConverter"), arguments);
        if (!process.waitForStarted())
            return -1;
        // The signal is sent once the program is ready for it, and after a
        // moment in which it takes up the files it was given.
        for (int k = 0; k < 1500 && !CatchesSigterm(process.processId()); ++k)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        process.terminate();
        const bool ended = process.waitForFinished(30000);
        m_err = process.readAllStandardError().toStdString();
        if (!ended) {
            process.kill();
            process.waitForFinished();
            return -1;
        }
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }

    std::string PortableIni() const { return m_root + "/bin/setting.ini"; }
    std::string UserIni() const { return m_root + "/home/.config/FennexAVConverter/setting.ini"; }

    std::unique_ptr<TempFolder> m_temp;
    std::string m_root;
    std::string m_err;
};

void ExpectOnlyPresetsWritten(const std::string& ini)
{
    for (const char* key : {"quality", "size", "framerate", "audioquality", "samplerate"})
        EXPECT_EQ(ReadText(ini, "JOIN", key, "missing"), "0") << key;
    EXPECT_EQ(ReadText(ini, "JOIN", "format", "missing"), "missing");
}

TEST_F(ProgramStart, PortableFolderKeepsTheUsersSettingsAndRewritesOnlyThePresets)
{
    LayOutData(m_root + "/bin", "");
    std::ofstream(PortableIni())
        << "; my settings\n[LANGUAGE]\nfile=english.ini\n[PATH]\nname=/videos/out\n"
           "[DIR]\nopen=0\n[JOIN]\nformat=7\nsize=3\nquality=999\n";
    EXPECT_EQ(Run(), 0);
    const std::string ini = PortableIni();
    EXPECT_EQ(ReadText(ini, "LANGUAGE", "file", ""), "english.ini");
    EXPECT_EQ(ReadText(ini, "PATH", "name", ""), "/videos/out");
    EXPECT_EQ(ReadText(ini, "DIR", "open", ""), "0");
    EXPECT_EQ(ReadText(ini, "JOIN", "format", ""), "7");
    EXPECT_EQ(ReadText(ini, "JOIN", "size", ""), "3");
    EXPECT_EQ(ReadText(ini, "JOIN", "quality", ""), "-1");
    EXPECT_EQ(ReadWholeFile(ini).rfind("; my settings", 0), 0u);
    EXPECT_FALSE(fs::exists(m_root + "/home/.config"));
}

TEST_F(ProgramStart, InstalledCopiesTheDefaultForTheUserAndLeavesTheDefaultAlone)
{
    const std::string share = m_root + "/share/FennexAVConverter";
    const std::string defaults = "; defaults\n[LANGUAGE]\nfile=english.ini\n";
    LayOutData(share, defaults);

    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ReadWholeFile(share + "/setting.ini"), defaults);
    EXPECT_FALSE(fs::exists(PortableIni()));
    ASSERT_TRUE(fs::is_regular_file(UserIni()));
    EXPECT_EQ(ReadWholeFile(UserIni()).rfind(defaults, 0), 0u);
    ExpectOnlyPresetsWritten(UserIni());
    EXPECT_EQ(fs::status(m_root + "/home/.config/FennexAVConverter").permissions() & fs::perms::all,
              fs::perms::owner_all);

    // The next start keeps what the user's file holds; nothing is copied
    // over it again.
    WriteText(UserIni(), "PATH", "name", "/videos/out");
    WriteText(UserIni(), "DIR", "open", "0");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(ReadText(UserIni(), "PATH", "name", ""), "/videos/out");
    EXPECT_EQ(ReadText(UserIni(), "DIR", "open", ""), "0");
}

TEST_F(ProgramStart, InstalledWithoutADefaultStartsAndWritesTheUsersFileOnClose)
{
    EXPECT_EQ(Run(), 0);
    EXPECT_FALSE(fs::exists(PortableIni()));
    ASSERT_TRUE(fs::is_regular_file(UserIni()));
    ExpectOnlyPresetsWritten(UserIni());
}

TEST_F(ProgramStart, InstalledFollowsXdgConfigHome)
{
    LayOutData(m_root + "/share/FennexAVConverter", "[LANGUAGE]\nfile=english.ini\n");
    const std::string config = m_root + "/config";
    EXPECT_EQ(Run({}, QStringLiteral("offscreen"), config), 0);
    EXPECT_EQ(ReadText(config + "/FennexAVConverter/setting.ini", "LANGUAGE", "file", ""),
              "english.ini");
    EXPECT_FALSE(fs::exists(UserIni()));
}

TEST_F(ProgramStart, QtTakesItsOwnOptionsAndEveryOtherArgumentIsAFile)
{
    LayOutData(m_root + "/bin", "[LANGUAGE]\nfile=english.ini\n");
    // Without "-platform offscreen" taken by Qt, a platform that does not
    // exist would end the program before its window opens.
    std::ofstream(m_root + "/-x") << "not a video";
    EXPECT_EQ(Run({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("-x")},
                  QStringLiteral("no-such-platform")),
              0);
    EXPECT_EQ(ReadWholeFile(m_root + "/-x"), "not a video");
}

TEST_F(ProgramStart, FFmpegSaysNothingOnStandardError)
{
    LayOutData(m_root + "/bin", "[LANGUAGE]\nfile=english.ini\n");
    // A file whose index, at its end, is gone: FFmpeg would complain that
    // the moov atom is missing; the window says so in its own message.
    const std::string whole = m_root + "/whole.mp4";
    ASSERT_EQ(MakeMediaFile(whole, MediaRecipe{}), "");
    const std::string bytes = ReadWholeFile(whole);
    WriteBytes(m_root + "/cut.mp4", bytes.substr(0, bytes.size() / 2));
    EXPECT_EQ(Run({QStringLiteral("cut.mp4")}), 0);
    EXPECT_EQ(m_err.find("moov atom not found"), std::string::npos) << m_err;
    EXPECT_EQ(m_err.find(" @ 0x"), std::string::npos) << m_err;
}

}  // namespace
