// The firmware package: where the help server offers it and how a download is stored.
#include "FirmwarePackage.h"

#include <QDir>
#include <QSaveFile>

QUrl FirmwarePackage::downloadUrl(const QString &helpHost)
{
    return QUrl(
        QStringLiteral("https://%1/files/terravox/v2/sensor/firmware/app.zip").arg(helpHost),
        QUrl::TolerantMode);
}

bool FirmwarePackage::store(const QString &path, const QByteArray &body, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
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
