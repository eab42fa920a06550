// Drives the Updater from a terminal: waits for a sensor, updates it, and in batch mode goes on
// with the next sensor plugged in. Says each event in one line, in the window's own words.
#pragma once

#include "CommandLine.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QTextStream;
class Updater;

class SensorUpdateSession : public QObject
{
    Q_OBJECT

public:
    SensorUpdateSession(Updater &updater, const CommandLine &options, QTextStream &out);

    void start();
    // Asked to stop: a running update is let finish first.
    void stop();

signals:
    void finished(int exitCode);

private:
    enum class State
    {
        WaitingForSensor,
        Updating,
        WaitingForUnplug,
        Finished
    };

    void onPoll();
    void waitForSensor(const QString &announcement);
    void beginUpdate();
    void onUpdateDone(int exitCode);
    void onUsbError(int error);
    void recordOutcome(int exitCode, const QString &text);
    void finishBatch();
    void finish(int exitCode);
    void say(const QString &line);

    Updater &updater;
    const CommandLine options;
    const QString package;
    QTextStream &out;
    QTimer poll;
    QElapsedTimer waitingSince;
    QElapsedTimer absentSince;
    State state = State::WaitingForSensor;
    bool stopRequested = false;
    int updated = 0;
    int failed = 0;
};
