// Drives groups of update runs from a terminal (see GroupUpdateSession.h).
#include "GroupUpdateSession.h"

#include "OutcomeCodes.h"
#include "OutcomeWords.h"
#include "ToolTurns.h"

#include <csignal>
#include <cstdio>

namespace {
// Sensors plugged in one after another within this time are one group: the bench is filled
// before its group starts.
constexpr int settleMs = 2000;
} // namespace

GroupUpdateSession::GroupUpdateSession(Updater &updater, const CommandLine &options,
                                       ConsoleOutput &out)
    : ConsoleSession(updater, options, out)
{
    connect(&poll, &QTimer::timeout, this, &GroupUpdateSession::onPoll);
    // For the whole session: a tool that outlives its run (its supervisor lost) keeps its turn
    // from the next group too.
    if (options.toolsAtOnce > 0)
        turns = new ToolTurns(options.toolsAtOnce, this);
}

void GroupUpdateSession::start()
{
    bool connected = false;
    if (!open(&connected))
        return;
    if (connected) {
        beginGroup();
        return;
    }
    out.say(tr("Waiting for sensors"));
    waitingSince.start();
    poll.start();
}

void GroupUpdateSession::stop(int signalNumber)
{
    if (hasEnded())
        return;
    if (stopSignal != 0) {
        // Only a second Ctrl+C, a person's keypress, cuts the updates short.
        if (state == State::Updating && signalNumber == SIGINT && !stoppingTools) {
            stoppingTools = true;
            out.say(tr("Stopping the flashing tools"));
            group->stop();
        }
        return;
    }
    stopSignal = signalNumber;
    if (state == State::Updating) {
        // Runs that still wait for their package end at once; those that touched their sensor
        // are let finish.
        if (!group->withdraw())
            out.say(tr("Stopping once the running updates have ended"));
        return;
    }
    if (options.repeat) {
        out.summary(bench.updated(), bench.failed(), exitCode());
        end(exitCode());
        return;
    }
    endInterrupted(signalNumber);
}

void GroupUpdateSession::onPoll()
{
    const SensorCensus census = SensorCensus::take(updater.usb());
    if (state == State::WaitingForSensors && census.count() == 0 && options.waitSeconds >= 0 &&
        waitingSince.elapsed() >= qint64(options.waitSeconds) * 1000) {
        tellNoSensor();
        if (options.repeat)
            out.summary(bench.updated(), bench.failed(), exitCode());
        end(options.repeat ? exitCode() : OutcomeCodes::exitCode(Run::NoSensor));
        return;
    }
    bench.look(census);
    bool anyUpdated = false;
    bool anyNext = false;
    for (const CensusSensor &sensor : census.sensors()) {
        anyUpdated = anyUpdated || bench.isUpdated(sensor);
        anyNext = anyNext || bench.isNext(sensor);
    }
    if (anyUpdated) {
        // The next ones plugged in before the updated ones are out: waited out, and said once.
        if (anyNext && !askedToUnplug) {
            out.say(tr("Unplug the updated sensors"));
            askedToUnplug = true;
        }
        return;
    }
    // Sensors that failed and were left where they were go with the next ones, not alone.
    if (anyNext && sensorsSettled(census))
        beginGroup();
}

// True once sensors are plugged in and have stayed as they are for a moment.
bool GroupUpdateSession::sensorsSettled(const SensorCensus &census)
{
    QStringList places;
    for (const CensusSensor &sensor : census.sensors())
        places << sensor.id.portPath + QLatin1Char('/') + sensor.id.serialNumber;
    places.sort();
    if (places != seenPlaces || !unchangedSince.isValid()) {
        seenPlaces = places;
        unchangedSince.start();
        return false;
    }
    return !places.isEmpty() && unchangedSince.elapsed() >= settleMs;
}

