// Where the downloaded firmware package is kept (see PackageFolder.h).
#include "PackageFolder.h"

#include "Endpoints.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
const char downloadDirectory[] = "dl";

// Whether dl below folder takes a new file: a folder only an administrator may write, or a
// plain file named "dl" in the way, does not.
bool canHoldPackage(const QDir &folder)
{
    if (!folder.exists(downloadDirectory))
        folder.mkdir(downloadDirectory);
    QTemporaryFile probe(folder.filePath(QStringLiteral("dl/.write-test-XXXXXX")));
    return probe.open();
}
} // namespace

QString PackageFolder::ofUser()
{
#ifdef Q_OS_WIN
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("OVK Sensor Updater"));
#else
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("ovk-sensor-updater"));
#endif
}

QString PackageFolder::prepare(bool workingFolderFirst)
{
    if (workingFolderFirst && canHoldPackage(QDir()))
        return Endpoints::packagePath();
    const QDir own(ofUser());
    own.mkpath(QString::fromLatin1(downloadDirectory));
    return QDir::toNativeSeparators(
        own.filePath(QDir::fromNativeSeparators(Endpoints::packagePath())));
}
