// Drives groups of update runs from a terminal (--all): every sensor connected is updated at
// the same time, each on its own USB place; with --repeat, group after group, each once the
// sensors updated before have been unplugged and the next ones plugged in.
#pragma once

#include "BenchSensors.h"
#include "ConsoleSession.h"
#include "UpdateGroup.h"

#include <QElapsedTimer>

class ToolTurns;

class GroupUpdateSession : public ConsoleSession
{
    Q_OBJECT

public:
    GroupUpdateSession(Updater &updater, const CommandLine &options, ConsoleOutput &out);

    void start() override;
    // Running updates are let finish first; a second Ctrl+C stops them.
    void stop(int signalNumber) override;

private:
    enum class State
    {
        WaitingForSensors,
        Updating,
        WaitingForNext
    };

    bool isUpdating() const override { return state == State::Updating; }
    void onPoll();
    bool sensorsSettled(const SensorCensus &census);
    void beginGroup();
    void onMemberChanged(int index);
    void onMemberEnded(int index);
    void onGroupFinished();
    ConsoleOutput::Sensor sensorOf(int index) const;
    QString lineOf(const UpdateGroup::Member &member) const;
    int exitCode() const;

    UpdateGroup *group = nullptr; // while one goes
    ToolTurns *turns = nullptr;   // with --tools-at-once
    State state = State::WaitingForSensors;
    bool stoppingTools = false; // a second Ctrl+C stops the running updates
    bool askedToUnplug = false;
    int lastGroupSize = 0;
    Run::Outcome lastOutcome = Run::Done; // of a group of one

    // The sensors of every group, to tell the next ones from them; and how long the sensors
    // plugged in since have stayed as they are.
    BenchSensors bench;
    QStringList seenPlaces;
    QElapsedTimer unchangedSince;
};
