// The external flashing tool: where it is found, the command line it is given, and its process.
#include "FlashingTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {
QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

FlashingToolProcess::FlashingToolProcess(QObject *parent)
    : QProcess(parent)
{
    // Without a folder for them (no temporary space), the channels stay pipes as before.
    if (outputFolder.isValid()) {
        setStandardOutputFile(filePath("output"));
        setStandardErrorFile(filePath("errors"));
    }
#ifdef Q_OS_WIN
    // A group of its own, and no share in the console of the program that started it: neither
    // a Ctrl+C there nor the console's closing reaches the supervisor or its tool.
    setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        arguments->flags |= CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW;
    });
#endif
}

void FlashingToolProcess::startTool(const QString &tool, const QStringList &arguments,
                                    int timeoutMs, int graceMs)
{
    // The tool's own command line names it as its platform spells paths.
    start(QCoreApplication::applicationFilePath(),
          ToolSupervisor::arguments(timeoutMs, graceMs, filePath("status"),
                                    QDir::toNativeSeparators(tool), arguments),
          QIODevice::ReadWrite);
}

QString FlashingToolProcess::filePath(const char *name) const
{
    return outputFolder.isValid() ? outputFolder.filePath(QString::fromLatin1(name)) : QString();
}

QByteArray FlashingToolProcess::output()
{
    return outputFolder.isValid() ? contents(filePath("output")) : readAllStandardOutput();
}

QByteArray FlashingToolProcess::errors()
{
    return outputFolder.isValid() ? contents(filePath("errors")) : readAllStandardError();
}

ToolSupervisor::Ending FlashingToolProcess::ending()
{
    return ToolSupervisor::readEnding(filePath("status"));
}

void FlashingToolProcess::stop()
{
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
