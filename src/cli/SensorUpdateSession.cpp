// Drives update runs from a terminal, one sensor or a whole batch (see SensorUpdateSession.h).
#include "SensorUpdateSession.h"

#include "OutcomeCodes.h"
#include "OutcomeWords.h"
#include "SensorCensus.h"
#include "SensorIds.h"
#include "Updater.h"

#include <csignal>
#include <cstdio>

namespace {
// Without serial numbers, a sensor on the port of the one just updated is another once that one
// has come back from its restart and the port has then been empty this long.
constexpr int unplugSettleMs = 2000;
} // namespace

SensorUpdateSession::SensorUpdateSession(Updater &updater, const CommandLine &options,
                                         ConsoleOutput &out)
    : ConsoleSession(updater, options, out)
{
    connect(&poll, &QTimer::timeout, this, &SensorUpdateSession::onPoll);
}

void SensorUpdateSession::start()
{
    bool connected = false;
    if (!open(&connected))
        return;
    if (connected)
        beginUpdate();
    else
        waitForSensor(tr("Waiting for a sensor"));
}

void SensorUpdateSession::stop(int signalNumber)
{
    if (hasEnded())
        return;
    if (stopSignal != 0) {
        // Only a second Ctrl+C, a person's keypress, cuts an update short; a hang-up or a
        // service manager's SIGTERM never does.
        if (state == State::Updating && signalNumber == SIGINT && !stoppingTool) {
            stoppingTool = true;
            say(tr("Stopping the flashing tool"));
            run->stop();
        }
        return;
    }
    stopSignal = signalNumber;
    // Nothing has touched the sensor while its package is still on its way: the run ends at
    // once, and says so.
    if (state == State::Updating) {
        if (!run->withdraw())
            say(tr("Stopping once the running update has ended"));
        return;
    }
    if (options.repeat) {
        finishBatch();
        return;
    }
    endInterrupted(signalNumber);
}

void SensorUpdateSession::waitForSensor(const QString &announcement)
{
    state = State::WaitingForSensor;
    say(announcement);
    waitingSince.start();
    poll.start();
}

void SensorUpdateSession::onPoll()
{
    if (state == State::WaitingForSensor) {
        if (updater.checkPodConnected()) {
            if (!options.repeat || onlyOneSensor(SensorCensus::take(updater.usb()).count()))
                beginUpdate();
        } else if (options.waitSeconds >= 0 &&
                   waitingSince.elapsed() >= qint64(options.waitSeconds) * 1000) {
            tellNoSensor();
            options.repeat ? finishBatch() : end(OutcomeCodes::exitCode(Run::NoSensor));
        }
        return;
    }
    if (state != State::WaitingForNext)
        return;
    const SensorCensus census = SensorCensus::take(updater.usb());
    if (census.count() == 0) {
        lastSensorLeft = true;
        if (!absentSince.isValid())
            absentSince.start();
        return;
    }
    for (const CensusSensor &sensor : census.sensors()) {
        if (isNextSensor(sensor.id)) {
            if (onlyOneSensor(census.count()))
                beginUpdate();
            return;
        }
    }
    lastSensorCameBack = lastSensorLeft;
    absentSince.invalidate();
}

bool SensorUpdateSession::onlyOneSensor(int sensors)
{
    if (sensors <= 1)
        return true;
    askToUnplug();
    return false;
}

void SensorUpdateSession::askToUnplug()
{
    // Said once, and waited out: the next sensor is plugged in before the last is out.
    if (!askedToUnplug)
        say(updated + failed > 0 ? tr("Unplug the updated sensor")
                                 : OutcomeWords::line(Run::MoreThanOneSensor, package, 0));
    askedToUnplug = true;
}

bool SensorUpdateSession::isNextSensor(const UsbDeviceId &sensor) const
{
    const auto inBootloader = [](const UsbDeviceId &id) {
        return id.productId == SensorIds::bootloaderProductId;
    };
    // However long it takes to come back, a sensor with the same serial number is the same.
    // A bootloader's serial number may be its own: only the applications' are compared.
    if (!inBootloader(sensor) && !inBootloader(lastSensor) && !sensor.serialNumber.isEmpty() &&
        !lastSensor.serialNumber.isEmpty())
        return sensor.serialNumber != lastSensor.serialNumber;
    // A place that cannot be read (a device the bus is still setting up) tells nothing: only
    // an empty bus for a while does.
    const bool placesKnown = !sensor.portPath.isEmpty() && !lastSensor.portPath.isEmpty();
    if (placesKnown && sensor.portPath != lastSensor.portPath)
        return true;
    // Back in its bootloader on the port just flashed: the same sensor.
    if (placesKnown && inBootloader(sensor))
        return false;
    return lastSensorCameBack && absentSince.isValid() && absentSince.elapsed() >= unplugSettleMs;
}

