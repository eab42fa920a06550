// Files in a folder that other users may write (/run/lock, %ProgramData%\OVK Sensor Updater):
// nothing is ever written through a link or reparse point that someone put there, and what
// another user wrote is read as theirs, never taken for ours.
#pragma once

#include <QByteArray>
#include <QString>

namespace SharedFile {
// Which file was written: device (volume) and inode (file index).
struct Stamp
{
    quint64 volume = 0;
    quint64 id = 0;
    bool isValid() const { return id != 0; }
};

// Puts bytes at path whole: written to a fresh file beside it (O_CREAT|O_EXCL|O_NOFOLLOW;
// on Windows CREATE_NEW, with no reparse point anywhere on its path, as the opened handle
// says), made readable by every user on the open descriptor, then renamed into place. A rename
// replaces a link at path, never what it points to. False, and why, when it cannot be done.
bool replace(const QString &path, const QByteArray &bytes, Stamp *written, QString *error);

// Removes path only while it is still the file that replace() wrote: a link or file that
// someone put in its place since is left alone.
void removeIfSame(const QString &path, const Stamp &written);

// Up to limit bytes of the regular file at path, never read through a link or reparse point,
// and the key (UserIdentity) of the user who owns it. Empty when it cannot be read.
QByteArray read(const QString &path, int limit, QString *ownerKey);
} // namespace SharedFile
