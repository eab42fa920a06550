// Updater: one update run, from the package check and the bootloader command to its one outcome.
#include "Updater.h"

#include "BootloaderPort.h"
#include "Endpoints.h"
#include "FirmwarePackage.h"
#include "FlashingTool.h"
#include "OutcomeWords.h"
#include "SensorIds.h"

#include <QDebug>
#include <QFileInfo>
#include <QNetworkReply>
#include <algorithm>

void Updater::updatePod(QString firmwarePath)
{
    // One run at a time: in this program (whose run will report its own outcome), and, before
    // anything touches the sensor, on this computer, where another program may be flashing it.
    const bool runningHere = isRunning();
    if (runningHere || !lock.tryLock()) {
        qDebug() << "Update already running";
        if (!runningHere) {
            emit updateDone(updateAlreadyRunning);
            emit runEnded(UpdateAlreadyRunning);
        }
        return;
    }
    // The package the window starts downloading at start-up may still be on its way.
    if (firmwareDownload && isDownloadedPackage(firmwarePath)) {
        setStage(Stage::WaitingForDownload);
        runPackage = firmwarePath;
        return;
    }
    beginRun(firmwarePath);
}

void Updater::beginRun(const QString &firmwarePath)
{
    setStage(Stage::WaitingForBootloader);
    runPackage = firmwarePath;
    // Checked before the sensor is touched: a sensor sent into its bootloader without a package
    // to flash would be left there.
    if (!FirmwarePackage::isZipFile(firmwarePath)) {
        qDebug() << "No usable firmware package:" << firmwarePath;
        endRun(noUsablePackage);
        return;
    }
    // The command would go to one of them, and the tool flash the first port found.
    if (moreThanOneSensorConnected()) {
        qDebug() << "More than one sensor connected";
        endRun(moreThanOneSensor);
        return;
    }
    portSearchSince.invalidate();
    if (sensorWaitsInBootloader()) {
        // No command to send and no restart to wait for: straight to its port.
        qDebug() << "Sensor already in its bootloader";
        lookForBootloaderPort();
        return;
    }
    // Any other failure goes on: the sensor may be waiting in its bootloader by now, or be
    // just re-enumerating; the port search decides. Access denied was shown to the user, and the
    // sensor cannot have restarted.
    if (!sendBootloaderCommand() && usbLink.lastError() == UsbLink::errorAccess) {
        endRunAccessDenied();
        return;
    }
    qDebug() << "Firmware path:" << firmwarePath;
    portSearchTimer.start(timing.bootloaderWaitMs);
}

bool Updater::moreThanOneSensorConnected()
{
    using namespace SensorIds;
    const int bootloaders = std::max(usbLink.countDevices(vendorId, {bootloaderProductId}),
                                     int(bootloaderPorts().size()));
    return usbLink.countDevices(vendorId, {applicationProductId}) > 1 || bootloaders > 1;
}

bool Updater::sensorWaitsInBootloader()
{
    return !usbLink.isSensorPresent(SensorIds::vendorId, SensorIds::applicationProductId) &&
           !findBootloaderPort().isEmpty();
}

bool Updater::isDownloadedPackage(const QString &firmwarePath) const
{
    return QFileInfo(firmwarePath).absoluteFilePath() ==
           QFileInfo(Endpoints::packagePath()).absoluteFilePath();
}

void Updater::lookForBootloaderPort()
{
    if (!portSearchSince.isValid())
        portSearchSince.start();
    const QString port = findBootloaderPort();
    if (!port.isEmpty()) {
        portName = port;
        runFlashingTool(runPackage);
        return;
    }
    if (portSearchSince.elapsed() < timing.portRetryWindowMs) {
        portSearchTimer.start(timing.portRetryIntervalMs);
        return;
    }
    qDebug() << "No bootloader port found";
    endRun(noBootloaderPort);
}

