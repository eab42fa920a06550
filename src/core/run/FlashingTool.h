// The external flashing tool: where it is found, the command line it is given, and its process.
#pragma once

#include "ToolSupervisor.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The flashing tool's process, under its supervisor. Nothing that happens to the program that
// started it may cut a flash short or leave it running for ever: the supervisor runs in a
// process group of its own, so that a Ctrl+C meant for the console companion never reaches
// it, enforces the tool's time-out, and outlives this program. The tool's output goes to files
// in a folder of this run (a pipe would break when the program ended, and the tool die at its
// next line).
class FlashingToolProcess : public QProcess
{
    Q_OBJECT

public:
    explicit FlashingToolProcess(QObject *parent = nullptr);

    // Starts tool under its supervisor, to be stopped after timeoutMs (see stop()).
    void startTool(const QString &tool, const QStringList &arguments, int timeoutMs, int graceMs);

    // Where the tool's standard output goes, read as it grows; empty without a folder for it.
    QString outputFile() const { return filePath("output"); }
    // What the tool wrote to each channel, and how it ended; read once it has ended.
    QByteArray output();
    QByteArray errors();
    ToolSupervisor::Ending ending();

    // Ends the tool and whatever it started: asked first, forced after the grace time.
    void stop();

protected:
    void setupChildProcess() override;

private:
    QString filePath(const char *name) const;

    QTemporaryDir outputFolder;
};

// The program to start, by its absolute path: the one beside this program, else the first on
// PATH ("util", "util.exe" on Windows). Never one from the working directory: a stray program of
// that name in a download folder would run, as root under sudo. Empty where there is none.
QString flashingToolProgram();
// Its name, for telling the user where to put it.
QString flashingToolName();

QStringList flashingToolArguments(const QString &firmwarePath, const QString &portName);
