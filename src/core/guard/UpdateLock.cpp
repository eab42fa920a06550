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
    Result result = lockIn(machineDir, place);
    if (result == Result::Unusable && usedPath.isEmpty() && userDir != machineDir) {
        // Some systems let only root write /run/lock; without the packaged file there, this
        // user's programs at least still meet each other.
        if (!saidUserOnly)
            qDebug().noquote() << "Update lock" << problemText << "- using"
                               << fileIn(userDir, place) << "instead, which covers this user only";
        saidUserOnly = true;
        problemText.clear();
        result = lockIn(userDir, place);
    }
    return result;
}

// usedPath stays empty where a file could neither be opened nor made: the caller may then try
// another folder.
UpdateLock::Result UpdateLock::lockIn(const QString &folder, const QString &place)
{
    usedPath.clear();
    if (!checkFolder(folder)) {
        usedPath = folder;
        return Result::Unusable;
    }
    wholeComputer = place.isEmpty();
    const QStringList files = wholeComputer ? QStringList{fileIn(folder)}
                                            : QStringList{fileIn(folder), fileIn(folder, place)};
    for (const QString &file : files) {
        // The computer's is shared by every run with a place of its own.
        const Share share = file == files.last() ? Share::Alone : Share::WithOthers;
        const Open opened = openFile(file, share);
        if (opened == Open::Done)
            continue;
        closeAll();
        // A sensor's file that another user made is no lock against them: the computer's, alone,
        // is.
        if (opened == Open::Untrusted && file != files.first()) {
            qDebug().noquote() << "Update lock" << problemText
                               << "- taking the computer's alone instead";
            problemText.clear();
            return lockIn(folder, QString());
        }
        if (opened == Open::CannotCreate)
            return Result::Unusable;
        usedPath = file;
        return opened == Open::Busy ? Result::HeldElsewhere : Result::Unusable;
    }
    usedPath = files.last();
    return Result::Taken;
}

void UpdateLock::unlock()
{
    closeAll();
}
