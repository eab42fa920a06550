// ovk-sensor-update end to end in the simulated world: an emulated sensor that restarts into
// its bootloader, the stand-in flashing tool and the local help server, each a real process.
#include "BenchSensors.h"
#include "SensorIds.h"
#include "OwnLockFolder.h"
#include "Packages.h"
#include "Processes.h"
#include "SignalWait.h"
#include "WorkingDirectory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>
#include <csignal>
#include <memory>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const char accessDeniedLine[] = "Access denied: We couldn't access your sensor. Please disconnect "
                                "your sensor and make sure it's not open in any chrome tab";
const char staleDownloadLine[] = "Could not download the latest package; updating with the one "
                                 "stored on 2026-01-15.";

QString tool(const char *variable)
{
    return qEnvironmentVariable(variable);
}

// Waits for the processes whose program has gone and that have ended since (this test is
// their reaper); true once none is left. kill: ends them first, with their process groups.
bool leftoversGone(bool kill = false)
{
    const QList<qint64> children = childProcessesOf(QCoreApplication::applicationPid());
    for (const qint64 child : children) {
        if (kill) {
            // Its group, unless it is this test's own (a supervisor whose program was killed
            // stays in the group it was started in): that would end the test and its runner.
            const pid_t group = getpgid(pid_t(child));
            if (group > 0 && group != getpgrp())
                ::kill(-group, SIGKILL);
            ::kill(pid_t(child), SIGKILL);
        }
        waitpid(pid_t(child), nullptr, WNOHANG);
    }
    return childProcessesOf(QCoreApplication::applicationPid()).isEmpty();
}
} // namespace

class TestConsoleProgram : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void exitCodes_data();
    void exitCodes();
    void waitsForSensor();
    void stopSignals_data();
    void stopSignals();
    void twoProgramsOneSensor();
    void rootUsesNothingOfAnotherUsers();
    void killedProgramsToolKeepsTheLockUntilItsDeadline();
    void jsonEventsAndHistory();
    void batchUntilTerminated();
    void everySensorAtOnce_data();
    void everySensorAtOnce();
    void groupBesideAnotherProgramsRun();
    void groupAfterGroup();
    void benchTellsSensorsApart_data();
    void benchTellsSensorsApart();

private:
    // Starts the world around the program; the program's lines come on the world's stdout.
    // program: the arguments are a whole command line of their own instead.
    void startWorld(const QStringList &worldOptions, const QStringList &programArguments,
                    bool asNormalUser = false, bool program = false);
    // Waits until the output has count lines equal to line; false after timeoutMs, far beyond
    // what a line that comes takes on any machine.
    bool waitForLine(const QString &line, int count = 1, int timeoutMs = 90000);
    // The world's exit code once it has ended (it ends with the program's).
    int exitCode(int timeoutMs = 90000);
    QStringList lines() const;
    QStringList programLines() const; // the lines that are not the world's own
    // The console program's process id: the world's child, once it runs.
    qint64 programPid() const;
    // The program and the world started from now on read this language; empty: the test's own.
    void speak(const QByteArray &language);
    // Where the console program keeps its downloaded package.
    QString storedPackage() const { return work->filePath("cache/ovk-sensor-updater/dl/app.zip"); }

    std::unique_ptr<TemporaryWorkingDirectory> work;
    std::unique_ptr<QProcess> world;
    QByteArray output;
    QByteArray errors; // standard error, when kept apart (OVK_TEST_SEPARATE_ERRORS)
    QString demoPackage;
    const QString savedPath = qEnvironmentVariable("PATH");
    const QByteArray savedLanguage = qgetenv("LANGUAGE");
};

