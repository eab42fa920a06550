// One update run end to end: emulated sensor that restarts into its bootloader, the real
// QSerialPortInfo, and the stand-in flashing tool started as a real child process.
#include "LocalHelpServer.h"
#include "LockHolder.h"
#include "LogCapture.h"
#include "Packages.h"
#include "Privileges.h"
#include "Processes.h"
#include "ProgramLanguage.h"
#include "RunHistory.h"
#include "SensorTestbed.h"
#include "SignalWait.h"
#include "ToolProgress.h"
#include "UpdateLock.h"
#include "UpdateRun.h"
#include "UmockdevTest.h"
#include "Updater.h"
#include "UpdaterTestAccess.h"
#include "WorkingDirectory.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <cerrno>
#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Shortened so that a run takes well under a second; the proportions stay as in the program.
constexpr int waitMs = 300;
constexpr int retryMs = 50;
constexpr int windowMs = 1200;
// For an outcome that comes: far beyond what a run takes on any machine, ended by the outcome.
constexpr int outcomeMs = 60000;

struct ToolRun
{
    QStringList args;
    QString cwd;
    qint64 pid = 0;
};

int openDescriptors()
{
    return QDir("/proc/self/fd")
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

int childProcesses()
{
    return childProcessesOf(QCoreApplication::applicationPid()).size();
}

QByteArray residentMemory()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = status.readAll();
    const int start = text.indexOf("VmRSS:");
    return text.mid(start + 6, text.indexOf('\n', start) - start - 6).trimmed();
}
} // namespace

class TestUpdateSequence : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void wholeRoad_data();
    void wholeRoad();
    void portLookup_data();
    void portLookup();
    void lateBootloaderFoundByRetry();
    void defaultRunLooksAfterTheWait_data();
    void defaultRunLooksAfterTheWait();
    void noPortEndsTheRun_data();
    void noPortEndsTheRun();
    void sensorAlreadyInBootloaderIsFlashed();
    void missingToolIsReported();
    void toolFoundBesideOrOnPath_data();
    void toolFoundBesideOrOnPath();
    void secondRunIsRefused();
    void hungToolIsStopped();
    void toolLeftoversGoWithIt_data();
    void toolLeftoversGoWithIt();
    void supervisorDeathIsTold();
    void toolEndingAsItsTimeOutFiresIsNotStopped();
    void toolProgress_data();
    void toolProgress();
    void stepsAndProgressAreTold();
    void historyThatCannotBeWrittenFailsNothing();
    void refusedAtThePressTouchesNothing_data();
    void refusedAtThePressTouchesNothing();
    void usbErrorOutcome_data();
    void usbErrorOutcome();
    void pressDuringDownloadWaitsForIt_data();
    void pressDuringDownloadWaitsForIt();
    void soakKeepsResourcesLevel();

private:
    // Puts the stand-in tool as "util" into directory; by default into a folder on PATH.
    void placeTool(const QString &directory = QString());
    std::unique_ptr<Updater> makeUpdater();
    void useTestLock(Updater &updater) const;
    QString lockFolder() const { return work->filePath("lock"); }
    QString lockFile() const { return UpdateLock::fileIn(lockFolder()); }
    // Runs one update and returns its updateDone code (INT_MIN: none in time).
    int runUpdate(Updater &updater, const QString &package = "dl/app.zip");
    QList<ToolRun> toolRuns() const;
    int indexOf(const QString &line, int from = 0) const;

    QString toolPath;
    QString savedPath;
    std::unique_ptr<TemporaryWorkingDirectory> work;
    std::unique_ptr<SensorTestbed> bed;
    std::unique_ptr<LogCapture> log;
};

void TestUpdateSequence::initTestCase()
{
    qRegisterMetaType<Run::Outcome>();
    LocalHelpServer::trustTestAuthority();
    toolPath = QFINDTESTDATA("../tools/flashtool/ovk-fake-flash-tool");
    if (toolPath.isEmpty())
        toolPath = QString::fromLocal8Bit(qgetenv("OVK_FAKE_TOOL"));
    QVERIFY2(QFileInfo(toolPath).isExecutable(), "set OVK_FAKE_TOOL to the stand-in tool");
    savedPath = qEnvironmentVariable("PATH");
}

void TestUpdateSequence::init()
{
    work = std::make_unique<TemporaryWorkingDirectory>();
    qputenv("OVK_FAKE_TOOL_RECORD", work->filePath("runs.jsonl").toLocal8Bit());
    qputenv("OVK_FAKE_TOOL_EXIT", "0");
    qunsetenv("OVK_FAKE_TOOL_SLEEP_MS");
    qputenv("PATH", (work->filePath("bin") + ":/usr/bin:/bin").toLocal8Bit());
    qputenv("XDG_DATA_HOME", work->filePath("data").toLocal8Bit()); // the runs' history
    QVERIFY(QDir().mkpath(work->filePath("lock")));
    bed = std::make_unique<SensorTestbed>();
    log = std::make_unique<LogCapture>();
    QVERIFY(QDir().mkpath("dl"));
    QVERIFY(QFile::copy(realZipArchive(), "dl/app.zip"));
}

void TestUpdateSequence::cleanup()
{
    log.reset();
    bed.reset();
    qputenv("PATH", savedPath.toLocal8Bit());
    work.reset();
}

void TestUpdateSequence::placeTool(const QString &directory)
{
    const QString target = directory.isEmpty() ? work->filePath("bin") : directory;
    QDir().mkpath(target);
    QVERIFY(QFile::link(toolPath, QDir(target).filePath("util")));
}

void TestUpdateSequence::useTestLock(Updater &updater) const
{
    UpdaterTestAccess::setLockFolders(updater, lockFolder(), work->filePath("own"));
}

