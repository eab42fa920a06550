// The child processes of a process, as Linux lists them: for tests that check what a program
// started, and that nothing of it is left.
#pragma once

#include <QDir>
#include <QFile>
#include <QList>

// "R", "S", "Z" (ended, not yet waited for) ...; empty once the process is gone altogether.
inline QByteArray processState(qint64 pid)
{
    QFile stat("/proc/" + QByteArray::number(pid) + "/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray line = stat.readAll();
    return line.mid(line.lastIndexOf(')') + 2, 1);
}

inline QList<qint64> childProcessesOf(qint64 parent)
{
    QList<qint64> children;
    for (const QString &pid : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat("/proc/" + pid + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (name) state ppid ...: the name may hold blanks, so count from its closing ')'.
        const QByteArray line = stat.readAll();
        if (line.mid(line.lastIndexOf(')') + 2).split(' ').value(1).toLongLong() == parent)
            children.append(pid.toLongLong());
    }
    return children;
}
