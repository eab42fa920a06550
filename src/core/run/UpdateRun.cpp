// One update run, from the press to its one outcome (see UpdateRun.h).
#include "UpdateRun.h"

#include "BootloaderCommand.h"
#include "BootloaderPort.h"
#include "FirmwarePackage.h"
#include "FlashingTool.h"
#include "InheritedLock.h"
#include "OutcomeCodes.h"
#include "OutcomeWords.h"
#include "PackageDownload.h"
#include "RunHistory.h"
#include "RunMoments.h"
#include "ToolTurns.h"
#include "UsbLink.h"

#include <QDebug>
#include <QMetaEnum>

namespace {
// Of the flashing tool's output, for a terminal after a failure.
constexpr int toolTailLines = 10;

QString outcomeName(Run::Outcome outcome)
{
    return QString::fromLatin1(QMetaEnum::fromType<Run::Outcome>().valueToKey(outcome));
}

// Said once for as long as the program runs: a record or a history that cannot be written never
// stops an update, and is not worth a line per run.
void sayOnce(bool *said, const QString &line)
{
    if (*said)
        return;
    *said = true;
    qDebug().noquote() << line;
}
} // namespace

UpdateRun::UpdateRun(UsbLink &usb, const Settings &settings, QObject *parent)
    : QObject(parent)
    , usb(usb)
    , given(settings)
    , lock(settings.lockFolder, settings.userLockFolder)
{
    portSearch.setSingleShot(true);
    // The sensor's 3000 ms may come a little early from a coarse timer: the port search's
    // retries cover that.
    portSearch.setTimerType(Qt::CoarseTimer);
    connect(&portSearch, &QTimer::timeout, this, [this] {
        const RunRecord::Scope scope(record);
        lookForBootloaderPort();
    });
    toolDeadline.setSingleShot(true);
    connect(&toolDeadline, &QTimer::timeout, this, &UpdateRun::stopAtTimeout);
    // Often enough for a bar that moves smoothly, seldom enough to cost nothing.
    progressPoll.setInterval(200);
    connect(&progressPoll, &QTimer::timeout, this, &UpdateRun::followToolProgress);
}

UpdateRun::~UpdateRun()
{
    // A tool still flashing (the program is ending) is let finish: its process object would
    // kill its supervisor when deleted, and with it the tool's time-out.
    if (tool && tool->state() != QProcess::NotRunning) {
        tool->disconnect(this);
        tool->setParent(nullptr);
    }
}

void UpdateRun::start(PackageDownload *awaited)
{
    // Every run is told afterwards, a refused one too.
    record.begin(given.package);
    const RunRecord::Scope scope(record);
    if (!awaited) {
        begin();
        return;
    }
    stage = Stage::WaitingForPackage;
    setStep(Run::WaitingForPackage);
    connect(awaited, &PackageDownload::progressed, this, &UpdateRun::setProgress);
    connect(awaited, &PackageDownload::ended, this, &UpdateRun::onPackageArrived);
}

void UpdateRun::onPackageArrived()
{
    const RunRecord::Scope scope(record);
    if (stage == Stage::WaitingForPackage)
        begin();
}

void UpdateRun::begin()
{
    stage = Stage::WaitingForBootloader;
    if (!checkPackageAndTool())
        return;
    const SensorCensus census = SensorCensus::take(usb);
    if (!takeSensor(census) || !takeLock())
        return;
    told.sensor = sensor.id;
    record.setSensor(sensor.id.serialNumber, sensor.id.portPath);
    portsAtPress = census.portNames();
    if (!sensor.waitsInBootloader()) {
        restartSensor();
        return;
    }
    // No command to send and no restart to wait for: straight to its port.
    qDebug() << "Sensor already in its bootloader";
    qDebug() << "Firmware path:" << given.package;
    portName = sensor.ports.first().name;
    emit portFound(portName);
    flashWhenItsTurn();
}