std::unique_ptr<Updater> TestUpdateSequence::makeUpdater()
{
    auto updater = std::make_unique<Updater>();
    useTestLock(*updater);
    UpdateTiming &timing = UpdaterTestAccess::timing(*updater);
    timing.bootloaderWaitMs = waitMs;
    timing.portRetryIntervalMs = retryMs;
    timing.portRetryWindowMs = windowMs;
    return updater;
}

int TestUpdateSequence::runUpdate(Updater &updater, const QString &package)
{
    QSignalSpy done(&updater, &Updater::updateDone);
    updater.updatePod(package);
    return waitForSignal(done, 1, outcomeMs) ? done.first().first().toInt() : INT_MIN;
}

QList<ToolRun> TestUpdateSequence::toolRuns() const
{
    QList<ToolRun> runs;
    QFile file(work->filePath("runs.jsonl"));
    if (!file.open(QIODevice::ReadOnly))
        return runs;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject run = QJsonDocument::fromJson(line).object();
        ToolRun entry;
        for (const QJsonValue &arg : run.value("args").toArray())
            entry.args.append(arg.toString());
        entry.cwd = run.value("cwd").toString();
        entry.pid = qint64(run.value("pid").toDouble());
        runs.append(entry);
    }
    return runs;
}

int TestUpdateSequence::indexOf(const QString &line, int from) const
{
    return log->lines().indexOf(line, from);
}

void TestUpdateSequence::wholeRoad_data()
{
    QTest::addColumn<QByteArray>("toolExit");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("everyUsersLock"); // else the computer's file cannot be made
    QTest::addColumn<QString>("language");    // the user's; empty: English

    QTest::newRow("success") << QByteArray("0") << 0 << true << QString();
    QTest::newRow("failure") << QByteArray("3") << 3 << true << QString();
    QTest::newRow("exit 255") << QByteArray("255") << 255 << true << QString();
    // The signal, as the platform reports it.
    QTest::newRow("crash") << QByteArray("crash") << 11 << true << QString();
    // The user reads German; the history and the log keep English.
    QTest::newRow("crash, in German") << QByteArray("crash") << 11 << true << "de";
    // The user is told that the lock kept out nobody else's programs.
    QTest::newRow("success, this user's lock only") << QByteArray("0") << 0 << false << QString();
}

