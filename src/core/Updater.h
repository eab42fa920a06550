// Updater: the program's logic, published to QML as "updater" and driven by the console
// program. Every run ends in exactly one outcome (runEnded), which every front-end reads.
#pragma once

#include "LockHolder.h"
#include "RunRecord.h"
#include "ToolProgress.h"
#include "UpdateLock.h"
#include "UpdateTiming.h"
#include "UsbLink.h"

#include <QElapsedTimer>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class FlashingToolProcess;

class Updater : public QObject
{
    Q_OBJECT
    // From the press that starts a run to the run's one outcome.
    Q_PROPERTY(bool running READ isRunning NOTIFY runningChanged)
    // Where the downloaded package is kept, as updatePod takes it.
    Q_PROPERTY(QString packagePath READ packagePath CONSTANT)
    // What the run is doing now (a Step), how far it has got (0 to 100; -1 while that is not
    // known), and both in words.
    Q_PROPERTY(int step READ step NOTIFY stepChanged)
    Q_PROPERTY(int progress READ progress NOTIFY stepChanged)
    Q_PROPERTY(QString stepText READ stepText NOTIFY stepChanged)
    // Where each run's log is kept.
    Q_PROPERTY(QUrl logFolder READ logFolder CONSTANT)

public:
    // One value per way a run ends; their words are OutcomeWords'.
    enum Outcome
    {
        Done,
        ToolFailed, // the tool's exit code was not 0, or it crashed
        NoSensor,   // found by a front-end before it asks for a run
        AccessDenied,
        NoUsablePackage,
        NoBootloaderPort,
        ToolNotStarted,
        ToolStopped, // after its time-out, or when asked to stop
        UpdateAlreadyRunning,
        MoreThanOneSensor,
        LockUnavailable, // the lock that keeps updates apart cannot be used
        NoFlashingTool
    };
    Q_ENUM(Outcome)

    enum Step
    {
        NoStep,
        WaitingForPackage, // its download, started with the program, is still on its way
        RestartingSensor,
        LookingForBootloader,
        WritingFirmware
    };
    Q_ENUM(Step)

    // updateDone codes of runs that ended without a code of the flashing tool. They are only
    // numbers for updateDone: the outcome of every run is runEnded's, whatever the tool's code.
    static constexpr int noBootloaderPort = -1;
    static constexpr int toolNotStarted = -2;
    static constexpr int noUsablePackage = -3;
    static constexpr int toolStopped = -4;          // after its time-out, or when asked to stop
    static constexpr int updateAlreadyRunning = -5; // in another program on this computer
    static constexpr int moreThanOneSensor = -6;
    static constexpr int lockUnavailable = -7;
    static constexpr int noFlashingTool = -8;

    // Where the downloaded package is kept: the window keeps it in "dl" below its working
    // folder where that folder can hold it; the console program always in the user's own.
    enum class PackageHome
    {
        WorkingFolderFirst,
        UserFolder
    };

    explicit Updater(QObject *parent = nullptr,
                     PackageHome packageHome = PackageHome::WorkingFolderFirst);
    ~Updater() override;

    // False when the sensor could not be opened (usbError has been emitted).
    bool sendBootloaderCommand();

    // The sensors on the bus, running or waiting in their bootloader, as batch updates tell one
    // from the next.
    QList<UsbDeviceId> connectedSensors();

    // Drops a run that still waits for its package download: nothing has touched the sensor
    // yet. False when there is no such run.
    Q_INVOKABLE bool withdrawWaitingRun();
    // Ends a run that has touched the sensor: its flashing tool is stopped, or its port search
    // given up. The run ends in updateDone(toolStopped).
    void stopUpdate();

    int toolTimeoutMs() const { return timing.toolTimeoutMs; }
    void setToolTimeoutMs(int milliseconds) { timing.toolTimeoutMs = milliseconds; }

