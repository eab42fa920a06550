// The runs' history and logs in the user's folders: the last runs read from the end of a long
// history, the newest logs kept, files only their user may read, and under sudo a home of root's
// own; the console program's --history on a real history file.
#include "PackageFolder.h"
#include "ProgramLanguage.h"
#include "PrivateFiles.h"
#include "RootEnvironment.h"
#include "RunHistory.h"
#include "RunRecord.h"
#include "UserFolders.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>
#include <atomic>
#include <memory>
#include <thread>
#ifndef Q_OS_WIN
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
// Run 150's sensor answered with control characters in its serial number, as a rogue device with
// the sensor's ids may: the history keeps them, a table shows them escaped.
QString sensorOf(int run)
{
    if (run == 150)
        return QStringLiteral("TVX\x1b[2J\x07\\");
    return QStringLiteral("TVX2024A%1").arg(run, 4, 10, QLatin1Char('0'));
}

// As the console's table shows it (read on Linux only).
[[maybe_unused]] QString shownSensorOf(int run)
{
    return run == 150 ? QStringLiteral("TVX\\x1b[2J\\x07\\\\") : sensorOf(run);
}

// A history line as a run leaves it, for run number run.
QByteArray runLine(int run)
{
    const QDateTime when = QDateTime(QDate(2026, 3, 1), QTime(8, 0), Qt::UTC).addSecs(run * 90);
    const QJsonObject entry{
        {"when", when.toString(Qt::ISODate)},
        {"program", "ovk-sensor-update"},
        {"version", "0.1"},
        {"sensor", sensorOf(run)},
        {"package", QJsonObject{{"file", "app.zip"},
                                {"size", 482133.0},
                                {"sha256", QString(64, QLatin1Char('c'))},
                                {"date", "2026-02-27"}}},
        {"outcome", "Done"},
        {"words", "Update done"},
        {"code", 0},
        {"steps", QJsonArray{QJsonObject{{"step", "restart"}, {"ms", 3012.0}},
                             QJsonObject{{"step", "bootloader"}, {"ms", 410.0}},
                             QJsonObject{{"step", "writing"}, {"ms", 18230.0}}}},
        {"log", QStringLiteral("update-%1-4242.log")
                    .arg(when.toString(QStringLiteral("yyyyMMdd'T'HHmmss.zzz'Z'")))},
    };
    return QJsonDocument(entry).toJson(QJsonDocument::Compact);
}

// A history of runs 1 to runs; the runs in broken are lines cut short.
QByteArray historyOf(int runs, const QList<int> &broken = {}, bool finalNewline = true)
{
    QByteArray text;
    for (int run = 1; run <= runs; ++run) {
        const QByteArray line = runLine(run);
        text += broken.contains(run) ? line.left(line.size() / 2) : line;
        if (run < runs || finalNewline)
            text += '\n';
    }
    return text;
}

QList<int> range(int first, int last)
{
    QList<int> runs;
    for (int run = first; run <= last; ++run)
        runs << run;
    return runs;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

#ifndef Q_OS_WIN
unsigned modeOf(const QString &path)
{
    struct stat info = {};
    return lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}
#endif
} // namespace

class TestRunHistory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void lastRuns_data();
    void lastRuns();
    void newestLogsKept_data();
    void newestLogsKept();
    void appendsNeverOverwrite();
    void privateFiles_data();
    void privateFiles();
    void rootInAnotherUsersEnvironment_data();
    void rootInAnotherUsersEnvironment();
    void rootsOwnEnvironment_data();
    void rootsOwnEnvironment();
    void consoleHistory_data();
    void consoleHistory();
    void tableInTheUsersLanguage();

private:
    std::unique_ptr<QTemporaryDir> work;
};

void TestRunHistory::initTestCase()
{
#ifdef Q_OS_WIN
    // Windows' own data folder cannot be moved by the environment: the test's is apart from it.
    QStandardPaths::setTestModeEnabled(true);
#endif
}

