// Drives update runs from a terminal, as the window does: waits for a sensor, updates it, and in
// batch mode goes on with the next sensor plugged in. Says each event in one line, in the
// window's own words.
#pragma once

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "UpdateRun.h"
#include "Updater.h"
#include "UsbLink.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class SensorUpdateSession : public QObject
{
    Q_OBJECT

public:
    SensorUpdateSession(Updater &updater, const CommandLine &options, ConsoleOutput &out);

    void start();
    // Asked to stop by signalNumber. A running update is let finish first; a second Ctrl+C
    // stops it.
    void stop(int signalNumber);

signals:
    void finished(int exitCode);

private:
    enum class State
    {
        WaitingForSensor,
        Updating,
        WaitingForNext,
        Finished
    };

    void onPoll();
    void waitForSensor(const QString &announcement);
    bool isNextSensor(const UsbDeviceId &sensor) const;
    void tellNoSensor();
    bool onlyOneSensor(int sensors);
    int settingsTimeoutSeconds() const;
    void askToUnplug();
    void beginUpdate();
    void onRunEnded(Updater::Outcome outcome);
    void onDownloadFailed();
    void tellInterrupted(Updater::Outcome outcome, const RunReport &report);
    void recordOutcome(Updater::Outcome outcome, const QString &text, const RunReport &report);
    static bool stopsBatch(Updater::Outcome outcome);
    void tellFailure(Updater::Outcome outcome, const RunReport &report);
    void finishBatch();
    void finish(int exitCode);
    void say(const QString &line);

    Updater &updater;
    UpdateRun *run = nullptr; // while one goes
    const CommandLine options;
    const QString package;
    ConsoleOutput &out;
    QTimer poll;
    QElapsedTimer waitingSince;
    State state = State::WaitingForSensor;
    int stopSignal = 0;         // the first stop asked for, 0 while none
    bool stoppingTool = false;  // a second Ctrl+C stops the running update
    QString downloadFailure;    // to be said before the next update, once
    bool askedToUnplug = false; // while more than one sensor is plugged in
    int updated = 0;
    int failed = 0;

    // The sensor updated last, and what has been seen of it since, to tell it from the next.
    UsbDeviceId lastSensor;
    bool lastSensorLeft = false;     // off the bus since its outcome (its restart, or unplugged)
    bool lastSensorCameBack = false; // and seen again afterwards
    QElapsedTimer absentSince;       // nothing on the bus since then
};
