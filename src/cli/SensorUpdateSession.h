// Drives update runs from a terminal, as the window does: waits for a sensor, updates it, and in
// batch mode goes on with the next sensor plugged in. Says each event in one line, in the
// window's own words.
#pragma once

#include "ConsoleSession.h"
#include "UpdateRun.h"
#include "UsbLink.h"

class SensorUpdateSession : public ConsoleSession
{
    Q_OBJECT

public:
    SensorUpdateSession(Updater &updater, const CommandLine &options, ConsoleOutput &out);

    void start() override;
    // A running update is let finish first; a second Ctrl+C stops it.
    void stop(int signalNumber) override;

private:
    enum class State
    {
        WaitingForSensor,
        Updating,
        WaitingForNext
    };

    bool isUpdating() const override { return state == State::Updating; }
    void onPoll();
    void waitForSensor(const QString &announcement);
    bool isNextSensor(const UsbDeviceId &sensor) const;
    bool onlyOneSensor(int sensors);
    int settingsTimeoutSeconds() const;
    void askToUnplug();
    void beginUpdate();
    void onRunEnded(Run::Outcome outcome);
    void tellInterrupted(Run::Outcome outcome, const RunReport &report);
    void recordOutcome(Run::Outcome outcome, const QString &text, const RunReport &report);
    static bool stopsBatch(Run::Outcome outcome);
    void finishBatch();
    void say(const QString &line);

    UpdateRun *run = nullptr; // while one goes
    State state = State::WaitingForSensor;
    bool stoppingTool = false;  // a second Ctrl+C stops the running update
    bool askedToUnplug = false; // while more than one sensor is plugged in
    int updated = 0;
    int failed = 0;

    // The sensor updated last, and what has been seen of it since, to tell it from the next.
    UsbDeviceId lastSensor;
    bool lastSensorLeft = false;     // off the bus since its outcome (its restart, or unplugged)
    bool lastSensorCameBack = false; // and seen again afterwards
    QElapsedTimer absentSince;       // nothing on the bus since then
};