// Before the sensor is touched: a sensor sent into its bootloader without a package to flash, or
// without a tool to flash it, would be left there.
bool UpdateRun::checkPackageAndTool()
{
    if (!FirmwarePackage::isZipFile(given.package)) {
        qDebug() << "No usable firmware package:" << given.package;
        end(Run::NoUsablePackage);
        return false;
    }
    toolProgram = flashingToolProgram();
    if (toolProgram.isEmpty()) {
        qDebug().noquote() << "No flashing tool found:" << flashingToolName();
        end(Run::NoFlashingTool);
        return false;
    }
    return true;
}

bool UpdateRun::takeSensor(const SensorCensus &census)
{
    if (given.place.isEmpty()) {
        // The command would go to one of them, and the tool might flash another.
        if (census.count() > 1) {
            qDebug() << "More than one sensor connected";
            end(Run::MoreThanOneSensor);
            return false;
        }
        // None at all: the command finds none either, and the port search decides.
        sensor = census.sensors().value(0);
        return true;
    }
    for (const CensusSensor &found : census.sensors()) {
        if (found.id.portPath == given.place) {
            sensor = found;
            return true;
        }
    }
    qDebug().noquote() << "No sensor connected at" << given.place;
    end(Run::NoSensor);
    return false;
}

// On this computer, another program may be updating this sensor; a sensor whose place is not
// known takes the whole computer.
bool UpdateRun::takeLock()
{
    switch (lock.tryLock(sensor.id.portPath)) {
    case UpdateLock::Result::Taken:
        if (!lock.thisUserOnly().isEmpty()) {
            told.caveat = OutcomeWords::lockOfThisUserOnly(lock.thisUserOnly());
            record.addNote(
                OutcomeWords::lockOfThisUserOnly(lock.thisUserOnly(), OutcomeWords::English),
                told.caveat);
        }
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
        end(Run::UpdateAlreadyRunning, who);
        return false;
    }
    case UpdateLock::Result::Unusable:
        break;
    }
    qDebug().noquote() << "Update lock unusable:" << lock.problem();
    end(Run::LockUnavailable, lock.problem());
    return false;
}

void UpdateRun::writeHolder()
{
    static bool said = false;
    QString error;
    if (!holderRecord->write(holder, &error))
        sayOnce(&said,
                QStringLiteral("Cannot say beside %1 who holds it: %2").arg(lock.path(), error));
}

// Any failure but access denied goes on: the sensor may be waiting in its bootloader by now, or
// be just re-enumerating; the port search decides. Denied, the sensor cannot have restarted.
void UpdateRun::restartSensor()
{
    setStep(Run::RestartingSensor);
    const bool sent =
        BootloaderCommand::send(usb, sensor.id.portPath, given.timing.bootloaderWriteTimeoutMs);
    RunMoments::mark("command-sent");
    if (!sent) {
        const int error = usb.lastError();
        const QString errorName = QString::fromLatin1(usb.lastErrorName());
        record.addNote(OutcomeWords::usbErrorMeaning(error, OutcomeWords::English),
                       OutcomeWords::usbErrorMeaning(error));
        emit usbError(error, errorName);
        if (error == UsbLink::errorAccess) {
            end(Run::AccessDenied);
            return;
        }
    }
    qDebug() << "Firmware path:" << given.package;
    portSearchSince.invalidate();
    portSearch.start(given.timing.bootloaderWaitMs);
    // The wait is the run's idle time: the package it has fixed is read for the record now.
    record.describePackage();
}

void UpdateRun::lookForBootloaderPort()
{
    if (!portSearchSince.isValid()) {
        RunMoments::mark("wait-over");
        portSearchSince.start();
    }
    setStep(Run::LookingForBootloader);
    // Only the bootloader of the sensor that got the command: one that another sensor left
    // waiting would be flashed in its place, and the commanded one stranded.
    const QString port =
        portOfSensor(bootloaderPorts(), sensor.id.portPath, portsAtPress, !given.place.isEmpty());
    if (!port.isEmpty()) {
        portName = port;
        emit portFound(portName);
        flashWhenItsTurn();
        return;
    }
    if (portSearchSince.elapsed() < given.timing.portRetryWindowMs) {
        portSearch.start(given.timing.portRetryIntervalMs);
        return;
    }
    qDebug() << "No bootloader port found";
    end(Run::NoBootloaderPort);
}

