// Opening and locking the update lock's files on Linux (see UpdateLock.h). flock() belongs to
// the open file, which a child shares through an inherited descriptor, and works on a file
// opened for reading only: a lock file that only its owner may write is still everyone's lock.
// Who holds one, the kernel tells in /proc/locks.
#include "UpdateLock.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
QString describeFailure(const QString &file, int error)
{
    if (error == ELOOP) // O_NOFOLLOW's answer
        return file + QStringLiteral(": a symbolic link, which is not followed");
    return file + QStringLiteral(": ") + qt_error_string(error);
}

// Never through a link that someone put in its place, never waiting on a pipe, and never
// creating over a file that someone else made.
constexpr int openFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

struct Opened
{
    int descriptor = -1;
    int error = 0;
    bool cannotCreate = false; // missing, and none may be made here
};

// The file opened, made where missing (mode 0664 whatever the umask: every user must be able to
// read it). Whether one may be made is the creation's own answer, never a second look: another
// user could make and remove the file in between.
Opened openOrMake(const QByteArray &name)
{
    Opened file;
    for (int attempt = 0; attempt < 2; ++attempt) {
        file.descriptor = open(name.constData(), O_RDWR | openFlags);
        if (file.descriptor < 0 && errno == EACCES)
            file.descriptor = open(name.constData(), O_RDONLY | openFlags);
        if (file.descriptor >= 0 || errno != ENOENT) {
            file.error = errno;
            return file;
        }
        file.descriptor = open(name.constData(), O_RDWR | O_CREAT | O_EXCL | openFlags, 0664);
        if (file.descriptor >= 0) {
            fchmod(file.descriptor, 0664);
            return file;
        }
        file.error = errno;
        if (file.error != EEXIST) {
            file.cannotCreate = true;
            return file;
        }
        // Made by another program just now: open that one.
    }
    return file;
}

// The program that process pid runs, as it was started (/proc/<pid>/comm is cut at 15
// characters); empty once it has ended.
QString programOf(qint64 pid)
{
    QFile commandLine(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!commandLine.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray first = commandLine.read(4096).split('\0').value(0);
    return QFileInfo(QFile::decodeName(first)).fileName();
}

QString ownerName(uid_t owner)
{
    const passwd *entry = getpwuid(owner);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(owner);
}
} // namespace

// In a folder others may write, only the sticky bit keeps them from removing a lock file that is
// held, and a second program from then locking a new one.
bool UpdateLock::checkFolder(const QString &folder)
{
    struct stat info = {};
    if (stat(QFile::encodeName(folder).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return true; // missing: nothing is made there, and the fallback decides
    if ((info.st_mode & (S_IWGRP | S_IWOTH)) && !(info.st_mode & S_ISVTX)) {
        problemText = folder + QStringLiteral(": others may write it, and it lacks the sticky bit");
        return false;
    }
    return true;
}

UpdateLock::Open UpdateLock::openFile(const QString &file, Share share)
{
    const Opened found = openOrMake(QFile::encodeName(file));
    if (found.descriptor < 0) {
        problemText = found.error == EEXIST
                          ? file + QStringLiteral(": made and removed again by someone else")
                          : describeFailure(file, found.error);
        return found.cannotCreate ? Open::CannotCreate : Open::Failed;
    }
    const int opened = found.descriptor;
    struct stat info = {};
    if (fstat(opened, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(opened);
        problemText = file + QStringLiteral(": not a regular file");
        return Open::Failed;
    }
    // Whoever owns a lock file may remove it while another program holds it, and a third one
    // would then lock a new file of that name: only root's and this user's are locks.
    if (info.st_uid != 0 && info.st_uid != geteuid()) {
        close(opened);
        problemText = file + QStringLiteral(": belongs to user %1, who could remove it while it "
                                            "is held")
                                 .arg(ownerName(info.st_uid));
        return Open::Untrusted;
    }
    if (flock(opened, (share == Share::Alone ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const int error = errno;
        close(opened);
        if (error == EWOULDBLOCK)
            return Open::Busy;
        problemText = describeFailure(file, error);
        return Open::Failed;
    }
    descriptors.append(opened);
    return Open::Done;
}

void UpdateLock::closeAll()
{
    // Gives the lock back unless the flashing tool still shares it.
    for (const int descriptor : qAsConst(descriptors))
        close(descriptor);
    descriptors.clear();
}

bool UpdateLock::isLocked() const
{
    return !descriptors.isEmpty();
}

void UpdateLock::setInheritable(bool inheritable)
{
    for (const int descriptor : descriptors)
        fcntl(descriptor, F_SETFD, inheritable ? 0 : FD_CLOEXEC);
}

bool UpdateLock::lockersOf(quint64 device, quint64 inode, QList<qint64> *pids)
{
    // "1: FLOCK  ADVISORY  WRITE 4242 fe:00:10952994 0 EOF"; "1: -> FLOCK ..." waits for it.
    const QByteArray where = QByteArray::number(major(device), 16).rightJustified(2, '0') + ':' +
                             QByteArray::number(minor(device), 16).rightJustified(2, '0') + ':' +
                             QByteArray::number(inode);
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : locks.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 6 && fields[1] == "FLOCK" && fields[5] == where)
            pids->append(fields[4].toLongLong());
    }
    return true;
}

QList<UpdateLock::Holder> UpdateLock::holdersOf(const QString &file)
{
    struct stat info = {};
    QList<qint64> pids;
    if (lstat(QFile::encodeName(file).constData(), &info) != 0 || !S_ISREG(info.st_mode) ||
        !lockersOf(info.st_dev, info.st_ino, &pids))
        return {};
    QList<Holder> holders;
    for (const qint64 pid : qAsConst(pids)) {
        // 0 or -1 where the holder is not in this program's pid namespace.
        if (pid > 0)
            holders.append({pid, programOf(pid)});
    }
    return holders;
}
