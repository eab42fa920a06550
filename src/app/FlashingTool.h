// The external flashing tool: where it is found and the command line it is given.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// The flashing tool's process. On Unix it runs in a process group of its own, so that a Ctrl+C
// meant for the program that started it (the console companion) never cuts a flash short.
class FlashingToolProcess : public QProcess
{
public:
    using QProcess::QProcess;

protected:
    void setupChildProcess() override;
};

// The program to start. On Windows the bare "util.exe", found the way Windows finds it. Elsewhere
// "util", looked for the same way: beside this program, in the working directory, on PATH.
QString flashingToolProgram();

QStringList flashingToolArguments(const QString &firmwarePath, const QString &portName);