void TestUpdateSequence::wholeRoad()
{
    QFETCH(QByteArray, toolExit);
    QFETCH(int, exitCode);
    QFETCH(bool, everyUsersLock);
    QFETCH(QString, language);
    const ProgramLanguage speaking(QStringList(), {language});
    qputenv("OVK_FAKE_TOOL_EXIT", toolExit);
    placeTool();
    bed->plugSensor();
    bed->setRestart(50);
    // Held by a program that then crashed: the system gives its lock back.
    QProcess crashed;
    crashed.start("flock", {"--close", lockFile(), "sleep", "60"});
    QVERIFY(crashed.waitForStarted());
    QTRY_VERIFY(UpdateLock(lockFolder()).tryLock() == UpdateLock::Result::HeldElsewhere);
    crashed.kill();
    QVERIFY(crashed.waitForFinished());
    auto updater = makeUpdater();
    if (!everyUsersLock) {
        QVERIFY(QDir().mkpath(work->filePath("own")));
        UpdaterTestAccess::setLockFolders(*updater, work->filePath("missing"),
                                          work->filePath("own"));
    }
    QSignalSpy done(updater.get(), &Updater::updateDone);
    QSignalSpy ended(updater.get(), &Updater::runEnded);

    const QString package = "dl/my package (v2).zip";
    QVERIFY(writeFile(package, zipFrame()));
    qputenv("OVK_FAKE_TOOL_TIMES", work->filePath("times").toLocal8Bit());
    QLoggingCategory::setFilterRules("ovk.run.moments.debug=true");
    updater->updatePod(package);
    QVERIFY(updater->isRunning());
    const bool ran = waitForSignal(done, 1, outcomeMs);
    QLoggingCategory::setFilterRules(QString());
    qunsetenv("OVK_FAKE_TOOL_TIMES");
    QVERIFY(ran);
    QCOMPARE(done.first().first().toInt(), exitCode);
    // One outcome, said when the run is over.
    QVERIFY(!updater->isRunning());
    QCOMPARE(ended.count(), 1);
    QCOMPARE(ended.first().first().value<Run::Outcome>(),
             exitCode == 0 ? Run::Done : Run::ToolFailed);
    const QString thisUserOnly =
        "Only this user's programs were kept off the sensor: the lock shared by every user could "
        "not be made (" +
        UpdateLock::fileIn(work->filePath("missing")) + ": No such file or directory).";
    const Run::Outcome outcome = ended.first().first().value<Run::Outcome>();
    QCOMPARE(updater->outcomeText(outcome).endsWith("\n\n" + thisUserOnly), !everyUsersLock);
    QCOMPARE(updater->runDetails().contains(thisUserOnly), !everyUsersLock);
    QCOMPARE(bed->writes(), QList<QByteArray>{QByteArray(1, '\x12')});

    const QList<ToolRun> runs = toolRuns();
    QCOMPARE(runs.size(), 1);
    const QStringList expected{"dfu", "usb_serial", "-pkg", package, "-p", "ttyACM0"};
    QCOMPARE(runs.first().args, expected);
    QCOMPARE(QFileInfo(runs.first().cwd).canonicalFilePath(),
             QFileInfo(work->path()).canonicalFilePath());
    QCOMPARE(UpdaterTestAccess::portName(*updater), "ttyACM0");

    // The tool's two channels are logged whole once it has ended, standard output first.
    const int firmware = indexOf("Firmware path: \"dl/my package (v2).zip\"");
    const int arguments = indexOf("Arguments:  (\"dfu\", \"usb_serial\", \"-pkg\", "
                                  "\"dl/my package (v2).zip\", \"-p\", \"ttyACM0\")");
    const int started = indexOf("Started util");
    const int finished = indexOf(QString("Update done, Exit code: %1").arg(exitCode));
    QVERIFY(firmware >= 0 && arguments > firmware && started > arguments && finished > started);
    const QStringList lines = log->lines();
    QVERIFY(lines.size() >= finished + 4);
    QVERIFY2(lines[finished + 1].startsWith("\"stand-in flashing tool ") &&
                 lines[finished + 1].contains("\\nport: ttyACM0\\n\\rwriting firmware 5%") &&
                 lines[finished + 1].contains("\\rwriting firmware 100%\\n"),
             qPrintable(lines[finished + 1]));
    QCOMPARE(lines[finished + 2], "\"stand-in diagnostics for dl/my package (v2).zip\\n\"");
    QCOMPARE(lines[finished + 3], "\"\"");
    QCOMPARE(lines.filter("Error occured").size(), toolExit == "crash" ? 1 : 0);

    // The run as the history keeps it, and its log as a file of its own.
    const QList<QJsonObject> history = RunHistory::entries();
    QCOMPARE(history.size(), 1);
    const QJsonObject entry = history.first();
    QCOMPARE(entry["outcome"].toString(), exitCode == 0 ? "Done" : "ToolFailed");
    QCOMPARE(entry["words"].toString(), exitCode == 0 ? "Update done" : "Error on update");
    // A crash is told by its signal, which is no exit code.
    const bool toolCrashed = toolExit == "crash";
    QCOMPARE(entry.contains("code"), !toolCrashed);
    QCOMPARE(entry[toolCrashed ? "signal" : "code"].toInt(), exitCode);
    const QString crashNote = language.isEmpty() ? "The flashing tool was ended by signal 11"
                                                 : "Das Flash-Tool wurde durch Signal 11";
    QCOMPARE(updater->runDetails().contains(crashNote), toolCrashed);
    QCOMPARE(entry["version"].toString(), "0.1");
    QCOMPARE(entry["sensor"].toString(), "TVX2024A0001");
    const QJsonObject stored = entry["package"].toObject();
    QCOMPARE(stored["file"].toString(), "my package (v2).zip");
    QCOMPARE(qint64(stored["size"].toDouble()), qint64(zipFrame().size()));
    QCOMPARE(stored["sha256"].toString(),
             QCryptographicHash::hash(zipFrame(), QCryptographicHash::Sha256).toHex());
    QCOMPARE(stored["date"].toString(), QDate::currentDate().toString(Qt::ISODate));
    QStringList steps;
    for (const QJsonValue &step : entry["steps"].toArray()) {
        steps << step["step"].toString();
        QVERIFY(step["ms"].toDouble() >= 0);
    }
    QCOMPARE(steps, (QStringList{"restart", "bootloader", "writing"}));
    const QString runLog = fileContents(RunHistory::logFolder() + '/' + entry["log"].toString());
    QVERIFY(runLog.contains(QString("Update done, Exit code: %1").arg(exitCode)));
    QVERIFY(runLog.contains("--- output of the flashing tool ---\nstand-in flashing tool"));
    QCOMPARE(runLog.contains("The flashing tool was ended by signal 11"), toolCrashed);
    QVERIFY(updater->runDetails().contains("stand-in diagnostics for dl/my package (v2).zip"));

    // The moments the benchmark takes the program's own time from, on the tool's clock.
    const auto moment = [this](const QString &name) {
        const QStringList found = log->lines().filter(QRegularExpression('^' + name + " \\d+$"));
        return found.size() == 1 ? found.first().section(' ', 1).toLongLong() : -1;
    };
    const qint64 toolStarted =
        fileContents(work->filePath("times")).split('\n').first().split(' ').last().toLongLong();
    const qint64 pressed = moment("pressed");
    const qint64 sent = moment("command-sent");
    const qint64 waitOver = moment("wait-over");
    QVERIFY(pressed > 0 && pressed < sent && sent < waitOver && waitOver < toolStarted);
    // A coarse timer may fire 5 % early, rounded to whole milliseconds.
    QVERIFY2(waitOver - sent >= (waitMs * 95 / 100 - 2) * 1000000LL,
             qPrintable(QString("the wait took %1 ns").arg(waitOver - sent)));
    QVERIFY(toolStarted - waitOver < 10000 * 1000000LL);
}

void TestUpdateSequence::toolProgress_data()
{
    QTest::addColumn<QByteArrayList>("chunks"); // as the tool wrote them, one read each
    QTest::addColumn<QList<int>>("percents");   // what each read left (-1: none yet)

    QTest::newRow("percentages") << QByteArrayList{"erasing\nwriting 10%\nwriting 55%\n",
                                                   "verifying 100 %\n"}
                                 << QList<int>{55, 100};
    QTest::newRow("rewritten in place")
        << QByteArrayList{"\rwriting 5%\rwriting 10%", "\rwriting 15%"} << QList<int>{10, 15};
    QTest::newRow("none") << QByteArrayList{"erasing\n", "verifying block 3 of 4\n"}
                          << QList<int>{-1, -1};
    QTest::newRow("a partial last line")
        << QByteArrayList{"writing 4", "5%\nwriting 6", "0%"} << QList<int>{-1, 45, 60};
    QTest::newRow("not a percentage")
        << QByteArrayList{"writing 30%\nretries: 250%\n"} << QList<int>{30};
    QTest::newRow("a number too long")
        << QByteArrayList{"writing 30%\nblock 1050%\n"} << QList<int>{30};
}

