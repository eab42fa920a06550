// The external flashing tool: where it is found, the command line it is given, and its process.
#include "FlashingTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

FlashingToolProcess::FlashingToolProcess(QObject *parent)
    : QProcess(parent)
{
    // The supervisor writes to the files it is handed, and nothing of its own.
    setStandardOutputFile(QProcess::nullDevice());
    setStandardErrorFile(QProcess::nullDevice());
    connect(this, &QProcess::started, this, [this] {
        if (stopAsked)
            write("stop\n");
    });
#ifdef Q_OS_WIN
    // A group of its own, and no share in the console of the program that started it: neither
    // a Ctrl+C there nor the console's closing reaches the supervisor or its tool.
    setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        arguments->flags |= CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW;
    });
#endif
}

bool FlashingToolProcess::startTool(const QString &tool, const QStringList &arguments,
                                    int timeoutMs, int graceMs, QString *error)
{
    if (!statusFile.open(error) || !outputFile.open(error) || !errorsFile.open(error))
        return false;
    const ToolSupervisor::Files files{statusFile.childHandle(), outputFile.childHandle(),
                                      errorsFile.childHandle()};
    // Inherited by the supervisor alone. The tool's own command line names it as its platform
    // spells paths.
    setFilesInheritable(true);
    start(QCoreApplication::applicationFilePath(),
          ToolSupervisor::arguments(timeoutMs, graceMs, files, QDir::toNativeSeparators(tool),
                                    arguments),
          QIODevice::ReadWrite);
    setFilesInheritable(false);
    return true;
}

void FlashingToolProcess::setFilesInheritable(bool inheritable)
{
    statusFile.setInheritable(inheritable);
    outputFile.setInheritable(inheritable);
    errorsFile.setInheritable(inheritable);
}

ToolSupervisor::Ending FlashingToolProcess::ending() const
{
    return ToolSupervisor::endingFrom(statusFile.read());
}

void FlashingToolProcess::stop()
{
    stopAsked = true;
    if (state() == Running)
        write("stop\n");
}

void FlashingToolProcess::setupChildProcess()
{
#ifdef Q_OS_UNIX
    setpgid(0, 0);
#endif
}

QString flashingToolName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("util.exe");
#else
    return QStringLiteral("util");
#endif
}

QString flashingToolProgram()
{
    const QString name = flashingToolName();
    const QFileInfo beside(QDir(QCoreApplication::applicationDirPath()).filePath(name));
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    // Relative entries of PATH ("." or an empty one) would name the working directory again.
    QStringList searchPath;
    for (const QString &directory :
         qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(directory))
            searchPath.append(directory);
    }
    const QString onPath =
        searchPath.isEmpty() ? QString() : QStandardPaths::findExecutable(name, searchPath);
    return onPath.isEmpty() ? QString() : QFileInfo(onPath).absoluteFilePath();
}

QStringList flashingToolArguments(const QString &firmwarePath, const QString &portName)
{
    return {QStringLiteral("dfu"), QStringLiteral("usb_serial"), QStringLiteral("-pkg"),
            firmwarePath,          QStringLiteral("-p"),         portName};
}
