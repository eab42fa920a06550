// The locks that keep runs apart on one computer: the files every user shares, opened safely,
// a user's own where those cannot be made, one per sensor beside the computer's, never split
// between users, and the holders named as the system tells them.
#include "LockHolder.h"
#include "LogCapture.h"
#include "PrivateFiles.h"
#include "UpdateLock.h"
#include "UserIdentity.h"

#include <QScopeGuard>
#include <QtTest>
#include <cstdio>
#include <memory>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include "OwnLockFolder.h"
#include "Privileges.h"
#include <sys/mount.h>
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
    void placesAreApart_data();
    void placesAreApart();
    void lockOfAnotherUser_data();
    void lockOfAnotherUser();
    void oneHolderAmongUsers_data();
    void oneHolderAmongUsers();
    void holderIsNamed();
    void recordIsToldAsItIs_data();
    void recordIsToldAsItIs();
    void recordNeverWrittenThroughALink();
    void lockFolderThroughALink_data();
    void lockFolderThroughALink();

private:
    QString lockFolder() const { return work->filePath("lock"); }
    std::unique_ptr<QTemporaryDir> work;
    std::unique_ptr<LogCapture> log;
};

void TestUpdateLock::init()
{
    work = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(lockFolder()));
    log = std::make_unique<LogCapture>();
}

void TestUpdateLock::cleanup()
{
    log.reset();
    work.reset();
}

void TestUpdateLock::lockFile_data()
{
    // What is at the computer's lock file before the press; the user's own folder is beside it.
    QTest::addColumn<QString>("setup");
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("usersOwn"); // the lock taken is in the user's own folder
    QTest::addColumn<QString>("problem");

    const int taken = int(UpdateLock::Result::Taken);
    QTest::newRow("no file yet") << "none" << taken << false << "";
#ifdef Q_OS_WIN
    // The installer makes the folder; a program installed otherwise makes it itself.
    QTest::newRow("no folder yet") << "no folder" << taken << false << "";
    QTest::newRow("the computer's own") << "default" << taken << false << "";
#else
    const int unusable = int(UpdateLock::Result::Unusable);
    // Another user could remove it while it is held, and a third program then lock a new one.
    QTest::newRow("another user's") << "foreign 0644" << unusable << false
                                    << "%1: belongs to user nobody, who could remove it while "
                                       "it is held";
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
    QString folder = setup == "no folder" ? work->filePath("missing/lock") : lockFolder();
    if (setup == "default")
        folder = UpdateLock::machineFolder();
    const QString path = UpdateLock::fileIn(folder);
    const QString own = work->filePath("own");
    QVERIFY(QDir().mkpath(own));
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
    UpdateLock lock(folder, own);
    QCOMPARE(int(lock.tryLock()), result);
    QCOMPARE(lock.isLocked(), result == int(UpdateLock::Result::Taken));
    QCOMPARE(lock.problem(), problem.isEmpty() ? QString() : problem.arg(path));
    if (result == int(UpdateLock::Result::Taken))
        QCOMPARE(lock.path(), UpdateLock::fileIn(usersOwn ? own : folder));
    // Why, for the user to be told.
    QCOMPARE(lock.thisUserOnly().startsWith(path + ": "), usersOwn);
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

void TestUpdateLock::placesAreApart_data()
{
    // The USB place each of two runs locks; empty: the whole computer.
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("bothTaken");

    QTest::newRow("one sensor") << "1-4"
                                << "1-4" << false;
    QTest::newRow("two sensors") << "1-4"
                                 << "1-4.2" << true;
    QTest::newRow("whole computer, then a sensor") << ""
                                                   << "1-4" << false;
    QTest::newRow("a sensor, then the whole computer") << "1-4"
                                                       << "" << false;
    QTest::newRow("whole computer twice") << ""
                                          << "" << false;
}

void TestUpdateLock::placesAreApart()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, bothTaken);
    UpdateLock one(lockFolder());
    UpdateLock other(lockFolder());
    QCOMPARE(one.tryLock(first), UpdateLock::Result::Taken);
    QCOMPARE(one.path(), UpdateLock::fileIn(lockFolder(), first));
    QCOMPARE(other.tryLock(second),
             bothTaken ? UpdateLock::Result::Taken : UpdateLock::Result::HeldElsewhere);
    QVERIFY(other.problem().isEmpty());
    QCOMPARE(other.isLocked(), bothTaken);
    // Given back whole: the computer's share goes with the sensor's.
    one.unlock();
    other.unlock();
    QCOMPARE(other.tryLock(second), UpdateLock::Result::Taken);
    QCOMPARE(one.tryLock(first),
             bothTaken ? UpdateLock::Result::Taken : UpdateLock::Result::HeldElsewhere);
}