void TestUpdateSequence::toolProgress()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QList<int>, percents);
    QByteArray written;
    ToolProgress progress([&written](qint64 offset) { return written.mid(int(offset)); });
    QCOMPARE(progress.percent(), -1);
    for (int i = 0; i < chunks.size(); ++i) {
        written += chunks[i];
        progress.update();
        QCOMPARE(progress.percent(), percents[i]);
    }
}

void TestUpdateSequence::stepsAndProgressAreTold()
{
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "2000");
    auto updater = makeUpdater();
    QList<QPair<int, int>> told; // step and progress, as each change was told
    connect(updater.get(), &Updater::stepChanged, this, [&] {
        told.append({updater->step(), updater->progress()});
    });
    QCOMPARE(runUpdate(*updater), 0);
    QList<int> steps;
    QList<int> writing;
    for (const auto &change : told) {
        if (steps.isEmpty() || steps.last() != change.first)
            steps << change.first;
        if (change.first == Run::WritingFirmware && change.second >= 0)
            writing << change.second;
    }
    QCOMPARE(steps, (QList<int>{Run::RestartingSensor, Run::LookingForBootloader,
                                Run::WritingFirmware, Run::NoStep}));
    // Read from the tool's output as it grows: more than one value, never going back.
    QVERIFY2(writing.size() >= 2, qPrintable(QString::number(writing.size())));
    QVERIFY(std::is_sorted(writing.begin(), writing.end()));
    QVERIFY(writing.first() > 0 && writing.last() <= 100);
}

void TestUpdateSequence::historyThatCannotBeWrittenFailsNothing()
{
    // A file where the data folder would be.
    QVERIFY(writeFile(work->filePath("data"), "not a folder"));
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    auto updater = makeUpdater();
    QCOMPARE(runUpdate(*updater), 0);
    bed->unplug(SensorTestbed::bootloader);
    bed->plugSensor();
    QCOMPARE(runUpdate(*updater), 0);
    // Said once, for as long as the program runs.
    QCOMPARE(
        log->lines().filter(QRegularExpression("^Cannot keep the history of updates: ")).size(), 1);
}

void TestUpdateSequence::portLookup_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("expected");

    // Only the bootloader on the commanded sensor's own USB port (1-1): another that appeared
    // meanwhile (2-1, listed first) is another sensor's.
    QTest::newRow("another sensor's bootloader too")
        << QStringList{SensorTestbed::bootloader, SensorTestbed::secondBootloader} << "ttyACM0";
    // A port with the sensor's application ids (1915:5203) is never taken.
    QTest::newRow("decoys around the bootloader")
        << QStringList{SensorTestbed::portDecoys, SensorTestbed::bootloader} << "ttyACM0";
    // One bootloader with two ports is one sensor: its first port.
    QTest::newRow("two ports of one bootloader")
        << QStringList{SensorTestbed::bootloaderTwoPorts} << "ttyACM0";
}

void TestUpdateSequence::portLookup()
{
    QFETCH(QStringList, ports);
    QFETCH(QString, expected);
    placeTool();
    bed->plugSensor();
    bed->setRestart(0, ports);
    auto updater = makeUpdater();
    QCOMPARE(runUpdate(*updater), 0);
    QCOMPARE(toolRuns().size(), 1);
    QCOMPARE(toolRuns().first().args.last(), expected);
}

void TestUpdateSequence::lateBootloaderFoundByRetry()
{
    placeTool();
    bed->plugSensor();
    bed->setRestart(waitMs + windowMs / 2);
    auto updater = makeUpdater();
    // Looked for again for as long as the program itself would: no load closes the window first.
    UpdaterTestAccess::timing(*updater).portRetryWindowMs = 10000;
    QCOMPARE(runUpdate(*updater), 0);
    QCOMPARE(toolRuns().size(), 1);
}

void TestUpdateSequence::defaultRunLooksAfterTheWait_data()
{
    QTest::addColumn<int>("restartMs");
    QTest::newRow("bootloader at once") << 0;
    // A slow re-enumeration (or a first driver install): looked for again and again.
    QTest::newRow("bootloader 5 s after the wait") << 3000 + 5000;
}

void TestUpdateSequence::defaultRunLooksAfterTheWait()
{
    // The program's own timing: nobody looks for the port before the 3000 ms wait has passed,
    // and a port that comes later is still found.
    QFETCH(int, restartMs);
    placeTool();
    bed->plugSensor();
    bed->setRestart(restartMs);
    Updater updater;
    useTestLock(updater);
    QElapsedTimer timer;
    timer.start();
    QSignalSpy done(&updater, &Updater::updateDone);
    updater.updatePod("dl/app.zip");
    QVERIFY(waitForSignal(done, 1, outcomeMs));
    QCOMPARE(done.first().first().toInt(), 0);
    const qint64 toolEnded = timer.elapsed();
    // Never before the sensor's 3000 ms, a coarse wait, nor before the emulated sensor's own
    // restart, a coarse timer too: each may fire up to 5 % early.
    QVERIFY2(toolEnded >= qMax(restartMs, 3000) * 95 / 100, qPrintable(QString::number(toolEnded)));
}

void TestUpdateSequence::noPortEndsTheRun_data()
{
    QTest::addColumn<QStringList>("ports");
    QTest::newRow("sensor never restarts") << QStringList();
    QTest::newRow("only other ports") << QStringList{SensorTestbed::portDecoys};
}

