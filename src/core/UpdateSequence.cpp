// Updater: one update run, from the checks at the press and the bootloader command to its one
// outcome.
#include "Updater.h"

#include "BootloaderPort.h"
#include "FirmwarePackage.h"
#include "FlashingTool.h"
#include "OutcomeWords.h"
#include "SensorCensus.h"

#include <QDebug>
#include <QFileInfo>
#include <QHash>
#include <QMetaEnum>
#include <QNetworkReply> // the download a run may wait for

void Updater::updatePod(QString firmwarePath)
{
    // This program's own run reports its outcome; a second would start a second flashing tool
    // on the same port.
    if (isRunning()) {
        qDebug() << "Update already running";
        return;
    }
    // Every run is told afterwards, a refused one too.
    record.begin(firmwarePath);
    if (!takeLock())
        return;
    // The package the window starts downloading at start-up may still be on its way.
    if (firmwareDownload && isDownloadedPackage(firmwarePath)) {
        setStage(Stage::WaitingForDownload);
        setStep(WaitingForPackage);
        runPackage = firmwarePath;
        return;
    }
    beginRun(firmwarePath);
}

// Before anything touches the sensor: on this computer, another program may be flashing it.
bool Updater::takeLock()
{
    switch (lock.tryLock()) {
    case UpdateLock::Result::Taken:
        holder = LockHolder::ofThisProgram();
        holderRecord = std::make_unique<HolderRecord>(lock.path());
        writeHolder();
        return true;
    case UpdateLock::Result::HeldElsewhere: {
        const QString who = LockHolder::current(lock.path()).describe();
        if (who.isEmpty())
            qDebug() << "Update already running";
        else
            qDebug().noquote() << "Update already running:" << who;
        endRun(UpdateAlreadyRunning, who);
        return false;
    }
    case UpdateLock::Result::Unusable:
        break;
    }
    qDebug().noquote() << "Update lock unusable:" << lock.problem();
    endRun(LockUnavailable, lock.problem());
    return false;
}

void Updater::writeHolder()
{
    // Only ever told to whoever finds the lock taken: a record that cannot be written never
    // stops an update.
    QString error;
    if (holderRecord && !holderRecord->write(holder, &error) && !saidHolderFails) {
        saidHolderFails = true;
        qDebug().noquote() << "Cannot say beside" << lock.path() << "who holds it:" << error;
    }
}

void Updater::beginRun(const QString &firmwarePath)
{
    setStage(Stage::WaitingForBootloader);
    runPackage = firmwarePath;
    // Checked before the sensor is touched: a sensor sent into its bootloader without a package
    // to flash, or without a tool to flash it, would be left there.
    if (!FirmwarePackage::isZipFile(firmwarePath)) {
        qDebug() << "No usable firmware package:" << firmwarePath;
        endRun(NoUsablePackage);
        return;
    }
    toolProgram = flashingToolProgram();
    if (toolProgram.isEmpty()) {
        qDebug().noquote() << "No flashing tool found:" << flashingToolName();
        endRun(NoFlashingTool);
        return;
    }
    // The command would go to one of them, and the tool might flash another.
    const SensorCensus census = SensorCensus::take(usbLink);
    if (census.count() > 1) {
        qDebug() << "More than one sensor connected";
        endRun(MoreThanOneSensor);
        return;
    }
    sensorAtPress = census.sensor();
    portsAtPress = census.portNames();
    record.setSensor(sensorAtPress.serialNumber, sensorAtPress.portPath);
    portSearchSince.invalidate();
    if (census.waitsInBootloader()) {
        // No command to send and no restart to wait for: straight to its port.
        qDebug() << "Sensor already in its bootloader";
        qDebug() << "Firmware path:" << firmwarePath;
        portName = census.bootloaderPorts().first().name;
        runFlashingTool(firmwarePath);
        return;
    }
    // Any other failure goes on: the sensor may be waiting in its bootloader by now, or be
    // just re-enumerating; the port search decides. Access denied was shown to the user, and the
    // sensor cannot have restarted.
    setStep(RestartingSensor);
    if (!sendBootloaderCommand()) {
        record.addNote(OutcomeWords::usbErrorMeaning(usbLink.lastError()));
        if (usbLink.lastError() == UsbLink::errorAccess) {
            endRun(AccessDenied);
            return;
        }
    }
    qDebug() << "Firmware path:" << firmwarePath;
    portSearchTimer.start(timing.bootloaderWaitMs);
}

bool Updater::isDownloadedPackage(const QString &firmwarePath) const
{
    return QFileInfo(firmwarePath).absoluteFilePath() == QFileInfo(packageFile).absoluteFilePath();
}

void Updater::lookForBootloaderPort()
{
    if (!portSearchSince.isValid())
        portSearchSince.start();
    setStep(LookingForBootloader);
    // Only the bootloader of the sensor that got the command: one that another sensor left
    // waiting would be flashed in its place, and the commanded one stranded.
    const QString port = portOfSensor(bootloaderPorts(), sensorAtPress.portPath, portsAtPress);
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
    endRun(NoBootloaderPort);
}

