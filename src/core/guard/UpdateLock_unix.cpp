// Opening and locking the update lock's files on Linux (see UpdateLock.h). flock() belongs to
// the open file, which a child shares through an inherited descriptor, and works on a file
// opened for reading only: a lock file that only its owner may write is still everyone's lock.
#include "UpdateLock.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
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

// The file opened, made where missing (mode 0664 whatever the umask: every user must be able to
// read it); -1 with errno where neither works.
int openOrMake(const QByteArray &name)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        int opened = open(name.constData(), O_RDWR | openFlags);
        if (opened < 0 && errno == EACCES)
            opened = open(name.constData(), O_RDONLY | openFlags);
        if (opened >= 0 || errno != ENOENT)
            return opened;
        opened = open(name.constData(), O_RDWR | O_CREAT | O_EXCL | openFlags, 0664);
        if (opened >= 0) {
            fchmod(opened, 0664);
            return opened;
        }
        if (errno != EEXIST)
            return -1;
        // Made by another program just now: open that one.
    }
    return -1;
}
} // namespace

bool UpdateLock::checkFolder(const QString &)
{
    // /run/lock is root's; the user's own folders are the user's.
    return true;
}

UpdateLock::Open UpdateLock::openFile(const QString &file, Share share)
{
    const int opened = openOrMake(QFile::encodeName(file));
    if (opened < 0) {
        const int error = errno;
        problemText = describeFailure(file, error);
        // Missing, and none may be made here (no such folder, or one we may not write).
        const bool missing = access(QFile::encodeName(file).constData(), F_OK) != 0;
        return missing && error != ELOOP ? Open::CannotCreate : Open::Failed;
    }
    struct stat info = {};
    if (fstat(opened, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(opened);
        problemText = file + QStringLiteral(": not a regular file");
        return Open::Failed;
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
