// ovk-sensor-world: a simulated world around the real program, for the demo and the end-to-end
// tests. It owns an emulated USB bus with a sensor that restarts into its bootloader when told
// to, serves a local help server, and runs the program as its child, which sees that bus.
// Must itself run under umockdev-wrapper. Lines on standard input change the world:
// "unplug", "plug" (the sensor), "swap" (another sensor in its place at once), "add" (another
// sensor beside it, which takes its place once it is unplugged), "plug N" and "unplug N" (the
// bench's sensor N), "quit". With --stuck the sensor starts waiting in its bootloader, as after an
// update cut short, and comes back as the application once flashed. With --sensors N a bench of N
// sensors on places of their own takes the sensor's place, the last --waiting of them in their
// bootloaders, each back as its application once flashed.
#include "LocalHelpServer.h"
#include "SensorTestbed.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {
QTextStream out(stdout);

void say(const QString &line)
{
    out << "world: " << line << Qt::endl;
}

// Keeps the world's bus and answers the person at the keyboard.
class World : public QObject
{
public:
    World(int restartDelayMs, int bootloaderStayMs, const SensorFaults &faults)
        : bootloaderStayMs(bootloaderStayMs)
        , faults(faults)
    {
        bed.setRestart(restartDelayMs);
        connect(&bed, &SensorTestbed::bootloaderCommandReceived, this,
                [](const QString &description) {
                    say(QStringLiteral("%1 got the bootloader command").arg(nameOf(description)));
                });
        connect(&bed, &SensorTestbed::restarted, this, [this](const QString &description) {
            benchNumber(description) > 0 ? onBenchSensorRestarted(description) : onRestarted();
        });
    }

    // The bench's sensor number, in its bootloader if waiting.
    void plugBenchSensor(int number, bool waiting = false)
    {
        unpluggedBench.remove(number);
        if (waiting) {
            waitingBench.insert(number);
            bed.plug(SensorTestbed::numberedBootloader(number));
            say(QStringLiteral("sensor %1 waits in its bootloader (serial port ttyACM%2)")
                    .arg(number)
                    .arg(number + 10));
            return;
        }
        bed.plugSensor(SensorTestbed::numberedSensor(number), faults);
        say(QStringLiteral("sensor %1 plugged in").arg(number));
    }

    void unplugBenchSensor(int number)
    {
        bed.unplugSensor(SensorTestbed::numberedSensor(number));
        bed.unplug(SensorTestbed::numberedBootloader(number));
        unpluggedBench.insert(number);
        waitingBench.remove(number);
        say(QStringLiteral("sensor %1 unplugged").arg(number));
    }

    void plugUnplacedPort()
    {
        bed.plug(SensorTestbed::unplacedBootloaderPort);
        say("a bootloader's serial port whose place cannot be read is there (ttyACM20)");
    }

    void plugSensor()
    {
        if (sensorPlugged)
            return;
        bed.plugSensor(current, faults);
        sensorPlugged = true;
        say(current == SensorTestbed::sensor ? "sensor plugged in" : "second sensor plugged in");
    }

    // A sensor of its own beside the world's, which never restarts: two on one bus.
    void plugSecondSensor()
    {
        bed.plugSensor(SensorTestbed::secondSensor, faults);
        say("a second sensor is plugged in too");
    }

    void startInBootloader()
    {
        bed.plug(SensorTestbed::bootloader);
        inBootloader = true;
        say("sensor waits in its bootloader (serial port ttyACM0)");
    }

    // The stand-in flashing tool records each run in this file: a run flashes the sensor, or
    // the bench's sensor on the port it names.
    void watchFlashing(const QString &recordFile)
    {
        watcher.addPath(recordFile);
        connect(&watcher, &QFileSystemWatcher::fileChanged, this, [this](const QString &file) {
            benchFlashed(file);
            if (!inBootloader || leaving)
                return;
            leaving = true;
            say("sensor is being flashed");
            QTimer::singleShot(bootloaderStayMs, this, [this] { leaveBootloader(); });
        });
    }

    void unplugAll()
    {
        if (sensorPlugged)
            bed.unplugSensor(current);
        if (inBootloader)
            bed.unplug(bootloaderOf(current));
        sensorPlugged = inBootloader = false;
        say("sensor unplugged");
        // The one plugged in beside is the world's sensor now.
        if (besidePlugged) {
            besidePlugged = false;
            current = other();
            sensorPlugged = true;
        }
    }

    void command(const QString &line)
    {
        if (line.startsWith(QLatin1String("plug ")))
            plugBenchSensor(line.mid(5).toInt());
        else if (line.startsWith(QLatin1String("unplug ")))
            unplugBenchSensor(line.mid(7).toInt());
        else if (line == "unplug")
            unplugAll();
        else if (line == "plug")
            plugSensor();
        else if (line == "swap")
            swap();
        else if (line == "add")
            plugBeside();
        else if (line == "quit")
            QCoreApplication::exit(0);
        else if (!line.isEmpty())
            say("commands: plug, unplug, swap, add, quit");
    }

private:
    static int benchNumber(const QString &description)
    {
        return description.startsWith(QLatin1String("sensor-")) ? description.mid(7).toInt() : 0;
    }

