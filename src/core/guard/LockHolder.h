// Who holds the update lock: the holder writes it beside the lock, and a program that finds the
// lock taken reads it to say who and since when. A record is only ever told, never acted on:
// any user may write one.
#pragma once

#include <QDateTime>
#include <QString>

struct LockHolder
{
    QString program;
    qint64 pid = 0;
    QString user;
    QDateTime since;
    QString port;       // once known
    qint64 toolPid = 0; // the flashing tool's supervisor, once started
    QDateTime deadline; // when the supervisor stops the tool at the latest

    // This program, holding the lock from now on.
    static LockHolder ofThisProgram();

    bool isKnown() const { return pid > 0; }
    // The record of this user beside lockPath, replaced whole; false when it cannot be.
    bool write(const QString &lockPath) const;
    static void remove(const QString &lockPath);
    // The newest record beside lockPath whose program or tool still runs; unknown if none.
    static LockHolder current(const QString &lockPath);

    // "ovk-sensor-update (process 4242, user ann) since 2026-12-08 12:03:04, flashing
    // ttyACM0 until 12:13:04 at the latest"; empty when unknown.
    QString describe() const;
};
