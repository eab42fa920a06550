// One update at a time on this computer (see UpdateLock.h).
#include "UpdateLock.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
QString describeFailure(const QString &file, int error)
{
#ifndef Q_OS_WIN
    if (error == ELOOP) // O_NOFOLLOW's answer
        return file + QStringLiteral(": a symbolic link, which is not followed");
#endif
    return file + QStringLiteral(": ") + qt_error_string(error);
}
} // namespace

QString UpdateLock::machineWidePath()
{
#ifdef Q_OS_WIN
    QString shared = qEnvironmentVariable("ProgramData");
    if (shared.isEmpty())
        shared = qEnvironmentVariable("ALLUSERSPROFILE");
    return QDir(QDir::fromNativeSeparators(shared))
        .filePath(QStringLiteral("OVK Sensor Updater/update.lock"));
#else
    // Where locks on devices that several programs share belong; the Debian package makes the
    // file at boot, for group plugdev.
    return QStringLiteral("/run/lock/ovk-sensor-update.lock");
#endif
}

QString UpdateLock::userPath()
{
    const QString name = QStringLiteral("ovk-sensor-update.lock");
#ifndef Q_OS_WIN
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
#endif
    return QDir::temp().filePath(name);
}

UpdateLock::UpdateLock(const QString &machineFile, const QString &userFile)
    : machinePath(machineFile)
    , fallbackPath(userFile)
{}

UpdateLock::~UpdateLock()
{
    unlock();
}

UpdateLock::Result UpdateLock::tryLock()
{
    if (isLocked())
        return Result::Taken;
    problemText.clear();
    usedPath = machinePath;
    Open opened = openFile(machinePath);
    if (opened == Open::CannotCreate && fallbackPath != machinePath) {
        // Some systems let only root write /run/lock; without the packaged file there, this
        // user's programs at least still meet each other.
        if (!saidUserOnly)
            qDebug().noquote() << "Update lock" << problemText << "- using" << fallbackPath
                               << "instead, which covers this user only";
        saidUserOnly = true;
        usedPath = fallbackPath;
        opened = openFile(fallbackPath);
    }
    if (opened == Open::Done || opened == Open::Busy)
        problemText.clear(); // the computer's, told once above, is not this lock's problem
    switch (opened) {
    case Open::Done:
        return Result::Taken;
    case Open::Busy:
        return Result::HeldElsewhere;
    default:
        return Result::Unusable;
    }
}

#ifdef Q_OS_WIN
// The file is opened without sharing: nobody else can open it while a handle is left, the
// flashing tool's inherited one included. Reading is enough for that.
UpdateLock::Open UpdateLock::openFile(const QString &file)
{
    const QString native = QDir::toNativeSeparators(file);
    const auto name = reinterpret_cast<const wchar_t *>(native.utf16());
    for (int attempt = 0; attempt < 2; ++attempt) {
        HANDLE opened = CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (opened != INVALID_HANDLE_VALUE) {
            handle = opened;
            return Open::Done;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            return Open::Busy;
        const bool exists = GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
        problemText = describeFailure(file, int(error));
        // The installer makes the folder; a program installed otherwise makes it itself.
        if (error == ERROR_PATH_NOT_FOUND && attempt == 0 &&
            QDir().mkpath(QFileInfo(file).absolutePath()))
            continue;
        return exists ? Open::Failed : Open::CannotCreate;
    }
    return Open::CannotCreate;
}

void UpdateLock::unlock()
{
    if (!handle)
        return;
    CloseHandle(handle);
    handle = nullptr;
}

bool UpdateLock::isLocked() const
{
    return handle != nullptr;
}

void UpdateLock::setInheritable(bool inheritable)
{
    if (handle)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, inheritable ? HANDLE_FLAG_INHERIT : 0);
}
#else
// flock() belongs to the open file, which a child shares through an inherited descriptor, and
// works on a file opened for reading only: a lock file that only its owner may write is still
// everyone's lock.
UpdateLock::Open UpdateLock::openFile(const QString &file)
{
    const QByteArray name = QFile::encodeName(file);
    // Never through a link that someone put in its place, never waiting on a pipe, and never
    // creating over a file that someone else made.
    constexpr int flags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int opened = -1;
    for (int attempt = 0; attempt < 2 && opened < 0; ++attempt) {
        opened = open(name.constData(), O_RDWR | flags);
        if (opened < 0 && errno == EACCES)
            opened = open(name.constData(), O_RDONLY | flags);
        if (opened >= 0 || errno != ENOENT)
            break;
        opened = open(name.constData(), O_RDWR | O_CREAT | O_EXCL | flags, 0664);
        if (opened >= 0) {
            fchmod(opened, 0664); // whatever the umask: every user must be able to read it
            break;
        }
        if (errno != EEXIST) {
            problemText = describeFailure(file, errno);
            return Open::CannotCreate;
        }
        // Made by another program just now: open that one.
    }
    if (opened < 0) {
        problemText = describeFailure(file, errno);
        return Open::Failed;
    }
    struct stat info = {};
    if (fstat(opened, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(opened);
        problemText = file + QStringLiteral(": not a regular file");
        return Open::Failed;
    }
    if (flock(opened, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        close(opened);
        if (error == EWOULDBLOCK)
            return Open::Busy;
        problemText = describeFailure(file, error);
        return Open::Failed;
    }
    descriptor = opened;
    return Open::Done;
}

void UpdateLock::unlock()
{
    if (descriptor < 0)
        return;
    close(descriptor); // gives the lock back unless the tool still shares it
    descriptor = -1;
}

bool UpdateLock::isLocked() const
{
    return descriptor >= 0;
}

void UpdateLock::setInheritable(bool inheritable)
{
    if (descriptor >= 0)
        fcntl(descriptor, F_SETFD, inheritable ? 0 : FD_CLOEXEC);
}
#endif
