// One update at a time on this computer (see UpdateLock.h).
#include "UpdateLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

QString UpdateLock::defaultPath()
{
    const QString name = QStringLiteral("ovk-sensor-update.lock");
#ifndef Q_OS_WIN
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(name);
#endif
    return QDir::temp().filePath(name);
}

UpdateLock::UpdateLock(const QString &path)
    : path(path)
{}

UpdateLock::~UpdateLock()
{
    unlock();
}

#ifdef Q_OS_WIN
// The file is opened without sharing: nobody else can open it while a handle is left, the
// flashing tool's inherited one included.
bool UpdateLock::tryLock()
{
    if (handle)
        return true;
    const QString native = QDir::toNativeSeparators(path);
    HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(native.utf16()), GENERIC_WRITE, 0,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    handle = file;
    return true;
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
// flock() belongs to the open file, which a child shares through an inherited descriptor.
bool UpdateLock::tryLock()
{
    if (descriptor >= 0)
        return true;
    const int file = open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (file < 0)
        return false;
    if (flock(file, LOCK_EX | LOCK_NB) != 0) {
        close(file);
        return false;
    }
    descriptor = file;
    return true;
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