void TestUpdateSequence::noPortEndsTheRun()
{
    QFETCH(QStringList, ports);
    placeTool();
    bed->plugSensor();
    for (const QString &port : ports)
        bed->plug(port);
    auto updater = makeUpdater();
    QSignalSpy done(updater.get(), &Updater::updateDone);
    QSignalSpy usbErrors(updater.get(), &Updater::usbError);
    QElapsedTimer timer;
    timer.start();
    updater->updatePod("dl/app.zip");
    QVERIFY(waitForSignal(done, 1, outcomeMs));
    // The wait is a coarse timer, which may fire 5 % early; the retry window is measured.
    QVERIFY(timer.elapsed() >= waitMs * 95 / 100 + windowMs);
    QCOMPARE(done.first().first().toInt(), int(Run::noBootloaderPort));
    QVERIFY(usbErrors.isEmpty());
    QVERIFY(toolRuns().isEmpty());
    QCOMPARE(log->lines().mid(indexOf("Firmware path: \"dl/app.zip\"") + 1),
             QStringList{"No bootloader port found"});
}

void TestUpdateSequence::sensorAlreadyInBootloaderIsFlashed()
{
    placeTool();
    bed->plug(SensorTestbed::bootloader);
    auto updater = makeUpdater();
    // A wait no load could hide: the run without it takes a fraction of it.
    const int wait = outcomeMs / 2;
    UpdaterTestAccess::timing(*updater).bootloaderWaitMs = wait;
    QSignalSpy usbErrors(updater.get(), &Updater::usbError);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(runUpdate(*updater), 0);
    // No command to a sensor that cannot take one, and no wait for a restart that is done (a
    // coarse wait fires 5 % early at most).
    QVERIFY2(timer.elapsed() < wait * 95 / 100, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(usbErrors.count(), 0);
    QVERIFY(bed->writes().isEmpty());
    QCOMPARE(log->lines().mid(0, 2),
             (QStringList{"Sensor already in its bootloader", "Firmware path: \"dl/app.zip\""}));
    QCOMPARE(toolRuns().size(), 1);
    QCOMPARE(toolRuns().first().args.last(), "ttyACM0");
}

void TestUpdateSequence::missingToolIsReported()
{
    // There at the press, gone by the time the bootloader's port appears.
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    auto updater = makeUpdater();
    QSignalSpy done(updater.get(), &Updater::updateDone);
    updater->updatePod("dl/app.zip");
    QVERIFY(QFile::remove(work->filePath("bin/util")));
    QVERIFY(waitForSignal(done, 1, outcomeMs));
    QCOMPARE(done.first().first().toInt(), int(Run::toolNotStarted));
    QVERIFY(log->lines().contains("Error occured QProcess::FailedToStart"));
    QVERIFY(log->lines().filter("Update done").isEmpty());
    QVERIFY(!waitForSignal(done, 2, 500)); // reported once
}

void TestUpdateSequence::toolFoundBesideOrOnPath_data()
{
    QTest::addColumn<bool>("inWorkingDir");
    QTest::addColumn<bool>("onPath");
    QTest::addColumn<int>("exitCode");

    // The copy on PATH is a script that answers 42, so the two can be told apart.
    QTest::newRow("PATH, not the working directory") << true << true << 42;
    QTest::newRow("PATH only") << false << true << 42;
    QTest::newRow("working directory only") << true << false << int(Run::noFlashingTool);
}

void TestUpdateSequence::toolFoundBesideOrOnPath()
{
    QFETCH(bool, inWorkingDir);
    QFETCH(bool, onPath);
    QFETCH(int, exitCode);
    if (inWorkingDir)
        placeTool(work->path());
    if (onPath) {
        QVERIFY(writeFile(work->filePath("bin/util"), "#!/bin/sh\necho from PATH\nexit 42\n"));
        QFile::setPermissions(work->filePath("bin/util"), QFile::ReadOwner | QFile::ExeOwner);
    }
    // An empty entry and "." would name the working directory too.
    qputenv("PATH", (work->filePath("bin") + "::.:/usr/bin:/bin").toLocal8Bit());

    bed->plugSensor();
    bed->setRestart(0);
    auto updater = makeUpdater();
    QCOMPARE(runUpdate(*updater), exitCode);
}

void TestUpdateSequence::secondRunIsRefused()
{
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    auto updater = makeUpdater();
    QSignalSpy done(updater.get(), &Updater::updateDone);

    // Long enough for the press below to come while it runs, however slow the machine.
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "3000");
    qputenv("OVK_FAKE_TOOL_EXIT", "5");
    updater->updatePod("dl/app.zip");
    updater->updatePod("dl/app.zip"); // while waiting for the bootloader
    QTRY_VERIFY_WITH_TIMEOUT(log->lines().contains("Started util"), outcomeMs);
    updater->updatePod("dl/app.zip"); // while the tool runs on the port
    updater->processFinished(0);      // by hand: the running tool is not this caller's

    QVERIFY(waitForSignal(done, 1, outcomeMs));
    QCOMPARE(done.first().first().toInt(), 5);
    QCOMPARE(log->lines().filter("Update already running").size(), 2);
    QCOMPARE(toolRuns().size(), 1);
    QCOMPARE(bed->writes().size(), 1);
    // Once the run has ended, the next one is welcome again.
    QCOMPARE(runUpdate(*updater), 5);
}

void TestUpdateSequence::hungToolIsStopped()
{
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    qputenv("OVK_FAKE_TOOL_HANG", "1"); // ignores SIGTERM, and leaves a helper in its group
    auto updater = makeUpdater();
    // Long enough for the tool to have started, and said so, on a slow machine.
    UpdaterTestAccess::timing(*updater).toolTimeoutMs = 3000;
    UpdaterTestAccess::timing(*updater).toolStopGraceMs = 300;
    const int code = runUpdate(*updater);
    qunsetenv("OVK_FAKE_TOOL_HANG");
    QCOMPARE(code, int(Run::toolStopped));
    QVERIFY(log->lines().contains("Flashing tool still running after 3 s, stopping it"));
    QCOMPARE(toolRuns().size(), 1);
    // The whole group goes, the helper the tool left behind included.
    const pid_t group = pid_t(toolRuns().first().pid);
    QTRY_VERIFY_WITH_TIMEOUT(::kill(-group, 0) != 0 && errno == ESRCH, outcomeMs);
    QTRY_COMPARE(childProcesses(), 0);
}

