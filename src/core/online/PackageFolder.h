// Where the downloaded firmware package is kept.
#pragma once

#include <QString>

namespace PackageFolder {
// The package's path, its folder "dl" made where missing and kept private: "dl/app.zip" below
// the working folder if asked for and that folder is this user's own and can hold it (an
// installed program started in its own folder cannot; root never makes "dl" in another user's
// folder), else below the user's cache folder (UserFolders::cache()), as an absolute path.
QString prepare(bool workingFolderFirst);
} // namespace PackageFolder
