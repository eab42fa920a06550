// The sensor's lock as a flashing tool inherited it (see InheritedLock.h).
#include "InheritedLock.h"

#include "UpdateLock.h"

#include <QCoreApplication>
#include <QFile>
#ifdef Q_OS_LINUX
#include <sys/stat.h>
#endif

InheritedLock::InheritedLock(const QString &path)
{
#ifdef Q_OS_LINUX
    struct stat info;
    if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &info) != 0)
        return;
    known = true;
    device = info.st_dev;
    inode = info.st_ino;
#else
    Q_UNUSED(path)
#endif
}

// The kernel names the process that took a lock, which stays this program's while any
// descriptor it handed on holds it; -1 for one outside its pid namespace, taken to be its own.
bool InheritedLock::isHeld() const
{
#ifdef Q_OS_LINUX
    QList<qint64> lockers;
    if (!known || !UpdateLock::lockersOf(device, inode, &lockers))
        return true;
    return lockers.contains(QCoreApplication::applicationPid()) || lockers.contains(-1);
#else
    return true;
#endif
}