void TestUpdateSequence::toolLeftoversGoWithIt_data()
{
    QTest::addColumn<QByteArray>("leave");
    QTest::newRow("a helper in its process group") << QByteArray("group");
    QTest::newRow("a helper that left its group") << QByteArray("session");
}

void TestUpdateSequence::toolLeftoversGoWithIt()
{
    // A tool that ends well but leaves a helper running, which inherited the update lock.
    QFETCH(QByteArray, leave);
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    qputenv("OVK_FAKE_TOOL_LEAVE", leave);
    qputenv("OVK_FAKE_TOOL_HELPER", work->filePath("helper").toLocal8Bit());
    auto updater = makeUpdater();
    const int code = runUpdate(*updater);
    qunsetenv("OVK_FAKE_TOOL_LEAVE");
    QCOMPARE(code, 0);
    const pid_t helper = pid_t(fileContents(work->filePath("helper")).trimmed().toInt());
    QVERIFY(helper > 0);
    QTRY_VERIFY_WITH_TIMEOUT(::kill(helper, 0) != 0 && errno == ESRCH, outcomeMs);
    // So the next update takes the lock at once.
    bed->unplug(SensorTestbed::bootloader);
    bed->plugSensor();
    QCOMPARE(runUpdate(*updater), 0);
}

void TestUpdateSequence::supervisorDeathIsTold()
{
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    // Still running when its supervisor is killed, whatever the load; ended below anyway.
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "30000");
    auto updater = makeUpdater();
    QSignalSpy done(updater.get(), &Updater::updateDone);
    QSignalSpy ended(updater.get(), &Updater::runEnded);
    updater->updatePod("dl/app.zip");
    QTRY_VERIFY_WITH_TIMEOUT(!toolRuns().isEmpty(), outcomeMs);
    // Killed as the system's out-of-memory killer would: it says nothing of its tool.
    const qint64 supervisor = childProcessesOf(QCoreApplication::applicationPid()).value(0);
    QVERIFY(supervisor > 0);
    QCOMPARE(::kill(pid_t(supervisor), SIGKILL), 0);
    QVERIFY(waitForSignal(done, 1, outcomeMs));
    QCOMPARE(done.first().first().toInt(), int(Run::supervisorLost));
    QCOMPARE(ended.first().first().value<Run::Outcome>(), Run::SupervisorLost);
    const QString words =
        "the flashing tool's supervisor ended unexpectedly; the tool may still be running";
    QVERIFY(log->lines().contains(words));
    QVERIFY(updater->runDetails().startsWith(words));
    QCOMPARE(RunHistory::entries().last()["outcome"].toString(), "SupervisorLost");
    QVERIFY(!RunHistory::entries().last().contains("code"));
    // The tool runs on, as said; it is ended here, with its group.
    ::kill(-pid_t(toolRuns().first().pid), SIGKILL);
}

void TestUpdateSequence::toolEndingAsItsTimeOutFiresIsNotStopped()
{
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    qputenv("OVK_FAKE_TOOL_EXIT", "3");
    // Long enough for the supervisor to be held still before the tool ends, whatever the load.
    qputenv("OVK_FAKE_TOOL_SLEEP_MS", "4000");
    auto updater = makeUpdater();
    QSignalSpy done(updater.get(), &Updater::updateDone);
    updater->updatePod("dl/app.zip");
    // The supervisor is held still while its tool ends, and hears of both the tool's end and
    // the time-out at once when it goes on.
    QTRY_VERIFY_WITH_TIMEOUT(!toolRuns().isEmpty(), outcomeMs);
    const pid_t supervisor = pid_t(childProcessesOf(QCoreApplication::applicationPid()).value(0));
    const qint64 tool = toolRuns().first().pid;
    QVERIFY(supervisor > 0 && tool > 0);
    QCOMPARE(::kill(supervisor, SIGSTOP), 0);
    QTRY_COMPARE_WITH_TIMEOUT(processState(tool), QByteArray("Z"), outcomeMs);
    UpdaterTestAccess::fireToolTimeout(*updater);
    QCOMPARE(::kill(supervisor, SIGCONT), 0);
    QVERIFY(waitForSignal(done, 1, outcomeMs));
    QCOMPARE(done.first().first().toInt(), 3);
}