void TestConsoleProgram::initTestCase()
{
    for (const char *variable : {"OVK_WORLD", "OVK_CONSOLE_PROGRAM", "OVK_FAKE_TOOL"})
        QVERIFY2(QFileInfo(tool(variable)).isExecutable(), variable);
    if (QStandardPaths::findExecutable("umockdev-wrapper").isEmpty())
        QSKIP("umockdev-wrapper is missing");
    demoPackage = realZipArchive();
    // Supervisors and tools whose program has gone become this test's children, so that
    // cleanup() can end whatever a test left behind: they would hold the computer's update
    // lock for the next test.
    QCOMPARE(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
}

void TestConsoleProgram::init()
{
    work = std::make_unique<TemporaryWorkingDirectory>();
    QVERIFY(QDir().mkpath(work->filePath("bin")));
    QVERIFY(QFile::link(tool("OVK_FAKE_TOOL"), work->filePath("bin/util")));
    // The world and the program inherit both: the tool on PATH, and a lock of this test's own.
    qputenv("PATH", (work->filePath("bin") + ':' + savedPath).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", work->path().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", work->filePath("cache").toLocal8Bit());
    qputenv("XDG_DATA_HOME", work->filePath("data").toLocal8Bit());
    qputenv("OVK_FAKE_TOOL_EXIT", "0");
    qputenv("OVK_FAKE_TOOL_CHECK_ZIP", "1");
    speak(QByteArray());
    output.clear();
    errors.clear();
}

void TestConsoleProgram::cleanup()
{
    // Asked first, so that the world takes its program down with it; forced if need be.
    if (world && world->state() != QProcess::NotRunning) {
        world->terminate();
        if (!world->waitForFinished(10000)) {
            world->kill();
            world->waitForFinished(5000);
        }
    }
    if (QTest::currentTestFailed())
        qInfo().noquote() << "output of the run:\n" << output;
    world.reset();
    QTRY_VERIFY(leftoversGone(true));
    work.reset();
}

void TestConsoleProgram::startWorld(const QStringList &worldOptions,
                                    const QStringList &programArguments, bool asNormalUser,
                                    bool program)
{
    QStringList arguments{tool("OVK_WORLD"), "--restart-delay", "300", "--bootloader-stay", "4000"};
    arguments << worldOptions << "--";
    // Root opens any device node; a normal user meets the sensor's access rights.
    if (asNormalUser && geteuid() == 0)
        arguments << "setpriv"
                  << "--bounding-set=-dac_override,-dac_read_search"
                  << "--";
    if (!program)
        arguments << tool("OVK_CONSOLE_PROGRAM");
    arguments << programArguments;
    world = std::make_unique<QProcess>();
    // The program's standard error apart from its standard output, where a test reads that alone.
    const bool apart = qEnvironmentVariableIsSet("OVK_TEST_SEPARATE_ERRORS");
    world->setProcessChannelMode(apart ? QProcess::SeparateChannels : QProcess::MergedChannels);
    connect(world.get(), &QProcess::readyReadStandardOutput, this,
            [this] { output += world->readAllStandardOutput(); });
    connect(world.get(), &QProcess::readyReadStandardError, this,
            [this] { errors += world->readAllStandardError(); });
    world->start("umockdev-wrapper", arguments);
    QVERIFY(world->waitForStarted());
}

void TestConsoleProgram::speak(const QByteArray &language)
{
    qputenv("LANGUAGE", language.isEmpty() ? savedLanguage : language);
}

bool TestConsoleProgram::waitForLine(const QString &line, int count, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (lines().count(line) < count && timer.elapsed() < timeoutMs)
        world->waitForReadyRead(100);
    return lines().count(line) >= count;
}

int TestConsoleProgram::exitCode(int timeoutMs)
{
    if (world->state() != QProcess::NotRunning && !world->waitForFinished(timeoutMs))
        return -1;
    output += world->readAllStandardOutput();
    errors += world->readAllStandardError();
    return world->exitCode();
}

QStringList TestConsoleProgram::lines() const
{
    return QString::fromUtf8(output).split('\n');
}

QStringList TestConsoleProgram::programLines() const
{
    return lines().filter(QRegularExpression("^(?!world: )."));
}

qint64 TestConsoleProgram::programPid() const
{
    return childProcessesOf(world->processId()).value(0);
}

void TestConsoleProgram::exitCodes_data()
{
    // --read-only-lock: not the world's; the program meets a /run/lock where nothing can be made
    QTest::addColumn<QStringList>("worldOptions");
    QTest::addColumn<QStringList>("arguments"); // PACKAGE: the demo package, WEB: a web page
    // "hang": a tool that never ends; "none": no tool at all
    QTest::addColumn<QByteArray>("toolExit");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lastLine");

    // The world serves the package, or the program is given it: the same option in both.
    const QStringList withPackage{"--package", "PACKAGE"};
    QTest::newRow("update done") << QStringList() << withPackage << QByteArray("0") << 0
                                 << "Update done";
    QTest::newRow("tool fails") << QStringList() << withPackage << QByteArray("3") << 1
                                << "Error on update";
    // Told before its outcome that nobody else's programs were kept out.
    QTest::newRow("update done, this user's lock only")
        << QStringList{"--read-only-lock"} << withPackage << QByteArray("0") << 0 << "Update done";
    QTest::newRow("no sensor") << QStringList{"--no-sensor"} << withPackage << QByteArray("0") << 2
                               << "No sensor connected";
    QTest::newRow("access denied")
        << QStringList{"--deny-access"} << withPackage << QByteArray("0") << 3 << accessDeniedLine;
    // No flashing tool ran: its code is not there to be taken for a good flash's.
    QTest::newRow("access denied, JSON")
        << QStringList{"--deny-access"} << withPackage + QStringList{"--json"} << QByteArray("0")
        << 3
        << QString(R"({"event":"outcome","exitCode":3,"outcome":"AccessDenied","text":"%1",)"
                   R"("title":"Access denied"})")
               .arg(accessDeniedLine);
    QTest::newRow("unusable package")
        << QStringList() << QStringList{"--package", "WEB"} << QByteArray("0") << 4
        << "No usable firmware package: portal.zip";
    QTest::newRow("default download")
        << withPackage << QStringList() << QByteArray("0") << 0 << "Update done";
    // An earlier day's package is stored; the help server has none today.
    QTest::newRow("download fails, stored package said")
        << QStringList() << QStringList() << QByteArray("0") << 0 << "Update done";
    QTest::newRow("two sensors")
        << QStringList{"--second-sensor"} << withPackage << QByteArray("0") << 5
        << "More than one sensor connected: Please connect only one sensor.";
    QTest::newRow("no flashing tool")
        << QStringList() << withPackage << QByteArray("none") << 1
        << "No flashing tool found: put util beside the program or on PATH";
    QTest::newRow("tool never ends")
        << QStringList() << QStringList{"--package", "PACKAGE", "--tool-timeout", "1"}
        << QByteArray("hang") << 1
        << "The flashing tool did not finish in 1 s and was stopped. The sensor waits in its "
           "bootloader; update it again.";
    QTest::newRow("usage error") << QStringList() << QStringList{"--wait", "soon"}
                                 << QByteArray("0") << 64 << "--wait needs a number of seconds";
    QTest::newRow("wait beyond reach")
        << QStringList() << QStringList{"--wait", "3000000"} << QByteArray("0") << 64
        << "--wait needs a number of seconds";
}

void TestConsoleProgram::exitCodes()
{
    QFETCH(QStringList, worldOptions);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, toolExit);
    QFETCH(int, exitCode);
    QFETCH(QString, lastLine);
    qputenv("OVK_FAKE_TOOL_EXIT", toolExit);
    qputenv("OVK_FAKE_TOOL_HANG", toolExit == "hang" ? "1" : "0");
    if (toolExit == "none")
        QVERIFY(QFile::remove(work->filePath("bin/util")));
    QVERIFY(writeFile("portal.zip", "<html>Sign in to the Wi-Fi</html>"));
    // Someone's package in the folder the program is started from is never its own.
    QVERIFY(writeFile("dl/app.zip", zipFrame("someone else's package")));
    // What an earlier day's download left; today's, when there is one, replaces it.
    QVERIFY(writeFile(storedPackage(), zipFrame("an earlier package")));
    QFile earlier(storedPackage());
    QVERIFY(earlier.open(QIODevice::ReadWrite));
    QVERIFY(earlier.setFileTime(QDateTime(QDate(2026, 1, 15), QTime(12, 0)),
                                QFileDevice::FileModificationTime));
    earlier.close();
    worldOptions.replaceInStrings("PACKAGE", demoPackage);
    arguments.replaceInStrings("PACKAGE", demoPackage).replaceInStrings("WEB", "portal.zip");
    const bool readOnlyLock = worldOptions.removeAll("--read-only-lock") > 0;
    if (readOnlyLock && !hasLockFolderOfItsOwn())
        QSKIP("needs a /run/lock of its own: root with namespaces (tests/e2e/isolated.sh)");
    if (readOnlyLock)
        QVERIFY(mount("ovk-test-read-only", "/run/lock", "tmpfs", MS_RDONLY, nullptr) == 0);
    const auto unmount = qScopeGuard([readOnlyLock] {
        if (readOnlyLock)
            umount2("/run/lock", MNT_DETACH);
    });

    startWorld(worldOptions, arguments, exitCode == 3);
    QCOMPARE(this->exitCode(), exitCode);
    const QStringList said = programLines();
    QVERIFY(!said.isEmpty());
    QCOMPARE(said.last(), lastLine);
    QCOMPARE(said.contains("Only this user's programs were kept off the sensor: the lock shared "
                           "by every user could not be made (/run/lock/ovk-sensor-update.lock: "
                           "Read-only file system)."),
             readOnlyLock);
    const bool updating = exitCode <= 1 || (exitCode >= 3 && exitCode <= 5);
    QCOMPARE(said.join('\n').contains("Updating the sensor with " +
                                      (arguments.isEmpty() ? storedPackage() : arguments.value(1))),
             updating);
    const bool downloadFails = arguments.isEmpty() && !worldOptions.contains("--package");
    QCOMPARE(said.contains(staleDownloadLine), downloadFails);
    // Refused runs leave the sensor alone, also one that shares the bus with another, or has
    // no tool to flash it.
    QCOMPARE(lines().contains("world: sensor got the bootloader command"),
             exitCode <= 1 && toolExit != "none");
    // Without -v the program's debug log stays out of sight.
    QVERIFY(!lines().contains("Opened TVX"));
    if (arguments.isEmpty())
        QCOMPARE(fileContents(storedPackage()),
                 downloadFails ? zipFrame("an earlier package") : fileContents(demoPackage));
    QCOMPARE(fileContents("dl/app.zip"), zipFrame("someone else's package"));
}

