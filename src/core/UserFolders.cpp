// Where this program keeps the files of the user who runs it (see UserFolders.h).
#include "UserFolders.h"

#include "PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#ifndef Q_OS_WIN
#include <pwd.h>
#include <unistd.h>
#endif

namespace {
#ifndef Q_OS_WIN
QString ownHome()
{
    const passwd *self = getpwuid(geteuid());
    return self && self->pw_dir && *self->pw_dir ? QFile::decodeName(self->pw_dir)
                                                 : QStringLiteral("/root");
}
#endif

// Where the user's location says, but for root in another user's environment: then below
// root's own home, where belowHome is the usual place of that location.
QString chosen(QStandardPaths::StandardLocation location, const QString &belowHome)
{
    const QString usual =
        QDir(QStandardPaths::writableLocation(location)).filePath(UserFolders::programFolderName());
#ifndef Q_OS_WIN
    if (geteuid() == 0 && (PrivateFiles::othersHaveSayAlong(usual) ||
                           PrivateFiles::othersHaveSayAlong(QDir::homePath())))
        return QDir(ownHome()).filePath(belowHome + QLatin1Char('/') +
                                        UserFolders::programFolderName());
#else
    Q_UNUSED(belowHome)
#endif
    return usual;
}
} // namespace

QString UserFolders::data()
{
    return chosen(QStandardPaths::GenericDataLocation, QStringLiteral(".local/share"));
}

QString UserFolders::cache()
{
#ifdef Q_OS_WIN
    return data();
#else
    return chosen(QStandardPaths::GenericCacheLocation, QStringLiteral(".cache"));
#endif
}
