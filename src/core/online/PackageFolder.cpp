// Where the downloaded firmware package is kept (see PackageFolder.h).
#include "PackageFolder.h"

#include "Endpoints.h"
#include "PrivateFiles.h"
#include "UserFolders.h"

#include <QDebug>
#include <QDir>
#include <QTemporaryFile>

namespace {
const char downloadDirectory[] = "dl";

// Whether dl below folder takes a new file: a folder only an administrator may write, or a
// plain file named "dl" in the way, does not; nor does another user's folder, where root would
// leave a folder of its own.
bool canHoldPackage(const QDir &folder)
{
    QString ignored;
    if (!PrivateFiles::isOwnPlace(folder.absolutePath()) ||
        !PrivateFiles::makePrivate(folder.absoluteFilePath(downloadDirectory), &ignored))
        return false;
    QTemporaryFile probe(folder.absoluteFilePath(QStringLiteral("dl/.write-test-XXXXXX")));
    return probe.open();
}
} // namespace

QString PackageFolder::prepare(bool workingFolderFirst)
{
    QString package = Endpoints::packagePath();
    if (!workingFolderFirst || !canHoldPackage(QDir())) {
        const QDir own(UserFolders::cache());
        QString error;
        if (!PrivateFiles::makePrivate(own.path(), &error) ||
            !PrivateFiles::makePrivate(own.filePath(downloadDirectory), &error))
            qDebug().noquote() << "Cannot make the package folder:" << error;
        package = own.filePath(QDir::fromNativeSeparators(package));
    }
    // A package stored by an earlier version was readable by all; the next download keeps the
    // mode of the one it replaces.
    PrivateFiles::makeFilePrivate(package);
    return QDir::toNativeSeparators(package);
}
