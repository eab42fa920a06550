// Drives the Updater from a terminal, one sensor or a whole batch.
#include "SensorUpdateSession.h"

#include "Endpoints.h"
#include "FirmwarePackage.h"
#include "Updater.h"

#include <QDate>
#include <QFileInfo>
#include <QTextStream>
#include <csignal>
#include <utility>

namespace {
// As often as a person would look; the window polls every 1500 ms.
constexpr int pollIntervalMs = 500;
// Without serial numbers, a sensor on the port of the one just updated is another once that one
// has come back from its restart and the port has then been empty this long.
constexpr int unplugSettleMs = 2000;
const char accessDenied[] = "Access denied: We couldn't access your sensor. Please disconnect "
                            "your sensor and make sure it's not open in any chrome tab";
const char waitsInBootloader[] = "The sensor waits in its bootloader; update it again.";
} // namespace

SensorUpdateSession::SensorUpdateSession(Updater &updater, const CommandLine &options,
                                         QTextStream &out)
    : updater(updater)
    , options(options)
    , package(options.package.isEmpty() ? Endpoints::packagePath() : options.package)
    , out(out)
{
    poll.setInterval(pollIntervalMs);
    connect(&poll, &QTimer::timeout, this, &SensorUpdateSession::onPoll);
    connect(&updater, &Updater::updateDone, this, &SensorUpdateSession::onUpdateDone);
    connect(&updater, &Updater::usbError, this, [this](int error) { onUsbError(error); });
    connect(&updater, &Updater::packageDownloadFailed, this,
            &SensorUpdateSession::onDownloadFailed);
}

void SensorUpdateSession::start()
{
    const bool connected = updater.checkPodConnected();
    if (!connected && !options.repeat && options.waitSeconds < 0) {
        say("No sensor connected");
        finish(ExitCode::noSensor);
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
    const int interrupted = 128 + signalNumber;
    if (state == State::Updating) {
        // Nothing has touched the sensor while its package is still on its way.
        if (updater.withdrawWaitingRun()) {
            say("Interrupted");
            finish(interrupted);
            return;
        }
        say("Stopping once the running update has ended");
        return;
    }
    if (options.repeat) {
        finishBatch();
        return;
    }
    say("Interrupted");
    finish(interrupted);
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
            beginUpdate();
        } else if (options.waitSeconds >= 0 &&
                   waitingSince.elapsed() >= qint64(options.waitSeconds) * 1000) {
            say("No sensor connected");
            options.repeat ? finishBatch() : finish(ExitCode::noSensor);
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
            beginUpdate();
            return;
        }
    }
    lastSensorCameBack = lastSensorLeft;
    absentSince.invalidate();
}

bool SensorUpdateSession::isNextSensor(const UsbDeviceId &sensor) const
{
    // However long it takes to come back, a sensor with the same serial number is the same.
    if (!sensor.serialNumber.isEmpty() && !lastSensor.serialNumber.isEmpty())
        return sensor.serialNumber != lastSensor.serialNumber;
    if (sensor.portPath != lastSensor.portPath)
        return true;
    return lastSensorCameBack && absentSince.isValid() && absentSince.elapsed() >= unplugSettleMs;
}

void SensorUpdateSession::beginUpdate()
{
    poll.stop();
    state = State::Updating;
    // Which sensor this is matters only to tell it from the next one.
    if (options.repeat)
        lastSensor = updater.connectedSensors().value(0);
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
    const QFileInfo stored(package);
    if (!options.package.isEmpty() || !FirmwarePackage::isZipFile(package))
        return;
    downloadFailure = QStringLiteral("Could not download the latest package; updating with the "
                                     "one stored on %1.")
                          .arg(stored.lastModified().date().toString(Qt::ISODate));
    if (state == State::Updating)
        say(std::exchange(downloadFailure, QString()));
}

void SensorUpdateSession::onUsbError(int error)
{
    // Any other USB error leaves the run to its port search, which ends it in updateDone.
    if (state == State::Updating && error == UsbLink::errorAccess)
        recordOutcome(ExitCode::accessDenied, accessDenied);
}

void SensorUpdateSession::onUpdateDone(int exitCode)
{
    if (state != State::Updating)
        return;
    switch (exitCode) {
    case 0:
        recordOutcome(ExitCode::updateDone, "Update done");
        break;
    case Updater::noUsablePackage:
        recordOutcome(ExitCode::noUsablePackage, "No usable firmware package: " + package);
        break;
    case Updater::updateAlreadyRunning:
        // Nothing was done to any sensor here: not one of the batch's.
        say("Update already running");
        finish(ExitCode::errorOnUpdate);
        break;
    case Updater::moreThanOneSensor:
        say("More than one sensor connected: Please connect only one sensor.");
        finish(ExitCode::moreThanOneSensor);
        break;
    case Updater::toolStopped:
        if (stoppingTool) {
            say(QStringLiteral("Interrupted. ") + waitsInBootloader);
            finish(ExitCode::interruptedBy(SIGINT));
        } else {
            recordOutcome(ExitCode::errorOnUpdate,
                          QStringLiteral("The flashing tool did not finish in %1 s and was "
                                         "stopped. ")
                                  .arg(updater.toolTimeoutMs() / 1000) +
                              waitsInBootloader);
        }
        break;
    default:
        recordOutcome(ExitCode::errorOnUpdate, "Error on update");
    }
}

void SensorUpdateSession::recordOutcome(int exitCode, const QString &text)
{
    if (!options.repeat) {
        say(text);
        finish(exitCode);
        return;
    }
    exitCode == ExitCode::updateDone ? ++updated : ++failed;
    say(QStringLiteral("Sensor %1: %2 (%3 updated, %4 failed)")
            .arg(updated + failed)
            .arg(text)
            .arg(updated)
            .arg(failed));
    // No later sensor could be updated with a package that is not there.
    if (stopSignal != 0 || exitCode == ExitCode::noUsablePackage) {
        finishBatch();
        return;
    }
    state = State::WaitingForNext;
    say("Waiting for the next sensor");
    poll.start();
}

void SensorUpdateSession::finishBatch()
{
    say(QStringLiteral("%1 updated, %2 failed").arg(updated).arg(failed));
    finish(updated > 0 && failed == 0 ? ExitCode::updateDone : ExitCode::errorOnUpdate);
}

void SensorUpdateSession::finish(int exitCode)
{
    poll.stop();
    state = State::Finished;
    emit finished(exitCode);
}

void SensorUpdateSession::say(const QString &line)
{
    out << line << Qt::endl;
}
