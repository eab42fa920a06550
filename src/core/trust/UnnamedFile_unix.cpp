// A file that no path leads to, on Linux (see UnnamedFile.h): a memory file (memfd).
#include "UnnamedFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

UnnamedFile::~UnnamedFile()
{
    if (handed >= 0)
        close(int(handed));
}

bool UnnamedFile::open(QString *error)
{
    int made = memfd_create("ovk-sensor-updater", MFD_CLOEXEC);
    // Above the standard channels, even in a program started without them: a child's own
    // channels are put there.
    if (made >= 0 && made <= STDERR_FILENO) {
        const int moved = fcntl(made, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        close(made);
        made = moved;
    }
    if (made < 0)
        *error = qt_error_string(errno);
    handed = made;
    return made >= 0;
}

QByteArray UnnamedFile::read(qint64 offset) const
{
    QByteArray bytes;
    char chunk[65536];
    while (handed >= 0) {
        const ssize_t length =
            pread(int(handed), chunk, sizeof chunk, off_t(offset + bytes.size()));
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        bytes.append(chunk, int(length));
    }
    return bytes;
}

QString UnnamedFile::childHandle() const
{
    return QString::number(handed);
}

void UnnamedFile::setInheritable(bool inheritable)
{
    if (handed >= 0)
        fcntl(int(handed), F_SETFD, inheritable ? 0 : FD_CLOEXEC);
}
