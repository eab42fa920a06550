// Updater: the program's object, published to QML as "updater": whether the sensor is plugged
// in, the online services (version check, package download), and at most one update run at a
// time (UpdateRun), whose one outcome it tells (runEnded) with the window's signals.
#pragma once

#include "RunOutcome.h"
#include "UpdateTiming.h"
#include "UsbLink.h"

#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class PackageDownload;
class UpdateRun;
struct RunReport;

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

    // The bootloader command to whichever sensor is plugged in. False when it could not be
    // opened (usbError has been emitted).
    bool sendBootloaderCommand();

    // Drops a run that still waits for its package download: nothing has touched the sensor
    // yet. False when there is no such run.
    Q_INVOKABLE bool withdrawWaitingRun();

    // What the console program's runs share with the window's: the USB link, the timing, and
    // the package download in flight (none once it has ended).
    UsbLink &usb() { return usbLink; }
    const UpdateTiming &runTiming() const { return timing; }
    void setToolTimeoutMs(int milliseconds) { timing.toolTimeoutMs = milliseconds; }
    PackageDownload *downloadOf(const QString &package) const;

    bool isRunning() const { return run != nullptr; }
    QString packagePath() const { return packageFile; }
    int step() const;
    int progress() const;
    QString stepText() const;
    QUrl logFolder() const;
    // The last run told in full, for a failure's details: what the flashing tool said last
    // and the run's log lines.
    Q_INVOKABLE QString runDetails() const;
    // The newest runs kept in the history, newest first and one line each, and how many more it
    // holds.
    Q_INVOKABLE QString historyText() const;
    // The words of an outcome, for the window's dialogs; the last run's caveat with its own.
    Q_INVOKABLE QString outcomeTitle(int outcome) const;
    Q_INVOKABLE QString outcomeText(int outcome) const;

signals:
    void newVersion(QString currVersion, QString newVersion);
    void updateDone(int exitCode);
    void usbError(int error, QString error_name);
    // The package download at start-up failed; a package stored earlier, if any, is kept.
    void packageDownloadFailed();
    // Once per run, for every run but a withdrawn one: how it ended.
    void runEnded(Run::Outcome outcome);
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

    void onRunFinished(Run::Outcome outcome);
    void handleVersionReply(QNetworkReply *reply);
    void handleFirmwareReply(QNetworkReply *reply);
    bool storeFirmware(QNetworkReply *reply);

    UsbLink usbLink;
    QString portName;
    QPointer<QProcess> process;
    QNetworkAccessManager *versionManager = nullptr;
    QNetworkAccessManager *firmwareManager = nullptr;
    QNetworkRequest versionRequest;
    QNetworkRequest firmwareRequest;

    UpdateTiming timing;
    QString helpHost;
    QString packageFile;
    QString lockFolder;                        // where every user's programs lock a sensor
    QString userLockFolder;                    // this user's own, where that one cannot be used
    QPointer<QNetworkReply> firmwareDownload;  // while in flight
    QPointer<PackageDownload> packageDownload; // the same, for the runs that wait for it
    // A second run would start a second flashing tool on the same port.
    UpdateRun *run = nullptr;
    std::unique_ptr<RunReport> last;
};
