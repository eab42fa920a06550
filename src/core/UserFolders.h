// Where this program keeps the files of the user who runs it, and its one folder name. How those
// files are kept private is PrivateFiles'.
#pragma once

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
} // namespace UserFolders