void TestConsoleProgram::waitsForSensor()
{
    startWorld({"--no-sensor"}, {"--wait", "20", "--package", demoPackage, "--verbose"});
    QVERIFY(waitForLine("Waiting for a sensor"));
    QTest::qWait(1000);
    world->write("plug\n");
    QCOMPARE(exitCode(), 0);
    QCOMPARE(lines().filter(QRegularExpression("^(?!world: ).")).last(), "Update done");
    QVERIFY(lines().contains("Opened TVX")); // --verbose shows the debug log
}

void TestConsoleProgram::stopSignals_data()
{
    QTest::addColumn<QList<int>>("signalNumbers");
    QTest::addColumn<bool>("duringDownload"); // else while the tool flashes
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lastLine");
    QTest::addColumn<bool>("toolRunsToItsEnd");

    const QStringList none;
    // Whatever happens to the program, the flash is not cut short.
    QTest::newRow("hang-up") << QList<int>{SIGHUP} << false << none << 0 << "Update done" << true;
    QTest::newRow("killed") << QList<int>{SIGKILL} << false << none << int(SIGKILL) << QString()
                            << true;
    // Unless a person insists.
    QTest::newRow("Ctrl+C twice")
        << QList<int>{SIGINT, SIGINT} << false << none << 130
        << "Interrupted. The sensor waits in its bootloader; update it again." << false;
    // Nothing has touched the sensor yet.
    QTest::newRow("Ctrl+C during the download")
        << QList<int>{SIGINT} << true << none << 130 << "Interrupted" << false;
    // A script hears of every run that began, to its end, and of every batch its summary.
    QTest::newRow("Ctrl+C twice, JSON")
        << QList<int>{SIGINT, SIGINT} << false << QStringList{"--json"} << 130
        << R"({"event":"outcome","exitCode":130,"outcome":"ToolStopped","text":"Interrupted. )"
           R"(The sensor waits in its bootloader; update it again.","title":"Error on update"})"
        << false;
    QTest::newRow("Ctrl+C twice in a batch, JSON")
        << QList<int>{SIGINT, SIGINT} << false << QStringList{"--json", "--repeat"} << 130
        << R"({"event":"summary","exitCode":130,"failed":1,"updated":0})" << false;
    QTest::newRow("Ctrl+C during the download, JSON")
        << QList<int>{SIGINT} << true << QStringList{"--json"} << 130
        << R"({"event":"outcome","exitCode":130,"outcome":"Withdrawn","text":"Interrupted",)"
           R"("title":"Withdrawn before the sensor was touched"})"
        << false;
}