void TestUpdateLock::lockOfAnotherUser_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("taken");      // by the first run on the sensor
    QTest::addColumn<QString>("problem"); // of the first run, %1 the folder

#ifdef Q_OS_WIN
    QSKIP("another user's files need Linux here");
#else
    // Its maker removes it while the first run holds it: the second run must still be refused.
    QTest::newRow("a sensor's file that another user made") << "sensor's" << true << "";
    QTest::newRow("the computer's file of another user")
        << "computer's" << false
        << "%1/ovk-sensor-update.lock: belongs to user nobody, who could remove it while it is "
           "held";
    QTest::newRow("a folder others may write, without the sticky bit")
        << "folder" << false << "%1: others may write it, and it lacks the sticky bit";
#endif
}

void TestUpdateLock::lockOfAnotherUser()
{
#ifndef Q_OS_WIN
    QFETCH(QString, setup);
    QFETCH(bool, taken);
    QFETCH(QString, problem);
    const QString sensorsFile = UpdateLock::fileIn(lockFolder(), "1-4");
    const QString computersFile = UpdateLock::fileIn(lockFolder());
    const QString made = setup == "sensor's" ? sensorsFile : computersFile;
    if (setup == "folder") {
        QVERIFY(chmod(QFile::encodeName(lockFolder()).constData(), 0777) == 0);
    } else {
        QVERIFY(QFile(made).open(QIODevice::WriteOnly));
        QVERIFY(chmod(QFile::encodeName(made).constData(), 0664) == 0);
        if (chown(QFile::encodeName(made).constData(), 65534, 65534) != 0)
            QSKIP("making a file of another user needs root");
    }
    UpdateLock first(lockFolder());
    UpdateLock second(lockFolder());
    QCOMPARE(first.tryLock("1-4") == UpdateLock::Result::Taken, taken);
    QCOMPARE(first.problem(), problem.arg(lockFolder()));
    if (!taken)
        return;
    // Its own file stood for nothing: it holds the computer's alone.
    QVERIFY(first.isWholeComputer());
    QCOMPARE(first.path(), computersFile);
    QVERIFY(QFile::remove(sensorsFile));
    QCOMPARE(second.tryLock("1-4"), UpdateLock::Result::HeldElsewhere);
    QCOMPARE(second.tryLock("1-5"), UpdateLock::Result::HeldElsewhere);
#endif
}

void TestUpdateLock::oneHolderAmongUsers_data()
{
    // A lock folder below the namespace's own /run/lock, as another user or the system left it,
    // the computer's file made there by the package.
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("recordTold"); // the holder's own, else the system's word on it

    // Some systems let only root make files in /run/lock.
    QTest::newRow("a folder only root may write") << "root-only" << false;
    // Another user filled the 5 MiB tmpfs, or its inodes.
    QTest::newRow("a full folder") << "full" << false;
    // Another user made a file under the first holder's record name first.
    QTest::newRow("a record name taken by another user") << "shared" << true;
}

