// The external flashing tool: where it is found, the command line it is given, and its process.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The flashing tool's process. Nothing that happens to the program that started it may cut a
// flash short: the tool runs in a process group of its own, so that a Ctrl+C meant for the
// console companion never reaches it, and its output goes to files in a folder of this run
// (a pipe would break when the program ended, and the tool die at its next line).
class FlashingToolProcess : public QProcess
{
    Q_OBJECT

public:
    explicit FlashingToolProcess(QObject *parent = nullptr);

    // What the tool wrote to each channel; read once it has ended.
    QByteArray output();
    QByteArray errors();

    // Ends the tool and whatever it started: asks first, and forces after graceMs.
    void stop(int graceMs);
    bool isStopping() const { return stopping; }
    // Once a stopped tool has ended: forces out what it started and left behind.
    void endLeftovers();

protected:
    void setupChildProcess() override;

private:
    void signalGroup(int signalNumber);

    QTemporaryDir outputFolder;
    bool stopping = false;
    qint64 group = 0; // the tool's process group, which outlives its leader
};

// The program to start, by its absolute path: the one beside this program, else the first on
// PATH ("util", "util.exe" on Windows). Never one from the working directory: a stray program of
// that name in a download folder would run, as root under sudo. Where there is none, a path
// that fails to start, which is reported like any other tool that cannot be started.
QString flashingToolProgram();

QStringList flashingToolArguments(const QString &firmwarePath, const QString &portName);