void TestConsoleProgram::stopSignals()
{
    QFETCH(QList<int>, signalNumbers);
    QFETCH(bool, duringDownload);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, lastLine);
    QFETCH(bool, toolRunsToItsEnd);
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", toolRunsToItsEnd ? "2000" : "20000");
    qputenv("OVK_FAKE_TOOL_RECORD", work->filePath("runs.jsonl").toLocal8Bit());
    qputenv("OVK_FAKE_TOOL_TIMES", work->filePath("times").toLocal8Bit());
    const QStringList worldOptions{"--package", demoPackage, "--package-delay", "8000"};
    startWorld(duringDownload ? worldOptions : QStringList(),
               (duringDownload ? QStringList() : QStringList{"--package", demoPackage}) + options);
    qunsetenv("OVK_FAKE_TOOL_SLEEP_MS");
    qunsetenv("OVK_FAKE_TOOL_RECORD");
    qunsetenv("OVK_FAKE_TOOL_TIMES");
    if (duringDownload)
        QTRY_VERIFY_WITH_TIMEOUT(
            lines().join('\n').contains("Updating the sensor with " + storedPackage()), 90000);
    else
        QTRY_VERIFY_WITH_TIMEOUT(!fileContents(work->filePath("runs.jsonl")).isEmpty(), 90000);
    const qint64 pid = programPid();
    QVERIFY(pid > 0);
    for (int sent = 0; sent < signalNumbers.size(); ++sent) {
        QCOMPARE(::kill(pid_t(pid), signalNumbers[sent]), 0);
        // The next one once the program has taken this one: two pending at once would be one.
        if (sent + 1 < signalNumbers.size())
            QTRY_VERIFY_WITH_TIMEOUT(output.contains("Stopping once the running update has ended"),
                                     90000);
    }
    QCOMPARE(this->exitCode(), exitCode);
    if (!lastLine.isEmpty())
        QCOMPARE(programLines().last(), lastLine);
    QCOMPARE(lines().contains("world: sensor got the bootloader command"), !duringDownload);
    if (toolRunsToItsEnd) {
        // The tool writes its "exit" line only when it has run to its end.
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(work->filePath("times")).contains("exit"), 90000);
        return;
    }
    // Stopped, or never started: no tool is left running.
    const QByteArray run = fileContents(work->filePath("runs.jsonl"));
    QCOMPARE(run.isEmpty(), duringDownload);
    if (!run.isEmpty()) {
        const pid_t group = pid_t(QJsonDocument::fromJson(run).object().value("pid").toDouble());
        QTRY_VERIFY_WITH_TIMEOUT(::kill(-group, 0) != 0, 90000);
    }
}

void TestConsoleProgram::twoProgramsOneSensor()
{
    // A second program while the first one flashes, on the same bus, as another login or under
    // sudo would start it: other runtime, home and temporary folders. The first one's flash is
    // the only one. Started once the sensor is back from its restart, it never meets the sensor
    // between two places, however slow the machine; the flash outlasts its start.
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "10000");
    qputenv("OVK_FAKE_TOOL_RECORD", work->filePath("runs.jsonl").toLocal8Bit());
    const QString program = tool("OVK_CONSOLE_PROGRAM") + " --package '" + demoPackage + "'";
    const QString other = "mkdir -p other/run other/tmp; XDG_RUNTIME_DIR=$PWD/other/run "
                          "HOME=$PWD/other TMPDIR=$PWD/other/tmp ";
    startWorld(
        {},
        {"sh", "-c",
         program + " & while [ ! -e go ]; do sleep 0.1; done; " + other + program + "; wait"},
        false, true);
    qunsetenv("OVK_FAKE_TOOL_SLEEP_MS");
    qunsetenv("OVK_FAKE_TOOL_RECORD");
    QVERIFY(waitForLine("world: sensor plugged in", 2));
    QTRY_VERIFY_WITH_TIMEOUT(!fileContents(work->filePath("runs.jsonl")).isEmpty(), 90000);
    QVERIFY(writeFile(work->filePath("go"), ""));
    exitCode();
    QCOMPARE(programLines().count("Update done"), 1);
    // Who holds the sensor, and since when.
    QCOMPARE(programLines()
                 .filter(QRegularExpression("^Update already running: ovk-sensor-update "
                                            "\\(process \\d+, user \\S+\\) since \\d{4}-"))
                 .size(),
             1);
    QCOMPARE(fileContents(work->filePath("runs.jsonl")).count('\n'), 1);
}

void TestConsoleProgram::rootUsesNothingOfAnotherUsers()
{
    if (geteuid() != 0)
        QSKIP("runs the program as root, as sudo -E does");
    // What user nobody prepared and sudo -E hands on: a temporary folder, and a Qt plugin that
    // leaves a trace where it is loaded.
    const QString theirs = work->filePath("nobody");
    QVERIFY(QDir().mkpath(theirs + "/tmp") && QDir().mkpath(theirs + "/plugins/bearer"));
    QVERIFY(QFile::copy(tool("OVK_TRACE_PLUGIN"), theirs + "/plugins/bearer/libtrace.so"));
    QCOMPARE(QProcess::execute("chown", {"-R", "65534:65534", theirs}), 0);
    const QString trace = work->filePath("trace");
    qputenv("OVK_PLUGIN_TRACE", trace.toLocal8Bit());
    qputenv("OVK_FAKE_TOOL_EXIT", "3");
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "1500");
    qputenv("OVK_FAKE_TOOL_RECORD", work->filePath("runs.jsonl").toLocal8Bit());
    // Theirs are the program's alone; the world keeps its own. The package is downloaded: the
    // network is what loads Qt's bearer plugins.
    startWorld({"--package", demoPackage},
               {"env", "TMPDIR=" + theirs + "/tmp", "QT_PLUGIN_PATH=" + theirs + "/plugins",
                tool("OVK_CONSOLE_PROGRAM")},
               false, true);
    qunsetenv("OVK_PLUGIN_TRACE");
    qunsetenv("OVK_FAKE_TOOL_SLEEP_MS");
    qunsetenv("OVK_FAKE_TOOL_RECORD");
    const auto madeThere = [&] {
        return QDir(theirs + "/tmp")
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    };
    // While the tool runs, nothing of the run is there to be swapped for another outcome.
    QTRY_VERIFY_WITH_TIMEOUT(!fileContents(work->filePath("runs.jsonl")).isEmpty(), 20000);
    QCOMPARE(madeThere(), QStringList());
    QCOMPARE(exitCode(), 1);
    QCOMPARE(programLines().last(), "Error on update");
    QCOMPARE(madeThere(), QStringList());
    QVERIFY2(!QFileInfo::exists(trace), "their plugin was loaded");
}