void TestUpdateSequence::refusedAtThePressTouchesNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("contents"); // null: no such file
    QTest::addColumn<QStringList>("devices"); // beside the sensor
    QTest::addColumn<bool>("tool");
    // "held": by another program, which says who it is; "foreign": a lock file of another user
    // that only they may read
    QTest::addColumn<QString>("lock");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("logLine"); // %HOLDER%, %LOCK%: the holder's words, the lock file

    const QString unusable = "No usable firmware package: \"%1\"";
    const QStringList none;
    QTest::newRow("missing") << "dl/none.zip" << QByteArray() << none << true << ""
                             << int(Run::noUsablePackage) << unusable.arg("dl/none.zip");
    QTest::newRow("empty") << "dl/empty.zip" << QByteArray("") << none << true << ""
                           << int(Run::noUsablePackage) << unusable.arg("dl/empty.zip");
    QTest::newRow("web page") << "dl/portal.zip" << QByteArray("<html>Sign in to Wi-Fi</html>")
                              << none << true << "" << int(Run::noUsablePackage)
                              << unusable.arg("dl/portal.zip");
    QTest::newRow("archive without its end record")
        << "dl/cut short.zip" << zipFrame().left(zipFrame().size() - 10) << none << true << ""
        << int(Run::noUsablePackage) << unusable.arg("dl/cut short.zip");
    QTest::newRow("a folder") << "dl" << QByteArray() << none << true << ""
                              << int(Run::noUsablePackage) << unusable.arg("dl");
    // A sensor sent into its bootloader with nothing to flash it would be left there.
    QTest::newRow("no flashing tool") << "dl/app.zip" << QByteArray() << none << false << ""
                                      << int(Run::noFlashingTool) << "No flashing tool found: util";
    // Which of them would get the command, and which port the tool?
    QTest::newRow("two sensors running")
        << "dl/app.zip" << QByteArray() << QStringList{SensorTestbed::secondSensor} << true << ""
        << int(Run::moreThanOneSensor) << "More than one sensor connected";
    QTest::newRow("two sensors in their bootloaders")
        << "dl/app.zip" << QByteArray()
        << QStringList{SensorTestbed::bootloader, SensorTestbed::secondBootloader} << true << ""
        << int(Run::moreThanOneSensor) << "More than one sensor connected";
    QTest::newRow("a running sensor beside one waiting")
        << "dl/app.zip" << QByteArray() << QStringList{SensorTestbed::secondBootloader} << true
        << "" << int(Run::moreThanOneSensor) << "More than one sensor connected";
    QTest::newRow("another program updates")
        << "dl/app.zip" << QByteArray() << none << true << "held" << int(Run::updateAlreadyRunning)
        << "Update already running: %HOLDER%";
    // Not "Update already running": nobody is, and the user is told what is wrong, and where.
    QTest::newRow("lock file of another user")
        << "dl/app.zip" << QByteArray() << none << true << "foreign" << int(Run::lockUnavailable)
        << "Update lock unusable: %LOCK%: Permission denied";
}

void TestUpdateSequence::refusedAtThePressTouchesNothing()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, devices);
    QFETCH(bool, tool);
    QFETCH(QString, lock);
    QFETCH(int, exitCode);
    QFETCH(QString, logLine);
    if (!contents.isNull())
        QVERIFY(writeFile(path, contents));
    if (tool)
        placeTool();
    if (devices.value(0) != SensorTestbed::bootloader)
        bed->plugSensor();
    for (const QString &device : devices)
        device == SensorTestbed::secondSensor ? bed->plugSensor(device) : bed->plug(device);
    bed->setRestart(0);
    // Held as another program holds it: the lock is the open file's, not the process's.
    UpdateLock otherProgram(lockFolder());
    HolderRecord otherRecord(lockFile());
    if (lock == "held") {
        QVERIFY(otherProgram.tryLock() == UpdateLock::Result::Taken);
        const LockHolder holder = LockHolder::ofThisProgram();
        QString error;
        QVERIFY(otherRecord.write(holder, &error));
        logLine.replace("%HOLDER%", holder.describe());
    }
    if (lock == "foreign") {
        QVERIFY(writeFile(lockFile(), ""));
        QVERIFY(chmod(QFile::encodeName(lockFile()), 0600) == 0);
        if (chown(QFile::encodeName(lockFile()), 65534, 65534) != 0)
            QSKIP("making a file of another user needs root");
    }
    logLine.replace("%LOCK%", lockFile());
    auto updater = makeUpdater();
    QSignalSpy done(updater.get(), &Updater::updateDone);
    QSignalSpy outcomes(updater.get(), &Updater::runEnded);

    {
        WithoutFileAccessOverride asNormalUser;
        updater->updatePod(path);
    }
    QCOMPARE(done.count(), 1); // at once, before any wait
    QCOMPARE(done.first().first().toInt(), exitCode);
    QCOMPARE(log->lines(), QStringList{logLine});
    QVERIFY(!waitForSignal(done, 2, waitMs + 200));
    QCOMPARE(outcomes.count(), 1); // one outcome, once
    QVERIFY(bed->writes().isEmpty());
    QVERIFY(toolRuns().isEmpty());
    // Refused, and still told afterwards: by its outcome, with no code of a tool that never ran.
    QCOMPARE(RunHistory::entries().size(), 1);
    const QJsonObject entry = RunHistory::entries().first();
    QCOMPARE(entry["outcome"].toString(), QMetaEnum::fromType<Run::Outcome>().valueToKey(
                                              outcomes.first().first().value<Run::Outcome>()));
    QVERIFY(!entry.contains("code"));
    // The lock is given back with the outcome (or was never taken).
    otherProgram.unlock();
    if (lock != "foreign")
        QVERIFY(UpdateLock(lockFolder()).tryLock() == UpdateLock::Result::Taken);
}

void TestUpdateSequence::usbErrorOutcome_data()
{
    QTest::addColumn<bool>("denied");
    QTest::addColumn<int>("exitCode"); // INT_MIN: no updateDone at all

    // The user has been told, and the sensor did not restart: nothing more to wait for.
    QTest::newRow("access denied ends the run") << true << INT_MIN;
    // Gone at the moment of the command: the port search still decides, and says so.
    QTest::newRow("device gone ends without port") << false << int(Run::noBootloaderPort);
}