void TestUpdateLock::oneHolderAmongUsers()
{
#ifdef Q_OS_WIN
    QSKIP("other users need Linux here");
#else
    QFETCH(QString, folder);
    QFETCH(bool, recordTold);
    if (!hasLockFolderOfItsOwn())
        QSKIP("needs a /run/lock of its own: root with namespaces (tests/e2e/isolated.sh)");
    const QString lockIn = "/run/lock/" + folder;
    const QByteArray lockName = QFile::encodeName(lockIn);
    QVERIFY(QDir().mkpath(lockIn) && QDir().mkpath("/run/lock/users"));
    const auto removeAll = qScopeGuard([&] {
        umount2(lockName.constData(), MNT_DETACH);
        QDir(lockIn).removeRecursively();
        QDir("/run/lock/users").removeRecursively();
    });
    if (folder == "full")
        QVERIFY(mount("ovk-test-full", lockName.constData(), "tmpfs", 0,
                      "size=16k,nr_inodes=4,mode=1777") == 0);
    QVERIFY(chmod(lockName.constData(), folder == "root-only" ? 0755 : 01777) == 0);
    QCOMPARE(UpdateLock(lockIn).tryLock(), UpdateLock::Result::Taken); // the package's file
    const QString sensor = "1-4.2";
    for (int i = 0;
         folder == "full" && QFile(lockIn + QString("/%1").arg(i)).open(QFile::WriteOnly); ++i)
        QVERIFY(i < 4);
    const QByteArray taken =
        QFile::encodeName(UpdateLock::fileIn(lockIn, sensor) + ".holder-65534");
    if (folder == "shared")
        QVERIFY(QFile(taken).open(QFile::WriteOnly) && chown(taken.constData(), 4242, 4242) == 0);

    // Another user first, who cannot make the sensor's file where only root may, then a third
    // user, then root (setpriv as root changes nothing): each with a folder of their own for the
    // last resort.
    std::vector<std::unique_ptr<QProcess>> holders;
    QStringList results;
    for (const uid_t user : {65534u, 4242u, 0u}) {
        const QString own = QString("/run/lock/users/%1").arg(user);
        QVERIFY(QDir().mkpath(own) && chown(QFile::encodeName(own).constData(), user, user) == 0);
        holders.push_back(std::make_unique<QProcess>());
        QProcess &holder = *holders.back();
        holder.start("setpriv", {QString("--reuid=%1").arg(user), QString("--regid=%1").arg(user),
                                 "--clear-groups", QCoreApplication::applicationFilePath(),
                                 "--hold", lockIn, own, sensor});
        QTRY_VERIFY_WITH_TIMEOUT(holder.canReadLine() || holder.state() == QProcess::NotRunning,
                                 10000);
        results << QString::fromUtf8(holder.readLine()).trimmed();
    }
    // One holder (Taken, 0): the first, alone on the computer where its sensor's file could not
    // be made; the other two refused (HeldElsewhere, 1).
    const QString whole = UpdateLock::fileIn(lockIn);
    const QString first = folder == "shared" ? UpdateLock::fileIn(lockIn, sensor) : whole;
    QCOMPARE(results, (QStringList{"0 " + first, "1 " + whole, "1 " + whole}));
    // Root's refusal names the holder, with its record's time where it could write one.
    const QString told = LockHolder::current(whole).describe();
    QCOMPARE(told.section(" since ", 0, 0),
             QString("tst_updatelock (process %1, user nobody)").arg(holders[0]->processId()));
    QCOMPARE(told.contains(" since "), recordTold);
    for (auto &holder : holders) {
        holder->closeWriteChannel();
        QVERIFY(holder->waitForFinished(10000));
    }
#endif
}