void TestConsoleProgram::killedProgramsToolKeepsTheLockUntilItsDeadline()
{
    // A program killed while its tool hangs; a second program meanwhile, on the same bus, well
    // within the tool's deadline however slow the machine, and the sensor still in its
    // bootloader (never caught between its two places).
    qputenv("OVK_FAKE_TOOL_HANG", "1");
    qputenv("OVK_FAKE_TOOL_RECORD", work->filePath("runs.jsonl").toLocal8Bit());
    const QString program = tool("OVK_CONSOLE_PROGRAM") + " --package '" + demoPackage + "'";
    startWorld({"--bootloader-stay", "120000"},
               {"sh", "-c",
                program +
                    " --tool-timeout 20 & first=$!; while [ ! -s runs.jsonl ]; do sleep "
                    "0.1; done; kill -KILL $first; " +
                    program + "; echo \"second program: $?\""},
               false, true);
    qunsetenv("OVK_FAKE_TOOL_HANG");
    qunsetenv("OVK_FAKE_TOOL_RECORD");
    exitCode();
    // The hung tool keeps the sensor, and is named: its program has gone.
    QCOMPARE(programLines()
                 .filter(QRegularExpression("^Update already running: ovk-sensor-update "
                                            "\\(user \\S+\\) since .*; it has ended, and its "
                                            "flashing tool on ttyACM0 \\(supervised by process "
                                            "\\d+\\) is stopped at \\d\\d:\\d\\d:\\d\\d at the "
                                            "latest$"))
                 .size(),
             1);
    QVERIFY(programLines().contains("second program: 1"));
    // Its deadline holds without it: the tool's whole group goes, and with it the lock.
    const QJsonObject run =
        QJsonDocument::fromJson(fileContents(work->filePath("runs.jsonl"))).object();
    const pid_t group = pid_t(run.value("pid").toDouble());
    QTRY_VERIFY_WITH_TIMEOUT(leftoversGone() && ::kill(-group, 0) != 0, 90000);
}

void TestConsoleProgram::jsonEventsAndHistory()
{
    // A failed update for a script: every line on standard output is a JSON object.
    qputenv("OVK_FAKE_TOOL_EXIT", "3");
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "1500");
    qputenv("OVK_TEST_SEPARATE_ERRORS", "1");
    // Whatever the user's language, a script reads English.
    speak("fr");
    startWorld({}, {"--json", "--package", demoPackage});
    speak(QByteArray());
    qunsetenv("OVK_FAKE_TOOL_SLEEP_MS");
    qunsetenv("OVK_TEST_SEPARATE_ERRORS");
    QCOMPARE(exitCode(), 1);
    QList<QJsonObject> events;
    for (const QString &line : programLines()) {
        QJsonParseError error;
        const QJsonDocument event = QJsonDocument::fromJson(line.toUtf8(), &error);
        QVERIFY2(error.error == QJsonParseError::NoError && event.isObject(), qPrintable(line));
        events.append(event.object());
    }
    QStringList steps;
    QStringList texts;
    QList<int> percents;
    for (const QJsonObject &event : events) {
        if (event.contains("text"))
            texts << event["text"].toString();
        if (event["event"] == "step")
            steps << event["step"].toString();
        if (event["event"] == "progress")
            percents << event["percent"].toInt();
    }
    QCOMPARE(steps, (QStringList{"restart", "bootloader", "writing"}));
    QCOMPARE(texts,
             (QStringList{"Updating the sensor with " + demoPackage,
                          "Restarting the sensor into its bootloader", "Looking for the bootloader",
                          "Writing the firmware", "Error on update"}));
    QVERIFY(!percents.isEmpty() && percents.last() <= 100);
    const QJsonObject outcome = events.last();
    QCOMPARE(outcome["event"].toString(), "outcome");
    QCOMPARE(outcome["outcome"].toString(), "ToolFailed");
    QCOMPARE(outcome["code"].toInt(), 3);
    QCOMPARE(outcome["exitCode"].toInt(), 1);
    QCOMPARE(outcome["title"].toString(), "Error on update");
    // The tool's own last words go to standard error.
    QVERIFY2(errors.contains("The flashing tool's last lines:\n") &&
                 errors.contains("stand-in diagnostics for " + demoPackage.toUtf8()),
             errors.constData());

    // The run is in the history, as a table and as JSON lines.
    QProcess history;
    history.start(tool("OVK_CONSOLE_PROGRAM"), {"--history"});
    QVERIFY(history.waitForFinished());
    const QStringList table = QString::fromUtf8(history.readAllStandardOutput()).split('\n');
    QVERIFY(table.first().startsWith("When "));
    QVERIFY2(table.value(1).contains("ovk-sensor-update 0.1  TVX2024A0001  demo-firmware.zip") &&
                 table.value(1).contains("Error on update (3)"),
             qPrintable(table.value(1)));
    history.start(tool("OVK_CONSOLE_PROGRAM"), {"--history", "--json"});
    QVERIFY(history.waitForFinished());
    const QJsonObject entry = QJsonDocument::fromJson(history.readAllStandardOutput()).object();
    QCOMPARE(entry["outcome"].toString(), "ToolFailed");
    QCOMPARE(entry["package"].toObject()["file"].toString(), "demo-firmware.zip");
}

