// The program version check against a real HTTPS help server on loopback.
#include "LocalHelpServer.h"
#include "LogCapture.h"
#include "SignalWait.h"
#include "Updater.h"
#include "UpdaterTestAccess.h"
#include "WorkingDirectory.h"

#include <QNetworkReply>
#include <QTcpServer>
#include <QtTest>
#include <memory>

namespace {
const QString versionPath = "/files/terravox/v2/sensor/updater/updater_version";
// Far beyond what the server's answer takes on any machine; the answer ends the wait.
constexpr int answerMs = 60000;
} // namespace

class TestVersionCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void answers_data();
    void answers();
    void failures_data();
    void failures();
    void eachCallAsksAgain();

private:
    std::unique_ptr<TemporaryWorkingDirectory> work;
    std::unique_ptr<LogCapture> log;
};

void TestVersionCheck::initTestCase()
{
    qRegisterMetaType<QNetworkReply *>();
    // This test process trusts the test CA; the program itself never learns of it.
    LocalHelpServer::trustTestAuthority();
}

void TestVersionCheck::init()
{
    work = std::make_unique<TemporaryWorkingDirectory>();
    log = std::make_unique<LogCapture>();
}

void TestVersionCheck::cleanup()
{
    log.reset();
    work.reset();
}

void TestVersionCheck::answers_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QVariant>("announced"); // null: no newVersion

    QTest::newRow("same version") << QByteArray("0.1") << QVariant();
    QTest::newRow("newer") << QByteArray("0.2") << QVariant("0.2");
    QTest::newRow("older counts too") << QByteArray("0.0") << QVariant("0.0");
    QTest::newRow("line break kept") << QByteArray("0.1\n") << QVariant("0.1\n");
    QTest::newRow("empty body") << QByteArray() << QVariant("");
    QTest::newRow("text ends at NUL") << QByteArray("0.1\0garbage", 11) << QVariant();
    QTest::newRow("NUL after another version") << QByteArray("0.3\0\x01", 5) << QVariant("0.3");
    QTest::newRow("UTF-8") << QByteArray("0.2 \xc3\xa9t\xc3\xa9") << QVariant("0.2 été");
}

void TestVersionCheck::answers()
{
    QFETCH(QByteArray, body);
    QFETCH(QVariant, announced);
    LocalHelpServer server;
    QVERIFY(server.start());
    server.setAnswer(versionPath, 200, body);
    QSignalSpy asked(&server, &LocalHelpServer::requested);

    Updater updater;
    UpdaterTestAccess::setHelpHost(updater, server.hostAndPort());
    QSignalSpy newVersion(&updater, &Updater::newVersion);
    updater.checkProgramVersion();
    QVERIFY(waitForSignal(asked, 1, answerMs));
    QCOMPARE(server.requestedPaths(), QStringList{versionPath});

    if (announced.isNull()) {
        QVERIFY(!waitForSignal(newVersion, 1, 1000));
    } else {
        QVERIFY(waitForSignal(newVersion, 1, answerMs));
        QCOMPARE(newVersion.first(), (QVariantList{"0.1", announced.toString()}));
    }
    QVERIFY(log->lines().filter("Error").isEmpty());
}

void TestVersionCheck::failures_data()
{
    QTest::addColumn<int>("status"); // 0: no server at all; -1: a server that goes silent
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<QString>("error");

    QTest::newRow("not found") << 404 << true << "Not Found";
    QTest::newRow("moved") << 301 << true << "Unexpected HTTP status 301 Moved Permanently";
    QTest::newRow("server error") << 500 << true << "Internal Server Error";
    QTest::newRow("unreachable") << 0 << true << "Connection refused";
    QTest::newRow("untrusted certificate") << 200 << false << "SSL handshake failed";
    QTest::newRow("silent server gives up") << -1 << true << "Operation canceled";
}

void TestVersionCheck::failures()
{
    QFETCH(int, status);
    QFETCH(bool, trusted);
    QFETCH(QString, error);
    LocalHelpServer server(trusted ? LocalHelpServer::Identity::Trusted
                                   : LocalHelpServer::Identity::Untrusted);
    QVERIFY(server.start());
    QString host = server.hostAndPort();
    if (status == 0)
        server.close(); // nobody listens on that port any more
    LocalHelpServer::Answer answer;
    answer.status = qMax(status, 200);
    answer.delayMs = status < 0 ? -1 : 0;
    answer.body = "0.2"; // a version that must never be announced
    answer.headers.append(
        qMakePair(QByteArray("Location"), QByteArray("https://elsewhere.example/")));
    server.setAnswer(versionPath, answer);

    Updater updater;
    UpdaterTestAccess::setHelpHost(updater, host);
    // Only the silent server is waited out: every other row waits for the server's own answer,
    // for which the program's own time (30 s of silence) leaves far more than it ever takes.
    if (status < 0)
        UpdaterTestAccess::timing(updater).helpServerSilenceMs = 500;
    QSignalSpy newVersion(&updater, &Updater::newVersion);
    updater.checkProgramVersion();
    QTRY_VERIFY_WITH_TIMEOUT(!log->lines().filter("Error program version DL: ").isEmpty(),
                             answerMs);

    const QStringList lines = log->lines().filter("Error program version DL: ");
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().startsWith("Error program version DL:  \""), qPrintable(lines.first()));
    QVERIFY2(lines.first().contains(error), qPrintable(lines.first()));
    QVERIFY(!waitForSignal(newVersion, 1, 300));
}

void TestVersionCheck::eachCallAsksAgain()
{
    LocalHelpServer server;
    QVERIFY(server.start());
    server.setAnswer(versionPath, 200, "0.2");
    Updater updater;
    UpdaterTestAccess::setHelpHost(updater, server.hostAndPort());
    QSignalSpy newVersion(&updater, &Updater::newVersion);
    updater.checkProgramVersion();
    updater.checkProgramVersion();
    QVERIFY(waitForSignal(newVersion, 2, answerMs));
    QCOMPARE(server.requestedPaths().size(), 2);
}

QTEST_MAIN(TestVersionCheck)
#include "tst_versioncheck.moc"
