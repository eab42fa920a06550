// Where this program keeps the files of the user who runs it, its one folder name, and how those
// files are kept private: folders only this user may enter, files only this user may read.
#pragma once

#include <QByteArray>
#include <QString>

namespace UserFolders {
// The name of this program's folders: "OVK Sensor Updater" on Windows (in %LOCALAPPDATA% and
// %ProgramData%), "ovk-sensor-updater" elsewhere.
inline QString programFolderName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("OVK Sensor Updater");
#else
    return QStringLiteral("ovk-sensor-updater");
#endif
}

// The runs' logs and history: $XDG_DATA_HOME/ovk-sensor-updater (~/.local/share/...); on
// Windows %LOCALAPPDATA%\OVK Sensor Updater.
QString data();
// The downloaded package: $XDG_CACHE_HOME/ovk-sensor-updater (~/.cache/...); on Windows the
// same folder as data().
// Both are made nowhere. A program run as root whose folder, or HOME, belongs to another user
// (sudo -E) uses root's own home instead, so that it leaves no file of root's in theirs.
QString cache();

// Whether this program may keep files in folder: it belongs to this program's user, and no
// folder above it to another user than this one or root. Always on Windows, where write access
// alone decides.
bool isOwnPlace(const QString &folder);

// Makes folder, and those above it that are missing, a folder that only this user may enter
// (0700); an existing one of this user (0755 from an earlier version) is made so too, through
// the opened folder. False, with why, for a link, another user's folder or one that cannot be
// made.
bool makePrivate(const QString &folder, QString *error);
// Makes an existing file of this user readable by this user only (0644 becomes 0600), through
// the opened file: a link, or another user's file, is left as it is.
void makeFilePrivate(const QString &path);

// Writes bytes to a new file that only this user may read (0600); never through a link, never
// over an existing file. False, with why, when it cannot.
bool writeNew(const QString &path, const QByteArray &bytes, QString *error);
// Adds bytes at the end of path, made private if new, in one write that always lands at the
// end: two programs that append at once never overwrite each other's bytes.
bool append(const QString &path, const QByteArray &bytes, QString *error);
} // namespace UserFolders