void TestRunHistory::init()
{
    work = std::make_unique<QTemporaryDir>();
    QVERIFY(work->isValid());
    qputenv("HOME", work->filePath("home").toLocal8Bit());
    qputenv("XDG_DATA_HOME", work->filePath("home/data").toLocal8Bit());
    qputenv("XDG_CACHE_HOME", work->filePath("home/cache").toLocal8Bit());
    QVERIFY(QDir().mkpath(work->filePath("home")));
#ifdef Q_OS_WIN
    QVERIFY(QDir(UserFolders::data()).removeRecursively());
#endif
}

void TestRunHistory::cleanup()
{
    // On Linux the folders were in the temporary one; never removed by name, which a test that
    // changed the environment may have turned into root's own.
#ifdef Q_OS_WIN
    QDir(UserFolders::data()).removeRecursively();
#endif
    work.reset();
}

void TestRunHistory::lastRuns_data()
{
    QTest::addColumn<QByteArray>("history"); // empty: no file
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("runs"); // those read, oldest first
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("earlierLine"); // the overview's last line; empty: none

    QTest::newRow("no history yet") << QByteArray() << 200 << QList<int>() << qint64(0) << "";
    QTest::newRow("fewer than asked") << historyOf(3) << 200 << range(1, 3) << qint64(3) << "";
    QTest::newRow("the last of more")
        << historyOf(10) << 3 << range(8, 10) << qint64(10) << "7 earlier runs are not shown.";
    QTest::newRow("one earlier") << historyOf(4) << 3 << range(2, 4) << qint64(4)
                                 << "1 earlier run is not shown.";
    // A line cut short is a run that cannot be read: counted, not listed.
    QTest::newRow("a line that cannot be read, no newline at the end")
        << historyOf(9, {8}, false) << 4 << QList<int>{6, 7, 9} << qint64(9)
        << "5 earlier runs are not shown.";
    QTest::newRow("empty lines are no runs")
        << QByteArray("\n" + historyOf(2) + "\n\n" + historyOf(1)) << 200 << QList<int>{1, 2, 1}
        << qint64(3) << "";
    // Far more than one chunk read from the end, lines crossing chunk borders.
    QTest::newRow("across many chunks")
        << historyOf(3000, {1300}) << 2000 << range(1001, 3000).mid(0, 299) + range(1301, 3000)
        << qint64(3000) << "1000 earlier runs are not shown.";
    QTest::newRow("every run") << historyOf(1200, {1}, false) << -1 << range(2, 1200)
                               << qint64(1200) << "";
}

void TestRunHistory::lastRuns()
{
    QFETCH(QByteArray, history);
    QFETCH(int, count);
    QFETCH(QList<int>, runs);
    QFETCH(qint64, total);
    QFETCH(QString, earlierLine);
    if (!history.isEmpty())
        QVERIFY(writeFile(RunHistory::historyFile(), history));

    const RunHistory::Recent recent = RunHistory::last(count);
    QStringList sensors;
    for (const QJsonObject &entry : recent.entries)
        sensors << entry["sensor"].toString();
    QStringList expected;
    for (const int run : runs)
        expected << sensorOf(run);
    QCOMPARE(sensors, expected);
    QCOMPARE(recent.total, total);
    QCOMPARE(recent.earlier, count < 0 ? 0 : qMax<qint64>(0, total - count));

    // The window's: the newest first, and the earlier runs said in a last line.
    if (count < 0)
        return;
    QStringList lines = RunHistory::overview(count).split('\n');
    QVERIFY(lines.takeFirst().startsWith("When "));
    if (!earlierLine.isEmpty())
        QCOMPARE(lines.takeLast(), earlierLine);
    QCOMPARE(lines.size(), expected.size());
    for (int row = 0; row < lines.size(); ++row)
        QVERIFY2(lines[row].contains(expected[expected.size() - 1 - row]), qPrintable(lines[row]));
}

