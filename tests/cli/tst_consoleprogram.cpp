// ovk-sensor-update end to end in the simulated world: an emulated sensor that restarts into
// its bootloader, the stand-in flashing tool and the local help server, each a real process.
#include "Packages.h"
#include "SignalWait.h"
#include "WorkingDirectory.h"

#include <QProcess>
#include <QtTest>
#include <memory>
#include <unistd.h>

namespace {
const char accessDeniedLine[] = "Access denied: We couldn't access your sensor. Please disconnect "
                                "your sensor and make sure it's not open in any chrome tab";

QString tool(const char *variable)
{
    return qEnvironmentVariable(variable);
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
    void batchUntilTerminated();

private:
    // Starts the world around the program; the program's lines come on the world's stdout.
    void startWorld(const QStringList &worldOptions, const QStringList &programArguments,
                    bool asNormalUser = false);
    // Waits until the output has count lines equal to line; false after timeoutMs.
    bool waitForLine(const QString &line, int count = 1, int timeoutMs = 20000);
    // The world's exit code once it has ended (it ends with the program's).
    int exitCode(int timeoutMs = 30000);
    QStringList lines() const;

    std::unique_ptr<TemporaryWorkingDirectory> work;
    std::unique_ptr<QProcess> world;
    QByteArray output;
    QString demoPackage;
};

void TestConsoleProgram::initTestCase()
{
    for (const char *variable : {"OVK_WORLD", "OVK_CONSOLE_PROGRAM", "OVK_FAKE_TOOL"})
        QVERIFY2(QFileInfo(tool(variable)).isExecutable(), variable);
    if (QStandardPaths::findExecutable("umockdev-wrapper").isEmpty())
        QSKIP("umockdev-wrapper is missing");
    demoPackage = realZipArchive();
}

void TestConsoleProgram::init()
{
    work = std::make_unique<TemporaryWorkingDirectory>();
    QVERIFY(QFile::link(tool("OVK_FAKE_TOOL"), work->filePath("util")));
    qputenv("OVK_FAKE_TOOL_EXIT", "0");
    qputenv("OVK_FAKE_TOOL_CHECK_ZIP", "1");
    output.clear();
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
    work.reset();
}

void TestConsoleProgram::startWorld(const QStringList &worldOptions,
                                    const QStringList &programArguments, bool asNormalUser)
{
    QStringList arguments{tool("OVK_WORLD"), "--restart-delay", "300", "--bootloader-stay", "4000"};
    arguments << worldOptions << "--";
    // Root opens any device node; a normal user meets the sensor's access rights.
    if (asNormalUser && geteuid() == 0)
        arguments << "setpriv"
                  << "--bounding-set=-dac_override,-dac_read_search"
                  << "--";
    arguments << tool("OVK_CONSOLE_PROGRAM") << programArguments;
    world = std::make_unique<QProcess>();
    world->setProcessChannelMode(QProcess::MergedChannels);
    connect(world.get(), &QProcess::readyRead, this, [this] { output += world->readAll(); });
    world->start("umockdev-wrapper", arguments);
    QVERIFY(world->waitForStarted());
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
    if (!world->waitForFinished(timeoutMs))
        return -1;
    output += world->readAll();
    return world->exitCode();
}

QStringList TestConsoleProgram::lines() const
{
    return QString::fromUtf8(output).split('\n');
}

void TestConsoleProgram::exitCodes_data()
{
    QTest::addColumn<QStringList>("worldOptions");
    QTest::addColumn<QStringList>("arguments"); // PACKAGE: the demo package, WEB: a web page
    QTest::addColumn<QByteArray>("toolExit");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("lastLine");

    // The world serves the package, or the program is given it: the same option in both.
    const QStringList withPackage{"--package", "PACKAGE"};
    QTest::newRow("update done") << QStringList() << withPackage << QByteArray("0") << 0
                                 << "Update done";
    QTest::newRow("tool fails") << QStringList() << withPackage << QByteArray("3") << 1
                                << "Error on update";
    QTest::newRow("no sensor") << QStringList{"--no-sensor"} << withPackage << QByteArray("0") << 2
                               << "No sensor connected";
    QTest::newRow("access denied")
        << QStringList{"--deny-access"} << withPackage << QByteArray("0") << 3 << accessDeniedLine;
    QTest::newRow("unusable package")
        << QStringList() << QStringList{"--package", "WEB"} << QByteArray("0") << 4
        << "No usable firmware package: portal.zip";
    QTest::newRow("default download")
        << withPackage << QStringList() << QByteArray("0") << 0 << "Update done";
    QTest::newRow("usage error") << QStringList() << QStringList{"--wait", "soon"}
                                 << QByteArray("0") << 64 << "--wait needs a number of seconds";
}

void TestConsoleProgram::exitCodes()
{
    QFETCH(QStringList, worldOptions);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, toolExit);
    QFETCH(int, exitCode);
    QFETCH(QString, lastLine);
    qputenv("OVK_FAKE_TOOL_EXIT", toolExit);
    QVERIFY(writeFile("portal.zip", "<html>Sign in to the Wi-Fi</html>"));
    worldOptions.replaceInStrings("PACKAGE", demoPackage);
    arguments.replaceInStrings("PACKAGE", demoPackage).replaceInStrings("WEB", "portal.zip");

    startWorld(worldOptions, arguments, exitCode == 3);
    QCOMPARE(this->exitCode(), exitCode);
    QStringList programLines = lines().filter(QRegularExpression("^(?!world: )."));
    QVERIFY(!programLines.isEmpty());
    QCOMPARE(programLines.last(), lastLine);
    const bool updating = exitCode <= 1 || exitCode == 3 || exitCode == 4;
    QCOMPARE(programLines.contains("Updating the sensor with " +
                                   (arguments.isEmpty() ? "dl/app.zip" : arguments.value(1))),
             updating);
    // Without -v the program's debug log stays out of sight.
    QVERIFY(!lines().contains("Opened TVX"));
    if (arguments.isEmpty())
        QCOMPARE(fileContents("dl/app.zip"), fileContents(demoPackage));
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

void TestConsoleProgram::batchUntilTerminated()
{
    startWorld({}, {"--repeat", "--package", demoPackage});
    QVERIFY(waitForLine("Sensor 1: Update done (1 updated, 0 failed)"));
    world->write("unplug\n");
    QVERIFY(waitForLine("Waiting for the next sensor"));
    world->write("plug\n");
    QVERIFY(waitForLine("Updating the sensor with " + demoPackage, 2));
    // Asked to stop while the second sensor is being updated: it is let finish.
    world->terminate();
    QCOMPARE(exitCode(), 0);
    const QStringList programLines = lines().filter(QRegularExpression("^(?!world: )."));
    QCOMPARE(programLines.mid(programLines.size() - 3),
             (QStringList{"Stopping once the running update has ended",
                          "Sensor 2: Update done (2 updated, 0 failed)", "2 updated, 0 failed"}));
}

QTEST_GUILESS_MAIN(TestConsoleProgram)
#include "tst_consoleprogram.moc"
