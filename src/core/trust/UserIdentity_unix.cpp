// Who a user is, on Linux (see UserIdentity.h): the user id.
#include "UserIdentity.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

QString UserIdentity::currentKey()
{
    return QString::number(geteuid());
}

bool UserIdentity::isKey(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,10}$"));
    return digits.match(text).hasMatch();
}

QString UserIdentity::nameOf(const QString &key)
{
    const passwd *entry = getpwuid(uid_t(key.toULong()));
    return entry ? QString::fromLocal8Bit(entry->pw_name) : key;
}

bool UserIdentity::processRunsAs(qint64 pid, const QString &key)
{
    return isKey(key) && userOfProcess(pid) == key;
}

QString UserIdentity::userOfProcess(qint64 pid)
{
    // /proc/<pid> belongs to the process's effective user.
    struct stat info = {};
    if (pid <= 0 ||
        stat(QFile::encodeName(QStringLiteral("/proc/%1").arg(pid)).constData(), &info) != 0)
        return QString();
    return QString::number(info.st_uid);
}
