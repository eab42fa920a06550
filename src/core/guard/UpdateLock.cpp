// What keeps two runs off one sensor (see UpdateLock.h): the files' names, and which folder.
// Opening and locking a file is UpdateLock_unix.cpp's and UpdateLock_win.cpp's.
#include "UpdateLock.h"

#include "UserFolders.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

QString UpdateLock::machineFolder()
{
#ifdef Q_OS_WIN
    QString shared = qEnvironmentVariable("ProgramData");
    if (shared.isEmpty())
        shared = qEnvironmentVariable("ALLUSERSPROFILE");
    return QDir(QDir::fromNativeSeparators(shared)).filePath(UserFolders::programFolderName());
#else
    // Where locks on devices that several programs share belong; the Debian package makes the
    // computer's file at boot, for group plugdev.
    return QStringLiteral("/run/lock");
#endif
}

QString UpdateLock::userFolder()
{
#ifndef Q_OS_WIN
    // Under sudo -E the runtime folder is the user's: root makes nothing there.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    struct stat info = {};
    if (!runtime.isEmpty() && stat(QFile::encodeName(runtime).constData(), &info) == 0 &&
        S_ISDIR(info.st_mode) && info.st_uid == geteuid())
        return runtime;
#endif
    return QDir::tempPath();
}

QString UpdateLock::fileIn(const QString &folder, const QString &place)
{
#ifdef Q_OS_WIN
    const QString base = QStringLiteral("update");
#else
    const QString base = QStringLiteral("ovk-sensor-update");
#endif
    const QString name = place.isEmpty() ? base : base + QLatin1Char('.') + place;
    return QDir(folder).filePath(name + QStringLiteral(".lock"));
}

UpdateLock::UpdateLock(const QString &machineFolder, const QString &userFolder)
    : machineDir(machineFolder)
    , userDir(userFolder)
{}

UpdateLock::~UpdateLock()
{
    unlock();
}

UpdateLock::Result UpdateLock::tryLock(const QString &place)
{
    if (isLocked())
        return Result::Taken;
    problemText.clear();
    userOnlyReason.clear();
    Result result = lockIn(machineDir, place);
    if (result == Result::Unusable && usedPath.isEmpty() && userDir != machineDir) {
        // The computer's file can be neither opened nor made (some systems let only root write
        // /run/lock, and the package is not installed): this user's programs at least still
        // meet each other, and the user is told that nobody else's do.
        const QString reason = problemText;
        if (!saidUserOnly)
            qDebug().noquote() << "Update lock" << reason << "- using" << fileIn(userDir, place)
                               << "instead, which covers this user only";
        saidUserOnly = true;
        problemText.clear();
        result = lockIn(userDir, place);
        if (result == Result::Taken)
            userOnlyReason = reason;
    }
    return result;
}

// usedPath stays empty where the computer's file could neither be opened nor made: the caller
// may then try another folder. A sensor's file that cannot be made or trusted never sends the
// run there: the computer's file, taken alone, keeps every other run out.
UpdateLock::Result UpdateLock::lockIn(const QString &folder, const QString &place)
{
    usedPath.clear();
    if (!checkFolder(folder)) {
        usedPath = folder;
        return Result::Unusable;
    }
    wholeComputer = place.isEmpty();
    const QString computers = fileIn(folder);
    const Open shared = openFile(computers, wholeComputer ? Share::Alone : Share::WithOthers);
    if (shared != Open::Done) {
        closeAll();
        if (shared == Open::CannotCreate)
            return Result::Unusable;
        usedPath = computers;
        return shared == Open::Busy ? Result::HeldElsewhere : Result::Unusable;
    }
    if (wholeComputer) {
        usedPath = computers;
        return Result::Taken;
    }
    const QString sensors = fileIn(folder, place);
    const Open own = openFile(sensors, Share::Alone);
    if (own == Open::Done) {
        usedPath = sensors;
        return Result::Taken;
    }
    closeAll();
    if (own == Open::Busy) {
        usedPath = sensors;
        return Result::HeldElsewhere;
    }
    qDebug().noquote() << "Update lock" << problemText << "- taking the computer's alone instead";
    problemText.clear();
    return lockIn(folder, QString());
}

void UpdateLock::unlock()
{
    closeAll();
}
