// Start-up: the download directory, the resource bundle and the exit code without a window.
#include "Application.h"
#include "Updater.h"
#include "WorkingDirectory.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QtTest>

namespace {
const QString asProgram = QStringLiteral("--as-program");
}

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void createsDownloadDirectory();
    void leavesExistingDirectoryAlone();
    void plainFileInTheWayIsLeftAlone();
    void noRootObjectExitsMinusOne_data();
    void noRootObjectExitsMinusOne();
    void bundleHoldsDocumentsAndImages_data();
    void bundleHoldsDocumentsAndImages();

private:
    std::unique_ptr<TemporaryWorkingDirectory> workDir;
};

void TestStartup::init()
{
    workDir = std::make_unique<TemporaryWorkingDirectory>();
}

void TestStartup::cleanup()
{
    workDir.reset();
}

void TestStartup::createsDownloadDirectory()
{
    QVERIFY(!QFileInfo::exists("dl"));
    Updater updater;
    QVERIFY(QFileInfo("dl").isDir());
    QVERIFY(QFileInfo(workDir->path() + "/dl").isDir());
    QCOMPARE(updater.packagePath(), "dl/app.zip");
}

void TestStartup::leavesExistingDirectoryAlone()
{
    QVERIFY(QDir().mkdir("dl"));
    QFile kept("dl/app.zip");
    QVERIFY(kept.open(QIODevice::WriteOnly));
    kept.write("PK\x03\x04 earlier package");
    kept.close();
    {
        Updater updater;
    }
    QFile check("dl/app.zip");
    QVERIFY(check.open(QIODevice::ReadOnly));
    QCOMPARE(check.readAll(), QByteArray("PK\x03\x04 earlier package"));
}

void TestStartup::plainFileInTheWayIsLeftAlone()
{
    QFile blocker("dl");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.write("not a directory");
    blocker.close();
    // The package goes to the user's own folder instead, where the console program keeps it.
    qputenv("XDG_CACHE_HOME", workDir->filePath("cache").toLocal8Bit());
    {
        Updater updater;
        QCOMPARE(updater.packagePath(), workDir->filePath("cache/ovk-sensor-updater/dl/app.zip"));
        QVERIFY(QFileInfo(workDir->filePath("cache/ovk-sensor-updater/dl")).isDir());
    }
    QVERIFY(QFileInfo("dl").isFile());
    QVERIFY(blocker.open(QIODevice::ReadOnly));
    QCOMPARE(blocker.readAll(), QByteArray("not a directory"));
}

void TestStartup::noRootObjectExitsMinusOne_data()
{
    QTest::addColumn<QByteArray>("document"); // empty: no file at all

    QTest::newRow("missing document") << QByteArray();
    QTest::newRow("syntax error") << QByteArray("import QtQuick 2.9\nItem { width: }\n");
    QTest::newRow("unknown type") << QByteArray("import QtQuick 2.9\nNoSuchWindow {}\n");
}

void TestStartup::noRootObjectExitsMinusOne()
{
    QFETCH(QByteArray, document);
    const QString path = workDir->filePath("main.qml");
    if (!document.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(document);
    }
    // The program runs in a process of its own, as it does for the user; unknown options are
    // left to Qt and change nothing.
    QProcess program;
    program.setWorkingDirectory(workDir->path());
    program.start(QCoreApplication::applicationFilePath(),
                  {asProgram, QUrl::fromLocalFile(path).toString(), "--no-such-option"});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 255); // -1 as the platform reports it
    // The Updater was built (and torn down again) on the way.
    QVERIFY(QFileInfo("dl").isDir());
}

void TestStartup::bundleHoldsDocumentsAndImages_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QByteArray>("format");

    QTest::newRow("logo") << ":/img/OVK_logo.png" << QSize(473, 216) << QByteArray("png");
    QTest::newRow("photo") << ":/img/Terravox-088.jpg" << QSize(3167, 4651) << QByteArray("jpeg");
    QTest::newRow("main document") << ":/main.qml" << QSize() << QByteArray();
}

void TestStartup::bundleHoldsDocumentsAndImages()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QFETCH(QByteArray, format);
    QVERIFY(QFile::exists(path));
    if (format.isEmpty())
        return;
    QImageReader reader(path);
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.size(), size);
    // Relative to a document at the bundle's root, "img/OVK_logo.png" names the logo.
    QCOMPARE(QUrl("qrc:/main.qml").resolved(QUrl("img/OVK_logo.png")),
             QUrl("qrc:/img/OVK_logo.png"));
}

int main(int argc, char *argv[])
{
    // Run as the program itself: no test framework, no application object before it.
    if (argc >= 3 && argv[1] == asProgram) {
        argv[1] = argv[0];
        return runApplication(argc - 1, argv + 1, QUrl(QString::fromLocal8Bit(argv[2])));
    }
    QTEST_MAIN_IMPL(TestStartup)
}
#include "tst_startup.moc"
