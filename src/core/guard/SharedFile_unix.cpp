// Files in a folder that other users may write, on Linux (see SharedFile.h).
#include "SharedFile.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool writeAll(int file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(file, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}
} // namespace

bool SharedFile::replace(const QString &path, const QByteArray &bytes, Stamp *written,
                         QString *error)
{
    // mkostemp makes the file with O_CREAT|O_EXCL: never through a link, never someone else's.
    QByteArray fresh = QFile::encodeName(path) + ".XXXXXX";
    const int file = mkostemp(fresh.data(), O_CLOEXEC);
    if (file < 0) {
        *error = path + QStringLiteral(": ") + qt_error_string(errno);
        return false;
    }
    struct stat info = {};
    // Whatever the umask: the other users' programs read it.
    const bool ok = fchmod(file, 0644) == 0 && writeAll(file, bytes) && fstat(file, &info) == 0;
    const int savedErrno = errno;
    close(file);
    // rename replaces a link at path, never the file it points to.
    if (!ok || rename(fresh.constData(), QFile::encodeName(path).constData()) != 0) {
        *error = path + QStringLiteral(": ") + qt_error_string(ok ? errno : savedErrno);
        unlink(fresh.constData());
        return false;
    }
    *written = {quint64(info.st_dev), quint64(info.st_ino)};
    return true;
}

void SharedFile::removeIfSame(const QString &path, const Stamp &written)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info = {};
    if (written.isValid() && lstat(name.constData(), &info) == 0 && S_ISREG(info.st_mode) &&
        quint64(info.st_dev) == written.volume && quint64(info.st_ino) == written.id)
        unlink(name.constData());
}

QByteArray SharedFile::read(const QString &path, int limit, QString *ownerKey)
{
    const int file = open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0)
        return QByteArray();
    struct stat info = {};
    QByteArray bytes;
    if (fstat(file, &info) == 0 && S_ISREG(info.st_mode)) {
        bytes.resize(limit);
        const ssize_t length = ::read(file, bytes.data(), size_t(limit));
        bytes.resize(int(qMax<ssize_t>(length, 0)));
        *ownerKey = QString::number(info.st_uid);
    }
    close(file);
    return bytes;
}