void TestUpdateLock::holderIsNamed()
{
    const QString path = UpdateLock::fileIn(lockFolder(), "1-4");
    QVERIFY(!LockHolder::current(path).isKnown());
    UpdateLock lock(lockFolder());
    QCOMPARE(lock.tryLock("1-4"), UpdateLock::Result::Taken);
    // Where the system names nobody (Wine's Restart Manager), nothing is told.
    const bool systemTells = !UpdateLock::holdersOf(path).isEmpty();
#ifndef Q_OS_WIN
    QVERIFY(systemTells);
#endif
    const QString user = UserIdentity::nameOf(UserIdentity::currentKey());
    const QString self = systemTells ? QString("tst_updatelock (process %1, user %2)")
                                           .arg(QCoreApplication::applicationPid())
                                           .arg(user)
                                     : QString();

    // A program that crashed left its record: nobody runs by that pid, and the system names
    // this one.
    LockHolder crashed = LockHolder::ofThisProgram();
    QProcess ended;
    ended.start(QCoreApplication::applicationFilePath(), {"-functions"});
    QVERIFY(ended.waitForStarted());
    crashed.pid = ended.processId();
    QVERIFY(ended.waitForFinished());
    QString error;
    {
        HolderRecord record(path);
        QVERIFY2(record.write(crashed, &error), qPrintable(error));
        QCOMPARE(LockHolder::current(path).describe(), self);
    }

    LockHolder holder = LockHolder::ofThisProgram();
    holder.port = "ttyACM0";
    holder.supervisorPid = QCoreApplication::applicationPid();
    holder.deadline = holder.since.addSecs(600);
    HolderRecord record(path);
    QVERIFY2(record.write(holder, &error), qPrintable(error));
    const QString expected =
        QString("tst_updatelock (process %1, user %2) since %3, flashing ttyACM0 until %4 at the "
                "latest")
            .arg(holder.pid)
            .arg(user, holder.since.toString("yyyy-MM-dd HH:mm:ss"),
                 holder.deadline.toString("HH:mm:ss"));
    QCOMPARE(LockHolder::current(path).describe(), systemTells ? expected : QString());
    // The computer's lock is refused by whoever holds any lock in its folder.
    QCOMPARE(LockHolder::current(UpdateLock::fileIn(lockFolder())).describe(),
             systemTells ? expected : QString());
    QVERIFY(!LockHolder::current(UpdateLock::fileIn(lockFolder(), "1-5")).isKnown());
    record.remove();
    QCOMPARE(LockHolder::current(path).describe(), self);
    lock.unlock();
    QVERIFY(!LockHolder::current(path).isKnown());
}

void TestUpdateLock::recordIsToldAsItIs_data()
{
#ifdef Q_OS_WIN
    QSKIP("another user's files need Linux here");
#endif
    // The lock is this test's: the system names this process.
    QTest::addColumn<int>("owner");        // of the record file; -1: this test's user
    QTest::addColumn<int>("namedAfter");   // the user in the record's name; -1: this test's
    QTest::addColumn<QString>("pid");      // THIS: this test's process; NOBODY: one of nobody's
    QTest::addColumn<QByteArray>("extra"); // beside program, pid and since (a later line wins)
    QTest::addColumn<QString>("told");     // %1 this process, %2 this test's user

    const QString bySystem = "tst_updatelock (process %1, user %2)";
    // The user is the file's owner, whatever the record says.
    QTest::newRow("a false user")
        << -1 << -1 << "THIS" << QByteArray("user=root\n")
        << "tst_updatelock (process %1, user %2) since 2026-12-08 12:03:04";
    // A program's name that would read as another process and user is no name.
    QTest::newRow("a name that tells more")
        << -1 << -1 << "THIS" << QByteArray("program=x (process 1, user root)\n")
        << "? (process %1, user %2) since 2026-12-08 12:03:04";
    // Named after this user, written by another: not this user's record.
    QTest::newRow("another user's file under this user's name")
        << 65534 << -1 << "THIS" << QByteArray() << bySystem;
    // A process that runs as someone else is not the holder's.
    QTest::newRow("another user's process") << 65534 << -1 << "1" << QByteArray() << bySystem;
    QTest::newRow("no such process") << -1 << -1 << "0" << QByteArray() << bySystem;
    // Another user's record of their own process, dated later: not the holder's either.
    QTest::newRow("another user's record, dated later")
        << 65534 << 65534 << "NOBODY" << QByteArray("since=2099-01-01T00:00:00\n") << bySystem;
}

