// Who holds an update lock: each program writes a record beside the lock it holds, and a
// program that finds a lock taken reads the records to say who and since when. A record is
// only ever told, never acted on, and told as it is: the user is the record file's owner, a
// process is named only while it runs as that user, and a record that does not add up is left
// out. Whatever the records say, the lock alone decides.
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
    // The newest record that adds up of the lock at lockPath (for the computer's lock: of any
    // lock in its folder); unknown if none.
    static LockHolder current(const QString &lockPath);

    // "ovk-sensor-update (process 4242, user ann) since 2026-12-08 12:03:04, flashing ttyACM0
    // until 12:13:04 at the latest"; empty when unknown.
    QString describe() const;

    QByteArray toRecord() const;
    static LockHolder fromRecord(const QByteArray &bytes, const QString &ownerKey);
};

// This program's record beside the lock it holds: written whole, and removed with it, only
// while it is still the file this program wrote.
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
    QString file;
    SharedFile::Stamp written;
};