void Updater::runFlashingTool(const QString &firmwarePath)
{
    const QStringList arguments = flashingToolArguments(firmwarePath, portName);
    qDebug() << "Arguments: " << arguments;

    // Owned by the Updater, so that one never released would show among its children.
    auto *tool = new FlashingToolProcess(this);
    process = tool;
    setStage(Stage::Flashing);
    connect(tool, SIGNAL(finished(int)), this, SLOT(processFinished(int)));
    connect(
        tool, &QProcess::started, tool, [] { qDebug() << "Started util"; }, Qt::DirectConnection);
    connect(
        tool, &QProcess::errorOccurred, tool,
        [this, tool](QProcess::ProcessError error) {
            qDebug() << "Error occured" << error;
            // A tool that still runs (or has just crashed) ends through processFinished, which
            // reports it; one that never started must be reported here.
            if (tool->state() != QProcess::NotRunning)
                return;
            tool->deleteLater();
            if (error == QProcess::FailedToStart)
                endRun(toolNotStarted);
        },
        Qt::DirectConnection);
    toolDeadline.start(timing.toolTimeoutMs);
    // The tool shares the lock: were this program killed mid-flash, no other could start on
    // the sensor before the tool has ended.
    lock.setInheritable(true);
    tool->start(flashingToolProgram(), arguments, QIODevice::ReadWrite);
    lock.setInheritable(false);
}

void Updater::onToolTimeout()
{
    if (!process)
        return;
    qDebug() << "Flashing tool still running after" << timing.toolTimeoutMs / 1000
             << "s, stopping it";
    process->stop(timing.toolStopGraceMs);
}

void Updater::stopUpdate()
{
    if (stage == Stage::Flashing && process) {
        qDebug() << "Stopping the flashing tool";
        process->stop(timing.toolStopGraceMs);
    } else if (stage == Stage::WaitingForBootloader) {
        qDebug() << "Update stopped";
        endRun(toolStopped);
    }
}

bool Updater::withdrawWaitingRun()
{
    if (stage != Stage::WaitingForDownload)
        return false;
    releaseRun();
    return true;
}

void Updater::processFinished(int exitCode)
{
    auto *tool = qobject_cast<FlashingToolProcess *>(sender());
    // Called by hand: a run that is going belongs to its own tool, which is left alone.
    if (!tool && stage != Stage::Idle)
        return;
    if (!tool)
        tool = process;
    qDebug() << "Update done, Exit code:" << exitCode;
    const bool stopped = tool && tool->isStopping();
    if (tool) {
        qDebug() << tool->output();
        qDebug() << tool->errors();
        qDebug() << tool->workingDirectory();
        tool->endLeftovers();
        tool->deleteLater();
    }
    endRun(stopped ? toolStopped : exitCode);
}

void Updater::endRun(int exitCode)
{
    // Released first: whoever hears the outcome may start the next run at once.
    releaseRun();
    emit updateDone(exitCode);
    emit runEnded(outcomeOfExitCode(exitCode));
}

void Updater::endRunAccessDenied()
{
    releaseRun();
    emit runEnded(AccessDenied);
}

void Updater::releaseRun()
{
    portSearchTimer.stop();
    toolDeadline.stop();
    runPackage.clear();
    lock.unlock();
    setStage(Stage::Idle);
}

void Updater::setStage(Stage next)
{
    const bool wasRunning = isRunning();
    stage = next;
    if (isRunning() != wasRunning)
        emit runningChanged();
}

Updater::Outcome Updater::outcomeOfExitCode(int exitCode)
{
    switch (exitCode) {
    case 0:
        return Done;
    case noBootloaderPort:
        return NoBootloaderPort;
    case toolNotStarted:
        return ToolNotStarted;
    case noUsablePackage:
        return NoUsablePackage;
    case toolStopped:
        return ToolStopped;
    case updateAlreadyRunning:
        return UpdateAlreadyRunning;
    case moreThanOneSensor:
        return MoreThanOneSensor;
    default:
        return ToolFailed;
    }
}

QString Updater::outcomeTitle(int outcome) const
{
    return OutcomeWords::title(Outcome(outcome));
}

QString Updater::outcomeText(int outcome) const
{
    return OutcomeWords::text(Outcome(outcome));
}
