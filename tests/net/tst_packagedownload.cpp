// The firmware package download against a real HTTPS help server on loopback, and the local
// choice of a package.
#include "Endpoints.h"
#include "LocalHelpServer.h"
#include "LogCapture.h"
#include "Packages.h"
#include "SignalWait.h"
#include "Updater.h"
#include "UpdaterTestAccess.h"
#include "WorkingDirectory.h"

#include <QNetworkAccessManager>
#include <QtTest>
#include <memory>
#ifndef Q_OS_WIN
#include "Privileges.h"
#include <csignal>
#include <sys/resource.h>
#endif

namespace {
const QString packagePath = "/files/terravox/v2/sensor/firmware/app.zip";
const QString storedPackage = "dl/app.zip";
const QByteArray earlierPackage = zipFrame("the package of an earlier run");
// Far beyond what the server's answer takes on any machine; the answer ends the wait.
constexpr int answerMs = 60000;

#ifndef Q_OS_WIN
// Limits the size of files this process writes, as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN); // a write past the limit fails instead of killing us
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }

private:
    rlimit saved{};
};
#endif

} // namespace

class TestPackageDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void storesBodyUnchanged_data();
    void storesBodyUnchanged();
    void secondDownloadReplacesWhole();
    void failuresKeepEarlierPackage_data();
    void failuresKeepEarlierPackage();
    void storeFailureKeepsEarlierPackage_data();
    void storeFailureKeepsEarlierPackage();
    void oversizedPackageIsRefused();
    void fileChosen_data();
    void fileChosen();

private:
    void writeEarlierPackage();
    // Starts a download and returns once the reply has been handled.
    void download(Updater &updater, LocalHelpServer &server);

    std::unique_ptr<TemporaryWorkingDirectory> work;
    std::unique_ptr<LogCapture> log;
};

void TestPackageDownload::initTestCase()
{
    qRegisterMetaType<QNetworkReply *>();
    LocalHelpServer::trustTestAuthority();
}

void TestPackageDownload::init()
{
    work = std::make_unique<TemporaryWorkingDirectory>();
    log = std::make_unique<LogCapture>();
}

