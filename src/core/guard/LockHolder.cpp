// Who holds an update lock (see LockHolder.h).
#include "LockHolder.h"

#include "UpdateLock.h"
#include "UserIdentity.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMultiHash>
#include <QRandomGenerator>
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

// A record's file: where it is, and the user its name says wrote it.
struct RecordFile
{
    QString path;
    QString key;
};

// The records of the lock at lockPath, or of every lock in its folder: <lock>.holder-<key>, or
// <lock>.holder-<key>.<16 hex digits> where another user's file took the first name.
QList<RecordFile> recordsOf(const QString &lockPath, bool everyLock)
{
    static const QRegularExpression spare(QStringLiteral("^[0-9a-f]{16}$"));
    const QFileInfo lock(lockPath);
    const QString pattern =
        (everyLock ? QStringLiteral("*.lock") : lock.fileName()) + recordMark + QLatin1Char('*');
    QList<RecordFile> records;
    for (const QString &name : lock.dir().entryList({pattern}, QDir::Files | QDir::System)) {
        // Fresh files being written carry another suffix.
        const QString named = name.section(recordMark, -1);
        const QString key = named.section(QLatin1Char('.'), 0, 0);
        const QString suffix = named.section(QLatin1Char('.'), 1);
        if (UserIdentity::isKey(key) && (suffix.isEmpty() || spare.match(suffix).hasMatch()))
            records.append({lock.dir().filePath(name), key});
    }
    return records;
}

// What a record says, before anything in it is checked.
LockHolder claimOf(const QByteArray &bytes, const QString &ownerKey)
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
    return holder;
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
    LockHolder holder = claimOf(bytes, ownerKey);
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
    QList<qint64> pids;
    const QList<UpdateLock::Holder> holders = UpdateLock::holdersOf(lockPath);
    for (const UpdateLock::Holder &holder : holders)
        pids.append(holder.pid);
    if (pids.isEmpty())
        return LockHolder();
    LockHolder newest;
    // Records of programs that have ended, by the pid the system still names: their flashing
    // tools hold the lock. Told only where a single record claims that pid.
    QMultiHash<qint64, LockHolder> ended;
    for (const RecordFile &record : recordsOf(lockPath, isComputersLock(lockPath))) {
        QString owner;
        const QByteArray bytes = SharedFile::read(record.path, recordLimit, &owner);
        // Named after the user who wrote it: a file of another user under that name is not theirs.
        if (owner.isEmpty() || owner != record.key)
            continue;
        const LockHolder holder = fromRecord(bytes, owner);
        if (!holder.isKnown())
            continue;
        if (pids.contains(holder.pid) || pids.contains(holder.supervisorPid)) {
            if (!newest.isKnown() || holder.since > newest.since)
                newest = holder;
            continue;
        }
        const qint64 claimed = claimOf(bytes, owner).pid;
        if (holder.pid == 0 && pids.contains(claimed) &&
            UserIdentity::userOfProcess(claimed).isEmpty())
            ended.insert(claimed, holder);
    }
    if (newest.isKnown())
        return newest;
    for (const qint64 pid : ended.uniqueKeys()) {
        if (ended.count(pid) == 1)
            return ended.value(pid);
    }
    // No record names it: what the system says of the process.
    for (const UpdateLock::Holder &holder : holders) {
        LockHolder process;
        process.userKey = UserIdentity::userOfProcess(holder.pid);
        if (process.userKey.isEmpty())
            continue;
        process.pid = holder.pid;
        process.program = nameText(holder.program);
        return process;
    }
    return LockHolder();
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
        const QString process =
            QStringLiteral("%1 (process %2, user %3)").arg(program).arg(pid).arg(user);
        if (!since.isValid())
            return process;
        const QString text = process + QStringLiteral(" since ") + when;
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
    : lock(lockPath)
    , file(lockPath + recordMark + UserIdentity::currentKey())
{}

HolderRecord::~HolderRecord()
{
    remove();
}

bool HolderRecord::write(const LockHolder &holder, QString *error)
{
    const QByteArray bytes = holder.toRecord();
    if (SharedFile::replace(file, bytes, &written, error))
        return true;
    // Once written, this program's record stays where it is.
    if (written.isValid())
        return false;
    // Another user's file (or folder) may have taken this user's name first, which this user
    // may not replace: a name nobody can foresee instead, which readers take as this user's too.
    const QString spare = lock + recordMark + UserIdentity::currentKey() + QLatin1Char('.') +
                          QString::number(QRandomGenerator::system()->generate64(), 16)
                              .rightJustified(16, QLatin1Char('0'));
    QString spareError;
    if (!SharedFile::replace(spare, bytes, &written, &spareError))
        return false;
    file = spare;
    return true;
}

void HolderRecord::remove()
{
    SharedFile::removeIfSame(file, written);
    written = {};
}
