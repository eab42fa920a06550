// Firmware packages for tests: the smallest bytes that pass the program's zip check, and the
// demo's real archive.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

// A local file header, the payload, and an empty end-of-central-directory record.
inline QByteArray zipFrame(const QByteArray &payload = "firmware")
{
    return QByteArray("PK\x03\x04", 4) + payload + QByteArray("PK\x05\x06", 4) +
           QByteArray(18, '\0');
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The file's bytes; empty when it cannot be read.
inline QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString realZipArchive()
{
    return QStringLiteral(OVK_DEMO_PACKAGE);
}
