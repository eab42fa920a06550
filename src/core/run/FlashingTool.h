// The external flashing tool: where it is found, the command line it is given, and its process.
#pragma once

#include "ToolSupervisor.h"
#include "UnnamedFile.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// The flashing tool's process, under its supervisor. Nothing that happens to the program that
// started it may cut a flash short or leave it running for ever: the supervisor runs in a
// process group of its own, so that a Ctrl+C meant for the console companion never reaches
// it, enforces the tool's time-out, and outlives this program. The tool's output and how it
// ended go to files that no path leads to (a pipe would break when the program ended, and the
// tool die at its next line; a file in a folder could be swapped by whoever may write there).
class FlashingToolProcess : public QProcess
{
    Q_OBJECT

public:
    explicit FlashingToolProcess(QObject *parent = nullptr);

    // Starts tool under its supervisor, to be stopped after timeoutMs (see stop()). False, with
    // why, where the files for what it tells cannot be made: then nothing is started.
    bool startTool(const QString &tool, const QStringList &arguments, int timeoutMs, int graceMs,
                   QString *error);

    // The tool's standard output from offset on, as far as it has written it.
    QByteArray outputFrom(qint64 offset) const { return outputFile.read(offset); }
    // What the tool wrote to each channel, and how it ended; read once it has ended.
    QByteArray output() const { return outputFile.read(); }
    QByteArray errors() const { return errorsFile.read(); }
    ToolSupervisor::Ending ending() const;

    // Ends the tool and whatever it started: asked first, forced after the grace time. Asked
    // before the supervisor runs, it is told as soon as it does.
    void stop();

protected:
    void setupChildProcess() override;

private:
    void setFilesInheritable(bool inheritable);

    UnnamedFile statusFile;
    UnnamedFile outputFile;
    UnnamedFile errorsFile;
    bool stopAsked = false;
};

// The program to start, by its absolute path: the one beside this program, else the first on
// PATH ("util", "util.exe" on Windows). Never one from the working directory: a stray program of
// that name in a download folder would run, as root under sudo. Empty where there is none.
QString flashingToolProgram();
// Its name, for telling the user where to put it.
QString flashingToolName();

QStringList flashingToolArguments(const QString &firmwarePath, const QString &portName);