    static QString nameOf(const QString &description)
    {
        const int number = benchNumber(description);
        return number > 0 ? QStringLiteral("sensor %1").arg(number) : QStringLiteral("sensor");
    }

    // A bench's sensor, flashed, starts its new application again after the stay.
    void onBenchSensorRestarted(const QString &description)
    {
        const int number = benchNumber(description);
        say(QStringLiteral("sensor %1 restarted into its bootloader (serial port ttyACM%2)")
                .arg(number)
                .arg(number + 10));
        comeBackAfterStay(number);
    }

    void comeBackAfterStay(int number)
    {
        QTimer::singleShot(bootloaderStayMs, this, [this, number] {
            if (unpluggedBench.contains(number))
                return;
            bed.unplug(SensorTestbed::numberedBootloader(number));
            bed.plugSensor(SensorTestbed::numberedSensor(number), faults);
            say(QStringLiteral("sensor %1 is back").arg(number));
        });
    }

    // The bench's sensors that waited in their bootloaders and whose ports the new lines of the
    // tool's record name were flashed: each comes back as its application after the stay.
    void benchFlashed(const QString &recordFile)
    {
        QFile record(recordFile);
        if (!record.open(QIODevice::ReadOnly))
            return;
        const QList<QByteArray> runs = record.readAll().split('\n');
        for (; recordLinesRead < runs.size() - 1; ++recordLinesRead) {
            const QJsonArray args =
                QJsonDocument::fromJson(runs[recordLinesRead]).object()["args"].toArray();
            const int number = args.last().toString().mid(6).toInt() - 10; // ttyACM11: 1
            if (waitingBench.remove(number))
                comeBackAfterStay(number);
        }
    }

    QString other() const
    {
        return current == SensorTestbed::sensor ? SensorTestbed::secondSensor
                                                : SensorTestbed::sensor;
    }

    static QString bootloaderOf(const QString &sensor)
    {
        return sensor == SensorTestbed::sensor ? SensorTestbed::bootloader
                                               : SensorTestbed::secondBootloader;
    }

    // The user takes the sensor out and plugs another one in at once.
    void swap()
    {
        unplugAll();
        current = other();
        plugSensor();
    }

    // The user plugs the next sensor in before taking the last one out.
    void plugBeside()
    {
        if (besidePlugged)
            return;
        bed.plugSensor(other(), faults);
        besidePlugged = true;
        say("another sensor plugged in beside");
    }

    void onRestarted()
    {
        sensorPlugged = false;
        inBootloader = true;
        say("sensor restarted into its bootloader (serial port ttyACM0)");
        // After the flashing, the sensor starts its (new) application again.
        QTimer::singleShot(bootloaderStayMs, this, [this] { leaveBootloader(); });
    }

    void leaveBootloader()
    {
        leaving = false;
        if (!inBootloader)
            return;
        bed.unplug(bootloaderOf(current));
        inBootloader = false;
        plugSensor();
    }

    SensorTestbed bed;
    QSet<int> unpluggedBench; // taken out by hand: not back from their restart
    QSet<int> waitingBench;   // plugged in waiting in their bootloaders
    int recordLinesRead = 0;
    QString current = SensorTestbed::sensor; // which of the two sensors is the world's
    int bootloaderStayMs;
    SensorFaults faults;
    bool sensorPlugged = false;
    bool besidePlugged = false;
    bool inBootloader = false;
    bool leaving = false;
    QFileSystemWatcher watcher;
};

// The program's process: it must not inherit the world's blocked stop signals, and it goes
// when the world goes, however the world ends (a test killing it included).
class ProgramProcess : public QProcess
{
protected:
    void setupChildProcess() override
    {
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
    }
};
} // namespace