void TestPackageDownload::cleanup()
{
    log.reset();
    QFile::setPermissions(work->filePath("dl"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    work.reset();
}

void TestPackageDownload::writeEarlierPackage()
{
    QVERIFY(writeFile(storedPackage, earlierPackage));
}

void TestPackageDownload::download(Updater &updater, LocalHelpServer &server)
{
    UpdaterTestAccess::setHelpHost(updater, server.hostAndPort());
    // The Updater's own handler was connected first, so it has run once this spy hears of it.
    QSignalSpy handled(UpdaterTestAccess::firmwareManager(updater),
                       &QNetworkAccessManager::finished);
    updater.downloadLastPodVersion();
    QVERIFY(waitForSignal(handled, 1, answerMs));
}

void TestPackageDownload::storesBodyUnchanged_data()
{
    QTest::addColumn<QByteArray>("body");

    QByteArray binary;
    for (int i = 0; i < 70000; ++i)
        binary.append(char(i * 7 % 256));
    QTest::newRow("zip with NUL bytes") << zipFrame(QByteArray("\0\0\x14\0body\0", 9));
    QTest::newRow("large binary") << zipFrame(binary);
    const QByteArray real = fileContents(realZipArchive());
    QVERIFY(!real.isEmpty());
    QTest::newRow("real archive") << real;
}

void TestPackageDownload::storesBodyUnchanged()
{
    QFETCH(QByteArray, body);
    LocalHelpServer server;
    QVERIFY(server.start());
    server.setAnswer(packagePath, 200, body);
    Updater updater;
    download(updater, server);
    QCOMPARE(server.requestedPaths(), QStringList{packagePath});
    QVERIFY(QFileInfo::exists(storedPackage));
    QCOMPARE(fileContents(storedPackage), body);
    QVERIFY(log->lines().isEmpty());
    // Nothing but the package is left in the download directory.
    QCOMPARE(QDir("dl").entryList(QDir::Files | QDir::Hidden), QStringList{"app.zip"});
    // Where the window and the console look for it, in the platform's own spelling.
#ifdef Q_OS_WIN
    QCOMPARE(Endpoints::packagePath(), "dl\\app.zip");
#else
    QCOMPARE(Endpoints::packagePath(), "dl/app.zip");
    // The first download too is its user's alone, whatever the umask.
    QCOMPARE(QFileInfo(storedPackage).permissions() & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());
#endif
}

void TestPackageDownload::secondDownloadReplacesWhole()
{
    LocalHelpServer server;
    QVERIFY(server.start());
    Updater updater;
    server.setAnswer(packagePath, 200, zipFrame(QByteArray(5000, 'A')));
    download(updater, server);
    server.setAnswer(packagePath, 200, zipFrame("short"));
    download(updater, server);
    QCOMPARE(fileContents(storedPackage), zipFrame("short"));
}

void TestPackageDownload::failuresKeepEarlierPackage_data()
{
    QTest::addColumn<int>("status"); // 0: nobody listens; -1: a server that goes silent
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QByteArray>("body");
    const QByteArray page("<html>not a package</html>");

    QTest::newRow("not found") << 404 << true << "Not Found" << page;
    QTest::newRow("moved") << 301 << true << "Unexpected HTTP status 301 Moved Permanently" << page;
    QTest::newRow("found elsewhere") << 302 << true << "Unexpected HTTP status 302 Found" << page;
    QTest::newRow("server error") << 500 << true << "Internal Server Error" << page;
    QTest::newRow("unreachable") << 0 << true << "Connection refused" << page;
    QTest::newRow("untrusted certificate") << 200 << false << "SSL handshake failed" << page;
    QTest::newRow("silent server gives up") << -1 << true << "Operation canceled" << page;
    // A captive portal or a misconfigured server answers 200 with a web page.
    QTest::newRow("web page answered 200") << 200 << true << "Not a zip archive" << page;
    QTest::newRow("empty body") << 200 << true << "Not a zip archive" << QByteArray();
    QTest::newRow("archive cut short")
        << 200 << true << "Not a zip archive" << zipFrame().left(zipFrame().size() - 1);
}

void TestPackageDownload::failuresKeepEarlierPackage()
{
    QFETCH(int, status);
    QFETCH(bool, trusted);
    QFETCH(QString, error);
    QFETCH(QByteArray, body);
    writeEarlierPackage();
    LocalHelpServer server(trusted ? LocalHelpServer::Identity::Trusted
                                   : LocalHelpServer::Identity::Untrusted);
    QVERIFY(server.start());
    LocalHelpServer::Answer answer;
    answer.status = qMax(status, 200);
    answer.delayMs = status < 0 ? -1 : 0;
    answer.body = body;
    answer.headers.append(
        qMakePair(QByteArray("Location"), QByteArray("https://elsewhere.example/app.zip")));
    server.setAnswer(packagePath, answer);
    QString host = server.hostAndPort();
    if (status == 0)
        server.close(); // nobody listens on that port any more
    Updater updater;
    UpdaterTestAccess::setHelpHost(updater, host);
    // Only the silent server is waited out: every other row waits for the server's own answer,
    // for which the program's own time (30 s of silence) leaves far more than it ever takes.
    if (status < 0)
        UpdaterTestAccess::timing(updater).helpServerSilenceMs = 500;
    QSignalSpy handled(UpdaterTestAccess::firmwareManager(updater),
                       &QNetworkAccessManager::finished);
    updater.downloadLastPodVersion();
    QVERIFY(waitForSignal(handled, 1, answerMs));
    const QStringList lines = log->lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith("Error app.zip DL:  \""), qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(error), qPrintable(lines.first()));
    QCOMPARE(fileContents(storedPackage), earlierPackage);
}

void TestPackageDownload::storeFailureKeepsEarlierPackage_data()
{
    QTest::addColumn<bool>("directoryWritable");
    QTest::addColumn<qint64>("fileSizeLimit"); // 0: none
    QTest::addColumn<QString>("reason");

    QTest::newRow("directory not writable") << false << qint64(0) << "Permission denied";
    // As on a full disk: the first 16 KiB are written, the rest fails.
    QTest::newRow("write fails midway") << true << qint64(16 * 1024) << " of 262144 bytes written";
}

void TestPackageDownload::storeFailureKeepsEarlierPackage()
{
#ifdef Q_OS_WIN
    QSKIP("POSIX permissions and file size limits stand in for a full or read-only disk");
#else
    QFETCH(bool, directoryWritable);
    QFETCH(qint64, fileSizeLimit);
    QFETCH(QString, reason);
    writeEarlierPackage();
    LocalHelpServer server;
    QVERIFY(server.start());
    server.setAnswer(packagePath, 200, zipFrame(QByteArray(256 * 1024 - 26, 'N')));
    if (!directoryWritable)
        QVERIFY(QFile::setPermissions("dl", QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    Updater updater;
    {
        WithoutFileAccessOverride asNormalUser;
        std::unique_ptr<FileSizeLimit> fullDisk;
        if (fileSizeLimit > 0)
            fullDisk = std::make_unique<FileSizeLimit>(fileSizeLimit);
        download(updater, server);
    }
    QCOMPARE(fileContents(storedPackage), earlierPackage);
    QCOMPARE(QDir("dl").entryList(QDir::Files | QDir::Hidden), QStringList{"app.zip"});
    const QStringList lines = log->lines();
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith("Error app.zip store:  \""), qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(reason), qPrintable(lines.first()));
#endif
}

void TestPackageDownload::oversizedPackageIsRefused()
{
    writeEarlierPackage();
    LocalHelpServer server;
    QVERIFY(server.start());
    server.setAnswer(packagePath, 200, QByteArray(64 * 1024 * 1024 + 1, 'Z'));
    Updater updater;
    download(updater, server);
    QCOMPARE(log->lines(), QStringList{"Error app.zip DL:  \"Package larger than 64 MiB\""});
    QCOMPARE(fileContents(storedPackage), earlierPackage);
}

void TestPackageDownload::fileChosen_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("path");

    // A local path in the platform's own spelling ("\\home\\ann\\..." on Windows).
    QTest::newRow("file URL") << "file:///home/ann/fw/pkg.zip"
                              << QDir::toNativeSeparators("/home/ann/fw/pkg.zip");
    QTest::newRow("encoded blank") << "file:///home/ann/my%20fw/pkg%20v2.zip"
                                   << QDir::toNativeSeparators("/home/ann/my fw/pkg v2.zip");
    QTest::newRow("empty text") << ""
                                << "";
    QTest::newRow("relative text") << "fw/pkg.zip"
                                   << "fw/pkg.zip";
    QTest::newRow("web URL") << "https://example.org/pkg.zip"
                             << "https://example.org/pkg.zip";
}

void TestPackageDownload::fileChosen()
{
    QFETCH(QString, url);
    QFETCH(QString, path);
    Updater updater;
    QCOMPARE(updater.handleFileChosen(url), path);
}

QTEST_MAIN(TestPackageDownload)
#include "tst_packagedownload.moc"
