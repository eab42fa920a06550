// What the console program's two sessions share, one sensor after the other or every sensor at
// once: the options, the package and its download, the words for a missing sensor and for a
// package older than the help server's, the first stop, and the one end.
#pragma once

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "RunReport.h"
#include "Updater.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class ConsoleSession : public QObject
{
    Q_OBJECT

public:
    ConsoleSession(Updater &updater, const CommandLine &options, ConsoleOutput &out);

    virtual void start() = 0;
    // Asked to stop by signalNumber. Running updates are let finish first; a second Ctrl+C
    // stops them.
    virtual void stop(int signalNumber) = 0;

signals:
    void finished(int exitCode);

protected:
    // The session's first look at the bus. False, the session ended, where no sensor is
    // connected and none is to be waited for; else starts the package download where no package
    // was given, and says whether a sensor is connected.
    bool open(bool *connected);
    // Says that no sensor is connected, as the outcome of a run that never began.
    void tellNoSensor();
    // Before the updates it concerns: the package is an earlier day's, the download having
    // failed. Said once.
    void tellStalePackage();
    // A run that the person stopped: withdrawn before it touched the sensor, or its tool stopped
    // by a second Ctrl+C.
    static QString interruptedLine(Run::Outcome outcome);
    static QString interrupted(); // stopped by a signal
    // After a failure, the flashing tool's last lines on standard error, for whoever looks into
    // why; who: the sensor, where several are updated at once.
    static void tellToolTail(const QString &who, Run::Outcome outcome, const RunReport &report);
    // Asked to stop before any update runs, outside a batch: said, and ended.
    void endInterrupted(int signalNumber);
    void end(int exitCode);
    bool hasEnded() const { return ended; }
    virtual bool isUpdating() const = 0;

    Updater &updater;
    const CommandLine options;
    const QString package;
    ConsoleOutput &out;
    QTimer poll; // the bus, while waiting for sensors
    QElapsedTimer waitingSince;
    int stopSignal = 0; // the first stop asked for, 0 while none

private:
    void onDownloadFailed();

    QString stalePackage; // to be said before the next update, once
    bool ended = false;
};
