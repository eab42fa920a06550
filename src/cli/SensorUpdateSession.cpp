// Drives the Updater from a terminal, one sensor or a whole batch.
#include "SensorUpdateSession.h"

#include "FirmwarePackage.h"
#include "OutcomeWords.h"
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
    connect(&updater, &Updater::runEnded, this, &SensorUpdateSession::onRunEnded);
    connect(&updater, &Updater::packageDownloadFailed, this,
            &SensorUpdateSession::onDownloadFailed);
    connect(&updater, &Updater::stepChanged, this,
            [this] { this->out.step(this->updater.step(), this->updater.progress()); });
    // Access denied has words of its own; any other failed open is told what it means.
    connect(&updater, &Updater::usbError, this, [](int error) {
        if (error != UsbLink::errorAccess)
            std::fprintf(stderr, "%s\n", qPrintable(OutcomeWords::usbErrorMeaning(error)));
    });
}

void SensorUpdateSession::start()
{
    const bool connected = updater.checkPodConnected();
    if (!connected && !options.repeat && options.waitSeconds < 0) {
        tellNoSensor();
        finish(ExitCode::of(Updater::NoSensor));
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
            updater.stopUpdate();
        }
        return;
    }
    stopSignal = signalNumber;
    // Nothing has touched the sensor while its package is still on its way.
    if (state == State::Updating && !updater.withdrawWaitingRun()) {
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
            if (!options.repeat || onlyOneSensor(updater.connectedSensors()))
                beginUpdate();
        } else if (options.waitSeconds >= 0 &&
                   waitingSince.elapsed() >= qint64(options.waitSeconds) * 1000) {
            tellNoSensor();
            options.repeat ? finishBatch() : finish(ExitCode::of(Updater::NoSensor));
        }
        return;
    }
    if (state != State::WaitingForNext)
        return;
    const QList<UsbDeviceId> sensors = updater.connectedSensors();
    if (sensors.isEmpty()) {
        lastSensorLeft = true;
        if (!absentSince.isValid())
            absentSince.start();
        return;
    }
    for (const UsbDeviceId &sensor : sensors) {
        if (isNextSensor(sensor)) {
            if (onlyOneSensor(sensors))
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
                ExitCode::of(Updater::NoSensor), 0);
}

bool SensorUpdateSession::onlyOneSensor(const QList<UsbDeviceId> &sensors)
{
    if (sensors.size() <= 1)
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
    updater.updatePod(package);
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
    if (state != State::Updating)
        return;
    const QString line = OutcomeWords::line(outcome, package, updater.toolTimeoutMs() / 1000,
                                            updater.outcomeDetail());
    switch (outcome) {
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
        out.outcome(outcome, line, ExitCode::of(outcome), updater.outcomeCode());
        options.repeat ? finishBatch() : finish(ExitCode::of(outcome));
        break;
    case Updater::ToolStopped:
        if (stoppingTool) {
            say(interrupted + QStringLiteral(". ") + OutcomeWords::waitsInBootloader());
            finish(ExitCode::interruptedBy(SIGINT));
            break;
        }
        Q_FALLTHROUGH();
    default:
        tellFailure(outcome);
        recordOutcome(outcome, line);
    }
}

void SensorUpdateSession::tellFailure(Updater::Outcome outcome)
{
    // The tool's own words, for whoever looks into why: on standard error, beside the outcome.
    const QString tail = updater.toolTail(toolTailLines);
    if (outcome == Updater::Done || tail.isEmpty())
        return;
    std::fprintf(stderr, "%s\n%s\n", qPrintable(tr("The flashing tool's last lines:")),
                 qPrintable(tail));
}

void SensorUpdateSession::recordOutcome(Updater::Outcome outcome, const QString &text)
{
    const int exitCode = ExitCode::of(outcome);
    if (!options.repeat) {
        out.outcome(outcome, text, exitCode, updater.outcomeCode());
        finish(exitCode);
        return;
    }
    exitCode == ExitCode::updateDone ? ++updated : ++failed;
    // The sensor the run updated, to tell it from the next one.
    lastSensor = updater.runSensor();
    out.outcome(outcome,
                QStringLiteral("Sensor %1: %2 (%3 updated, %4 failed)")
                    .arg(updated + failed)
                    .arg(text)
                    .arg(updated)
                    .arg(failed),
                exitCode, updater.outcomeCode(), updated + failed);
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
