// Runs a test in a fresh temporary folder as the process's working directory, where the
// program keeps "dl" and looks for its flashing tool; the folder goes when the test ends.
#pragma once

#include <QDir>
#include <QTemporaryDir>

class TemporaryWorkingDirectory
{
public:
    TemporaryWorkingDirectory() { QDir::setCurrent(folder.path()); }
    ~TemporaryWorkingDirectory() { QDir::setCurrent(previous); }

    TemporaryWorkingDirectory(const TemporaryWorkingDirectory &) = delete;
    TemporaryWorkingDirectory &operator=(const TemporaryWorkingDirectory &) = delete;

    QString path() const { return folder.path(); }
    QString filePath(const QString &name) const { return folder.filePath(name); }

private:
    const QString previous = QDir::currentPath();
    QTemporaryDir folder;
};