void TestUpdateSequence::usbErrorOutcome()
{
    QFETCH(bool, denied);
    QFETCH(int, exitCode);
    placeTool();
    SensorFaults faults;
    faults.openDenied = denied;
    bed->plugSensor(SensorTestbed::sensor, faults);
    auto updater = makeUpdater();
    if (!denied) // still listed, but gone by the open
        bed->unplugSensor(SensorTestbed::sensor, false);
    QSignalSpy done(updater.get(), &Updater::updateDone);
    QSignalSpy usbErrors(updater.get(), &Updater::usbError);
    QSignalSpy outcomes(updater.get(), &Updater::runEnded);
    {
        WithoutFileAccessOverride asNormalUser;
        updater->updatePod("dl/app.zip");
    }
    QCOMPARE(usbErrors.count(), 1);
    // Gone: the look at the sensors at the press has already found its node missing, and the
    // command finds no sensor at all.
    QCOMPARE(usbErrors.first().first().toInt(), denied ? -3 : 0);
    // Access denied is an outcome of its own; any other USB error leaves it to the port search.
    QCOMPARE(updater->isRunning(), !denied);
    QCOMPARE(outcomes.count(), denied ? 1 : 0);
    // Denied, no outcome comes: looked for as long as the port search would take.
    const bool ended = waitForSignal(done, 1, denied ? waitMs + windowMs + 2000 : outcomeMs);
    QCOMPARE(ended ? done.first().first().toInt() : INT_MIN, exitCode);
    QCOMPARE(outcomes.count(), 1);
    QCOMPARE(outcomes.first().first().value<Run::Outcome>(),
             denied ? Run::AccessDenied : Run::NoBootloaderPort);
    QCOMPARE(log->lines().contains("Firmware path: \"dl/app.zip\""), !denied);
    QVERIFY(toolRuns().isEmpty());
}

void TestUpdateSequence::pressDuringDownloadWaitsForIt_data()
{
    QTest::addColumn<bool>("withdrawn"); // as the window does when it closes meanwhile
    QTest::newRow("waits, then updates with the new package") << false;
    QTest::newRow("withdrawn while it waits") << true;
}

void TestUpdateSequence::pressDuringDownloadWaitsForIt()
{
    QFETCH(bool, withdrawn);
    QVERIFY(QFile::remove("dl/app.zip"));
    LocalHelpServer server;
    QVERIFY(server.start());
    LocalHelpServer::Answer slow;
    slow.body = zipFrame("the latest firmware");
    slow.delayMs = 500;
    server.setAnswer("/files/terravox/v2/sensor/firmware/app.zip", slow);
    placeTool();
    bed->plugSensor();
    bed->setRestart(0);
    auto updater = makeUpdater();
    UpdaterTestAccess::setHelpHost(*updater, server.hostAndPort());
    QSignalSpy ended(updater.get(), &Updater::runEnded);

    updater->downloadLastPodVersion();
    if (withdrawn) {
        updater->updatePod("dl/app.zip");
        QCOMPARE(updater->step(), int(Run::WaitingForPackage));
        QVERIFY(updater->withdrawWaitingRun());
        QVERIFY(!updater->isRunning());
        QVERIFY(!waitForSignal(ended, 1, slow.delayMs + 500)); // its window has gone
    } else {
        QCOMPARE(runUpdate(*updater), 0);
        QCOMPARE(ended.count(), 1);
    }
    QCOMPARE(toolRuns().size(), withdrawn ? 0 : 1);
    QCOMPARE(bed->writes().size(), withdrawn ? 0 : 1);
    // The history names the package the run flashed: the one that arrived after the press.
    const QJsonObject entry = RunHistory::entries().value(0);
    QCOMPARE(entry["outcome"].toString(), withdrawn ? "Withdrawn" : "Done");
    const QByteArray sha256 = QCryptographicHash::hash(slow.body, QCryptographicHash::Sha256);
    QCOMPARE(entry["package"].toObject()["sha256"].toString(),
             withdrawn ? QString() : QString::fromLatin1(sha256.toHex()));
    QTRY_COMPARE(fileContents("dl/app.zip"), slow.body);
    // Nothing of the run outlives it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(updater->findChildren<UpdateRun *>().isEmpty());
}

void TestUpdateSequence::soakKeepsResourcesLevel()
{
    placeTool();
    bed->plugSensor();
    auto updater = makeUpdater();
    UpdateTiming &timing = UpdaterTestAccess::timing(*updater);
    timing.bootloaderWaitMs = 10;
    timing.portRetryIntervalMs = 10;
    // One run of each kind: success, tool failure, no bootloader port. Only the last waits out
    // its window; the others find their port whatever the load.
    const auto run = [&](int kind) {
        qputenv("OVK_FAKE_TOOL_EXIT", kind == 1 ? "3" : "0");
        bed->setRestart(kind == 2 ? -1 : 0);
        timing.portRetryWindowMs = kind == 2 ? 50 : 10000;
        const int code = runUpdate(*updater);
        if (kind != 2) { // flashed: the sensor starts its application again
            bed->unplug(SensorTestbed::bootloader);
            bed->plugSensor();
        }
        log->clear();
        return code == (kind == 0 ? 0 : kind == 1 ? 3 : Run::noBootloaderPort);
    };
    for (int kind = 0; kind < 3; ++kind) // what is made once and kept is made by now
        QVERIFY(run(kind));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_COMPARE(childProcesses(), 0);
    const int descriptors = openDescriptors();
    const int objects = updater->children().size();
    const QByteArray memoryBefore = residentMemory();

    // Ends on the same kind of run as above: the link keeps the sensor it last commanded open,
    // and umockdev's sockets for that handle are more or fewer by then, as its worker thread
    // gets to them. So the bound is "no more than before"; a leak per run would show as many.
    for (int i = 0; i < 201; ++i)
        QVERIFY2(run(i % 3), qPrintable(QString("run %1").arg(i)));

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QTRY_COMPARE(childProcesses(), 0);
    const int descriptorsAfter = openDescriptors();
    QVERIFY2(
        descriptorsAfter <= descriptors,
        qPrintable(QString("%1 descriptors, %2 before").arg(descriptorsAfter).arg(descriptors)));
    // The tool's process belongs to the Updater: one never released would be counted here.
    QCOMPARE(updater->children().size(), objects);
    // Printed past the test log's cap on messages, which the runs' debug lines fill.
    std::printf("resident memory: %s before, %s after 201 runs\n", memoryBefore.constData(),
                residentMemory().constData());
}

OVK_UMOCKDEV_TEST_MAIN(TestUpdateSequence)
#include "tst_updatesequence.moc"
