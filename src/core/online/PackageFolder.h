// Where the downloaded firmware package is kept.
#pragma once

#include <QString>

namespace PackageFolder {
// The user's own folder: $XDG_CACHE_HOME/ovk-sensor-updater (~/.cache/ovk-sensor-updater), on
// Windows %LOCALAPPDATA%\OVK Sensor Updater. The window's launcher starts it there too.
QString ofUser();

// The package's path, its folder "dl" made where missing: "dl/app.zip" below the working
// folder if asked for and that folder can hold it (an installed program started in its own
// folder cannot), else below the user's own folder, as an absolute path.
QString prepare(bool workingFolderFirst);
} // namespace PackageFolder
