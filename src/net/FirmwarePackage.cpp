// The firmware package: where the help server offers it and how a download is stored.
#include "FirmwarePackage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const QByteArray localFileHeader("PK\x03\x04");
const QByteArray endOfCentralDirectory("PK\x05\x06");
constexpr int endRecordSize = 22;
constexpr qint64 endRecordReach = endRecordSize + 0xFFFF; // the record and its longest comment

// head: the first bytes of the archive; tail: its last bytes, up to endRecordReach of them.
bool hasZipFrame(const QByteArray &head, const QByteArray &tail)
{
    if (!head.startsWith(localFileHeader) || tail.size() < endRecordSize)
        return false;
    // The whole record must be there: an archive cut short inside it is no archive.
    return tail.lastIndexOf(endOfCentralDirectory, tail.size() - endRecordSize) >= 0;
}
} // namespace

QUrl FirmwarePackage::downloadUrl(const QString &helpHost)
{
    return QUrl(
        QStringLiteral("https://%1/files/terravox/v2/sensor/firmware/app.zip").arg(helpHost),
        QUrl::TolerantMode);
}

bool FirmwarePackage::isZipArchive(const QByteArray &bytes)
{
    return hasZipFrame(bytes, bytes.right(int(endRecordReach)));
}

bool FirmwarePackage::isZipFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(localFileHeader.size());
    if (!file.seek(qMax<qint64>(0, file.size() - endRecordReach)))
        return false;
    return hasZipFrame(head, file.readAll());
}

bool FirmwarePackage::store(const QString &path, const QByteArray &body, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    // The user's alone, whatever the umask: set on the new file before it takes the old one's
    // place.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A short write (a full disk) leaves no error text of its own; say what happened.
    const qint64 written = file.write(body);
    if (written != body.size()) {
        *error = QStringLiteral("only %1 of %2 bytes written")
                     .arg(qMax<qint64>(written, 0))
                     .arg(body.size());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

QString FirmwarePackage::pathFromUrl(const QString &urlString)
{
    const QUrl url(urlString, QUrl::TolerantMode);
    if (!url.isLocalFile())
        return urlString;
    return QDir::toNativeSeparators(url.toLocalFile());
}