void TestConsoleProgram::batchUntilTerminated()
{
    startWorld({}, {"--repeat", "--package", demoPackage});
    QVERIFY(waitForLine("Sensor 1: Update done (1 updated, 0 failed)"));
    QVERIFY(waitForLine("Waiting for the next sensor"));
    // Back from its restart after 4 s, the sensor just updated is not updated again.
    // Its bootloader reports a serial number of its own: still the same sensor.
    QVERIFY(waitForLine("world: sensor plugged in", 2));
    QTest::qWait(1500);
    QCOMPARE(programLines().count("Updating the sensor with " + demoPackage), 1);
    // Another sensor in its place at once is the next one.
    world->write("swap\n");
    QVERIFY(waitForLine("Sensor 2: Update done (2 updated, 0 failed)"));
    QVERIFY(waitForLine("world: second sensor plugged in", 2)); // back from its restart
    // The next one plugged in before the updated one is out: waited out, and said once.
    world->write("add\n");
    QVERIFY(waitForLine("Unplug the updated sensor"));
    QTest::qWait(1500);
    QCOMPARE(programLines().count("Updating the sensor with " + demoPackage), 2);
    world->write("unplug\n");
    QVERIFY(waitForLine("Updating the sensor with " + demoPackage, 3));
    // Asked to stop while the third sensor is being updated: it is let finish.
    world->terminate();
    QCOMPARE(exitCode(), 0);
    const QStringList said = programLines();
    QCOMPARE(said.count("Unplug the updated sensor"), 1);
    QVERIFY(said.lastIndexOf("Stopping once the running update has ended") >
            said.lastIndexOf("Updating the sensor with " + demoPackage));
    QCOMPARE(said.mid(said.size() - 2),
             (QStringList{"Sensor 3: Update done (3 updated, 0 failed)", "3 updated, 0 failed"}));
}

void TestConsoleProgram::everySensorAtOnce_data()
{
    QTest::addColumn<QStringList>("worldOptions");
    QTest::addColumn<QStringList>("options"); // WEB: a web page for a package
    QTest::addColumn<QStringList>("tool");    // the stand-in's settings, beside a run of 1 s
    QTest::addColumn<bool>("loseSupervisor"); // the first tool's supervisor is killed
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("ports");   // flashed, one run each
    QTest::addColumn<QStringList>("told");    // among the lines, the last one last
    QTest::addColumn<QByteArray>("language"); // empty: the test's own

    // Each sensor's own bootloader, one already waiting in it, found by its own place.
    const QStringList none;
    QTest::newRow("three sensors, one in its bootloader")
        << QStringList{"--sensors", "3", "--waiting", "1"} << none << none << false << 0
        << QStringList{"ttyACM11", "ttyACM12", "ttyACM13"}
        << QStringList{"Sensor 3-1 (TVX2024B0001): Update done",
                       "Sensor 3-2 (TVX2024B0002): Update done",
                       "Sensor 3-3 (TVXBL1003): Update done", "3 updated, 0 failed"}
        << QByteArray();
    // --all never guesses which bootloader is whose.
    QTest::newRow("a port whose place cannot be read")
        << QStringList{"--sensors", "2", "--unplaced-port"} << none << none << false << 1
        << QStringList{"ttyACM11", "ttyACM12"}
        << QStringList{"Sensor on ttyACM20: not updated with the others: where it is plugged in "
                       "cannot be told apart from where the others are",
                       "2 updated, 1 failed"}
        << QByteArray();
    // A tool that cannot run twice at once: the sensors' restarts overlap, the flashes queue.
    QTest::newRow("one tool at a time")
        << QStringList{"--sensors", "2"} << QStringList{"--tools-at-once", "1"} << none << false
        << 0 << QStringList{"ttyACM11", "ttyACM12"} << QStringList{"2 updated, 0 failed"}
        << QByteArray();
    // A person reads the program's lines in their language.
    QTest::newRow("two sensors, in French")
        << QStringList{"--sensors", "2"} << none << none << false << 0
        << QStringList{"ttyACM11", "ttyACM12"}
        << QStringList{"Capteur 3-1 (TVX2024B0001) : Mise à jour terminée",
                       "Capteur 3-2 (TVX2024B0002) : Mise à jour terminée",
                       "2 mis à jour, 0 en échec"}
        << QByteArray("fr");
    // The tool whose supervisor was lost runs on: the next one waits for its end.
    QTest::newRow("one tool at a time, a supervisor lost")
        << QStringList{"--sensors", "2"} << QStringList{"--tools-at-once", "1"}
        << QStringList{"OVK_FAKE_TOOL_SLEEP_MS=4000"} << true << 1
        << QStringList{"ttyACM11", "ttyACM12"} << QStringList{"1 updated, 1 failed"}
        << QByteArray();
    QTest::newRow("one of two fails")
        << QStringList{"--sensors", "2"} << none
        << QStringList{"OVK_FAKE_TOOL_EXIT=3", "OVK_FAKE_TOOL_EXIT_ON=ttyACM12"} << false << 1
        << QStringList{"ttyACM11", "ttyACM12"}
        << QStringList{"Sensor 3-1 (TVX2024B0001): Update done",
                       "Sensor 3-2 (TVX2024B0002): Error on update", "1 updated, 1 failed"}
        << QByteArray();
    // Every run ends at the press, and the group once.
    QTest::newRow("a bad package")
        << QStringList{"--sensors", "2"} << QStringList{"--package", "WEB"} << none << false << 1
        << QStringList()
        << QStringList{"Sensor 3-1 (TVX2024B0001): No usable firmware package: portal.zip",
                       "Sensor 3-2 (TVX2024B0002): No usable firmware package: portal.zip",
                       "0 updated, 2 failed"}
        << QByteArray();
    // A device with the sensor's ids chooses its serial number, escape sequences included.
    QTest::newRow("a serial number with control characters")
        << QStringList{"--sensors", "1", "--serial", "TVX\x1b]0;owned\x07\x1b[2J\\"} << none << none
        << false << 0 << QStringList{"ttyACM11"}
        << QStringList{"Sensor 3-1 (TVX\\x1b]0;owned\\x07\\x1b[2J\\\\): Update done",
                       "1 updated, 0 failed"}
        << QByteArray();
}

