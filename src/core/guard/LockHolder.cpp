// Who holds an update lock (see LockHolder.h).
#include "LockHolder.h"

#include "UserIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {
constexpr int recordLimit = 4096;
constexpr int textLimit = 64;
const QString recordMark = QStringLiteral(".holder-");

// What a record says, told to a person: a program's or a port's name, short, and nothing that
// could read as more of the sentence it is told in (another process or user); else "?".
QString nameText(const QString &value)
{
    static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9._+/-]{1,%1}$").arg(textLimit));
    return name.match(value).hasMatch() ? value : QStringLiteral("?");
}

// The records of the lock at lockPath, or of every lock in its folder.
QStringList recordsOf(const QString &lockPath, bool everyLock)
{
    const QFileInfo lock(lockPath);
    const QString pattern =
        (everyLock ? QStringLiteral("*.lock") : lock.fileName()) + recordMark + QLatin1Char('*');
    QStringList paths;
    for (const QString &name : lock.dir().entryList({pattern}, QDir::Files | QDir::System)) {
        // Fresh files being written carry a suffix beyond the key.
        if (UserIdentity::isKey(name.section(recordMark, -1)))
            paths << lock.dir().filePath(name);
    }
    return paths;
}

bool isComputersLock(const QString &lockPath)
{
    // ovk-sensor-update.lock and update.lock: no place between the name and ".lock".
    return !QFileInfo(lockPath).completeBaseName().contains(QLatin1Char('.'));
}
} // namespace

LockHolder LockHolder::ofThisProgram()
{
    LockHolder holder;
    holder.program = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    holder.pid = QCoreApplication::applicationPid();
    holder.userKey = UserIdentity::currentKey();
    holder.since = QDateTime::currentDateTime();
    return holder;
}

QByteArray LockHolder::toRecord() const
{
    QStringList lines{QStringLiteral("program=") + program, QStringLiteral("pid=%1").arg(pid),
                      QStringLiteral("since=") + since.toString(Qt::ISODate)};
    if (!port.isEmpty())
        lines << QStringLiteral("port=") + port;
    if (supervisorPid > 0)
        lines << QStringLiteral("supervisor=%1").arg(supervisorPid)
              << QStringLiteral("deadline=") + deadline.toString(Qt::ISODate);
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

LockHolder LockHolder::fromRecord(const QByteArray &bytes, const QString &ownerKey)
{
    LockHolder holder;
    holder.userKey = ownerKey;
    for (const QByteArray &line : bytes.split('\n')) {
        const int equals = line.indexOf('=');
        const QByteArray key = line.left(equals);
        const QString value = QString::fromUtf8(line.mid(equals + 1));
        if (key == "program")
            holder.program = nameText(value);
        else if (key == "pid")
            holder.pid = value.toLongLong();
        else if (key == "since")
            holder.since = QDateTime::fromString(value, Qt::ISODate);
        else if (key == "port")
            holder.port = nameText(value);
        else if (key == "supervisor")
            holder.supervisorPid = value.toLongLong();
        else if (key == "deadline")
            holder.deadline = QDateTime::fromString(value, Qt::ISODate);
    }
    // Only processes that run as the record's owner are told; a record with none is left by a
    // program that has ended, or tells what is not.
    if (!UserIdentity::processRunsAs(holder.pid, ownerKey))
        holder.pid = 0;
    if (!UserIdentity::processRunsAs(holder.supervisorPid, ownerKey))
        holder.supervisorPid = 0;
    if (holder.pid == 0 && holder.supervisorPid == 0)
        holder.userKey.clear();
    return holder;
}

LockHolder LockHolder::current(const QString &lockPath)
{
    LockHolder newest;
    for (const QString &path : recordsOf(lockPath, isComputersLock(lockPath))) {
        QString owner;
        const QByteArray bytes = SharedFile::read(path, recordLimit, &owner);
        // Named after the user who wrote it: a file of another user under that name is not theirs.
        if (owner.isEmpty() || owner != path.section(recordMark, -1))
            continue;
        const LockHolder holder = fromRecord(bytes, owner);
        if (holder.isKnown() && (!newest.isKnown() || holder.since > newest.since))
            newest = holder;
    }
    return newest;
}

QString LockHolder::describe() const
{
    if (!isKnown())
        return QString();
    // The system's name for the record's owner, not the record's word.
    const QString user = UserIdentity::nameOf(userKey);
    const QString when = since.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString until = deadline.toString(QStringLiteral("HH:mm:ss"));
    if (pid > 0) {
        const QString text = QStringLiteral("%1 (process %2, user %3) since %4")
                                 .arg(program)
                                 .arg(pid)
                                 .arg(user, when);
        if (supervisorPid <= 0)
            return text;
        return text + QStringLiteral(", flashing %1 until %2 at the latest").arg(port, until);
    }
    return QStringLiteral("%1 (user %2) since %3; it has ended, and its flashing tool on %4 "
                          "(supervised by process %5) is stopped at %6 at the latest")
        .arg(program, user, when, port)
        .arg(supervisorPid)
        .arg(until);
}

HolderRecord::HolderRecord(const QString &lockPath)
    : file(lockPath + recordMark + UserIdentity::currentKey())
{}

HolderRecord::~HolderRecord()
{
    remove();
}

bool HolderRecord::write(const LockHolder &holder, QString *error)
{
    return SharedFile::replace(file, holder.toRecord(), &written, error);
}

void HolderRecord::remove()
{
    SharedFile::removeIfSame(file, written);
    written = {};
}