void TestUpdateLock::recordIsToldAsItIs()
{
    QFETCH(int, owner);
    QFETCH(int, namedAfter);
    QFETCH(QString, pid);
    QFETCH(QByteArray, extra);
    QFETCH(QString, told);
#ifdef Q_OS_WIN
    Q_UNUSED(owner) // the rows are Linux's
    Q_UNUSED(namedAfter)
#else
    const QString path = UpdateLock::fileIn(lockFolder(), "1-4");
    UpdateLock lock(lockFolder());
    QCOMPARE(lock.tryLock("1-4"), UpdateLock::Result::Taken);
    const QString record =
        path + ".holder-" +
        (namedAfter < 0 ? UserIdentity::currentKey() : QString::number(namedAfter));
    const QString self = QString::number(QCoreApplication::applicationPid());
    QProcess nobodys;
    if (pid == "NOBODY") {
        nobodys.start("setpriv",
                      {"--reuid=65534", "--regid=65534", "--clear-groups", "sleep", "60"});
        QVERIFY(nobodys.waitForStarted());
        pid = QString::number(nobodys.processId());
        QTRY_VERIFY(UserIdentity::processRunsAs(nobodys.processId(), "65534"));
    }
    const auto stop = qScopeGuard([&] {
        nobodys.kill();
        nobodys.waitForFinished();
    });
    QFile file(record);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("program=tst_updatelock\npid=" + QString(pid).replace("THIS", self).toUtf8() +
               "\nsince=2026-12-08T12:03:04\n" + extra);
    file.close();
    if (owner >= 0 && chown(QFile::encodeName(record).constData(), uid_t(owner), gid_t(owner)) != 0)
        QSKIP("making a file of another user needs root");
    QCOMPARE(LockHolder::current(path).describe(),
             told.arg(self, UserIdentity::nameOf(UserIdentity::currentKey())));
#endif
}

