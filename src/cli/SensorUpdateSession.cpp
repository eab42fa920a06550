// Drives update runs from a terminal, one sensor or a whole batch (see SensorUpdateSession.h).
#include "SensorUpdateSession.h"

#include "FirmwarePackage.h"
#include "OutcomeCodes.h"
#include "OutcomeWords.h"
#include "SensorCensus.h"
#include "SensorIds.h"
#include "Updater.h"

#include <QDate>
#include <QFileInfo>
#include <csignal>
#include <cstdio>
#include <utility>

namespace {
// As often as a person would look; the window polls every 1500 ms.
constexpr int pollIntervalMs = 500;
// Without serial numbers, a sensor on the port of the one just updated is another once that one
// has come back from its restart and the port has then been empty this long.
constexpr int unplugSettleMs = 2000;
// Of the flashing tool's output, after a failure.
constexpr int toolTailLines = 10;
const QString interrupted = QStringLiteral("Interrupted"); // stopped by a signal
} // namespace

SensorUpdateSession::SensorUpdateSession(Updater &updater, const CommandLine &options,
                                         ConsoleOutput &out)
    : updater(updater)
    , options(options)
    , package(options.package.isEmpty() ? updater.packagePath() : options.package)
    , out(out)
{
    poll.setInterval(pollIntervalMs);
    connect(&poll, &QTimer::timeout, this, &SensorUpdateSession::onPoll);
    connect(&updater, &Updater::packageDownloadFailed, this,
            &SensorUpdateSession::onDownloadFailed);
}

void SensorUpdateSession::start()
{
    const bool connected = updater.checkPodConnected();
    if (!connected && !options.repeat && options.waitSeconds < 0) {
        tellNoSensor();
        finish(OutcomeCodes::exitCode(Updater::NoSensor));
        return;
    }
    if (options.package.isEmpty()) {
        say("Downloading the latest firmware package");
        updater.downloadLastPodVersion(); // a run started meanwhile waits for it
    }
    if (connected)
        beginUpdate();
    else
        waitForSensor("Waiting for a sensor");
}

void SensorUpdateSession::stop(int signalNumber)
{
    if (state == State::Finished)
        return;
    if (stopSignal != 0) {
        // Only a second Ctrl+C, a person's keypress, cuts an update short; a hang-up or a
        // service manager's SIGTERM never does.
        if (state == State::Updating && signalNumber == SIGINT && !stoppingTool) {
            stoppingTool = true;
            say("Stopping the flashing tool");
            run->stop();
        }
        return;
    }
    stopSignal = signalNumber;
    // Nothing has touched the sensor while its package is still on its way: the run ends at
    // once, and says so.
    if (state == State::Updating) {
        if (!run->withdraw())
            say("Stopping once the running update has ended");
        return;
    }
    if (state != State::Updating && options.repeat) {
        finishBatch();
        return;
    }
    say(interrupted);
    finish(ExitCode::interruptedBy(signalNumber));
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
            options.repeat ? finishBatch() : finish(OutcomeCodes::exitCode(Updater::NoSensor));
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

// Found by this program before any run was asked for: the Updater has no word of it.
void SensorUpdateSession::tellNoSensor()
{
    out.outcome(Updater::NoSensor, OutcomeWords::line(Updater::NoSensor, package, 0),
                OutcomeCodes::exitCode(Updater::NoSensor));
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
        say(updated + failed > 0 ? QStringLiteral("Unplug the updated sensor")
                                 : OutcomeWords::line(Updater::MoreThanOneSensor, package, 0));
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
    if (sensor.portPath != lastSensor.portPath)
        return true;
    // Back in its bootloader on the port just flashed: the same sensor.
    if (inBootloader(sensor))
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
    say("Updating the sensor with " + package);
    if (!downloadFailure.isEmpty())
        say(std::exchange(downloadFailure, QString()));
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

void SensorUpdateSession::onDownloadFailed()
{
    // Only a package that can be flashed is worth the word; without one the run says so.
    if (!options.package.isEmpty() || !FirmwarePackage::isZipFile(package))
        return;
    downloadFailure = QStringLiteral("Could not download the latest package; updating with the "
                                     "one stored on %1.")
                          .arg(QFileInfo(package).lastModified().date().toString(Qt::ISODate));
    if (state == State::Updating)
        say(std::exchange(downloadFailure, QString()));
}

void SensorUpdateSession::onRunEnded(Updater::Outcome outcome)
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
    case Updater::Withdrawn:
        tellInterrupted(outcome, report);
        break;
    case Updater::MoreThanOneSensor:
        // Refused before any sensor was touched: not one of the batch's. A batch waits until
        // one of them is unplugged.
        if (options.repeat && stopSignal == 0) {
            askToUnplug();
            state = updated + failed > 0 ? State::WaitingForNext : State::WaitingForSensor;
            poll.start();
            break;
        }
        Q_FALLTHROUGH();
    case Updater::UpdateAlreadyRunning:
        out.outcome(outcome, line, exitCode, &report);
        options.repeat ? finishBatch() : finish(exitCode);
        break;
    case Updater::ToolStopped:
        if (stoppingTool) {
            tellInterrupted(outcome, report);
            break;
        }
        Q_FALLTHROUGH();
    default:
        tellFailure(outcome, report);
        recordOutcome(outcome, line, report);
    }
}

