// The external flashing tool: where it is found, the command line it is given, and its process.
#include "FlashingTool.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
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
        setStandardOutputFile(outputFolder.filePath(QStringLiteral("output")));
        setStandardErrorFile(outputFolder.filePath(QStringLiteral("errors")));
    }
#ifdef Q_OS_WIN
    // A group of its own, and no share in the console of the program that started it: neither
    // a Ctrl+C there nor the console's closing reaches the tool.
    setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *arguments) {
        arguments->flags |= CREATE_NEW_PROCESS_GROUP | CREATE_NO_WINDOW;
    });
#endif
}

QByteArray FlashingToolProcess::output()
{
    return outputFolder.isValid() ? contents(outputFolder.filePath(QStringLiteral("output")))
                                  : readAllStandardOutput();
}

QByteArray FlashingToolProcess::errors()
{
    return outputFolder.isValid() ? contents(outputFolder.filePath(QStringLiteral("errors")))
                                  : readAllStandardError();
}

void FlashingToolProcess::stop(int graceMs)
{
    if (state() == NotRunning || stopping)
        return;
    stopping = true;
    group = processId();
#ifdef Q_OS_WIN
    kill(); // a console tool has no window to be asked to close
    Q_UNUSED(graceMs)
#else
    signalGroup(SIGTERM);
    QTimer::singleShot(graceMs, this, [this] { signalGroup(SIGKILL); });
#endif
}

void FlashingToolProcess::endLeftovers()
{
#ifndef Q_OS_WIN
    if (stopping)
        signalGroup(SIGKILL);
#endif
}

void FlashingToolProcess::signalGroup(int signalNumber)
{
#ifdef Q_OS_WIN
    Q_UNUSED(signalNumber)
#else
    if (group > 0)
        ::kill(-pid_t(group), signalNumber); // the tool leads its group: same id
#endif
}

void FlashingToolProcess::setupChildProcess()
{
#ifdef Q_OS_UNIX
    setpgid(0, 0);
#endif
}

QString flashingToolProgram()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("util.exe");
#else
    const QString name = QStringLiteral("util");
#endif
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(name);
    const QFileInfo besideInfo(beside);
    if (besideInfo.isFile() && besideInfo.isExecutable())
        return besideInfo.absoluteFilePath();
    // Relative entries of PATH ("." or an empty one) would name the working directory again.
    QStringList searchPath;
    for (const QString &directory :
         qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(directory))
            searchPath.append(directory);
    }
    const QString onPath =
        searchPath.isEmpty() ? QString() : QStandardPaths::findExecutable(name, searchPath);
    return onPath.isEmpty() ? beside : QFileInfo(onPath).absoluteFilePath();
}

QStringList flashingToolArguments(const QString &firmwarePath, const QString &portName)
{
    return {QStringLiteral("dfu"), QStringLiteral("usb_serial"), QStringLiteral("-pkg"),
            firmwarePath,          QStringLiteral("-p"),         portName};
}
