// The lock that keeps updates apart on one computer: the file every user shares, opened safely,
// a user's own where that cannot be made, and the record that names its holder.
#include "LockHolder.h"
#include "LogCapture.h"
#include "UpdateLock.h"

#include <QtTest>
#include <memory>
#ifndef Q_OS_WIN
#include "Privileges.h"
#include <sys/stat.h>
#include <unistd.h>
#endif

class TestUpdateLock : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void lockFile_data();
    void lockFile();
    void heldUntilGivenBack();
    void holderIsNamed();

private:
    std::unique_ptr<QTemporaryDir> work;
    std::unique_ptr<LogCapture> log;
};

void TestUpdateLock::init()
{
    work = std::make_unique<QTemporaryDir>();
    log = std::make_unique<LogCapture>();
}

void TestUpdateLock::cleanup()
{
    log.reset();
    work.reset();
}

void TestUpdateLock::lockFile_data()
{
    // What is at the computer's lock file before the press; the user's own is beside it.
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("usersOwn"); // the lock taken is the user's own file
    QTest::addColumn<QString>("problem");

    const int taken = int(UpdateLock::Result::Taken);
    QTest::newRow("no file yet") << "none" << taken << false << "";
#ifdef Q_OS_WIN
    // The installer makes the folder; a program installed otherwise makes it itself.
    QTest::newRow("no folder yet") << "no folder" << taken << false << "";
    QTest::newRow("the computer's own") << "default" << taken << false << "";
#else
    const int unusable = int(UpdateLock::Result::Unusable);
    // Made at boot for group plugdev, or by another user's program: reading is enough.
    QTest::newRow("another user's, read only") << "foreign 0644" << taken << false << "";
    QTest::newRow("another user's, unreadable")
        << "foreign 0600" << unusable << false << "%1: Permission denied";
    QTest::newRow("a symbolic link")
        << "link" << unusable << false << "%1: a symbolic link, which is not followed";
    QTest::newRow("a named pipe") << "pipe" << unusable << false << "%1: not a regular file";
    // Some systems let only root make files in /run/lock.
    QTest::newRow("a folder only another user may write")
        << "foreign folder" << taken << true << "";
    QTest::newRow("no such folder") << "no folder" << taken << true << "";
#endif
}

void TestUpdateLock::lockFile()
{
    QFETCH(QString, setup);
    QFETCH(int, result);
    QFETCH(bool, usersOwn);
    QFETCH(QString, problem);
    const QString folder = work->filePath(setup == "no folder" ? "missing/lock" : "lock");
    QString path = QDir(folder).filePath("ovk-sensor-update.lock");
    const QString own = work->filePath("own.lock");
    if (setup != "no folder")
        QVERIFY(QDir().mkpath(folder));
    if (setup == "default")
        path = UpdateLock::machineWidePath();
#ifndef Q_OS_WIN
    const QByteArray file = QFile::encodeName(path);
    const QByteArray target = QFile::encodeName(work->filePath("target"));
    if (setup.startsWith("foreign")) {
        QByteArray chowned = QFile::encodeName(folder);
        if (setup != "foreign folder") {
            QVERIFY(QFile(path).open(QIODevice::WriteOnly));
            QVERIFY(chmod(file.constData(), setup.endsWith("0600") ? 0600 : 0644) == 0);
            chowned = file;
        }
        if (chown(chowned.constData(), 65534, 65534) != 0)
            QSKIP("making a file of another user needs root");
    }
    if (setup == "link")
        QVERIFY(symlink(target.constData(), file.constData()) == 0);
    if (setup == "pipe")
        QVERIFY(mkfifo(file.constData(), 0666) == 0);
    const mode_t savedMask = umask(077); // as under sudo
    WithoutFileAccessOverride asNormalUser;
#endif
    UpdateLock lock(path, own);
    QCOMPARE(int(lock.tryLock()), result);
    QCOMPARE(lock.isLocked(), result == int(UpdateLock::Result::Taken));
    QCOMPARE(lock.problem(), problem.isEmpty() ? QString() : problem.arg(path));
    if (result == int(UpdateLock::Result::Taken))
        QCOMPARE(lock.path(), usersOwn ? own : path);
    // Said once in the log, for as long as the program runs.
    lock.unlock();
    lock.tryLock();
    const QStringList userOnly = log->lines().filter("which covers this user only");
    QCOMPARE(userOnly.size(), usersOwn ? 1 : 0);
#ifndef Q_OS_WIN
    umask(savedMask);
    QVERIFY(!QFileInfo::exists(work->filePath("target"))); // nothing made through the link
    struct stat info = {};
    if (setup == "none")
        QCOMPARE(stat(file.constData(), &info) == 0 ? info.st_mode & 0777 : 0u, 0664u);
#endif
}

void TestUpdateLock::heldUntilGivenBack()
{
    const QString path = work->filePath("ovk-sensor-update.lock");
    UpdateLock first(path);
    UpdateLock second(path);
    QCOMPARE(first.tryLock(), UpdateLock::Result::Taken);
    QCOMPARE(second.tryLock(), UpdateLock::Result::HeldElsewhere);
    QVERIFY(second.problem().isEmpty());
    first.unlock();
    QCOMPARE(second.tryLock(), UpdateLock::Result::Taken);
}

void TestUpdateLock::holderIsNamed()
{
    const QString path = work->filePath("ovk-sensor-update.lock");
    QVERIFY(!LockHolder::current(path).isKnown());

    // A program that crashed left its record: nobody runs by that name.
    LockHolder crashed = LockHolder::ofThisProgram();
    QProcess ended;
    ended.start(QCoreApplication::applicationFilePath(), {"-functions"});
    QVERIFY(ended.waitForStarted());
    crashed.pid = ended.processId();
    QVERIFY(ended.waitForFinished());
    QVERIFY(crashed.write(path));
    QVERIFY(!LockHolder::current(path).isKnown());

    LockHolder holder = LockHolder::ofThisProgram();
    holder.port = "ttyACM0";
    holder.toolPid = QCoreApplication::applicationPid();
    holder.deadline = holder.since.addSecs(600);
    QVERIFY(holder.write(path));
    const LockHolder read = LockHolder::current(path);
    QCOMPARE(read.pid, QCoreApplication::applicationPid());
    QCOMPARE(read.program, "tst_updatelock");
    QCOMPARE(read.since.toString(Qt::ISODate), holder.since.toString(Qt::ISODate));
    QCOMPARE(read.describe(),
             QString("tst_updatelock (process %1, user %2) since %3, flashing ttyACM0 until %4 "
                     "at the latest")
                 .arg(holder.pid)
                 .arg(holder.user, holder.since.toString("yyyy-MM-dd HH:mm:ss"),
                      holder.deadline.toString("HH:mm:ss")));
    LockHolder::remove(path);
    QVERIFY(!LockHolder::current(path).isKnown());
}

QTEST_GUILESS_MAIN(TestUpdateLock)
#include "tst_updatelock.moc"
