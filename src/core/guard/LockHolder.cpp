// Who holds the update lock (see LockHolder.h).
#include "LockHolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#ifdef Q_OS_WIN
#include <QFile>
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
constexpr int recordLimit = 4096;
constexpr int textLimit = 64;

// One record per user, so that each may replace their own in a folder where nobody may
// replace another's file.
QString userKey()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("USERNAME").remove(QRegularExpression(QStringLiteral("[^\\w.-]")));
#else
    return QString::number(getuid());
#endif
}

QString userName()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("USERNAME");
#else
    const passwd *entry = getpwuid(getuid());
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(getuid());
#endif
}

QString recordPath(const QString &lockPath, const QString &key)
{
    const QFileInfo lock(lockPath);
    return lock.dir().filePath(lock.completeBaseName() + QLatin1Char('.') + key +
                               QStringLiteral(".holder"));
}

bool isRunning(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED; // another user's
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    return kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

// A record as written by its owner: a plain file, not a link to something else, and on Linux
// owned by the user it names.
QByteArray readRecord(const QString &path, const QString &key)
{
#ifdef Q_OS_WIN
    Q_UNUSED(key)
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(recordLimit) : QByteArray();
#else
    const int file = open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0)
        return QByteArray();
    struct stat info = {};
    QByteArray bytes;
    if (fstat(file, &info) == 0 && S_ISREG(info.st_mode) && QString::number(info.st_uid) == key) {
        bytes.resize(recordLimit);
        const ssize_t length = read(file, bytes.data(), size_t(bytes.size()));
        bytes.resize(int(qMax<ssize_t>(length, 0)));
    }
    close(file);
    return bytes;
#endif
}

// What a record says, told to a person: printable, and short.
QString plainText(const QString &value)
{
    QString text = value.left(textLimit);
    text.remove(QRegularExpression(QStringLiteral("\\p{C}")));
    return text;
}

LockHolder parse(const QByteArray &bytes)
{
    LockHolder holder;
    for (const QByteArray &line : bytes.split('\n')) {
        const int equals = line.indexOf('=');
        const QByteArray key = line.left(equals);
        const QString value = QString::fromUtf8(line.mid(equals + 1));
        if (key == "program")
            holder.program = plainText(value);
        else if (key == "pid")
            holder.pid = value.toLongLong();
        else if (key == "user")
            holder.user = plainText(value);
        else if (key == "since")
            holder.since = QDateTime::fromString(value, Qt::ISODate);
        else if (key == "port")
            holder.port = plainText(value);
        else if (key == "tool")
            holder.toolPid = value.toLongLong();
        else if (key == "deadline")
            holder.deadline = QDateTime::fromString(value, Qt::ISODate);
    }
    return holder;
}
} // namespace

LockHolder LockHolder::ofThisProgram()
{
    LockHolder holder;
    holder.program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    holder.pid = QCoreApplication::applicationPid();
    holder.user = userName();
    holder.since = QDateTime::currentDateTime();
    return holder;
}

bool LockHolder::write(const QString &lockPath) const
{
    QStringList lines{QStringLiteral("program=") + program, QStringLiteral("pid=%1").arg(pid),
                      QStringLiteral("user=") + user,
                      QStringLiteral("since=") + since.toString(Qt::ISODate)};
    if (!port.isEmpty())
        lines << QStringLiteral("port=") + port;
    if (toolPid > 0)
        lines << QStringLiteral("tool=%1").arg(toolPid)
              << QStringLiteral("deadline=") + deadline.toString(Qt::ISODate);
    const QString path = recordPath(lockPath, userKey());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write((lines.join('\n') + '\n').toUtf8());
    if (!file.commit())
        return false;
    // Whatever the umask: the other users' programs read it.
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                           QFile::ReadOther);
}

void LockHolder::remove(const QString &lockPath)
{
    QFile::remove(recordPath(lockPath, userKey()));
}

LockHolder LockHolder::current(const QString &lockPath)
{
    const QFileInfo lock(lockPath);
    const QString prefix = lock.completeBaseName() + QLatin1Char('.');
    const QString suffix = QStringLiteral(".holder");
    LockHolder newest;
    const QStringList names =
        lock.dir().entryList({prefix + QLatin1Char('*') + suffix}, QDir::Files | QDir::System);
    for (const QString &name : names) {
        const QString key = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
        const LockHolder holder = parse(readRecord(lock.dir().filePath(name), key));
        if (!isRunning(holder.pid) && !isRunning(holder.toolPid))
            continue; // left by a program that crashed
        if (!newest.isKnown() || holder.since > newest.since)
            newest = holder;
    }
    return newest;
}

QString LockHolder::describe() const
{
    if (!isKnown())
        return QString();
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    QString text = QStringLiteral("%1 (process %2, user %3) since %4")
                       .arg(program)
                       .arg(pid)
                       .arg(user, since.toString(format));
    if (toolPid <= 0)
        return text;
    const QString until = deadline.toString(QStringLiteral("HH:mm:ss"));
    if (isRunning(pid))
        return text + QStringLiteral(", flashing %1 until %2 at the latest").arg(port, until);
    return text + QStringLiteral("; it has ended, and its flashing tool (process %1) on %2 is "
                                 "stopped at %3 at the latest")
                      .arg(toolPid)
                      .arg(port, until);
}
