// The external flashing tool: where it is found and the command line it is given.
#include "FlashingTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

void FlashingToolProcess::setupChildProcess()
{
#ifdef Q_OS_UNIX
    setpgid(0, 0);
#endif
}

QString flashingToolProgram()
{
#ifdef Q_OS_WIN
    return QStringLiteral("util.exe");
#else
    const QString name = QStringLiteral("util");
    for (const QString &directory : {QCoreApplication::applicationDirPath(), QDir::currentPath()}) {
        const QFileInfo candidate(QDir(directory).filePath(name));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath();
    }
    const QString onPath = QStandardPaths::findExecutable(name);
    // Not found: the start fails and reports it like any other tool that cannot be started.
    return onPath.isEmpty() ? name : onPath;
#endif
}

QStringList flashingToolArguments(const QString &firmwarePath, const QString &portName)
{
    return {QStringLiteral("dfu"), QStringLiteral("usb_serial"), QStringLiteral("-pkg"),
            firmwarePath,          QStringLiteral("-p"),         portName};
}