    bool isRunning() const { return stage != Stage::Idle; }
    QString packagePath() const { return packageFile; }
    // The sensor of the last run, as it was on USB when the run began.
    UsbDeviceId runSensor() const { return sensorAtPress; }
    // What the last outcome's words add: who holds the lock, or why it cannot be used.
    QString outcomeDetail() const { return detail; }
    // The last outcome's code: the flashing tool's exit code, or one of the codes above.
    int outcomeCode() const { return lastCode; }
    int step() const { return currentStep; }
    int progress() const { return currentProgress; }
    QString stepText() const;
    QUrl logFolder() const;
    // The last run told in full, for a failure's details: what the flashing tool said last
    // and the run's log lines.
    Q_INVOKABLE QString runDetails() const;
    // The last lines the flashing tool wrote in the last run, if it ran.
    QString toolTail(int lines) const;
    // Every run kept in the history, one line each.
    Q_INVOKABLE QString historyText() const;
    // The words of an outcome, for the window's dialogs.
    Q_INVOKABLE QString outcomeTitle(int outcome) const;
    Q_INVOKABLE QString outcomeText(int outcome) const;

signals:
    void newVersion(QString currVersion, QString newVersion);
    void updateDone(int exitCode);
    void usbError(int error, QString error_name);
    // The package download at start-up failed; a package stored earlier, if any, is kept.
    void packageDownloadFailed();
    // Once per run, for every run: how it ended.
    void runEnded(Updater::Outcome outcome);
    void runningChanged();
    void stepChanged();

public slots:
    void updatePod(QString firmwarePath);
    bool checkPodConnected();
    void processFinished(int exitCode);
    void checkProgramVersion();
    void downloadLastPodVersion();
    QString handleFileChosen(QString urlString);

private:
    friend struct UpdaterTestAccess;

    enum class Stage
    {
        Idle,
        WaitingForDownload,   // pressed while its package was still on its way
        WaitingForBootloader, // the command sent, the port looked for after the wait
        Flashing
    };

    bool takeLock();
    void writeHolder();
    void beginRun(const QString &firmwarePath);
    void lookForBootloaderPort();
    void runFlashingTool(const QString &firmwarePath);
    void onToolStarted(FlashingToolProcess *tool);
    void onToolTimeout();
    // Every run ends here, and only here: with one of the program's outcomes, or with the
    // flashing tool's exit code.
    void endRun(Outcome outcome, const QString &outcomeDetail = QString());
    void endToolRun(int exitCode);
    void announceEnd(Outcome outcome, int exitCode, bool withCode);
    void releaseRun();
    void setStage(Stage next);
    void setStep(Step next);
    void setProgress(int percent);
    void followToolProgress();
    void keepRecord(const QString &outcome, const QString &words, int code);
    bool isDownloadedPackage(const QString &firmwarePath) const;
    void handleVersionReply(QNetworkReply *reply);
    void handleFirmwareReply(QNetworkReply *reply);
    bool storeFirmware(QNetworkReply *reply);

    UsbLink usbLink;
    QString portName;
    QPointer<FlashingToolProcess> process;
    QNetworkAccessManager *versionManager = nullptr;
    QNetworkAccessManager *firmwareManager = nullptr;
    QNetworkRequest versionRequest;
    QNetworkRequest firmwareRequest;

    UpdateTiming timing;
    QString helpHost;
    // From updatePod until the run's outcome; a second run would start a second flashing tool
    // on the same port.
    Stage stage = Stage::Idle;
    UpdateLock lock;
    LockHolder holder;
    std::unique_ptr<HolderRecord> holderRecord;
    QString packageFile;
    QString runPackage;
    QString toolProgram;
    UsbDeviceId sensorAtPress;
    QStringList portsAtPress;
    QString detail;
    int lastCode = 0;
    bool saidHolderFails = false; // said once in the log, for as long as the program runs
    bool saidHistoryFails = false;
    QTimer portSearchTimer; // the bootloader wait, then the retries
    QElapsedTimer portSearchSince;
    QTimer toolDeadline;
    QPointer<QNetworkReply> firmwareDownload; // while in flight
    Step currentStep = NoStep;
    int currentProgress = -1;
    QTimer progressPoll; // reads the tool's output as it grows
    std::unique_ptr<ToolProgress> toolProgress;
    RunRecord record;
};