void TestUpdateLock::recordNeverWrittenThroughALink()
{
#ifdef Q_OS_WIN
    QSKIP("another user's links need Linux here");
#else
    // Another user plants a link where this user's record goes, to a file of this user's.
    const QString path = UpdateLock::fileIn(lockFolder(), "1-4");
    const QString record = path + ".holder-" + UserIdentity::currentKey();
    const QString target = work->filePath("precious");
    QVERIFY(QFile(target).open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(target, record));
    if (lchown(QFile::encodeName(record).constData(), 65534, 65534) != 0)
        QSKIP("planting another user's link needs root");
    HolderRecord holder(path);
    QString error;
    QVERIFY2(holder.write(LockHolder::ofThisProgram(), &error), qPrintable(error));
    QCOMPARE(QFileInfo(target).size(), 0);
    QVERIFY(!QFileInfo(record).isSymLink());
    struct stat info = {};
    QVERIFY(stat(QFile::encodeName(record).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 0777, 0644u);
    // Put back after the record was written: removing it at the end leaves the link alone.
    QVERIFY(QFile::remove(record));
    QVERIFY(QFile::link(target, record));
    holder.remove();
    QVERIFY(QFileInfo(record).isSymLink());
    QVERIFY(QFileInfo::exists(target));
#endif
}

#ifdef Q_OS_WIN
namespace {
bool isLink(const QString &path)
{
    const DWORD attributes = GetFileAttributesW(
        reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Runs program to its end in folder, with no pipes: Qt's would wait on a host program's under
// Wine for ever.
void run(const QString &program, const QString &arguments, const QString &folder)
{
    std::wstring commandLine = QString("\"%1\" %2").arg(program, arguments).toStdWString();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(program.toStdWString().c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, folder.toStdWString().c_str(), &startup,
                        &started))
        return;
    WaitForSingleObject(started.hProcess, 30000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
}

// A junction, as any user may make one. Wine makes none, but shows a symbolic link of its
// host's file system as one, which the host's ln makes (Wine runs the host's programs too).
bool makeLink(const QString &link, const QString &target)
{
    const QString folder = QDir::toNativeSeparators(QFileInfo(link).absolutePath());
    const QString name = QFileInfo(link).fileName();
    const QString targetName = QFileInfo(target).fileName();
    run(qEnvironmentVariable("SystemRoot") + "\\system32\\cmd.exe",
        QString("/c mklink /J %1 %2").arg(name, targetName), folder);
    if (!isLink(link) && underWine()) {
        // Wine tells the end of a host's program before it has ended: its link is waited for.
        run("Z:\\bin\\ln", QString("-s %1 %2").arg(targetName, name), folder);
        return QTest::qWaitFor([&link] { return isLink(link); }, 10000);
    }
    return isLink(link);
}

// A junction goes as a folder does; Wine's link of the host's file system, by the host's rm.
void removeLink(const QString &link)
{
    if (RemoveDirectoryW(QDir::toNativeSeparators(link).toStdWString().c_str()) || !underWine())
        return;
    run("Z:\\bin\\rm", QFileInfo(link).fileName(), QFileInfo(link).absolutePath());
    (void)QTest::qWaitFor([&link] { return !isLink(link); }, 10000);
}
} // namespace
#endif

void TestUpdateLock::lockFolderThroughALink_data()
{
    // Another user replaced the lock folder, or a folder above it, with a junction to a folder
    // of their choosing, where an elevated program would make its files.
    QTest::addColumn<QString>("link"); // below the work folder, to "target"
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("problem");

    QTest::newRow("the lock folder") << "lock"
                                     << "lock"
                                     << "%1: a junction or link, which is not followed";
    QTest::newRow("a folder above it")
        << "above"
        << "above/lock"
        << "%1: its path goes through a junction or link, which is not followed";
}

void TestUpdateLock::lockFolderThroughALink()
{
#ifndef Q_OS_WIN
    QSKIP("Windows' junctions; on Linux the lock folder is /run/lock, root's");
#else
    QFETCH(QString, link);
    QFETCH(QString, folder);
    QFETCH(QString, problem);
    const QString target = work->filePath("target");
    QVERIFY(QDir(lockFolder()).removeRecursively());
    QVERIFY(QDir().mkpath(target + "/lock"));
    if (!makeLink(work->filePath(link), target))
        QSKIP("no junction or link can be made here");
    const auto unlink = qScopeGuard([&] { removeLink(work->filePath(link)); });
    const QString lockIn = work->filePath(folder);
    UpdateLock lock(lockIn, work->filePath("own"));
    QCOMPARE(lock.tryLock("1-4"), UpdateLock::Result::Unusable);
    QCOMPARE(lock.problem(), problem.arg(lockIn));
    QCOMPARE(lock.path(), lockIn);
    QVERIFY(!lock.isLocked());
    // Nothing made where the link leads, nor in the user's own folder.
    QCOMPARE(QDir(target).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"lock"});
    QVERIFY(QDir(target + "/lock").isEmpty());
    QVERIFY(!QFileInfo::exists(work->filePath("own")));
    // Nor is such a folder a place of this user's own for a downloaded package, where the folder
    // it leads to is.
    QVERIFY(!PrivateFiles::isOwnPlace(lockIn));
    QVERIFY(PrivateFiles::isOwnPlace(target));
#endif
}

namespace {
// Another program, often of another user: takes the lock of place in folder (own: the user's
// folder for the last resort), writes its record, says "<result> <path>" and holds the lock
// until its standard input ends.
int holdLock(const QString &folder, const QString &own, const QString &place)
{
    UpdateLock lock(folder, own);
    const UpdateLock::Result result = lock.tryLock(place);
    HolderRecord record(lock.path());
    QString error;
    if (result == UpdateLock::Result::Taken && !record.write(LockHolder::ofThisProgram(), &error))
        std::fprintf(stderr, "%s\n", qPrintable(error));
    std::printf("%d %s\n", int(result), qPrintable(lock.path()));
    std::fflush(stdout);
    char rest[256];
    while (std::fread(rest, 1, sizeof rest, stdin) > 0) {
    }
    return 0;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--hold") == 0)
        return holdLock(argv[2], argv[3], argv[4]);
    TestUpdateLock test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updatelock.moc"