void TestConsoleProgram::everySensorAtOnce()
{
    QFETCH(QStringList, worldOptions);
    QFETCH(QStringList, options);
    QFETCH(QStringList, tool);
    QFETCH(bool, loseSupervisor);
    QFETCH(int, exitCode);
    QFETCH(QStringList, ports);
    QFETCH(QStringList, told);
    QFETCH(QByteArray, language);
    speak(language);
    QVERIFY(writeFile("portal.zip", "<html>Sign in to the Wi-Fi</html>"));
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "1000");
    qputenv("OVK_FAKE_TOOL_RECORD", work->filePath("runs.jsonl").toLocal8Bit());
    qputenv("OVK_FAKE_TOOL_TIMES", work->filePath("times").toLocal8Bit());
    for (const QString &setting : tool)
        qputenv(qPrintable(setting.section('=', 0, 0)), setting.section('=', 1).toLocal8Bit());
    if (!options.contains("--package"))
        options << "--package" << demoPackage;
    startWorld(worldOptions, QStringList{"--all"} + options.replaceInStrings("WEB", "portal.zip"));
    qunsetenv("OVK_FAKE_TOOL_SLEEP_MS");
    qunsetenv("OVK_FAKE_TOOL_RECORD");
    qunsetenv("OVK_FAKE_TOOL_TIMES");
    qunsetenv("OVK_FAKE_TOOL_EXIT_ON");
    if (loseSupervisor) {
        // Killed as the out-of-memory killer would, while its tool writes: one at a time, it
        // is the program's only child.
        QTRY_VERIFY_WITH_TIMEOUT(!fileContents(work->filePath("runs.jsonl")).isEmpty(), 90000);
        const QList<qint64> supervisors = childProcessesOf(programPid());
        QCOMPARE(supervisors.size(), 1);
        QCOMPARE(::kill(pid_t(supervisors.first()), SIGKILL), 0);
    }
    QCOMPARE(this->exitCode(), exitCode);
    QStringList flashed;
    for (const QByteArray &line : fileContents(work->filePath("runs.jsonl")).split('\n')) {
        if (!line.isEmpty())
            flashed << QJsonDocument::fromJson(line).object()["args"].toArray().last().toString();
    }
    flashed.sort();
    QCOMPARE(flashed, ports);
    const QStringList said = programLines();
    for (const QString &line : told)
        QVERIFY2(said.contains(line), qPrintable(line));
    QCOMPARE(said.last(), told.last());
    // One summary, in any language: the group finished once.
    QCOMPARE(said.filter(QRegularExpression("^\\d+ [^,]+, \\d+ [^,]+$")).size(), 1);
    // Queued, each tool ends before the next starts.
    if (options.contains("--tools-at-once")) {
        const QList<QByteArray> events = fileContents(work->filePath("times")).split('\n');
        QStringList order;
        for (const QByteArray &event : events) {
            if (!event.isEmpty())
                order << event.split(' ').first();
        }
        QCOMPARE(order, (QStringList{"start", "exit", "start", "exit"}));
    }
}

void TestConsoleProgram::groupBesideAnotherProgramsRun()
{
    // The window (here a single update) flashes the one sensor it saw; a second sensor is
    // plugged in meanwhile and a group started: it leaves the first sensor alone. The flash
    // goes on until the group has been refused the first sensor, however slow the machine, and
    // the sensor stays in its bootloader meanwhile (never caught between its two places).
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "1000");
    qputenv("OVK_FAKE_TOOL_UNTIL", work->filePath("refused").toLocal8Bit());
    qputenv("OVK_FAKE_TOOL_RECORD", work->filePath("runs.jsonl").toLocal8Bit());
    const QString program = tool("OVK_CONSOLE_PROGRAM") + " --package '" + demoPackage + "'";
    startWorld({"--sensors", "1", "--bootloader-stay", "120000"},
               {"sh", "-c",
                program + " & while [ ! -e go ]; do sleep 0.1; done; " + program + " --all; wait"},
               false, true);
    qunsetenv("OVK_FAKE_TOOL_SLEEP_MS");
    qunsetenv("OVK_FAKE_TOOL_UNTIL");
    qunsetenv("OVK_FAKE_TOOL_RECORD");
    QTRY_VERIFY_WITH_TIMEOUT(!fileContents(work->filePath("runs.jsonl")).isEmpty(), 90000);
    world->write("plug 2\n");
    QVERIFY(waitForLine("world: sensor 2 plugged in"));
    QVERIFY(writeFile(work->filePath("go"), ""));
    const QRegularExpression refused("^Sensor 3-1 \\(TVX\\S+\\): Update already running: "
                                     "ovk-sensor-update \\(process \\d+, user \\S+\\)");
    QTRY_VERIFY_WITH_TIMEOUT(!programLines().filter(refused).isEmpty(), 90000);
    QVERIFY(writeFile(work->filePath("refused"), ""));
    exitCode();
    const QStringList said = programLines();
    QCOMPARE(said.filter(refused).size(), 1);
    QVERIFY(said.contains("Sensor 3-2 (TVX2024B0002): Update done"));
    QCOMPARE(said.count("Update done"), 1); // the first program's
    const QByteArray runs = fileContents(work->filePath("runs.jsonl"));
    QCOMPARE(runs.count("\"ttyACM11\""), 1);
    QCOMPARE(runs.count("\"ttyACM12\""), 1);
}