void TestRunHistory::newestLogsKept_data()
{
    // Logs already there: of earlier versions, named by local time, and of this one, by UTC.
    QTest::addColumn<int>("legacy");
    QTest::addColumn<int>("current");
    // The first of each kind kept; the run's new log is always kept.
    QTest::addColumn<int>("firstLegacyKept");
    QTest::addColumn<int>("firstCurrentKept");
    QTest::addColumn<int>("runs"); // kept now, all begun in the same millisecond

    QTest::newRow("fewer than 20") << 3 << 5 << 0 << 0 << 1;
    QTest::newRow("exactly 20 then") << 4 << 15 << 0 << 0 << 1;
    QTest::newRow("earlier versions' go first") << 4 << 17 << 2 << 0 << 1;
    QTest::newRow("then the oldest") << 2 << 25 << 2 << 6 << 1;
    QTest::newRow("none of earlier versions") << 0 << 30 << 0 << 11 << 1;
    // Two sensors updated by one program.
    QTest::newRow("two runs in one millisecond") << 0 << 19 << 0 << 1 << 2;
}

void TestRunHistory::newestLogsKept()
{
    QFETCH(int, legacy);
    QFETCH(int, current);
    QFETCH(int, firstLegacyKept);
    QFETCH(int, firstCurrentKept);
    QFETCH(int, runs);
    // Earlier versions' names look later than this one's, by their local time.
    auto legacyName = [](int index) {
        return QStringLiteral("run-20991231-2359%1-000-77.log").arg(index, 2, 10, QLatin1Char('0'));
    };
    auto currentName = [](int index) {
        return QStringLiteral("update-20000101T0000%1.000Z-77.log")
            .arg(index, 2, 10, QLatin1Char('0'));
    };
    const QDir logs(RunHistory::logFolder());
    QStringList kept;
    for (int index = 0; index < legacy; ++index) {
        QVERIFY(writeFile(logs.filePath(legacyName(index)), "earlier version's log\n"));
        if (index >= firstLegacyKept)
            kept << legacyName(index);
    }
    for (int index = 0; index < current; ++index) {
        QVERIFY(writeFile(logs.filePath(currentName(index)), "log\n"));
        if (index >= firstCurrentKept)
            kept << currentName(index);
    }
    // Where the clocks go back in autumn, a name by local time would repeat an hour.
    const QByteArray savedZone = qgetenv("TZ");
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    RunRecord record;
    record.begin(work->filePath("fw.zip"));
    QString error;
    bool keptRuns = true;
    for (int run = 0; run < runs; ++run)
        keptRuns = keptRuns && RunHistory::keep(record, &error);
    const QDateTime started = record.started().toUTC(); // in the zone it began in
    if (savedZone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", savedZone);
    QVERIFY2(keptRuns, qPrintable(error));

    for (const QJsonObject &entry : RunHistory::last(runs).entries) {
        const QString newLog = entry.value("log").toString();
        const QRegularExpressionMatch utc =
            QRegularExpression("^update-(\\d{8}T\\d{6}\\.\\d{3})Z-\\d+(-\\d)?\\.log$")
                .match(newLog);
        QVERIFY2(utc.hasMatch() && !kept.contains(newLog), qPrintable(newLog));
        QDateTime named = QDateTime::fromString(utc.captured(1), "yyyyMMdd'T'HHmmss.zzz");
        named.setTimeSpec(Qt::UTC);
        QCOMPARE(named, started);
        kept << newLog;
    }
    kept.sort();
    QCOMPARE(logs.entryList(QDir::Files, QDir::Name), kept);
}

void TestRunHistory::appendsNeverOverwrite()
{
    // Two programs that end at once, each adding its lines through a handle of its own.
    constexpr int perWriter = 1000;
    QVERIFY(QDir().mkpath(RunHistory::folder()));
    std::atomic<int> failures{0};
    std::atomic<int> ready{0};
    auto writer = [&failures, &ready](int first) {
        // Both begin together, so that their lines meet.
        for (++ready; ready < 2;)
            std::this_thread::yield();
        QString error;
        for (int run = first; run < first + perWriter; ++run)
            if (!PrivateFiles::append(RunHistory::historyFile(), runLine(run) + '\n', &error))
                ++failures;
    };
    std::thread one(writer, 1);
    std::thread other(writer, perWriter + 1);
    one.join();
    other.join();
    QCOMPARE(failures.load(), 0);
    const RunHistory::Recent all = RunHistory::last(-1);
    QCOMPARE(all.total, qint64(2 * perWriter));
    QSet<QString> sensors;
    for (const QJsonObject &entry : all.entries)
        sensors.insert(entry.value("sensor").toString());
    QCOMPARE(sensors.size(), 2 * perWriter);
}

void TestRunHistory::privateFiles_data()
{
    // What an earlier version left: nothing, folders and files open to all, or a link in place
    // of the data folder.
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("kept");

    QTest::newRow("nothing yet") << "nothing" << true;
#ifndef Q_OS_WIN
    QTest::newRow("open to all") << "open" << true;
    QTest::newRow("a link in place of the folder") << "link" << false;
#endif
}

void TestRunHistory::privateFiles()
{
    QFETCH(QString, before);
    QFETCH(bool, kept);
    const QString package = QDir(UserFolders::cache()).filePath("dl/app.zip");
    const QString elsewhere = work->filePath("elsewhere");
    QVERIFY(QDir().mkpath(elsewhere));
#ifndef Q_OS_WIN
    const mode_t savedMask = umask(022);
    if (before == "open") {
        QVERIFY(writeFile(RunHistory::historyFile(), historyOf(2)));
        QVERIFY(QDir().mkpath(RunHistory::logFolder()));
        QVERIFY(writeFile(package, "PK\x03\x04 earlier package"));
    }
    if (before == "link") {
        QVERIFY(QDir().mkpath(QFileInfo(RunHistory::folder()).path()));
        QVERIFY(QFile::link(elsewhere, RunHistory::folder()));
    }
    const unsigned elsewhereMode = modeOf(elsewhere);
#endif
    RunRecord record;
    record.begin(work->filePath("fw.zip"));
    QString error;
    QCOMPARE(RunHistory::keep(record, &error), kept);
    QCOMPARE(error.isEmpty(), kept);
    const QString logName = RunHistory::last(1).entries.value(0).value("log").toString();
    const QString log = QDir(RunHistory::logFolder()).filePath(logName);
    QCOMPARE(!logName.isEmpty() && QFileInfo(log).isFile(), kept);
    const QString packagePath = QDir::fromNativeSeparators(PackageFolder::prepare(false));
    QCOMPARE(packagePath, package);
    QVERIFY(QFileInfo(QFileInfo(package).path()).isDir());
#ifndef Q_OS_WIN
    umask(savedMask);
    QCOMPARE(modeOf(UserFolders::cache()), 0700u);
    QCOMPARE(modeOf(QFileInfo(package).path()), 0700u);
    if (before == "open")
        QCOMPARE(modeOf(package), 0600u);
    if (!kept) {
        // Nothing made or changed through the link.
        QCOMPARE(modeOf(elsewhere), elsewhereMode);
        QCOMPARE(QDir(elsewhere).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
        return;
    }
    QCOMPARE(modeOf(RunHistory::folder()), 0700u);
    QCOMPARE(modeOf(RunHistory::logFolder()), 0700u);
    QCOMPARE(modeOf(RunHistory::historyFile()), 0600u);
    QCOMPARE(modeOf(log), 0600u);
#endif
}

void TestRunHistory::rootInAnotherUsersEnvironment_data()
{
#ifdef Q_OS_WIN
    QSKIP("sudo is for Linux");
#else
    if (geteuid() != 0)
        QSKIP("runs as root only");
#endif
    // Whose are HOME, the XDG folder (none: not set) and the folder the window starts in.
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("working");
    QTest::addColumn<bool>("rootsHome"); // data and cache below root's own home
    QTest::addColumn<bool>("workingDl"); // the window keeps its package in the working folder

    QTest::newRow("sudo keeps HOME") << "other"
                                     << "none"
                                     << "own" << true << false;
    QTest::newRow("sudo -E keeps XDG folders") << "own"
                                               << "other"
                                               << "own" << true << false;
    QTest::newRow("HOME another's") << "other"
                                    << "own"
                                    << "own" << true << false;
    QTest::newRow("an own folder in another's") << "own"
                                                << "own in other"
                                                << "own" << true << false;
    QTest::newRow("root's own") << "own"
                                << "own"
                                << "own" << false << true;
    QTest::newRow("window in another's folder") << "own"
                                                << "own"
                                                << "other" << false << false;
    QTest::newRow("window in a folder of root's in another's") << "own"
                                                               << "own"
                                                               << "own in other" << false << false;
    // Others could put a link where a folder is still to be made, or the folder itself.
    QTest::newRow("XDG folders in one every user may write") << "own"
                                                             << "open"
                                                             << "own" << true << false;
    QTest::newRow("window in a folder every user may write") << "own"
                                                             << "own"
                                                             << "open" << false << false;
}

void TestRunHistory::rootInAnotherUsersEnvironment()
{
#ifndef Q_OS_WIN
    QFETCH(QString, home);
    QFETCH(QString, xdg);
    QFETCH(QString, working);
    QFETCH(bool, rootsHome);
    QFETCH(bool, workingDl);
    const uid_t other = 65534;
    // A folder of root's, of another user, of root's inside another user's, or of root's that
    // every user may write.
    auto folder = [&](const QString &name, const QString &owner) {
        const QString path = work->filePath(name);
        const QString inner = owner == "own in other" ? path + "/inner" : path;
        const QByteArray made = QFile::encodeName(path);
        if (!QDir().mkpath(inner) || (owner == "open" && chmod(made.constData(), 01777) != 0) ||
            (owner.contains("other") && chown(made.constData(), other, other) != 0))
            return QString();
        return inner;
    };
    const QString homePath = folder("user", home);
    qputenv("HOME", homePath.toLocal8Bit());
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CACHE_HOME");
    if (xdg != "none") {
        const QString xdgPath = folder("xdg", xdg);
        qputenv("XDG_DATA_HOME", (xdgPath + "/data").toLocal8Bit());
        qputenv("XDG_CACHE_HOME", (xdgPath + "/cache").toLocal8Bit());
    }
    const QString usualData = qEnvironmentVariableIsSet("XDG_DATA_HOME")
                                  ? qEnvironmentVariable("XDG_DATA_HOME")
                                  : homePath + "/.local/share";
    const QString usualCache = qEnvironmentVariableIsSet("XDG_CACHE_HOME")
                                   ? qEnvironmentVariable("XDG_CACHE_HOME")
                                   : homePath + "/.cache";
    const QString rootHome = QFile::decodeName(getpwuid(0)->pw_dir);
    QCOMPARE(UserFolders::data(),
             (rootsHome ? rootHome + "/.local/share" : usualData) + "/ovk-sensor-updater");
    QCOMPARE(UserFolders::cache(),
             (rootsHome ? rootHome + "/.cache" : usualCache) + "/ovk-sensor-updater");
    // Root's own home is not written in a test: the window's choice only where it stays here.
    if (rootsHome)
        return;
    const QString workingPath = folder("window", working);
    const QString saved = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workingPath));
    const QString package = PackageFolder::prepare(true);
    QDir::setCurrent(saved);
    QCOMPARE(package, workingDl ? QString("dl/app.zip") : UserFolders::cache() + "/dl/app.zip");
    QCOMPARE(QFileInfo::exists(workingPath + "/dl"), workingDl);
#endif
}

