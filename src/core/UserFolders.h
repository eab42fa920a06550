// Where this program keeps the files of the user who runs it, and its one folder name.
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
} // namespace UserFolders
