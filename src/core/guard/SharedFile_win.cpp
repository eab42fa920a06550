// Files in a folder that other users may write, on Windows (see SharedFile.h).
#include "SharedFile.h"

bool SharedFile::replace(const QString &path, const QByteArray &, Stamp *, QString *error)
{
    *error = path + QStringLiteral(": not written on this platform yet");
    return false;
}

void SharedFile::removeIfSame(const QString &, const Stamp &) {}

QByteArray SharedFile::read(const QString &, int, QString *)
{
    return QByteArray();
}
