// Drives groups of update runs from a terminal (--all): every sensor connected is updated at
// the same time, each on its own USB place; with --repeat, group after group, each once the
// sensors updated before have been unplugged and the next ones plugged in.
#pragma once

#include "CommandLine.h"
#include "ConsoleOutput.h"
#include "UpdateGroup.h"
#include "Updater.h"

#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QTimer>

class GroupUpdateSession : public QObject
{
    Q_OBJECT

public:
    GroupUpdateSession(Updater &updater, const CommandLine &options, ConsoleOutput &out);

    void start();
    // Asked to stop by signalNumber. Running updates are let finish first; a second Ctrl+C
    // stops them.
    void stop(int signalNumber);

signals:
    void finished(int exitCode);

private:
    enum class State
    {
        WaitingForSensors,
        Updating,
        WaitingForNext,
        Finished
    };

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
    void finish(int exitCode);

    Updater &updater;
    const CommandLine options;
    const QString package;
    ConsoleOutput &out;
    UpdateGroup *group = nullptr; // while one goes
    QTimer poll;
    QElapsedTimer waitingSince;
    State state = State::WaitingForSensors;
    int stopSignal = 0;         // the first stop asked for, 0 while none
    bool stoppingTools = false; // a second Ctrl+C stops the running updates
    bool askedToUnplug = false;
    QString downloadFailure;
    int updated = 0;
    int failed = 0;
    int lastGroupSize = 0;
    Updater::Outcome lastOutcome = Updater::Done; // of a group of one

    // The sensors of the last group, by place and serial number, to know when they are out;
    // and how long the sensors plugged in since have stayed as they are.
    QSet<QString> updatedPlaces;
    QSet<QString> updatedSerials;
    QStringList seenPlaces;
    QElapsedTimer unchangedSince;
};