int main(int argc, char *argv[])
{
    // Blocked before any thread starts (umockdev's worker among them), so that only the
    // signalfd below ever sees a stop signal.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Runs PROGRAM in a simulated world with an OVK sensor.");
    parser.addHelpOption();
    const QCommandLineOption port("port", "Help server port.", "port", "48443");
    const QCommandLineOption package("package", "Firmware package to serve.", "file");
    const QCommandLineOption packageDelay("package-delay", "Delay before the package is served.",
                                          "ms", "0");
    const QCommandLineOption version("version", "Program version to announce.", "text", "0.1");
    const QCommandLineOption restart("restart-delay", "Restart delay in ms.", "ms", "800");
    const QCommandLineOption stay("bootloader-stay", "Time in the bootloader in ms.", "ms", "8000");
    const QCommandLineOption noSensor("no-sensor", "Start with the sensor unplugged.");
    const QCommandLineOption stuck("stuck", "Start with the sensor waiting in its bootloader; "
                                            "it leaves it the stay time after being flashed.");
    const QCommandLineOption denied("deny-access",
                                    "The sensor's device node cannot be opened by a normal user.");
    const QCommandLineOption second("second-sensor", "A second sensor is plugged in as well.");
    const QCommandLineOption bench("sensors", "A bench of N sensors instead of the one.", "N");
    const QCommandLineOption waiting(
        "waiting", "The last N of the bench wait in their bootloaders.", "N", "0");
    const QCommandLineOption unplaced(
        "unplaced-port", "A bootloader's serial port whose USB place cannot be read is there too.");
    const QCommandLineOption serial("serial", "The sensors answer with this serial number.",
                                    "text");
    parser.addOptions({port, package, packageDelay, version, restart, stay, noSensor, stuck, denied,
                       second, bench, waiting, unplaced, serial});
    parser.addPositionalArgument("program", "The program and its arguments.", "-- PROGRAM ...");
    parser.process(app);
    const QStringList program = parser.positionalArguments();
    if (program.isEmpty())
        parser.showHelp(2);
    if (!SensorTestbed::available()) {
        std::fprintf(stderr, "world: run me under umockdev-wrapper\n");
        return 2;
    }

    LocalHelpServer server;
    if (!server.serveHelpFiles(parser.value(version).toUtf8(), parser.value(package),
                               parser.value(packageDelay).toInt()))
        qFatal("world: cannot read %s", qPrintable(parser.value(package)));
    QObject::connect(&server, &LocalHelpServer::requested,
                     [](const QString &path) { say("help server: GET " + path); });
    if (!server.start(static_cast<quint16>(parser.value(port).toUInt())))
        qFatal("world: help server cannot listen: %s", qPrintable(server.errorString()));
    say("help server on https://" + server.hostAndPort());

    SensorFaults faults;
    faults.openDenied = parser.isSet(denied);
    faults.serialNumber = parser.value(serial).toLatin1();
    World world(parser.value(restart).toInt(), parser.value(stay).toInt(), faults);
    QString ownRecord;
    if (parser.isSet(stuck) || parser.value(waiting).toInt() > 0) {
        // The program's flashing tool (the stand-in) tells the world when it flashes.
        QString record = qEnvironmentVariable("OVK_FAKE_TOOL_RECORD");
        if (record.isEmpty()) {
            record = ownRecord = QDir::temp().filePath(
                QStringLiteral("ovk-world-%1.jsonl").arg(QCoreApplication::applicationPid()));
            qputenv("OVK_FAKE_TOOL_RECORD", QFile::encodeName(record));
        }
        QFile touched(record); // the watcher needs the file to exist
        touched.open(QIODevice::Append);
        world.watchFlashing(record);
    }
    if (parser.isSet(stuck)) {
        world.startInBootloader();
    } else if (parser.isSet(bench)) {
        const int count = parser.value(bench).toInt();
        for (int number = 1; number <= count; ++number)
            world.plugBenchSensor(number, number > count - parser.value(waiting).toInt());
    } else if (!parser.isSet(noSensor)) {
        world.plugSensor();
    }
    if (parser.isSet(second))
        world.plugSecondSensor();
    if (parser.isSet(unplaced))
        world.plugUnplacedPort();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&world, &input] {
        char line[256];
        const ssize_t n = read(STDIN_FILENO, line, sizeof line - 1);
        if (n <= 0) {
            input.setEnabled(false); // no keyboard (CI): the world just goes on
            return;
        }
        for (const QString &command : QString::fromLocal8Bit(line, int(n)).split('\n'))
            world.command(command.trimmed());
    });

    // Asked to stop (Ctrl+C, or a test ending), the world takes its program down with it.
    QSocketNotifier stop(signalfd(-1, &stopSignals, SFD_CLOEXEC), QSocketNotifier::Read);
    // The program inherits this process's emulated bus (UMOCKDEV_DIR and the preload).
    ProgramProcess child;
    // The program is asked to stop too, and the world ends with its exit code once it has.
    QObject::connect(&stop, &QSocketNotifier::activated, [&stop, &child] {
        signalfd_siginfo info;
        if (read(int(stop.socket()), &info, sizeof info) != sizeof info)
            return;
        if (child.state() == QProcess::NotRunning) {
            QCoreApplication::exit(143);
            return;
        }
        child.terminate();
        QTimer::singleShot(10000, &child, [&child] { child.kill(); });
    });
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(&child, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished),
                     [](int code) {
                         say(QStringLiteral("program ended with %1").arg(code));
                         QCoreApplication::exit(code);
                     });
    QObject::connect(&child, &QProcess::errorOccurred, [&child](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            say("program cannot be started: " + child.errorString());
            QCoreApplication::exit(127);
        }
    });
    child.start(program.first(), program.mid(1));
    const int code = app.exec();
    if (child.state() != QProcess::NotRunning) {
        child.terminate();
        if (!child.waitForFinished(3000))
            child.kill();
    }
    if (!ownRecord.isEmpty())
        QFile::remove(ownRecord);
    return code;
}
