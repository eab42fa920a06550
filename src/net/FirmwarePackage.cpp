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
    if (file.open(QIODevice::WriteOnly) && file.write(body) == body.size() && file.commit())
        return true;
    *error = file.errorString();
    file.cancelWriting();
    return false;
}

QString FirmwarePackage::pathFromUrl(const QString &urlString)
{
    const QUrl url(urlString, QUrl::TolerantMode);
    if (!url.isLocalFile())
        return urlString;
    return QDir::toNativeSeparators(url.toLocalFile());
}
