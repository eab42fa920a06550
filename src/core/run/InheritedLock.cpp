// The sensor's lock as a flashing tool inherited it (see InheritedLock.h).
#include "InheritedLock.h"

#include <QCoreApplication>
#include <QFile>
#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// The kernel's list of locks names each by its file (device and inode) and the process that took
// it, which stays this program's while any descriptor it handed on holds it. An open file
// description's lock (OFD) names no process: it is taken to be this program's.
bool InheritedLock::isHeld() const
{
#ifdef Q_OS_LINUX
    if (!known)
        return true;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return true;
    const QByteArray file = QStringLiteral("%1:%2:%3")
                                .arg(major(device), 2, 16, QLatin1Char('0'))
                                .arg(minor(device), 2, 16, QLatin1Char('0'))
                                .arg(inode)
                                .toLatin1();
    const QByteArray self = QByteArray::number(QCoreApplication::applicationPid());
    for (const QByteArray &line : locks.readAll().split('\n')) {
        // "1: FLOCK  ADVISORY  WRITE 4242 00:1a:5678 0 EOF"; a waiter's has "->" after the number.
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 6 || fields.at(1) == "->")
            continue;
        if (fields.at(5) == file && (fields.at(4) == self || fields.at(4) == "-1"))
            return true;
    }
    return false;
#else
    return true;
#endif
}
