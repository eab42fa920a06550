// Drives the Updater from a terminal, one sensor or a whole batch.
#include "SensorUpdateSession.h"

#include "Endpoints.h"
#include "Updater.h"
#include "UsbLink.h"

#include <QTextStream>
#include <utility>

namespace {
// As often as a person would look; the window polls every 1500 ms.
constexpr int pollIntervalMs = 500;
// A sensor that has just been flashed leaves its bootloader and starts its application: for a
// moment it is on no bus at all. Only a longer absence counts as unplugged.
constexpr int unplugSettleMs = 2000;
const char accessDenied[] = "Access denied: We couldn't access your sensor. Please disconnect "
                            "your sensor and make sure it's not open in any chrome tab";
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

void SensorUpdateSession::stop()
{
    if (std::exchange(stopRequested, true))
        return; // said once already
    if (state == State::Updating) {
        say("Stopping once the running update has ended");
        return;
    }
    if (state == State::Finished)
        return;
    if (options.repeat) {
        finishBatch();
        return;
    }
    say("Interrupted");
    finish(ExitCode::interrupted);
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
    const bool connected = updater.checkPodConnected();
    if (state == State::WaitingForSensor) {
        if (connected) {
            beginUpdate();
        } else if (options.waitSeconds >= 0 &&
                   waitingSince.elapsed() >= options.waitSeconds * 1000) {
            say("No sensor connected");
            options.repeat ? finishBatch() : finish(ExitCode::noSensor);
        }
    } else if (state == State::WaitingForUnplug) {
        if (connected)
            absentSince.invalidate();
        else if (!absentSince.isValid())
            absentSince.start();
        else if (absentSince.elapsed() >= unplugSettleMs)
            waitForSensor("Waiting for the next sensor");
    }
}

void SensorUpdateSession::beginUpdate()
{
    poll.stop();
    state = State::Updating;
    say("Updating the sensor with " + package);
    updater.updatePod(package);
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
    if (exitCode == 0)
        recordOutcome(ExitCode::updateDone, "Update done");
    else if (exitCode == Updater::noUsablePackage)
        recordOutcome(ExitCode::noUsablePackage, "No usable firmware package: " + package);
    else
        recordOutcome(ExitCode::errorOnUpdate, "Error on update");
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
    if (stopRequested || exitCode == ExitCode::noUsablePackage) {
        finishBatch();
        return;
    }
    state = State::WaitingForUnplug;
    absentSince.invalidate();
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