void UpdateRun::flashWhenItsTurn()
{
    if (!given.toolTurns) {
        runFlashingTool();
        return;
    }
    setStep(Run::WaitingForTool);
    given.toolTurns->request(this, [this] {
        const RunRecord::Scope scope(record);
        if (stage == Stage::WaitingForBootloader)
            runFlashingTool();
    });
}

void UpdateRun::runFlashingTool()
{
    const QStringList arguments = flashingToolArguments(given.package, portName);
    qDebug() << "Arguments: " << arguments;
    tool = new FlashingToolProcess(this);
    stage = Stage::Flashing;
    setStep(Run::WritingFirmware);
    toolProgress = std::make_unique<ToolProgress>(
        [tool = tool](qint64 offset) { return tool ? tool->outputFrom(offset) : QByteArray(); });
    progressPoll.start();
    connect(tool, QOverload<int, QProcess::ExitStatus>::of(&QProcess::finished), this,
            &UpdateRun::onToolFinished);
    connect(tool, &QProcess::started, this, &UpdateRun::onToolStarted);
    connect(tool, &QProcess::errorOccurred, this, &UpdateRun::onToolError);
    // The tool shares the lock: were this program killed mid-flash, no other could start on
    // the sensor before the tool has ended.
    lock.setInheritable(true);
    QString error;
    const bool started = tool->startTool(toolProgram, arguments, given.timing.toolTimeoutMs,
                                         given.timing.toolStopGraceMs, &error);
    lock.setInheritable(false);
    if (!started) {
        qDebug().noquote() << "Cannot make the files of the flashing tool's output:" << error;
        end(Run::ToolNotStarted);
    }
}

void UpdateRun::onToolStarted()
{
    const RunRecord::Scope scope(record);
    qDebug() << "Started util";
    holder.port = portName;
    holder.supervisorPid = tool->processId();
    holder.deadline = QDateTime::currentDateTime().addMSecs(given.timing.toolTimeoutMs);
    // From the supervisor's start, as its own deadline: a stop is no longer lost while it
    // starts, so a deadline counted from before would cut a slow start's tool short.
    toolDeadline.start(given.timing.toolTimeoutMs);
    toolEndsBy.setRemainingTime(given.timing.toolTimeoutMs + given.timing.toolStopGraceMs);
    writeHolder();
    emit toolStarted(tool);
    record.describePackage();
}

void UpdateRun::onToolError(QProcess::ProcessError error)
{
    const RunRecord::Scope scope(record);
    qDebug() << "Error occured" << error;
    // A tool that still runs (or has just crashed) ends through its finish, which reports it;
    // one that never started must be reported here.
    if (error == QProcess::FailedToStart && tool->state() == QProcess::NotRunning &&
        stage == Stage::Flashing)
        end(Run::ToolNotStarted);
}

void UpdateRun::onToolFinished(int)
{
    RunMoments::mark("tool-ended");
    const RunRecord::Scope scope(record);
    if (stage != Stage::Flashing)
        return;
    // The supervisor tells how the tool ended. Killed itself, it has said nothing, and the tool
    // may still run, without its deadline.
    const ToolSupervisor::Ending ending = tool->ending();
    const Run::Outcome outcome = outcomeOf(ending);
    if (outcome == Run::SupervisorLost) {
        qDebug().noquote() << OutcomeWords::supervisorLost(OutcomeWords::English);
        end(outcome);
        return;
    }
    if (outcome == Run::ToolNotStarted) {
        qDebug() << "Error occured" << QProcess::FailedToStart;
        end(outcome);
        return;
    }
    qDebug() << "Update done, Exit code:" << ending.code;
    const QByteArray output = tool->output();
    const QByteArray errors = tool->errors();
    {
        // Logged whole, as it always was, but kept apart from the run's log lines: the record
        // keeps the output once, and its details show the end of it.
        const RunRecord::Aside aside;
        qDebug() << output;
        qDebug() << errors;
        qDebug() << tool->workingDirectory();
    }
    record.setToolOutput(output, errors);
    if (outcome == Run::ToolStopped) {
        end(outcome);
        return;
    }
    told.toolEnded = true;
    told.toolExitCode = ending.crashed ? 0 : ending.code;
    told.toolSignal = ending.crashed ? ending.code : 0;
    // The tool's code is handed on unchanged, whatever it is: it never reads as one of ours.
    told.updateDoneCode = ending.code;
    record.setToolEnding(told.toolExitCode, told.toolSignal);
    if (ending.crashed)
        record.addNote(OutcomeWords::toolCrashed(ending.code, OutcomeWords::English),
                       OutcomeWords::toolCrashed(ending.code));
    end(outcome);
}

