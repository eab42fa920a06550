// Who holds an update lock: the system names the process, and each program writes a record
// beside the lock it holds, which a program that finds the lock taken reads to say more (since
// when, the port, the tool's deadline). A record is only ever told, never acted on, and told as
// it is: only where it names the process that the system says holds the lock, the user being
// the record file's owner, and a process named only while it runs as that user. Whatever the
// records say, the lock alone decides.
#pragma once

#include "SharedFile.h"

#include <QDateTime>
#include <QString>

struct LockHolder
{
    QString program;
    qint64 pid = 0;
    QString userKey; // the owner of the record file (UserIdentity)
    QDateTime since;
    QString port;             // once known
    qint64 supervisorPid = 0; // the flashing tool's supervisor, once started
    QDateTime deadline;       // when the supervisor stops the tool at the latest

    // This program, holding a lock from now on.
    static LockHolder ofThisProgram();

    bool isKnown() const { return !userKey.isEmpty(); }
    // Who holds the lock at lockPath, as the system says (UpdateLock::holdersOf): told by the
    // record that names that process (for the computer's lock, a record beside any lock in its
    // folder), else by what the system says of the process itself. Unknown where the system
    // names no process that runs, nor one that has ended and whose record alone tells of it.
    static LockHolder current(const QString &lockPath);

    // "ovk-sensor-update (process 4242, user ann) since 2026-12-08 12:03:04, flashing ttyACM0
    // until 12:13:04 at the latest"; without a record "ovk-sensor-update (process 4242, user
    // ann)"; empty when unknown.
    QString describe() const;

    QByteArray toRecord() const;
    static LockHolder fromRecord(const QByteArray &bytes, const QString &ownerKey);
};

// This program's record beside the lock it holds: written whole, and removed with it, only
// while it is still the file this program wrote. Where another user's file has taken its name
// (<lock>.holder-<key>), it goes under a name of its own that nobody can foresee
// (<lock>.holder-<key>.<16 hex digits>).
class HolderRecord
{
public:
    explicit HolderRecord(const QString &lockPath);
    ~HolderRecord();

    HolderRecord(const HolderRecord &) = delete;
    HolderRecord &operator=(const HolderRecord &) = delete;

    // False, and why, when it cannot be written; an update goes on without it.
    bool write(const LockHolder &holder, QString *error);
    void remove();
    QString path() const { return file; }

private:
    QString lock;
    QString file;
    SharedFile::Stamp written;
};