void TestRunHistory::rootsOwnEnvironment_data()
{
#ifdef Q_OS_WIN
    QSKIP("sudo is for Linux");
#else
    if (geteuid() != 0)
        QSKIP("runs as root only");
    // ROOT: a folder of root's; THEIRS: another user's. kept: what is left of the variable (null:
    // unset).
    QTest::addColumn<QByteArray>("variable");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("kept");

    QTest::newRow("root's") << QByteArray("QT_PLUGIN_PATH") << "ROOT"
                            << "ROOT";
    QTest::newRow("another user's") << QByteArray("QT_PLUGIN_PATH") << "THEIRS" << QString();
    QTest::newRow("a list of both") << QByteArray("QML2_IMPORT_PATH") << "THEIRS:ROOT::"
                                    << "ROOT";
    QTest::newRow("root's inside another user's")
        << QByteArray("TMPDIR") << "THEIRS/roots" << QString();
    QTest::newRow("a link of root's to another user's")
        << QByteArray("QT_QPA_PLATFORM_PLUGIN_PATH") << "ROOT/link" << QString();
    QTest::newRow("root's, below a folder anyone may add to with the sticky bit")
        << QByteArray("TMPDIR") << "ROOT/sticky/roots"
        << "ROOT/sticky/roots";
    QTest::newRow("a file anyone may write")
        << QByteArray("OPENSSL_CONF") << "ROOT/open.cnf" << QString();
    QTest::newRow("a relative path") << QByteArray("PATH") << "bin:ROOT"
                                     << "ROOT";
    QTest::newRow("back up out of root's")
        << QByteArray("GIO_EXTRA_MODULES") << "ROOT/link/../x" << QString();
    QTest::newRow("names stay, paths are judged")
        << QByteArray("GTK_MODULES") << "gail:THEIRS/module.so"
        << "gail";
    QTest::newRow("any XDG folder") << QByteArray("XDG_PICTURES_DIR") << "THEIRS" << QString();
    QTest::newRow("a relative XDG folder, in the user's working folder under sudo")
        << QByteArray("XDG_CACHE_HOME") << "cache" << QString();
    QTest::newRow("an XDG name stays") << QByteArray("XDG_SESSION_TYPE") << "x11"
                                       << "x11";
    QTest::newRow("the Vulkan library Qt Quick may load")
        << QByteArray("QT_VULKAN_LIB") << "THEIRS/libvulkan.so" << QString();
    QTest::newRow("the Vulkan loader's drivers")
        << QByteArray("VK_ICD_FILENAMES") << "THEIRS/icd.json" << QString();
    QTest::newRow("another user's home")
        << QByteArray("HOME") << "THEIRS" << QFile::decodeName(getpwuid(0)->pw_dir);
#endif
}

