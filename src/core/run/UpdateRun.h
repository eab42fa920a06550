// One update run, from the press to its one outcome: the package it may wait for, the checks
// before anything touches the sensor, the sensor's lock and its holder record, the bootloader
// command and wait, the port search, the supervised flashing tool with its progress, and the
// run's record. It ends in exactly one outcome, emitted once (finished) with what it tells
// afterwards (report()); its owner then deletes it, and everything of the run goes with it.
#pragma once

#include "LockHolder.h"
#include "RunRecord.h"
#include "RunReport.h"
#include "SensorCensus.h"
#include "ToolSupervisor.h"
#include "ToolProgress.h"
#include "UpdateLock.h"
#include "UpdateTiming.h"
#include "RunOutcome.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <memory>

class FlashingToolProcess;
class ToolTurns;
class PackageDownload;
class UsbLink;

class UpdateRun : public QObject
{
    Q_OBJECT

public:
    struct Settings
    {
        QString package;
        UpdateTiming timing;
        // The sensor to update, by its USB place; empty: the one sensor connected, more than
        // one being refused.
        QString place;
        // Where the lock files are: the computer's folder, and the user's own where that one
        // cannot be used.
        QString lockFolder = UpdateLock::machineFolder();
        QString userLockFolder = UpdateLock::userFolder();
        // Where the flashing tool may run only so many times at once: the run waits its turn.
        ToolTurns *toolTurns = nullptr;
    };

    UpdateRun(UsbLink &usb, const Settings &settings, QObject *parent = nullptr);
    ~UpdateRun() override;

    // How a run whose flashing tool has ended ends, as its supervisor told (or did not).
    static Run::Outcome outcomeOf(const ToolSupervisor::Ending &ending);

    // The press. With awaited (the download of this run's package, still on its way), nothing
    // touches the sensor before it has ended.
    void start(PackageDownload *awaited = nullptr);
    // Drops a run that still waits for its package. False when it does not.
    bool withdraw();
    // Ends a run that has touched the sensor: its flashing tool is stopped, or its port search
    // given up. The run ends in ToolStopped.
    void stop();
    // The tool's time-out, as its timer fires.
    void stopAtTimeout();

    Run::Step step() const { return currentStep; }
    int progress() const { return currentProgress; }
    // What the run tells once it has ended.
    const RunReport &report() const { return told; }

signals:
    void stepChanged();
    // The sensor could not be opened for the bootloader command.
    void usbError(int error, const QString &errorName);
    // The bootloader's port, once found, and the flashing tool's process, once started.
    void portFound(const QString &portName);
    void toolStarted(QProcess *tool);
    void finished(Run::Outcome outcome);

private:
    enum class Stage
    {
        Created,
        WaitingForPackage,
        WaitingForBootloader, // the command sent, the port looked for after the wait
        Flashing,
        Ended
    };

    void onPackageArrived();
    void begin();
    bool checkPackageAndTool();
    bool takeSensor(const SensorCensus &census);
    bool takeLock();
    void writeHolder();
    void restartSensor();
    void lookForBootloaderPort();
    void flashWhenItsTurn();
    void runFlashingTool();
    void onToolStarted();
    void onToolError(QProcess::ProcessError error);
    void onToolFinished(int exitCode);
    void followToolProgress();
    void end(Run::Outcome outcome, const QString &detail = QString());
    void setStep(Run::Step next);
    void setProgress(int percent);

    UsbLink &usb;
    const Settings given;
    Stage stage = Stage::Created;
    RunRecord record;
    RunReport told;
    QString toolProgram;
    CensusSensor sensor;
    QStringList portsAtPress;
    QString portName;
    UpdateLock lock;
    LockHolder holder;
    std::unique_ptr<HolderRecord> holderRecord;
    QTimer portSearch; // the bootloader wait, then the retries
    QElapsedTimer portSearchSince;
    QTimer toolDeadline;
    QDeadlineTimer toolEndsBy; // from the tool's start: its time-out and grace
    QTimer progressPoll;       // reads the tool's output as it grows
    QPointer<FlashingToolProcess> tool;
    std::unique_ptr<ToolProgress> toolProgress;
    Run::Step currentStep = Run::NoStep;
    int currentProgress = -1;
};