void Updater::runFlashingTool(const QString &firmwarePath)
{
    const QStringList arguments = flashingToolArguments(firmwarePath, portName);
    qDebug() << "Arguments: " << arguments;

    // Owned by the Updater, so that one never released would show among its children.
    auto *tool = new FlashingToolProcess(this);
    process = tool;
    setStage(Stage::Flashing);
    setStep(WritingFirmware);
    toolProgress = std::make_unique<ToolProgress>(tool->outputFile());
    progressPoll.start();
    connect(tool, SIGNAL(finished(int)), this, SLOT(processFinished(int)));
    connect(
        tool, &QProcess::started, this, [this, tool] { onToolStarted(tool); },
        Qt::DirectConnection);
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
                endRun(ToolNotStarted);
        },
        Qt::DirectConnection);
    toolDeadline.start(timing.toolTimeoutMs);
    // The tool shares the lock: were this program killed mid-flash, no other could start on
    // the sensor before the tool has ended.
    lock.setInheritable(true);
    tool->startTool(toolProgram, arguments, timing.toolTimeoutMs, timing.toolStopGraceMs);
    lock.setInheritable(false);
}

void Updater::onToolStarted(FlashingToolProcess *tool)
{
    qDebug() << "Started util";
    holder.port = portName;
    holder.supervisorPid = tool->processId();
    holder.deadline = QDateTime::currentDateTime().addMSecs(timing.toolTimeoutMs);
    writeHolder();
}

void Updater::onToolTimeout()
{
    if (!process)
        return;
    qDebug() << "Flashing tool still running after" << timing.toolTimeoutMs / 1000
             << "s, stopping it";
    process->stop();
}

void Updater::stopUpdate()
{
    if (stage == Stage::Flashing && process) {
        qDebug() << "Stopping the flashing tool";
        process->stop();
    } else if (stage == Stage::WaitingForBootloader) {
        qDebug() << "Update stopped";
        endRun(ToolStopped);
    }
}

bool Updater::withdrawWaitingRun()
{
    if (stage != Stage::WaitingForDownload)
        return false;
    keepRecord(QStringLiteral("Withdrawn"), tr("Withdrawn before the sensor was touched"), 0);
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
    // The supervisor tells how the tool ended; without its word (killed itself), its own exit
    // is all there is.
    const ToolSupervisor::Ending ending = tool ? tool->ending() : ToolSupervisor::Ending();
    if (tool)
        tool->deleteLater();
    if (ending.known && !ending.started) {
        qDebug() << "Error occured" << QProcess::FailedToStart;
        endRun(ToolNotStarted);
        return;
    }
    const int code = ending.known ? ending.code : exitCode;
    qDebug() << "Update done, Exit code:" << code;
    if (tool) { // deleted only once back in the event loop
        const QByteArray output = tool->output();
        const QByteArray errors = tool->errors();
        qDebug() << output;
        qDebug() << errors;
        qDebug() << tool->workingDirectory();
        record.setToolOutput(output, errors);
    }
    if (ending.stopped)
        endRun(ToolStopped);
    else
        endToolRun(code);
}

void Updater::endRun(Outcome outcome, const QString &outcomeDetail)
{
    static const QHash<int, int> codes{
        {NoBootloaderPort, noBootloaderPort},         {ToolNotStarted, toolNotStarted},
        {NoUsablePackage, noUsablePackage},           {ToolStopped, toolStopped},
        {UpdateAlreadyRunning, updateAlreadyRunning}, {MoreThanOneSensor, moreThanOneSensor},
        {LockUnavailable, lockUnavailable},           {NoFlashingTool, noFlashingTool}};
    detail = outcomeDetail;
    // Access denied has been said by usbError; the Parts' QML knows no code for it.
    announceEnd(outcome, codes.value(outcome), outcome != AccessDenied);
}

void Updater::endToolRun(int exitCode)
{
    detail.clear();
    // The tool's code is handed on unchanged, whatever it is: it never reads as one of ours.
    announceEnd(exitCode == 0 ? Done : ToolFailed, exitCode, true);
}

void Updater::announceEnd(Outcome outcome, int exitCode, bool withCode)
{
    lastCode = exitCode;
    keepRecord(QString::fromLatin1(QMetaEnum::fromType<Outcome>().valueToKey(outcome)),
               OutcomeWords::title(outcome), exitCode);
    // Released first: whoever hears the outcome may start the next run at once.
    releaseRun();
    if (withCode)
        emit updateDone(exitCode);
    emit runEnded(outcome);
}

void Updater::releaseRun()
{
    portSearchTimer.stop();
    toolDeadline.stop();
    progressPoll.stop();
    toolProgress.reset();
    runPackage.clear();
    if (lock.isLocked()) {
        // Before the lock goes: the next holder may be another program of this user.
        holderRecord.reset();
        lock.unlock();
    }
    setStage(Stage::Idle);
    setStep(NoStep);
}

void Updater::setStage(Stage next)
{
    const bool wasRunning = isRunning();
    stage = next;
    if (isRunning() != wasRunning)
        emit runningChanged();
}

QString Updater::outcomeTitle(int outcome) const
{
    return OutcomeWords::title(Outcome(outcome));
}

QString Updater::outcomeText(int outcome) const
{
    return OutcomeWords::text(Outcome(outcome), detail);
}