void TestRunHistory::rootsOwnEnvironment()
{
#ifndef Q_OS_WIN
    QFETCH(QByteArray, variable);
    QFETCH(QString, value);
    QFETCH(QString, kept);
    const QString roots = work->filePath("root");
    const QString theirs = work->filePath("theirs");
    QVERIFY(QDir().mkpath(roots + "/sticky/roots") && QDir().mkpath(theirs + "/roots"));
    QVERIFY(QFile::link(theirs, roots + "/link"));
    QFile open(roots + "/open.cnf");
    QVERIFY(open.open(QIODevice::WriteOnly) &&
            open.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                QFileDevice::WriteGroup | QFileDevice::WriteOther));
    QCOMPARE(chmod(QFile::encodeName(roots + "/sticky"), 01777), 0);
    QCOMPARE(chown(QFile::encodeName(theirs), 65534, 65534), 0);
    const auto placed = [&](QString text) {
        return text.replace("ROOT", roots).replace("THEIRS", theirs);
    };
    const QByteArray saved = qgetenv(variable.constData());
    const QByteArray savedHome = qgetenv("HOME");
    qputenv(variable.constData(), placed(value).toLocal8Bit());
    const QStringList leftOut = RootEnvironment::keepToRootsOwn();
    const QString left = qEnvironmentVariable(variable.constData());
    const bool isSet = qEnvironmentVariableIsSet(variable.constData());
    qputenv(variable.constData(), saved);
    qputenv("HOME", savedHome);
    QCOMPARE(isSet ? left : QString(), kept.isNull() ? QString() : placed(kept));
    // Said in the log, for whoever wonders where a path went.
    QVERIFY2(leftOut.isEmpty() == (kept == value), qPrintable(leftOut.join(", ")));
    for (const QString &line : leftOut)
        QVERIFY2(line.contains(variable + '='), qPrintable(line));
