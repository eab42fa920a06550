// Updater: the program's logic, published to QML as "updater".
// QML calls its slots and learns every outcome through its three signals.
#pragma once

#include "UpdateTiming.h"
#include "UsbLink.h"

#include <QElapsedTimer>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
class QProcess;

class Updater : public QObject
{
    Q_OBJECT

public:
    // updateDone codes of runs that ended before the flashing tool could report one.
    static constexpr int noBootloaderPort = -1;
    static constexpr int toolNotStarted = -2;
    static constexpr int noUsablePackage = -3;

    explicit Updater(QObject *parent = nullptr);
    ~Updater() override;

    // False when the sensor could not be opened (usbError has been emitted).
    bool sendBootloaderCommand();

signals:
    void newVersion(QString currVersion, QString newVersion);
    void updateDone(int exitCode);
    void usbError(int error, QString error_name);

public slots:
    void updatePod(QString firmwarePath);
    bool checkPodConnected();
    void processFinished(int exitCode);
    void checkProgramVersion();
    void downloadLastPodVersion();
    QString handleFileChosen(QString urlString);

private:
    friend struct UpdaterTestAccess;

    // One update run waiting for its bootloader port.
    struct PortSearch
    {
        QString firmwarePath;
        QElapsedTimer sinceFirstLookup;
    };

    void beginRun(const QString &firmwarePath);
    void startFlashingTool(PortSearch search);
    void runFlashingTool(const QString &firmwarePath);
    // Every run that has an outcome to report ends here, and only here. (A run refused access
    // ends in beginRun: its usbError has told the user.)
    void endRun(int exitCode);
    bool isDownloadedPackage(const QString &firmwarePath) const;
    bool sensorWaitsInBootloader();
    void handleVersionReply(QNetworkReply *reply);
    void handleFirmwareReply(QNetworkReply *reply);
    void storeFirmware(QNetworkReply *reply);

    UsbLink usbLink;
    QString portName;
    QPointer<QProcess> process;
    QNetworkAccessManager *versionManager = nullptr;
    QNetworkAccessManager *firmwareManager = nullptr;
    QNetworkRequest versionRequest;
    QNetworkRequest firmwareRequest;

    UpdateTiming timing;
    QString helpHost;
    // From updatePod until the run's outcome: a second run would start a second flashing tool
    // on the same port.
    bool runInProgress = false;
    QPointer<QNetworkReply> firmwareDownload; // while in flight
    // A run pressed while its package was still downloading; it goes on once the download ends.
    QString runAwaitingDownload;
};