Run::Outcome UpdateRun::outcomeOf(const ToolSupervisor::Ending &ending)
{
    if (!ending.known)
        return Run::SupervisorLost;
    if (!ending.started)
        return Run::ToolNotStarted;
    if (ending.stopped)
        return Run::ToolStopped;
    // Any other code is the tool's own, whatever its value: none of it reads as one of ours.
    return ending.code == 0 && !ending.crashed ? Run::Done : Run::ToolFailed;
}

void UpdateRun::stopAtTimeout()
{
    const RunRecord::Scope scope(record);
    if (!tool || stage != Stage::Flashing)
        return;
    qDebug() << "Flashing tool still running after" << given.timing.toolTimeoutMs / 1000
             << "s, stopping it";
    tool->stop();
}

void UpdateRun::stop()
{
    const RunRecord::Scope scope(record);
    if (stage == Stage::Flashing && tool) {
        qDebug() << "Stopping the flashing tool";
        tool->stop();
    } else if (stage == Stage::WaitingForBootloader) {
        qDebug() << "Update stopped";
        end(Run::ToolStopped);
    }
}

bool UpdateRun::withdraw()
{
    if (stage != Stage::WaitingForPackage)
        return false;
    const RunRecord::Scope scope(record);
    end(Run::Withdrawn);
    return true;
}

void UpdateRun::followToolProgress()
{
    if (toolProgress && toolProgress->update())
        setProgress(toolProgress->percent());
}

// Every run ends here, and only here, once.
void UpdateRun::end(Run::Outcome outcome, const QString &detail)
{
    if (stage == Stage::Ended)
        return;
    stage = Stage::Ended;
    portSearch.stop();
    toolDeadline.stop();
    progressPoll.stop();
    toolProgress.reset();
    if (outcome == Run::SupervisorLost)
        record.addNote(OutcomeWords::supervisorLost(OutcomeWords::English),
                       OutcomeWords::supervisorLost());
    told.outcome = outcome;
    told.detail = detail;
    told.port = portName;
    if (!told.toolEnded)
        told.updateDoneCode = OutcomeCodes::updateDoneCode(outcome);
    // The history and the log keep the English words, whatever the user reads.
    record.end(outcomeName(outcome), OutcomeWords::title(outcome, OutcomeWords::English));
    told.details = record.details();
    told.toolTail = record.toolTail(toolTailLines);
    static bool saidHistoryFails = false;
    QString error;
    if (!RunHistory::keep(record, &error))
        sayOnce(&saidHistoryFails, QStringLiteral("Cannot keep the history of updates: ") + error);
    // A tool whose supervisor was lost may run on, holding the lock it inherited, and with no
    // one left to stop it: its turn goes with it, or at the deadline its supervisor would have
    // kept.
    const bool toolMayRun = outcome == Run::SupervisorLost;
    const InheritedLock toolsLock(toolMayRun ? lock.path() : QString());
    // Given back before the outcome is told: whoever hears it may start the next run at once.
    holderRecord.reset();
    lock.unlock();
    if (given.toolTurns && toolMayRun)
        given.toolTurns->keepWhile(
            this, [toolsLock] { return toolsLock.isHeld(); }, toolEndsBy);
    else if (given.toolTurns)
        given.toolTurns->release(this);
    setStep(Run::NoStep);
    emit finished(outcome);
}

void UpdateRun::setStep(Run::Step next)
{
    if (next != currentStep)
        record.enterStep(OutcomeWords::stepKey(next));
    if (next == currentStep && currentProgress < 0)
        return;
    currentStep = next;
    currentProgress = -1;
    emit stepChanged();
}

void UpdateRun::setProgress(int percent)
{
    if (percent == currentProgress)
        return;
    currentProgress = percent;
    emit stepChanged();
}