#endif
}

void TestRunHistory::consoleHistory_data()
{
#ifdef Q_OS_WIN
    // Its data folder would be the real one of Windows' user, not this test's.
    QSKIP("on Linux only");
#endif
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QList<int>>("runs");  // those printed, oldest first
    QTest::addColumn<QString>("lastLine"); // after the runs on stdout, or on stderr for 64

    const QString more = "The last %1 of 150 runs; --history all prints every one.";
    QTest::newRow("the last 100") << QStringList{"--history"} << 0 << range(51, 150)
                                  << more.arg(100);
    QTest::newRow("the last 2") << QStringList{"--history", "2"} << 0 << range(149, 150)
                                << more.arg(2);
    QTest::newRow("more than there are")
        << QStringList{"--history", "500"} << 0 << range(1, 150) << "";
    QTest::newRow("every one") << QStringList{"--history", "all"} << 0 << range(1, 150) << "";
    QTest::newRow("JSON lines only")
        << QStringList{"--json", "--history", "3"} << 0 << range(148, 150) << "";
    const QString badCount = "--history takes a number of runs from 1, or all";
    QTest::newRow("no runs") << QStringList{"--history", "0"} << 64 << QList<int>() << badCount;
    QTest::newRow("not a number") << QStringList{"--history", "many"} << 64 << QList<int>()
                                  << badCount;
    QTest::newRow("two counts") << QStringList{"--history", "2", "3"} << 64 << QList<int>()
                                << "Unexpected argument: 3";
    QTest::newRow("a count without --history")
        << QStringList{"2"} << 64 << QList<int>() << "Unexpected argument: 2";
}