void TestConsoleProgram::groupAfterGroup()
{
    // A bench: sensor 1 fails (its tool fails on its port), sensor 2 waits in its bootloader and
    // is updated there; back from their restarts, neither is updated again.
    qputenv("OVK_FAKE_TOOL_EXIT", "3");
    qputenv("OVK_FAKE_TOOL_EXIT_ON", "ttyACM11");
    qputenv("OVK_FAKE_TOOL_RECORD", work->filePath("runs.jsonl").toLocal8Bit());
    startWorld({"--sensors", "2", "--waiting", "1"},
               {"--all", "--repeat", "--package", demoPackage});
    qunsetenv("OVK_FAKE_TOOL_EXIT_ON");
    qunsetenv("OVK_FAKE_TOOL_RECORD");
    const QString nextGroup = "Updating every sensor connected with " + demoPackage;
    QVERIFY(waitForLine("Waiting for the next sensors"));
    QVERIFY(waitForLine("world: sensor 1 is back") && waitForLine("world: sensor 2 is back"));
    QTest::qWait(2500);
    QCOMPARE(programLines().count(nextGroup), 1);
    // The failed one plugged in again is taken again, with a new one; the updated one, back in
    // its application under another serial number, is out.
    world->write("unplug 2\nunplug 1\nplug 1\nplug 3\n");
    QVERIFY(waitForLine("Waiting for the next sensors", 2));
    QVERIFY(programLines().contains("Sensor 3-3 (TVX2024B0003): Update done"));
    QCOMPARE(programLines().count("Sensor 3-1 (TVX2024B0001): Error on update"), 2);
    // Plugged in again after that group, sensor 2 is known by its application's serial number:
    // the next one waits for it to be out (asked for the first time now).
    QVERIFY(!programLines().contains("Unplug the updated sensors"));
    world->write("unplug 3\nplug 2\nplug 4\n");
    QVERIFY(waitForLine("Unplug the updated sensors"));
    world->write("unplug 2\n");
    QVERIFY(waitForLine("Sensor 3-4 (TVX2024B0004): Update done"));
    QVERIFY(waitForLine("Waiting for the next sensors", 3));
    world->terminate();
    QCOMPARE(exitCode(), 1);
    const QStringList said = programLines();
    QCOMPARE(said.count(nextGroup), 3);
    // Each sensor counted once: sensor 1 failed three times.
    QCOMPARE(said.last(), "3 updated, 1 failed");
    const QByteArray runs = fileContents(work->filePath("runs.jsonl"));
    QCOMPARE(runs.count("\"ttyACM11\""), 3);
    QCOMPARE(runs.count("\"ttyACM12\""), 1);
    QCOMPARE(runs.count("\"ttyACM13\""), 1);
    QCOMPARE(runs.count("\"ttyACM14\""), 1);
}

namespace {
// "TVX1@3-1": a running sensor's serial number and place; "bl:TVXBL@3-1" one in its bootloader.
CensusSensor benchSensor(const QString &text)
{
    const bool waiting = text.startsWith("bl:");
    const QStringList parts = text.mid(waiting ? 3 : 0).split('@');
    CensusSensor sensor;
    sensor.id = {parts.at(0), parts.at(1),
                 waiting ? SensorIds::bootloaderProductId : SensorIds::applicationProductId};
    return sensor;
}
} // namespace

void TestConsoleProgram::benchTellsSensorsApart_data()
{
    // member: a group's sensor and whether it was updated; shown: what its place showed after
    // the group; plugged: a sensor plugged in then, on another place.
    QTest::addColumn<QString>("member");
    QTest::addColumn<bool>("updated");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("plugged");
    QTest::addColumn<bool>("isUpdated");

    QTest::newRow("an updated one, back in its application elsewhere") << "TVX1@3-1" << true << ""
                                                                       << "TVX1@3-2" << true;
    QTest::newRow("one that started in its bootloader, known by its application")
        << "bl:TVXBL@3-1" << true << "TVX2@3-1"
        << "TVX2@3-2" << true;
    QTest::newRow("a failed one plugged in again") << "TVX1@3-1" << false << ""
                                                   << "TVX1@3-2" << false;
    QTest::newRow("another in its bootloader, whose serial number every bootloader shares")
        << "bl:TVXBL@3-1" << true << "TVX2@3-1"
        << "bl:TVXBL@3-2" << false;
}

void TestConsoleProgram::benchTellsSensorsApart()
{
    QFETCH(QString, member);
    QFETCH(bool, updated);
    QFETCH(QString, shown);
    QFETCH(QString, plugged);
    QFETCH(bool, isUpdated);
    UpdateGroup::Member ended;
    ended.sensor = benchSensor(member);
    ended.ended = true;
    ended.report.outcome = updated ? Run::Done : Run::ToolFailed;
    BenchSensors bench;
    bench.groupEnded({ended});
    if (!shown.isEmpty())
        bench.look(SensorCensus::of({benchSensor(shown).id}, {}, {}));
    QCOMPARE(bench.isUpdated(benchSensor(plugged)), isUpdated);
    QCOMPARE(bench.isNext(benchSensor(plugged)), !isUpdated);
    QCOMPARE(bench.updated(), int(updated));
}

QTEST_GUILESS_MAIN(TestConsoleProgram)
#include "tst_consoleprogram.moc"