void GroupUpdateSession::beginGroup()
{
    poll.stop();
    state = State::Updating;
    askedToUnplug = false;
    out.say(tr("Updating every sensor connected with %1").arg(package));
    tellStalePackage();
    UpdateRun::Settings settings;
    settings.package = package;
    settings.timing = updater.runTiming();
    settings.toolTurns = turns;
    group = new UpdateGroup(updater.usb(), settings, this);
    connect(group, &UpdateGroup::memberChanged, this, &GroupUpdateSession::onMemberChanged);
    connect(group, &UpdateGroup::memberEnded, this, &GroupUpdateSession::onMemberEnded);
    connect(group, &UpdateGroup::finished, this, &GroupUpdateSession::onGroupFinished);
    group->start(updater.downloadOf(package));
}

ConsoleOutput::Sensor GroupUpdateSession::sensorOf(int index) const
{
    const CensusSensor &sensor = group->members().at(index).sensor;
    return {index, sensor.id.portPath, sensor.id.serialNumber,
            sensor.ports.isEmpty() ? QString() : sensor.ports.first().name};
}

void GroupUpdateSession::onMemberChanged(int index)
{
    const UpdateRun *run = group->members().at(index).run;
    if (run)
        out.sensorStep(sensorOf(index), run->step(), run->progress());
}

void GroupUpdateSession::onMemberEnded(int index)
{
    const UpdateGroup::Member &member = group->members().at(index);
    // Refused as a single update refuses a sensor it cannot tell from another.
    const bool refused = !member.refusal.isEmpty();
    const Run::Outcome outcome = refused ? Run::MoreThanOneSensor : member.report.outcome;
    lastOutcome = outcome;
    const bool interruptedRun =
        outcome == Run::Withdrawn || (outcome == Run::ToolStopped && stoppingTools);
    const int code =
        interruptedRun ? ExitCode::interruptedBy(stopSignal) : OutcomeCodes::exitCode(outcome);
    out.sensorOutcome(sensorOf(index), outcome, lineOf(member), code,
                      refused ? nullptr : &member.report);
    if (!refused)
        tellToolTail(sensorOf(index).name(), outcome, member.report);
}

QString GroupUpdateSession::lineOf(const UpdateGroup::Member &member) const
{
    if (!member.refusal.isEmpty())
        return member.refusal;
    const Run::Outcome outcome = member.report.outcome;
    if (outcome == Run::Withdrawn || (outcome == Run::ToolStopped && stoppingTools))
        return interruptedLine(outcome);
    return OutcomeWords::line(outcome, package, updater.runTiming().toolTimeoutMs / 1000,
                              member.report.detail);
}

void GroupUpdateSession::onGroupFinished()
{
    out.endGroup();
    // A sensor updated in this session is never taken for a new one, however long it is gone
    // while it restarts; one that failed is taken again.
    bench.groupEnded(group->members());
    lastGroupSize = group->members().size();
    group->deleteLater();
    group = nullptr;
    const int updated = bench.updated();
    const int failed = bench.failed();
    const bool interruptedGroup = stoppingTools || (stopSignal != 0 && updated + failed == 0);
    if (interruptedGroup) {
        out.summary(updated, failed, ExitCode::interruptedBy(stopSignal));
        end(ExitCode::interruptedBy(stopSignal));
        return;
    }
    if (!options.repeat || stopSignal != 0) {
        out.summary(updated, failed, exitCode());
        end(exitCode());
        return;
    }
    state = State::WaitingForNext;
    seenPlaces.clear();
    unchangedSince.invalidate();
    out.say(tr("Waiting for the next sensors"));
    poll.start();
}

// Every sensor updated, at least one; a group of one says what its run said.
int GroupUpdateSession::exitCode() const
{
    if (!options.repeat && lastGroupSize == 1)
        return OutcomeCodes::exitCode(lastOutcome);
    return bench.updated() > 0 && bench.failed() == 0 ? ExitCode::updateDone
                                                      : ExitCode::errorOnUpdate;
}
