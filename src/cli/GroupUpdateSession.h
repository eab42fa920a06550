// Drives groups of update runs from a terminal (--all): every sensor connected is updated at
// the same time, each on its own USB place; with --repeat, group after group, each once the
// sensors updated before have been unplugged and the next ones plugged in.
#pragma once

#include "ConsoleSession.h"
#include "UpdateGroup.h"

#include <QElapsedTimer>
#include <QSet>

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
    bool anyUpdatedStillThere(const SensorCensus &census) const;
    void beginGroup();
    void onMemberChanged(int index);
    void onMemberEnded(int index);
    void onGroupFinished();
    ConsoleOutput::Sensor sensorOf(int index) const;
    QString lineOf(const UpdateGroup::Member &member) const;
    int exitCode() const;

    UpdateGroup *group = nullptr; // while one goes
    State state = State::WaitingForSensors;
    bool stoppingTools = false; // a second Ctrl+C stops the running updates
    bool askedToUnplug = false;
    int updated = 0;
    int failed = 0;
    int lastGroupSize = 0;
    Run::Outcome lastOutcome = Run::Done; // of a group of one

    // The sensors of the last group by place, and of every group by serial number, to know when
    // they are out; and how long the sensors plugged in since have stayed as they are.
    QSet<QString> updatedPlaces;
    QSet<QString> updatedSerials;
    QStringList seenPlaces;
    QElapsedTimer unchangedSince;
};
