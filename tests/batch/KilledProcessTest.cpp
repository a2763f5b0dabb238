// A batch whose process is killed leaves its source folders as they were
// and its output cut short; the next start of the program removes that
// output and nothing else, and still gives inputs that an earlier version
// left under temporary names their own names back. A batch whose process is
// asked to end (SIGTERM) stops and closes.
#include "tests/support/MediaFixtures.h"
#include "tests/support/PipeFeeder.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>
#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

class KilledProcessTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> m_temp;
    std::string m_root;
    QStringList m_asUser;  // the command that runs the program as another user, if any

    // Starts the program; arguments are the test program's own (see
    // WindowUnderTest.cpp) and the files to add.
    QProcess* Launch(const QProcessEnvironment& env, const QStringList& arguments = {})
    {
        auto* program = new QProcess(this);
        program->setProcessEnvironment(env);
        const QString exe = QString::fromStdString(m_root + "/exe/FennexAVConverter");
        if (m_asUser.isEmpty()) {
            program->setProgram(exe);
            program->setArguments(arguments);
        } else {
            program->setProgram(m_asUser.front());
            program->setArguments(m_asUser.mid(1) << exe << arguments);
        }
        program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program->setStandardOutputFile(QProcess::nullDevice());
        program->start();
        return program;
    }

    // Permissions stop every user but root: as root the program runs as
    // nobody, which may use the test's folders but not the program's.
    // False when that cannot be arranged.
    bool RunAsAUserPermissionsStop()
    {
        if (::geteuid() != 0)
            return true;
        if (::access("/usr/bin/setpriv", X_OK) != 0)
            return false;
        m_asUser = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        fs::permissions(m_root, fs::perms::owner_all | fs::perms::group_read |
                                    fs::perms::group_exec | fs::perms::others_read |
                                    fs::perms::others_exec);
        for (const char* folder : {"/in", "/out", "/home"}) {
            fs::create_directories(m_root + folder);
            fs::permissions(m_root + folder, fs::perms::all);
        }
        return true;
    }

    // The environment of a user whose home is home and whose settings
    // folder cannot be written either: a locked folder holds it.
    QProcessEnvironment UserEnvironment(const std::string& home) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("HOME", QString::fromStdString(home));
        for (const char* name : {"XDG_STATE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
            env.remove(name);
        fs::create_directories(m_root + "/locked-config");
        Lock(m_root + "/locked-config");
        env.insert("XDG_CONFIG_HOME", QString::fromStdString(m_root + "/locked-config"));
        return env;
    }

    // Makes a folder read-only, as an installed program's is.
    static void Lock(const std::string& folder)
    {
        fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec |
                                    fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    }

    // A four-second transport stream that a batch can be held in.
    std::string MakeVideo(const std::string& path) const
    {
        MediaRecipe recipe;
        recipe.audio_codec = "mp3";
        recipe.seconds = 4.0;
        recipe.width = 320;
        recipe.height = 240;
        const std::string error = MakeMediaFile(path, recipe);
        return error;
    }

    // The names in a folder with their contents ("fifo" for a pipe).
    static std::vector<std::pair<std::string, std::string>> Listing(const std::string& folder)
    {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string path = entry.path().string();
            files.emplace_back(entry.path().filename().string(),
                               entry.is_fifo() ? std::string("fifo") : ReadWholeFile(path));
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    // A batch of input into the out folder, the worker first waiting waitMs.
    QStringList BatchArguments(const std::string& input, int waitMs) const
    {
        return {QStringLiteral("--pre-file-wait-ms"), QString::number(waitMs),
                QStringLiteral("--start-into"), QString::fromStdString(m_root + "/out"),
                QString::fromStdString(input)};
    }

private slots:
    void init()
    {
        m_temp = std::make_unique<TempFolder>("killed-batch");
        m_root = m_temp->path();
        fs::create_directories(m_root + "/exe/languages");
        fs::create_directories(m_root + "/in");
        fs::create_directories(m_root + "/out");
        // The program's own copy, so that its setting.ini and journal are ours.
        fs::copy_file(FENNEX_WINDOW_UNDER_TEST, m_root + "/exe/FennexAVConverter");
        fs::copy_file(FENNEX_RESOURCES "/languages/chinese.ini",
                      m_root + "/exe/languages/chinese.ini");
        fs::copy_file(FENNEX_RESOURCES "/setting.ini", m_root + "/exe/setting.ini");
    }

    void cleanup()
    {
        m_asUser.clear();
        m_temp.reset();
    }

    // An earlier version renamed inputs during a batch: what one of its
    // batches left when it was killed is still put right.
    void anEarlierVersionsRecordIsPutRightAtTheNextStart()
    {
        const std::string input = m_root + "/in/clip.mp4";
        const std::string temporary = m_root + "/in/clip.mov";
        QCOMPARE(MakeMediaFile(input, {}), std::string());
        const std::string content = ReadWholeFile(input);
        {
            std::ofstream old(m_root + "/exe/pending-names.txt", std::ios::binary);
            old << "P" << '\0' << input << '\0' << temporary << '\0';
        }
        QCOMPARE(::rename(input.c_str(), temporary.c_str()), 0);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess* again = Launch(env);
        QVERIFY(again->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(input), 15000);
        QVERIFY(!fs::exists(temporary));
        QVERIFY(ReadWholeFile(input) == content);
        QCOMPARE(fs::file_size(m_root + "/exe/pending-names.txt"), std::uintmax_t(0));
        again->kill();  // it is showing what it restored
        QVERIFY(again->waitForFinished());
    }

    // Asked to end (SIGTERM: a logout, a service manager) in the middle of
    // a batch, the program stops the batch and closes as its close button
    // does; the inputs were never touched.
    void signalledBatchStopsAndCloses()
    {
        const std::string a = m_root + "/in/a.mp4";
        const std::string b = m_root + "/in/b.mkv";
        QCOMPARE(MakeMediaFile(a, {}), std::string());
        QCOMPARE(MakeMediaFile(b, {}), std::string());
        const auto before = Listing(m_root + "/in");

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        // The signal comes while the worker waits before the second file.
        QStringList arguments = BatchArguments(a, 3000);
        arguments << QString::fromStdString(b);
        QProcess* batch = Launch(env, arguments);
        QVERIFY(batch->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(m_root + "/out/a.mp4"), 15000);
        batch->terminate();  // SIGTERM
        QVERIFY(batch->waitForFinished(20000));
        QCOMPARE(batch->exitStatus(), QProcess::NormalExit);
        QCOMPARE(batch->exitCode(), 0);

        QVERIFY(Listing(m_root + "/in") == before);
        QCOMPARE(Listing(m_root + "/out").size(), std::size_t(1));
        QCOMPARE(ReadRotationCw(m_root + "/out/a.mp4"), 90);
        QCOMPARE(fs::file_size(m_root + "/exe/pending-names.txt"), std::uintmax_t(0));
        // The close path wrote the settings.
        QVERIFY(ReadWholeFile(m_root + "/exe/setting.ini").find("[JOIN]") != std::string::npos);
    }

    // Killed in the middle of its second file (kill -9), a batch leaves its
    // source folder as it was; the next start removes the cut-short output
    // and nothing else. Neither the program's folder nor the user's
    // settings folder takes files: the crash record is in the state folder.
    void aKilledBatchLeavesTheSourceAloneAndOnlyItsUnfinishedOutputGoes()
    {
        if (!RunAsAUserPermissionsStop())
            QSKIP("no way to run the program as a user that permissions stop");
        std::signal(SIGPIPE, SIG_IGN);  // the killed program leaves the feeder without a reader
        const std::string a = m_root + "/in/a.mp4";
        const std::string input = m_root + "/in/clip.ts";
        const std::string partial = m_root + "/out/clip.mov";
        const std::string stateJournal =
            m_root + "/home/.local/state/FennexAVConverter/pending-names.txt";
        QCOMPARE(MakeMediaFile(a, {}), std::string());
        QCOMPARE(MakeVideo(input), std::string());
        QVERIFY(WriteBytes(m_root + "/out/keep.mov", "the user's"));
        const std::string content = ReadWholeFile(input);
        const auto before = Listing(m_root + "/in");
        Lock(m_root + "/exe");

        QProcessEnvironment env = UserEnvironment(m_root + "/home");
        QStringList arguments = BatchArguments(a, 2000);
        arguments << QString::fromStdString(input);
        QProcess* batch = Launch(env, arguments);
        QVERIFY(batch->waitForStarted());
        // The first file is done and has its final name.
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(m_root + "/out/a.mp4"), 15000);
        QVERIFY(fs::exists(stateJournal));
        QVERIFY(!fs::exists(m_root + "/exe/pending-names.txt"));
        {
            // While the worker waits before the second file, its input
            // becomes a pipe that stops partway, so that the batch is
            // killed in the middle of the file.
            QCOMPARE(::rename(input.c_str(), (m_root + "/held.ts").c_str()), 0);
            QCOMPARE(::mkfifo(input.c_str(), 0666), 0);
            fs::permissions(input, fs::perms::all & ~fs::perms::owner_exec &
                                       ~fs::perms::group_exec & ~fs::perms::others_exec);
            PipeFeeder feeder(input, content);
            QTRY_VERIFY_WITH_TIMEOUT(fs::exists(partial), 15000);
            batch->kill();  // SIGKILL: nothing of the program runs any more
            QVERIFY(batch->waitForFinished());
        }
        // Nothing in the source folder was renamed or added.
        const auto after = Listing(m_root + "/in");
        QCOMPARE(after.size(), std::size_t(2));
        QVERIFY(after[0] == before[0]);
        QCOMPARE(after[1], (std::pair<std::string, std::string>{"clip.ts", "fifo"}));
        QVERIFY(fs::exists(partial));
        fs::remove(input);
        QCOMPARE(::rename((m_root + "/held.ts").c_str(), input.c_str()), 0);

        QProcess* again = Launch(env);
        QVERIFY(again->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!fs::exists(partial), 15000);
        QVERIFY(Listing(m_root + "/in") == before);
        QCOMPARE(Listing(m_root + "/out").size(), std::size_t(2));
        QCOMPARE(ReadRotationCw(m_root + "/out/a.mp4"), 90);
        QCOMPARE(ReadWholeFile(m_root + "/out/keep.mov"), std::string("the user's"));
        QCOMPARE(fs::file_size(stateJournal), std::uintmax_t(0));
        again->kill();  // it is showing what it removed
        QVERIFY(again->waitForFinished());
    }

    // Videos on a medium the user may not write (a read-only card, a shared
    // folder): the window rotates them in place, the folder stays exactly
    // as it was, and a batch killed there leaves nothing to put back.
    void readOnlySourcesAreRotatedWhereTheyAre()
    {
        if (!RunAsAUserPermissionsStop())
            QSKIP("no way to run the program as a user that permissions stop");
        const std::string card = m_root + "/in/card";
        fs::create_directories(card);
        const std::string a = card + "/a.mp4";
        const std::string b = card + "/b.mkv";
        QCOMPARE(MakeMediaFile(a, {}), std::string());
        QCOMPARE(MakeMediaFile(b, {}), std::string());
        Lock(card);
        const auto listing = [&card] {
            std::vector<std::pair<std::string, std::string>> files;
            for (const auto& entry : fs::directory_iterator(card))
                files.emplace_back(entry.path().string(), ReadWholeFile(entry.path().string()));
            std::sort(files.begin(), files.end());
            return files;
        };
        const auto before = listing();
        QCOMPARE(before.size(), std::size_t(2));
        const QProcessEnvironment env = UserEnvironment(m_root + "/home");
        const std::string stateJournal =
            m_root + "/home/.local/state/FennexAVConverter/pending-names.txt";

        QStringList arguments = BatchArguments(a, 0);
        arguments << QString::fromStdString(b);
        QProcess* batch = Launch(env, arguments);
        QVERIFY(batch->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(
            fs::exists(m_root + "/out/a.mp4") && fs::exists(m_root + "/out/b.mov"), 20000);
        batch->terminate();
        QVERIFY(batch->waitForFinished(20000));
        QVERIFY(listing() == before);
        QCOMPARE(ReadRotationCw(m_root + "/out/a.mp4"), 90);
        QCOMPARE(ReadRotationCw(m_root + "/out/b.mov"), 90);
        QCOMPARE(ReadInfo(m_root + "/out/a.mp4").format_name,
                 std::string("mov,mp4,m4a,3gp,3g2,mj2"));

        // Killed while the worker waits before its first file.
        fs::remove(m_root + "/out/a.mp4");
        fs::remove(m_root + "/out/b.mov");
        batch = Launch(env, BatchArguments(a, 60000) << QString::fromStdString(b));
        QVERIFY(batch->waitForStarted());
        QTest::qWait(3000);
        batch->kill();
        QVERIFY(batch->waitForFinished());
        QVERIFY(listing() == before);
        QVERIFY(ReadWholeFile(stateJournal).find(card) == std::string::npos);
    }

    // With no place for the crash record the batch still runs: it renames
    // nothing, so there is no name to give back after a crash.
    void withNeitherFolderWritableTheBatchStillLeavesTheSourceAlone()
    {
        if (!RunAsAUserPermissionsStop())
            QSKIP("no way to run the program as a user that permissions stop");
        const std::string input = m_root + "/in/clip.ts";
        QCOMPARE(MakeVideo(input), std::string());
        const auto before = Listing(m_root + "/in");
        Lock(m_root + "/exe");
        // A home the user cannot write: no state folder either.
        const std::string home = m_root + "/locked-home";
        fs::create_directories(home);
        Lock(home);

        QProcessEnvironment env = UserEnvironment(home);
        QProcess* batch = Launch(env, BatchArguments(input, 0));
        QVERIFY(batch->waitForStarted());
        // Written under its final name, readable once it is complete.
        QTRY_VERIFY_WITH_TIMEOUT(ReadRotationCw(m_root + "/out/clip.mov") == 90, 20000);
        QCOMPARE(batch->state(), QProcess::Running);
        QVERIFY(Listing(m_root + "/in") == before);
        QVERIFY(!fs::exists(home + "/.local"));
        batch->kill();
        QVERIFY(batch->waitForFinished());
    }
};

QTEST_MAIN(KilledProcessTest)
#include "KilledProcessTest.moc"