void TestRunHistory::consoleHistory()
{
#ifndef Q_OS_WIN
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QList<int>, runs);
    QFETCH(QString, lastLine);
    const QString program =
        QCoreApplication::applicationDirPath() + "/../src/cli/ovk-sensor-update";
    QVERIFY2(QFileInfo(program).isExecutable(), "build the ovk-sensor-update target first");
    QVERIFY(writeFile(RunHistory::historyFile(), historyOf(150)));

    QProcess console;
    console.start(program, arguments);
    QVERIFY(console.waitForFinished(30000));
    QCOMPARE(console.exitCode(), exitCode);
    QStringList out = QString::fromUtf8(console.readAllStandardOutput()).split('\n');
    QCOMPARE(out.takeLast(), QString()); // every line ends
    if (exitCode != 0) {
        QCOMPARE(QString::fromUtf8(console.readAllStandardError()).trimmed(), lastLine);
        QCOMPARE(out, QStringList());
        return;
    }
    const bool json = arguments.contains("--json");
    if (!json)
        QVERIFY(out.takeFirst().startsWith("When "));
    if (!lastLine.isEmpty())
        QCOMPARE(out.takeLast(), lastLine);
    QCOMPARE(out.size(), runs.size());
    for (int row = 0; row < out.size(); ++row) {
        const QString sensor = sensorOf(runs[row]);
        if (json)
            QCOMPARE(QJsonDocument::fromJson(out[row].toUtf8())["sensor"].toString(), sensor);
        else
            QVERIFY2(out[row].contains("  " + shownSensorOf(runs[row]) + "  "),
                     qPrintable(out[row]));
    }
#endif
}

// The history keeps English words; a person reads the table in the program's language.
void TestRunHistory::tableInTheUsersLanguage()
{
    QVERIFY(writeFile(RunHistory::historyFile(), historyOf(4)));
    const ProgramLanguage german(QStringList(), {"de-AT"});
    const QStringList lines = RunHistory::overview(3).split('\n');
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines.first().simplified(), "Zeitpunkt Programm Sensor Paket Ergebnis Schritte");
    QVERIFY2(lines[1].contains("  Update abgeschlossen (0)  Neustart 3.0 s, Bootloader 410 ms, "
                               "Schreiben 18.2 s"),
             qPrintable(lines[1]));
    QCOMPARE(lines.last(), "1 früheres Update wird nicht angezeigt.");
}

QTEST_GUILESS_MAIN(TestRunHistory)
#include "tst_runhistory.moc"
