// Drives the Updater from a terminal, one sensor or a whole batch.
#include "SensorUpdateSession.h"

#include "Endpoints.h"
#include "FirmwarePackage.h"
#include "OutcomeWords.h"
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
const QString interrupted = QStringLiteral("Interrupted"); // stopped by a signal
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
    connect(&updater, &Updater::runEnded, this, &SensorUpdateSession::onRunEnded);
    connect(&updater, &Updater::packageDownloadFailed, this,
            &SensorUpdateSession::onDownloadFailed);
}

void SensorUpdateSession::start()
{
    const bool connected = updater.checkPodConnected();
    if (!connected && !options.repeat && options.waitSeconds < 0) {
        say(OutcomeWords::line(Updater::NoSensor, package, 0));
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
            beginUpdate();
        } else if (options.waitSeconds >= 0 &&
                   waitingSince.elapsed() >= qint64(options.waitSeconds) * 1000) {
            say(OutcomeWords::line(Updater::NoSensor, package, 0));
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
    const QString line = OutcomeWords::line(outcome, package, updater.toolTimeoutMs() / 1000);
    switch (outcome) {
    case Updater::UpdateAlreadyRunning:
    case Updater::MoreThanOneSensor:
        // Refused before any sensor was touched: not one of the batch's.
        say(line);
        finish(ExitCode::of(outcome));
        break;
    case Updater::ToolStopped:
        if (stoppingTool) {
            say(interrupted + QStringLiteral(". ") + OutcomeWords::waitsInBootloader());
            finish(ExitCode::interruptedBy(SIGINT));
            break;
        }
        Q_FALLTHROUGH();
    default:
        recordOutcome(ExitCode::of(outcome), line);
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