// Stopped by the person: a run withdrawn before it touched the sensor, or one whose tool a
// second Ctrl+C stopped. Told as every run is, and a batch with its summary.
void SensorUpdateSession::tellInterrupted(Updater::Outcome outcome, const RunReport &report)
{
    const int exitCode = ExitCode::interruptedBy(stopSignal);
    const QString line = outcome == Updater::ToolStopped ? interrupted + QStringLiteral(". ") +
                                                               OutcomeWords::waitsInBootloader()
                                                         : interrupted;
    if (outcome == Updater::ToolStopped && options.repeat)
        ++failed;
    out.outcome(outcome, line, exitCode, &report, options.repeat ? updated + failed : 0);
    if (options.repeat)
        out.summary(updated, failed, exitCode);
    finish(exitCode);
}

int SensorUpdateSession::settingsTimeoutSeconds() const
{
    return updater.runTiming().toolTimeoutMs / 1000;
}

void SensorUpdateSession::tellFailure(Updater::Outcome outcome, const RunReport &report)
{
    // The tool's own words, for whoever looks into why: on standard error, beside the outcome.
    if (outcome == Updater::Done || report.toolTail.isEmpty())
        return;
    std::fprintf(stderr, "%s\n%s\n", qPrintable(tr("The flashing tool's last lines:")),
                 qPrintable(report.toolTail));
}

void SensorUpdateSession::recordOutcome(Updater::Outcome outcome, const QString &text,
                                        const RunReport &report)
{
    const int exitCode = OutcomeCodes::exitCode(outcome);
    if (!options.repeat) {
        out.outcome(outcome, text, exitCode, &report);
        finish(exitCode);
        return;
    }
    exitCode == ExitCode::updateDone ? ++updated : ++failed;
    // The sensor the run updated, to tell it from the next one.
    lastSensor = report.sensor;
    out.outcome(outcome,
                QStringLiteral("Sensor %1: %2 (%3 updated, %4 failed)")
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
    say("Waiting for the next sensor");
    poll.start();
}

bool SensorUpdateSession::stopsBatch(Updater::Outcome outcome)
{
    switch (outcome) {
    case Updater::NoUsablePackage:
    case Updater::NoFlashingTool:
    case Updater::LockUnavailable:
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
    finish(exitCode);
}

void SensorUpdateSession::finish(int exitCode)
{
    poll.stop();
    state = State::Finished;
    emit finished(exitCode);
}

void SensorUpdateSession::say(const QString &line)
{
    out.say(line);
}
