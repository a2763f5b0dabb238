// A batch whose process is killed leaves its input under a temporary name;
// the next start of the program gives the input its own name back.
#include "MediaFixtures.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

class KilledProcessTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TempFolder> m_temp;
    std::string m_root;

    QProcess* Launch(const QProcessEnvironment& env)
    {
        auto* program = new QProcess(this);
        program->setProcessEnvironment(env);
        program->setProgram(QString::fromStdString(m_root + "/exe/FennexAVConverter"));
        program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program->setStandardOutputFile(QProcess::nullDevice());
        program->start();
        return program;
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
        fs::copy_file(FENNEX_PROGRAM, m_root + "/exe/FennexAVConverter");
        fs::copy_file(FENNEX_RESOURCES "/languages/chinese.ini", m_root + "/exe/languages/chinese.ini");
        fs::copy_file(FENNEX_RESOURCES "/setting.ini", m_root + "/exe/setting.ini");
    }

    void cleanup() { m_temp.reset(); }

    void inputGetsItsNameBackAtTheNextStart()
    {
        const std::string input = m_root + "/in/clip.mp4";
        const std::string temporary = m_root + "/in/clip.mov";
        QCOMPARE(MakeMediaFile(input, {}), std::string());
        const std::string content = ReadWholeFile(input);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcessEnvironment batchEnv = env;
        batchEnv.insert("FENNEX_TEST_START_FILES", QString::fromStdString(input));
        batchEnv.insert("FENNEX_TEST_OUTPUT_FOLDER", QString::fromStdString(m_root + "/out"));
        batchEnv.insert("FENNEX_PRE_FILE_WAIT_MS", "60000");  // the batch waits before its file

        QProcess* batch = Launch(batchEnv);
        QVERIFY(batch->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(temporary), 15000);
        QVERIFY(!fs::exists(input));
        batch->kill();  // SIGKILL: nothing of the program runs any more
        QVERIFY(batch->waitForFinished());
        QVERIFY(fs::exists(temporary));

        QProcess* again = Launch(env);
        QVERIFY(again->waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(fs::exists(input), 15000);
        QVERIFY(!fs::exists(temporary));
        QVERIFY(ReadWholeFile(input) == content);
        again->kill();  // it is showing what it restored
        QVERIFY(again->waitForFinished());
    }
};

QTEST_MAIN(KilledProcessTest)
#include "KilledProcessTest.moc"
