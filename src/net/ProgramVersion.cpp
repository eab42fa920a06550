// The program's own version and the help server's file naming the latest one.
#include "ProgramVersion.h"

QString ProgramVersion::current()
{
    return QStringLiteral(OVK_VERSION); // the project's version, set once in CMake
}

QUrl ProgramVersion::fileUrl(const QString &helpHost)
{
    return QUrl(
        QStringLiteral("https://%1/files/terravox/v2/sensor/updater/updater_version").arg(helpHost),
        QUrl::TolerantMode);
}

QString ProgramVersion::textOf(const QByteArray &body)
{
    const int end = body.indexOf('\0');
    return QString::fromUtf8(end < 0 ? body : body.left(end));
}