void SensorUpdateSession::beginUpdate()
{
    poll.stop();
    state = State::Updating;
    askedToUnplug = false;
    lastSensorLeft = lastSensorCameBack = false;
    absentSince.invalidate();
    say(tr("Updating the sensor with %1").arg(package));
    tellStalePackage();
    UpdateRun::Settings settings;
    settings.package = package;
    settings.timing = updater.runTiming();
    run = new UpdateRun(updater.usb(), settings, this);
    connect(run, &UpdateRun::stepChanged, this, [this] { out.step(run->step(), run->progress()); });
    // Access denied has words of its own; any other failed open is told what it means.
    connect(run, &UpdateRun::usbError, this, [](int error) {
        if (error != UsbLink::errorAccess)
            std::fprintf(stderr, "%s\n", qPrintable(OutcomeWords::usbErrorMeaning(error)));
    });
    connect(run, &UpdateRun::finished, this, &SensorUpdateSession::onRunEnded);
    // A package still on its way is waited for; nothing touches the sensor meanwhile.
    run->start(updater.downloadOf(package));
}

void SensorUpdateSession::onRunEnded(Run::Outcome outcome)
{
    const RunReport report = run->report();
    run->deleteLater();
    run = nullptr;
    if (state != State::Updating)
        return;
    const QString line =
        OutcomeWords::line(outcome, package, settingsTimeoutSeconds(), report.detail);
    const int exitCode = OutcomeCodes::exitCode(outcome);
    switch (outcome) {
    case Run::Withdrawn:
        tellInterrupted(outcome, report);
        break;
    case Run::MoreThanOneSensor:
        // Refused before any sensor was touched: not one of the batch's. A batch waits until
        // one of them is unplugged.
        if (options.repeat && stopSignal == 0) {
            askToUnplug();
            state = updated + failed > 0 ? State::WaitingForNext : State::WaitingForSensor;
            poll.start();
            break;
        }
        Q_FALLTHROUGH();
    case Run::UpdateAlreadyRunning:
        out.outcome(outcome, line, exitCode, &report);
        options.repeat ? finishBatch() : end(exitCode);
        break;
    case Run::ToolStopped:
        if (stoppingTool) {
            tellInterrupted(outcome, report);
            break;
        }
        Q_FALLTHROUGH();
    default:
        tellToolTail(QString(), outcome, report);
        recordOutcome(outcome, line, report);
    }
}

// Stopped by the person: a run withdrawn before it touched the sensor, or one whose tool a
// second Ctrl+C stopped. Told as every run is, and a batch with its summary.
void SensorUpdateSession::tellInterrupted(Run::Outcome outcome, const RunReport &report)
{
    const int exitCode = ExitCode::interruptedBy(stopSignal);
    const QString line = interruptedLine(outcome);
    if (outcome == Run::ToolStopped && options.repeat)
        ++failed;
    out.outcome(outcome, line, exitCode, &report, options.repeat ? updated + failed : 0);
    if (options.repeat)
        out.summary(updated, failed, exitCode);
    end(exitCode);
}

int SensorUpdateSession::settingsTimeoutSeconds() const
{
    return updater.runTiming().toolTimeoutMs / 1000;
}

void SensorUpdateSession::recordOutcome(Run::Outcome outcome, const QString &text,
                                        const RunReport &report)
{
    const int exitCode = OutcomeCodes::exitCode(outcome);
    if (!options.repeat) {
        out.outcome(outcome, text, exitCode, &report);
        end(exitCode);
        return;
    }
    exitCode == ExitCode::updateDone ? ++updated : ++failed;
    // The sensor the run updated, to tell it from the next one.
    lastSensor = report.sensor;
    out.outcome(outcome,
                tr("Sensor %1: %2 (%3 updated, %4 failed)")
                    .arg(updated + failed)
                    .arg(text)
                    .arg(updated)
                    .arg(failed),
                exitCode, &report, updated + failed);
    // No later sensor could be updated with a package, a tool or a lock that is not there.
    if (stopSignal != 0 || stopsBatch(outcome)) {
        finishBatch();
        return;
    }
    state = State::WaitingForNext;
    say(tr("Waiting for the next sensor"));
    poll.start();
}

bool SensorUpdateSession::stopsBatch(Run::Outcome outcome)
{
    switch (outcome) {
    case Run::NoUsablePackage:
    case Run::NoFlashingTool:
    case Run::LockUnavailable:
        return true;
    default:
        return false;
    }
}

void SensorUpdateSession::finishBatch()
{
    const int exitCode =
        updated > 0 && failed == 0 ? ExitCode::updateDone : ExitCode::errorOnUpdate;
    out.summary(updated, failed, exitCode);
    end(exitCode);
}

void SensorUpdateSession::say(const QString &line)
{
    out.say(line);
}
